#include "png/PngChunks.h"

#include <memory>

#include <libdeflate.h>

namespace pngchunks {
namespace {

struct CompressorDeleter
{
    void operator()(libdeflate_compressor* compressor) const
    {
        libdeflate_free_compressor(compressor);
    }
};

void appendBigEndian(QByteArray& out, std::uint32_t value)
{
    out.append(static_cast<char>(value >> 24));
    out.append(static_cast<char>(value >> 16 & 0xff));
    out.append(static_cast<char>(value >> 8 & 0xff));
    out.append(static_cast<char>(value & 0xff));
}

// Length, type, data and the CRC of type and data.
void appendChunk(QByteArray& out, const char (&type)[5], const void* data, std::size_t length)
{
    appendBigEndian(out, static_cast<std::uint32_t>(length));
    const qsizetype start = out.size();
    out.append(type, 4);
    if (length > 0) {
        out.append(static_cast<const char*>(data), static_cast<qsizetype>(length));
    }
    const std::uint32_t crc =
        libdeflate_crc32(0, out.constData() + start, static_cast<std::size_t>(out.size() - start));
    appendBigEndian(out, crc);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> deflate(const std::vector<std::uint8_t>& data, int level)
{
    const std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(level));
    if (!compressor) {
        return std::nullopt;
    }
    // Room for the worst case, left unset: only the few pages written are ever touched.
    const std::size_t room = libdeflate_zlib_compress_bound(compressor.get(), data.size());
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(room);
    const std::size_t written =
        libdeflate_zlib_compress(compressor.get(), data.data(), data.size(), buffer.get(), room);
    if (written == 0) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(buffer.get(), buffer.get() + written);
}

QByteArray file(const pngpixels::Pixels& pixels, const std::vector<std::uint8_t>& zlib)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(zlib.size() + pixels.palette.size() * 3 + 64));
    out.append("\x89PNG\r\n\x1a\n", 8);

    QByteArray header;
    appendBigEndian(header, static_cast<std::uint32_t>(pixels.width));
    appendBigEndian(header, static_cast<std::uint32_t>(pixels.height));
    header.append(static_cast<char>(pixels.bitDepth));
    header.append(static_cast<char>(pixels.colourType));
    header.append(3, '\0');  // deflate, filter method 0, not interlaced
    appendChunk(out, "IHDR", header.constData(), static_cast<std::size_t>(header.size()));

    if (pixels.colourType == pngpixels::Palette) {
        QByteArray palette;
        for (const QRgb colour : pixels.palette) {
            palette.append(static_cast<char>(qRed(colour)));
            palette.append(static_cast<char>(qGreen(colour)));
            palette.append(static_cast<char>(qBlue(colour)));
        }
        appendChunk(out, "PLTE", palette.constData(), static_cast<std::size_t>(palette.size()));
    }
    appendChunk(out, "IDAT", zlib.data(), zlib.size());
    appendChunk(out, "IEND", nullptr, 0);
    return out;
}

}  // namespace pngchunks
