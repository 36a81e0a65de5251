#pragma once

// The settings a fit searches, in order of size: quality 1, a quarter of the way to 2,
// .., three quarters of the way to 100, then 100 (each quarter step takes the tables a
// quarter of the way to the next quality's). Quality q with k quarters is setting
// (q - 1) × kQuarters + k + 1, quality 100 the last.
namespace fitsettings {

inline constexpr int kQuarters = 4;
inline constexpr int kSettings = 99 * kQuarters + 1;

constexpr int settingOf(int quality, int quarters)
{
    return (quality - 1) * kQuarters + quarters + 1;
}
constexpr int qualityOf(int setting)
{
    return (setting - 1) / kQuarters + 1;
}
constexpr int quartersOf(int setting)
{
    return (setting - 1) % kQuarters;
}

}  // namespace fitsettings
