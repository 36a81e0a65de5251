#include "common/ColourRef.h"
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
        QTest::newRow("decimal") << "10.5" << 10.5;
        QTest::newRow("trailing text") << "12abc" << 12.0;
        QTest::newRow("two points") << "1.2.3" << 1.2;
        QTest::newRow("blanks and sign") << "  -3.5x" << -3.5;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("none") << "abc" << 0.0;
        QTest::newRow("sign only") << "-" << 0.0;
        QTest::newRow("full-width digits are not digits") << "１２" << 0.0;
    }
    void leadingValue()
    {
        QFETCH(QString, text);
        QTEST(numbers::leadingValue(text), "value");
    }

    void exactAndWholeNumbers()
    {
        QCOMPARE(numbers::exactValue(u" 1.5 "), std::optional<double>(1.5));
        QVERIFY(!numbers::exactValue(u"3x"));
        QCOMPARE(numbers::wholeNumber(u"2147483647"), std::optional<int>(2147483647));
        for (const char16_t* bad : {u"-5", u"240.0", u" 240", u"", u"2147483648"}) {
            QVERIFY2(!numbers::wholeNumber(bad), qPrintable(QString::fromUtf16(bad)));
        }
    }

    void roundingAndDivision()
    {
        for (auto [value, rounded] : {std::pair{2.5, 2LL},
                                      {3.5, 4LL},
                                      {-2.5, -2LL},
                                      {2.51, 3LL},
                                      {1e300, 9200000000000000000LL},
                                      {std::nan(""), 0LL}}) {
            QCOMPARE(numbers::roundHalfEven(value), rounded);
        }
        QCOMPARE(numbers::divTrunc(-7, 2), -3);
        QCOMPARE(numbers::divTrunc(5, 0), 0);
        QCOMPARE(numbers::floorToInt(-0.5), -1);
        QCOMPARE(numbers::floorToInt(1e12), 2147483647);
        QCOMPARE(twips::toPixels(8295), 553);
        QCOMPARE(twips::toPixels(14), 0);
    }

    void colourRefHoldsRedInTheLowestByte()
    {
        QCOMPARE(colourref::make(0x12, 0x34, 0x56), ColourRef{0x563412});
        const ColourRef c = colourref::fromQColor(QColor(10, 20, 30));
        QCOMPARE(colourref::red(c), 10);
        QCOMPARE(colourref::toQColor(c), QColor(10, 20, 30));
    }
};

QTEST_GUILESS_MAIN(TestNumbersAndRecords)
#include "test_numbers_and_records.moc"
