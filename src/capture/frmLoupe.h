#pragma once

#include "capture/CaptureWindow.h"
#include "capture/LoupeGeometry.h"

#include <QPoint>

// The loupe: a frameless window that paints its own caption bar ("ルーペ") and
// frame strips, with the capture area cut out of its middle. Dragging the caption
// moves it; the user cannot close it.
class frmLoupe : public CaptureWindow
{
    Q_OBJECT

public:
    explicit frmLoupe(const LoupeFrame& frame, QWidget* parent = nullptr);

    const LoupeFrame& loupeFrame() const { return m_frame; }

signals:
    // The window has a new position on the desktop.
    void moved();

protected:
    bool onCaption(const QPoint& pos) const override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    LoupeFrame m_frame;
};
