#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace jpegwriter {
class SharedTransforms;
}

// The image encoders and the PNG reader, on libjpeg-turbo and libpng. Encoders
// take any QImage (it is read as 24-bit RGB) and return the file's bytes.
namespace mdlSavedll {

// JPEG at `quality` 1..100 (values outside are clamped), levels chosen by rate and
// distortion, 8-bit quantisation tables, optimised Huffman tables,
// progressive when asked, 4:4:4 chroma when `fullChroma` (else 4:2:0); an all-grey
// picture as one grey component. `quarters` 0..3 take the tables that many quarters
// of the way to the next quality's (what a fit may choose). A fresh compress object
// for every call. Nothing on failure.
// `shared`, when given, supplies and keeps the picture's transform for other encodes.
std::optional<QByteArray> encodeJpeg(
    const QImage& image, int quality, bool progressive, bool fullChroma = false, int quarters = 0,
    const std::shared_ptr<jpegwriter::SharedTransforms>& shared = {});

// PNG compression choices, as the PNG list offers them.
enum class PngChoice { Standard = 0, Fast = 1, Small = 2 };

// Lossless PNG in the smallest exact colour type, with the row filtering found best
// by trial and the deflate effort of the choice. Nothing on failure.
std::optional<QByteArray> encodePng(const QImage& image, PngChoice choice);

// Lossy PNG: the picture reduced to at most 256 colours, as many as fit in
// `limitBytes` (0: no limit). Nothing on failure. `stopped`, when given, is asked
// between tries; once it says yes the search ends early.
std::optional<QByteArray> encodeReducedPng(const QImage& image, PngChoice choice, qint64 limitBytes,
                                           const std::function<bool()>& stopped = {});

// The picture in a PNG file's bytes, at its own size (palette, grey, RGB and alpha
// PNGs); a null image when the bytes are not a PNG that can be read.
QImage decodePng(const QByteArray& bytes);

// Writes bytes to a file all or nothing (QSaveFile): an existing file is replaced
// only when every byte of the new one has been written. A path that exists and is
// not a plain file (a folder, a device, a FIFO) is refused. On failure returns
// false, leaves any existing file as it was and, when `error` is given, puts the
// reason in the user's language.
bool writeFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Writes a work file the same way, so a reader sees the old or the new file whole,
// never a part, and a failed write never leaves a cut file behind.
bool writeWorkFile(const QString& path, const QByteArray& bytes);

}  // namespace mdlSavedll
