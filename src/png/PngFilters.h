#pragma once

#include "png/PngPixels.h"

#include <cstdint>
#include <vector>

// How the rows of a picture are filtered before deflate (PNG filter method 0).
namespace pngfilters {

enum class Strategy {
    None,      // every row unfiltered: best for palettes and flat screens
    Up,        // every row against the row above: best for smoothly enlarged pictures
    Adaptive,  // per row, the filter with the smallest sum of magnitudes
    Entropy,   // per row, the filter whose bytes have the smallest Shannon entropy
};

// The image data before compression: every row of `pixels` preceded by its filter byte.
std::vector<std::uint8_t> filterRows(const pngpixels::Pixels& pixels, Strategy strategy);

// The same for the `count` rows from `first` on (within the picture), filtered against
// the picture's own row above `first`: exactly those rows of the whole picture's data
// whenever the filtering of a row depends on nothing but that row and the one above.
std::vector<std::uint8_t> filterRows(const pngpixels::Pixels& pixels, Strategy strategy,
                                     std::size_t first, std::size_t count);

}  // namespace pngfilters
