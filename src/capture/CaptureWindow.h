#pragma once

#include "capture/CaptionDrag.h"

#include <QPoint>
#include <QWidget>

// A frameless window of the live capture: Enter takes the capture, dragging the
// caption bar moves the window, and the user cannot close it (only the end of the
// live capture takes it away).
class CaptureWindow : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

signals:
    void enterPressed();

protected:
    // Whether `pos` (in window coordinates) lies on the caption bar.
    virtual bool onCaption(const QPoint& pos) const = 0;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    CaptionDrag m_drag;
};
