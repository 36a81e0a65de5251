#pragma once

#include <QColor>
#include <cstdint>

// A 24-bit colour as 0x00BBGGRR: red in the lowest byte.
using ColourRef = std::uint32_t;

namespace colourref {

constexpr ColourRef make(int red, int green, int blue)
{
    return static_cast<ColourRef>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int red(ColourRef c)
{
    return static_cast<int>(c & 0xFFu);
}
constexpr int green(ColourRef c)
{
    return static_cast<int>((c >> 8) & 0xFFu);
}
constexpr int blue(ColourRef c)
{
    return static_cast<int>((c >> 16) & 0xFFu);
}

inline QColor toQColor(ColourRef c)
{
    return QColor(red(c), green(c), blue(c));
}
inline ColourRef fromQColor(const QColor& c)
{
    const QColor rgb = c.toRgb();
    return make(rgb.red(), rgb.green(), rgb.blue());
}

constexpr ColourRef kBlack = 0x000000;
constexpr ColourRef kRed = 0x0000FF;

}  // namespace colourref
