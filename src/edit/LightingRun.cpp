#include "edit/LightingRun.h"

#include <algorithm>

namespace {

// Pixels between two looks at the clock: small enough to keep a slice near its
// budget, large enough that the clock costs nothing next to the pixels.
constexpr int kPixelsBetweenClockReads = 16384;

}  // namespace

LightingRun::LightingRun(const QImage& source, const LPSLighting::ShiftedTables& tables)
    : m_source(source.convertToFormat(QImage::Format_RGB32)),
      m_result(m_source.size(), QImage::Format_RGB32),
      m_tables(tables)
{
}

bool LightingRun::step(std::chrono::nanoseconds budget)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + budget;
    const int rowsPerLook = std::max(1, kPixelsBetweenClockReads / std::max(1, m_source.width()));
    while (!finished()) {
        const int rows = std::min(rowsPerLook, m_source.height() - m_nextRow);
        applyRows(m_nextRow, rows);
        m_nextRow += rows;
        if (Clock::now() >= end) {
            break;
        }
    }
    return finished();
}

void LightingRun::applyRows(int first, int count)
{
    const int width = m_source.width();
    for (int y = first; y < first + count; ++y) {
        LPSLighting::applyRow(reinterpret_cast<const quint32*>(m_source.constScanLine(y)),
                              reinterpret_cast<quint32*>(m_result.scanLine(y)), width, m_tables);
    }
}
