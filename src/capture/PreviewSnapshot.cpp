#include "capture/PreviewSnapshot.h"

#include "capture/LoupeGeometry.h"
#include "common/Twips.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace {

void drawClassicFrame(QPainter& painter, const QRect& outer, const QRect& caption)
{
    painter.fillRect(outer, QColor(0xD4, 0xD0, 0xC8));
    painter.setPen(QColor(0xFF, 0xFF, 0xFF));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(QColor(0x40, 0x40, 0x40));
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());
    QLinearGradient gradient(caption.topLeft(), caption.topRight());
    gradient.setColorAt(0, QColor(0x0A, 0x24, 0x6A));
    gradient.setColorAt(1, QColor(0xA6, 0xCA, 0xF0));
    painter.fillRect(caption, gradient);
}

void drawXpFrame(QPainter& painter, const QRect& outer, const QRect& caption)
{
    painter.fillRect(outer, QColor(0x00, 0x55, 0xE5));
    QLinearGradient gradient(caption.topLeft(), caption.bottomLeft());
    gradient.setColorAt(0, QColor(0x3C, 0x8C, 0xF8));
    gradient.setColorAt(0.5, QColor(0x00, 0x58, 0xEE));
    gradient.setColorAt(1, QColor(0x00, 0x4A, 0xD8));
    painter.fillRect(caption, gradient);
}

}  // namespace

QRect previewClientRect(const CaptureSize& size, const FrameOffsets& frame)
{
    return CropRect::forCapture(size, frame).pixels();
}

QImage composePreviewFrame(const CaptureSize& size, const FrameOffsets& frame, const QString& title)
{
    const QSize outerTwips = loupegeometry::previewTwips(size, frame);
    const QRect outer(0, 0, twips::toPixels(outerTwips.width()),
                      twips::toPixels(outerTwips.height()));
    const QRect clientRect = previewClientRect(size, frame);

    QImage snapshot(outer.size(), QImage::Format_RGB32);
    QPainter painter(&snapshot);
    const int border = clientRect.left();
    const QRect caption(border, border, outer.width() - 2 * border, clientRect.top() - 2 * border);
    if (frame.windowStyle == FrameOffsets::kClassic) {
        drawClassicFrame(painter, outer.adjusted(0, 0, -1, -1), caption);
    } else {
        drawXpFrame(painter, outer, caption);
    }
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(8, caption.height() * 3 / 5));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(caption.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, title);
    painter.fillRect(clientRect, Qt::black);
    return snapshot;
}

QImage composePreviewSnapshot(const QImage& client, const CaptureSize& size,
                              const FrameOffsets& frame, const QString& title)
{
    QImage snapshot = composePreviewFrame(size, frame, title);
    QPainter painter(&snapshot);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(previewClientRect(size, frame).topLeft(),
                      client.convertToFormat(QImage::Format_RGB32));
    return snapshot;
}
