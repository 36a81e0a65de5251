#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// After a fit to the size limit: whether the reduced-colour PNG within the limit shows
// the picture better than the fitted JPEG, by luma SSIM against the picture, and the
// short line that tells the user so. The choice stays with the user.
namespace formatadvice {

// The line shown beside the JPEG size when the PNG looks better.
inline const QString kLine = QStringLiteral("減色PNGの方がきれいです");

// Whether the carrier at `carrier` (its position in the carrier list) reads PNG
// stand-by images: all but the first, DoCoMo.
bool carrierTakesPng(int carrier);

// The SSIM of each file against the picture; 0 for a file that does not decode.
struct Comparison
{
    double jpeg = 0;
    double png = 0;
};
Comparison compare(const QImage& picture, const QByteArray& jpeg, const QByteArray& png);

// kLine when the carrier takes PNG, the PNG is within `limitBytes` and it looks
// clearly better than the JPEG; otherwise empty.
QString adviceLine(const QImage& picture, const QByteArray& jpeg, const QByteArray& png,
                   qint64 limitBytes, bool takesPng);

}  // namespace formatadvice
