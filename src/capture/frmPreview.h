#pragma once

#include "capture/CaptureWindow.h"
#include "common/CaptureSize.h"
#include "common/FrameOffsets.h"

#include <QImage>
#include <QRect>
#include <QString>

class QPainter;
class ScreenGrabber;

// The preview: a frameless window that draws its own frame and caption bar
// ("プレビュー") in the chosen window style, around a client area of the working
// size that shows the persistent picture, the desktop under the loupe at the phone's
// resolution. Dragging the caption moves it. No window manager gives it a button to
// close, minimise or maximise it, and a request to minimise it is undone.
// On a screen too small for it the client area shows the picture smoothly scaled
// down to a percentage that the caption states; the picture itself stays at the
// working size.
class frmPreview : public CaptureWindow
{
    Q_OBJECT

public:
    // `percent`: the scale at which the picture is shown, 100 for one to one.
    frmPreview(const CaptureSize& size, const FrameOffsets& frame, int percent = 100,
               QWidget* parent = nullptr);

    // The persistent picture (Format_RGB32, the working size); draw into it, then
    // showSurface().
    QImage& surface() { return m_surface; }
    const QImage& surface() const { return m_surface; }

    // Where the picture is shown in the window (scaled to percent()).
    QRect clientRect() const { return m_client; }
    int percent() const { return m_percent; }
    bool isScaled() const { return m_percent < 100; }

    // Shows the picture at once, straight through the grabber where it can, else
    // through a repaint.
    void showSurface(ScreenGrabber& grabber);

    // A line for the user that the client area shows instead of the picture (the
    // picture is kept); empty: the picture again.
    void setNotice(const QString& text);
    const QString& notice() const { return m_notice; }

    // Paints the preview's marker into the caption bar, so that the window can be
    // found in a video of the screen.
    void markCaption();

protected:
    bool onCaption(const QPoint& pos) const override { return pos.y() < m_client.top(); }
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // What the client area shows: the picture itself, or scaled into m_shown (null
    // where the grabber has no picture it can show).
    const QImage& shownPicture(ScreenGrabber& grabber);
    void drawPicture(QPainter& painter, const QRect& target) const;

    int m_percent;
    QImage m_frame;  // frame and caption bar, drawn once
    QRect m_client;
    QImage m_surface;
    QImage m_shown;  // the picture as shown scaled down, for the grabber to show
    QString m_notice;
};
