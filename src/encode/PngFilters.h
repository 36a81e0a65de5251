#pragma once

#include "encode/PngPixels.h"

#include <cstdint>
#include <vector>

// The row filters of PNG (filter method 0).
namespace pngfilters {

enum class Strategy {
    None,      // every row unfiltered
    Sub,       // every row Sub
    Up,        // every row Up
    Paeth,     // every row Paeth
    Adaptive,  // per row, the filter with the smallest sum of absolute differences
};

// The image data before compression: every row of `pixels` preceded by its filter byte.
std::vector<std::uint8_t> filterRows(const pngpixels::Pixels& pixels, Strategy strategy);

}  // namespace pngfilters
