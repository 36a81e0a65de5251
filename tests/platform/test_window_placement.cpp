#include "platform/WindowPlacement.h"

#include <QMargins>
#include <QTest>

// What a window's reported frame tells, without a screen.
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
};

QTEST_GUILESS_MAIN(TestWindowPlacement)
#include "test_window_placement.moc"
