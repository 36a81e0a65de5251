#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

class QWindow;

// Takes the pixels that the desktop shows in a rectangle, and shows pictures in a
// window without waiting for it to repaint where the platform allows it. All
// rectangles and points are in device pixels of the virtual desktop.
class ScreenGrabber
{
public:
    virtual ~ScreenGrabber() = default;

    // Fills `into` with the device pixels of `deviceArea` (Format_RGB32, the area's
    // size). `into` is filled in place when it came from makeSurface() with that size;
    // otherwise it is replaced. False, `into` untouched, when nothing could be taken.
    virtual bool grab(const QRect& deviceArea, QImage& into) = 0;

    // The device pixel of the virtual desktop under the window's top-left corner.
    virtual QPoint deviceTopLeft(const QWindow& window) const;

    // A picture of `size` (Format_RGB32) that grab() can fill and present() can show
    // without copying. It may share memory with the window system; it is released
    // with its last copy.
    virtual QImage makeSurface(const QSize& size);

    // Shows `picture` (from makeSurface) in the window with its top-left at the window's
    // device pixel `at`, at once. False when the window is to be repainted instead.
    virtual bool present(const QWindow& window, const QPoint& at, const QImage& picture);

    // Copies the device pixels of `deviceArea` one to one into the window, with their
    // top-left at the window's device pixel `at`, inside the window system: no pixel
    // passes through this process. Parts of the area off the screens show black. False,
    // nothing done, where it cannot: the area is to be grabbed and presented instead.
    virtual bool copyToWindow(const QRect& deviceArea, const QWindow& window, const QPoint& at);
};

// Grabs through the screen under the area (QScreen::grabWindow of the desktop).
class QtScreenGrabber final : public ScreenGrabber
{
public:
    bool grab(const QRect& deviceArea, QImage& into) override;
};
