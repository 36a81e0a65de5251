#include "encode/mdlSavedll.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <csetjmp>
#include <csignal>
#include <random>

#include <png.h>
#include <sys/resource.h>

using mdlSavedll::PngChoice;

namespace {

// Gradients with a little sensor noise.
QImage photoLike(int width, int height)
{
    std::mt19937 random(11);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int n = static_cast<int>(random() % 7) - 3;
            image.setPixel(x, y,
                           qRgb(40 + x * 170 / width + n, 30 + y * 190 / height + n,
                                50 + x * y * 150 / (width * height) + n));
        }
    }
    return image;
}

// White panels on grey with lines of anti-aliased "words" from a small font of strokes.
QImage screenLike(int width, int height)
{
    std::mt19937 random(7);
    const auto next = [&random](int below) { return static_cast<int>(random() % below); };
    std::array<std::array<int, 7 * 12>, 40> font{};  // coverage 0..16 of 7 x 12 pixels
    for (auto& glyph : font) {
        std::array<bool, 28 * 48> fine{};
        for (int s = 0; s < 3; ++s) {  // three strokes drawn four times finer
            const int x0 = next(24), y0 = next(36), x1 = next(24), y1 = next(36);
            for (int t = 0; t <= 32; ++t) {
                for (int d = 0; d < 9; ++d) {
                    const int fy = y0 + (y1 - y0) * t / 32 + 4 + d / 3;
                    fine[static_cast<size_t>(fy * 28 + x0 + (x1 - x0) * t / 32 + 1 + d % 3)] = true;
                }
            }
        }
        for (int i = 0; i < 28 * 48; ++i) {
            glyph[static_cast<size_t>(i / 112 * 7 + i % 28 / 4)] += fine[static_cast<size_t>(i)];
        }
    }
    std::array<int, 50 * 6> words{};  // 50 words of 6 glyphs; 40 and above are blanks
    for (int& c : words)
        c = next(48);
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(239, 239, 239));
    for (int top = 30; top + 40 < height; top += 150) {
        const int bottom = qMin(height - 6, top + 140);
        for (int y = top; y < bottom; ++y) {
            for (int x = 6; x < width - 6; ++x) {
                const bool border = y == top || y == bottom - 1 || x == 6 || x == width - 7;
                image.setPixel(x, y, border ? qRgb(160, 160, 160) : qRgb(255, 255, 255));
            }
        }
        for (int line = top + 5; line + 12 < bottom - 3; line += 17) {
            for (int x = 12; x + 6 * 7 < width - 12; x += 5) {
                for (int k = 0, word = next(50); k < 6; ++k) {
                    const int c = words[static_cast<size_t>(word * 6 + k)];
                    for (int i = 0; c < 40 && i < 7 * 12; ++i) {
                        const int v =
                            255 - font[static_cast<size_t>(c)][static_cast<size_t>(i)] * 14;
                        image.setPixel(x + i % 7, line + i / 7, qRgb(v, v, qMin(255, v + 8)));
                    }
                    x += 7;
                }
            }
        }
    }
    return image;
}

// A PNG written by libpng with its defaults (adaptive row filtering) from packed rows.
QByteArray libpngFile(QSize size, int colourType, int depth, const QByteArray& packed,
                      int level = 6)
{
    QByteArray bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    for (int y = 0; y < size.height(); ++y) {
        rows.push_back(reinterpret_cast<png_bytep>(const_cast<char*>(packed.constData())) +
                       y * packed.size() / size.height());
    }
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(
            png, &bytes,
            [](png_structp p, png_bytep data, png_size_t length) {
                static_cast<QByteArray*>(png_get_io_ptr(p))
                    ->append(reinterpret_cast<char*>(data), static_cast<qsizetype>(length));
            },
            nullptr);
        png_set_IHDR(png, info, static_cast<png_uint_32>(size.width()),
                     static_cast<png_uint_32>(size.height()), depth, colourType, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, level);
        png_set_rows(png, info, rows.data());
        png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// The reference encode: 8-bit RGB with libpng's default filtering at zlib `level`.
QByteArray plainPng(const QImage& image, int level)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray packed;
    for (int y = 0; y < rgb.height(); ++y)
        packed.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
    return libpngFile(rgb.size(), PNG_COLOR_TYPE_RGB, 8, packed, level);
}

QByteArray qtPng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage pixels(int width, QImage::Format format, std::initializer_list<QRgb> values)
{
    QImage image(width, 1, format);
    int x = 0;
    for (const QRgb value : values)
        image.setPixel(x++, 0, value);
    return image;
}

// The mean difference of all samples of two pictures of the same size.
long long meanDifference(const QImage& a, const QImage& b)
{
    const QImage p = a.convertToFormat(QImage::Format_RGB888);
    const QImage q = b.convertToFormat(QImage::Format_RGB888);
    long long sum = 0;
    for (int y = 0; y < p.height(); ++y) {
        for (int i = 0; i < p.width() * 3; ++i)
            sum += qAbs(p.constScanLine(y)[i] - q.constScanLine(y)[i]);
    }
    return sum / (3LL * p.width() * p.height());
}

}  // namespace

class TestEncoders : public QObject
{
    Q_OBJECT

    QImage m_photo = photoLike(240, 320);
    QImage m_screen = screenLike(240, 320);
    QByteArray m_firstBaseline;

private slots:
    // The first JPEG of the process comes from a libjpeg that has not encoded anything yet.
    void initTestCase() { m_firstBaseline = mdlSavedll::encodeJpeg(m_photo, 75, false).value(); }

    void baselineIsUnchangedByEarlierEncodes()
    {
        for (const auto& [quality, progressive] : {std::pair{30, true}, {95, false}, {75, true}}) {
            QVERIFY(mdlSavedll::encodeJpeg(m_photo, quality, progressive));
            QCOMPARE(mdlSavedll::encodeJpeg(m_photo, 75, false).value(), m_firstBaseline);
        }
    }

    void jpegDecodesCloseToTheSource_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<bool>("progressive");
        QTest::newRow("baseline") << m_photo << false;
        QTest::newRow("progressive") << m_photo << true;
        QTest::newRow("odd size") << photoLike(37, 19) << false;
        QTest::newRow("one pixel, progressive") << photoLike(1, 1) << true;
        QTest::newRow("ARGB input") << m_photo.convertToFormat(QImage::Format_ARGB32) << false;
    }
    void jpegDecodesCloseToTheSource()
    {
        QFETCH(QImage, source);
        QFETCH(bool, progressive);
        const QByteArray jpeg = mdlSavedll::encodeJpeg(source, 92, progressive).value();
        // Marker bytes cannot occur inside the tables or the (byte-stuffed) scans.
        QCOMPARE(jpeg.contains("\xff\xc2"), progressive);
        QCOMPARE(jpeg.contains("\xff\xc0"), !progressive);
        const QImage decoded = QImage::fromData(jpeg, "JPEG");
        QCOMPARE(decoded.size(), source.size());
        QVERIFY(meanDifference(decoded, source) <= 2);
    }

    void jpegQualityOrdersSizesAndFailuresReturnNothing()
    {
        const auto size = [this](int quality) {
            return mdlSavedll::encodeJpeg(m_photo, quality, false)->size();
        };
        QVERIFY(size(10) < size(50));
        QVERIFY(size(50) < size(100));
        QVERIFY(!mdlSavedll::encodeJpeg(QImage(), 50, false));
        QVERIFY(!mdlSavedll::encodeJpeg(QImage(70000, 1, QImage::Format_RGB32), 50,
                                        false));  // libjpeg refuses it
    }

    void pngDecodesExactlyAndSizesAgainstDefaultFiltering_data()
    {
        QTest::addColumn<PngChoice>("choice");
        QTest::addColumn<int>("level");
        QTest::addColumn<double>("screenGoal");
        QTest::newRow("standard") << PngChoice::Standard << 6 << 0.8;
        QTest::newRow("fast") << PngChoice::Fast << 1 << 0.9;  // level 1 finds fewer long repeats
        QTest::newRow("small") << PngChoice::Small << 9 << 0.8;
    }
    void pngDecodesExactlyAndSizesAgainstDefaultFiltering()
    {
        QFETCH(PngChoice, choice);
        QFETCH(int, level);
        QFETCH(double, screenGoal);
        for (const QImage& source : {m_screen, m_photo, photoLike(97, 41)}) {
            QCOMPARE(mdlSavedll::decodePng(mdlSavedll::encodePng(source, choice).value()), source);
        }
        const qsizetype screen = mdlSavedll::encodePng(m_screen, choice)->size();
        QVERIFY2(screen <= screenGoal * plainPng(m_screen, level).size(),
                 QByteArray::number(screen));
        QVERIFY(mdlSavedll::encodePng(m_photo, choice)->size() <= plainPng(m_photo, level).size());
    }

    void decodePngReadsEveryKind_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QImage>("expected");
        const QImage indexed = m_photo.convertToFormat(QImage::Format_Indexed8);
        QImage transparent = indexed.copy();
        transparent.setColor(3, qRgba(10, 20, 30, 0));
        QImage alpha = m_photo.convertToFormat(QImage::Format_ARGB32);
        for (int x = 0; x < alpha.width(); ++x)
            alpha.setPixel(x, 5, qRgba(x, 0, 255 - x, x));
        const QImage grey = m_photo.convertToFormat(QImage::Format_Grayscale8);
        QTest::newRow("palette") << qtPng(indexed) << indexed.convertToFormat(QImage::Format_RGB32);
        QTest::newRow("palette, transparent entry")
            << qtPng(transparent) << transparent.convertToFormat(QImage::Format_ARGB32);
        QTest::newRow("grey") << qtPng(grey) << grey.convertToFormat(QImage::Format_RGB32);
        QTest::newRow("RGBA") << qtPng(alpha) << alpha;
        QTest::newRow("grey 2-bit")
            << libpngFile({4, 1}, PNG_COLOR_TYPE_GRAY, 2, "\x1b")
            << pixels(4, QImage::Format_RGB32, {0xff000000, 0xff555555, 0xffaaaaaa, 0xffffffff});
        QTest::newRow("grey and alpha")
            << libpngFile({2, 1}, PNG_COLOR_TYPE_GRAY_ALPHA, 8, QByteArray("\x64\xff\x1e\x80", 4))
            << pixels(2, QImage::Format_ARGB32,
                      {qRgba(100, 100, 100, 255), qRgba(30, 30, 30, 128)});
        QTest::newRow("16-bit, rounded")
            << libpngFile({1, 1}, PNG_COLOR_TYPE_GRAY_ALPHA, 16, QByteArray("\x12\xff\x80\x00", 4))
            << pixels(1, QImage::Format_ARGB32, {qRgba(19, 19, 19, 128)});
    }
    void decodePngReadsEveryKind()
    {
        QFETCH(QByteArray, png);
        QFETCH(QImage, expected);
        QCOMPARE(mdlSavedll::decodePng(png), expected);
    }

    void decodePngRefusesWhatItCannotRead()
    {
        const QByteArray good = plainPng(m_photo, 6);
        QVERIFY(!mdlSavedll::decodePng(good).isNull());
        QVERIFY(mdlSavedll::decodePng(QByteArray()).isNull());
        QVERIFY(mdlSavedll::decodePng("definitely not a picture").isNull());
        QVERIFY(mdlSavedll::decodePng(good.left(good.size() / 2)).isNull());
        QVERIFY(mdlSavedll::decodePng(good.left(8)).isNull());
        QByteArray badCrc = good;
        badCrc[good.indexOf("IDAT") + 100] ^= 0x40;
        QVERIFY(mdlSavedll::decodePng(badCrc).isNull());
        QVERIFY(mdlSavedll::decodePng(
                    libpngFile({20001, 1}, PNG_COLOR_TYPE_GRAY, 8, QByteArray(20001, 0)))
                    .isNull());
    }

    void writeFileIsAllOrNothing()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("missing/a.png"));
        const QString message = QStringLiteral("ファイル「%1」に書き込めませんでした。")
                                    .arg(QDir::toNativeSeparators(missing));
        QString error;
        QVERIFY(!mdlSavedll::writeFile(missing, "bytes", &error));
        QVERIFY2(error.startsWith(message) && error.size() > message.size(), qPrintable(error));
        QVERIFY(!QFile::exists(missing));

        const QString path = dir.filePath(QStringLiteral("a.jpg"));
        QVERIFY(mdlSavedll::writeFile(path, "old contents"));
        // A write that fails half way: the process may not make files larger than 1 KiB.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit small{1024, saved.rlim_max};
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &small);
        const bool written = mdlSavedll::writeFile(path, QByteArray(64 * 1024, 'x'));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(!written);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("old contents"));
        file.close();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.jpg")});
        QVERIFY(mdlSavedll::writeFile(path, "new"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("new"));
    }
};

QTEST_GUILESS_MAIN(TestEncoders)
#include "test_encoders.moc"
