#pragma once

#include "capture/CaptureWindow.h"
#include "capture/LoupeGeometry.h"

#include <QPoint>
#include <QRegion>

// The loupe: a frameless window that paints its own caption bar ("ルーペ") and
// frame strips, with the capture area cut out of its middle. Dragging the caption
// moves it; the user cannot close it.
class frmLoupe : public CaptureWindow
{
    Q_OBJECT

public:
    // Shaped: the hole is cut out of the window (X11). Marked: the window is
    // translucent with a clear hole, takes input only on its strips and carries the
    // marker by which it is found in a video of the screen (Wayland).
    enum class Kind { Shaped, Marked };

    explicit frmLoupe(const LoupeFrame& frame, QWidget* parent = nullptr, Kind kind = Kind::Shaped);

    const LoupeFrame& loupeFrame() const { return m_frame; }

signals:
    // The window has a new position on the desktop.
    void moved();

protected:
    bool onCaption(const QPoint& pos) const override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The window's own area: the frame around the hole.
    QRegion frameStrips() const;

    LoupeFrame m_frame;
    Kind m_kind;
};
