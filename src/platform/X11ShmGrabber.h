#pragma once

#include "platform/ScreenGrabber.h"

#include <QHash>
#include <cstdint>
#include <memory>

struct xcb_connection_t;
class ShmSegment;

// Grabs the X server's root window into shared memory (MIT-SHM) and shows pictures
// in a window with a server-side put from shared memory: no copy of the pixels goes
// through the connection, and a shown picture needs no repaint round trip.
class X11ShmGrabber final : public ScreenGrabber
{
public:
    // Null when the application does not run on X, or the server has no MIT-SHM or
    // cannot reach this process's memory (a remote display).
    static std::unique_ptr<X11ShmGrabber> create();
    ~X11ShmGrabber() override;

    X11ShmGrabber(const X11ShmGrabber&) = delete;
    X11ShmGrabber& operator=(const X11ShmGrabber&) = delete;

    bool grab(const QRect& deviceArea, QImage& into) override;
    QPoint deviceTopLeft(const QWindow& window) const override;
    QImage makeSurface(const QSize& size) override;
    bool present(const QWindow& window, const QPoint& at, const QImage& picture) override;

    // A surface's last copy is gone: its segment is detached.
    void release(const uchar* address);

private:
    X11ShmGrabber(xcb_connection_t* connection, uint32_t root, QSize rootSize);

    ShmSegment* segmentOf(const QImage& picture) const;
    bool refreshRootSize();
    uint32_t contextFor(uint32_t window, uint8_t& depth);

    xcb_connection_t* m_connection;
    uint32_t m_root;
    QSize m_rootSize;
    QHash<const uchar*, ShmSegment*> m_segments;  // owned; freed through release()
    uint32_t m_gcWindow = 0;                      // the window m_gc was made for
    uint32_t m_gc = 0;
    uint8_t m_gcDepth = 0;
};
