#pragma once

#include "capture/CaptureScale.h"
#include "common/CaptureSize.h"
#include "common/FrameOffsets.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

// How the live capture's windows fit the screen they open on: where they go so that
// the user can always reach their caption bars, how far the preview's picture is
// shown scaled down, and what the scale dialog tells the user when the loupe cannot
// fit at all.
namespace screenfit {

// The top-left nearest to `wanted` at which the top `keep` rows of a window of
// `size` (its caption bar; the whole window when keep is its height) lie inside
// `area`, across the window's whole width. A window wider than the area keeps its
// left edge at the area's left edge.
QPoint keepInside(const QPoint& wanted, const QSize& size, int keep, const QRect& area);

// The preview window's outer size in pixels for a client area of the given size.
QSize previewOuter(const CaptureSize& shown, const FrameOffsets& frame);

// The largest whole percentage, 100 at most and 1 at least, at which the preview
// window with its client area scaled to it fits into `available`.
int previewPercent(const CaptureSize& size, const FrameOffsets& frame, const QSize& available);

// The client area shown at `percent` of the working size (each side rounded, at
// least one pixel); the working size itself at 100.
CaptureSize shownSize(const CaptureSize& size, int percent);

// The caption of the preview: the title, followed by the percentage when scaled.
QString previewCaption(const QString& title, int percent);

// Whether the whole loupe fits into `available`.
bool loupeFits(const CaptureSize& size, const CaptureScale& scale, const FrameOffsets& frame,
               const QSize& available);

// The factors nearest to 1 at which a loupe that does not fit would fit: the
// smallest enlarge value, and the largest shrink value (hundredths), that the scale
// dialog accepts and at which the whole loupe fits into `available`.
std::optional<int> smallestFittingEnlarge(const CaptureSize& size, const FrameOffsets& frame,
                                          const QSize& available);
std::optional<int> largestFittingShrink(const CaptureSize& size, const FrameOffsets& frame,
                                        const QSize& available);

// What the scale dialog says when the loupe for `scale` does not fit into
// `available`, naming a factor that does; empty when it fits.
QString loupeTooLargeMessage(const CaptureSize& size, const CaptureScale& scale,
                             const FrameOffsets& frame, const QSize& available);

}  // namespace screenfit
