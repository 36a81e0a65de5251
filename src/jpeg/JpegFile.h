#pragma once

#include "jpeg/JpegBlocks.h"
#include "jpeg/JpegQuantiser.h"

#include <QByteArray>
#include <optional>

// The file of quantised levels, written by libjpeg-turbo: baseline or progressive,
// 8-bit quantisation tables, optimised Huffman tables, the JFIF header and the tables
// (each kind in one segment), no comment, no restart markers.
namespace jpegfile {

// `file` is the file, unless it is sure to be larger than the limit it was written
// for; then no file, and `bytes` is the size it would likely have. Otherwise `bytes`
// is the file's length.
struct Sized
{
    std::optional<QByteArray> file;
    qint64 bytes = 0;
};

// The file of `quantised`, the levels of `picture`. A baseline file whose headers and
// entropy-coded bits before any stuffed byte come to more than `limitBytes` is not
// written; a progressive one always is. Nothing on failure.
std::optional<Sized> write(const jpegblocks::Picture& picture,
                           const jpegquantiser::Quantised& quantised, bool progressive,
                           qint64 limitBytes);

}  // namespace jpegfile
