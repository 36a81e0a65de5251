#pragma once

#include <QByteArray>
#include <QImage>

// Reads a PNG file from memory with libpng.
namespace pngreader {

// The largest picture the program ever makes: a phone screen is at most 4096 x 4096
// pixels, and only a very small screen (below 115 pixels high or 30 wide) is
// captured at twice its size, so no side exceeds 8192 and no picture 4096 x 4096
// pixels (64 MiB decoded). Files beyond either bound are refused before any pixel
// memory is taken.
constexpr int kMaxSide = 8192;
constexpr long long kMaxPixels = 4096LL * 4096;
// No chunk may be longer than this (image data excepted, which is read in pieces);
// the largest chunk the reader uses is a 768-byte palette.
constexpr size_t kMaxChunkBytes = 1024 * 1024;

// The picture at the file's own size: Format_ARGB32 when the file has alpha or a
// transparent colour, Format_RGB32 otherwise. Palette, grey of every depth, RGB,
// alpha and 16-bit files are read; a null image for anything that cannot be.
// Ancillary chunks other than tRNS (text, colour profiles, Exif, ...) are skipped
// unread: they change nothing in the picture shown.
QImage decode(const QByteArray& bytes);

}  // namespace pngreader
