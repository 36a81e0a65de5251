#include "platform/ScreenGrabber.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

QImage QtScreenGrabber::grab(const QRect& area)
{
    QScreen* screen = QGuiApplication::screenAt(area.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen || area.isEmpty()) {
        return {};
    }
    // The desktop window's coordinates are those of the screen's own origin.
    const QPoint local = area.topLeft() - screen->geometry().topLeft();
    return screen->grabWindow(0, local.x(), local.y(), area.width(), area.height()).toImage();
}
