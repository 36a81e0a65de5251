#include "common/DevicePixels.h"

#include "common/Numbers.h"

#include <cmath>
#include <limits>

namespace devicepixels {

int toDevice(int logical, double ratio)
{
    const double scaled = std::round(static_cast<double>(logical) * ratio);
    constexpr double kLow = std::numeric_limits<int>::min();
    constexpr double kHigh = std::numeric_limits<int>::max();
    return static_cast<int>(std::fmin(std::fmax(scaled, kLow), kHigh));
}

QPoint toDevice(const QPoint& logical, double ratio)
{
    return {toDevice(logical.x(), ratio), toDevice(logical.y(), ratio)};
}

QRect edgesToDevice(const QRect& logical, double ratio)
{
    // QRect's right() and bottom() are inclusive; the edges are the exclusive ones.
    const int left = toDevice(logical.x(), ratio);
    const int top = toDevice(logical.y(), ratio);
    const int right = toDevice(logical.x() + logical.width(), ratio);
    const int bottom = toDevice(logical.y() + logical.height(), ratio);
    return {left, top, right - left, bottom - top};
}

double outputRatio(int device, int logical, double fallback)
{
    constexpr double kSteps = 120;
    if (device <= 0 || logical <= 0) {
        return fallback;
    }
    const double quotient = static_cast<double>(device) / logical;
    const double step = static_cast<double>(numbers::roundHalfEven(quotient * kSteps)) / kSteps;
    const double back = device / step;
    if (numbers::floorToInt(back) == logical || numbers::roundHalfEven(back) == logical) {
        return step;
    }
    return quotient;
}

}  // namespace devicepixels
