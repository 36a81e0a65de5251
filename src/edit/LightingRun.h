#pragma once

#include "common/PoolJobs.h"
#include "edit/LPSLighting.h"
#include "edit/LightingRows.h"

#include <QImage>
#include <atomic>
#include <chrono>
#include <memory>

// One brightness-and-contrast computation: each row of the source is put through the
// table straight into the result. The rows are handed out in bands. A helper thread of
// the program's pool takes bands from the moment the run is made until none are left;
// the thread that owns the run takes bands too, as many as fit into each slice of time
// it gives, and serves its events in between. The source is never written. The owner's
// first bands also try the pixel loops the processor offers, each twice in turn; the
// rest go through the faster.
class LightingRun
{
public:
    // `tables` stay the caller's and must outlive the run. The result is written into
    // `spare` when it is a picture of the source's size that nothing else shares (no
    // new memory to fault in), else into a new picture.
    LightingRun(const QImage& source, const LPSLighting::ShiftedTables& tables, QImage spare = {});
    // Stops the helper: it finishes the band it has, then no other starts.
    ~LightingRun();
    LightingRun(const LightingRun&) = delete;
    LightingRun& operator=(const LightingRun&) = delete;

    // Works on for about `budget` (at least one band unless none is left); true once
    // every row is done.
    bool step(std::chrono::nanoseconds budget);

    bool finished() const { return m_rowsDone.load(std::memory_order_acquire) >= m_height; }
    // The source's pixels through the table, Format_RGB32; complete once finished().
    const QImage& result() const { return m_result; }
    // Rows the helper thread has done so far.
    int helperRows() const { return m_helperRows.load(std::memory_order_relaxed); }

private:
    // The first row of the next band of `m_bandRows` rows, or m_height when none is left.
    int claimBand();
    int bandEnd(int first) const { return std::min(first + m_bandRows, m_height); }
    void applyRows(int first, int end, lightingrows::Kernel kernel);
    void helperLoop();
    // The loop for the next band, and what its time says about it.
    lightingrows::Kernel nextKernel() const;
    void record(lightingrows::Kernel kernel, std::chrono::nanoseconds perRow);

    QImage m_source;
    QImage m_result;
    const LPSLighting::ShiftedTables& m_tables;
    // What both threads read; the pictures themselves are not touched by the helper.
    const uchar* m_in = nullptr;
    uchar* m_out = nullptr;
    qsizetype m_inStride = 0;
    qsizetype m_outStride = 0;
    int m_width = 0;
    int m_height = 0;
    int m_bandRows = 1;

    std::atomic<int> m_nextRow{0};
    std::atomic<int> m_rowsDone{0};
    std::atomic<int> m_helperRows{0};
    std::atomic<lightingrows::Kernel> m_kernel{lightingrows::Kernel::Plain};
    std::unique_ptr<pooljobs::Helper> m_helper;  // made last, finished first

    // The trial, on the owner's thread only.
    int m_trials = 0;  // bands given to the trial of the loops so far
    std::chrono::nanoseconds m_plainBest = std::chrono::nanoseconds::max();
    std::chrono::nanoseconds m_gatherBest = std::chrono::nanoseconds::max();
};
