#pragma once

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <cstdlib>
#include <cstring>

namespace testsupport {

inline xcb_connection_t* xcbConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

inline xcb_window_t rootWindow()
{
    xcb_connection_t* connection = xcbConnection();
    return connection ? xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root : 0;
}

// The device pixels that the X server holds for `area` of `drawable` (a window, or
// the root for the whole screen as it is shown), read after everything this process
// sent before. Null where they cannot be read or are not 32 bits a pixel.
inline QImage serverPixels(xcb_window_t drawable, const QRect& area)
{
    xcb_connection_t* connection = xcbConnection();
    if (connection == nullptr || area.isEmpty()) {
        return {};
    }
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable,
                      static_cast<int16_t>(area.x()), static_cast<int16_t>(area.y()),
                      static_cast<uint16_t>(area.width()), static_cast<uint16_t>(area.height()),
                      ~0u),
        nullptr);
    if (reply == nullptr) {
        return {};
    }
    QImage pixels;
    const auto rowBytes = static_cast<size_t>(area.width()) * 4;
    if (static_cast<size_t>(xcb_get_image_data_length(reply)) ==
        rowBytes * static_cast<size_t>(area.height())) {
        pixels = QImage(area.size(), QImage::Format_RGB32);
        const uint8_t* data = xcb_get_image_data(reply);
        for (int y = 0; y < area.height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(pixels.scanLine(y));
            std::memcpy(line, data + static_cast<size_t>(y) * rowBytes, rowBytes);
            for (int x = 0; x < area.width(); ++x) {
                line[x] |= 0xFF000000u;
            }
        }
    }
    std::free(reply);
    return pixels;
}

}  // namespace testsupport

using testsupport::rootWindow;
using testsupport::serverPixels;
