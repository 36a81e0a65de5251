#include "encode/PalettePng.h"

#include "encode/PngPixels.h"

#include <QList>
#include <algorithm>
#include <memory>
#include <vector>

#include <libimagequant.h>

namespace palettepng {
namespace {

// libimagequant's mean square error (on its 0..255 scale) above which a plain
// remap shows bands that dithering hides.
constexpr double kDitherAboveError = 2.0;
constexpr int kColourSteps[] = {256, 128, 64, 32, 16, 8, 4, 2};

struct LiqDeleter
{
    void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
    void operator()(liq_image* image) const { liq_image_destroy(image); }
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};
template <typename T>
using LiqPtr = std::unique_ptr<T, LiqDeleter>;

// The picture reduced to at most `colours` colours, as an RGB32 image.
QImage reduced(liq_attr* attr, liq_image* input, int colours, int width, int height)
{
    if (liq_set_max_colors(attr, colours) != LIQ_OK) {
        return {};
    }
    liq_result* raw = nullptr;
    if (liq_image_quantize(input, attr, &raw) != LIQ_OK || raw == nullptr) {
        return {};
    }
    const LiqPtr<liq_result> result(raw);
    const double error = liq_get_quantization_error(result.get());
    liq_set_dithering_level(result.get(), error > kDitherAboveError ? 1.0f : 0.0f);
    QImage indexed(width, height, QImage::Format_Indexed8);
    if (indexed.isNull()) {
        return {};
    }
    // Rows of an Indexed8 QImage are padded to 4 bytes; libimagequant wants them packed.
    std::vector<unsigned char> packed(static_cast<std::size_t>(width) *
                                      static_cast<std::size_t>(height));
    if (liq_write_remapped_image(result.get(), input, packed.data(), packed.size()) != LIQ_OK) {
        return {};
    }
    const liq_palette* palette = liq_get_palette(result.get());
    QList<QRgb> table;
    for (unsigned i = 0; i < palette->count; ++i) {
        table.append(qRgb(palette->entries[i].r, palette->entries[i].g, palette->entries[i].b));
    }
    indexed.setColorTable(table);
    for (int y = 0; y < height; ++y) {
        std::copy_n(packed.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                    width, indexed.scanLine(y));
    }
    return indexed.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

std::optional<QByteArray> encode(const QImage& image, const pngwriter::Settings& settings,
                                 qint64 limitBytes, const std::function<bool()>& stopped)
{
    if (image.isNull()) {
        return std::nullopt;
    }
    std::optional<QByteArray> smallest;
    const auto consider = [&smallest, limitBytes](std::optional<QByteArray> file) {
        if (file && (!smallest || file->size() < smallest->size())) {
            smallest = std::move(file);
        }
        return smallest && (limitBytes <= 0 || smallest->size() <= limitBytes);
    };
    if (const pngpixels::Pixels pixels = pngpixels::analyse(image);
        pixels.colourType != pngpixels::Rgb && consider(pngwriter::encode(pixels, settings))) {
        return smallest;
    }
    // Opaque RGBA, bytes R, G, B, A as libimagequant reads them.
    const QImage rgba = image.convertToFormat(QImage::Format_RGBX8888);
    const LiqPtr<liq_attr> attr(liq_attr_create());
    if (!attr || rgba.isNull()) {
        return std::nullopt;
    }
    // libimagequant only reads the rows (its interface is not const).
    std::vector<void*> rows;
    for (int y = 0; y < rgba.height(); ++y) {
        rows.push_back(const_cast<uchar*>(rgba.constScanLine(y)));
    }
    const LiqPtr<liq_image> input(
        liq_image_create_rgba_rows(attr.get(), rows.data(), rgba.width(), rgba.height(), 0));
    if (!input) {
        return std::nullopt;
    }
    for (const int colours : kColourSteps) {
        if (stopped && stopped()) {
            break;
        }
        const QImage picture =
            reduced(attr.get(), input.get(), colours, rgba.width(), rgba.height());
        if (picture.isNull()) {
            break;
        }
        if (consider(pngwriter::encode(picture, settings)) || limitBytes <= 0) {
            break;
        }
    }
    return smallest;
}

}  // namespace palettepng
