#pragma once

#include <QByteArray>
#include <functional>
#include <optional>

class QImage;
struct CompressionSettings;

// The files the settings make of the canvas: one place for the size estimate and the
// save, so a saved file is the one whose size was shown.
namespace compressionfiles {

std::optional<QByteArray> jpegFile(const QImage& canvas, const CompressionSettings& settings);
// `stopped` is asked between the colour reduction's tries; once it says yes the
// search ends early and its file is not the settings' file.
std::optional<QByteArray> pngFile(const QImage& canvas, const CompressionSettings& settings,
                                  const std::function<bool()>& stopped = {});

}  // namespace compressionfiles
