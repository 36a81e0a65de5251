// Fitting the JPEG quality to a size limit (JpegFit), on the real pictures of
// bench/EncodePictures.h at 240 x 320 and 480 x 854, for limits spread between the
// files of quality 1 and 100:
//   cold   a fresh search: encodes and milliseconds per fit;
//   warm   the same search again after a small edit of the picture (a 24 x 24 block
//          painted over), starting from the previous answer;
//   exact  every answer against a full sweep of the settings, qualities 1..100 and the
//          quarter steps between them (4:2:0, and 4:4:4 where the rule chooses it):
//          answers that differ, answers over the limit.
// Times are wall and CPU time of the fitting thread, per picture size (the CPU time
// says what a fit costs on a loaded machine). Goals: median encodes <= 6 cold and <= 3
// warm, 0 answers off, 0 over, cold at 480 x 854 within 60 ms. Nothing is asserted; the
// figures are printed. `--fits-only` skips the sweeps (no exactness figures), for
// profiling the fit alone; SORAKADO_FIT_TRACE=1 prints every fit.
#include "BenchFigures.h"
#include "EncodePictures.h"
#include "jpeg/JpegFit.h"
#include "jpeg/JpegWriter.h"
#include "platform/HeapTuning.h"
#include "saving/mdlSavedll.h"

#include <QApplication>
#include <QPainter>

#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

using benchfigures::median;

// The settings in order: quality 1 + 0/4, 1 + 1/4, .. 99 + 3/4, 100.
constexpr int kSettings = 99 * 4 + 1;

int position(int quality, int quarters)
{
    return (quality - 1) * 4 + quarters;
}

using Sweep = std::array<qint64, kSettings>;  // file size per setting; empty: not swept

Sweep sweep(const QImage& picture, bool full)
{
    Sweep sizes{};
    for (int p = 0; p < kSettings; ++p) {
        sizes[static_cast<size_t>(p)] =
            mdlSavedll::encodeJpeg(picture, p / 4 + 1, false, full, p % 4)->size();
    }
    return sizes;
}

// The highest setting whose file fits; -1 when none does.
int highest(const Sweep& sizes, qint64 limit)
{
    for (int p = kSettings - 1; p >= 0; --p) {
        if (sizes[static_cast<size_t>(p)] <= limit) {
            return p;
        }
    }
    return -1;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Tally
{
    std::vector<double> encodes;
    std::vector<double> estimates;  // size estimates asked for
    std::vector<double> ms;
    std::vector<double> cpuMs;
    int off = 0;
    int over = 0;
    int fits = 0;
};

// Fits and checks one limit; the picture is what `fit` measures.
void fitOnce(JpegFit& fit, int& estimates, qint64 limit, const Sweep& subsampled, const Sweep& full,
             Tally& tally)
{
    estimates = 0;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadCpuMs();
    const std::optional<JpegFit::Result> result = fit.fit(limit);
    tally.cpuMs.push_back(threadCpuMs() - cpuStart);
    tally.ms.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
    ++tally.fits;
    if (std::getenv("SORAKADO_FIT_TRACE") != nullptr && result) {
        std::printf("  limit %7lld  quality %3d + %d/4 %s  encodes %d  estimates %2d  %.1f ms\n",
                    static_cast<long long>(limit), result->quality, result->quarters,
                    result->fullChroma ? "4:4:4" : "4:2:0", result->encodes, estimates,
                    tally.ms.back());
    }
    if (!result) {
        ++tally.off;
        return;
    }
    tally.encodes.push_back(result->encodes);
    tally.estimates.push_back(estimates);
    if (subsampled[0] == 0) {
        return;  // no sweep to check against
    }
    int expected = highest(subsampled, limit);
    bool expectedFull = false;
    if (expected >= position(JpegFit::kFullChromaFrom, 0) && highest(full, limit) >= 0) {
        expected = highest(full, limit);
        expectedFull = true;
    }
    const int answer = result->quality > 0 ? position(result->quality, result->quarters) : -1;
    if (answer != expected || (expected >= 0 && result->fullChroma != expectedFull)) {
        ++tally.off;
    }
    const Sweep& used = result->fullChroma ? full : subsampled;
    if (answer >= 0 && used[static_cast<size_t>(answer)] > limit) {
        ++tally.over;
    }
}

double largest(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

void report(const std::string& name, const Tally& tally)
{
    std::printf(
        "%-14s fits %3d  encodes median %.1f max %.0f  estimates median %.1f  "
        "ms median %.1f max %.1f  "
        "cpu ms median %.1f max %.1f  off %d  over %d\n",
        name.c_str(), tally.fits, median(tally.encodes), largest(tally.encodes),
        median(tally.estimates), median(tally.ms), largest(tally.ms), median(tally.cpuMs),
        largest(tally.cpuMs), tally.off, tally.over);
}

// Qualities 1 and 100 only, for the limits, when the sweeps are skipped.
Sweep ends(const QImage& picture)
{
    Sweep sizes{};
    for (const int q : {1, 100}) {
        sizes[static_cast<size_t>(position(q, 0))] =
            mdlSavedll::encodeJpeg(picture, q, false)->size();
    }
    return sizes;
}

}  // namespace

int main(int argc, char** argv)
{
    heaptuning::keepFreedMemory();  // as the program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const bool fitsOnly = argc > 1 && std::string_view(argv[1]) == "--fits-only";
    std::map<std::string, Tally> cold;  // by picture size
    std::map<std::string, Tally> warm;
    for (const benchpictures::Picture& picture : benchpictures::all()) {
        QImage current = picture.image;
        const std::string size = picture.name.substr(picture.name.rfind('/') + 1);
        const Sweep subsampled = fitsOnly ? ends(current) : sweep(current, false);
        const Sweep full = fitsOnly ? Sweep{} : sweep(current, true);
        QImage edited = current;
        {
            QPainter painter(&edited);
            painter.fillRect(edited.width() / 3, edited.height() / 3, 24, 24, QColor(200, 40, 90));
        }
        const Sweep editedSubsampled = fitsOnly ? Sweep{} : sweep(edited, false);
        const Sweep editedFull = fitsOnly ? Sweep{} : sweep(edited, true);
        const double smallest = static_cast<double>(subsampled[0]);
        const double largest = static_cast<double>(subsampled[kSettings - 1]) * 1.1;
        constexpr int kLimits = 12;
        for (int i = 0; i < kLimits; ++i) {
            // From just below the quality-1 file to above the quality-100 one, geometrically.
            const auto limit = static_cast<qint64>(
                smallest * 0.98 * std::pow(largest / (smallest * 0.98), i / (kLimits - 1.0)));
            const QImage* measured = &current;
            int estimates = 0;
            jpegwriter::PictureEncoder encoder;  // one per search, as the page keeps one
            JpegFit fit(
                [&measured, &encoder, &limit](int quality, int quarters,
                                              bool fullChroma) -> std::optional<qint64> {
                    // As the page asks: a file sure to be over the limit is not written.
                    const auto sized = encoder.encodeWithin(
                        *measured, quality, {false, fullChroma, true, quarters}, limit);
                    return sized ? std::optional<qint64>(sized->bytes) : std::nullopt;
                },
                [&measured, &encoder, &estimates](int quality, int quarters, bool fullChroma) {
                    ++estimates;
                    return encoder.estimate(*measured, quality,
                                            {false, fullChroma, true, quarters});
                });
            fitOnce(fit, estimates, limit, fitsOnly ? Sweep{} : subsampled, full, cold[size]);
            measured = &edited;
            fitOnce(fit, estimates, limit, editedSubsampled, editedFull, warm[size]);
        }
        std::printf("%s done\n", picture.name.c_str());
    }
    std::printf(
        "\nJPEG fit to a limit (goals: median encodes cold <= 6, warm <= 3; off 0, over 0)\n");
    for (const auto& [size, tally] : cold) {
        report("cold " + size, tally);
    }
    for (const auto& [size, tally] : warm) {
        report("warm " + size, tally);
    }
    return 0;
}
