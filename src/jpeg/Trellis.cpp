#include "jpeg/Trellis.h"

#include "common/Numbers.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace trellis {
namespace {

constexpr int kMaxAcLevel = 1023;  // size category 10, the most 8-bit samples need
constexpr int kMaxDcLevel = 2047;
constexpr std::uint8_t kEndOfBlock = 0x00;
constexpr std::uint8_t kSixteenZeros = 0xf0;
constexpr int kStatesBack = 8;
// The mean squared AC coefficient at which a block's price of a bit is doubled.
constexpr double kEnergyScale = 2000;

// For each byte of a mask of natural positions, the same positions as bits in zigzag
// order: a mask is carried from one order to the other a byte at a time.
struct ZigzagOfNatural
{
    std::uint64_t bits[8][256]{};

    constexpr ZigzagOfNatural()
    {
        int zigzagOf[64]{};
        for (int k = 0; k < 64; ++k) {
            zigzagOf[kNaturalOfZigzag[static_cast<std::size_t>(k)]] = k;
        }
        for (int byte = 0; byte < 8; ++byte) {
            for (int value = 0; value < 256; ++value) {
                for (int bit = 0; bit < 8; ++bit) {
                    if ((value >> bit & 1) != 0) {
                        bits[byte][value] |= std::uint64_t{1} << zigzagOf[byte * 8 + bit];
                    }
                }
            }
        }
    }
};

constexpr ZigzagOfNatural kZigzagOfNatural;

// The non-zero levels of a block (natural order) as bits in zigzag order.
std::uint64_t zigzagNonZero(const std::int16_t* levels)
{
    std::uint64_t natural = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i zero = _mm_setzero_si128();
    for (int i = 0; i < 64; i += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + i));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + i + 8));
        const __m128i zeros =
            _mm_packs_epi16(_mm_cmpeq_epi16(low, zero), _mm_cmpeq_epi16(high, zero));
        natural |= static_cast<std::uint64_t>(~_mm_movemask_epi8(zeros) & 0xffff) << i;
    }
#else
    for (int i = 0; i < 64; ++i) {
        natural |= static_cast<std::uint64_t>(levels[i] != 0) << i;
    }
#endif
    std::uint64_t zigzag = 0;
    for (int byte = 0; byte < 8; ++byte) {
        zigzag |= kZigzagOfNatural.bits[byte][natural >> (byte * 8) & 0xff];
    }
    return zigzag;
}

// Every level rounded: the coefficient over its step to the nearest integer, ties to
// even, four at a time where the processor has SSE2 (the same rounding).
void roundLevels(const float* coefficients, const std::uint16_t* steps, std::int16_t* levels)
{
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i zero = _mm_setzero_si128();
    const __m128i highest = _mm_set1_epi16(kMaxAcLevel);
    const __m128i lowest = _mm_set1_epi16(-kMaxAcLevel);
    for (int i = 0; i < 64; i += 8) {
        const __m128i step = _mm_loadu_si128(reinterpret_cast<const __m128i*>(steps + i));
        const __m128 stepLow = _mm_cvtepi32_ps(_mm_unpacklo_epi16(step, zero));
        const __m128 stepHigh = _mm_cvtepi32_ps(_mm_unpackhi_epi16(step, zero));
        const __m128i low =
            numbers::roundSmallHalfEven(_mm_div_ps(_mm_loadu_ps(coefficients + i), stepLow));
        const __m128i high =
            numbers::roundSmallHalfEven(_mm_div_ps(_mm_loadu_ps(coefficients + i + 4), stepHigh));
        const __m128i packed =
            _mm_max_epi16(_mm_min_epi16(_mm_packs_epi32(low, high), highest), lowest);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(levels + i), packed);
    }
    // The DC level has a range of its own.
    levels[0] = static_cast<std::int16_t>(
        std::clamp(numbers::roundSmallHalfEven(coefficients[0] / static_cast<float>(steps[0])),
                   -kMaxDcLevel, kMaxDcLevel));
#else
    for (int i = 0; i < 64; ++i) {
        const int limit = i == 0 ? kMaxDcLevel : kMaxAcLevel;
        levels[i] = static_cast<std::int16_t>(
            std::clamp(numbers::roundSmallHalfEven(coefficients[i] / static_cast<float>(steps[i])),
                       -limit, limit));
    }
#endif
}

// Each coefficient over its step into `scaled`, four at a time where the processor
// has SSE2 (the same division); whether any AC level rounds to more than zero.
bool scaleLevels(const float* coefficients, const std::uint16_t* steps, float* scaled)
{
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i zero = _mm_setzero_si128();
    const __m128 sign = _mm_set1_ps(-0.0f);
    const __m128 half = _mm_set1_ps(0.5f);
    // All lanes but the DC's.
    const __m128 acOnly = _mm_castsi128_ps(_mm_set_epi32(-1, -1, -1, 0));
    __m128 over = _mm_setzero_ps();
    for (int i = 0; i < 64; i += 8) {
        const __m128i step = _mm_loadu_si128(reinterpret_cast<const __m128i*>(steps + i));
        const __m128 low = _mm_div_ps(_mm_loadu_ps(coefficients + i),
                                      _mm_cvtepi32_ps(_mm_unpacklo_epi16(step, zero)));
        const __m128 high = _mm_div_ps(_mm_loadu_ps(coefficients + i + 4),
                                       _mm_cvtepi32_ps(_mm_unpackhi_epi16(step, zero)));
        _mm_storeu_ps(scaled + i, low);
        _mm_storeu_ps(scaled + i + 4, high);
        const __m128 lowOver = _mm_cmpgt_ps(_mm_andnot_ps(sign, low), half);
        over = _mm_or_ps(over, _mm_or_ps(i == 0 ? _mm_and_ps(lowOver, acOnly) : lowOver,
                                         _mm_cmpgt_ps(_mm_andnot_ps(sign, high), half)));
    }
    return _mm_movemask_ps(over) != 0;
#else
    bool any = false;
    for (int i = 0; i < 64; ++i) {
        scaled[i] = coefficients[i] / static_cast<float>(steps[i]);
        any = any || (i > 0 && std::fabs(scaled[i]) > 0.5f);
    }
    return any;
#endif
}

}  // namespace

double lambdaScale(const float* coefficients)
{
    double energy = 0;
    for (int i = 1; i < 64; ++i) {
        energy += static_cast<double>(coefficients[i]) * coefficients[i];
    }
    return 1.0 + energy / 63.0 / kEnergyScale;
}

AcBits::AcBits(const Lengths& ac) : endOfBlock(ac[kEndOfBlock])
{
    for (int size = 1; size <= 10; ++size) {
        for (int run = 0; run < 64; ++run) {
            ofRun[size][run] =
                static_cast<std::uint8_t>((run >> 4) * ac[kSixteenZeros] +
                                          ac[static_cast<std::size_t>(((run & 15) << 4) | size)]);
        }
    }
}

void quantise(const float* coefficients, const std::uint16_t* steps, const Lengths& ac,
              double lambda, std::int16_t* levels)
{
    if (lambda <= 0) {
        roundLevels(coefficients, steps, levels);
        return;
    }
    quantise(coefficients, steps, AcBits(ac), lambda, levels);
}

void quantise(const float* coefficients, const std::uint16_t* steps, const AcBits& ac,
              double lambda, std::int16_t* levels)
{
    if (lambda <= 0) {
        roundLevels(coefficients, steps, levels);
        return;
    }
    quantiseAc(coefficients, steps, ac, lambda, levels);
    levels[0] = static_cast<std::int16_t>(
        std::clamp(numbers::roundSmallHalfEven(coefficients[0] / static_cast<float>(steps[0])),
                   -kMaxDcLevel, kMaxDcLevel));
}

void quantiseAc(const float* coefficients, const std::uint16_t* steps, const AcBits& ac,
                double lambda, std::int16_t* levels)
{
    if (lambda <= 0) {
        std::int16_t rounded[64];
        roundLevels(coefficients, steps, rounded);
        std::copy(rounded + 1, rounded + 64, levels + 1);
        return;
    }
    // The coefficients in units of their steps, in natural order. A block whose AC
    // levels all round to zero keeps them: no choice costs less.
    float scaled[64];
    const bool anyLevel = scaleLevels(coefficients, steps, scaled);
    std::fill(levels + 1, levels + 64, std::int16_t{0});
    if (!anyLevel) {
        return;
    }
    // Along the zigzag order: the scaled magnitude and the cost of all zeros up to each
    // position.
    double magnitude[64];
    double zeroCost[64];  // squared error of zeros at positions 1..k
    zeroCost[0] = 0;
    for (int k = 1; k < 64; ++k) {
        magnitude[k] = std::fabs(scaled[kNaturalOfZigzag[static_cast<std::size_t>(k)]]);
        zeroCost[k] = zeroCost[k - 1] + magnitude[k] * magnitude[k];
    }
    // For each position that may end on a non-zero level, the cheapest way to get there
    // with the level chosen and the previous non-zero position.
    double cost[64];
    int level[64];
    int from[64];
    int states[64];
    double stateBase[64];  // each state's cost less the zeros' error up to it
    int stateCount = 1;
    states[0] = 0;
    stateBase[0] = 0;
    cost[0] = 0;
    for (int k = 1; k < 64; ++k) {
        if (magnitude[k] < 0.5) {
            continue;  // rounds to zero
        }
        const int rounded =
            std::min(numbers::roundSmallHalfEven(static_cast<float>(magnitude[k])), kMaxAcLevel);
        if (rounded == 0) {
            continue;
        }
        double best = std::numeric_limits<double>::infinity();
        int bestLevel = 0;
        int bestFrom = 0;
        // One less in magnitude can only pay where it needs fewer bits: below a power
        // of two. Elsewhere it costs the same bits for more error.
        const bool powerOfTwo = rounded >= 2 && (rounded & (rounded - 1)) == 0;
        const int lowest = powerOfTwo ? rounded - 1 : rounded;
        const int first = std::max(0, stateCount - kStatesBack);
        for (int candidate = rounded; candidate >= lowest; --candidate) {
            const int size = sizeCategory(candidate);
            const double error = magnitude[k] - static_cast<double>(candidate);
            // The nearest states only: a longer way back (through eight non-zero
            // levels) is never the cheaper one in practice, and it bounds the work.
            const double fixed = zeroCost[k - 1] + error * error;
            const double sizeBits = lambda * size;
            const std::uint8_t* const bitsAfter = ac.ofRun[size];
            for (int s = first; s < stateCount; ++s) {
                const double total =
                    stateBase[s] + fixed + sizeBits + lambda * bitsAfter[k - states[s] - 1];
                if (total < best) {
                    best = total;
                    bestLevel = candidate;
                    bestFrom = states[s];
                }
            }
        }
        cost[k] = best;
        level[k] = bestLevel;
        from[k] = bestFrom;
        states[stateCount] = k;
        stateBase[stateCount++] = best - zeroCost[k];
    }
    int last = 0;
    double best = std::numeric_limits<double>::infinity();
    for (int s = 0; s < stateCount; ++s) {
        const int j = states[s];
        const double total =
            cost[j] + (zeroCost[63] - zeroCost[j]) + (j < 63 ? lambda * ac.endOfBlock : 0.0);
        if (total < best) {
            best = total;
            last = j;
        }
    }
    for (int k = last; k > 0; k = from[k]) {
        const int natural = kNaturalOfZigzag[static_cast<std::size_t>(k)];
        levels[natural] =
            static_cast<std::int16_t>(coefficients[natural] < 0 ? -level[k] : level[k]);
    }
}

void countAc(const std::int16_t* levels, Counts& counts)
{
    // The non-zero AC levels as bits in zigzag order, walked from one to the next.
    std::uint64_t nonZero = zigzagNonZero(levels) & ~std::uint64_t{1};
    int previous = 0;
    while (nonZero != 0) {
        const int k = std::countr_zero(nonZero);
        nonZero &= nonZero - 1;
        int run = k - previous - 1;
        while (run > 15) {
            ++counts[kSixteenZeros];
            run -= 16;
        }
        const int level = levels[kNaturalOfZigzag[static_cast<std::size_t>(k)]];
        ++counts[static_cast<std::size_t>((run << 4) | sizeCategory(level))];
        previous = k;
    }
    if (previous < 63) {
        ++counts[kEndOfBlock];
    }
}

}  // namespace trellis
