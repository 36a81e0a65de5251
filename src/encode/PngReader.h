#pragma once

#include <QByteArray>
#include <QImage>

// Reads a PNG file from memory with libpng.
namespace pngreader {

// Images larger than this on either side, or in all, are refused.
constexpr int kMaxSide = 20000;
constexpr long long kMaxPixels = 100'000'000;

// The picture at the file's own size: Format_ARGB32 when the file has alpha or a
// transparent colour, Format_RGB32 otherwise. Palette, grey of every depth, RGB,
// alpha and 16-bit files are read; a null image for anything that cannot be.
QImage decode(const QByteArray& bytes);

}  // namespace pngreader
