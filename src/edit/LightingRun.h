#pragma once

#include "edit/LPSLighting.h"
#include "edit/LPSPixels.h"

#include <chrono>

// One brightness-and-contrast computation done a slice at a time: the buffer is
// put through the table row by row, as many rows as fit into the time given.
class LightingRun
{
public:
    LightingRun(PixelBuffer buffer, const LPSLighting::ChannelTable& table);

    // Works on for about `budget` (at least one row); true once every row is done.
    bool step(std::chrono::nanoseconds budget);

    bool finished() const { return m_nextRow >= m_buffer.height; }
    const PixelBuffer& buffer() const { return m_buffer; }

private:
    PixelBuffer m_buffer;
    LPSLighting::ChannelTable m_table;
    int m_nextRow = 0;
};
