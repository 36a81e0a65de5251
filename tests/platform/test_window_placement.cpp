#include "platform/WindowPlacement.h"

#include <QMargins>
#include <QRect>
#include <QTest>

// Where windows go, worked out without a screen.
class TestWindowPlacement : public QObject
{
    Q_OBJECT

private slots:
    // Seen under openbox: a frame reported smaller than the window while it is made.
    void aFrameSmallerThanTheWindowIsNotKnownYet()
    {
        QCOMPARE(placement::knownMargins(QMargins(0, 0, -382, -93)), QMargins());
        QCOMPARE(placement::knownMargins(QMargins(1, 20, 1, 1)), QMargins(1, 20, 1, 1));
    }

    void aFrameIsCentredAndKeptInsideTheArea()
    {
        const QRect area(0, 0, 1280, 1024);
        QCOMPARE(placement::centredTopLeft(QSize(303, 105), QRect(362, 259, 555, 505), area),
                 QPoint(488, 459));
        QCOMPARE(placement::centredTopLeft(QSize(400, 300), QRect(1100, 900, 100, 100), area),
                 QPoint(880, 724));
        QCOMPARE(placement::centredTopLeft(QSize(1400, 1100), area, area), QPoint(0, 0));
    }
};

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "test_window_placement.moc"
