#include "png/PngReader.h"

#include <csetjmp>
#include <cstring>
#include <memory>
#include <vector>

#include <png.h>

namespace pngreader {
namespace {

constexpr size_t kSignatureSize = 8;

// One decode's libpng state, input and output. It lives on the heap so that it
// is still valid after an error has jumped back.
struct Decoder
{
    const QByteArray& bytes;
    qsizetype position = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    QImage image;
    std::vector<png_bytep> rows;

    explicit Decoder(const QByteArray& input) : bytes(input) {}
    ~Decoder() { png_destroy_read_struct(&png, &info, nullptr); }
};

[[noreturn]] void jumpBack(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void stayQuiet(png_structp, png_const_charp)
{
}

// Hands libpng the next bytes of the file; running out of them is an error. No
// exception may leave a callback: it would unwind through libpng's C frames.
void readBytes(png_structp png, png_bytep data, png_size_t length)
{
    bool read = false;
    try {
        auto* decoder = static_cast<Decoder*>(png_get_io_ptr(png));
        if (length <= static_cast<size_t>(decoder->bytes.size() - decoder->position)) {
            std::memcpy(data, decoder->bytes.constData() + decoder->position, length);
            decoder->position += static_cast<qsizetype>(length);
            read = true;
        }
    } catch (...) {
        read = false;
    }
    // Outside the handler: the jump must not skip the end of a catch block.
    if (!read) {
        png_error(png, "truncated");
    }
}

// Only the chunks that make the picture are read: IHDR, PLTE, tRNS, IDAT and IEND.
// Every other chunk is skipped over without being stored, and none may claim
// more than kMaxChunkBytes.
void limitChunks(png_structp png)
{
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    png_set_chunk_cache_max(png, 1);  // 1: keep no text, sPLT or unknown chunk (0 = no limit)
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_user_limits(png, kMaxSide, kMaxSide);
}

// Every kind of PNG becomes 8-bit samples in the byte order of Qt's 32-bit
// formats, with an opaque filler when the file has no alpha.
void requestArgb32(png_structp png, png_infop info, bool withAlpha)
{
    png_set_expand(png);    // palette to RGB, low-depth grey to 8 bits, tRNS to alpha
    png_set_scale_16(png);  // 16-bit samples rounded to 8 bits
    png_set_gray_to_rgb(png);
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    png_set_bgr(png);
    if (!withAlpha) {
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    }
#else
    if (withAlpha) {
        png_set_swap_alpha(png);
    } else {
        png_set_filler(png, 0xff, PNG_FILLER_BEFORE);
    }
#endif
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// The libpng calls. Nothing with a destructor may live in this frame: an error
// leaves it through longjmp.
bool read(Decoder& decoder)
{
    png_structp png = decoder.png;
    png_infop info = decoder.info;
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_set_read_fn(png, &decoder, readBytes);
    limitChunks(png);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (static_cast<long long>(width) * height > kMaxPixels) {
        return false;
    }
    const bool withAlpha = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) != 0 ||
                           png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    requestArgb32(png, info, withAlpha);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) {
        return false;
    }
    decoder.image = QImage(static_cast<int>(width), static_cast<int>(height),
                           withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (decoder.image.isNull()) {
        return false;
    }
    decoder.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        decoder.rows[y] = decoder.image.scanLine(static_cast<int>(y));
    }
    png_read_image(png, decoder.rows.data());
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

QImage decode(const QByteArray& bytes)
{
    if (static_cast<size_t>(bytes.size()) < kSignatureSize ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, kSignatureSize) != 0) {
        return {};
    }
    auto decoder = std::make_unique<Decoder>(bytes);
    decoder->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpBack, stayQuiet);
    if (decoder->png == nullptr) {
        return {};
    }
    decoder->info = png_create_info_struct(decoder->png);
    if (decoder->info == nullptr || !read(*decoder)) {
        return {};
    }
    return std::move(decoder->image);
}

}  // namespace pngreader
