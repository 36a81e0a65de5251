#pragma once

#include "png/PngPixels.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

// The parts of a PNG file that libpng cannot take from outside: zlib data made by
// libdeflate, and the chunks around it.
namespace pngchunks {

// `data` as a zlib stream at libdeflate `level` 0..12; nothing on failure.
std::optional<std::vector<std::uint8_t>> deflate(const std::vector<std::uint8_t>& data, int level);

// The whole file: signature, IHDR (from `pixels`' size, colour type and depth), PLTE
// for a palette, one IDAT holding `zlib`, IEND, every chunk with its CRC.
QByteArray file(const pngpixels::Pixels& pixels, const std::vector<std::uint8_t>& zlib);

}  // namespace pngchunks
