#include "edit/LightingRun.h"
#include "common/WorkPool.h"

#include <QThreadPool>
#include <algorithm>
#include <utility>

namespace {

using lightingrows::Kernel;

// Pixels in a band: small enough to keep a slice near its budget and the two threads
// finishing together, large enough that handing out bands and reading the clock cost
// nothing next to the pixels.
constexpr int kPixelsPerBand = 16384;
// The trial: plain, gather, plain, gather; the better time of each counts.
constexpr int kTrialBands = 4;

}  // namespace

LightingRun::LightingRun(const QImage& source, const LPSLighting::ShiftedTables& tables,
                         QImage spare)
    : m_source(source.convertToFormat(QImage::Format_RGB32)),
      m_tables(tables),
      m_trials(lightingrows::available(Kernel::Gather) ? 0 : kTrialBands)
{
    if (spare.size() == m_source.size() && spare.format() == QImage::Format_RGB32 &&
        spare.isDetached()) {
        m_result = std::move(spare);
    } else {
        m_result = QImage(m_source.size(), QImage::Format_RGB32);
    }
    m_width = m_source.width();
    // Memory for either picture refused: nothing to compute, and a null result.
    m_height = m_source.isNull() || m_result.isNull() ? 0 : m_source.height();
    if (m_height == 0) {
        m_result = QImage();
    }
    m_bandRows = std::max(1, kPixelsPerBand / std::max(1, m_width));
    m_in = m_source.constBits();
    m_inStride = m_source.bytesPerLine();
    m_out = m_result.bits();  // detached here, on the owner's thread
    m_outStride = m_result.bytesPerLine();
    // A picture of one or two bands is not worth waking a thread for, and with a pool of
    // one thread (one core) the helper would only take turns with the window's thread.
    if (m_height > 2 * m_bandRows && workpool::instance().maxThreadCount() > 1) {
        m_helper = std::make_unique<pooljobs::Helper>([this] { helperLoop(); });
    }
}

LightingRun::~LightingRun()
{
    m_nextRow.store(m_height, std::memory_order_relaxed);  // no band after this one
    m_helper.reset();                                      // its band ends first
}

int LightingRun::claimBand()
{
    if (m_nextRow.load(std::memory_order_relaxed) >= m_height) {
        return m_height;  // and the counter stays far from overflowing
    }
    const int first = m_nextRow.fetch_add(m_bandRows, std::memory_order_relaxed);
    return std::min(first, m_height);
}

void LightingRun::helperLoop()
{
    for (int first = claimBand(); first < m_height; first = claimBand()) {
        const int end = bandEnd(first);
        applyRows(first, end, m_kernel.load(std::memory_order_relaxed));
        m_helperRows.fetch_add(end - first, std::memory_order_relaxed);
        m_rowsDone.fetch_add(end - first, std::memory_order_release);
    }
}

bool LightingRun::step(std::chrono::nanoseconds budget)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point now = Clock::now();
    const Clock::time_point end = now + budget;
    for (;;) {
        const int first = claimBand();
        if (first >= m_height) {
            // The helper's last band is all that can be left: at most one band's wait.
            m_helper.reset();
            break;
        }
        const Kernel kernel = nextKernel();
        const Clock::time_point start = now;
        const int last = bandEnd(first);
        applyRows(first, last, kernel);
        m_rowsDone.fetch_add(last - first, std::memory_order_release);
        now = Clock::now();
        record(kernel, (now - start) / (last - first));
        if (now >= end) {
            break;
        }
    }
    return finished();
}

Kernel LightingRun::nextKernel() const
{
    if (m_trials < kTrialBands) {
        return m_trials % 2 == 0 ? Kernel::Plain : Kernel::Gather;
    }
    return m_kernel.load(std::memory_order_relaxed);
}

void LightingRun::record(Kernel kernel, std::chrono::nanoseconds perRow)
{
    if (m_trials >= kTrialBands) {
        return;
    }
    std::chrono::nanoseconds& best = kernel == Kernel::Plain ? m_plainBest : m_gatherBest;
    best = std::min(best, perRow);
    if (++m_trials == kTrialBands) {
        m_kernel.store(m_gatherBest < m_plainBest ? Kernel::Gather : Kernel::Plain,
                       std::memory_order_relaxed);
    }
}

void LightingRun::applyRows(int first, int end, Kernel kernel)
{
    for (int y = first; y < end; ++y) {
        lightingrows::apply(kernel, reinterpret_cast<const quint32*>(m_in + y * m_inStride),
                            reinterpret_cast<quint32*>(m_out + y * m_outStride), m_width, m_tables);
    }
}
