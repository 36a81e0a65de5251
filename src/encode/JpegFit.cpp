#include "encode/JpegFit.h"

#include "common/Numbers.h"
#include "encode/JpegQuantiser.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <utility>

namespace {

constexpr int kColdStart = 75;
constexpr int kNoEnd = 101;  // a search that stops early at no quality
// Growth of ln(file size) per quality step, for a first prediction from one probe.
constexpr double kDefaultSlope = 0.03;
// The file's size over the estimate's before any size is measured (the trellis takes
// less than rounding).
constexpr double kDefaultRatio = 0.93;

// A size at each quality, growing with it: measured, or predicted.
using SizeAt = std::function<std::optional<double>(int quality)>;

}  // namespace

namespace {

using Search = JpegFit::Search;

// The quality where ln size reaches ln limit on the line through two points.
double crossing(std::pair<int, double> a, std::pair<int, double> b, double limit)
{
    const double la = std::log(std::max(a.second, 1.0));
    const double lb = std::log(std::max(b.second, 1.0));
    double slope = a.first == b.first ? 0 : (lb - la) / (b.first - a.first);
    if (!(slope > 1e-4)) {
        slope = kDefaultSlope;
    }
    return a.first + (std::log(limit) - la) / slope;
}

int nextProbe(const Search& search, double limit, int start, bool bisect)
{
    const int lo = search.fits;
    const int hi = search.fails;
    if (search.sizes.empty()) {
        return std::clamp(start >= 1 && start <= 100 ? start : kColdStart, lo + 1, hi - 1);
    }
    if (bisect) {
        return static_cast<int>(numbers::divTrunc(lo + hi, 2));
    }
    const auto below = search.taken(lo);
    const auto above = search.taken(hi);
    double predicted = 0;
    if (below && above) {
        predicted = crossing(*below, *above, limit);
    } else {
        // One side only: its two nearest points, or one with the usual slope.
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

// The highest quality in (fits, fails) whose size is at most `limit`, `fits` when none:
// each probe where the sizes taken so far put the limit, bisection when that stops
// halving the bracket. `chooser`, when given, places the probes instead (inside the
// bracket). It stops early once a quality of `enough` or more is known to fit. The
// search as it ended; nothing when a size could not be taken.
std::optional<Search> highestWithin(Search search, double limit, int start, const SizeAt& size,
                                    const std::function<std::optional<int>(const Search&)>& chooser,
                                    int& taken, int enough = kNoEnd)
{
    int widthBefore[2] = {102, 102};
    while (search.fails - search.fits > 1 && search.fits < enough) {
        const int width = search.fails - search.fits;
        const bool bisect = search.sizes.size() >= 2 && width * 2 > widthBefore[0];
        std::optional<int> quality;
        if (chooser && !bisect) {
            quality = chooser(search);
        } else {
            quality = nextProbe(search, limit, start, bisect);
        }
        if (!quality) {
            return std::nullopt;
        }
        const std::optional<double> value = size(*quality);
        ++taken;
        if (!value) {
            return std::nullopt;
        }
        search.sizes[*quality] = *value;
        if (*value <= limit) {
            search.fits = *quality;
        } else {
            search.fails = *quality;
        }
        widthBefore[0] = widthBefore[1];
        widthBefore[1] = width;
    }
    return search;
}

// The ratio of measured size to estimate at `quality`: straight between the nearest
// known on either side, the nearest one's beyond them.
double ratioAt(const std::map<int, double>& ratios, int quality)
{
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

}  // namespace

JpegFit::JpegFit(Measure measure, Measure estimate)
    : m_measure(std::move(measure)), m_estimate(std::move(estimate))
{
}

std::optional<JpegFit::Search> JpegFit::highestFitting(bool fullChroma, qint64 limitBytes, int hint,
                                                       int& encodes, Search from, int enough) const
{
    const auto limit = static_cast<double>(limitBytes);
    std::map<int, double> ratios;  // measured size over estimate
    const auto estimate = [this, fullChroma](int quality) -> std::optional<double> {
        const std::optional<qint64> guess = m_estimate(quality, 0, fullChroma);
        return guess ? std::optional(static_cast<double>(std::max<qint64>(*guess, 1)))
                     : std::nullopt;
    };
    const SizeAt measure = [&](int quality) -> std::optional<double> {
        const std::optional<qint64> size = m_measure(quality, 0, fullChroma);
        if (!size) {
            return std::nullopt;
        }
        if (m_estimate) {
            const std::optional<double> guess = estimate(quality);
            if (!guess) {
                return std::nullopt;
            }
            ratios[quality] = static_cast<double>(*size) / *guess;
        }
        return static_cast<double>(*size);
    };
    // With estimates: the highest quality predicted to fit, found by the same search
    // over the predictions, starting where the measured sizes put the limit. A search that starts
    // from the last answer probes it first: after an edit it moves little.
    const auto predicted = [&](const Search& search) -> std::optional<int> {
        if (search.sizes.empty() && hint >= 1 && hint <= 100) {
            return hint;
        }
        const SizeAt prediction = [&](int quality) -> std::optional<double> {
            const std::optional<double> guess = estimate(quality);
            return guess ? std::optional(*guess * ratioAt(ratios, quality)) : std::nullopt;
        };
        Search inner;
        inner.fits = search.fits;
        inner.fails = search.fails;
        int guesses = 0;
        const std::optional<Search> best = highestWithin(
            inner, limit, nextProbe(search, limit, hint, false), prediction, {}, guesses);
        return best ? std::optional(std::max(best->fits, search.fits + 1)) : std::nullopt;
    };
    if (m_estimate) {
        return highestWithin(std::move(from), limit, hint, measure, predicted, encodes, enough);
    }
    return highestWithin(std::move(from), limit, hint, measure, {}, encodes, enough);
}

// Between a quality that fits and the next that does not, the quarter steps are
// searched as the qualities were, from the two sizes already measured.
std::optional<int> JpegFit::quartersFitting(const Search& search, bool fullChroma,
                                            qint64 limitBytes, int& encodes) const
{
    const auto below = search.taken(search.fits);
    const auto above = search.taken(search.fails);
    if (!below || !above) {
        return 0;  // quality 100, or nothing fits
    }
    Search quarters;
    quarters.fails = jpegquantiser::kQuarters;
    quarters.sizes = {{0, below->second}, {jpegquantiser::kQuarters, above->second}};
    const SizeAt measure = [&](int steps) -> std::optional<double> {
        const std::optional<qint64> size = m_measure(search.fits, steps, fullChroma);
        return size ? std::optional(static_cast<double>(*size)) : std::nullopt;
    };
    const std::optional<Search> found =
        highestWithin(quarters, static_cast<double>(limitBytes), 0, measure, {}, encodes);
    return found ? std::optional(found->fits) : std::nullopt;
}

std::optional<JpegFit::Result> JpegFit::fit(qint64 limitBytes, Picture picture)
{
    Result result;
    if (limitBytes <= 0) {
        return result;
    }
    // For a colour picture, the 4:2:0 search only needs to go on until it knows
    // whether 4:4:4 is to be searched.
    const int enough = picture == Picture::Colour ? kFullChromaFrom : kNoEnd;
    std::optional<Search> chosen =
        highestFitting(false, limitBytes, m_lastSubsampled, result.encodes, Search(), enough);
    if (!chosen) {
        return std::nullopt;
    }
    m_lastSubsampled = chosen->fits;
    if (chosen->fits >= kFullChromaFrom && picture == Picture::Colour) {
        // The estimates place the first probe unless a 4:4:4 answer is known.
        std::optional<Search> full =
            highestFitting(true, limitBytes, m_lastFull, result.encodes, Search(), kNoEnd);
        if (!full) {
            return std::nullopt;
        }
        m_lastFull = full->fits;
        if (full->fits > 0) {
            chosen = std::move(full);
            result.fullChroma = true;
        } else {
            // Nothing in 4:4:4: the 4:2:0 search goes on where it stopped.
            chosen = highestFitting(false, limitBytes, chosen->fits, result.encodes,
                                    std::move(*chosen), kNoEnd);
            if (!chosen) {
                return std::nullopt;
            }
        }
    }
    result.quality = chosen->fits;
    const std::optional<int> quarters =
        quartersFitting(*chosen, result.fullChroma, limitBytes, result.encodes);
    if (!quarters) {
        return std::nullopt;
    }
    result.quarters = *quarters;
    return result;
}
