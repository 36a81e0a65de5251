#include "screen/StreamFrame.h"

#include <spa/param/video/raw.h>
#include <QPainter>

namespace streamframe {

QImage::Format imageFormat(std::uint32_t videoFormat)
{
    switch (videoFormat) {
        case SPA_VIDEO_FORMAT_BGRx:
        case SPA_VIDEO_FORMAT_BGRA:
            return QImage::Format_RGB32;
        case SPA_VIDEO_FORMAT_RGBx:
        case SPA_VIDEO_FORMAT_RGBA:
            return QImage::Format_RGBX8888;
        default:
            return QImage::Format_Invalid;
    }
}

QImage wrap(const void* data, std::size_t bytes, int width, int height, int stride,
            QImage::Format format)
{
    if (!data || format == QImage::Format_Invalid || width <= 0 || height <= 0 ||
        stride < width * 4) {
        return {};
    }
    const auto needed = static_cast<std::size_t>(stride) * static_cast<std::size_t>(height - 1) +
                        static_cast<std::size_t>(width) * 4U;
    if (needed > bytes) {
        return {};
    }
    return QImage(static_cast<const uchar*>(data), width, height, stride, format);
}

QImage copyRegion(const QImage& frame, const QRect& area)
{
    const QRect inside = area.intersected(frame.rect());
    if (inside.isEmpty()) {
        return {};
    }
    // copy() of a picture over foreign memory keeps that memory's format; the
    // preview wants RGB32, and BGRx frames already are.
    QImage part = frame.copy(inside);
    if (part.format() != QImage::Format_RGB32) {
        part.convertTo(QImage::Format_RGB32);
    }
    if (inside == area) {
        return part;
    }
    // What lies off the monitor is black, as a screen read through X11 shows it.
    QImage whole(area.size(), QImage::Format_RGB32);
    whole.fill(Qt::black);
    QPainter(&whole).drawImage(inside.topLeft() - area.topLeft(), part);
    return whole;
}

}  // namespace streamframe
