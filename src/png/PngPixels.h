#pragma once

#include <QImage>
#include <QRgb>
#include <cstdint>
#include <vector>

// The pixels of a picture in the smallest PNG colour type that holds them exactly:
// greyscale when every pixel is grey, a palette when there are at most 256 colours,
// 8-bit RGB otherwise; grey and palette at the lowest bit depth that fits.
namespace pngpixels {

enum ColourType : std::uint8_t { Grey = 0, Rgb = 2, Palette = 3 };

struct Pixels
{
    int width = 0;
    int height = 0;
    ColourType colourType = Rgb;
    int bitDepth = 8;
    std::vector<QRgb> palette;       // only for Palette, in index order
    std::size_t rowBytes = 0;        // packed samples of one row, no filter byte
    std::size_t filterDistance = 1;  // bytes per whole pixel, at least 1
    std::vector<std::uint8_t> rows;  // height * rowBytes
};

// The picture (read as opaque 24-bit RGB) in its smallest exact form; width or
// height 0 for a null image.
Pixels analyse(const QImage& image);

}  // namespace pngpixels
