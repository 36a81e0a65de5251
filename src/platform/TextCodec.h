#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Text in the Japanese ANSI code page (CP932, Shift_JIS) and the program's
// rule for files that may be written in either UTF-8 or CP932.
namespace textcodec {

// Decodes CP932 bytes; bytes that are not CP932 become U+FFFD.
QString fromCp932(QByteArrayView bytes);

// Encodes to CP932; characters that CP932 cannot hold become '?'.
QByteArray toCp932(QStringView text);

// The longest leading part of the text whose CP932 form, every character complete,
// takes at most `byteCount` bytes: a double-byte character cut by the count is left out.
QString cp932Prefix(QStringView text, qsizetype byteCount);

bool isValidUtf8(QByteArrayView bytes);

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is dropped), else CP932.
QString decodeUtf8OrCp932(QByteArrayView bytes);

}  // namespace textcodec
