#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The marker segments in front of a JPEG file's first scan. libjpeg writes every
// quantisation and every Huffman table in a segment of its own; the format lets one
// DQT and one DHT segment hold them all, as camera files have it, which saves four
// bytes for every segment left out. The tables, their order and everything else in
// the file stay as they are, so a decoder sees the same tables and the same scan.
namespace jpegsegments {

// `file` with the DQT segments before its first scan joined into one where the first
// stood, and the DHT segments likewise. Returns `file` unchanged when its header is
// not a sequence of well-formed segments from SOI up to an SOS.
QByteArray withTablesJoined(QByteArrayView file);

}  // namespace jpegsegments
