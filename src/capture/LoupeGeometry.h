#pragma once

#include "capture/CaptureScale.h"
#include "common/CaptureSize.h"
#include "common/FrameOffsets.h"

#include <QPoint>
#include <QRect>
#include <QSize>

// The loupe window in its own pixels: the whole window and the hole cut out of it.
// The hole starts below the caption bar and its top strip (frameHeight) and leaves
// 5-pixel strips at the left, the right and the bottom.
struct LoupeFrame
{
    QRect outer;
    QRect hole;
    int frameHeight = 0;

    static constexpr int kStrip = 5;

    friend bool operator==(const LoupeFrame&, const LoupeFrame&) = default;
};

namespace loupegeometry {

// The loupe's outer size in twips: the capture area plus 10 pixels in width, plus
// 30 pixels and the window style's extra height in height.
QSize loupeTwips(const CaptureSize& size, const CaptureScale& scale, const FrameOffsets& frame);

// The loupe's outer and hole rectangles, with the frame height chosen so that the
// hole is exactly the capture area.
LoupeFrame loupeFrame(const CaptureSize& size, const CaptureScale& scale,
                      const FrameOffsets& frame);

// The preview's outer size in twips, with the window frame of the chosen style
// around a client area of workWidth x workHeight pixels.
QSize previewTwips(const CaptureSize& size, const FrameOffsets& frame);

// Where the preview's window (its frame's top left) goes: at the left edge of the
// available area, its top 100 twips plus the client height above the bottom of the
// full-screen client area (the available area less one caption bar).
QPoint previewTopLeft(const QRect& availableArea, int captionHeight, const CaptureSize& size);

// The loupe's window at the centre of the screen area.
QPoint loupeTopLeft(const QRect& screenArea, const LoupeFrame& frame);

// The desktop's device pixels under the hole, for a loupe whose window's top-left
// is at the device pixel loupeDeviceTopLeft on a screen scaled by `ratio`. Each edge
// of the hole is mapped on its own, as the window system maps the edges of the mask
// that cuts the hole, so the area holds the whole hole and none of the strips.
QRect deviceSourceRect(const QPoint& loupeDeviceTopLeft, const LoupeFrame& frame, double ratio);

}  // namespace loupegeometry

// Where the client picture sits in the snapshot of the preview window, in twips:
// after the left frame and below the caption bar of the chosen window style.
struct CropRect
{
    int cropWidth = 0;
    int cropHeight = 0;
    int cropTop = 0;
    int cropLeft = 0;

    static CropRect forCapture(const CaptureSize& size, const FrameOffsets& frame);

    // The same rectangle in snapshot pixels (15 twips each, truncating).
    QRect pixels() const;
};
