#pragma once

#include "jpeg/Jpeg.h"
#include "platform/LatestWork.h"
#include "saving/CompressionSettings.h"
#include "saving/KeptFiles.h"

#include <QImage>
#include <QString>
#include <memory>
#include <optional>

// The fit of the JPEG setting to the limit as a job of the pool: the search, the file
// of its answer and, where the carrier takes PNG, whether the reduced-colour PNG within
// the limit would look better.
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
    std::optional<KeptFiles::Made> png;   // the reduced PNG the advice weighed
    QString advice;                       // the line to show beside the size, or empty
};

// Fits `canvas` to the limit of `settings`, its picture transformed once in
// `transforms` (or taken from there). With `adviseOnPng`, the advice weighs the reduced
// PNG `keptPng` when given, else one made here. Nothing when an encode failed or the
// job was overtaken.
std::optional<Answer> run(Search& search, const QImage& canvas, const CompressionSettings& settings,
                          bool adviseOnPng, const std::optional<KeptFiles::Made>& keptPng,
                          const std::shared_ptr<jpegwriter::SharedTransforms>& transforms,
                          const LatestWork::Stop& stop);

}  // namespace fitjob
