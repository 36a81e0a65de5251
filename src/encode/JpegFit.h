#pragma once

#include <QtGlobal>
#include <functional>
#include <map>
#include <optional>
#include <utility>

// Finds the highest JPEG quality whose file fits a size limit, with as few encodes
// as it can: each probe is placed where the limit is predicted, within the bracket of
// the highest quality known to fit and the lowest known not to; bisection takes over
// when that stops halving the bracket. It ends when the two are neighbours, so the
// answer q fits and q + 1 does not (or q is 100); the same search then finds how many
// quarter steps toward q + 1 still fit. The prediction is a cheap estimate
// of the size scaled by its ratio to the sizes measured nearby, when the encoder
// offers one; otherwise the line of log size against quality (nearly straight over a
// few steps) through the sizes measured so far. Estimates only place the probes: the
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
    // `measure` and grows with the quality as the file does (it is asked for whole
    // qualities only).
    explicit JpegFit(Measure measure, Measure estimate = {});

    // Whether the picture has colour: a grey one is written with one component, where
    // the chroma choice makes no difference and is not searched.
    enum class Picture { Colour, Grey };

    // The best settings whose file is at most `limitBytes`. A search starts from the
    // previous answer when there is one (after an edit the answer moves little).
    // Nothing when an encode failed.
    std::optional<Result> fit(qint64 limitBytes, Picture picture = Picture::Colour);

    // The bracket and the sizes taken inside one search.
    struct Search
    {
        int fits = 0;     // highest setting known to fit; 0: none yet
        int fails = 101;  // lowest setting above `fits` known not to fit
        std::map<int, double> sizes;

        // The size taken at `setting`, if it was.
        std::optional<std::pair<int, double>> taken(int setting) const
        {
            const auto at = sizes.find(setting);
            return at == sizes.end() ? std::nullopt : std::optional(*at);
        }
    };

private:
    // The search on from `from` until the answer is known, or until a quality of
    // `enough` or more is known to fit.
    std::optional<Search> highestFitting(bool fullChroma, qint64 limitBytes, int hint, int& encodes,
                                         Search from, int enough) const;
    std::optional<int> quartersFitting(const Search& search, bool fullChroma, qint64 limitBytes,
                                       int& encodes) const;

    Measure m_measure;
    Measure m_estimate;
    int m_lastSubsampled = 0;
    int m_lastFull = 0;
};
