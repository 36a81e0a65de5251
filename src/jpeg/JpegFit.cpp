#include "jpeg/JpegFit.h"

#include "jpeg/JpegQuantiser.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

static_assert(JpegFit::kQuarters == jpegquantiser::kQuarters);

namespace {

using fitsearch::kColdStart;
using fitsearch::kNoEnd;
using fitsearch::SizeAt;

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
    const fitsearch::Chooser chooser = m_estimate ? fitsearch::Chooser([&](const Search& search) {
        return predictedProbe(search, fullChroma, limit, hint, ratios);
    })
                                                  : nullptr;
    std::optional<Search> found =
        fitsearch::highestWithin(std::move(from), limit, hint, measure, chooser, encodes, enough);
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
        found = fitsearch::highestWithin(std::move(*found), limit, whole, measure, chooser, encodes,
                                         enough);
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
        fitsearch::highestWithin(inner, limit, fitsearch::nextProbe(search, limit, hint, false),
                                 prediction, {}, guesses, enough, fitsearch::kPredictionPatience);
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
