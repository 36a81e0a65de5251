#include "encode/SizeText.h"

#include <QTest>

class TestSizeText : public QObject
{
    Q_OBJECT

private slots:
    void limitsAndSizes()
    {
        QCOMPARE(sizetext::sizeLimitKB(20479), QStringLiteral("20.4"));
        QCOMPARE(sizetext::sizeLimitKB(100000), QStringLiteral("100"));
        QCOMPARE(sizetext::sizeLimitKB(0), QString());
        const QString limit = sizetext::sizeLimitKB(10240);
        QCOMPARE(limit, QStringLiteral("10.2"));
        for (auto [bytes, shown, reaches] :
             {std::tuple{10240, "10.2", true}, std::tuple{10199, "10.2", true},
              std::tuple{10149, "10.1", false}, std::tuple{8000, "8", false}}) {
            QCOMPARE(sizetext::kiloBytes(bytes), QString::fromLatin1(shown));
            QCOMPARE(sizetext::reachesLimit(sizetext::kiloBytes(bytes), limit), reaches);
        }
        QVERIFY(!sizetext::reachesLimit(QString(), limit));
        QVERIFY(!sizetext::reachesLimit(QStringLiteral("999"), QString()));
    }

    void qualityTextOutOfRangeIsClamped()
    {
        for (auto [text, slider, quality] : {std::tuple{"", 1, 10}, std::tuple{"30", 10, 100},
                                             std::tuple{"0.2", 1, 10}, std::tuple{"-4", 1, 10}}) {
            QCOMPARE(sizetext::sliderPosition(QString::fromLatin1(text)), slider);
            QCOMPARE(sizetext::jpegQuality(QString::fromLatin1(text)), quality);
        }
    }
};

QTEST_GUILESS_MAIN(TestSizeText)
#include "test_size_text.moc"
