#include "screen/PipeWireStream.h"

#include "screen/StreamFrame.h"
#include "screen/StreamParams.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <unistd.h>
#include <QMetaObject>
#include <QMutexLocker>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

struct PipeWireStream::Pw
{
    pw_thread_loop* thread = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook streamListener{};
    pw_stream_events streamEvents{};
    pw_registry* registry = nullptr;
    spa_hook registryListener{};
    pw_registry_events registryEvents{};
};

PipeWireStream::PipeWireStream(QObject* parent) : QObject(parent)
{
    pw_init(nullptr, nullptr);
}

PipeWireStream::~PipeWireStream()
{
    close();
}

bool PipeWireStream::isOpen() const
{
    return m_pw != nullptr;
}

bool PipeWireStream::open(int fd, std::uint32_t node)
{
    close();
    m_endTold = false;
    m_pw = std::make_unique<Pw>();
    Pw& pw = *m_pw;
    pw.thread = pw_thread_loop_new("sorakado-screen", nullptr);
    pw.context =
        pw.thread ? pw_context_new(pw_thread_loop_get_loop(pw.thread), nullptr, 0) : nullptr;
    // The context owns the descriptor it is given, also when connecting fails.
    pw.core = pw.context ? pw_context_connect_fd(pw.context, fd, nullptr, 0) : nullptr;
    if (!pw.context && fd >= 0) {
        ::close(fd);
    }
    m_node = node;
    if (!pw.core || !watchNode() || !connectStream() || pw_thread_loop_start(pw.thread) < 0) {
        close();
        return false;
    }
    return true;
}

bool PipeWireStream::watchNode()
{
    // The stream alone does not tell when the screen's node goes (its sender ended
    // without closing the session): it stays "streaming" with no frames. The registry
    // does.
    Pw& pw = *m_pw;
    pw.registry = pw_core_get_registry(pw.core, PW_VERSION_REGISTRY, 0);
    if (!pw.registry) {
        return false;
    }
    pw.registryEvents = pw_registry_events{};
    pw.registryEvents.version = PW_VERSION_REGISTRY_EVENTS;
    pw.registryEvents.global_remove = [](void* data, std::uint32_t id) {
        auto* self = static_cast<PipeWireStream*>(data);
        if (id == self->m_node) {
            self->tellEnded();
        }
    };
    pw.registryListener = spa_hook{};
    // A macro of C casts in older PipeWire.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
    pw_registry_add_listener(pw.registry, &pw.registryListener, &pw.registryEvents, this);
#pragma GCC diagnostic pop
    return true;
}

bool PipeWireStream::connectStream()
{
    Pw& pw = *m_pw;
    // The stream follows its core: a lost connection puts it in its error state.
    pw.stream = pw_stream_new(pw.core, "sorakado",
                              pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                                "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
    if (!pw.stream) {
        return false;
    }
    pw.streamEvents = pw_stream_events{};
    pw.streamEvents.version = PW_VERSION_STREAM_EVENTS;
    pw.streamEvents.state_changed = [](void* data, pw_stream_state, pw_stream_state state,
                                       const char*) {
        static_cast<PipeWireStream*>(data)->onStateChanged(state);
    };
    pw.streamEvents.param_changed = [](void* data, std::uint32_t id, const spa_pod* param) {
        if (id == SPA_PARAM_Format) {
            static_cast<PipeWireStream*>(data)->onFormat(param);
        }
    };
    pw.streamEvents.process = [](void* data) { static_cast<PipeWireStream*>(data)->onProcess(); };
    pw.streamListener = spa_hook{};
    pw_stream_add_listener(pw.stream, &pw.streamListener, &pw.streamEvents, this);

    std::array<std::uint8_t, 1024> space{};
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(space.data(), space.size());
    const spa_pod* params[] = {streamparams::format(builder)};
    const auto flags =
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
    if (pw_stream_connect(pw.stream, PW_DIRECTION_INPUT, m_node, flags, params, 1) < 0) {
        disconnectStream();
        return false;
    }
    return true;
}

void PipeWireStream::disconnectStream()
{
    Pw& pw = *m_pw;
    if (!pw.stream) {
        return;
    }
    // Leaving on purpose is not the stream ending: nothing is told.
    spa_hook_remove(&pw.streamListener);
    pw_stream_disconnect(pw.stream);
    pw_stream_destroy(pw.stream);
    pw.stream = nullptr;
    m_streaming = false;
    m_format = QImage::Format_Invalid;
    const QMutexLocker lock(&m_frameLock);
    m_frame = QImage();
}

void PipeWireStream::close()
{
    if (!m_pw) {
        return;
    }
    if (m_pw->thread) {
        // With the thread stopped nothing of PipeWire runs but this.
        pw_thread_loop_stop(m_pw->thread);
    }
    disconnectStream();
    const std::unique_ptr<Pw> pw = std::move(m_pw);
    if (pw->registry) {
        spa_hook_remove(&pw->registryListener);
        pw_proxy_destroy(reinterpret_cast<pw_proxy*>(pw->registry));
    }
    if (pw->core) {
        pw_core_disconnect(pw->core);
    }
    if (pw->context) {
        pw_context_destroy(pw->context);
    }
    if (pw->thread) {
        pw_thread_loop_destroy(pw->thread);
    }
}

bool PipeWireStream::setActive(bool active)
{
    if (!m_pw) {
        return false;
    }
    pw_thread_loop_lock(m_pw->thread);
    // Pausing a stream would leave its buffers with this side, and a sender that
    // waits for a free buffer before it drives the next cycle would never resume:
    // the stream is left and joined again instead, with fresh buffers.
    bool joined = true;
    if (!active) {
        disconnectStream();
    } else if (!m_pw->stream) {
        joined = connectStream();
    }
    pw_thread_loop_unlock(m_pw->thread);
    return joined;
}

void PipeWireStream::onFormat(const void* param)
{
    // The last frame has the old size and layout.
    {
        const QMutexLocker lock(&m_frameLock);
        m_frame = QImage();
    }
    m_format = QImage::Format_Invalid;
    spa_video_info_raw info{};
    if (param == nullptr ||
        spa_format_video_raw_parse(static_cast<const spa_pod*>(param), &info) < 0) {
        return;
    }
    m_format = streamframe::imageFormat(info.format);
    m_width = static_cast<int>(info.size.width);
    m_height = static_cast<int>(info.size.height);
    std::array<std::uint8_t, 256> space{};
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(space.data(), space.size());
    const spa_pod* params[] = {streamparams::buffers(builder, true),
                               streamparams::buffers(builder, false)};
    pw_stream_update_params(m_pw->stream, params, 2);
}

void PipeWireStream::onProcess()
{
    // Take every waiting buffer, keep the newest, give the others straight back.
    pw_buffer* newest = nullptr;
    while (pw_buffer* buffer = pw_stream_dequeue_buffer(m_pw->stream)) {
        if (newest) {
            pw_stream_queue_buffer(m_pw->stream, newest);
        }
        newest = buffer;
    }
    if (!newest) {
        return;
    }
    const bool copied = copyFrame(*newest->buffer);
    pw_stream_queue_buffer(m_pw->stream, newest);
    // One announcement waits at a time; the window reads the newest frame when it comes.
    if (copied && !m_announced.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_announced = false;
                emit frameArrived();
            },
            Qt::QueuedConnection);
    }
}

bool PipeWireStream::copyFrame(const spa_buffer& buffer)
{
    const spa_data& plane = buffer.datas[0];
    if (!plane.data || !plane.chunk || plane.chunk->size == 0 ||
        (static_cast<std::uint32_t>(plane.chunk->flags) & SPA_CHUNK_FLAG_CORRUPTED) != 0) {
        return false;
    }
    const std::uint32_t offset = plane.chunk->offset % std::max<std::uint32_t>(plane.maxsize, 1);
    const int stride =
        plane.chunk->stride > 0 ? static_cast<int>(plane.chunk->stride) : m_width * 4;
    const QImage shown =
        streamframe::wrap(static_cast<const std::uint8_t*>(plane.data) + offset,
                          plane.maxsize - offset, m_width, m_height, stride, m_format);
    if (shown.isNull()) {
        return false;
    }
    // Into the spare picture when the window no longer reads it, else a new one.
    if (m_spare.size() != shown.size() || m_spare.format() != shown.format() ||
        !m_spare.isDetached()) {
        m_spare = QImage(shown.size(), shown.format());
    }
    const auto rowBytes = static_cast<std::size_t>(shown.width()) * 4U;
    for (int y = 0; y < shown.height(); ++y) {
        std::memcpy(m_spare.scanLine(y), shown.constScanLine(y), rowBytes);
    }
    const QMutexLocker lock(&m_frameLock);
    std::swap(m_frame, m_spare);
    return true;
}

QImage PipeWireStream::newestFrame() const
{
    const QMutexLocker lock(&m_frameLock);
    return m_frame;
}

void PipeWireStream::onStateChanged(int state)
{
    if (state == PW_STREAM_STATE_STREAMING) {
        m_streaming = true;
        return;
    }
    // A stream that only pauses or connects again may be agreeing a new format (the
    // monitor's size changed; Debian 13's sway leaves "streaming" for that): its end
    // is told by the registry, when the screen's node goes.
    if (state == PW_STREAM_STATE_ERROR || (m_streaming && state == PW_STREAM_STATE_UNCONNECTED)) {
        tellEnded();
    }
}

void PipeWireStream::tellEnded()
{
    m_streaming = false;
    if (m_endTold.exchange(true)) {
        return;
    }
    // Told from outside the PipeWire callback, so that a receiver may close the stream.
    QMetaObject::invokeMethod(this, &PipeWireStream::ended, Qt::QueuedConnection);
}
