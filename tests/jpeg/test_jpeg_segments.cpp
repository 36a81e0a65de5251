#include "jpeg/JpegSegments.h"
#include "saving/mdlSavedll.h"
#include "support/MagickPictures.h"

#include <QTest>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

// A marker segment in front of the first scan: its marker and what follows the length.
struct Segment
{
    uchar marker = 0;
    QByteArray body;
};

// The segments from SOI up to and including the first SOS, read independently of the
// code under test.
std::vector<Segment> header(const QByteArray& file)
{
    std::vector<Segment> segments;
    qsizetype at = 2;
    while (at + 4 <= file.size()) {
        const auto marker = static_cast<uchar>(file[at + 1]);
        const int length =
            static_cast<uchar>(file[at + 2]) * 256 + static_cast<uchar>(file[at + 3]);
        segments.push_back({marker, file.mid(at + 4, length - 2)});
        at += 2 + length;
        if (marker == 0xda) {
            break;
        }
    }
    return segments;
}

QList<int> markersOf(const QByteArray& file)
{
    QList<int> markers;
    for (const Segment& segment : header(file)) {
        markers.append(segment.marker);
    }
    return markers;
}

// The table ids in one DQT segment (8-bit tables) or one DHT segment.
QList<int> tableIds(const QByteArray& body, bool huffman)
{
    QList<int> ids;
    qsizetype at = 0;
    while (at < body.size()) {
        ids.append(static_cast<uchar>(body[at]));
        if (!huffman) {
            at += 65;
            continue;
        }
        int symbols = 0;
        for (int i = 1; i <= 16; ++i) {
            symbols += static_cast<uchar>(body[at + i]);
        }
        at += 17 + symbols;
    }
    return ids;
}

struct Failure
{
    jpeg_error_mgr manager{};
    std::jmp_buf back{};
};

[[noreturn]] void jumpBack(j_common_ptr cinfo)
{
    std::longjmp(static_cast<Failure*>(cinfo->client_data)->back, 1);
}

void quiet(j_common_ptr)
{
}

// A file as libjpeg writes it by itself: optimised tables, a segment for every table.
QByteArray libjpegFile(const QImage& rgb32, bool grey, bool progressive)
{
    const QImage source = grey ? rgb32.convertToFormat(QImage::Format_Grayscale8) : rgb32;
    jpeg_compress_struct cinfo{};
    Failure failure;
    cinfo.err = jpeg_std_error(&failure.manager);
    jpeg_create_compress(&cinfo);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &output, &size);
    cinfo.image_width = static_cast<JDIMENSION>(source.width());
    cinfo.image_height = static_cast<JDIMENSION>(source.height());
    cinfo.input_components = grey ? 1 : 4;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    cinfo.optimize_coding = TRUE;
    if (progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(source.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray file(reinterpret_cast<const char*>(output), static_cast<qsizetype>(size));
    std::free(output);
    return file;
}

// What libjpeg decodes: the samples row after row, and how many warnings (corrupt
// data) it gave; nothing when it refused the file.
struct Decoded
{
    QByteArray samples;
    long warnings = 0;
};

std::optional<Decoded> libjpegDecode(const QByteArray& file)
{
    auto cinfo = std::make_unique<jpeg_decompress_struct>();
    auto failure = std::make_unique<Failure>();
    Decoded decoded;
    cinfo->err = jpeg_std_error(&failure->manager);
    failure->manager.error_exit = jumpBack;
    failure->manager.output_message = quiet;
    cinfo->client_data = failure.get();
    if (setjmp(failure->back)) {
        jpeg_destroy_decompress(cinfo.get());
        return std::nullopt;
    }
    jpeg_create_decompress(cinfo.get());
    jpeg_mem_src(cinfo.get(), reinterpret_cast<const unsigned char*>(file.constData()),
                 static_cast<unsigned long>(file.size()));
    jpeg_read_header(cinfo.get(), TRUE);
    jpeg_start_decompress(cinfo.get());
    const auto stride = static_cast<qsizetype>(cinfo->output_width) * cinfo->output_components;
    decoded.samples.resize(stride * cinfo->output_height);
    while (cinfo->output_scanline < cinfo->output_height) {
        auto* row =
            reinterpret_cast<JSAMPLE*>(decoded.samples.data() + stride * cinfo->output_scanline);
        jpeg_read_scanlines(cinfo.get(), &row, 1);
    }
    jpeg_finish_decompress(cinfo.get());
    decoded.warnings = failure->manager.num_warnings;
    jpeg_destroy_decompress(cinfo.get());
    return decoded;
}

}  // namespace

class TestJpegSegments : public QObject
{
    Q_OBJECT

    QImage m_picture;

private slots:
    void initTestCase()
    {
        m_picture = magickPicture(QStringLiteral("wizard:"), QSize(120, 77));
        QVERIFY(!m_picture.isNull());
    }

    // Our files: the JFIF header, all quantisation tables in one segment, the frame,
    // all Huffman tables in one segment, the scan; grey files without chroma tables.
    void filesHoldEachKindOfTableInOneSegment_data()
    {
        QTest::addColumn<bool>("grey");
        QTest::addColumn<bool>("fullChroma");
        QTest::newRow("4:2:0") << false << false;
        QTest::newRow("4:4:4") << false << true;
        QTest::newRow("grey") << true << false;
    }

    void filesHoldEachKindOfTableInOneSegment()
    {
        QFETCH(bool, grey);
        QFETCH(bool, fullChroma);
        const QImage picture =
            grey ? m_picture.convertToFormat(QImage::Format_Grayscale8) : m_picture;
        const QByteArray file = mdlSavedll::encodeJpeg(picture, 80, false, fullChroma).value();
        QCOMPARE(markersOf(file), QList<int>({0xe0, 0xdb, 0xc0, 0xc4, 0xda}));
        const std::vector<Segment> segments = header(file);
        QVERIFY(segments[0].body.startsWith(QByteArray("JFIF\0", 5)));
        QCOMPARE(tableIds(segments[1].body, false), grey ? QList<int>({0}) : QList<int>({0, 1}));
        QCOMPARE(tableIds(segments[3].body, true),
                 grey ? QList<int>({0x00, 0x10}) : QList<int>({0x00, 0x10, 0x01, 0x11}));
        const std::optional<Decoded> decoded = libjpegDecode(file);
        QVERIFY(decoded);
        QCOMPARE(decoded->warnings, 0);
    }

    // Joining changes nothing a decoder sees: the same samples from libjpeg, without a
    // warning, four bytes less for every segment left out; later scans' tables of a
    // progressive file stay where they are.
    void joinedFilesDecodeAsLibjpegsOwn_data()
    {
        QTest::addColumn<bool>("grey");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<int>("saved");
        QTest::newRow("colour") << false << false << 4 + 3 * 4;
        QTest::newRow("grey") << true << false << 4;
        QTest::newRow("progressive") << false << true << 4 + 4;
    }

    void joinedFilesDecodeAsLibjpegsOwn()
    {
        QFETCH(bool, grey);
        QFETCH(bool, progressive);
        QFETCH(int, saved);
        const QByteArray own = libjpegFile(m_picture, grey, progressive);
        const QByteArray joined = jpegsegments::withTablesJoined(own);
        QCOMPARE(joined.size(), own.size() - saved);
        const qsizetype scan = own.indexOf("\xff\xda");
        QCOMPARE(joined.mid(scan - saved), own.mid(scan));
        const std::optional<Decoded> before = libjpegDecode(own);
        const std::optional<Decoded> after = libjpegDecode(joined);
        QVERIFY(before && after);
        QCOMPARE(after->warnings, 0);
        QVERIFY(after->samples == before->samples);
        QCOMPARE(QImage::fromData(joined, "JPEG"), QImage::fromData(own, "JPEG"));
    }

    // Bytes that are not a whole header up to the first scan come back as they were.
    void brokenHeadersAreLeftAlone()
    {
        const QByteArray own = libjpegFile(m_picture, false, false);
        const qsizetype scanData = own.indexOf("\xff\xda") + 14;
        for (qsizetype size = 0; size < scanData; ++size) {
            const QByteArray cut = own.first(size);
            QCOMPARE(jpegsegments::withTablesJoined(cut), cut);
        }
        QByteArray longLength = own;
        longLength[4] = '\x7f';  // the JFIF segment runs past the end
        QCOMPARE(jpegsegments::withTablesJoined(longLength), longLength);
        QByteArray fill = own;
        fill.insert(2, '\xff');  // a fill byte before the first marker
        QCOMPARE(jpegsegments::withTablesJoined(fill), fill);
        const QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
        QCOMPARE(jpegsegments::withTablesJoined(png), png);
    }
};

QTEST_MAIN(TestJpegSegments)
#include "test_jpeg_segments.moc"
