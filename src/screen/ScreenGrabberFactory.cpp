#include "screen/ScreenGrabberFactory.h"

#include "screen/PortalScreenGrabber.h"
#include "screen/ScreenGrabber.h"

#include <QDBusConnection>
#include <QGuiApplication>

#ifdef SORAKADO_HAVE_XCB_SHM
#include "screen/X11ShmGrabber.h"
#endif

namespace screengrabbers {

Kind kindFor(QStringView platformName, bool waylandDisplaySet)
{
    if (platformName.startsWith(u"wayland")) {
        return Kind::Portal;
    }
    if (platformName == u"xcb" && waylandDisplaySet) {
        return Kind::Portal;
    }
    return Kind::Qt;
}

std::unique_ptr<ScreenGrabber> create(const QString& tokenFolder)
{
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (kindFor(QGuiApplication::platformName(), wayland) == Kind::Portal) {
        return std::make_unique<PortalScreenGrabber>(tokenFolder, QDBusConnection::sessionBus(),
                                                     PortalScreenGrabber::portalService());
    }
    return makeScreenGrabber();
}

}  // namespace screengrabbers

std::unique_ptr<ScreenGrabber> makeScreenGrabber()
{
#ifdef SORAKADO_HAVE_XCB_SHM
    if (std::unique_ptr<ScreenGrabber> shared = X11ShmGrabber::create()) {
        return shared;
    }
#endif
    return std::make_unique<QtScreenGrabber>();
}
