// Arbitrary bytes into the PNG reader: it must not crash, ask for more memory than
// the largest picture needs (run with -malloc_limit_mb=128), or give a picture
// beyond the bounds it promises; a picture it gives is one of Qt's 32-bit formats.
// The chunk checksums are made right before reading, so that changed bytes reach
// the chunks' contents instead of failing every check at once.
#include "png/PngReader.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <zlib.h>

namespace {

quint32 bigEndian(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return quint32{b[0]} << 24 | quint32{b[1]} << 16 | quint32{b[2]} << 8 | quint32{b[3]};
}

// Every whole chunk after the signature gets the CRC of its type and data.
QByteArray withRightChecksums(QByteArray png)
{
    constexpr qsizetype kSignature = 8;
    for (qsizetype at = kSignature; at + 12 <= png.size();) {
        const quint32 length = bigEndian(png.constData() + at);
        if (length > static_cast<quint32>(png.size() - at - 12)) {
            break;
        }
        const qsizetype end = at + 8 + static_cast<qsizetype>(length);
        const auto crc = static_cast<quint32>(
            crc32(0, reinterpret_cast<const Bytef*>(png.constData() + at + 4), length + 4));
        for (int i = 0; i < 4; ++i) {
            png[end + i] = static_cast<char>(crc >> (24 - 8 * i) & 0xff);
        }
        at = end + 4;
    }
    return png;
}

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QImage image = pngreader::decode(withRightChecksums(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))));
    if (image.isNull()) {
        return 0;
    }
    check(image.width() <= pngreader::kMaxSide && image.height() <= pngreader::kMaxSide);
    check(static_cast<long long>(image.width()) * image.height() <= pngreader::kMaxPixels);
    check(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32);
    return 0;
}
