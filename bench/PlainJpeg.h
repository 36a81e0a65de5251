#pragma once

// A plain baseline JPEG from libjpeg-turbo alone, the benchmarks' reference: a fresh
// compress object, its own tables at the quality, 4:2:0, standard Huffman tables
// (optimised ones when asked), from the same scanlines as ours.
#include <QByteArray>
#include <QImage>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace benchjpeg {

inline QByteArray plainJpeg(const QImage& picture, int quality, bool optimise)
{
    const QImage rgb32 = picture.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &output, &size);
    cinfo.image_width = static_cast<JDIMENSION>(rgb32.width());
    cinfo.image_height = static_cast<JDIMENSION>(rgb32.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = optimise ? TRUE : FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb32.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray file(reinterpret_cast<const char*>(output), static_cast<qsizetype>(size));
    std::free(output);
    return file;
}

}  // namespace benchjpeg
