#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>

// The pictures of a screen-cast stream as the rest of the program sees them.
namespace streamframe {

// The picture format for a raw video format of the stream (an spa_video_format
// value): BGRx and BGRA are Format_RGB32, RGBx and RGBA Format_RGBX8888 (the alpha
// of a screen is not used). Format_Invalid for any other format.
QImage::Format imageFormat(std::uint32_t videoFormat);

// A picture over the stream's memory, without a copy; null when the sizes do not fit
// the memory (`bytes` from `data` on).
QImage wrap(const void* data, std::size_t bytes, int width, int height, int stride,
            QImage::Format format);

// The device pixels of `area` of the frame, as a Format_RGB32 copy, black where the
// area lies off the frame; null when none of it lies on the frame.
QImage copyRegion(const QImage& frame, const QRect& area);

}  // namespace streamframe
