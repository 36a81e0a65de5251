#include "jpeg/TableFineness.h"

#include "jpeg/JpegQuantiser.h"

#include <algorithm>
#include <cmath>

TableFineness::TableFineness()
{
    for (int setting = 1; setting <= fitsettings::kSettings; ++setting) {
        const jpegquantiser::Table table =
            jpegquantiser::tablesFor(fitsettings::qualityOf(setting),
                                     fitsettings::quartersOf(setting))
                .luma;
        double sum = 0;
        for (const std::uint16_t step : table) {
            sum -= std::log(static_cast<double>(step));
        }
        m_of[static_cast<std::size_t>(setting)] = sum / static_cast<double>(table.size());
    }
    m_of[0] = m_of[1];
}

const TableFineness& TableFineness::ofSettings()
{
    static const TableFineness table;
    return table;
}

double TableFineness::at(int setting) const
{
    return m_of[static_cast<std::size_t>(std::clamp(setting, 1, fitsettings::kSettings))];
}

double TableFineness::settingAt(double x) const
{
    if (x <= m_of[1]) {
        return 1;
    }
    if (x >= m_of[fitsettings::kSettings]) {
        return fitsettings::kSettings;
    }
    // The last setting at or below x, and the next one above it.
    const auto above = std::upper_bound(m_of.begin() + 1, m_of.end(), x);
    const auto below = std::prev(above);
    const double from = *below;
    const double to = *above;
    const auto setting = static_cast<double>(below - m_of.begin());
    return to > from ? setting + (x - from) / (to - from) : setting;
}
