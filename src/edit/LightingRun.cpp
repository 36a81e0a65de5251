#include "edit/LightingRun.h"

#include <algorithm>
#include <utility>

namespace {

// Rows between two looks at the clock: small enough to keep a slice near its
// budget, large enough that the clock costs nothing next to the pixels.
constexpr int kPixelsBetweenClockReads = 16384;

}  // namespace

LightingRun::LightingRun(PixelBuffer buffer, const LPSLighting::ChannelTable& table)
    : m_buffer(std::move(buffer)), m_table(table)
{
}

bool LightingRun::step(std::chrono::nanoseconds budget)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + budget;
    const int rowsPerLook = std::max(1, kPixelsBetweenClockReads / std::max(1, m_buffer.width));
    while (!finished()) {
        const int rows = std::min(rowsPerLook, m_buffer.height - m_nextRow);
        LPSLighting::applyTable(m_buffer, m_table, 0, m_nextRow, 0, rows);
        m_nextRow += rows;
        if (Clock::now() >= end) {
            break;
        }
    }
    return finished();
}
