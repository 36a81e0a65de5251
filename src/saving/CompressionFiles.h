#pragma once

#include <QByteArray>
#include <functional>
#include <memory>
#include <optional>

class QImage;
struct CompressionSettings;
namespace jpegwriter {
class SharedTransforms;
}

// The files the settings make of the canvas: one place for the size estimate and the
// save, so a saved file is the one whose size was shown.
namespace compressionfiles {

// `shared`, when given, supplies and keeps the canvas's transform for other encodes.
std::optional<QByteArray> jpegFile(
    const QImage& canvas, const CompressionSettings& settings,
    const std::shared_ptr<jpegwriter::SharedTransforms>& shared = {});
// `stopped` is asked between the colour reduction's tries; once it says yes the
// search ends early and its file is not the settings' file.
std::optional<QByteArray> pngFile(const QImage& canvas, const CompressionSettings& settings,
                                  const std::function<bool()>& stopped = {});

}  // namespace compressionfiles
