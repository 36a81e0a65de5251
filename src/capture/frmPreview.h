#pragma once

#include "capture/CaptureWindow.h"
#include "common/CaptureSize.h"
#include "common/FrameOffsets.h"

#include <QImage>
#include <QRect>

class ScreenGrabber;

// The preview: a frameless window that draws its own frame and caption bar
// ("プレビュー") in the chosen window style, around a client area of the working
// size that shows the persistent picture, the desktop under the loupe at the phone's
// resolution. Dragging the caption moves it. No window manager gives it a button to
// close, minimise or maximise it, and a request to minimise it is undone.
class frmPreview : public CaptureWindow
{
    Q_OBJECT

public:
    frmPreview(const CaptureSize& size, const FrameOffsets& frame, QWidget* parent = nullptr);

    // The persistent picture (Format_RGB32, the working size); draw into it, then
    // showSurface().
    QImage& surface() { return m_surface; }
    const QImage& surface() const { return m_surface; }

    // Where the picture sits in the window.
    QRect clientRect() const { return m_client; }

    // Shows the picture at once, straight through the grabber where it can, else
    // through a repaint.
    void showSurface(ScreenGrabber& grabber);

protected:
    bool onCaption(const QPoint& pos) const override { return pos.y() < m_client.top(); }
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QImage m_frame;  // frame and caption bar, drawn once
    QRect m_client;
    QImage m_surface;
};
