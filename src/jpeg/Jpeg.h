#pragma once

// The JPEG codec, as the rest of the program uses it:
// - an encode at a setting: jpegwriter::encode, or PictureEncoder::encode, which keeps
//   the picture's transform for the next setting;
// - an encode within a size limit, which writes no file sure to be too large:
//   PictureEncoder::encodeWithin;
// - the estimate, a tenth of an encode's work: PictureEncoder::estimate;
// - the fit of the setting to a size limit: JpegFit;
// - how alike two pictures look: ssim::luma.
// Its stages are the files beside this one: the colour transform and DCT (JpegBlocks),
// the quantisation by rate and distortion (JpegQuantiser, Trellis, DcTrellis,
// Deringing), the code lengths (HuffmanLengths), the file (JpegFile, JpegSegments).
#include "jpeg/JpegFit.h"
#include "jpeg/JpegWriter.h"
#include "jpeg/Ssim.h"
