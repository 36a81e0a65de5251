#include "encode/JpegFit.h"

#include "common/Numbers.h"
#include "encode/JpegQuantiser.h"
#include "encode/TableFineness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <map>
#include <utility>

static_assert(JpegFit::kQuarters == jpegquantiser::kQuarters);

namespace {

constexpr int kColdStart = JpegFit::settingOf(75, 0);
constexpr int kNoEnd = JpegFit::kSettings + 1;  // a search that stops early at no setting
// Growth of ln(file size) with the tables' fineness, for a prediction from one
// probe, and the least taken as growth between two; measured on screens, drawings and
// photos, from 0.5 to 0.8 over the whole range.
constexpr double kElasticity = 0.6;
constexpr double kLeastElasticity = 0.05;
// Probes a search may place before its bracket must have halved. Measured sizes are
// dear, and a bad prediction soon gives way to bisection; predictions are cheap and
// come close from one side, where bisection would only take the bracket's far end in.
constexpr int kMeasuredPatience = 2;
constexpr int kPredictionPatience = 4;
// The file's size over the estimate's before any size is measured: the trellis takes
// less than rounding, the least at the highest qualities, where it has fewer levels to
// trade. Measured on screens, drawings and photos: about 0.93 up to quality 50, 0.96
// at 95.
double defaultRatio(int setting)
{
    constexpr double kLow = 0.93;
    constexpr double kHigh = 0.96;
    constexpr int kRisingFrom = JpegFit::settingOf(50, 0);
    constexpr int kRisingTo = JpegFit::settingOf(95, 0);
    const double t = std::clamp(
        static_cast<double>(setting - kRisingFrom) / static_cast<double>(kRisingTo - kRisingFrom),
        0.0, 1.0);
    return kLow + (kHigh - kLow) * t;
}

// A size at each setting, growing with it: measured, or predicted.
using SizeAt = std::function<std::optional<double>(int setting)>;

using Search = JpegFit::Search;

// The setting where ln size reaches ln limit on the line through two points, taken
// against the tables' fineness.
double crossing(std::pair<int, double> a, std::pair<int, double> b, double limit)
{
    const TableFineness& f = TableFineness::ofSettings();
    const double la = std::log(std::max(a.second, 1.0));
    const double lb = std::log(std::max(b.second, 1.0));
    const double xa = f.at(a.first);
    const double xb = f.at(b.first);
    double slope = xa == xb ? 0 : (lb - la) / (xb - xa);
    if (!(slope > kLeastElasticity)) {
        slope = kElasticity;
    }
    return f.settingAt(xa + (std::log(limit) - la) / slope);
}

int nextProbe(const Search& search, double limit, int start, bool bisect)
{
    const int lo = search.fits;
    const int hi = search.fails;
    if (search.sizes.empty()) {
        return std::clamp(start >= 1 && start <= JpegFit::kSettings ? start : kColdStart, lo + 1,
                          hi - 1);
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

// The highest setting in (fits, fails) whose size is at most `limit`, `fits` when none:
// each probe where the sizes taken so far put the limit, bisection when `patience`
// probes have not halved the bracket. `chooser`, when given, places the probes instead
// (inside the bracket). It stops early once a setting of `enough` or more is known to
// fit. The search as it ended; nothing when a size could not be taken.
std::optional<Search> highestWithin(Search search, double limit, int start, const SizeAt& size,
                                    const std::function<std::optional<int>(const Search&)>& chooser,
                                    int& taken, int enough = kNoEnd,
                                    int patience = kMeasuredPatience)
{
    std::array<int, kPredictionPatience> widthBefore{};
    widthBefore.fill(kNoEnd + 1);
    while (search.fails - search.fits > 1 && search.fits < enough) {
        const int width = search.fails - search.fits;
        const bool bisect =
            search.sizes.size() >= 2 &&
            width * 2 > widthBefore[static_cast<std::size_t>(kPredictionPatience - patience)];
        std::optional<int> setting;
        if (chooser && !bisect) {
            setting = chooser(search);
        } else {
            setting = nextProbe(search, limit, start, bisect);
        }
        if (!setting) {
            return std::nullopt;
        }
        // Above `enough`, a probe there settles as much: fitting, it ends the search.
        setting = std::min(*setting, enough);
        const std::optional<double> value = size(*setting);
        ++taken;
        if (!value) {
            return std::nullopt;
        }
        search.sizes[*setting] = *value;
        if (*value <= limit) {
            search.fits = *setting;
        } else {
            search.fails = *setting;
        }
        std::rotate(widthBefore.begin(), widthBefore.begin() + 1, widthBefore.end());
        widthBefore.back() = width;
    }
    return search;
}

// The ratio of measured size to estimate at `setting`: straight between the nearest
// known on either side, the nearest one's beyond them.
double ratioAt(const std::map<int, double>& ratios, int setting)
{
    if (ratios.empty()) {
        return defaultRatio(setting);
    }
    const auto above = ratios.lower_bound(setting);
    if (above == ratios.end()) {
        return std::prev(above)->second;
    }
    if (above->first == setting || above == ratios.begin()) {
        return above->second;
    }
    const auto below = std::prev(above);
    const double t = static_cast<double>(setting - below->first) /
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
    const SizeAt measure = [&](int setting) -> std::optional<double> {
        const std::optional<qint64> size =
            m_measure(qualityOf(setting), quartersOf(setting), fullChroma);
        if (!size) {
            return std::nullopt;
        }
        if (m_estimate) {
            const std::optional<double> guess = estimated(setting, fullChroma);
            if (!guess) {
                return std::nullopt;
            }
            ratios[setting] = static_cast<double>(*size) / *guess;
        }
        return static_cast<double>(*size);
    };
    const std::function<std::optional<int>(const Search&)> chooser =
        m_estimate ? std::function<std::optional<int>(const Search&)>([&](const Search& search) {
            return predictedProbe(search, fullChroma, limit, hint, ratios);
        })
                   : nullptr;
    std::optional<Search> found =
        highestWithin(std::move(from), limit, hint, measure, chooser, encodes, enough);
    // Three quarters on from a whole quality the tables differ so little from the next
    // quality's that the file can come out the larger: when the search stopped there,
    // the next whole quality is measured, and the search goes on above it if it fits.
    while (found && found->fits < enough && found->fails < kNoEnd &&
           quartersOf(found->fails) == kQuarters - 1) {
        const int whole = found->fails + 1;
        if (found->taken(whole)) {
            break;
        }
        const std::optional<double> size = measure(whole);
        ++encodes;
        if (!size) {
            return std::nullopt;
        }
        found->sizes[whole] = *size;
        if (*size > limit) {
            break;
        }
        found->fits = whole;
        found->fails = kNoEnd;
        for (const auto& [setting, known] : found->sizes) {
            if (setting > whole && known > limit) {
                found->fails = setting;
                break;
            }
        }
        found = highestWithin(std::move(*found), limit, whole, measure, chooser, encodes, enough);
    }
    return found;
}

std::optional<double> JpegFit::estimated(int setting, bool fullChroma) const
{
    const std::optional<qint64> guess =
        m_estimate(qualityOf(setting), quartersOf(setting), fullChroma);
    return guess ? std::optional(static_cast<double>(std::max<qint64>(*guess, 1))) : std::nullopt;
}

// With estimates: the highest setting predicted to fit, found by the same search over
// the predictions, starting where the measured sizes put the limit. A search that
// starts from the last answer probes it first: after an edit it moves little.
std::optional<int> JpegFit::predictedProbe(const Search& search, bool fullChroma, double limit,
                                           int hint, const std::map<int, double>& ratios,
                                           int enough) const
{
    if (search.sizes.empty() && hint >= 1 && hint <= kSettings) {
        return hint;
    }
    const SizeAt prediction = [&](int setting) -> std::optional<double> {
        const std::optional<double> guess = estimated(setting, fullChroma);
        return guess ? std::optional(*guess * ratioAt(ratios, setting)) : std::nullopt;
    };
    Search inner;
    inner.fits = search.fits;
    inner.fails = search.fails;
    int guesses = 0;
    const std::optional<Search> best =
        highestWithin(inner, limit, nextProbe(search, limit, hint, false), prediction, {}, guesses,
                      enough, kPredictionPatience);
    return best ? std::optional(std::max(best->fits, search.fits + 1)) : std::nullopt;
}

std::optional<int> JpegFit::firstProbe(bool fullChroma, qint64 limitBytes, int hint,
                                       int enough) const
{
    if (!m_estimate) {
        return hint >= 1 && hint <= kSettings ? hint : kColdStart;
    }
    return predictedProbe(Search(), fullChroma, static_cast<double>(limitBytes), hint, {}, enough);
}

std::optional<JpegFit::Result> JpegFit::fit(qint64 limitBytes, Picture picture)
{
    Result result;
    if (limitBytes <= 0) {
        return result;
    }
    const auto answer = [&result](const Search& search, bool fullChroma) {
        if (search.fits > 0) {
            result.quality = qualityOf(search.fits);
            result.quarters = quartersOf(search.fits);
            result.fullChroma = fullChroma;
        }
        return result;
    };
    const int fullChromaFrom = settingOf(kFullChromaFrom, 0);
    std::optional<Search> full;
    const auto searchFull = [&]() {
        // The estimates place the first probe unless a 4:4:4 answer is known.
        full = highestFitting(true, limitBytes, m_lastFull, result.encodes, Search(), kNoEnd);
        if (full) {
            m_lastFull = full->fits;
        }
        return full.has_value();
    };
    // Where the 4:2:0 search would begin a whole quality or more above the rule's, 4:4:4
    // is searched first. Should its answer reach the rule's quality, 4:2:0's does too (its
    // file is the smaller at every setting: the same luma, a quarter of the chroma), and
    // no 4:2:0 file needs making.
    if (picture == Picture::Colour) {
        // Only whether it begins that high counts: the prediction stops once it knows.
        const int high = fullChromaFrom + kQuarters;
        const std::optional<int> first = firstProbe(false, limitBytes, m_lastSubsampled, high);
        if (!first) {
            return std::nullopt;
        }
        if (*first >= high) {
            m_lastSubsampled = *first;  // the next search starts there too
            if (!searchFull()) {
                return std::nullopt;
            }
            if (full->fits >= fullChromaFrom) {
                return answer(*full, true);
            }
        }
    }
    // For a colour picture, the 4:2:0 search only needs to go on until it knows
    // whether 4:4:4 is to be searched.
    const int enough = picture == Picture::Colour ? fullChromaFrom : kNoEnd;
    std::optional<Search> chosen =
        highestFitting(false, limitBytes, m_lastSubsampled, result.encodes, Search(), enough);
    if (!chosen) {
        return std::nullopt;
    }
    m_lastSubsampled = chosen->fits;
    if (chosen->fits < fullChromaFrom || picture == Picture::Grey) {
        return answer(*chosen, false);
    }
    if (!full && !searchFull()) {
        return std::nullopt;
    }
    if (full->fits > 0) {
        return answer(*full, true);
    }
    // Nothing in 4:4:4: the 4:2:0 search goes on where it stopped.
    chosen =
        highestFitting(false, limitBytes, chosen->fits, result.encodes, std::move(*chosen), kNoEnd);
    return chosen ? std::optional(answer(*chosen, false)) : std::nullopt;
}
