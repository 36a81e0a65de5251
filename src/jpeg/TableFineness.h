#pragma once

#include "jpeg/FitSettings.h"

#include <array>

// How fine the quantisation tables of each fit setting are: the mean of -ln step over
// their 64 entries. A file's log size runs near a straight line of it over the whole
// range of settings, where against the setting itself it bends up toward quality 100
// (the steps shrink ever faster there, until they stop at 1).
class TableFineness
{
public:
    // The table of every setting, made once.
    static const TableFineness& ofSettings();

    // The fineness at `setting` 1..fitsettings::kSettings (clamped).
    double at(int setting) const;

    // The setting, fractional, where the fineness is `x`: between the two settings
    // around it, in proportion; 1 or the last beyond them.
    double settingAt(double x) const;

private:
    TableFineness();

    std::array<double, fitsettings::kSettings + 1> m_of{};  // by setting; [0] unused
};
