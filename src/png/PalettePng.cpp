#include "png/PalettePng.h"

#include "png/PngPixels.h"

#include <QList>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include <libimagequant.h>

namespace palettepng {
namespace {

// libimagequant's mean square error (on its 0..255 scale) above which a plain
// remap shows bands that dithering hides.
constexpr double kDitherAboveError = 2.0;
// The colour counts offered, most first; a step down halves the colours and takes
// about one bit a pixel off the file.
constexpr std::array<int, 8> kColourSteps = {256, 128, 64, 32, 16, 8, 4, 2};
constexpr int kSteps = static_cast<int>(kColourSteps.size());

struct LiqDeleter
{
    void operator()(liq_attr* attr) const { liq_attr_destroy(attr); }
    void operator()(liq_image* image) const { liq_image_destroy(image); }
    void operator()(liq_result* result) const { liq_result_destroy(result); }
};
template <typename T>
using LiqPtr = std::unique_ptr<T, LiqDeleter>;

// The picture reduced to at most `colours` colours, as an RGB32 image; `dithered` tells
// whether it was. libimagequant keeps in `input` where dithering may spread, worked out
// at the first dithered remap, and every later reduction depends on it.
QImage reduced(liq_attr* attr, liq_image* input, int colours, int width, int height, bool& dithered)
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
    dithered = error > kDitherAboveError;
    liq_set_dithering_level(result.get(), dithered ? 1.0f : 0.0f);
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

// The search for the most colours that fit. Steps index kColourSteps (0: 256 colours);
// the file shrinks at every step down, so the answer is the first step that fits.
class Search
{
public:
    explicit Search(qint64 limit) : m_limit(limit) {}

    void add(int step, QByteArray file) { m_files[step] = std::move(file); }

    // Most colours known to fit; kSteps when none does.
    int fitting() const
    {
        for (const auto& [step, file] : m_files) {
            if (file.size() <= m_limit) {
                return step;
            }
        }
        return kSteps;
    }
    // The first step that may still fit: the one after the last known not to.
    int open() const
    {
        int first = 0;
        const int fit = fitting();
        for (const auto& [step, file] : m_files) {
            if (step < fit) {
                first = step + 1;  // every made step above the fitting one is too large
            }
        }
        return first;
    }
    bool done() const { return open() == fitting(); }

    // The step to make next: where the sizes on either side of the open steps, taken
    // as straight against the step, put the limit. With none known to fit, the file is
    // taken to fall evenly from the last too large down to nothing below 2 colours
    // (each halving takes about one bit of eight a pixel).
    int next() const
    {
        const int first = open();
        const int fit = fitting();
        const double above = size(first - 1);  // too large; 256 colours always are made first
        const double limit = static_cast<double>(m_limit);
        const double crossing =
            fit == kSteps ? kSteps - limit * (kSteps - first + 1) / above
                          : (first - 1) + (above - limit) * (fit - first + 1) / (above - size(fit));
        return std::clamp(static_cast<int>(std::ceil(crossing)), first, fit - 1);
    }

    // The file with the most colours that fits, else the smallest made.
    std::optional<QByteArray> answer() const
    {
        if (m_files.empty()) {
            return std::nullopt;
        }
        const int fit = fitting();
        if (fit < kSteps) {
            return m_files.at(fit);
        }
        return std::min_element(
                   m_files.begin(), m_files.end(),
                   [](const auto& a, const auto& b) { return a.second.size() < b.second.size(); })
            ->second;
    }

private:
    double size(int step) const { return static_cast<double>(m_files.at(step).size()); }

    qint64 m_limit;
    std::map<int, QByteArray> m_files;
};

}  // namespace

std::optional<QByteArray> encode(const QImage& image, const pngwriter::Settings& settings,
                                 qint64 limitBytes, const std::function<bool()>& stopped)
{
    if (image.isNull()) {
        return std::nullopt;
    }
    // Few colours already: the picture itself when it fits, and a rival of the reductions.
    std::optional<QByteArray> exact;
    if (const pngpixels::Pixels pixels = pngpixels::analyse(image);
        pixels.colourType != pngpixels::Rgb) {
        exact = pngwriter::encode(pixels, settings);
        if (exact && (limitBytes <= 0 || exact->size() <= limitBytes)) {
            return exact;
        }
    }
    const auto smaller = [&exact](std::optional<QByteArray> file) {
        return exact && (!file || exact->size() < file->size()) ? exact : file;
    };
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
    // 256 colours first, as many as may be; then the count the sizes point to, until
    // the count that fits sits right below one that does not. Until a reduction has
    // been dithered the counts go one by one, so that the spread of the dithering is
    // learnt where the count-by-count search learns it and every file is the one it makes.
    Search search(limitBytes);
    bool anyDithered = false;
    for (int step = 0; !(stopped && stopped());) {
        bool dithered = false;
        const QImage picture =
            reduced(attr.get(), input.get(), kColourSteps[static_cast<std::size_t>(step)],
                    rgba.width(), rgba.height(), dithered);
        anyDithered = anyDithered || dithered;
        std::optional<QByteArray> file =
            picture.isNull() ? std::nullopt : pngwriter::encode(picture, settings);
        if (!file) {
            break;  // out of memory, say: the best made so far
        }
        search.add(step, std::move(*file));
        if (limitBytes <= 0 || search.done()) {
            break;
        }
        step = anyDithered ? search.next() : search.open();
    }
    return smaller(search.answer());
}

}  // namespace palettepng
