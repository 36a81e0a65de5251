#include "jpeg/FitSearch.h"

#include "common/Numbers.h"
#include "jpeg/TableFineness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace fitsearch {
namespace {

// Growth of ln(file size) with the tables' fineness, for a prediction from one
// probe, and the least taken as growth between two; measured on screens, drawings and
// photos, from 0.5 to 0.8 over the whole range.
constexpr double kElasticity = 0.6;
constexpr double kLeastElasticity = 0.05;

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

}  // namespace

int nextProbe(const Search& search, double limit, int start, bool bisect)
{
    const int lo = search.fits;
    const int hi = search.fails;
    if (search.sizes.empty()) {
        return std::clamp(start >= 1 && start <= fitsettings::kSettings ? start : kColdStart,
                          lo + 1, hi - 1);
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

std::optional<Search> highestWithin(Search search, double limit, int start, const SizeAt& size,
                                    const Chooser& chooser, int& taken, int enough, int patience)
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

}  // namespace fitsearch
