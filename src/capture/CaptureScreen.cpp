#include "capture/CaptureScreen.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace capturescreen {

QScreen* screen()
{
    if (const QWidget* active = QApplication::activeWindow(); active && active->screen()) {
        return active->screen();
    }
    return QGuiApplication::primaryScreen();
}

QRect availableArea(const QScreen* screen)
{
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace capturescreen
