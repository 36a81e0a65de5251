#pragma once

#include "capture/CaptionDrag.h"
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
    explicit frmLoupe(const LoupeFrame& frame, QWidget* parent = nullptr);

    const LoupeFrame& loupeFrame() const { return m_frame; }

signals:
    void enterPressed();
    // The window has a new position on the desktop.
    void moved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool onCaption(const QPoint& pos) const;

    LoupeFrame m_frame;
    CaptionDrag m_drag;
};
