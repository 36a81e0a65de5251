#include "history/HistorySlot.h"

#include "history/HistoryGeometry.h"

#include <QMouseEvent>
#include <QPainter>

SlotThumbnail::SlotThumbnail(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void SlotThumbnail::setPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void SlotThumbnail::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_picture);
}

void SlotThumbnail::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void SlotThumbnail::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click) {
        emit clicked();
    }
}

void SlotThumbnail::mouseMoveEvent(QMouseEvent*)
{
    emit pointerMoved();
}

HistorySlot::HistorySlot(int number, const QCursor& pointer, QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("pic%1").arg(number));
    // A plain square a shade darker than the window: empty places stay visible and
    // a thumbnail narrower than its frame sits between two bars.
    setFrameStyle(QFrame::NoFrame);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Window).darker(112));
    setPalette(colours);
    setGeometry(historygeometry::frameRect(number - 1));
    // The frame's margin is no place to snap the window from.
    setAttribute(Qt::WA_NoMousePropagation);
    m_thumbnail = new SlotThumbnail(this);
    m_thumbnail->setObjectName(QStringLiteral("img%1").arg(number));
    m_thumbnail->setCursor(pointer);
    clear();
    connect(m_thumbnail, &SlotThumbnail::clicked, this, &HistorySlot::clicked);
    connect(m_thumbnail, &SlotThumbnail::pointerMoved, this, &HistorySlot::pointerMoved);
}

void HistorySlot::showFile(const QImage& picture, const QRect& box, const QString& path)
{
    m_thumbnail->setPicture(picture);
    m_thumbnail->setGeometry(box);
    m_thumbnail->setToolTip(path);
}

void HistorySlot::clear()
{
    showFile(QImage(), historygeometry::thumbnailBox(QSize()), QString());
}
