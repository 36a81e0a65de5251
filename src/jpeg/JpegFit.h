#pragma once

#include "jpeg/FitSearch.h"
#include "jpeg/FitSettings.h"

#include <QtGlobal>
#include <functional>
#include <map>
#include <optional>

// Finds the highest JPEG setting (FitSettings) whose file fits a size limit, with as few
// encodes as it can. Each probe is placed where the limit is predicted, within the
// bracket of the highest setting known to fit and the lowest known not to (FitSearch);
// bisection takes over when that stops halving the bracket. It ends when
// the two are neighbours, so the answer fits and the next setting does not (or it is
// quality 100). Where the next setting is three quarters on, the next whole quality is
// measured too: the tables there are so close that a file can come out larger than
// the next quality's. The prediction is a cheap estimate of the size scaled by its
// ratio to the sizes measured nearby, when the encoder offers one; otherwise the line
// of log size against the tables' fineness (TableFineness: nearly straight over the
// whole range) through the sizes measured so far. Estimates only place the probes: the
// answer is that of the measured sizes alone.
class JpegFit
{
public:
    // The file length at `quality` 1..100 and `quarters` 0..3 of the way to the next
    // quality's tables, with 4:4:4 (`fullChroma`) or 4:2:0 chroma; nothing when the
    // encode failed.
    using Measure =
        std::function<std::optional<qint64>(int quality, int quarters, bool fullChroma)>;

    struct Result
    {
        int quality = 0;  // 0: not even quality 1 fits
        int quarters = 0;
        bool fullChroma = false;
        int encodes = 0;
    };

    // The fitted 4:2:0 quality at or above which 4:4:4 gives the better picture at
    // the same size; below it the finer colour costs more detail than it gives.
    static constexpr int kFullChromaFrom = 93;

    // `estimate`, when given, is a guess at the file length that costs much less than
    // `measure` and grows with the setting as the file does.
    explicit JpegFit(Measure measure, Measure estimate = {});

    // Whether the picture has colour: a grey one is written with one component, where
    // the chroma choice makes no difference and is not searched.
    enum class Picture { Colour, Grey };

    // The best settings whose file is at most `limitBytes`. A search starts from the
    // previous answer when there is one (after an edit the answer moves little).
    // Nothing when an encode failed.
    std::optional<Result> fit(qint64 limitBytes, Picture picture = Picture::Colour);

    // The settings' numbering (FitSettings).
    static constexpr int kQuarters = fitsettings::kQuarters;
    static constexpr int kSettings = fitsettings::kSettings;
    static constexpr int settingOf(int quality, int quarters)
    {
        return fitsettings::settingOf(quality, quarters);
    }
    static constexpr int qualityOf(int setting) { return fitsettings::qualityOf(setting); }
    static constexpr int quartersOf(int setting) { return fitsettings::quartersOf(setting); }

    using Search = fitsearch::Search;

private:
    // The estimate at `setting`, at least 1 byte.
    std::optional<double> estimated(int setting, bool fullChroma) const;
    // Where the search probes next: the highest setting the estimates, scaled by
    // `ratios` (measured size over estimate), put within the limit; or `hint` first.
    // Once a setting of `enough` or more is put within it, that one.
    std::optional<int> predictedProbe(const Search& search, bool fullChroma, double limit, int hint,
                                      const std::map<int, double>& ratios,
                                      int enough = kSettings + 1) const;
    // Where a fresh search would probe first: the last answer `hint`, or the highest
    // setting the estimates put within the limit (or one of `enough` or more).
    std::optional<int> firstProbe(bool fullChroma, qint64 limitBytes, int hint, int enough) const;
    // The search on from `from` until the answer is known, or until a setting of
    // `enough` or more is known to fit.
    std::optional<Search> highestFitting(bool fullChroma, qint64 limitBytes, int hint, int& encodes,
                                         Search from, int enough) const;

    Measure m_measure;
    Measure m_estimate;
    int m_lastSubsampled = 0;  // settings
    int m_lastFull = 0;
};
