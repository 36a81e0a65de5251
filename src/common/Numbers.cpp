#include "common/Numbers.h"

#include "common/Blanks.h"

#include <cmath>
#include <limits>

namespace numbers {
namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Length of the decimal number that starts at `from` (sign, digits, point, digits),
// 0 when no digit is there.
qsizetype numberLength(QStringView text, qsizetype from)
{
    qsizetype i = from;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        ++i;
    }
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == u'.') {
        qsizetype j = i + 1;
        qsizetype fraction = 0;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
            ++fraction;
        }
        if (fraction > 0 || digits > 0) {
            i = j;
            digits += fraction;
        }
    }
    return digits > 0 ? i - from : 0;
}

double valueOf(QStringView number)
{
    // QString::toDouble always reads the C locale, whatever the user's locale is.
    bool ok = false;
    const double value = number.toString().toDouble(&ok);
    return ok ? value : 0.0;
}

}  // namespace

double leadingValue(QStringView text)
{
    qsizetype start = 0;
    while (start < text.size() && blanks::isBlank(text[start])) {
        ++start;
    }
    const qsizetype length = numberLength(text, start);
    return length > 0 ? valueOf(text.mid(start, length)) : 0.0;
}

std::optional<double> exactValue(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    const qsizetype length = numberLength(trimmed, 0);
    if (length == 0 || length != trimmed.size()) {
        return std::nullopt;
    }
    return valueOf(trimmed);
}

std::optional<int> wholeNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 10) {
        return std::nullopt;
    }
    long long value = 0;
    for (QChar c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

long long roundHalfEven(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double kLimit = 9.2e18;  // inside long long, and exactly representable
    if (value >= kLimit) {
        return static_cast<long long>(kLimit);
    }
    if (value <= -kLimit) {
        return -static_cast<long long>(kLimit);
    }
    // The default floating-point environment rounds to nearest, ties to even.
    return static_cast<long long>(std::nearbyint(value));
}

int floorToInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    const double floored = std::floor(value);
    if (floored >= std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (floored <= std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(floored);
}

QString hundredthsText(int value)
{
    const int whole = value / 100;
    int fraction = std::abs(value % 100);
    QString text = (value < 0 && whole == 0) ? QStringLiteral("-0") : QString::number(whole);
    if (fraction == 0) {
        return text;
    }
    if (fraction % 10 == 0) {
        return text + u'.' + QString::number(fraction / 10);
    }
    return text + u'.' + QString::number(fraction).rightJustified(2, u'0');
}

}  // namespace numbers
