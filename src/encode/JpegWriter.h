#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

// A JPEG encode on the libjpeg API of libjpeg-turbo: optimised Huffman tables,
// 4:2:0 chroma subsampling (libjpeg's default), baseline or progressive.
namespace jpegwriter {

// The JPEG file of `image` (read as 24-bit RGB) at `quality`, clamped to 1..100.
// Every call builds and destroys its own compress object. Nothing on failure.
std::optional<QByteArray> encode(const QImage& image, int quality, bool progressive);

}  // namespace jpegwriter
