#pragma once

#include <QtGlobal>
#include <array>
#include <vector>

struct PixelBuffer;

// Brightness and contrast as per-channel arithmetic on a PixelBuffer. Each adjustment is
// a function of one channel value, so it is computed once for the 256 values into a table
// and the pixels are looked up in it; the bytes are exactly the formula's.
namespace LPSLighting {

// The contrast pivot the program uses.
constexpr int kPivot = 69;

// The new value of each channel value 0..255.
using ChannelTable = std::array<quint8, 256>;

// The table already shifted into place in a pixel 0xXXRRGGBB: red on its own, green
// and blue together, indexed by the pixel's low 16 bits, so that a pixel takes two
// look-ups instead of three (the pair table, 256 KB, stays in the second-level cache).
struct ShiftedTables
{
    std::array<quint32, 256> red{};
    std::vector<quint32> greenBlue;  // 65,536 entries
};
ShiftedTables shifted(const ChannelTable& table);
// The same into tables made before, keeping their memory.
void fillShifted(const ChannelTable& table, ShiftedTables& into);

// `count` pixels from `in` through the tables into `out` (which may be `in`), the
// fourth byte kept.
void applyRow(const quint32* in, quint32* out, int count, const ShiftedTables& tables);

// The amount held to -100..100.
int limitAmount(int amount);

// c := clamp(c + amount).
ChannelTable brightnessTable(int amount);

// amount <= 0: c := clamp(round(f × (pivot − c) + c)) with f = |amount / 100| in single
// precision; amount > 0: c := clamp(round(f × (c − pivot) + pivot)) with
// f = 256 / (hi − lo + 1), lo = round(g × pivot), hi = round(255 − g × (255 − pivot)),
// g = amount / 100. Rounding to nearest, halves to even.
ChannelTable contrastTable(int amount, int pivot);

// Brightness first, then contrast about kPivot, as one table.
ChannelTable lightingTable(int brightness, int contrast);

// Puts red, green and blue of the rectangle of w columns and h rows from (x0, y0) through
// the table, row by row, leaving the fourth byte. A w or h of 0 reaches to the buffer's
// right or bottom edge; the rectangle is clipped to the buffer.
void applyTable(PixelBuffer& buffer, const ChannelTable& table, int x0 = 0, int y0 = 0, int w = 0,
                int h = 0);

void AdjustBrightness(PixelBuffer& buffer, int amount, int x0 = 0, int y0 = 0, int w = 0,
                      int h = 0);
void AdjustContrast(PixelBuffer& buffer, int amount, int pivot, int x0 = 0, int y0 = 0, int w = 0,
                    int h = 0);

}  // namespace LPSLighting
