#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

// PNG encodes on libpng: 8-bit RGB, not interlaced, written to memory.
namespace pngwriter {

// The PNG file of `rgb888` (Format_RGB888) at zlib `level` 0..9, with libpng's row
// filter mask `filters` (PNG_FILTER_NONE, PNG_ALL_FILTERS, ...). Nothing on failure.
std::optional<QByteArray> encodeRgb888(const QImage& rgb888, int level, int filters);

// The PNG file of `image` (read as 24-bit RGB) at zlib `level`, with the row
// filtering that suits the picture: a quick trial at level 1 on a quarter of the
// rows, unfiltered against libpng's adaptive filters, and the smaller one kept.
// Screen-like pictures (flat areas, text) deflate best unfiltered, since repeated
// glyphs stay repeated byte strings; photographs deflate best filtered.
std::optional<QByteArray> encode(const QImage& image, int level);

}  // namespace pngwriter
