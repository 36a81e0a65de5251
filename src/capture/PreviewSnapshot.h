#pragma once

#include "common/CaptureSize.h"
#include "common/FrameOffsets.h"

#include <QImage>
#include <QString>

// A picture of the whole preview window as the chosen desktop window style draws
// it: frame and caption bar around the client picture, which sits exactly where
// CropRect says, so the crop cuts out exactly the client picture.
QImage composePreviewSnapshot(const QImage& client, const CaptureSize& size,
                              const FrameOffsets& frame, const QString& title);
