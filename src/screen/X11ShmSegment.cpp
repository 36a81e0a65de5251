#include "screen/X11ShmSegment.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <cstdlib>

std::unique_ptr<ShmSegment> ShmSegment::create(xcb_connection_t* connection, size_t bytes)
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

ShmSegment::~ShmSegment()
{
    if (m_connection != nullptr) {
        xcb_shm_detach(m_connection, m_seg);
        xcb_flush(m_connection);
    }
    shmdt(m_address);
}
