#pragma once

#include "png/PngWriter.h"

#include <QByteArray>
#include <QImage>
#include <functional>
#include <optional>

// Lossy PNG: the picture reduced to a palette of at most 256 colours with
// libimagequant, then written by the lossless writer.
namespace palettepng {

// The PNG file of `image` with the most colours (256, 128, ... 2) whose file is at
// most `limitBytes`; when none is, the smallest of them. With `limitBytes` 0 or less,
// 256 colours. After 256 colours the search goes straight to the count the sizes
// point to, so it makes three or four reductions instead of up to eight; each file is
// the one going down the counts one by one would make. A picture that already has at most 256
// colours is first tried unchanged. Dithered where the palette leaves visible steps (gradients,
// photos), plain where it holds the picture closely (flat screens, where dithering would only add
// noise and bytes). Nothing on failure. `stopped`, when given, is asked before each try; once it
// says yes the search ends with what it has.
std::optional<QByteArray> encode(const QImage& image, const pngwriter::Settings& settings,
                                 qint64 limitBytes, const std::function<bool()>& stopped = {});

}  // namespace palettepng
