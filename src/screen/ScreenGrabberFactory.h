#pragma once

#include <QString>
#include <QStringView>
#include <memory>

class ScreenGrabber;

// The one place that chooses how the screen is taken.
namespace screengrabbers {

enum class Kind { Qt, Portal };

// The portal on a Wayland desktop: under Qt's wayland platform, and under X11 when
// the X server is Xwayland (WAYLAND_DISPLAY set), whose own grab shows black.
Kind kindFor(QStringView platformName, bool waylandDisplaySet);

// The grabber for the running application; `tokenFolder`: the settings file's folder.
std::unique_ptr<ScreenGrabber> create(const QString& tokenFolder);

}  // namespace screengrabbers

// The fastest grabber of an X display, chosen once: shared memory on an X server that
// has it, Qt's grab everywhere else.
std::unique_ptr<ScreenGrabber> makeScreenGrabber();
