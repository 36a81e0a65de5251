#include "encode/mdlSavedll.h"
#include "support/MagickPictures.h"

#include <QSet>
#include <QTest>

#include <png.h>

using mdlSavedll::PngChoice;

namespace {

// `width` x 9 pixels cycling through `colours`, with runs so that filters matter.
QImage cycling(int width, const QList<QRgb>& colours)
{
    QImage image(width, 9, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, colours[(x / 3 + y * 5) % colours.size()]);
        }
    }
    return image;
}

QList<QRgb> greys(int count, int step)
{
    QList<QRgb> result;
    for (int i = 0; i < count; ++i) {
        result.append(qRgb(i * step, i * step, i * step));
    }
    return result;
}

QList<QRgb> colours(int count)
{
    QList<QRgb> result;
    for (int i = 0; i < count; ++i) {
        result.append(qRgb(i * 37 % 256, i * 91 % 256, i / 2));
    }
    return result;
}

// The picture as libpng's own simplified reader gives it, opaque RGB32.
QImage libpngRead(const QByteArray& file)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.constData(),
                                          static_cast<size_t>(file.size()))) {
        return {};
    }
    image.format = PNG_FORMAT_BGRA;
    QImage out(static_cast<int>(image.width), static_cast<int>(image.height),
               QImage::Format_ARGB32);
    if (!png_image_finish_read(&image, nullptr, out.bits(),
                               static_cast<png_int_32>(out.bytesPerLine()), nullptr)) {
        png_image_free(&image);
        return {};
    }
    return out.convertToFormat(QImage::Format_RGB32);
}

int distinctColours(const QImage& image)
{
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            seen.insert(image.pixel(x, y));
        }
    }
    return static_cast<int>(seen.size());
}

}  // namespace

class TestPngColourTypes : public QObject
{
    Q_OBJECT

private slots:
    void everyColourTypeRoundTripsExactly_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<int>("colourType");
        QTest::addColumn<int>("depth");
        QTest::newRow("grey 1-bit") << cycling(13, greys(2, 255)) << 0 << 1;
        QTest::newRow("grey 2-bit") << cycling(13, greys(4, 85)) << 0 << 2;
        QTest::newRow("grey 4-bit") << cycling(29, greys(16, 17)) << 0 << 4;
        QTest::newRow("grey 8-bit, many levels") << cycling(800, greys(256, 1)) << 0 << 8;
        QTest::newRow("two greys off the 1-bit levels: palette")
            << cycling(13, {qRgb(32, 32, 32), qRgb(224, 224, 224)}) << 3 << 1;
        QTest::newRow("palette 2-bit") << cycling(11, colours(3)) << 3 << 2;
        QTest::newRow("palette 4-bit") << cycling(17, colours(16)) << 3 << 4;
        QTest::newRow("palette 8-bit") << cycling(800, colours(256)) << 3 << 8;
        QTest::newRow("257 colours: RGB") << cycling(800, colours(257)) << 2 << 8;
        QImage tall = cycling(7, colours(5)).scaled(7, 200);  // trial on bands of rows
        QTest::newRow("palette, tall") << tall << 3 << 2;
        QTest::newRow("1 x 1") << cycling(1, {qRgb(1, 2, 3)}).copy(0, 0, 1, 1) << 3 << 1;
    }
    void everyColourTypeRoundTripsExactly()
    {
        QFETCH(QImage, source);
        QFETCH(int, colourType);
        QFETCH(int, depth);
        for (const PngChoice choice : {PngChoice::Standard, PngChoice::Fast, PngChoice::Small}) {
            const QByteArray file = mdlSavedll::encodePng(source, choice).value();
            // IHDR follows the 8-byte signature and the chunk's length and type.
            QCOMPARE(int(uchar(file[24])), depth);
            QCOMPARE(int(uchar(file[25])), colourType);
            QCOMPARE(mdlSavedll::decodePng(file), source);
            QCOMPARE(libpngRead(file), source);
        }
    }

    void realPicturesRoundTripInTheirSmallestType()
    {
        const QImage wizard = magickPicture(QStringLiteral("wizard:"), {240, 320});
        QVERIFY(!wizard.isNull());
        const QImage grey =
            wizard.convertToFormat(QImage::Format_Grayscale8).convertToFormat(QImage::Format_RGB32);
        for (const QImage& source : {wizard, grey}) {
            const QByteArray file = mdlSavedll::encodePng(source, PngChoice::Standard).value();
            QCOMPARE(libpngRead(file), source);
        }
        const QByteArray greyFile = mdlSavedll::encodePng(grey, PngChoice::Standard).value();
        QCOMPARE(int(uchar(greyFile[25])), 0);
    }

    void reducedColoursFitTheLimitWithAtMost256Colours()
    {
        const QImage photo = magickPicture(QStringLiteral("rose:"), {240, 320});
        QVERIFY(!photo.isNull());
        const qsizetype lossless = mdlSavedll::encodePng(photo, PngChoice::Standard)->size();
        for (const qint64 limit : {lossless / 2, lossless / 5, qint64(0)}) {
            const QByteArray file =
                mdlSavedll::encodeReducedPng(photo, PngChoice::Standard, limit).value();
            if (limit > 0) {
                QVERIFY2(file.size() <= limit, qPrintable(QString::number(file.size())));
            }
            const QImage back = mdlSavedll::decodePng(file);
            QCOMPARE(back.size(), photo.size());
            QVERIFY(distinctColours(back) <= 256);
            QCOMPARE(libpngRead(file), back);
        }
    }

    void reducedColoursWithNothingFittingGiveTheSmallestFile()
    {
        const QImage photo = magickPicture(QStringLiteral("rose:"), {240, 320});
        const QByteArray file = mdlSavedll::encodeReducedPng(photo, PngChoice::Fast, 10).value();
        QVERIFY(distinctColours(mdlSavedll::decodePng(file)) <= 2);
    }

    void reducedColoursKeepAFewColouredPictureExact()
    {
        const QImage source = cycling(40, colours(20)).scaled(40, 90);
        const QByteArray file =
            mdlSavedll::encodeReducedPng(source, PngChoice::Standard, 1'000'000).value();
        QCOMPARE(mdlSavedll::decodePng(file), source);
    }
};

QTEST_GUILESS_MAIN(TestPngColourTypes)
#include "test_png_colour_types.moc"
