#include "edit/LightingRun.h"

#include <algorithm>
#include <utility>

namespace {

using lightingrows::Kernel;

// Pixels between two looks at the clock: small enough to keep a slice near its
// budget, large enough that the clock costs nothing next to the pixels.
constexpr int kPixelsBetweenClockReads = 16384;
// The trial: plain, gather, plain, gather; the better time of each counts.
constexpr int kTrialChunks = 4;

}  // namespace

LightingRun::LightingRun(const QImage& source, const LPSLighting::ShiftedTables& tables,
                         QImage spare)
    : m_source(source.convertToFormat(QImage::Format_RGB32)),
      m_tables(tables),
      m_trials(lightingrows::available(Kernel::Gather) ? 0 : kTrialChunks)
{
    if (spare.size() == m_source.size() && spare.format() == QImage::Format_RGB32 &&
        spare.isDetached()) {
        m_result = std::move(spare);
    } else {
        m_result = QImage(m_source.size(), QImage::Format_RGB32);
    }
}

bool LightingRun::step(std::chrono::nanoseconds budget)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + budget;
    const int rowsPerLook = std::max(1, kPixelsBetweenClockReads / std::max(1, m_source.width()));
    Clock::time_point now = Clock::now();
    while (!finished()) {
        const int rows = std::min(rowsPerLook, m_source.height() - m_nextRow);
        const Kernel kernel = nextKernel();
        const Clock::time_point start = now;
        applyRows(m_nextRow, rows, kernel);
        m_nextRow += rows;
        now = Clock::now();
        record(kernel, (now - start) / rows);
        if (now >= end) {
            break;
        }
    }
    return finished();
}

Kernel LightingRun::nextKernel() const
{
    if (m_trials < kTrialChunks) {
        return m_trials % 2 == 0 ? Kernel::Plain : Kernel::Gather;
    }
    return m_kernel;
}

void LightingRun::record(Kernel kernel, std::chrono::nanoseconds perRow)
{
    if (m_trials >= kTrialChunks) {
        return;
    }
    std::chrono::nanoseconds& best = kernel == Kernel::Plain ? m_plainBest : m_gatherBest;
    best = std::min(best, perRow);
    if (++m_trials == kTrialChunks) {
        m_kernel = m_gatherBest < m_plainBest ? Kernel::Gather : Kernel::Plain;
    }
}

void LightingRun::applyRows(int first, int count, Kernel kernel)
{
    const int width = m_source.width();
    for (int y = first; y < first + count; ++y) {
        lightingrows::apply(kernel, reinterpret_cast<const quint32*>(m_source.constScanLine(y)),
                            reinterpret_cast<quint32*>(m_result.scanLine(y)), width, m_tables);
    }
}
