#pragma once

#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <QtGlobal>
#include <cstddef>
#include <memory>

class X11ShmGrabber;

// One shared-memory segment attached to the X server, holding one picture.
class ShmSegment
{
public:
    // Null when the server cannot attach the memory (a remote display).
    static std::unique_ptr<ShmSegment> create(xcb_connection_t* connection, size_t bytes);

    ~ShmSegment();
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
