#pragma once

#include "jpeg/FitSettings.h"

#include <functional>
#include <map>
#include <optional>
#include <utility>

// The bracket search of a fit over its settings: the highest setting known to fit, the
// lowest known not to, and where to probe next (where the sizes taken so far put the
// limit, or halfway when that stops halving the bracket).
namespace fitsearch {

// Where a search with no answer to start from probes first.
inline constexpr int kColdStart = fitsettings::settingOf(75, 0);
// A search that stops early at no setting.
inline constexpr int kNoEnd = fitsettings::kSettings + 1;
// Probes a search may place before its bracket must have halved. Measured sizes are
// dear, and a bad prediction soon gives way to bisection; predictions are cheap and
// come close from one side, where bisection would only take the bracket's far end in.
inline constexpr int kMeasuredPatience = 2;
inline constexpr int kPredictionPatience = 4;

// The bracket and the sizes taken inside one search.
struct Search
{
    int fits = 0;        // highest setting known to fit; 0: none yet
    int fails = kNoEnd;  // lowest setting above `fits` known not to fit
    std::map<int, double> sizes;

    // The size taken at `setting`, if it was.
    std::optional<std::pair<int, double>> taken(int setting) const
    {
        const auto at = sizes.find(setting);
        return at == sizes.end() ? std::nullopt : std::optional(*at);
    }
};

// A size at each setting, growing with it: measured, or predicted.
using SizeAt = std::function<std::optional<double>(int setting)>;
// Places a probe inside the bracket.
using Chooser = std::function<std::optional<int>(const Search&)>;

// The next probe: `start` (or the cold start) when nothing is taken yet, the middle of
// the bracket when `bisect`, else where the sizes around the bracket put `limit`.
int nextProbe(const Search& search, double limit, int start, bool bisect);

// The highest setting in (fits, fails) whose size is at most `limit`, `fits` when none:
// each probe where the sizes taken so far put the limit, bisection when `patience`
// probes have not halved the bracket. `chooser`, when given, places the probes instead
// (inside the bracket). It stops early once a setting of `enough` or more is known to
// fit. The search as it ended; nothing when a size could not be taken.
std::optional<Search> highestWithin(Search search, double limit, int start, const SizeAt& size,
                                    const Chooser& chooser, int& taken, int enough = kNoEnd,
                                    int patience = kMeasuredPatience);

}  // namespace fitsearch
