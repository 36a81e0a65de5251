#include "saving/mdlSavedll.h"
#include "support/MagickPictures.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

// Every kind of file the encoder writes decodes to the same pixels in the decoders
// phones' files are checked with on the desktop: libjpeg-turbo's djpeg, Python's PIL
// (also on libjpeg) and ffmpeg's own JPEG decoder (another IDCT and chroma upsampling,
// so a difference of rounding is allowed there), without a warning from any of them.
namespace {

struct Decoded
{
    QByteArray rgb;  // 8-bit R, G, B, row after row
    QByteArray errors;
};

Decoded run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return {{}, "failed: " + process.readAllStandardError()};
    }
    return {process.readAllStandardOutput(), process.readAllStandardError()};
}

// djpeg's binary PPM or PGM: three lines of header (kind, size, largest value), then
// the samples.
QByteArray ppmSamples(const QByteArray& ppm)
{
    qsizetype at = 0;
    for (int line = 0; line < 3 && at >= 0; ++line) {
        at = ppm.indexOf('\n', at) + 1;
    }
    return at > 0 ? ppm.mid(at) : QByteArray();
}

// The samples of a decoded picture as the tools write them: R, G, B or one grey.
QByteArray samplesOf(const QImage& image, bool grey)
{
    const QImage converted =
        image.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    QByteArray samples;
    for (int y = 0; y < converted.height(); ++y) {
        samples.append(reinterpret_cast<const char*>(converted.constScanLine(y)),
                       converted.width() * (grey ? 1 : 3));
    }
    return samples;
}

// ffmpeg's warnings about the file. Two are not: its converter's note on the YUV range
// of every JPEG ("deprecated pixel format"), and "EOI missing", which it also gives for
// libjpeg-turbo's own small files (the test checks the end marker itself).
QByteArray fileWarnings(const QByteArray& errors)
{
    QByteArray kept;
    for (const QByteArray& line : errors.split('\n')) {
        if (!line.isEmpty() && !line.contains("deprecated pixel format") &&
            !line.contains("EOI missing, emulating")) {
            kept += line + '\n';
        }
    }
    return kept;
}

struct Difference
{
    int largest = 0;
    double mean = 0;
};

Difference differenceOf(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size() || a.isEmpty()) {
        return {256, 256};
    }
    Difference difference;
    double sum = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const int d = std::abs(uchar(a[i]) - uchar(b[i]));
        difference.largest = std::max(difference.largest, d);
        sum += d;
    }
    difference.mean = sum / static_cast<double>(a.size());
    return difference;
}

}  // namespace

class TestJpegRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void filesDecodeTheSameEverywhere_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("quality");
        QTest::addColumn<bool>("fullChroma");
        QTest::addColumn<bool>("grey");
        QTest::newRow("4:2:0 q1") << "wizard:" << QSize(240, 320) << 1 << false << false;
        QTest::newRow("4:2:0 q40 odd size") << "logo:" << QSize(37, 21) << 40 << false << false;
        QTest::newRow("4:2:0 q85") << "rose:" << QSize(480, 854) << 85 << false << false;
        QTest::newRow("4:4:4 q100") << "logo:" << QSize(240, 320) << 100 << true << false;
        QTest::newRow("4:4:4 q70 odd size") << "rose:" << QSize(53, 29) << 70 << true << false;
        QTest::newRow("grey q30") << "wizard:" << QSize(123, 77) << 30 << false << true;
    }

    void filesDecodeTheSameEverywhere()
    {
        QFETCH(QString, picture);
        QFETCH(QSize, size);
        QFETCH(int, quality);
        QFETCH(bool, fullChroma);
        QFETCH(bool, grey);
        QImage image = magickPicture(picture, size);
        QVERIFY(!image.isNull());
        if (grey) {
            image = image.convertToFormat(QImage::Format_Grayscale8)
                        .convertToFormat(QImage::Format_RGB32);
        }
        const QByteArray jpeg = mdlSavedll::encodeJpeg(image, quality, false, fullChroma).value();
        QVERIFY(jpeg.endsWith("\xff\xd9"));
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("file.jpg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(jpeg) == jpeg.size());
        file.close();

        // djpeg writes grey files as PGM, colour ones as PPM.
        const Decoded djpeg = run(QStringLiteral("djpeg"), {QStringLiteral("-pnm"), path});
        QVERIFY2(djpeg.errors.isEmpty(), djpeg.errors.constData());
        const Decoded pil =
            run(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"),
                 QStringLiteral("import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                                "im.load(); sys.stdout.buffer.write(im.tobytes())"),
                 path});
        QVERIFY2(pil.errors.isEmpty(), pil.errors.constData());
        const Decoded ffmpeg =
            run(QStringLiteral("ffmpeg"),
                {QStringLiteral("-v"), QStringLiteral("warning"), QStringLiteral("-i"), path,
                 QStringLiteral("-f"), QStringLiteral("rawvideo"), QStringLiteral("-pix_fmt"),
                 grey ? QStringLiteral("gray") : QStringLiteral("rgb24"), QStringLiteral("-")});
        QVERIFY2(fileWarnings(ffmpeg.errors).isEmpty(), ffmpeg.errors.constData());

        const QByteArray samples = ppmSamples(djpeg.rgb);
        const qsizetype expected = qsizetype(size.width()) * size.height() * (grey ? 1 : 3);
        QCOMPARE(samples.size(), expected);
        QCOMPARE(pil.rgb, samples);
        QCOMPARE(samplesOf(QImage::fromData(jpeg, "JPEG"), grey), samples);
        // The same levels in a progressive file, whose Huffman tables libjpeg counts
        // itself: the baseline file's tables, counted here, code every block as it is.
        const QByteArray progressive =
            mdlSavedll::encodeJpeg(image, quality, true, fullChroma).value();
        QCOMPARE(samplesOf(QImage::fromData(progressive, "JPEG"), grey), samples);
        // ffmpeg: its own IDCT rounds a little differently; its chroma upsampling is
        // another filter, which moves colour edges of 4:2:0 files more than that.
        const Difference difference = differenceOf(ffmpeg.rgb, samples);
        const QString figures =
            QStringLiteral("%1 %2").arg(difference.largest).arg(difference.mean);
        QVERIFY2(difference.mean < 1.0, qPrintable(figures));
        QVERIFY2(!(grey || fullChroma) || difference.largest <= 4, qPrintable(figures));
    }
};

QTEST_MAIN(TestJpegRoundTrip)
#include "test_jpeg_round_trip.moc"
