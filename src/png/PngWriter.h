#pragma once

#include "png/PngFilters.h"

#include <QByteArray>
#include <QImage>
#include <functional>
#include <optional>
#include <vector>

// Lossless PNG encodes: the smallest exact colour type (PngPixels), the row filtering
// found best by trial, deflate by libdeflate. Standard PNG, not interlaced.
namespace pngwriter {

struct Settings
{
    int level = 6;  // libdeflate level 0..12 of the file
    // The filterings tried; the one whose data deflates smallest at `trialLevel` is kept.
    std::vector<pngfilters::Strategy> candidates;
    int trialLevel = 6;
    // The level of the file from the picture's form and the filtering that won;
    // `level` when empty.
    std::function<int(const pngpixels::Pixels&, pngfilters::Strategy)> levelFor;
};

// The PNG file of `image` (read as opaque 24-bit RGB). The trial runs on bands of
// rows spread over the picture (small pictures whole); with one candidate there is
// no trial. Nothing on failure.
std::optional<QByteArray> encode(const QImage& image, const Settings& settings);

// The same from the picture already in its smallest form (pngpixels::analyse).
std::optional<QByteArray> encode(const pngpixels::Pixels& pixels, const Settings& settings);

}  // namespace pngwriter
