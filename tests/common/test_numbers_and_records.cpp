#include "common/ColourRef.h"
#include "common/FrameOffsets.h"
#include "common/Numbers.h"
#include "common/Twips.h"

#include <QTest>

class TestNumbersAndRecords : public QObject
{
    Q_OBJECT

private slots:
    void leadingValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "240" << 240.0;
        QTest::newRow("decimal") << "10.5" << 10.5;
        QTest::newRow("trailing text") << "12abc" << 12.0;
        QTest::newRow("two points") << "1.2.3" << 1.2;
        QTest::newRow("leading blanks") << "  7" << 7.0;
        QTest::newRow("sign") << "-3.5x" << -3.5;
        QTest::newRow("plus") << "+4" << 4.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("digits then point") << "5." << 5.0;
        QTest::newRow("none") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("lone point") << "." << 0.0;
        QTest::newRow("full-width digits are not digits") << "１２" << 0.0;
    }
    void leadingValue()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(numbers::leadingValue(text), value);
    }

    void exactAndWholeNumbers()
    {
        QCOMPARE(numbers::exactValue(u" 3 "), std::optional<double>(3.0));
        QCOMPARE(numbers::exactValue(u"1.5"), std::optional<double>(1.5));
        QVERIFY(!numbers::exactValue(u"3x"));
        QVERIFY(!numbers::exactValue(u""));
        QCOMPARE(numbers::wholeNumber(u"20479"), std::optional<int>(20479));
        QCOMPARE(numbers::wholeNumber(u"0"), std::optional<int>(0));
        QVERIFY(!numbers::wholeNumber(u"-5"));
        QVERIFY(!numbers::wholeNumber(u"240.0"));
        QVERIFY(!numbers::wholeNumber(u" 240"));
        QVERIFY(!numbers::wholeNumber(u""));
        QVERIFY(!numbers::wholeNumber(u"2147483648"));
        QCOMPARE(numbers::wholeNumber(u"2147483647"), std::optional<int>(2147483647));
    }

    void roundHalfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qlonglong>("rounded");
        QTest::newRow("2.5") << 2.5 << 2LL;
        QTest::newRow("3.5") << 3.5 << 4LL;
        QTest::newRow("-2.5") << -2.5 << -2LL;
        QTest::newRow("-3.5") << -3.5 << -4LL;
        QTest::newRow("0.5") << 0.5 << 0LL;
        QTest::newRow("2.51") << 2.51 << 3LL;
        QTest::newRow("-0.4") << -0.4 << 0LL;
        QTest::newRow("huge") << 1e300 << 9200000000000000000LL;
        QTest::newRow("nan") << std::nan("") << 0LL;
    }
    void roundHalfEven()
    {
        QFETCH(double, value);
        QFETCH(qlonglong, rounded);
        QCOMPARE(numbers::roundHalfEven(value), rounded);
    }

    void divisionTruncatesTowardZero()
    {
        QCOMPARE(numbers::divTrunc(120 * 100, 110), 109);
        QCOMPARE(numbers::divTrunc(-7, 2), -3);
        QCOMPARE(numbers::divTrunc(7, -2), -3);
        QCOMPARE(numbers::divTrunc(5, 0), 0);
        QCOMPARE(numbers::floorToInt(2.99), 2);
        QCOMPARE(numbers::floorToInt(-0.5), -1);
        QCOMPARE(numbers::floorToInt(1e12), 2147483647);
    }

    void hundredthsText_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 100 << "1";
        QTest::newRow("1.02") << 102 << "1.02";
        QTest::newRow("1.5") << 150 << "1.5";
        QTest::newRow("10") << 1000 << "10";
        QTest::newRow("1.1") << 110 << "1.1";
        QTest::newRow("2") << 200 << "2";
        QTest::newRow("9.99") << 999 << "9.99";
    }
    void hundredthsText()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QCOMPARE(numbers::hundredthsText(value), text);
    }

    void twipsTruncate()
    {
        QCOMPARE(twips::toPixels(8295), 553);
        QCOMPARE(twips::toPixels(7260), 484);
        QCOMPARE(twips::toPixels(14), 0);
        QCOMPARE(twips::fromPixels(240), 3600);
    }

    void colourRefHoldsRedInTheLowestByte()
    {
        QCOMPARE(colourref::make(255, 0, 0), colourref::kRed);
        QCOMPARE(colourref::make(0x12, 0x34, 0x56), ColourRef{0x563412});
        const ColourRef c = colourref::fromQColor(QColor(10, 20, 30));
        QCOMPARE(colourref::red(c), 10);
        QCOMPARE(colourref::green(c), 20);
        QCOMPARE(colourref::blue(c), 30);
        QCOMPARE(colourref::toQColor(c), QColor(10, 20, 30));
    }

    void frameOffsetsPerStyle()
    {
        const FrameOffsets xp = FrameOffsets::forStyle(1);
        QCOMPARE(xp.windowStyle, 1);
        QCOMPARE(xp.loupeExtraHeight, 110);
        QCOMPARE(xp.previewExtraHeight, 100);
        QCOMPARE(xp.cutTop, 100);
        QCOMPARE(xp.cutLeft, 10);
        QCOMPARE(FrameOffsets::forStyle(0), FrameOffsets{});
        QCOMPARE(FrameOffsets{}.cutLeft, 0);
    }
};

QTEST_GUILESS_MAIN(TestNumbersAndRecords)
#include "test_numbers_and_records.moc"
