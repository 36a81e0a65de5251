#include "history/HistoryGeometry.h"
#include "history/HistorySlots.h"

#include <QTest>

using historygeometry::MainWindowTwips;

class HistoryLogicTest : public QObject
{
    Q_OBJECT

private slots:
    void placesFillInOrderAndClearCompletely()
    {
        HistorySlots slots_;
        for (int expected = 0; expected < HistorySlots::kCount; ++expected) {
            QCOMPARE(slots_.firstFree(), std::optional<int>(expected));
            slots_.take(expected, QStringLiteral("/p/%1.jpg").arg(expected));
        }
        QCOMPARE(slots_.firstFree(), std::nullopt);
        QCOMPARE(slots_.path(7), QStringLiteral("/p/7.jpg"));
        slots_.clear();
        QCOMPARE(slots_.firstFree(), std::optional<int>(0));
        QVERIFY(slots_.path(2).isEmpty());
    }

    void framesStandInTwoColumnsAndFourRows()
    {
        QCOMPARE(historygeometry::frameRect(0), QRect(8, 24, 125, 125));
        QCOMPARE(historygeometry::frameRect(1), QRect(142, 24, 125, 125));
        QCOMPARE(historygeometry::frameRect(2), QRect(8, 156, 125, 125));
        QCOMPARE(historygeometry::frameRect(7), QRect(142, 420, 125, 125));
    }

    void thumbnailKeepsTheCanvasShape_data()
    {
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<QRect>("box");
        // 1406.25 x 1875 twips at left 234.375, and the reverse.
        QTest::newRow("3 x 4") << QSize(3, 4) << QRect(16, 0, 94, 125);
        QTest::newRow("4 x 3") << QSize(4, 3) << QRect(0, 16, 125, 94);
        QTest::newRow("square") << QSize(244, 244) << QRect(0, 0, 125, 125);
        QTest::newRow("phone 240 x 320 + border") << QSize(244, 324) << QRect(15, 0, 94, 125);
        QTest::newRow("nothing") << QSize() << QRect(0, 0, 125, 125);
    }
    void thumbnailKeepsTheCanvasShape()
    {
        QFETCH(QSize, canvas);
        QFETCH(QRect, box);
        QCOMPARE(historygeometry::thumbnailBox(canvas), box);
    }

    void snapsWithin1000Twips_data()
    {
        QTest::addColumn<QPoint>("offset");  // from (left + client width, top)
        QTest::addColumn<bool>("snaps");
        QTest::newRow("on the edge") << QPoint(0, 0) << true;
        QTest::newRow("1000 below") << QPoint(0, 1000) << true;
        QTest::newRow("1001 below") << QPoint(0, 1001) << false;
        QTest::newRow("1000 above") << QPoint(0, -1000) << true;
        QTest::newRow("1001 above") << QPoint(0, -1001) << false;
        QTest::newRow("1000 right") << QPoint(1000, 0) << true;
        QTest::newRow("1001 right") << QPoint(1001, 0) << false;
        QTest::newRow("1001 left") << QPoint(-1001, 0) << false;
    }
    void snapsWithin1000Twips()
    {
        QFETCH(QPoint, offset);
        QFETCH(bool, snaps);
        const MainWindowTwips main{1500, 3000, 10110, 9930};
        const auto target = historygeometry::snapTarget(main, QPoint(3000 + 9930, 1500) + offset);
        QCOMPARE(target.has_value(), snaps);
        if (snaps) {
            // Placed by the outer width, not the client width it was measured from.
            QCOMPARE(*target, QPoint(3000 + 10110, 1500));
        }
    }
};

QTEST_GUILESS_MAIN(HistoryLogicTest)
#include "test_history_logic.moc"
