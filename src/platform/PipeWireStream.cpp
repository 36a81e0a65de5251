#include "platform/PipeWireStream.h"

#include "platform/StreamFrame.h"

#include <pipewire/pipewire.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <unistd.h>
#include <QMetaObject>
#include <QSocketNotifier>
#include <algorithm>
#include <array>
#include <cstdint>

struct PipeWireStream::Pw
{
    pw_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook streamListener{};
    pw_stream_events streamEvents{};
};

namespace {

// The formats the program reads: the screen's usual 32-bit layouts, any size.
const spa_pod* formatParam(spa_pod_builder& builder)
{
    const spa_rectangle minSize = spa_rectangle{1, 1};
    const spa_rectangle defSize = spa_rectangle{1280, 1024};
    const spa_rectangle maxSize = spa_rectangle{16384, 16384};
    const spa_fraction minRate = spa_fraction{0, 1};
    const spa_fraction defRate = spa_fraction{60, 1};
    const spa_fraction maxRate = spa_fraction{1000, 1};
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
        SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype,
        SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), SPA_FORMAT_VIDEO_format,
        SPA_POD_CHOICE_ENUM_Id(5, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                               SPA_VIDEO_FORMAT_BGRA, SPA_VIDEO_FORMAT_RGBx, SPA_VIDEO_FORMAT_RGBA),
        SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defSize, &minSize, &maxSize),
        SPA_FORMAT_VIDEO_framerate, SPA_POD_CHOICE_RANGE_Fraction(&defRate, &minRate, &maxRate)));
}

// Shared memory only: the buffers are read by the processor. The newest buffer is
// read in place and given back only when the next one has come, and a buffer given
// back reaches the sender one cycle later: a sender that must wait for a free buffer
// (it drives the stream) needs four, so four or more are asked for first.
constexpr int kBuffersWhileHolding = 4;

const spa_pod* buffersParam(spa_pod_builder& builder, bool enough)
{
    const int types = (1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd);
    if (!enough) {
        return static_cast<const spa_pod*>(spa_pod_builder_add_object(
            &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_dataType,
            SPA_POD_CHOICE_FLAGS_Int(types)));
    }
    return static_cast<const spa_pod*>(spa_pod_builder_add_object(
        &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
        SPA_POD_CHOICE_RANGE_Int(kBuffersWhileHolding, kBuffersWhileHolding, 16),
        SPA_PARAM_BUFFERS_dataType, SPA_POD_CHOICE_FLAGS_Int(types)));
}

}  // namespace

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
    m_pw = std::make_unique<Pw>();
    Pw& pw = *m_pw;
    pw.loop = pw_loop_new(nullptr);
    if (pw.loop) {
        pw_loop_enter(pw.loop);  // left in close(), whatever fails after this
    }
    pw.context = pw.loop ? pw_context_new(pw.loop, nullptr, 0) : nullptr;
    // The context owns the descriptor it is given, also when connecting fails.
    pw.core = pw.context ? pw_context_connect_fd(pw.context, fd, nullptr, 0) : nullptr;
    if (!pw.context && fd >= 0) {
        ::close(fd);
    }
    if (!pw.core) {
        close();
        return false;
    }
    m_node = node;
    m_notifier = std::make_unique<QSocketNotifier>(pw_loop_get_fd(pw.loop), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PipeWireStream::serve);
    if (!connectStream()) {
        close();
        return false;
    }
    serve();
    return m_pw != nullptr;
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
    pw.streamEvents.remove_buffer = [](void* data, pw_buffer* buffer) {
        static_cast<PipeWireStream*>(data)->onBufferRemoved(buffer);
    };
    pw.streamListener = spa_hook{};
    pw_stream_add_listener(pw.stream, &pw.streamListener, &pw.streamEvents, this);

    std::array<std::uint8_t, 1024> space{};
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(space.data(), space.size());
    const spa_pod* params[] = {formatParam(builder)};
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
    if (m_held) {
        pw_stream_queue_buffer(pw.stream, m_held);
        m_held = nullptr;
    }
    pw_stream_disconnect(pw.stream);
    pw_stream_destroy(pw.stream);
    pw.stream = nullptr;
    m_streaming = false;
    m_format = QImage::Format_Invalid;
}

void PipeWireStream::close()
{
    m_notifier.reset();
    if (!m_pw) {
        return;
    }
    disconnectStream();
    std::unique_ptr<Pw> pw = std::move(m_pw);
    if (pw->core) {
        pw_core_disconnect(pw->core);
    }
    if (pw->context) {
        pw_context_destroy(pw->context);
    }
    if (pw->loop) {
        pw_loop_leave(pw->loop);
        pw_loop_destroy(pw->loop);
    }
}

bool PipeWireStream::setActive(bool active)
{
    if (!m_pw) {
        return false;
    }
    // Pausing a stream would leave its buffers with this side, and a sender that
    // waits for a free buffer before it drives the next cycle would never resume:
    // the stream is left and joined again instead, with fresh buffers.
    if (!active) {
        disconnectStream();
        return true;
    }
    if (m_pw->stream) {
        return true;
    }
    if (!connectStream()) {
        return false;
    }
    serve();
    return true;
}

void PipeWireStream::serve()
{
    if (m_pw) {
        pw_loop_iterate(m_pw->loop, 0);
    }
}

void PipeWireStream::onBufferRemoved(pw_buffer* buffer)
{
    // The stream frees its buffers when it negotiates anew (another size of the
    // monitor) or ends: the newest frame goes with its buffer.
    if (buffer == m_held) {
        m_held = nullptr;
    }
}

void PipeWireStream::onFormat(const void* param)
{
    // The held frame has the old size and layout, and its buffer is about to go.
    if (m_held) {
        pw_stream_queue_buffer(m_pw->stream, m_held);
        m_held = nullptr;
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
    const spa_pod* params[] = {buffersParam(builder, true), buffersParam(builder, false)};
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
    const spa_data& plane = newest->buffer->datas[0];
    const bool usable =
        plane.data && plane.chunk && plane.chunk->size > 0 &&
        (static_cast<std::uint32_t>(plane.chunk->flags) & SPA_CHUNK_FLAG_CORRUPTED) == 0;
    if (!usable) {
        pw_stream_queue_buffer(m_pw->stream, newest);
        return;
    }
    if (m_held) {
        pw_stream_queue_buffer(m_pw->stream, m_held);
    }
    m_held = newest;
    emit frameArrived();
}

QImage PipeWireStream::newestFrame() const
{
    if (!m_held) {
        return {};
    }
    const spa_data& plane = m_held->buffer->datas[0];
    const std::uint32_t offset = plane.chunk->offset % std::max<std::uint32_t>(plane.maxsize, 1);
    const int stride =
        plane.chunk->stride > 0 ? static_cast<int>(plane.chunk->stride) : m_width * 4;
    return streamframe::wrap(static_cast<const std::uint8_t*>(plane.data) + offset,
                             plane.maxsize - offset, m_width, m_height, stride, m_format);
}

void PipeWireStream::onStateChanged(int state)
{
    if (state == PW_STREAM_STATE_STREAMING) {
        m_streaming = true;
        return;
    }
    if (state == PW_STREAM_STATE_ERROR || (m_streaming && state == PW_STREAM_STATE_UNCONNECTED)) {
        m_streaming = false;
        // Told from outside the PipeWire callback, so that a receiver may close the stream.
        QMetaObject::invokeMethod(this, &PipeWireStream::ended, Qt::QueuedConnection);
    }
}
