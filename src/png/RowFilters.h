#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The five PNG row filters (filter method 0) of one row at once, with the usual
// estimate of how well each deflates: the filtered bytes read as signed, their
// magnitudes summed. One pass over the row computes all of them.
namespace rowfilters {

enum Filter : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };
constexpr std::size_t kFilterCount = 5;

// Rows of `rowBytes` bytes whose pixels are `distance` bytes apart (1..8), filtered
// into buffers of their own. Feed the rows top to bottom; the first row's row above
// is all zero.
class RowFilters
{
public:
    RowFilters(std::size_t rowBytes, std::size_t distance);

    // Filters `row` against the row given before it (zeros for the first) into
    // every filter's buffer and sums each buffer's magnitudes.
    void next(const std::uint8_t* row);
    // Takes `row` as the row above the next one, without filtering it.
    void setAbove(const std::uint8_t* row);

    const std::uint8_t* filtered(Filter filter) const { return m_out[filter].data(); }
    const std::array<std::uint64_t, kFilterCount>& costs() const { return m_costs; }
    // The filter of smallest cost; ties go to the lower filter number.
    Filter cheapest() const;

private:
    std::size_t m_rowBytes;
    std::size_t m_distance;
    // The current and the previous row, each after `kLead` zero bytes, so that the
    // bytes left of the first pixel read as zero the way the filters define them.
    std::vector<std::uint8_t> m_current;
    std::vector<std::uint8_t> m_previous;
    std::array<std::vector<std::uint8_t>, kFilterCount> m_out;
    std::array<std::uint64_t, kFilterCount> m_costs{};
};

}  // namespace rowfilters
