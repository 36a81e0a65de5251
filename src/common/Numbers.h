#pragma once

#include <QString>
#include <QStringView>
#include <cmath>
#include <optional>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

// Numeric text and rounding, the one place where the program turns text and
// non-integers into integers.
namespace numbers {

// The value of the longest leading decimal number of the text (optional blanks,
// optional sign, digits, optional point and digits); 0 when there is none.
double leadingValue(QStringView text);

// The value when the whole text (blanks around it allowed) is one decimal number,
// otherwise nothing.
std::optional<double> exactValue(QStringView text);

// The whole text as a decimal integer without sign or point ("0", "240", "20479");
// nothing for anything else or for values beyond int.
std::optional<int> wholeNumber(QStringView text);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// Values beyond the range of long long are clamped to it.
long long roundHalfEven(double value);

// roundHalfEven for a value known to lie well inside int (a scaled sample or DCT
// coefficient), without its checks: for inner loops over pixels.
inline int roundSmallHalfEven(float value)
{
    // The default floating-point environment rounds to nearest, ties to even; on x86
    // one instruction does it (lrintf is a call into the maths library).
#if defined(__SSE2__) || defined(_M_X64)
    return _mm_cvtss_si32(_mm_set_ss(value));
#else
    return static_cast<int>(std::lrintf(value));
#endif
}

#if defined(__SSE2__) || defined(_M_X64)
// roundSmallHalfEven of four values at once.
inline __m128i roundSmallHalfEven(__m128 values)
{
    return _mm_cvtps_epi32(values);
}
#endif

// The largest integer not above the value (a position inside a pixel belongs to
// that pixel); values beyond int are clamped.
int floorToInt(double value);

// Integer division truncating toward zero; 0 when the divisor is 0.
constexpr long long divTrunc(long long dividend, long long divisor)
{
    return divisor == 0 ? 0 : dividend / divisor;
}

// value / 100 as the shortest decimal text: 100 -> "1", 102 -> "1.02", 150 -> "1.5".
QString hundredthsText(int value);

}  // namespace numbers
