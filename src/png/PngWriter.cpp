#include "png/PngWriter.h"

#include "common/PoolJobs.h"
#include "png/PngChunks.h"
#include "png/PngPixels.h"

#include <algorithm>

namespace pngwriter {
namespace {

// The trial deflates one band of rows in every kBandStride, a quarter of the picture.
constexpr std::size_t kBandRows = 8;
constexpr std::size_t kBandStride = 4;
constexpr std::size_t kStretchRows = kBandRows * kBandStride;
// Filterings whose trials are closer than this (in percent of the smaller) are deflated
// whole at the trial's level before one is chosen.
constexpr std::size_t kCloseTrialPercent = 25;

bool takenWhole(const pngpixels::Pixels& pixels)
{
    return static_cast<std::size_t>(pixels.height) < 2 * kStretchRows;
}

// Where the band of the i-th stretch of rows begins within it. Bands at the same place
// in every stretch would see one phase only of a layout that repeats with the stretch
// (rows of controls, lines of text); these wander over it, the same for every picture.
std::size_t bandOffset(std::size_t stretch)
{
    constexpr std::size_t kPlaces = kStretchRows - kBandRows + 1;  // 25
    constexpr std::size_t kStep = 11;                              // coprime to 25
    return stretch * kStep % kPlaces;
}

// The filtered data of the trial's bands, each filtered against its own row above.
std::vector<std::uint8_t> trialData(const pngpixels::Pixels& pixels, pngfilters::Strategy strategy)
{
    if (takenWhole(pixels)) {
        return pngfilters::filterRows(pixels, strategy);
    }
    std::vector<std::uint8_t> data;
    const auto height = static_cast<std::size_t>(pixels.height);
    for (std::size_t stretch = 0; stretch * kStretchRows < height; ++stretch) {
        const std::size_t top = std::min(stretch * kStretchRows + bandOffset(stretch),
                                         height - std::min(height, kBandRows));
        const std::vector<std::uint8_t> band =
            pngfilters::filterRows(pixels, strategy, top, std::min(kBandRows, height - top));
        data.insert(data.end(), band.begin(), band.end());
    }
    return data;
}

using Deflated = std::optional<std::vector<std::uint8_t>>;

// Deflates the data of each of `strategies` at `level`, side by side.
std::vector<Deflated> deflateEach(const pngpixels::Pixels& pixels,
                                  const std::vector<pngfilters::Strategy>& strategies, int level,
                                  bool whole)
{
    std::vector<Deflated> results(strategies.size());
    pooljobs::forEach(static_cast<int>(strategies.size()), [&](int i) {
        const auto index = static_cast<std::size_t>(i);
        results[index] =
            pngchunks::deflate(whole ? pngfilters::filterRows(pixels, strategies[index])
                                     : trialData(pixels, strategies[index]),
                               level);
    });
    return results;
}

// The index of the smallest result (the earlier wins a tie); nothing when one failed.
std::optional<std::size_t> smallest(const std::vector<Deflated>& results)
{
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (!results[i]) {
            return std::nullopt;
        }
        if (!best || results[i]->size() < results[*best]->size()) {
            best = i;
        }
    }
    return best;
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
    bool whole = takenWhole(pixels);

    Deflated best;
    pngfilters::Strategy bestStrategy = settings.candidates.front();
    if (settings.candidates.size() > 1) {
        const std::vector<pngfilters::Strategy>& candidates = settings.candidates;
        std::vector<Deflated> trials = deflateEach(pixels, candidates, settings.trialLevel, whole);
        const std::optional<std::size_t> winner = smallest(trials);
        if (!winner) {
            return std::nullopt;
        }
        bestStrategy = candidates[*winner];
        best = std::move(trials[*winner]);
        // The bands stand for the picture only so far: where another filtering came
        // close, the contenders are deflated whole before one is chosen.
        std::vector<pngfilters::Strategy> close{bestStrategy};
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            if (i != *winner && trials[i] &&
                trials[i]->size() * 100 <= best->size() * (100 + kCloseTrialPercent)) {
                close.push_back(candidates[i]);
            }
        }
        if (!whole && close.size() > 1) {
            std::vector<Deflated> wholes = deflateEach(pixels, close, settings.trialLevel, true);
            const std::optional<std::size_t> wholeWinner = smallest(wholes);
            if (!wholeWinner) {
                return std::nullopt;
            }
            bestStrategy = close[*wholeWinner];
            best = std::move(wholes[*wholeWinner]);
            whole = true;
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
