#include "edit/LPSLighting.h"

#include "common/Numbers.h"
#include "edit/LPSPixels.h"

#include <algorithm>

namespace LPSLighting {
namespace {

quint8 clampChannel(long long value)
{
    return static_cast<quint8>(std::clamp<long long>(value, 0, 255));
}

}  // namespace

int limitAmount(int amount)
{
    return std::clamp(amount, -100, 100);
}

ChannelTable brightnessTable(int amount)
{
    const int limited = limitAmount(amount);
    ChannelTable table{};
    for (int c = 0; c < 256; ++c) {
        table[static_cast<size_t>(c)] = clampChannel(c + limited);
    }
    return table;
}

ChannelTable contrastTable(int amount, int pivot)
{
    const int limited = limitAmount(amount);
    const double g = limited / 100.0;
    ChannelTable table{};
    if (limited <= 0) {
        const float f = static_cast<float>(-g);
        for (int c = 0; c < 256; ++c) {
            const double value = static_cast<double>(f) * (pivot - c) + c;
            table[static_cast<size_t>(c)] = clampChannel(numbers::roundHalfEven(value));
        }
        return table;
    }
    const long long lo = numbers::roundHalfEven(g * pivot);
    const long long hi = numbers::roundHalfEven(255 - g * (255 - pivot));
    const float f = static_cast<float>(256.0 / static_cast<double>(hi - lo + 1));
    for (int c = 0; c < 256; ++c) {
        const double value = static_cast<double>(f) * (c - pivot) + pivot;
        table[static_cast<size_t>(c)] = clampChannel(numbers::roundHalfEven(value));
    }
    return table;
}

ChannelTable lightingTable(int brightness, int contrast)
{
    const ChannelTable first = brightnessTable(brightness);
    const ChannelTable second = contrastTable(contrast, kPivot);
    ChannelTable table{};
    for (size_t c = 0; c < table.size(); ++c) {
        table[c] = second[first[c]];
    }
    return table;
}

ShiftedTables shifted(const ChannelTable& table)
{
    ShiftedTables tables;
    fillShifted(table, tables);
    return tables;
}

void fillShifted(const ChannelTable& table, ShiftedTables& into)
{
    for (size_t c = 0; c < table.size(); ++c) {
        into.red[c] = quint32{table[c]} << 16;
    }
    // Blue widened once; each green's row is then one plain vectorisable pass.
    std::array<quint32, 256> blue{};
    std::copy(table.begin(), table.end(), blue.begin());
    into.greenBlue.resize(table.size() * blue.size());
    quint32* row = into.greenBlue.data();
    for (const quint8 green : table) {
        const quint32 high = quint32{green} << 8;
        for (size_t b = 0; b < blue.size(); ++b) {
            row[b] = high | blue[b];
        }
        row += blue.size();
    }
}

void applyRow(const quint32* in, quint32* out, int count, const ShiftedTables& tables)
{
    const quint32* greenBlue = tables.greenBlue.data();
    for (int x = 0; x < count; ++x) {
        const quint32 v = in[x];
        out[x] = (v & 0xFF000000u) | tables.red[(v >> 16) & 0xFFu] | greenBlue[v & 0xFFFFu];
    }
}

void applyTable(PixelBuffer& buffer, const ChannelTable& table, int x0, int y0, int w, int h)
{
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    const int right = w == 0 ? buffer.width : std::min(buffer.width, x0 + w);
    const int bottom = h == 0 ? buffer.height : std::min(buffer.height, y0 + h);
    if (right <= x0) {
        return;
    }
    const ShiftedTables tables = shifted(table);
    for (int y = y0; y < bottom; ++y) {
        quint32* row = buffer.row(y) + x0;
        applyRow(row, row, right - x0, tables);
    }
}

void AdjustBrightness(PixelBuffer& buffer, int amount, int x0, int y0, int w, int h)
{
    applyTable(buffer, brightnessTable(amount), x0, y0, w, h);
}

void AdjustContrast(PixelBuffer& buffer, int amount, int pivot, int x0, int y0, int w, int h)
{
    applyTable(buffer, contrastTable(amount, pivot), x0, y0, w, h);
}

}  // namespace LPSLighting
