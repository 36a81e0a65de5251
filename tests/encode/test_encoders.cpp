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
#include <zlib.h>

using mdlSavedll::PngChoice;

namespace {

// Smooth random shapes at three scales plus a little sensor noise.
QImage photoLike(int width, int height)
{
    std::mt19937 random(11);
    QImage image(width, height, QImage::Format_RGB32);
    std::array<std::array<int, 64>, 3> grids{};
    for (auto& grid : grids) {
        for (int& v : grid)
            v = static_cast<int>(random() % 256);
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int channel[3] = {};
            for (int c = 0; c < 3; ++c) {
                const int cell = 24 << c;  // bilinear in an 8 x 8 grid of that cell size
                const int gx = x / cell % 7, gy = y / cell % 7, fx = x % cell, fy = y % cell;
                const auto& g = grids[static_cast<size_t>(c)];
                const int top = g[gy * 8 + gx] * (cell - fx) + g[gy * 8 + gx + 1] * fx;
                const int bottom = g[gy * 8 + 8 + gx] * (cell - fx) + g[gy * 8 + 9 + gx] * fx;
                channel[c] = (top * (cell - fy) + bottom * fy) / (cell * cell);
            }
            const int noise = static_cast<int>(random() % 7) - 3;
            image.setPixel(x, y,
                           qRgb(qBound(0, channel[0] + noise, 255),
                                qBound(0, (channel[1] + channel[0]) / 2 + noise, 255),
                                qBound(0, channel[2] + noise, 255)));
        }
    }
    return image;
}

// White panels on grey with lines of anti-aliased "words" from a small font of strokes.
QImage screenLike(int width, int height)
{
    std::mt19937 random(7);
    std::array<std::array<int, 7 * 12>, 40> font{};
    for (auto& glyph : font) {
        std::array<bool, 28 * 48> fine{};  // strokes drawn four times finer, then averaged
        for (int s = 0; s < 3; ++s) {
            const int x0 = static_cast<int>(random() % 24), y0 = static_cast<int>(random() % 36);
            const int x1 = static_cast<int>(random() % 24), y1 = static_cast<int>(random() % 36);
            for (int t = 0; t <= 32; ++t) {
                for (int d = 0; d < 9; ++d) {
                    fine[static_cast<size_t>((y0 + (y1 - y0) * t / 32 + 4 + d / 3) * 28 + x0 +
                                             (x1 - x0) * t / 32 + 1 + d % 3)] = true;
                }
            }
        }
        for (int i = 0; i < 28 * 48; ++i)
            glyph[static_cast<size_t>(i / 28 / 4 * 7 + i % 28 / 4)] += fine[static_cast<size_t>(i)];
    }
    std::array<std::array<int, 6>, 50> words{};
    for (auto& word : words) {
        for (int& c : word)
            c = static_cast<int>(random() % (font.size() + 8));  // some are blanks
    }
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
                for (int c : words[random() % words.size()]) {
                    for (int i = 0; c < static_cast<int>(font.size()) && i < 7 * 12; ++i) {
                        const int v =
                            255 - font[static_cast<size_t>(c)][static_cast<size_t>(i)] * 235 / 16;
                        image.setPixel(x + i % 7, line + i / 7, qRgb(v, v, qMin(255, v + 8)));
                    }
                    x += 7;
                }
            }
        }
    }
    return image;
}

void appendTo(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<char*>(data), static_cast<qsizetype>(length));
}

// A PNG written by libpng with its defaults (adaptive row filtering) from packed rows.
QByteArray libpngFile(QSize size, int colourType, int depth, const QByteArray& packed,
                      int level = 6, bool interlaced = false)
{
    QByteArray bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    const qsizetype stride = packed.size() / size.height();
    for (int y = 0; y < size.height(); ++y)
        rows.push_back(
            reinterpret_cast<png_bytep>(const_cast<char*>(packed.constData() + y * stride)));
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &bytes, appendTo, nullptr);
        png_set_IHDR(png, info, static_cast<png_uint_32>(size.width()),
                     static_cast<png_uint_32>(size.height()), depth, colourType,
                     interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, level);
        png_set_rows(png, info, rows.data());
        png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// The reference encode: 8-bit RGB with libpng's default filtering at zlib `level`.
QByteArray plainPng(const QImage& image, int level, bool interlaced = false)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray packed;
    for (int y = 0; y < rgb.height(); ++y)
        packed.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
    return libpngFile(rgb.size(), PNG_COLOR_TYPE_RGB, 8, packed, level, interlaced);
}

QImage pixels(QSize size, QImage::Format format, std::initializer_list<QRgb> values)
{
    QImage image(size, format);
    int i = 0;
    for (const QRgb value : values)
        image.setPixel(i % size.width(), i / size.width(), value), ++i;
    return image;
}

// The frame marker (SOF0, SOF2...) of a JPEG file, found by walking its segments.
int frameMarker(const QByteArray& jpeg)
{
    for (qsizetype at = 2; at + 4 <= jpeg.size();) {
        const int marker = static_cast<uchar>(jpeg[at + 1]);
        if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
            return marker;
        at += 2 + (static_cast<uchar>(jpeg[at + 2]) << 8 | static_cast<uchar>(jpeg[at + 3]));
    }
    return 0;
}

// The mean difference of all samples of two pictures of the same size.
int meanDifference(const QImage& a, const QImage& b)
{
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum +=
                qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return static_cast<int>(sum / (3LL * a.width() * a.height()));
}

QByteArray qtPng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}  // namespace

class TestEncoders : public QObject
{
    Q_OBJECT

    QImage m_photo = photoLike(240, 320);
    QByteArray m_firstBaseline;

private slots:
    // The first JPEG of the process comes from a libjpeg that has not encoded anything yet.
    void initTestCase() { m_firstBaseline = mdlSavedll::encodeJpeg(m_photo, 75, false).value(); }

    void baselineIsUnchangedByEarlierEncodes()
    {
        const std::pair<int, bool> earlier[] = {{30, true}, {95, false}, {75, true}, {10, false}};
        for (const auto& [quality, progressive] : earlier) {
            QVERIFY(mdlSavedll::encodeJpeg(m_photo, quality, progressive));
            QCOMPARE(mdlSavedll::encodeJpeg(m_photo, 75, false).value(), m_firstBaseline);
        }
    }

    void jpegDecodesCloseToTheSource_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<bool>("progressive");
        QTest::newRow("photo baseline") << m_photo << false;
        QTest::newRow("photo progressive") << m_photo << true;
        QTest::newRow("odd size") << photoLike(37, 19) << false;
        QTest::newRow("one pixel, progressive") << photoLike(1, 1) << true;
        QTest::newRow("ARGB input") << m_photo.convertToFormat(QImage::Format_ARGB32) << false;
    }
    void jpegDecodesCloseToTheSource()
    {
        QFETCH(QImage, source);
        QFETCH(bool, progressive);
        const QByteArray jpeg = mdlSavedll::encodeJpeg(source, 92, progressive).value();
        QCOMPARE(frameMarker(jpeg), progressive ? 0xc2 : 0xc0);
        const QImage decoded = QImage::fromData(jpeg, "JPEG");
        QCOMPARE(decoded.size(), source.size());
        QVERIFY(meanDifference(decoded, source) <= 2);
    }

    void jpegQualityOrdersSizesAndIsClamped()
    {
        const auto size = [this](int quality) {
            return mdlSavedll::encodeJpeg(m_photo, quality, false)->size();
        };
        QVERIFY(size(10) < size(50));
        QVERIFY(size(50) < size(100));
        QCOMPARE(mdlSavedll::encodeJpeg(m_photo, -5, true),
                 mdlSavedll::encodeJpeg(m_photo, 1, true));
        QCOMPARE(mdlSavedll::encodeJpeg(m_photo, 250, false),
                 mdlSavedll::encodeJpeg(m_photo, 100, false));
        QVERIFY(!mdlSavedll::encodeJpeg(QImage(), 50, false));
        QVERIFY(!mdlSavedll::encodeJpeg(QImage(70000, 1, QImage::Format_RGB32), 50,
                                        false));  // beyond JPEG
    }

    void pngSizesAgainstDefaultFiltering_data()
    {
        QTest::addColumn<PngChoice>("choice");
        QTest::addColumn<int>("level");
        QTest::addColumn<double>("screenGoal");
        // Level 1 finds few of the long repeats that unfiltered text rows offer.
        QTest::newRow("standard") << PngChoice::Standard << 6 << 0.8;
        QTest::newRow("fast") << PngChoice::Fast << 1 << 0.9;
        QTest::newRow("small") << PngChoice::Small << 9 << 0.8;
    }
    void pngSizesAgainstDefaultFiltering()
    {
        QFETCH(PngChoice, choice);
        QFETCH(int, level);
        QFETCH(double, screenGoal);
        const QImage screen = screenLike(240, 320);
        const QByteArray png = mdlSavedll::encodePng(screen, choice).value();
        QVERIFY2(png.size() <= screenGoal * plainPng(screen, level).size(),
                 QByteArray::number(png.size()));
        QVERIFY(mdlSavedll::encodePng(m_photo, choice)->size() <= plainPng(m_photo, level).size());
    }

    void pngDecodesToTheSourcePixels_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<PngChoice>("choice");
        for (const PngChoice choice : {PngChoice::Standard, PngChoice::Fast, PngChoice::Small}) {
            const QByteArray name = QByteArray::number(static_cast<int>(choice));
            QTest::newRow(("screen " + name).constData()) << screenLike(240, 320) << choice;
            QTest::newRow(("photo " + name).constData()) << photoLike(97, 41) << choice;
        }
    }
    void pngDecodesToTheSourcePixels()
    {
        QFETCH(QImage, source);
        QFETCH(PngChoice, choice);
        const QImage decoded = mdlSavedll::decodePng(mdlSavedll::encodePng(source, choice).value());
        QCOMPARE(decoded.format(), QImage::Format_RGB32);
        QCOMPARE(decoded, source);
    }

    void decodePngReadsEveryKind_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QImage>("expected");
        QImage indexed = m_photo.convertToFormat(QImage::Format_Indexed8);
        QImage transparent = indexed.copy();
        transparent.setColor(3, qRgba(10, 20, 30, 0));
        QImage alpha = m_photo.convertToFormat(QImage::Format_ARGB32);
        for (int x = 0; x < alpha.width(); ++x)
            alpha.setPixel(x, 5, qRgba(x, 0, 255 - x, x));
        const QImage grey = m_photo.convertToFormat(QImage::Format_Grayscale8);
        QTest::newRow("palette") << qtPng(indexed) << indexed.convertToFormat(QImage::Format_RGB32);
        QTest::newRow("palette with transparency")
            << qtPng(transparent) << transparent.convertToFormat(QImage::Format_ARGB32);
        QTest::newRow("grey 8") << qtPng(grey) << grey.convertToFormat(QImage::Format_RGB32);
        const QImage mono = m_photo.convertToFormat(QImage::Format_Mono);
        QTest::newRow("1 bit") << qtPng(mono) << mono.convertToFormat(QImage::Format_RGB32);
        QTest::newRow("RGBA") << qtPng(alpha) << alpha;
        const QImage deep = m_photo.convertToFormat(QImage::Format_RGBX64);
        QTest::newRow("16-bit RGB") << qtPng(deep) << deep.convertToFormat(QImage::Format_RGB32);
        QTest::newRow("interlaced") << plainPng(m_photo, 6, true) << m_photo;
        QTest::newRow("grey 2-bit") << libpngFile({4, 1}, PNG_COLOR_TYPE_GRAY, 2, "\x1b")
                                    << pixels({4, 1}, QImage::Format_RGB32,
                                              {0xff000000, 0xff555555, 0xffaaaaaa, 0xffffffff});
        QTest::newRow("grey and alpha")
            << libpngFile({2, 1}, PNG_COLOR_TYPE_GRAY_ALPHA, 8, QByteArray("\x64\xff\x1e\x80", 4))
            << pixels({2, 1}, QImage::Format_ARGB32,
                      {qRgba(100, 100, 100, 255), qRgba(30, 30, 30, 128)});
        QTest::newRow("16-bit grey and alpha, rounded")
            << libpngFile({1, 1}, PNG_COLOR_TYPE_GRAY_ALPHA, 16, QByteArray("\x12\xff\x80\x00", 4))
            << pixels({1, 1}, QImage::Format_ARGB32, {qRgba(19, 19, 19, 128)});
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
        badCrc[good.indexOf("IDAT") + 100] =
            static_cast<char>(badCrc[good.indexOf("IDAT") + 100] ^ 0x40);
        QVERIFY(mdlSavedll::decodePng(badCrc).isNull());
        QVERIFY(mdlSavedll::decodePng(
                    libpngFile({20001, 1}, PNG_COLOR_TYPE_GRAY, 8, QByteArray(20001, 0)))
                    .isNull());
    }

    void writeFileIntoAMissingFolderFails()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/a.png"));
        QString error;
        QVERIFY(!mdlSavedll::writeFile(path, "bytes", &error));
        QVERIFY(error.startsWith(QStringLiteral("ファイル「%1」に書き込めませんでした。")
                                     .arg(QDir::toNativeSeparators(path))));
        QVERIFY(error.size() >
                QStringLiteral("ファイル「%1」に書き込めませんでした。").arg(path).size());
        QVERIFY(!QFile::exists(path));
    }

    void writeFileReplacesAllOrNothing()
    {
        QTemporaryDir dir;
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
