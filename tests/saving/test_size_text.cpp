#include "saving/SizeText.h"

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

    // The aim of a fit: the largest file still shown below the limit, whatever the
    // model's bytes.
    void largestBelowLimitIsTheLastSizeShownBlack()
    {
        for (const int modelBytes : {10240, 20479, 100000, 512000, 150}) {
            const QString limit = sizetext::sizeLimitKB(modelBytes);
            const qint64 aim = sizetext::largestBelowLimit(limit, modelBytes);
            QVERIFY(aim <= modelBytes);
            QVERIFY2(!sizetext::reachesLimit(sizetext::kiloBytes(aim), limit), qPrintable(limit));
            QVERIFY2(sizetext::reachesLimit(sizetext::kiloBytes(aim + 1), limit),
                     qPrintable(limit));
        }
        QCOMPARE(sizetext::largestBelowLimit(QStringLiteral("10.2"), 10240), 10149);
        QCOMPARE(sizetext::largestBelowLimit(QStringLiteral("0"), 80), 0);
        QCOMPARE(sizetext::largestBelowLimit(QString(), 5000), 5000);
    }

    void spokenSizeSaysTheSizeAndWhetherItReachedTheLimit()
    {
        const QString limit = QStringLiteral("10.2");
        QCOMPARE(sizetext::spokenSize(QStringLiteral("10.2"), limit),
                 QStringLiteral("10.2 KByte、サイズ上限 10.2 KByte 以上"));
        QCOMPARE(sizetext::spokenSize(QStringLiteral("8"), limit),
                 QStringLiteral("8 KByte、サイズ上限 10.2 KByte 未満"));
        QCOMPARE(sizetext::spokenSize(QStringLiteral("8"), QString()), QStringLiteral("8 KByte"));
        QCOMPARE(sizetext::spokenSize(QString(), limit), QString());
    }

    void qualityTextOutOfRangeIsClamped()
    {
        for (auto [text, slider, quality] :
             {std::tuple{"", 1, 10}, std::tuple{"30", 10, 100}, std::tuple{"0.2", 1, 2},
              std::tuple{"0.5", 1, 5}, std::tuple{"-4", 1, 10}}) {
            QCOMPARE(sizetext::sliderPosition(QString::fromLatin1(text)), slider);
            QCOMPARE(sizetext::jpegQuality(QString::fromLatin1(text)), quality);
        }
    }

    void fittedQualitiesSurviveTheirText()
    {
        for (int quality = 1; quality <= 100; ++quality) {
            QCOMPARE(sizetext::jpegQuality(sizetext::levelText(quality)), quality);
        }
        QCOMPARE(sizetext::levelText(73), QStringLiteral("7.3"));
        QCOMPARE(sizetext::levelText(100), QStringLiteral("10.0"));
    }
};

QTEST_GUILESS_MAIN(TestSizeText)
#include "test_size_text.moc"
