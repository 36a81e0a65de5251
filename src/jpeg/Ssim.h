#pragma once

#include <QImage>

// The structural similarity of two pictures' luma (0.299 R + 0.587 G + 0.114 B):
// the mean over every 8 × 8 window of the usual SSIM with constants for 8-bit samples.
// 1 for equal pictures; 0 for pictures of different sizes or null ones.
namespace ssim {

double luma(const QImage& a, const QImage& b);

}  // namespace ssim
