#include "screen/X11ShmGrabber.h"

#include "screen/X11ShmSegment.h"

#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QRegion>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void releaseSurface(void* info)
{
    auto* segment = static_cast<ShmSegment*>(info);
    if (segment->owner != nullptr) {
        segment->owner->release(segment->address());
    } else {
        std::unique_ptr<ShmSegment> orphaned(segment);
    }
}

xcb_connection_t* applicationConnection()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

}  // namespace

std::unique_ptr<X11ShmGrabber> X11ShmGrabber::create()
{
    xcb_connection_t* connection = applicationConnection();
    if (connection == nullptr) {
        return nullptr;
    }
    xcb_shm_query_version_reply_t* version =
        xcb_shm_query_version_reply(connection, xcb_shm_query_version(connection), nullptr);
    if (version == nullptr) {
        return nullptr;
    }
    std::free(version);
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    if (screen == nullptr || (screen->root_depth != 24 && screen->root_depth != 32)) {
        return nullptr;
    }
    // The pictures are 32 bits a pixel, blue first: the server's pixels must be too.
    bool thirtyTwoBits = false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem > 0;
         xcb_format_next(&formats)) {
        if (formats.data->depth == screen->root_depth) {
            thirtyTwoBits = formats.data->bits_per_pixel == 32;
        }
    }
    if (!thirtyTwoBits || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) {
        return nullptr;
    }
    const Root root{screen->root, screen->root_depth, screen->black_pixel,
                    QSize(screen->width_in_pixels, screen->height_in_pixels)};
    std::unique_ptr<X11ShmGrabber> grabber(new X11ShmGrabber(connection, root));
    // A remote server answers the version but cannot attach this process's memory.
    if (grabber->makeSurface(QSize(1, 1)).isNull()) {
        return nullptr;
    }
    return grabber;
}

X11ShmGrabber::X11ShmGrabber(xcb_connection_t* connection, const Root& root)
    : m_connection(connection), m_root(root)
{
}

X11ShmGrabber::~X11ShmGrabber()
{
    m_edge = QImage();
    if (m_copyInFlight) {
        xcb_discard_reply(m_connection, m_copySequence);
    }
    // Pictures still in use keep their memory; the server lets go of it with the
    // connection.
    for (ShmSegment* segment : std::as_const(m_segments)) {
        segment->owner = nullptr;
        segment->orphan();
    }
    if (m_gc != 0) {
        xcb_free_gc(m_connection, m_gc);
        xcb_flush(m_connection);
    }
}

QImage X11ShmGrabber::makeSurface(const QSize& size)
{
    if (size.isEmpty()) {
        return {};
    }
    const size_t bytes = static_cast<size_t>(size.width()) * static_cast<size_t>(size.height()) * 4;
    std::unique_ptr<ShmSegment> segment = ShmSegment::create(m_connection, bytes);
    if (!segment) {
        return {};
    }
    segment->owner = this;
    std::memset(segment->address(), 0, bytes);
    ShmSegment* kept = segment.release();
    m_segments.insert(kept->address(), kept);
    return QImage(kept->address(), size.width(), size.height(), size.width() * 4,
                  QImage::Format_RGB32, &releaseSurface, kept);
}

void X11ShmGrabber::release(const uchar* address)
{
    std::unique_ptr<ShmSegment> gone(m_segments.take(address));
}

ShmSegment* X11ShmGrabber::segmentOf(const QImage& picture) const
{
    ShmSegment* segment = m_segments.value(picture.constBits(), nullptr);
    const size_t bytes = static_cast<size_t>(picture.sizeInBytes());
    if (segment == nullptr || picture.format() != QImage::Format_RGB32 ||
        picture.bytesPerLine() != picture.width() * 4 || segment->bytes() < bytes) {
        return nullptr;
    }
    return segment;
}

bool X11ShmGrabber::refreshRootSize()
{
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(
        m_connection, xcb_get_geometry(m_connection, m_root.window), nullptr);
    if (geometry == nullptr) {
        return false;
    }
    m_root.size = QSize(geometry->width, geometry->height);
    std::free(geometry);
    return true;
}

QRect X11ShmGrabber::onRoot(const QRect& deviceArea)
{
    if (deviceArea.isEmpty()) {
        return {};
    }
    if (!QRect(QPoint(), m_root.size).contains(deviceArea)) {
        refreshRootSize();  // the screen may have grown since
    }
    return deviceArea & QRect(QPoint(), m_root.size);
}

bool X11ShmGrabber::getImage(const QRect& onRootArea, const ShmSegment& into)
{
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        m_connection,
        xcb_shm_get_image(m_connection, m_root.window, static_cast<int16_t>(onRootArea.x()),
                          static_cast<int16_t>(onRootArea.y()),
                          static_cast<uint16_t>(onRootArea.width()),
                          static_cast<uint16_t>(onRootArea.height()), ~0u,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, into.seg(), 0),
        nullptr);
    if (reply == nullptr) {
        refreshRootSize();
        return false;
    }
    std::free(reply);
    return true;
}

bool X11ShmGrabber::grab(const QRect& deviceArea, QImage& into)
{
    const QRect onScreen = onRoot(deviceArea);
    if (onScreen.isEmpty()) {
        return false;
    }
    if (onScreen != deviceArea) {
        return grabPartly(deviceArea, onScreen, into);
    }
    // The server writes straight into the picture.
    QImage target = into.size() == deviceArea.size() && segmentOf(into) != nullptr
                        ? into
                        : makeSurface(deviceArea.size());
    const ShmSegment* segment = segmentOf(target);
    if (segment == nullptr || !getImage(onScreen, *segment)) {
        return false;
    }
    if (target.constBits() != into.constBits()) {
        into = target;
    }
    return true;
}

bool X11ShmGrabber::grabPartly(const QRect& deviceArea, const QRect& onScreen, QImage& into)
{
    // The visible part goes into a segment kept for the purpose (the whole area fits
    // in it), then onto black in the picture.
    const qsizetype bytes = qsizetype{4} * deviceArea.width() * deviceArea.height();
    if (m_edge.sizeInBytes() < bytes) {
        m_edge = QImage();
        m_edge = makeSurface(deviceArea.size());
    }
    const ShmSegment* segment = segmentOf(m_edge);
    if (segment == nullptr || !getImage(onScreen, *segment)) {
        return false;
    }
    if (into.size() != deviceArea.size() || into.format() != QImage::Format_RGB32) {
        into = makeSurface(deviceArea.size());
        if (into.isNull()) {
            return false;
        }
    }
    into.fill(Qt::black);
    const QPoint offset = onScreen.topLeft() - deviceArea.topLeft();
    const auto rowBytes = static_cast<size_t>(onScreen.width()) * 4;
    for (int y = 0; y < onScreen.height(); ++y) {
        std::memcpy(into.scanLine(y + offset.y()) + offset.x() * 4,
                    m_edge.constBits() + static_cast<size_t>(y) * rowBytes, rowBytes);
    }
    return true;
}

QPoint X11ShmGrabber::deviceTopLeft(const QWindow& window) const
{
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        m_connection,
        xcb_translate_coordinates(m_connection, static_cast<xcb_window_t>(window.winId()),
                                  m_root.window, 0, 0),
        nullptr);
    if (reply == nullptr) {
        return ScreenGrabber::deviceTopLeft(window);
    }
    const QPoint topLeft(reply->dst_x, reply->dst_y);
    std::free(reply);
    return topLeft;
}

uint32_t X11ShmGrabber::contextFor(uint32_t window, uint8_t& depth)
{
    if (window != m_gcWindow || m_gc == 0) {
        xcb_get_geometry_reply_t* geometry =
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
        if (geometry == nullptr) {
            return 0;
        }
        m_gcDepth = geometry->depth;
        std::free(geometry);
        if (m_gc != 0) {
            xcb_free_gc(m_connection, m_gc);
        }
        m_gc = xcb_generate_id(m_connection);
        // Black for what lies off the screen; a copy from the root takes what the screen
        // shows, windows included, and asks for no exposure events.
        const uint32_t values[] = {m_root.blackPixel, XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS, 0};
        xcb_create_gc(m_connection, m_gc, window,
                      XCB_GC_FOREGROUND | XCB_GC_SUBWINDOW_MODE | XCB_GC_GRAPHICS_EXPOSURES,
                      values);
        m_gcWindow = window;
    }
    depth = m_gcDepth;
    return m_gc;
}

bool X11ShmGrabber::present(const QWindow& window, const QPoint& at, const QImage& picture)
{
    const ShmSegment* segment = segmentOf(picture);
    if (segment == nullptr || !window.isExposed() || window.devicePixelRatio() != 1.0) {
        return false;
    }
    uint8_t depth = 0;
    const uint32_t gc = contextFor(static_cast<uint32_t>(window.winId()), depth);
    if (gc == 0 || (depth != 24 && depth != 32)) {
        return false;
    }
    const auto width = static_cast<uint16_t>(picture.width());
    const auto height = static_cast<uint16_t>(picture.height());
    xcb_shm_put_image(m_connection, static_cast<xcb_window_t>(window.winId()), gc, width, height, 0,
                      0, width, height, static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y()),
                      depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, segment->seg(), 0);
    xcb_flush(m_connection);
    return true;
}

void X11ShmGrabber::finishCopy()
{
    if (m_copyInFlight) {
        m_copyInFlight = false;
        std::free(xcb_get_input_focus_reply(m_connection,
                                            xcb_get_input_focus_cookie_t{m_copySequence}, nullptr));
    }
}

bool X11ShmGrabber::copyToWindow(const QRect& deviceArea, const QWindow& window, const QPoint& at)
{
    if (!window.isExposed() || window.devicePixelRatio() != 1.0) {
        return false;
    }
    const QRect onScreen = onRoot(deviceArea);
    if (onScreen.isEmpty()) {
        return false;
    }
    const auto target = static_cast<xcb_window_t>(window.winId());
    uint8_t depth = 0;
    const uint32_t gc = contextFor(target, depth);
    if (gc == 0 || depth != m_root.depth) {
        return false;
    }
    finishCopy();
    const QPoint shift = at - deviceArea.topLeft();
    const QRegion offScreen = QRegion(deviceArea) - QRegion(onScreen);
    if (!offScreen.isEmpty()) {
        std::vector<xcb_rectangle_t> black;
        for (const QRect& part : offScreen) {
            const QRect placed = part.translated(shift);
            black.push_back({static_cast<int16_t>(placed.x()), static_cast<int16_t>(placed.y()),
                             static_cast<uint16_t>(placed.width()),
                             static_cast<uint16_t>(placed.height())});
        }
        xcb_poly_fill_rectangle(m_connection, target, gc, static_cast<uint32_t>(black.size()),
                                black.data());
    }
    const QPoint placed = onScreen.topLeft() + shift;
    xcb_copy_area(m_connection, m_root.window, target, gc, static_cast<int16_t>(onScreen.x()),
                  static_cast<int16_t>(onScreen.y()), static_cast<int16_t>(placed.x()),
                  static_cast<int16_t>(placed.y()), static_cast<uint16_t>(onScreen.width()),
                  static_cast<uint16_t>(onScreen.height()));
    // Its reply tells that the server has done the copy.
    m_copySequence = xcb_get_input_focus(m_connection).sequence;
    m_copyInFlight = true;
    xcb_flush(m_connection);
    return true;
}
