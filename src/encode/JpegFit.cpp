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

// The bracket and the sizes measured inside one search.
struct Search
{
    int fits = 0;     // highest quality known to fit; 0: none yet
    int fails = 101;  // lowest quality above `fits` known not to fit
    std::map<int, qint64> sizes;

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

JpegFit::JpegFit(Measure measure) : m_measure(std::move(measure))
{
}

std::optional<int> JpegFit::highestFitting(bool fullChroma, qint64 limitBytes, int hint,
                                           int& encodes) const
{
    Search search;
    int widthBefore[2] = {102, 102};
    while (search.fails - search.fits > 1) {
        const int width = search.fails - search.fits;
        const bool bisect = search.sizes.size() >= 2 && width * 2 > widthBefore[0];
        const int quality = nextProbe(search, limitBytes, hint, bisect);
        const std::optional<qint64> size = m_measure(quality, fullChroma);
        ++encodes;
        if (!size) {
            return std::nullopt;
        }
        search.sizes[quality] = *size;
        if (*size <= limitBytes) {
            search.fits = quality;
        } else {
            search.fails = quality;
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
