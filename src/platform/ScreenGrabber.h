#pragma once

#include <QImage>
#include <QRect>

// Takes the pixels that the desktop shows in a rectangle.
class ScreenGrabber
{
public:
    virtual ~ScreenGrabber() = default;

    // `area` is in logical virtual-desktop coordinates; the picture holds the device
    // pixels of the screen under the area's centre (so on a HiDPI screen it is
    // larger than the area). A null picture when nothing could be taken.
    virtual QImage grab(const QRect& area) = 0;
};

// Grabs through the screen under the area (QScreen::grabWindow of the desktop).
class QtScreenGrabber final : public ScreenGrabber
{
public:
    QImage grab(const QRect& area) override;
};
