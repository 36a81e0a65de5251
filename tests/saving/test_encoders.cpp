#include "common/WorkPool.h"
#include "saving/mdlPng.h"
#include "saving/mdlSavedll.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <csetjmp>
#include <random>
#include <vector>

#include <malloc.h>
#include <png.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

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

// Lines of anti-aliased "words" on white: fifty words of six glyphs, each glyph
// three strokes drawn four times finer and averaged down to 7 x 12 pixels.
QImage screenLike(int width, int height)
{
    std::mt19937 random(7);
    const auto next = [&random](int below) {
        return static_cast<int>(random() % static_cast<unsigned>(below));
    };
    QImage fine(40 * 28, 48, QImage::Format_RGB32);
    fine.fill(Qt::black);
    for (int s = 0; s < 40 * 3; ++s) {
        const int x0 = s / 3 * 28 + next(24), y0 = next(36), dx = next(24) - x0 % 28,
                  dy = next(36) - y0;
        for (int t = 0; t <= 32; ++t) {
            for (int d = 0; d < 9; ++d) {
                fine.setPixel(x0 + dx * t / 32 + 1 + d % 3, y0 + dy * t / 32 + 4 + d / 3,
                              0xffffffff);
            }
        }
    }
    const QImage glyphs = fine.scaled(40 * 7, 12, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    std::vector<int> words(50 * 6);
    for (int& c : words) {
        c = next(48);  // 40 and above: a blank
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    for (int line = 35; line + 15 < height; line += 17) {
        for (int x = 12; x + 6 * 7 < width - 12; x += 5) {
            for (int k = 0, word = next(50); k < 6; ++k, x += 7) {
                const int c = words[static_cast<size_t>(word * 6 + k)];
                for (int i = 0; c < 40 && i < 7 * 12; ++i) {
                    const int v = 255 - qGray(glyphs.pixel(c * 7 + i % 7, i / 7)) / 2;
                    image.setPixel(x + i % 7, line + i / 7, qRgb(v, v, qMin(255, v + 8)));
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

// `png` with a chunk of `type` and `data` put before its image data.
QByteArray withChunk(const QByteArray& png, const char* type, const QByteArray& data)
{
    QByteArray chunk;
    const quint32 length = static_cast<quint32>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) {
        chunk.append(static_cast<char>(length >> shift & 0xff));
    }
    const QByteArray body = QByteArray(type, 4) + data;
    const auto crc = static_cast<quint32>(
        crc32(0, reinterpret_cast<const Bytef*>(body.constData()), static_cast<uInt>(body.size())));
    chunk.append(body);
    for (int shift = 24; shift >= 0; shift -= 8) {
        chunk.append(static_cast<char>(crc >> shift & 0xff));
    }
    QByteArray result = png;
    return result.insert(png.indexOf("IDAT") - 4, chunk);
}

// The private writable memory the process has mapped now (the measure of
// RLIMIT_DATA), in bytes.
rlim_t dataInUse()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmData:")) {
            return static_cast<rlim_t>(line.mid(7).trimmed().split(' ').first().toLongLong()) *
                   1024;
        }
    }
    return 0;
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

int g_messages = 0;
void countMessage(QtMsgType, const QMessageLogContext&, const QString&)
{
    ++g_messages;
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
        QTest::newRow("odd size, ARGB")
            << photoLike(37, 19).convertToFormat(QImage::Format_ARGB32) << false;
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
        QVERIFY2(static_cast<double>(screen) <=
                     screenGoal * static_cast<double>(plainPng(m_screen, level).size()),
                 QByteArray::number(screen));
        QVERIFY(mdlSavedll::encodePng(m_photo, choice)->size() <= plainPng(m_photo, level).size());
    }

    void decodePngReadsEveryKind_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QImage>("expected");
        QImage transparent = m_photo.convertToFormat(QImage::Format_Indexed8);
        transparent.setColor(3, qRgba(10, 20, 30, 0));
        QTest::newRow("palette, transparent entry")
            << qtPng(transparent) << transparent.convertToFormat(QImage::Format_ARGB32);
        QTest::newRow("grey 2-bit")
            << libpngFile({4, 1}, PNG_COLOR_TYPE_GRAY, 2, "\x1b")
            << pixels(4, QImage::Format_RGB32, {0xff000000, 0xff555555, 0xffaaaaaa, 0xffffffff});
        QTest::newRow("grey and alpha")
            << libpngFile({2, 1}, PNG_COLOR_TYPE_GRAY_ALPHA, 8, QByteArray("\x64\xff\x1e\x80", 4))
            << pixels(2, QImage::Format_ARGB32,
                      {qRgba(100, 100, 100, 255), qRgba(30, 30, 30, 128)});
        QTest::newRow("text, gamma and Exif skipped")
            << withChunk(withChunk(withChunk(libpngFile({2, 1}, PNG_COLOR_TYPE_GRAY, 8, "\x10\xf0"),
                                             "tEXt", "Title\0x"),
                                   "gAMA", QByteArray("\0\0\0\0", 4)),
                         "eXIf", "MM\0*")
            << pixels(2, QImage::Format_RGB32, {0xff101010, 0xfff0f0f0});
        QTest::newRow("16-bit, rounded")
            << libpngFile({1, 1}, PNG_COLOR_TYPE_GRAY_ALPHA, 16, QByteArray("\x12\xff\x80\x00", 4))
            << pixels(1, QImage::Format_ARGB32, {qRgba(19, 19, 19, 128)});
    }
    void decodePngReadsEveryKind()
    {
        QFETCH(QByteArray, png);
        QTEST(mdlSavedll::decodePng(png), "expected");
    }

    void decodePngRefusesWhatItCannotRead()
    {
        const QByteArray good = plainPng(m_photo, 6);
        QByteArray badCrc = good;
        badCrc[good.indexOf("IDAT") + 100] ^= 0x40;
        for (const QByteArray& bad :
             {QByteArray("not a picture"), good.left(good.size() / 2), badCrc}) {
            QVERIFY(mdlSavedll::decodePng(bad).isNull());
        }
    }

    // No picture of the program is wider or higher than 8192 pixels or has more
    // than 4096 x 4096; larger files are refused before their pixels are read.
    void decodePngRefusesPicturesNoPhoneHas()
    {
        const auto grey = [](int width, int height) {
            return libpngFile({width, height}, PNG_COLOR_TYPE_GRAY, 1,
                              QByteArray(static_cast<qsizetype>((width + 7) / 8) * height, 0));
        };
        QCOMPARE(mdlSavedll::decodePng(grey(8192, 2)).size(), QSize(8192, 2));
        QVERIFY(mdlSavedll::decodePng(grey(8193, 1)).isNull());
        QVERIFY(mdlSavedll::decodePng(grey(1, 8193)).isNull());
        QVERIFY(mdlSavedll::decodePng(grey(4097, 4096)).isNull());
    }

    void loadPngPictureGivesEveryKindAtItsOwnSize()
    {
        QTemporaryDir dir;
        QImage colours(37, 21, QImage::Format_ARGB32);
        for (int i = 0; i < 37 * 21; ++i) {
            colours.setPixel(i % 37, i / 37, qRgba(i % 37 * 6, i / 37 * 12, 90, 128 + i % 37));
        }
        for (auto format : {QImage::Format_Indexed8, QImage::Format_Grayscale8,
                            QImage::Format_RGB32, QImage::Format_ARGB32}) {
            const QImage source = colours.convertToFormat(format, Qt::ThresholdDither);
            const QString path = dir.filePath(QStringLiteral("%1.png").arg(int(format)));
            QVERIFY(source.save(path, "PNG"));
            const QImage loaded = mdlPng::LoadPngPicture(path);
            QCOMPARE(loaded.size(), source.size());
            const QRgb expected = source.pixel(30, 17), got = loaded.pixel(30, 17);
            QVERIFY(qAbs(qRed(got) - qRed(expected)) <= 1 &&
                    qAbs(qBlue(got) - qBlue(expected)) <= 1);
            QCOMPARE(qAlpha(got), qAlpha(expected));
        }
    }

    void loadPngPictureFailsWithNoPictureAndNoMessage()
    {
        QTemporaryDir dir;
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString jpeg = dir.filePath(QStringLiteral("photo.jpg"));
        QVERIFY(image.save(jpeg, "JPEG"));
        g_messages = 0;
        const QtMessageHandler previous = qInstallMessageHandler(countMessage);
        for (const QString& path :
             {QString(), dir.filePath(QStringLiteral("none.png")), jpeg, dir.path()}) {
            QVERIFY2(mdlPng::LoadPngPicture(path).isNull(), qPrintable(path));
        }
        qInstallMessageHandler(previous);
        QCOMPARE(g_messages, 0);
    }

    // Memory that runs out during the encode (the output that cannot grow, in libpng's
    // error path, or the encoder's own buffers) gives nothing back, and no exception
    // leaves the encoder or crosses libpng's C frames.
    void pngEncodeOutOfMemoryGivesNothing()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer cannot run under a data-size limit");
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
        QSKIP("AddressSanitizer cannot run under a data-size limit");
#endif
#endif
        // Noise does not compress: the output grows to the picture's size, in steps.
        QImage noise(2000, 2000, QImage::Format_RGB888);
        std::mt19937 random(3);
        for (int y = 0; y < noise.height(); ++y) {
            for (int i = 0; i < noise.width() * 3; ++i) {
                noise.scanLine(y)[i] = static_cast<uchar>(random());
            }
        }
        workpool::instance().waitForDone();  // the pool's lock free in the child
        const pid_t child = fork();
        if (child == 0) {
            // Every large block is mapped anew, so the memory in use grows with each
            // one, whatever the earlier tests left free on the heap.
            mallopt(M_MMAP_THRESHOLD, 128 * 1024);
            // Room for the trial sample (a quarter of the picture), the libpng and
            // zlib state and the first reserved output, but not for the output to grow.
            const rlim_t room = static_cast<rlim_t>(noise.sizeInBytes() / 4 * 3 / 2 + (1 << 20));
            rlimit limit{};
            int result = 3;
            getrlimit(RLIMIT_DATA, &limit);
            limit.rlim_cur = dataInUse() + room;
            if (limit.rlim_cur <= limit.rlim_max && setrlimit(RLIMIT_DATA, &limit) == 0) {
                try {
                    result = mdlSavedll::encodePng(noise, PngChoice::Fast) ? 1 : 0;
                } catch (...) {
                    result = 2;
                }
            }
            _exit(result);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), "the encode crashed");
        QCOMPARE(WEXITSTATUS(status), 0);  // 1: the limit was not reached, 2: an exception escaped
    }
};

QTEST_GUILESS_MAIN(TestEncoders)
#include "test_encoders.moc"
