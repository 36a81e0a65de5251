#include "png/RowFilters.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace rowfilters {
namespace {

constexpr std::size_t kLead = 16;  // zero bytes before each row, at least the largest distance

std::uint8_t paethPredictor(int a, int b, int c)
{
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc) {
        return static_cast<std::uint8_t>(a);
    }
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

std::uint64_t magnitude(std::uint8_t value)
{
    return value < 128 ? value : 256u - value;
}

#if defined(__SSE2__)

// Bytes of a and b for which `choose` is set from a, the others from b.
__m128i select(__m128i choose, __m128i a, __m128i b)
{
    return _mm_or_si128(_mm_and_si128(choose, a), _mm_andnot_si128(choose, b));
}

// The Paeth prediction of eight pixels' bytes held as 16-bit lanes.
__m128i paeth16(__m128i a, __m128i b, __m128i c)
{
    const __m128i bc = _mm_sub_epi16(b, c);
    const __m128i ac = _mm_sub_epi16(a, c);
    const __m128i sum = _mm_add_epi16(bc, ac);
    // |v| as max(v, -v)
    const __m128i zero = _mm_setzero_si128();
    const __m128i pa = _mm_max_epi16(bc, _mm_sub_epi16(zero, bc));
    const __m128i pb = _mm_max_epi16(ac, _mm_sub_epi16(zero, ac));
    const __m128i pc = _mm_max_epi16(sum, _mm_sub_epi16(zero, sum));
    const __m128i takeA = _mm_andnot_si128(
        _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc)), _mm_set1_epi16(-1));
    const __m128i takeB = _mm_andnot_si128(_mm_cmpgt_epi16(pb, pc), _mm_set1_epi16(-1));
    return select(takeA, a, select(takeB, b, c));
}

// Magnitudes of 16 filtered bytes, summed into two 64-bit lanes of `sum`.
__m128i addMagnitudes(__m128i sum, __m128i bytes)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i magnitudes = _mm_min_epu8(bytes, _mm_sub_epi8(zero, bytes));
    return _mm_add_epi64(sum, _mm_sad_epu8(magnitudes, zero));
}

std::uint64_t total(__m128i sum)
{
    return static_cast<std::uint64_t>(_mm_cvtsi128_si64(sum)) +
           static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sum, sum)));
}

__m128i load(const std::uint8_t* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

void store(std::uint8_t* at, __m128i value)
{
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), value);
}

// Filters the bytes [0, end) of the row, 16 at a time; returns where it stopped.
std::size_t filterBlocks(const std::uint8_t* row, const std::uint8_t* above, std::size_t distance,
                         std::size_t end, std::array<std::uint8_t*, kFilterCount> out,
                         std::array<std::uint64_t, kFilterCount>& costs)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i one = _mm_set1_epi8(1);
    __m128i sums[kFilterCount] = {zero, zero, zero, zero, zero};
    std::size_t i = 0;
    for (; i + 16 <= end; i += 16) {
        const __m128i x = load(row + i);
        const __m128i a = load(row + i - distance);
        const __m128i b = load(above + i);
        const __m128i c = load(above + i - distance);
        const __m128i average =
            _mm_sub_epi8(_mm_avg_epu8(a, b), _mm_and_si128(_mm_xor_si128(a, b), one));
        const __m128i paeth =
            _mm_packus_epi16(paeth16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero),
                                     _mm_unpacklo_epi8(c, zero)),
                             paeth16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero),
                                     _mm_unpackhi_epi8(c, zero)));
        const __m128i filtered[kFilterCount] = {x, _mm_sub_epi8(x, a), _mm_sub_epi8(x, b),
                                                _mm_sub_epi8(x, average), _mm_sub_epi8(x, paeth)};
        for (std::size_t f = 0; f < kFilterCount; ++f) {
            store(out[f] + i, filtered[f]);
            sums[f] = addMagnitudes(sums[f], filtered[f]);
        }
    }
    for (std::size_t f = 0; f < kFilterCount; ++f) {
        costs[f] += total(sums[f]);
    }
    return i;
}

#else

std::size_t filterBlocks(const std::uint8_t*, const std::uint8_t*, std::size_t, std::size_t,
                         std::array<std::uint8_t*, kFilterCount>,
                         std::array<std::uint64_t, kFilterCount>&)
{
    return 0;
}

#endif

// The filters byte by byte, for the end of a row and where SSE2 is missing. `row` and
// `above` must be readable `distance` bytes before `from`, zeros left of the picture.
void filterBytes(const std::uint8_t* row, const std::uint8_t* above, std::size_t distance,
                 std::size_t from, std::size_t to, std::array<std::uint8_t*, kFilterCount> out,
                 std::array<std::uint64_t, kFilterCount>& costs)
{
    for (std::size_t i = from; i < to; ++i) {
        const int a = row[i - distance];
        const int b = above[i];
        const int c = above[i - distance];
        const std::array<int, kFilterCount> predictions{0, a, b, (a + b) / 2,
                                                        paethPredictor(a, b, c)};
        for (std::size_t f = 0; f < kFilterCount; ++f) {
            const auto value = static_cast<std::uint8_t>(row[i] - predictions[f]);
            out[f][i] = value;
            costs[f] += magnitude(value);
        }
    }
}

}  // namespace

RowFilters::RowFilters(std::size_t rowBytes, std::size_t distance)
    : m_rowBytes(rowBytes),
      m_distance(distance),
      m_current(kLead + rowBytes, 0),
      m_previous(kLead + rowBytes, 0)
{
    for (auto& out : m_out) {
        out.resize(rowBytes);
    }
}

void RowFilters::next(const std::uint8_t* row)
{
    std::swap(m_current, m_previous);
    std::memcpy(m_current.data() + kLead, row, m_rowBytes);
    m_costs.fill(0);
    const std::array<std::uint8_t*, kFilterCount> out{
        m_out[0].data(), m_out[1].data(), m_out[2].data(), m_out[3].data(), m_out[4].data()};
    const std::uint8_t* current = m_current.data() + kLead;
    const std::uint8_t* previous = m_previous.data() + kLead;
    const std::size_t done = filterBlocks(current, previous, m_distance, m_rowBytes, out, m_costs);
    filterBytes(current, previous, m_distance, done, m_rowBytes, out, m_costs);
}

void RowFilters::setAbove(const std::uint8_t* row)
{
    std::memcpy(m_current.data() + kLead, row, m_rowBytes);
}

Filter RowFilters::cheapest() const
{
    const auto best = std::min_element(m_costs.begin(), m_costs.end());
    return static_cast<Filter>(best - m_costs.begin());
}

}  // namespace rowfilters
