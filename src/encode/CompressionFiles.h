#pragma once

#include <QByteArray>
#include <optional>

class QImage;
struct CompressionSettings;

// The files the settings make of the canvas: one place for the size estimate and the
// save, so a saved file is the one whose size was shown.
namespace compressionfiles {

std::optional<QByteArray> jpegFile(const QImage& canvas, const CompressionSettings& settings);
std::optional<QByteArray> pngFile(const QImage& canvas, const CompressionSettings& settings);

}  // namespace compressionfiles
