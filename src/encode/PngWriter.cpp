#include "encode/PngWriter.h"

#include "encode/PngChunks.h"
#include "encode/PngPixels.h"

namespace pngwriter {
namespace {

// The trial deflates one band of rows in every kBandStride, a quarter of the picture.
constexpr int kBandRows = 8;
constexpr int kBandStride = 4;

bool takenWhole(const pngpixels::Pixels& pixels)
{
    return pixels.height < 2 * kBandRows * kBandStride;
}

pngpixels::Pixels trialBands(const pngpixels::Pixels& pixels)
{
    pngpixels::Pixels sample;
    sample.width = pixels.width;
    sample.colourType = pixels.colourType;
    sample.bitDepth = pixels.bitDepth;
    sample.rowBytes = pixels.rowBytes;
    sample.filterDistance = pixels.filterDistance;
    for (int y = 0; y < pixels.height; ++y) {
        if (y / kBandRows % kBandStride == 0) {
            const auto* row = pixels.rows.data() + pixels.rowBytes * static_cast<std::size_t>(y);
            sample.rows.insert(sample.rows.end(), row, row + pixels.rowBytes);
            ++sample.height;
        }
    }
    return sample;
}

}  // namespace

std::optional<QByteArray> encode(const QImage& image, const Settings& settings)
{
    const pngpixels::Pixels pixels = pngpixels::analyse(image);
    if (pixels.width == 0 || pixels.height == 0 || settings.candidates.empty()) {
        return std::nullopt;
    }
    const bool whole = takenWhole(pixels);
    const pngpixels::Pixels sample = whole ? pngpixels::Pixels{} : trialBands(pixels);
    const pngpixels::Pixels& trial = whole ? pixels : sample;

    std::optional<std::vector<std::uint8_t>> best;
    pngfilters::Strategy bestStrategy = settings.candidates.front();
    for (const pngfilters::Strategy strategy : settings.candidates) {
        auto zlib = pngchunks::deflate(pngfilters::filterRows(trial, strategy), settings.level);
        if (!zlib) {
            return std::nullopt;
        }
        if (!best || zlib->size() < best->size()) {
            best = std::move(zlib);
            bestStrategy = strategy;
        }
    }
    if (!whole) {
        best = pngchunks::deflate(pngfilters::filterRows(pixels, bestStrategy), settings.level);
    }
    if (!best) {
        return std::nullopt;
    }
    return pngchunks::file(pixels, *best);
}

}  // namespace pngwriter
