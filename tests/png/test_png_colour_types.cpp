#include "saving/mdlSavedll.h"
#include "support/MagickPictures.h"

#include <QList>
#include <QSet>
#include <QTest>
#include <memory>
#include <vector>

#include <libimagequant.h>
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

// The reduction as it was first written: 256, 128, ... 2 colours one after the other on
// one libimagequant picture, each written by the lossless writer; the files by count.
std::vector<QByteArray> reducedCountByCount(const QImage& image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBX8888);
    const int width = rgba.width();
    const int height = rgba.height();
    std::vector<void*> rows;
    for (int y = 0; y < height; ++y) {
        rows.push_back(const_cast<uchar*>(rgba.constScanLine(y)));
    }
    const std::unique_ptr<liq_attr, void (*)(liq_attr*)> attr(liq_attr_create(), liq_attr_destroy);
    const std::unique_ptr<liq_image, void (*)(liq_image*)> input(
        liq_image_create_rgba_rows(attr.get(), rows.data(), width, height, 0), liq_image_destroy);
    std::vector<QByteArray> files;
    for (int colours = 256; colours >= 2; colours /= 2) {
        liq_set_max_colors(attr.get(), colours);
        liq_result* raw = nullptr;
        if (liq_image_quantize(input.get(), attr.get(), &raw) != LIQ_OK) {
            return {};
        }
        const std::unique_ptr<liq_result, void (*)(liq_result*)> result(raw, liq_result_destroy);
        liq_set_dithering_level(result.get(),
                                liq_get_quantization_error(result.get()) > 2.0 ? 1.0f : 0.0f);
        std::vector<uchar> packed(static_cast<std::size_t>(width * height));
        liq_write_remapped_image(result.get(), input.get(), packed.data(), packed.size());
        const liq_palette* palette = liq_get_palette(result.get());
        QImage reduced(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const liq_color c =
                    palette->entries[packed[static_cast<std::size_t>(y * width + x)]];
                reduced.setPixel(x, y, qRgb(c.r, c.g, c.b));
            }
        }
        files.push_back(mdlSavedll::encodePng(reduced, PngChoice::Standard).value());
    }
    return files;
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

    // The search skips counts; its file is never larger than the one going down the
    // counts one by one would give, at limits on and between that search's sizes.
    void reducedColoursAreNoLargerThanCountByCount()
    {
        for (const char* name : {"rose:", "logo:"}) {
            const QImage picture = magickPicture(QString::fromLatin1(name), {240, 320});
            const std::vector<QByteArray> ladder = reducedCountByCount(picture);
            QCOMPARE(ladder.size(), std::size_t{8});
            for (const std::size_t step : {std::size_t{1}, std::size_t{4}, std::size_t{7}}) {
                for (const qint64 limit : {qint64(ladder[step].size()),
                                           (ladder[step].size() + ladder[step - 1].size()) / 2}) {
                    const auto before = std::find_if(
                        ladder.begin(), ladder.end(),
                        [limit](const QByteArray& file) { return file.size() <= limit; });
                    const QByteArray now =
                        mdlSavedll::encodeReducedPng(picture, PngChoice::Standard, limit).value();
                    QVERIFY2(before != ladder.end() && now.size() <= before->size(),
                             qPrintable(QStringLiteral("%1 limit %2: %3 bytes")
                                            .arg(QLatin1String(name))
                                            .arg(limit)
                                            .arg(now.size())));
                }
            }
        }
    }

    // A reduction overtaken by a newer request ends before its next try.
    void aStoppedReductionMakesNoFurtherTry()
    {
        const QImage photo = magickPicture(QStringLiteral("rose:"), {240, 320});
        int asked = 0;
        const QByteArray file =
            mdlSavedll::encodeReducedPng(photo, PngChoice::Fast, 1000, [&asked] {
                return ++asked > 1;
            }).value();
        QCOMPARE(asked, 2);
        QVERIFY(distinctColours(mdlSavedll::decodePng(file)) > 128);  // the 256-colour try only
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
