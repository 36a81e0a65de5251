#pragma once

#include "common/CaptureSize.h"
#include "common/FrameOffsets.h"

#include <QImage>
#include <QRect>
#include <QString>

// The whole preview window as the chosen desktop window style draws it: frame and
// caption bar around a black client area, which sits exactly where CropRect says.
QImage composePreviewFrame(const CaptureSize& size, const FrameOffsets& frame,
                           const QString& title);

// Where the client picture sits in the preview window, in window pixels.
QRect previewClientRect(const CaptureSize& size, const FrameOffsets& frame);

// A picture of the whole preview window with the client picture in its place, so
// the crop cuts out exactly the client picture.
QImage composePreviewSnapshot(const QImage& client, const CaptureSize& size,
                              const FrameOffsets& frame, const QString& title);
