#include "saving/FormatAdvice.h"

#include "jpeg/Jpeg.h"
#include "saving/mdlSavedll.h"

namespace formatadvice {
namespace {

// How much better the PNG must look: less is within what the eye cannot tell apart,
// and would make the line come and go between nearly equal files.
constexpr double kMargin = 0.005;

}  // namespace

bool carrierTakesPng(int carrier)
{
    return carrier > 0;
}

Comparison compare(const QImage& picture, const QByteArray& jpeg, const QByteArray& png)
{
    const QImage jpegPicture = QImage::fromData(jpeg, "JPEG");
    const QImage pngPicture = mdlSavedll::decodePng(png);
    return {ssim::luma(picture, jpegPicture), ssim::luma(picture, pngPicture)};
}

QString adviceLine(const QImage& picture, const QByteArray& jpeg, const QByteArray& png,
                   qint64 limitBytes, bool takesPng)
{
    if (!takesPng || png.isEmpty() || png.size() > limitBytes) {
        return {};
    }
    const Comparison comparison = compare(picture, jpeg, png);
    return comparison.png > comparison.jpeg + kMargin ? kLine : QString();
}

}  // namespace formatadvice
