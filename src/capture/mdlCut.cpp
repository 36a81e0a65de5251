#include "capture/mdlCut.h"

#include "capture/LoupeGeometry.h"
#include "common/Numbers.h"

#include <QPainter>

namespace mdlCut {

QImage PlaceCroppedImage(const QImage& snapshot, const CaptureSize& size, const FrameOffsets& frame)
{
    const QRect crop = CropRect::forCapture(size, frame).pixels();
    QImage picture(crop.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(0, 0), snapshot, crop);
    return picture;
}

QImage HalveCanvas(const QImage& picture)
{
    const QImage source = picture.convertToFormat(QImage::Format_RGB32);
    QImage half(source.width() / 2, source.height() / 2, QImage::Format_RGB32);
    for (int y = 0; y < half.height(); ++y) {
        const auto* top = reinterpret_cast<const QRgb*>(source.constScanLine(2 * y));
        const auto* bottom = reinterpret_cast<const QRgb*>(source.constScanLine(2 * y + 1));
        auto* out = reinterpret_cast<QRgb*>(half.scanLine(y));
        for (int x = 0; x < half.width(); ++x) {
            const QRgb block[4] = {top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]};
            auto average = [&block](int (*channel)(QRgb)) {
                const int sum =
                    channel(block[0]) + channel(block[1]) + channel(block[2]) + channel(block[3]);
                return static_cast<int>(numbers::roundHalfEven(sum / 4.0));
            };
            out[x] = qRgb(average(qRed), average(qGreen), average(qBlue));
        }
    }
    return half;
}

QImage cutPicture(const QImage& snapshot, const CaptureSize& size, const FrameOffsets& frame)
{
    const QImage cropped = PlaceCroppedImage(snapshot, size, frame);
    return size.doubled ? HalveCanvas(cropped) : cropped;
}

}  // namespace mdlCut
