#include "platform/X11ShmGrabber.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>

// One shared-memory segment attached to the X server, holding one picture.
class ShmSegment
{
public:
    static std::unique_ptr<ShmSegment> create(xcb_connection_t* connection, size_t bytes)
    {
        const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
        if (id < 0) {
            return nullptr;
        }
        void* address = shmat(id, nullptr, 0);
        if (address == reinterpret_cast<void*>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            return nullptr;
        }
        const xcb_shm_seg_t seg = xcb_generate_id(connection);
        xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_shm_attach_checked(connection, seg, static_cast<uint32_t>(id), 0));
        // Marked for removal now: it goes once both sides have detached, even after a crash.
        shmctl(id, IPC_RMID, nullptr);
        if (error != nullptr) {
            std::free(error);
            shmdt(address);
            return nullptr;
        }
        return std::unique_ptr<ShmSegment>(
            new ShmSegment(connection, seg, static_cast<uchar*>(address), bytes));
    }

    ~ShmSegment()
    {
        if (m_connection != nullptr) {
            xcb_shm_detach(m_connection, m_seg);
            xcb_flush(m_connection);
        }
        shmdt(m_address);
    }
    ShmSegment(const ShmSegment&) = delete;
    ShmSegment& operator=(const ShmSegment&) = delete;

    uchar* address() const { return m_address; }
    size_t bytes() const { return m_bytes; }
    xcb_shm_seg_t seg() const { return m_seg; }

    // The grabber that hands the segment out; null once it has gone.
    X11ShmGrabber* owner = nullptr;
    // The connection has gone with the grabber: only the memory is let go.
    void orphan() { m_connection = nullptr; }

private:
    ShmSegment(xcb_connection_t* connection, xcb_shm_seg_t seg, uchar* address, size_t bytes)
        : m_connection(connection), m_seg(seg), m_address(address), m_bytes(bytes)
    {
    }

    xcb_connection_t* m_connection;
    xcb_shm_seg_t m_seg;
    uchar* m_address;
    size_t m_bytes;
};

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
    std::unique_ptr<X11ShmGrabber> grabber(new X11ShmGrabber(
        connection, screen->root, QSize(screen->width_in_pixels, screen->height_in_pixels)));
    // A remote server answers the version but cannot attach this process's memory.
    if (grabber->makeSurface(QSize(1, 1)).isNull()) {
        return nullptr;
    }
    return grabber;
}

X11ShmGrabber::X11ShmGrabber(xcb_connection_t* connection, uint32_t root, QSize rootSize)
    : m_connection(connection), m_root(root), m_rootSize(rootSize)
{
}

X11ShmGrabber::~X11ShmGrabber()
{
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
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_root), nullptr);
    if (geometry == nullptr) {
        return false;
    }
    m_rootSize = QSize(geometry->width, geometry->height);
    std::free(geometry);
    return true;
}

bool X11ShmGrabber::grab(const QRect& deviceArea, QImage& into)
{
    if (deviceArea.isEmpty()) {
        return false;
    }
    if (!QRect(QPoint(), m_rootSize).contains(deviceArea)) {
        refreshRootSize();  // the screen may have grown since
    }
    const QRect onScreen = deviceArea & QRect(QPoint(), m_rootSize);
    if (onScreen.isEmpty()) {
        return false;
    }
    // The server writes straight into a picture when the whole area is on the screen;
    // a partly covered area is taken into a picture of its own and placed on black.
    const bool direct = onScreen == deviceArea;
    QImage part = direct && into.size() == deviceArea.size() && segmentOf(into) != nullptr
                      ? into
                      : makeSurface(onScreen.size());
    const ShmSegment* segment = segmentOf(part);
    if (segment == nullptr) {
        return false;
    }
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        m_connection,
        xcb_shm_get_image(m_connection, m_root, static_cast<int16_t>(onScreen.x()),
                          static_cast<int16_t>(onScreen.y()),
                          static_cast<uint16_t>(onScreen.width()),
                          static_cast<uint16_t>(onScreen.height()), ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP,
                          segment->seg(), 0),
        nullptr);
    if (reply == nullptr) {
        refreshRootSize();
        return false;
    }
    std::free(reply);
    if (direct) {
        if (part.constBits() != into.constBits()) {
            into = part;
        }
        return true;
    }
    into = makeSurface(deviceArea.size());
    if (into.isNull()) {
        return false;
    }
    const QPoint offset = onScreen.topLeft() - deviceArea.topLeft();
    for (int y = 0; y < part.height(); ++y) {
        std::memcpy(into.scanLine(y + offset.y()) + offset.x() * 4, part.constScanLine(y),
                    static_cast<size_t>(part.width()) * 4);
    }
    return true;
}

QPoint X11ShmGrabber::deviceTopLeft(const QWindow& window) const
{
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        m_connection,
        xcb_translate_coordinates(m_connection, static_cast<xcb_window_t>(window.winId()), m_root,
                                  0, 0),
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
        xcb_create_gc(m_connection, m_gc, window, 0, nullptr);
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
