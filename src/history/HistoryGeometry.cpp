#include "history/HistoryGeometry.h"

#include "common/Numbers.h"
#include "common/Twips.h"

#include <algorithm>
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

// The start of a span of `length` moved as little as possible to lie in
// [low, high); a span longer than that keeps to `low`.
int clampSpan(int start, int length, int low, int high)
{
    return std::max(low, std::min(start, high - length));
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

QRect centredIn(QSize frame, QRect available)
{
    const auto offset = [](int room, int length) {
        return static_cast<int>(numbers::divTrunc(room - length, 2));
    };
    return {available.left() + offset(available.width(), frame.width()),
            available.top() + offset(available.height(), frame.height()), frame.width(),
            frame.height()};
}

QPoint mainWindowPlace(QRect main, QSize history, QRect available)
{
    const int pairWidth = main.width() + history.width();
    const int pairHeight = std::max(main.height(), history.height());
    return {
        clampSpan(main.left(), pairWidth, available.left(), available.left() + available.width()),
        clampSpan(main.top(), pairHeight, available.top(), available.top() + available.height())};
}

QPoint dockedPlace(QRect main, QSize history, QRect available)
{
    const int areaLeft = available.left();
    const int areaRight = available.left() + available.width();
    const int top = clampSpan(main.top(), history.height(), available.top(),
                              available.top() + available.height());
    const int right = main.left() + main.width();
    if (right >= areaLeft && right + history.width() <= areaRight) {
        return {right, top};
    }
    if (main.left() - history.width() >= areaLeft && main.left() <= areaRight) {
        return {main.left() - history.width(), top};
    }
    return {clampSpan(right, history.width(), areaLeft, areaRight), top};
}

}  // namespace historygeometry
