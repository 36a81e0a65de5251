// Arbitrary bytes into the PNG reader: it must not crash, ask for more memory than
// the largest picture needs (run with -malloc_limit_mb=128), or give a picture
// beyond the bounds it promises; a picture it gives is one of Qt's 32-bit formats.
#include "encode/PngReader.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QImage image = pngreader::decode(bytes);
    if (image.isNull()) {
        return 0;
    }
    check(image.width() <= pngreader::kMaxSide && image.height() <= pngreader::kMaxSide);
    check(static_cast<long long>(image.width()) * image.height() <= pngreader::kMaxPixels);
    check(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32);
    return 0;
}
