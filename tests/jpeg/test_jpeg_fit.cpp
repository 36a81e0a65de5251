#include "jpeg/JpegFit.h"
#include "jpeg/JpegWriter.h"
#include "platform/WorkFolder.h"
#include "saving/CompressionFiles.h"
#include "saving/CompressionPage.h"
#include "saving/SizeText.h"
#include "saving/mdlSavedll.h"
#include "support/FitCheck.h"
#include "support/MagickPictures.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <set>
#include <tuple>

namespace {

struct Counted
{
    QImage picture;
    int encodes = 0;
    JpegFit fit{[this](int quality, int quarters, bool full) -> std::optional<qint64> {
        ++encodes;
        const auto file = mdlSavedll::encodeJpeg(picture, quality, false, full, quarters);
        return file ? std::optional<qint64>(file->size()) : std::nullopt;
    }};
};

// A search as the page runs it: one encoder that keeps the picture's transform, its
// estimates placing the probes (or `estimate`, when set, instead of them).
struct Guided
{
    QImage picture;
    int encodes = 0;
    int subsampled = 0;  // the 4:2:0 ones
    jpegwriter::PictureEncoder encoder;
    JpegFit::Measure estimate;
    JpegFit fit{
        [this](int quality, int quarters, bool full) -> std::optional<qint64> {
            ++encodes;
            subsampled += full ? 0 : 1;
            const auto file = encoder.encode(picture, quality, {false, full, true, quarters});
            return file ? std::optional<qint64>(file->size()) : std::nullopt;
        },
        [this](int quality, int quarters, bool full) {
            return estimate ? estimate(quality, quarters, full)
                            : encoder.estimate(picture, quality, {false, full, true, quarters});
        }};
};

qint64 jpegSize(const QImage& picture, int quality, bool full = false)
{
    return mdlSavedll::encodeJpeg(picture, quality, false, full)->size();
}

// The SOF0 marker's component count and the first component's sampling factors.
std::pair<int, int> frameOf(const QByteArray& jpeg)
{
    const qsizetype sof = jpeg.indexOf("\xff\xc0");
    return {uchar(jpeg[sof + 9]), uchar(jpeg[sof + 11])};
}

}  // namespace

class TestJpegFit : public QObject
{
    Q_OBJECT

    QList<QImage> m_pictures;

private slots:
    void initTestCase()
    {
        for (const char* name : {"wizard:", "logo:", "rose:"}) {
            for (const QSize size : {QSize(240, 320), QSize(480, 854)}) {
                m_pictures.append(magickPicture(QString::fromLatin1(name), size));
                QVERIFY2(!m_pictures.last().isNull(), name);
            }
        }
    }

    void greyPicturesAreOneComponent()
    {
        const QImage colour = m_pictures.first();
        const QImage grey =
            colour.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
        const QByteArray greyFile = mdlSavedll::encodeJpeg(grey, 80, false).value();
        QCOMPARE(frameOf(greyFile).first, 1);
        QCOMPARE(frameOf(mdlSavedll::encodeJpeg(colour, 80, false).value()), std::pair(3, 0x22));
        QCOMPARE(frameOf(mdlSavedll::encodeJpeg(colour, 80, false, true).value()),
                 std::pair(3, 0x11));
        const QImage back = QImage::fromData(greyFile, "JPEG");
        QCOMPARE(back.format(), QImage::Format_Grayscale8);
        QCOMPARE(back.size(), grey.size());
    }

    void fitIsTheHighestQualityWithinTheLimit()
    {
        for (const QImage& picture : m_pictures) {
            Counted counted{picture};
            // Limits around the files of several qualities, at them and one byte below.
            for (const int quality : {12, 55, 85, 96, 100}) {
                for (const qint64 slack : {0, -1}) {
                    const qint64 limit = jpegSize(picture, quality) + slack;
                    JpegFit::Result result;
                    const QString problem = checkFit(counted.fit, picture, limit, &result);
                    QVERIFY2(problem.isEmpty(), qPrintable(problem));
                    if (slack == 0) {
                        QVERIFY(result.quality >= (result.fullChroma ? 1 : quality));
                    }
                }
            }
        }
    }

    // The estimates only place the probes: the same answers as the search by measured
    // sizes alone, in fewer encodes.
    void estimatesSaveEncodesNotExactness()
    {
        int guidedEncodes = 0;
        int measuredEncodes = 0;
        for (const QImage& picture : m_pictures) {
            for (const int quality : {8, 40, 80, 97}) {
                const qint64 limit = jpegSize(picture, quality) + 50;
                Guided guided{picture, 0, 0, {}, {}};
                JpegFit::Result result;
                const QString problem = checkFit(guided.fit, picture, limit, &result);
                QVERIFY2(problem.isEmpty(), qPrintable(problem));
                Counted counted{picture};
                const auto measured = counted.fit.fit(limit).value();
                QCOMPARE(result.quality, measured.quality);
                QCOMPARE(result.fullChroma, measured.fullChroma);
                guidedEncodes += guided.encodes;
                measuredEncodes += counted.encodes;
            }
        }
        QVERIFY2(
            guidedEncodes * 3 < measuredEncodes * 2,
            qPrintable(QStringLiteral("%1 against %2").arg(guidedEncodes).arg(measuredEncodes)));
    }

    // Few estimates place each probe: the line through them is drawn against the
    // tables' fineness, along which the file's log size runs nearly straight, and a
    // search over them that comes close from one side is not made to bisect.
    void fewEstimatesPlaceTheProbes()
    {
        std::size_t estimated = 0;
        std::size_t fits = 0;
        for (const QImage& picture : m_pictures) {
            for (const int quality : {20, 60, 90, 97}) {
                Guided guided{picture, 0, 0, {}, {}};
                std::set<std::tuple<int, int, bool>> asked;
                guided.estimate = [&guided, &asked](int q, int quarters, bool full) {
                    asked.insert({q, quarters, full});
                    return guided.encoder.estimate(guided.picture, q,
                                                   {false, full, true, quarters});
                };
                const QString problem = checkFit(guided.fit, picture, jpegSize(picture, quality));
                QVERIFY2(problem.isEmpty(), qPrintable(problem));
                estimated += asked.size();
                ++fits;
            }
        }
        // Ten a fit when the far end was taken in; a little over eight without.
        QVERIFY2(estimated <= 9 * fits,
                 qPrintable(QStringLiteral("%1 in %2 fits").arg(estimated).arg(fits)));
    }

    // Estimates that mislead (falling as the quality rises, or all the same) cost
    // encodes, never the answer.
    void misleadingEstimatesKeepTheAnswer()
    {
        const QImage& picture = m_pictures[1];
        const JpegFit::Measure misleading[] = {
            [](int quality, int, bool) { return std::optional<qint64>(1000000 / quality); },
            [](int, int, bool) { return std::optional<qint64>(5000); }};
        for (const auto& estimate : misleading) {
            for (const int quality : {3, 50, 90, 99}) {
                Guided guided{picture, 0, 0, {}, {}};
                guided.estimate = estimate;
                const QString problem = checkFit(guided.fit, picture, jpegSize(picture, quality));
                QVERIFY2(problem.isEmpty(), qPrintable(problem));
            }
        }
    }

    // An estimate is the same whether an encode at its quality came first or not, and
    // it grows with the quality as the file does.
    void estimatesFollowTheQuality()
    {
        const QImage& picture = m_pictures[3];
        jpegwriter::PictureEncoder encoded;
        qint64 before = 0;
        for (const int quality : {5, 30, 60, 95}) {
            for (const bool full : {false, true}) {
                const jpegwriter::Options options{false, full, true};
                QVERIFY(encoded.encode(picture, quality, options).has_value());
                const qint64 estimate = encoded.estimate(picture, quality, options).value();
                QCOMPARE(jpegwriter::PictureEncoder().estimate(picture, quality, options).value(),
                         estimate);
                if (!full) {
                    QVERIFY(estimate > before);
                    before = estimate;
                }
            }
        }
    }

    void fullChromaOnlyWhereTheSubsampledQualityIsHigh()
    {
        const QImage& picture = m_pictures[1];
        Counted counted{picture};
        const auto low = counted.fit.fit(jpegSize(picture, 70)).value();
        QVERIFY(!low.fullChroma);
        const auto high = counted.fit.fit(jpegSize(picture, 98)).value();
        QVERIFY(high.fullChroma);
        QVERIFY(jpegSize(picture, high.quality, true) <= jpegSize(picture, 98));
    }

    // Where the estimates put the 4:2:0 answer well above the rule's quality, 4:4:4 is
    // searched first; its answer reaching the rule's quality, no 4:2:0 file is made.
    void highFitsMakeNoSubsampledFile()
    {
        for (const QImage& picture : {m_pictures[1], m_pictures[4]}) {
            Guided guided{picture, 0, 0, {}, {}};
            JpegFit::Result result;
            const QString problem = checkFit(guided.fit, picture, jpegSize(picture, 99), &result);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            QVERIFY(result.fullChroma && result.quality >= JpegFit::kFullChromaFrom);
            QCOMPARE(guided.subsampled, 0);
        }
    }

    // Where 4:4:4 was searched first and fell short of the rule's quality, one 4:2:0
    // file at that quality settles the choice, however far above it the estimates,
    // here too small, put the 4:2:0 answer.
    void aShortFullChromaAnswerNeedsOneSubsampledFile()
    {
        for (const QImage& picture : {m_pictures[4], m_pictures[5]}) {
            Guided guided{picture, 0, 0, {}, {}};
            guided.estimate = [&guided](int quality, int quarters, bool full) {
                const auto guess =
                    guided.encoder.estimate(guided.picture, quality, {false, full, true, quarters});
                return guess ? std::optional<qint64>(*guess * 3 / 4) : std::nullopt;
            };
            JpegFit::Result result;
            const QString problem = checkFit(guided.fit, picture, jpegSize(picture, 95), &result);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            QVERIFY(result.fullChroma && result.quality < JpegFit::kFullChromaFrom);
            QCOMPARE(guided.subsampled, 1);
        }
    }

    // One component: the chroma choice gives the same file, so it is not searched.
    // A file sure to be too large is not written: one whose size less the bytes stuffed
    // after each 0xff in its scan is over the limit. Up to there it is written whole.
    void aFileSureToBeTooLargeIsNotWritten()
    {
        const QImage colour = m_pictures[4];
        const QImage grey =
            colour.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
        for (const QImage& picture : {colour, grey}) {
            for (const bool full : {false, true}) {
                for (const int quality : {5, 70, 100}) {
                    jpegwriter::PictureEncoder encoder;
                    const jpegwriter::Options options{false, full, true, 2};
                    const QByteArray file = encoder.encode(picture, quality, options).value();
                    const qsizetype scan = file.indexOf("\xff\xda");
                    const qsizetype data =
                        scan + 2 + (uchar(file[scan + 2]) << 8 | uchar(file[scan + 3]));
                    const qint64 unstuffed =
                        file.size() - file.mid(data).count(QByteArrayView("\xff\x00", 2));
                    for (const qint64 limit : {file.size(), unstuffed}) {
                        const auto within =
                            encoder.encodeWithin(picture, quality, options, limit).value();
                        QCOMPARE(within.file.value(), file);
                        QCOMPARE(within.bytes, file.size());
                    }
                    const auto over =
                        encoder.encodeWithin(picture, quality, options, unstuffed - 1).value();
                    QVERIFY(!over.file.has_value());
                    QVERIFY(over.bytes >= unstuffed);
                }
            }
        }
    }

    void greyPicturesAreFittedWithoutAChromaSearch()
    {
        const QImage grey = m_pictures[1]
                                .convertToFormat(QImage::Format_Grayscale8)
                                .convertToFormat(QImage::Format_RGB32);
        Counted counted{grey};
        const auto result = counted.fit.fit(jpegSize(grey, 98), JpegFit::Picture::Grey).value();
        QVERIFY(!result.fullChroma);
        QVERIFY(result.quality >= 98);
    }

    void warmFitsStartFromTheLastAnswer()
    {
        Counted counted{m_pictures[3]};
        const qint64 limit = jpegSize(counted.picture, 60);
        QVERIFY(counted.fit.fit(limit).has_value());
        counted.encodes = 0;
        counted.picture.setPixel(10, 10, qRgb(255, 0, 0));  // a small edit
        const auto again = counted.fit.fit(limit).value();
        QVERIFY2(counted.encodes <= 3, qPrintable(QString::number(counted.encodes)));
        QCOMPARE(again.encodes, counted.encodes);
    }

    void nothingFitsBelowTheSmallestFile()
    {
        Counted counted{m_pictures[0]};
        const auto none = counted.fit.fit(jpegSize(counted.picture, 1) - 1).value();
        QCOMPARE(none.quality, 0);
        QCOMPARE(counted.fit.fit(0)->quality, 0);
    }

    void pageFitsEstimatesAndSavesTheSameFile()
    {
        QTemporaryDir work;
        QImage canvas = m_pictures[2];
        WorkFolder folder({work.path() + QLatin1Char('/')});
        CompressionPage page(SizeEstimator(folder),
                             [&canvas]() -> const QImage& { return canvas; });
        const qint64 limit = 20480;
        page.setSizeLimit(QStringLiteral("20.4"), limit);
        page.switchEstimatesOn();
        QSignalSpy messages(&page, &CompressionPage::informationRequested);
        auto* fit = page.findChild<QPushButton*>(QStringLiteral("cmdFit"));
        QVERIFY(!fit->accessibleName().isEmpty());
        QCOMPARE(fit->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
        QSignalSpy shown(&page, &CompressionPage::sizeShown);
        fit->click();
        QVERIFY(shown.wait());  // the fit's answer, then its size

        QCOMPARE(messages.count(), 0);
        const QString text = page.findChild<QLineEdit*>(QStringLiteral("txtJpeg"))->text();
        QVERIFY2(text.contains(QLatin1Char('.')), qPrintable(text));
        QCOMPARE(page.settings().jpegLevel, text);
        QCOMPARE(page.findChild<QSlider*>(QStringLiteral("sldJpeg"))->value(),
                 qBound(1, qRound(text.toDouble()), 10));
        QFile temp(work.filePath(QStringLiteral("temp.jpg")));
        QVERIFY(temp.open(QIODevice::ReadOnly));
        const QByteArray estimated = temp.readAll();
        QVERIFY(estimated.size() <= limit);
        // The answer is shown within the limit, not at it in red.
        QVERIFY(
            !sizetext::reachesLimit(sizetext::kiloBytes(estimated.size()), QStringLiteral("20.4")));
        QCOMPARE(compressionfiles::jpegFile(canvas, page.settings()).value(), estimated);

        // Nothing fits: a message, and the settings stay as they were.
        const CompressionSettings before = page.settings();
        page.setSizeLimit(QStringLiteral("0.1"), 100);
        fit->click();
        QVERIFY(messages.wait());
        QVERIFY(messages.first().first().toString().contains(QStringLiteral("PNG")));
        QCOMPARE(page.settings().jpegLevel, before.jpegLevel);
        QCOMPARE(page.settings().jpegFullChroma, before.jpegFullChroma);
    }

    void aQualityTypedAfterAFitIsSubsampledAgain()
    {
        QTemporaryDir work;
        QImage canvas = m_pictures[1];
        WorkFolder folder({work.path() + QLatin1Char('/')});
        CompressionPage page(SizeEstimator(folder),
                             [&canvas]() -> const QImage& { return canvas; });
        page.setSizeLimit(QStringLiteral("1000"), jpegSize(canvas, 99));
        QSignalSpy fitted(page.findChild<QLineEdit*>(QStringLiteral("txtJpeg")),
                          &QLineEdit::textChanged);
        page.findChild<QPushButton*>(QStringLiteral("cmdFit"))->click();
        QVERIFY(fitted.wait());
        QVERIFY(page.settings().jpegFullChroma);
        page.findChild<QLineEdit*>(QStringLiteral("txtJpeg"))->setText(QStringLiteral("9"));
        QVERIFY(!page.settings().jpegFullChroma);

        // Quarter steps, too, are the fit's alone: a typed quality is a whole one.
        page.setSizeLimit(QStringLiteral("1000"),
                          (jpegSize(canvas, 40) + jpegSize(canvas, 41)) / 2);
        page.findChild<QPushButton*>(QStringLiteral("cmdFit"))->click();
        QVERIFY(fitted.wait());
        QCOMPARE(page.settings().jpegLevel, QStringLiteral("4.0"));
        QVERIFY(page.settings().jpegQuarters > 0);
        page.findChild<QLineEdit*>(QStringLiteral("txtJpeg"))->setText(QStringLiteral("4"));
        QCOMPARE(page.settings().jpegQuarters, 0);
    }
};

QTEST_MAIN(TestJpegFit)
#include "test_jpeg_fit.moc"
