#pragma once

#include "common/CaptureSize.h"
#include "common/FrameOffsets.h"

#include <QImage>

// The crop: the phone-size picture out of the snapshot of the preview window.
namespace mdlCut {

// The client picture of the snapshot, at the offsets of the window style
// (CropRect); parts outside the snapshot come out black.
QImage PlaceCroppedImage(const QImage& snapshot, const CaptureSize& size,
                         const FrameOffsets& frame);

// A doubled capture at the phone's real size: each 2 x 2 block becomes its average.
QImage HalveCanvas(const QImage& picture);

// The whole crop: cut out, then halved when the working size was doubled.
QImage cutPicture(const QImage& snapshot, const CaptureSize& size, const FrameOffsets& frame);

}  // namespace mdlCut
