#pragma once

#include "encode/PngFilters.h"

#include <QByteArray>
#include <QImage>
#include <optional>
#include <vector>

// Lossless PNG encodes: the smallest exact colour type (PngPixels), the row filtering
// found best by trial, deflate by libdeflate. Standard PNG, not interlaced.
namespace pngwriter {

struct Settings
{
    int level = 6;  // libdeflate level 0..12
    // The filterings tried; the one whose data deflates smallest at `level` is kept.
    std::vector<pngfilters::Strategy> candidates;
};

// The PNG file of `image` (read as opaque 24-bit RGB). The trial runs at the level
// of the final encode on bands of rows spread over the picture (small pictures
// whole), since which filtering wins depends on how hard deflate looks for
// repeats. Nothing on failure.
std::optional<QByteArray> encode(const QImage& image, const Settings& settings);

}  // namespace pngwriter
