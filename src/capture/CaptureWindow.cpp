#include "capture/CaptureWindow.h"

#include "capture/CaptureKeys.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

void CaptureWindow::mousePressEvent(QMouseEvent* event)
{
    m_drag.press(*this, *event, onCaption(event->position().toPoint()));
}

void CaptureWindow::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.move(*this, *event);
}

void CaptureWindow::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.release(*event);
}

void CaptureWindow::keyPressEvent(QKeyEvent* event)
{
    if (capturekeys::isEnter(event)) {
        event->accept();
        emit enterPressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CaptureWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
}
