#include "capture/ScreenFit.h"

#include "capture/LoupeGeometry.h"
#include "common/Numbers.h"
#include "common/Twips.h"

#include <algorithm>

namespace screenfit {
namespace {

constexpr int kWhole = 100;

int placeAlong(int wanted, int length, int areaStart, int areaLength)
{
    if (length > areaLength) {
        return areaStart;
    }
    return std::clamp(wanted, areaStart, areaStart + areaLength - length);
}

bool within(const QSize& size, const QSize& available)
{
    return size.width() <= available.width() && size.height() <= available.height();
}

int scaledSide(int side, int percent)
{
    const long long shown =
        numbers::roundHalfEven(static_cast<double>(side) * percent / static_cast<double>(kWhole));
    return static_cast<int>(std::clamp<long long>(shown, 1, side));
}

// Whether the confirm accepts the capture area (the working size having passed).
bool accepted(const CaptureSize& size, const CaptureScale& scale)
{
    return scale.captureHeight(size) >= capturescale::kMinHeight &&
           scale.captureWidth(size) >= capturescale::kMinWidth;
}

bool usable(const CaptureSize& size, const CaptureScale& scale, const FrameOffsets& frame,
            const QSize& available)
{
    return accepted(size, scale) && loupeFits(size, scale, frame, available);
}

}  // namespace

QPoint keepInside(const QPoint& wanted, const QSize& size, int keep, const QRect& area)
{
    return {placeAlong(wanted.x(), size.width(), area.left(), area.width()),
            placeAlong(wanted.y(), std::min(keep, size.height()), area.top(), area.height())};
}

QSize previewOuter(const CaptureSize& shown, const FrameOffsets& frame)
{
    const QSize outerTwips = loupegeometry::previewTwips(shown, frame);
    return {twips::toPixels(outerTwips.width()), twips::toPixels(outerTwips.height())};
}

int previewPercent(const CaptureSize& size, const FrameOffsets& frame, const QSize& available)
{
    for (int percent = kWhole; percent > 1; --percent) {
        if (within(previewOuter(shownSize(size, percent), frame), available)) {
            return percent;
        }
    }
    return 1;
}

CaptureSize shownSize(const CaptureSize& size, int percent)
{
    if (percent >= kWhole || size.workHeight <= 0 || size.workWidth <= 0) {
        return size;
    }
    return {size.doubled, scaledSide(size.workHeight, percent),
            scaledSide(size.workWidth, percent)};
}

QString previewCaption(const QString& title, int percent)
{
    if (percent >= kWhole) {
        return title;
    }
    return QStringLiteral("%1 (%2%)").arg(title).arg(percent);
}

bool loupeFits(const CaptureSize& size, const CaptureScale& scale, const FrameOffsets& frame,
               const QSize& available)
{
    return within(loupegeometry::loupeFrame(size, scale, frame).outer.size(), available);
}

std::optional<int> smallestFittingEnlarge(const CaptureSize& size, const FrameOffsets& frame,
                                          const QSize& available)
{
    CaptureScale scale;
    scale.mode = CaptureScale::Mode::Enlarge;
    for (int value = CaptureScale::kMinValue; value <= CaptureScale::kMaxEnlarge; ++value) {
        scale.enlargeValue = value;
        if (usable(size, scale, frame, available)) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<int> largestFittingShrink(const CaptureSize& size, const FrameOffsets& frame,
                                        const QSize& available)
{
    CaptureScale scale;
    for (int value = CaptureScale::kMaxShrink; value >= CaptureScale::kMinValue; --value) {
        scale.shrinkValue = value;
        if (usable(size, scale, frame, available)) {
            return value;
        }
    }
    return std::nullopt;
}

QString loupeTooLargeMessage(const CaptureSize& size, const CaptureScale& scale,
                             const FrameOffsets& frame, const QSize& available)
{
    if (loupeFits(size, scale, frame, available)) {
        return {};
    }
    const QString lead = QStringLiteral("ルーペウィンドウが画面に収まりません。\n");
    const std::optional<int> enlarge = smallestFittingEnlarge(size, frame, available);
    if (!enlarge) {
        return lead + QStringLiteral(
                          "「拡大する」の倍率を最大の%1倍にしても収まらないため、"
                          "この画面では取り込めません。")
                          .arg(numbers::hundredthsText(CaptureScale::kMaxEnlarge));
    }
    if (*enlarge == CaptureScale::kMinValue) {
        // Unscaled it fits: the shrink is what makes it too large.
        const int shrink =
            largestFittingShrink(size, frame, available).value_or(CaptureScale::kMinValue);
        return lead + QStringLiteral("「縮小する」の倍率を%1分の1以下にしてください。")
                          .arg(numbers::hundredthsText(shrink));
    }
    return lead + QStringLiteral("「拡大する」を選んで倍率を%1倍以上にしてください。")
                      .arg(numbers::hundredthsText(*enlarge));
}

}  // namespace screenfit
