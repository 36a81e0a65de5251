#pragma once

#include <QtGlobal>
#include <vector>

class QImage;

// The working copy of an image's pixels: width × height 32-bit pixels, rows top to
// bottom, each row directly after the previous one. A pixel is 0xXXRRGGBB, so in memory
// (little-endian) its bytes are blue, green, red and a fourth byte without colour.
struct PixelBuffer
{
    int width = 0;
    int height = 0;
    std::vector<quint32> pixels;

    quint32* row(int y) { return pixels.data() + static_cast<qsizetype>(y) * width; }
    const quint32* row(int y) const { return pixels.data() + static_cast<qsizetype>(y) * width; }
};

// Reading and writing the pixels of an image (Format_RGB32) as a PixelBuffer.
namespace LPSPixels {

// All pixels of the image, converted to Format_RGB32 first when it is in another format.
PixelBuffer GetPixels(const QImage& image);

// Copies the buffer unchanged onto the target with its top-left at (0, 0); what lies
// beyond the target is left out. A target in another format is converted first.
void SetPixels(QImage& target, const PixelBuffer& buffer);

}  // namespace LPSPixels
