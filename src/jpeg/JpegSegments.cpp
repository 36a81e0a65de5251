#include "jpeg/JpegSegments.h"

#include <array>
#include <vector>

namespace jpegsegments {
namespace {

constexpr uchar kMarkerStart = 0xff;
constexpr uchar kSoi = 0xd8;
constexpr uchar kSos = 0xda;
constexpr uchar kDqt = 0xdb;
constexpr uchar kDht = 0xc4;
constexpr qsizetype kLargestSegment = 0xffff;  // the length field counts itself

// One marker segment: where its marker starts and how many bytes it takes in all.
struct Segment
{
    uchar marker = 0;
    qsizetype start = 0;
    qsizetype size = 0;
};

uchar byteAt(QByteArrayView file, qsizetype at)
{
    return static_cast<uchar>(file[at]);
}

// Fill bytes, SOI, EOI, RSTn and TEM have no length field; none belongs in a header
// that libjpeg wrote.
bool hasLength(uchar marker)
{
    return marker != kMarkerStart && marker != 0x01 && !(marker >= 0xd0 && marker <= 0xd9);
}

// The segments from after SOI up to and including the first SOS; empty when the bytes
// are not such a run of segments (so nothing is rewritten).
std::vector<Segment> headerSegments(QByteArrayView file)
{
    if (file.size() < 2 || byteAt(file, 0) != kMarkerStart || byteAt(file, 1) != kSoi) {
        return {};
    }
    std::vector<Segment> segments;
    qsizetype at = 2;
    while (at + 4 <= file.size()) {
        if (byteAt(file, at) != kMarkerStart) {
            return {};
        }
        const uchar marker = byteAt(file, at + 1);
        if (!hasLength(marker)) {
            return {};
        }
        const qsizetype length = byteAt(file, at + 2) * 256 + byteAt(file, at + 3);
        if (length < 2 || at + 2 + length > file.size()) {
            return {};
        }
        segments.push_back({marker, at, 2 + length});
        at += 2 + length;
        if (marker == kSos) {
            return segments;
        }
    }
    return {};
}

// The tables of every segment of one kind, without their markers and lengths.
QByteArray tablesOf(QByteArrayView file, const std::vector<Segment>& segments, uchar marker)
{
    QByteArray tables;
    for (const Segment& segment : segments) {
        if (segment.marker == marker) {
            tables.append(file.sliced(segment.start + 4, segment.size - 4));
        }
    }
    return tables;
}

void appendSegment(QByteArray& out, uchar marker, const QByteArray& tables)
{
    const qsizetype length = tables.size() + 2;
    const std::array<char, 4> head = {static_cast<char>(kMarkerStart), static_cast<char>(marker),
                                      static_cast<char>(length >> 8),
                                      static_cast<char>(length & 0xff)};
    out.append(head.data(), static_cast<qsizetype>(head.size()));
    out.append(tables);
}

}  // namespace

QByteArray withTablesJoined(QByteArrayView file)
{
    const std::vector<Segment> segments = headerSegments(file);
    if (segments.empty()) {
        return file.toByteArray();
    }
    const QByteArray quantisation = tablesOf(file, segments, kDqt);
    const QByteArray huffman = tablesOf(file, segments, kDht);
    if (quantisation.size() + 2 > kLargestSegment || huffman.size() + 2 > kLargestSegment) {
        return file.toByteArray();
    }
    QByteArray out;
    out.reserve(file.size());
    out.append(file.first(2));  // SOI
    bool quantisationWritten = false;
    bool huffmanWritten = false;
    for (const Segment& segment : segments) {
        if (segment.marker == kDqt) {
            if (!quantisationWritten) {
                appendSegment(out, kDqt, quantisation);
                quantisationWritten = true;
            }
        } else if (segment.marker == kDht) {
            if (!huffmanWritten) {
                appendSegment(out, kDht, huffman);
                huffmanWritten = true;
            }
        } else {
            out.append(file.sliced(segment.start, segment.size));
        }
    }
    const Segment& scan = segments.back();
    out.append(file.sliced(scan.start + scan.size));
    return out;
}

}  // namespace jpegsegments
