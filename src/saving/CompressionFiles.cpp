#include "saving/CompressionFiles.h"

#include "saving/CompressionSettings.h"
#include "saving/SizeText.h"
#include "saving/mdlSavedll.h"

#include <QImage>

namespace compressionfiles {

std::optional<QByteArray> jpegFile(const QImage& canvas, const CompressionSettings& settings,
                                   const std::shared_ptr<jpegwriter::SharedTransforms>& shared)
{
    return mdlSavedll::encodeJpeg(canvas, sizetext::jpegQuality(settings.jpegLevel),
                                  settings.jpegProgressive, settings.jpegFullChroma,
                                  settings.jpegQuarters, shared);
}

std::optional<QByteArray> pngFile(const QImage& canvas, const CompressionSettings& settings,
                                  const std::function<bool()>& stopped)
{
    const auto choice = static_cast<mdlSavedll::PngChoice>(settings.pngLevel);
    return settings.pngReduceColours
               ? mdlSavedll::encodeReducedPng(canvas, choice, settings.sizeLimitBytes, stopped)
               : mdlSavedll::encodePng(canvas, choice);
}

}  // namespace compressionfiles
