#include "encode/PngWriter.h"

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include <png.h>

namespace pngwriter {
namespace {

constexpr int kTrialLevel = 1;
// The trial encodes one band of rows in every kTrialBandStride, a quarter of the picture.
constexpr int kTrialBandRows = 8;
constexpr int kTrialBandStride = 4;

// One encode's libpng state and output. It lives on the heap so that it is still
// valid after an error has jumped back.
struct Encoder
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    QByteArray bytes;
    std::vector<png_bytep> rows;

    ~Encoder() { png_destroy_write_struct(&png, &info); }
};

[[noreturn]] void jumpBack(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void stayQuiet(png_structp, png_const_charp)
{
}

// No exception may leave a callback: it would unwind through libpng's C frames. A
// failed append (std::bad_alloc) ends the encode through libpng's error path.
void append(png_structp png, png_bytep data, png_size_t length)
{
    bool appended = false;
    try {
        auto* encoder = static_cast<Encoder*>(png_get_io_ptr(png));
        encoder->bytes.append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(length));
        appended = true;
    } catch (...) {
        appended = false;
    }
    // Outside the handler: the jump must not skip the end of a catch block.
    if (!appended) {
        png_error(png, "out of memory");
    }
}

void flushNothing(png_structp)
{
}

// The libpng calls. Nothing with a destructor may live in this frame: an error
// leaves it through longjmp.
bool write(Encoder& encoder, const QImage& rgb888, int level, int filters)
{
    png_structp png = encoder.png;
    png_infop info = encoder.info;
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_write_fn(png, &encoder, append, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(rgb888.width()),
                 static_cast<png_uint_32>(rgb888.height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, level);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
    png_set_rows(png, info, encoder.rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

// Bands of rows spread over the whole picture; small pictures are taken whole.
QImage trialRows(const QImage& rgb888)
{
    if (rgb888.height() < 2 * kTrialBandRows * kTrialBandStride) {
        return rgb888;
    }
    std::vector<int> rows;
    for (int y = 0; y < rgb888.height(); ++y) {
        if (y / kTrialBandRows % kTrialBandStride == 0) {
            rows.push_back(y);
        }
    }
    QImage sample(rgb888.width(), static_cast<int>(rows.size()), QImage::Format_RGB888);
    const size_t rowBytes = static_cast<size_t>(rgb888.width()) * 3;
    for (int i = 0; i < sample.height(); ++i) {
        std::memcpy(sample.scanLine(i), rgb888.constScanLine(rows[static_cast<size_t>(i)]),
                    rowBytes);
    }
    return sample;
}

}  // namespace

std::optional<QByteArray> encodeRgb888(const QImage& rgb888, int level, int filters)
{
    if (rgb888.isNull() || rgb888.format() != QImage::Format_RGB888) {
        return std::nullopt;
    }
    auto encoder = std::make_unique<Encoder>();
    encoder->png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, stayQuiet);
    if (encoder->png == nullptr) {
        return std::nullopt;
    }
    encoder->info = png_create_info_struct(encoder->png);
    if (encoder->info == nullptr) {
        return std::nullopt;
    }
    encoder->rows.resize(static_cast<size_t>(rgb888.height()));
    for (int y = 0; y < rgb888.height(); ++y) {
        encoder->rows[static_cast<size_t>(y)] = const_cast<png_bytep>(rgb888.constScanLine(y));
    }
    encoder->bytes.reserve(static_cast<qsizetype>(rgb888.sizeInBytes() / 4 + 1024));
    if (!write(*encoder, rgb888, level, filters)) {
        return std::nullopt;
    }
    return std::move(encoder->bytes);
}

std::optional<QByteArray> encode(const QImage& image, int level)
{
    if (image.isNull()) {
        return std::nullopt;
    }
    const QImage rgb888 = image.convertToFormat(QImage::Format_RGB888);
    const QImage trial = trialRows(rgb888);
    const auto unfiltered = encodeRgb888(trial, kTrialLevel, PNG_FILTER_NONE);
    const auto adaptive = encodeRgb888(trial, kTrialLevel, PNG_ALL_FILTERS);
    if (!unfiltered || !adaptive) {
        return std::nullopt;
    }
    const bool keepUnfiltered = unfiltered->size() <= adaptive->size();
    return encodeRgb888(rgb888, level, keepUnfiltered ? PNG_FILTER_NONE : PNG_ALL_FILTERS);
}

}  // namespace pngwriter
