#include "saving/SizeText.h"

#include "common/Numbers.h"

#include <algorithm>
#include <cmath>

namespace sizetext {
namespace {

// Tenths as the shortest decimal text: 102 -> "10.2", 80 -> "8".
QString tenthsText(long long tenths)
{
    const long long whole = tenths / 10;
    const long long fraction = tenths % 10;
    return fraction == 0 ? QString::number(whole)
                         : QString::number(whole) + u'.' + QString::number(fraction);
}

constexpr double kMinLevel = 1.0;
constexpr double kMaxLevel = 10.0;

}  // namespace

QString sizeLimitKB(int fileSizeBytes)
{
    if (fileSizeBytes <= 0) {
        return {};
    }
    // Tenths of a kilobyte, cut off: 10240 bytes -> 102 tenths.
    return tenthsText(numbers::divTrunc(fileSizeBytes, 100));
}

QString kiloBytes(qint64 bytes)
{
    // floor(kb * 10 + 0.5) in integers: tenths rounded half up.
    return tenthsText(numbers::divTrunc(std::max<qint64>(bytes, 0) + 50, 100));
}

bool reachesLimit(const QString& sizeText, const QString& limitKB)
{
    const std::optional<double> limit = numbers::exactValue(limitKB);
    if (!limit) {
        return false;
    }
    return !(*limit > numbers::leadingValue(sizeText));
}

qint64 largestBelowLimit(const QString& limitKB, qint64 limitBytes)
{
    const std::optional<double> limit = numbers::exactValue(limitKB);
    if (!limit) {
        return limitBytes;
    }
    // Shown tenths, (bytes + 50) / 100 cut off, stay below the limit's tenths.
    const long long tenths = numbers::roundHalfEven(*limit * 10);
    return std::clamp<qint64>(tenths * 100 - 51, 0, std::max<qint64>(limitBytes, 0));
}

QString spokenSize(const QString& sizeText, const QString& limitKB)
{
    if (sizeText.isEmpty()) {
        return {};
    }
    const QString size = sizeText + QStringLiteral(" KByte");
    if (!numbers::exactValue(limitKB)) {
        return size;
    }
    const QString verdict = reachesLimit(sizeText, limitKB)
                                ? QStringLiteral("、サイズ上限 %1 KByte 以上")
                                : QStringLiteral("、サイズ上限 %1 KByte 未満");
    return size + verdict.arg(limitKB);
}

QString pendingSize(const QString& sizeText, const QString& limitKB)
{
    const QString shown = spokenSize(sizeText, limitKB);
    const QString pending = QStringLiteral("新しいサイズを計算中");
    return shown.isEmpty() ? pending : shown + u'、' + pending;
}

double jpegLevel(const QString& levelText)
{
    return std::clamp(numbers::leadingValue(levelText), kMinLevel, kMaxLevel);
}

int sliderPosition(const QString& levelText)
{
    return static_cast<int>(numbers::roundHalfEven(jpegLevel(levelText)));
}

int jpegQuality(const QString& levelText)
{
    const double level = numbers::leadingValue(levelText);
    if (!(level > 0)) {
        return static_cast<int>(kMinLevel * 10);  // empty, not a number or negative
    }
    return std::max(1, static_cast<int>(numbers::roundHalfEven(std::min(level, kMaxLevel) * 10)));
}

QString levelText(int quality)
{
    const int clamped = std::clamp(quality, 1, 100);
    return QStringLiteral("%1.%2").arg(clamped / 10).arg(clamped % 10);
}

}  // namespace sizetext
