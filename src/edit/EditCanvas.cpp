#include "edit/EditCanvas.h"

#include "common/Numbers.h"

#include "edit/EditImages.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {

constexpr int kBorder = 2;

}  // namespace

EditCanvas::EditCanvas(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("EditCanvas"));
    setAccessibleName(QStringLiteral("画像"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kBorder);
    setMouseTracking(true);
    fitToImage();
}

void EditCanvas::setImages(EditImages* images)
{
    m_images = images;
    update();
}

void EditCanvas::fitToImage()
{
    setFixedSize(sizeHint());
}

void EditCanvas::setPickPointer(bool on)
{
    if (on) {
        setCursor(Qt::CrossCursor);
    } else {
        unsetCursor();
    }
}

QSize EditCanvas::sizeHint() const
{
    const QSize image = m_images ? m_images->canvas().size() : QSize(0, 0);
    return image + QSize(2 * kBorder, 2 * kBorder);
}

void EditCanvas::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!m_images || m_images->canvas().isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), m_images->canvas());
}

void EditCanvas::mousePressEvent(QMouseEvent* event)
{
    emit pressed(event->button(), toImage(event->position()));
}

void EditCanvas::mouseMoveEvent(QMouseEvent* event)
{
    emit moved(event->buttons(), toImage(event->position()));
}

// The image pixel under the point: the one whose square contains it, so a
// fractional position (scaled displays) is floored, not rounded.
QPoint EditCanvas::toImage(QPointF widgetPos) const
{
    const QPoint origin = contentsRect().topLeft();
    return QPoint(numbers::floorToInt(widgetPos.x()) - origin.x(),
                  numbers::floorToInt(widgetPos.y()) - origin.y());
}
