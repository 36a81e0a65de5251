#include "capture/CaptionDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

void CaptionDrag::press(QWidget& window, const QMouseEvent& event, bool onCaption)
{
    if (event.button() != Qt::LeftButton || !onCaption) {
        return;
    }
    window.activateWindow();
    if (window.windowHandle() && window.windowHandle()->startSystemMove()) {
        return;
    }
    m_dragging = true;
    m_offset = event.position().toPoint();
}

void CaptionDrag::move(QWidget& window, const QMouseEvent& event) const
{
    if (m_dragging) {
        window.move(event.globalPosition().toPoint() - m_offset);
    }
}

void CaptionDrag::release(const QMouseEvent& event)
{
    if (event.button() == Qt::LeftButton) {
        m_dragging = false;
    }
}
