#include "history/HistoryGeometry.h"

#include "common/Numbers.h"
#include "common/Twips.h"

#include <array>

namespace historygeometry {
namespace {

constexpr std::array<int, 2> kColumnLeftTwips{120, 2130};
constexpr std::array<int, 4> kRowTopTwips{360, 2340, 4320, 6300};
constexpr float kSnapReachTwips = 1000.0f;

int pixelsOf(float twipsValue)
{
    return static_cast<int>(
        numbers::roundHalfEven(static_cast<double>(twipsValue) / twips::kPerPixel));
}

bool within(float value, float centre)
{
    return centre - kSnapReachTwips <= value && value <= centre + kSnapReachTwips;
}

}  // namespace

QRect frameRect(int index)
{
    const int side = twips::toPixels(kFrameSideTwips);
    return {twips::toPixels(kColumnLeftTwips.at(static_cast<size_t>(index % 2))),
            twips::toPixels(kRowTopTwips.at(static_cast<size_t>(index / 2))), side, side};
}

QRect thumbnailBox(QSize canvas)
{
    const int side = twips::toPixels(kFrameSideTwips);
    if (canvas.width() <= 0 || canvas.height() <= 0) {
        return {0, 0, side, side};
    }
    const auto width = static_cast<float>(canvas.width());
    const auto height = static_cast<float>(canvas.height());
    const float frame = kFrameSideTwips;
    if (height >= width) {
        const float thumbWidth = width / height * frame;
        return {pixelsOf((frame - thumbWidth) / 2.0f), 0, pixelsOf(thumbWidth), side};
    }
    const float thumbHeight = height / width * frame;
    return {0, pixelsOf((frame - thumbHeight) / 2.0f), side, pixelsOf(thumbHeight)};
}

std::optional<QPoint> snapTarget(const MainWindowTwips& main, QPoint history)
{
    // The test measures from the client width, the placement uses the outer width.
    const bool near =
        within(static_cast<float>(history.y()), static_cast<float>(main.top)) &&
        within(static_cast<float>(history.x()), static_cast<float>(main.left + main.clientWidth));
    if (!near) {
        return std::nullopt;
    }
    return QPoint(main.left + main.outerWidth, main.top);
}

}  // namespace historygeometry
