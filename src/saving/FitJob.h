#pragma once

#include "jpeg/Jpeg.h"
#include "platform/LatestWork.h"
#include "saving/CompressionSettings.h"
#include "saving/KeptFiles.h"

#include <QImage>
#include <QString>
#include <memory>
#include <optional>
#include <utility>

// The fit of the JPEG setting to the limit as jobs of the pool: the search and the file
// of its answer; then, where the carrier takes PNG, whether the reduced-colour PNG
// within the limit would look better.
namespace fitjob {

// One search for the fits one after the other, which start from its last answers.
// `probe` and `guess` are the running job's encoder.
struct Search
{
    JpegFit::Measure probe;
    JpegFit::Measure guess;
    JpegFit fit{[this](int quality, int quarters, bool fullChroma) {
                    return probe(quality, quarters, fullChroma);
                },
                [this](int quality, int quarters, bool fullChroma) {
                    return guess(quality, quarters, fullChroma);
                }};
};

struct Answer
{
    JpegFit::Result result;
    std::optional<KeptFiles::Made> file;  // the answer's JPEG
};

// Fits `canvas` to the limit of `settings`, its picture transformed once in
// `transforms` (or taken from there). Nothing when an encode failed or the job was
// overtaken.
std::optional<Answer> run(Search& search, const QImage& canvas, const CompressionSettings& settings,
                          const std::shared_ptr<jpegwriter::SharedTransforms>& transforms,
                          const LatestWork::Stop& stop);

// What the advice after a fit weighs: the reduced PNG of `reduced` against `jpeg`, the
// file of the fit's `result`.
struct Advice
{
    QImage canvas;
    CompressionSettings reduced;
    QByteArray jpeg;
    JpegFit::Result result;
};

// Whether the reduced-colour PNG within the limit would look better than the fitted
// JPEG: the line to show beside the size, or empty; and the PNG weighed, `kept` when
// given, else one made here (nothing when overtaken).
std::pair<QString, std::optional<KeptFiles::Made>> advise(
    const Advice& advice, const std::optional<KeptFiles::Made>& kept, const LatestWork::Stop& stop);

}  // namespace fitjob
