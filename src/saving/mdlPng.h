#pragma once

#include <QImage>
#include <QString>

// Reads a saved PNG back as a picture, for the history's thumbnails.
namespace mdlPng {

// The picture in the PNG file at `path`, at the file's own size; a null image,
// and no message, for an empty path, a missing or unreadable file or one that is
// not a PNG.
QImage LoadPngPicture(const QString& path);

}  // namespace mdlPng
