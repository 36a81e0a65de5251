#include "encode/PngWriter.h"

#include "encode/PngChunks.h"
#include "encode/PngPixels.h"
#include "platform/PoolJobs.h"

#include <algorithm>

namespace pngwriter {
namespace {

// The trial deflates one band of rows in every kBandStride, a quarter of the picture.
constexpr std::size_t kBandRows = 8;
constexpr std::size_t kBandStride = 4;

bool takenWhole(const pngpixels::Pixels& pixels)
{
    return static_cast<std::size_t>(pixels.height) < 2 * kBandRows * kBandStride;
}

// The filtered data of the trial's bands, each filtered against its own row above.
std::vector<std::uint8_t> trialData(const pngpixels::Pixels& pixels, pngfilters::Strategy strategy)
{
    if (takenWhole(pixels)) {
        return pngfilters::filterRows(pixels, strategy);
    }
    std::vector<std::uint8_t> data;
    const auto height = static_cast<std::size_t>(pixels.height);
    for (std::size_t top = 0; top < height; top += kBandRows * kBandStride) {
        const std::vector<std::uint8_t> band =
            pngfilters::filterRows(pixels, strategy, top, std::min(kBandRows, height - top));
        data.insert(data.end(), band.begin(), band.end());
    }
    return data;
}

}  // namespace

std::optional<QByteArray> encode(const QImage& image, const Settings& settings)
{
    return encode(pngpixels::analyse(image), settings);
}

std::optional<QByteArray> encode(const pngpixels::Pixels& pixels, const Settings& settings)
{
    if (pixels.width == 0 || pixels.height == 0 || settings.candidates.empty()) {
        return std::nullopt;
    }
    const bool whole = takenWhole(pixels);

    std::optional<std::vector<std::uint8_t>> best;
    pngfilters::Strategy bestStrategy = settings.candidates.front();
    if (settings.candidates.size() > 1) {
        // The trials are independent: they share the processor's cores.
        const std::vector<pngfilters::Strategy>& candidates = settings.candidates;
        std::vector<std::optional<std::vector<std::uint8_t>>> trials(candidates.size());
        pooljobs::forEach(static_cast<int>(candidates.size()), [&](int i) {
            const auto index = static_cast<std::size_t>(i);
            trials[index] =
                pngchunks::deflate(trialData(pixels, candidates[index]), settings.trialLevel);
        });
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            if (!trials[i]) {
                return std::nullopt;
            }
            // The earlier candidate wins a tie.
            if (!best || trials[i]->size() < best->size()) {
                best = std::move(trials[i]);
                bestStrategy = candidates[i];
            }
        }
    }
    const int level = settings.levelFor ? settings.levelFor(pixels, bestStrategy) : settings.level;
    if (!best || !whole || settings.trialLevel != level) {
        best = pngchunks::deflate(pngfilters::filterRows(pixels, bestStrategy), level);
    }
    if (!best) {
        return std::nullopt;
    }
    return pngchunks::file(pixels, *best);
}

}  // namespace pngwriter
