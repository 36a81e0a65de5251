#pragma once

#include "edit/LPSLighting.h"
#include "edit/LightingRows.h"

#include <QImage>
#include <chrono>

// One brightness-and-contrast computation done a slice at a time: each row of the
// source is put through the table straight into the result, as many rows as fit
// into the time given. The source is never written. Its first rows also try the pixel
// loops the processor offers, each twice in turn; the rest go through the faster.
class LightingRun
{
public:
    // `tables` stay the caller's and must outlive the run. The result is written into
    // `spare` when it is a picture of the source's size that nothing else shares (no
    // new memory to fault in), else into a new picture.
    LightingRun(const QImage& source, const LPSLighting::ShiftedTables& tables, QImage spare = {});

    // Works on for about `budget` (at least one row); true once every row is done.
    bool step(std::chrono::nanoseconds budget);

    bool finished() const { return m_nextRow >= m_source.height(); }
    // The source's pixels through the table, Format_RGB32; complete once finished().
    const QImage& result() const { return m_result; }

private:
    void applyRows(int first, int count, lightingrows::Kernel kernel);
    // The loop for the next rows, and what their time says about it.
    lightingrows::Kernel nextKernel() const;
    void record(lightingrows::Kernel kernel, std::chrono::nanoseconds perRow);

    QImage m_source;
    QImage m_result;
    const LPSLighting::ShiftedTables& m_tables;
    int m_nextRow = 0;
    int m_trials = 0;  // chunks of rows given to the trial of the loops so far
    std::chrono::nanoseconds m_plainBest = std::chrono::nanoseconds::max();
    std::chrono::nanoseconds m_gatherBest = std::chrono::nanoseconds::max();
    lightingrows::Kernel m_kernel = lightingrows::Kernel::Plain;
};
