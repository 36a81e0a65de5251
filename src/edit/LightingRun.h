#pragma once

#include "edit/LPSLighting.h"

#include <QImage>
#include <chrono>

// One brightness-and-contrast computation done a slice at a time: each row of the
// source is put through the table straight into the result, as many rows as fit
// into the time given. The source is never written.
class LightingRun
{
public:
    // `tables` stay the caller's and must outlive the run.
    LightingRun(const QImage& source, const LPSLighting::ShiftedTables& tables);

    // Works on for about `budget` (at least one row); true once every row is done.
    bool step(std::chrono::nanoseconds budget);

    bool finished() const { return m_nextRow >= m_source.height(); }
    // The source's pixels through the table, Format_RGB32; complete once finished().
    const QImage& result() const { return m_result; }

private:
    void applyRows(int first, int count);

    QImage m_source;
    QImage m_result;
    const LPSLighting::ShiftedTables& m_tables;
    int m_nextRow = 0;
};
