#include "edit/LPSPixels.h"

#include <QImage>
#include <algorithm>
#include <cstring>

namespace LPSPixels {

PixelBuffer GetPixels(const QImage& image)
{
    const QImage source = image.format() == QImage::Format_RGB32
                              ? image
                              : image.convertToFormat(QImage::Format_RGB32);
    PixelBuffer buffer;
    buffer.width = source.width();
    buffer.height = source.height();
    buffer.pixels.reserve(static_cast<size_t>(buffer.width) * static_cast<size_t>(buffer.height));
    for (int y = 0; y < buffer.height; ++y) {
        const auto* row = reinterpret_cast<const quint32*>(source.constScanLine(y));
        buffer.pixels.insert(buffer.pixels.end(), row, row + buffer.width);
    }
    return buffer;
}

void SetPixels(QImage& target, const PixelBuffer& buffer)
{
    if (target.format() != QImage::Format_RGB32) {
        target = target.convertToFormat(QImage::Format_RGB32);
    }
    const int width = std::min(buffer.width, target.width());
    const int height = std::min(buffer.height, target.height());
    if (width <= 0 || height <= 0) {
        return;
    }
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(quint32);
    for (int y = 0; y < height; ++y) {
        std::memcpy(target.scanLine(y), buffer.row(y), rowBytes);
    }
}

}  // namespace LPSPixels
