#include "saving/FitJob.h"

#include "saving/CompressionFiles.h"
#include "saving/FormatAdvice.h"

#include <map>
#include <tuple>

namespace fitjob {

std::pair<QString, std::optional<KeptFiles::Made>> advise(
    const Advice& advice, const std::optional<KeptFiles::Made>& kept, const LatestWork::Stop& stop)
{
    std::optional<KeptFiles::Made> png = kept;
    if (!png) {
        png = KeptFiles::Made{KeptFiles::pngKey(advice.canvas, advice.reduced),
                              compressionfiles::pngFile(advice.canvas, advice.reduced,
                                                        [&stop] { return stop.requested(); })};
    }
    if (!png->file || stop.requested()) {
        return {};
    }
    return {formatadvice::adviceLine(advice.canvas, advice.jpeg, *png->file,
                                     advice.reduced.sizeLimitBytes, true),
            png};
}

std::optional<Answer> run(Search& search, const QImage& canvas, const CompressionSettings& settings,
                          const std::shared_ptr<jpegwriter::SharedTransforms>& transforms,
                          const LatestWork::Stop& stop)
{
    std::map<std::tuple<int, int, bool>, QByteArray> files;
    // The canvas transformed once for the search, or already for an estimate.
    jpegwriter::PictureEncoder encoder(transforms);
    search.probe = [&](int quality, int quarters, bool fullChroma) -> std::optional<qint64> {
        if (stop.requested()) {
            return std::nullopt;  // overtaken: the search ends here
        }
        // A file sure to be over the limit is not written: only its size counts.
        const auto sized = encoder.encodeWithin(
            canvas, quality, {settings.jpegProgressive, fullChroma, true, quarters},
            settings.sizeLimitBytes);
        if (!sized) {
            return std::nullopt;
        }
        if (sized->file) {
            files[{quality, quarters, fullChroma}] = *sized->file;
        }
        return sized->bytes;
    };
    search.guess = [&](int quality, int quarters, bool fullChroma) -> std::optional<qint64> {
        if (stop.requested()) {
            return std::nullopt;
        }
        return encoder.estimate(canvas, quality,
                                {settings.jpegProgressive, fullChroma, true, quarters});
    };
    // A grey picture is written with one component: no chroma to search.
    const std::optional<JpegFit::Result> result =
        search.fit.fit(settings.sizeLimitBytes,
                       canvas.allGray() ? JpegFit::Picture::Grey : JpegFit::Picture::Colour);
    search.probe = nullptr;
    search.guess = nullptr;
    if (!result || stop.requested()) {
        return std::nullopt;
    }
    Answer answer{*result, std::nullopt};
    if (const auto file = files.find({result->quality, result->quarters, result->fullChroma});
        file != files.end()) {
        answer.file = KeptFiles::Made{{canvas.cacheKey(), result->quality, settings.jpegProgressive,
                                       result->fullChroma, 0, result->quarters},
                                      file->second};
    }
    return answer;
}

}  // namespace fitjob
