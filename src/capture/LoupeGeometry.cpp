#include "capture/LoupeGeometry.h"

#include "common/DevicePixels.h"
#include "common/Twips.h"

namespace loupegeometry {
namespace {

constexpr int kLoupeExtraWidthPixels = 10;
constexpr int kLoupeExtraHeightPixels = 30;
constexpr int kPreviewFrameWidthTwips = 90;
constexpr int kPreviewFrameHeightTwips = 380;
constexpr int kPreviewBottomGapTwips = 100;

}  // namespace

QSize loupeTwips(const CaptureSize& size, const CaptureScale& scale, const FrameOffsets& frame)
{
    const int width = twips::fromPixels(scale.captureWidth(size) + kLoupeExtraWidthPixels);
    const int height = twips::fromPixels(scale.captureHeight(size) + kLoupeExtraHeightPixels) +
                       frame.loupeExtraHeight;
    return {width, height};
}

LoupeFrame loupeFrame(const CaptureSize& size, const CaptureScale& scale, const FrameOffsets& frame)
{
    const QSize outerTwips = loupeTwips(size, scale, frame);
    const int outerWidth = twips::toPixels(outerTwips.width());
    const int outerHeight = twips::toPixels(outerTwips.height());
    const int frameHeight = outerHeight - LoupeFrame::kStrip - scale.captureHeight(size);
    LoupeFrame result;
    result.outer = QRect(0, 0, outerWidth, outerHeight);
    result.frameHeight = frameHeight;
    // QRect(left, top, width, height): right and bottom are exclusive edges here.
    result.hole = QRect(LoupeFrame::kStrip, frameHeight, outerWidth - 2 * LoupeFrame::kStrip,
                        outerHeight - LoupeFrame::kStrip - frameHeight);
    return result;
}

QSize previewTwips(const CaptureSize& size, const FrameOffsets& frame)
{
    return {
        twips::fromPixels(size.workWidth) + kPreviewFrameWidthTwips,
        twips::fromPixels(size.workHeight) + kPreviewFrameHeightTwips + frame.previewExtraHeight};
}

QPoint previewTopLeft(const QRect& availableArea, int captionHeight, const CaptureSize& size)
{
    const int bottomTwips = twips::fromPixels(availableArea.height() - captionHeight);
    const int topTwips =
        bottomTwips - (twips::fromPixels(size.workHeight) + kPreviewBottomGapTwips);
    return {availableArea.left(), availableArea.top() + twips::toPixels(topTwips)};
}

QPoint loupeTopLeft(const QRect& screenArea, const LoupeFrame& frame)
{
    return {screenArea.left() + (screenArea.width() - frame.outer.width()) / 2,
            screenArea.top() + (screenArea.height() - frame.outer.height()) / 2};
}

QRect deviceSourceRect(const QPoint& loupeDeviceTopLeft, const LoupeFrame& frame, double ratio)
{
    return devicepixels::edgesToDevice(frame.hole, ratio).translated(loupeDeviceTopLeft);
}

}  // namespace loupegeometry

CropRect CropRect::forCapture(const CaptureSize& size, const FrameOffsets& frame)
{
    return {twips::fromPixels(size.workWidth), twips::fromPixels(size.workHeight),
            frame.cutTop + 330, 50 - frame.cutLeft};
}

QRect CropRect::pixels() const
{
    return {twips::toPixels(cropLeft), twips::toPixels(cropTop), twips::toPixels(cropWidth),
            twips::toPixels(cropHeight)};
}
