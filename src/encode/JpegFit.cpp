#include "encode/JpegFit.h"

#include "common/Numbers.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <utility>

namespace {

constexpr int kColdStart = 75;
// Growth of ln(file size) per quality step, for a first prediction from one probe.
constexpr double kDefaultSlope = 0.03;
// The file's size over the estimate's before any size is measured (the trellis takes
// less than rounding).
constexpr double kDefaultRatio = 0.93;

// The bracket and the sizes measured inside one search.
struct Search
{
    int fits = 0;     // highest quality known to fit; 0: none yet
    int fails = 101;  // lowest quality above `fits` known not to fit
    std::map<int, qint64> sizes;
    std::map<int, double> ratios;  // measured size over estimate, where both are known

    // The size measured at `quality`, if it was.
    std::optional<std::pair<int, qint64>> measured(int quality) const
    {
        const auto at = sizes.find(quality);
        return at == sizes.end() ? std::nullopt : std::optional(*at);
    }
};

// The quality where ln size reaches ln limit on the line through two points.
double crossing(std::pair<int, qint64> a, std::pair<int, qint64> b, qint64 limit)
{
    const double la = std::log(static_cast<double>(std::max<qint64>(a.second, 1)));
    const double lb = std::log(static_cast<double>(std::max<qint64>(b.second, 1)));
    double slope = a.first == b.first ? 0 : (lb - la) / (b.first - a.first);
    if (!(slope > 1e-4)) {
        slope = kDefaultSlope;
    }
    return a.first + (std::log(static_cast<double>(limit)) - la) / slope;
}

// The ratio of size to estimate at `quality`: straight between the nearest measured
// on either side, the nearest one's beyond them.
double ratioAt(const Search& search, int quality)
{
    const auto& ratios = search.ratios;
    if (ratios.empty()) {
        return kDefaultRatio;
    }
    const auto above = ratios.lower_bound(quality);
    if (above == ratios.end()) {
        return std::prev(above)->second;
    }
    if (above->first == quality || above == ratios.begin()) {
        return above->second;
    }
    const auto below = std::prev(above);
    const double t = static_cast<double>(quality - below->first) /
                     static_cast<double>(above->first - below->first);
    return below->second + (above->second - below->second) * t;
}

// The highest quality inside the bracket predicted to fit, by bisection over the
// predictions (they grow with the quality); the bracket's lowest when none is.
// Nothing when an estimate failed.
std::optional<int> predictedProbe(const Search& search, qint64 limit,
                                  const std::function<std::optional<qint64>(int)>& estimate)
{
    const auto fits = [&](int quality) -> std::optional<bool> {
        const std::optional<qint64> guess = estimate(quality);
        if (!guess) {
            return std::nullopt;
        }
        return static_cast<double>(*guess) * ratioAt(search, quality) <= static_cast<double>(limit);
    };
    int low = search.fits + 1;  // predicted to fit, or the lowest
    int high = search.fails - 1;
    while (low < high) {
        const int middle = static_cast<int>(numbers::divTrunc(low + high + 1, 2));
        const std::optional<bool> fitting = fits(middle);
        if (!fitting) {
            return std::nullopt;
        }
        if (*fitting) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low;
}

int nextProbe(const Search& search, qint64 limit, int hint, bool bisect)
{
    if (search.sizes.empty()) {
        return hint >= 1 && hint <= 100 ? hint : kColdStart;
    }
    const int lo = search.fits;
    const int hi = search.fails;
    if (bisect) {
        return static_cast<int>(numbers::divTrunc(lo + hi, 2));
    }
    const auto below = search.measured(lo);
    const auto above = search.measured(hi);
    double predicted = 0;
    if (below && above) {
        predicted = crossing(*below, *above, limit);
    } else {
        // One side only: its two nearest measured points, or one with the usual slope.
        const auto& sizes = search.sizes;
        const auto nearest = below ? sizes.find(lo) : sizes.find(hi);
        auto other = nearest;
        if (below && nearest != sizes.begin()) {
            other = std::prev(nearest);
        } else if (above && std::next(nearest) != sizes.end()) {
            other = std::next(nearest);
        }
        predicted = crossing(*nearest, *other, limit);
    }
    // The predicted answer; once it is known to fit, its neighbour above closes the search.
    return std::clamp(numbers::floorToInt(predicted), lo + 1, hi - 1);
}

}  // namespace

JpegFit::JpegFit(Measure measure, Measure estimate)
    : m_measure(std::move(measure)), m_estimate(std::move(estimate))
{
}

std::optional<int> JpegFit::highestFitting(bool fullChroma, qint64 limitBytes, int hint,
                                           int& encodes) const
{
    Search search;
    const auto estimate = [this, fullChroma](int quality) {
        return m_estimate(quality, fullChroma);
    };
    int widthBefore[2] = {102, 102};
    while (search.fails - search.fits > 1) {
        const int width = search.fails - search.fits;
        const bool bisect = search.sizes.size() >= 2 && width * 2 > widthBefore[0];
        std::optional<int> quality;
        if (m_estimate && !bisect && !(search.sizes.empty() && hint >= 1 && hint <= 100)) {
            quality = predictedProbe(search, limitBytes, estimate);
        } else {
            quality = nextProbe(search, limitBytes, hint, bisect);
        }
        if (!quality) {
            return std::nullopt;
        }
        const std::optional<qint64> size = m_measure(*quality, fullChroma);
        ++encodes;
        if (!size) {
            return std::nullopt;
        }
        if (m_estimate) {
            const std::optional<qint64> guess = estimate(*quality);
            if (!guess) {
                return std::nullopt;
            }
            search.ratios[*quality] =
                static_cast<double>(*size) / static_cast<double>(std::max<qint64>(*guess, 1));
        }
        search.sizes[*quality] = *size;
        if (*size <= limitBytes) {
            search.fits = *quality;
        } else {
            search.fails = *quality;
        }
        widthBefore[0] = widthBefore[1];
        widthBefore[1] = width;
    }
    return search.fits;
}

std::optional<JpegFit::Result> JpegFit::fit(qint64 limitBytes, Picture picture)
{
    Result result;
    if (limitBytes <= 0) {
        return result;
    }
    const std::optional<int> subsampled =
        highestFitting(false, limitBytes, m_lastSubsampled, result.encodes);
    if (!subsampled) {
        return std::nullopt;
    }
    m_lastSubsampled = *subsampled;
    result.quality = *subsampled;
    if (picture == Picture::Colour && *subsampled >= kFullChromaFrom) {
        const int hint = m_lastFull > 0 ? m_lastFull : *subsampled - 4;
        const std::optional<int> full = highestFitting(true, limitBytes, hint, result.encodes);
        if (!full) {
            return std::nullopt;
        }
        m_lastFull = *full;
        if (*full > 0) {
            result.quality = *full;
            result.fullChroma = true;
        }
    }
    return result;
}
