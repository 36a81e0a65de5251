#pragma once

#include "capture/LoupeGeometry.h"

#include <QPoint>
#include <QWidget>

// The loupe: a frameless window that paints its own caption bar ("ルーペ") and
// frame strips, with the capture area cut out of its middle. Dragging the caption
// moves it; the user cannot close it.
class frmLoupe : public QWidget
{
    Q_OBJECT

public:
    // Shaped: the hole is cut out of the window (X11). Marked: the window is
    // translucent with a clear hole, takes input only on its strips and carries the
    // marker by which it is found in a video of the screen (Wayland).
    enum class Kind { Shaped, Marked };

    explicit frmLoupe(const LoupeFrame& frame, QWidget* parent = nullptr, Kind kind = Kind::Shaped);

    Kind kind() const { return m_kind; }

    const LoupeFrame& loupeFrame() const { return m_frame; }

    // The desktop area under the hole, in logical virtual-desktop coordinates.
    QRect sourceRect() const;

signals:
    void enterPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool onCaption(const QPoint& pos) const;

    LoupeFrame m_frame;
    Kind m_kind;
    bool m_dragging = false;
    QPoint m_dragOffset;  // cursor position within the window while dragging
};
