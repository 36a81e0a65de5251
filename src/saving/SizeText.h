#pragma once

#include <QString>
#include <QtGlobal>

// Sizes as the main window shows them: kilobytes of 1000 bytes, one decimal at most.
namespace sizetext {

// The model's limit: bytes / 1000 truncated to one decimal (10240 -> "10.2",
// 100000 -> "100", 20479 -> "20.4"); empty when no limit is known (0 or less).
QString sizeLimitKB(int fileSizeBytes);

// A file length: bytes / 1000 rounded half up to one decimal, shortest form
// (8000 -> "8", 10149 -> "10.1", 700 -> "0.7").
QString kiloBytes(qint64 bytes);

// Whether a shown size has reached the limit (then it is shown red). A limit that
// is not a number is never reached.
bool reachesLimit(const QString& sizeText, const QString& limitKB);

// The largest file whose shown size stays below the limit (black): what fitting and
// colour reduction aim at. A 10240-byte model shows "10.2", so its files of 10150 bytes
// and more are shown red; the aim is then 10149. `limitBytes` when it is less, or when
// the limit text is not a number.
qint64 largestBelowLimit(const QString& limitKB, qint64 limitBytes);

// A shown size as a screen reader says it: the size and whether it has reached
// the limit ("12.3 KByte、サイズ上限 10.2 KByte 以上"); empty while no size is shown.
QString spokenSize(const QString& sizeText, const QString& limitKB);

// The same while the next size is worked out: the shown size stays, and the reader
// is told that a new one is on its way.
QString pendingSize(const QString& sizeText, const QString& limitKB);

// The JPEG quality level of the quality text, clamped to 1..10 (empty or not a
// number: 1). The slider shows it rounded half to even.
double jpegLevel(const QString& levelText);
int sliderPosition(const QString& levelText);

// The encoder's quality: the level times ten, rounded half to even (5.5 -> 55, 7.25 -> 72),
// at most 100. Levels between 0 and 1, which fitting to a limit may choose, hold (0.4 -> 4);
// empty text, text that is not a number and levels of 0 or less give level 1.
int jpegQuality(const QString& levelText);

// The quality text of an encoder quality 1..100: the level with one decimal (73 -> "7.3").
QString levelText(int quality);

}  // namespace sizetext
