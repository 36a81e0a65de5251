#pragma once

#include "screen/ScreenGrabber.h"

#include <QHash>
#include <cstdint>
#include <memory>

struct xcb_connection_t;
class ShmSegment;

// Grabs the X server's root window into shared memory (MIT-SHM) and shows pictures
// in a window with a server-side put from shared memory: no copy of the pixels goes
// through the connection, and a shown picture needs no repaint round trip. A one to
// one copy of the screen into a window stays inside the server altogether.
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
    // At most one copy is in flight: the next one first waits until the server has
    // done this one, so requests never pile up on a slow server.
    bool copyToWindow(const QRect& deviceArea, const QWindow& window, const QPoint& at) override;

    // A surface's last copy is gone: its segment is detached.
    void release(const uchar* address);

private:
    // What the server tells of its screen.
    struct Root
    {
        uint32_t window = 0;
        uint8_t depth = 0;
        uint32_t blackPixel = 0;
        QSize size;
    };

    X11ShmGrabber(xcb_connection_t* connection, const Root& root);

    ShmSegment* segmentOf(const QImage& picture) const;
    bool refreshRootSize();
    // The part of `deviceArea` on the root window; empty when none is.
    QRect onRoot(const QRect& deviceArea);
    bool getImage(const QRect& onRootArea, const ShmSegment& into);
    bool grabPartly(const QRect& deviceArea, const QRect& onScreen, QImage& into);
    uint32_t contextFor(uint32_t window, uint8_t& depth);
    void finishCopy();

    xcb_connection_t* m_connection;
    Root m_root;
    QImage m_edge;  // takes the visible part of an area that reaches past the screen
    unsigned int m_copySequence = 0;
    bool m_copyInFlight = false;
    QHash<const uchar*, ShmSegment*> m_segments;  // owned; freed through release()
    uint32_t m_gcWindow = 0;                      // the window m_gc was made for
    uint32_t m_gc = 0;
    uint8_t m_gcDepth = 0;
};
