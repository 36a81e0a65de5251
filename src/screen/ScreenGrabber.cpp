#include "screen/ScreenGrabber.h"

#include "common/DevicePixels.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <cmath>

namespace {

// A screen's area in device pixels: its top-left stays where it is, its size scales.
QRect deviceGeometry(const QScreen& screen)
{
    const QRect logical = screen.geometry();
    const double ratio = screen.devicePixelRatio();
    return {logical.topLeft(), QSize(devicepixels::toDevice(logical.width(), ratio),
                                     devicepixels::toDevice(logical.height(), ratio))};
}

QScreen* screenAtDevice(const QPoint& devicePoint)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        if (deviceGeometry(*screen).contains(devicePoint)) {
            return screen;
        }
    }
    return QGuiApplication::primaryScreen();
}

}  // namespace

QPoint ScreenGrabber::deviceTopLeft(const QWindow& window) const
{
    const QScreen* screen = window.screen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    return origin + devicepixels::toDevice(window.position() - origin, window.devicePixelRatio());
}

QImage ScreenGrabber::makeSurface(const QSize& size)
{
    QImage surface(size, QImage::Format_RGB32);
    surface.fill(Qt::black);
    return surface;
}

bool ScreenGrabber::present(const QWindow&, const QPoint&, const QImage&)
{
    return false;
}

bool ScreenGrabber::copyToWindow(const QRect&, const QWindow&, const QPoint&)
{
    return false;
}

bool QtScreenGrabber::grab(const QRect& deviceArea, QImage& into)
{
    QScreen* screen = screenAtDevice(deviceArea.center());
    if (!screen || deviceArea.isEmpty()) {
        return false;
    }
    // Qt's grab takes logical coordinates relative to the screen: take the logical
    // area that covers the device area, then cut the device area out of it.
    const QPoint origin = screen->geometry().topLeft();
    const double ratio = screen->devicePixelRatio();
    const QPoint local = deviceArea.topLeft() - origin;
    const QPoint logical(static_cast<int>(std::floor(local.x() / ratio)),
                         static_cast<int>(std::floor(local.y() / ratio)));
    const QPoint start = devicepixels::toDevice(logical, ratio);
    const QSize logicalSize(static_cast<int>(std::ceil(deviceArea.width() / ratio)) + 2,
                            static_cast<int>(std::ceil(deviceArea.height() / ratio)) + 2);
    QImage grabbed =
        screen->grabWindow(0, logical.x(), logical.y(), logicalSize.width(), logicalSize.height())
            .toImage();
    if (grabbed.isNull()) {
        return false;
    }
    if (grabbed.format() != QImage::Format_RGB32) {
        grabbed.convertTo(QImage::Format_RGB32);
    }
    grabbed.setDevicePixelRatio(1.0);
    into = grabbed.copy(QRect(local - start, deviceArea.size()));
    return true;
}
