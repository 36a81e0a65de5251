#include "jpeg/JpegFile.h"

#include "jpeg/JpegSegments.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <jpeglib.h>

namespace jpegfile {
namespace {

// One encode's libjpeg state. It lives on the heap so that what libjpeg changes
// through pointers is still valid after an error has jumped back.
struct Libjpeg
{
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    std::jmp_buf failed{};
    unsigned char* buffer = nullptr;  // ours, sized so that libjpeg never has to grow it
    unsigned long bufferSize = 0;
    unsigned char* output = nullptr;  // where libjpeg put the file (normally `buffer`)
    unsigned long outputSize = 0;

    ~Libjpeg()
    {
        if (output != buffer) {
            std::free(output);
        }
        std::free(buffer);
    }
};

// libjpeg's default error_exit ends the process; this one returns to the encode.
[[noreturn]] void jumpBack(j_common_ptr cinfo)
{
    auto* encoder = static_cast<Libjpeg*>(cinfo->client_data);
    std::longjmp(encoder->failed, 1);
}

void stayQuiet(j_common_ptr)
{
}

// An upper bound of the file's size: that of libjpeg-turbo's own worst case for
// 4:4:4 (six bytes a pixel over whole MCUs; 4:2:0 and grey need less), with room
// for the headers. Should it still be short, libjpeg grows the buffer itself.
unsigned long worstCaseSize(int width, int height)
{
    const unsigned long paddedWidth = (static_cast<unsigned long>(width) + 15) / 16 * 16;
    const unsigned long paddedHeight = (static_cast<unsigned long>(height) + 15) / 16 * 16;
    return paddedWidth * paddedHeight * 6 + 65536;
}

// A Huffman table holding the code of `lengths`: the number of codes of each length,
// and the symbols in order of length, then of value.
void fillTable(JHUFF_TBL& table, const trellis::Lengths& lengths)
{
    std::fill(std::begin(table.bits), std::end(table.bits), UINT8{0});
    int at = 0;
    for (int length = 1; length <= 16; ++length) {
        for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
            if (lengths[symbol] == length) {
                ++table.bits[length];
                table.huffval[at++] = static_cast<UINT8>(symbol);
            }
        }
    }
    table.sent_table = FALSE;
}

// The libjpeg calls, on a compress object created for this encode alone: one that
// is reused after an optimised or progressive encode can keep that encode's tables.
// The levels go in as they are, coded with the optimal tables of their symbols, whose
// code `lengths` are given; without them (a progressive file, whose scans code other
// symbols) libjpeg counts them itself.
// Nothing with a destructor may live in this frame: an error leaves it through longjmp.
bool compress(Libjpeg& encoder, const jpegblocks::Picture& picture,
              const jpegquantiser::Quantised& quantised, const jpegquantiser::CodeLengths* lengths,
              bool progressive)
{
    jpeg_compress_struct& cinfo = encoder.cinfo;
    cinfo.err = jpeg_std_error(&encoder.errors);
    encoder.errors.error_exit = jumpBack;
    encoder.errors.output_message = stayQuiet;
    cinfo.client_data = &encoder;
    if (setjmp(encoder.failed)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    encoder.output = encoder.buffer;
    encoder.outputSize = encoder.bufferSize;
    jpeg_mem_dest(&cinfo, &encoder.output, &encoder.outputSize);

    cinfo.image_width = static_cast<JDIMENSION>(picture.width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.height);
    cinfo.input_components = picture.grey ? 1 : 3;
    cinfo.in_color_space = picture.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);  // one component for grey, else YCbCr
    unsigned int luma[DCTSIZE2];
    unsigned int chroma[DCTSIZE2];
    for (int i = 0; i < DCTSIZE2; ++i) {
        luma[i] = quantised.tables.luma[static_cast<std::size_t>(i)];
        chroma[i] = quantised.tables.chroma[static_cast<std::size_t>(i)];
    }
    jpeg_add_quant_table(&cinfo, 0, luma, 100, TRUE);
    jpeg_add_quant_table(&cinfo, 1, chroma, 100, TRUE);
    if (lengths != nullptr) {
        // The optimal tables are ours already: libjpeg needs no pass to count.
        cinfo.optimize_coding = FALSE;
        for (int kind = 0; kind < cinfo.num_components && kind < 2; ++kind) {
            fillTable(*cinfo.dc_huff_tbl_ptrs[kind], lengths->dc[kind]);
            fillTable(*cinfo.ac_huff_tbl_ptrs[kind], lengths->ac[kind]);
        }
    } else {
        cinfo.optimize_coding = TRUE;
    }
    jvirt_barray_ptr arrays[3]{};
    for (int c = 0; c < cinfo.num_components; ++c) {
        const jpegblocks::Component& component = picture.components[static_cast<std::size_t>(c)];
        cinfo.comp_info[c].h_samp_factor = component.hSampling;
        cinfo.comp_info[c].v_samp_factor = component.vSampling;
        arrays[c] =
            cinfo.mem->request_virt_barray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                           TRUE, static_cast<JDIMENSION>(component.blocksPerRow),
                                           static_cast<JDIMENSION>(component.blockRows),
                                           static_cast<JDIMENSION>(component.vSampling));
    }
    if (progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_write_coefficients(&cinfo, arrays);
    for (int c = 0; c < cinfo.num_components; ++c) {
        const jpegblocks::Component& component = picture.components[static_cast<std::size_t>(c)];
        const auto& levels = quantised.components[static_cast<std::size_t>(c)];
        for (int row = 0; row < component.blockRows; ++row) {
            JBLOCKARRAY blocks =
                cinfo.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&cinfo), arrays[c],
                                              static_cast<JDIMENSION>(row), 1, TRUE);
            for (int column = 0; column < component.blocksPerRow; ++column) {
                const auto& block =
                    levels[static_cast<std::size_t>(row * component.blocksPerRow + column)];
                std::copy(block.begin(), block.end(), blocks[0][column]);
            }
        }
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// The bytes of a baseline file of `picture` around its entropy-coded data, as `write`
// makes it with the tables of `lengths`: SOI, JFIF's APP0, one DQT segment of 8-bit
// tables, SOF0, one DHT segment, SOS and EOI.
qint64 headerBytes(const jpegblocks::Picture& picture, const jpegquantiser::CodeLengths& lengths)
{
    const auto components = static_cast<qint64>(picture.components.size());
    const qint64 kinds = picture.grey ? 1 : 2;  // luma, chroma
    qint64 huffman = 0;
    for (std::size_t kind = 0; kind < static_cast<std::size_t>(kinds); ++kind) {
        for (const trellis::Lengths* table : {&lengths.dc[kind], &lengths.ac[kind]}) {
            huffman += 1 + 16 +
                       std::count_if(table->begin(), table->end(),
                                     [](std::uint8_t length) { return length > 0; });
        }
    }
    constexpr qint64 kStartAndEnd = 2 + 2;
    constexpr qint64 kJfif = 2 + 16;
    const qint64 quantisation = 4 + kinds * (1 + 64);
    const qint64 frame = 2 + 8 + 3 * components;
    const qint64 scan = 2 + 6 + 2 * components;
    return kStartAndEnd + kJfif + quantisation + frame + (4 + huffman) + scan;
}

}  // namespace

std::optional<Sized> write(const jpegblocks::Picture& picture,
                           const jpegquantiser::Quantised& quantised, bool progressive,
                           qint64 limitBytes)
{
    std::optional<jpegquantiser::CodeLengths> lengths;
    if (!progressive) {
        const jpegquantiser::Symbols symbols = jpegquantiser::scanSymbols(picture, quantised);
        lengths = jpegquantiser::codeLengths(symbols);
        const qint64 coded = jpegquantiser::codedBytes(symbols, *lengths);
        const qint64 least = headerBytes(picture, *lengths) + coded;
        if (least > limitBytes) {
            // The size it would likely have: a byte stuffed after one in 256 of the
            // data's, as often as 0xff comes in bytes that look random.
            constexpr qint64 kStuffedOneIn = 256;
            return Sized{std::nullopt, least + coded / kStuffedOneIn};
        }
    }
    auto encoder = std::make_unique<Libjpeg>();
    encoder->bufferSize = worstCaseSize(picture.width, picture.height);
    encoder->buffer = static_cast<unsigned char*>(std::malloc(encoder->bufferSize));
    if (encoder->buffer == nullptr) {
        return std::nullopt;
    }
    if (!compress(*encoder, picture, quantised, lengths ? &*lengths : nullptr, progressive)) {
        return std::nullopt;
    }
    QByteArray file = jpegsegments::withTablesJoined(
        QByteArrayView(reinterpret_cast<const char*>(encoder->output),
                       static_cast<qsizetype>(encoder->outputSize)));
    const qint64 bytes = file.size();
    return Sized{std::move(file), bytes};
}

}  // namespace jpegfile
