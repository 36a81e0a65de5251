#include "encode/SizeText.h"

#include <QTest>

class TestSizeText : public QObject
{
    Q_OBJECT

private slots:
    void limitsAndSizes()
    {
        QCOMPARE(sizetext::sizeLimitKB(QStringLiteral("10240")), QStringLiteral("10.2"));
        QCOMPARE(sizetext::sizeLimitKB(QStringLiteral("20479")), QStringLiteral("20.4"));
        QCOMPARE(sizetext::sizeLimitKB(QStringLiteral("100000")), QStringLiteral("100"));
        QCOMPARE(sizetext::sizeLimitKB(QStringLiteral("abc")), QString());

        const QString limit = sizetext::sizeLimitKB(QStringLiteral("10240"));
        QCOMPARE(sizetext::kiloBytes(10240), QStringLiteral("10.2"));
        QVERIFY(sizetext::reachesLimit(sizetext::kiloBytes(10240), limit));
        QCOMPARE(sizetext::kiloBytes(10199), QStringLiteral("10.2"));
        QVERIFY(sizetext::reachesLimit(sizetext::kiloBytes(10199), limit));
        QCOMPARE(sizetext::kiloBytes(10149), QStringLiteral("10.1"));
        QVERIFY(!sizetext::reachesLimit(sizetext::kiloBytes(10149), limit));
        QCOMPARE(sizetext::kiloBytes(8000), QStringLiteral("8"));
        QCOMPARE(sizetext::kiloBytes(650), QStringLiteral("0.7"));
        QVERIFY(!sizetext::reachesLimit(QString(), limit));
        QVERIFY(!sizetext::reachesLimit(QStringLiteral("999"), QString()));
    }

    void qualityText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("slider");
        QTest::addColumn<int>("quality");
        QTest::newRow("5") << "5" << 5 << 50;
        QTest::newRow("5.5") << "5.5" << 6 << 55;
        QTest::newRow("6.5") << "6.5" << 6 << 65;
        QTest::newRow("7.25") << "7.25" << 7 << 72;
        QTest::newRow("10") << "10" << 10 << 100;
        QTest::newRow("empty") << "" << 1 << 10;
        QTest::newRow("not a number") << "abc" << 1 << 10;
        QTest::newRow("above 10") << "30" << 10 << 100;
        QTest::newRow("below 1") << "0.2" << 1 << 10;
        QTest::newRow("negative") << "-4" << 1 << 10;
    }
    void qualityText()
    {
        QFETCH(QString, text);
        QTEST(sizetext::sliderPosition(text), "slider");
        QTEST(sizetext::jpegQuality(text), "quality");
    }
};

QTEST_GUILESS_MAIN(TestSizeText)
#include "test_size_text.moc"
