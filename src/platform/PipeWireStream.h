#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

class QSocketNotifier;
struct pw_buffer;

// One PipeWire video stream of a screen, received on the user-interface thread: the
// PipeWire loop is served from the program's event loop. Only the newest frame is
// kept; older ones go straight back to the stream.
class PipeWireStream : public QObject
{
    Q_OBJECT

public:
    explicit PipeWireStream(QObject* parent = nullptr);
    ~PipeWireStream() override;

    // Connects to the PipeWire remote `fd` (taken over) and to node `node`; false
    // with nothing running when PipeWire cannot be reached.
    bool open(int fd, std::uint32_t node);

    // Ends the stream and gives its buffers back.
    void close();

    // An inactive stream keeps the connection to PipeWire but has left the screen's
    // node (the screen is not copied for it); the newest frame is given back. False
    // when the node cannot be joined again.
    bool setActive(bool active);

    bool isOpen() const;

    // The newest frame, over the stream's memory: valid until the program's event
    // loop runs again. Null before the first frame.
    QImage newestFrame() const;

signals:
    void frameArrived();
    // The stream stopped on its own (the session closed, the monitor went away).
    void ended();

private:
    struct Pw;
    bool connectStream();
    void disconnectStream();
    void serve();
    void onProcess();
    void onStateChanged(int state);
    void onFormat(const void* param);
    void onBufferRemoved(pw_buffer* buffer);

    std::unique_ptr<Pw> m_pw;
    std::unique_ptr<QSocketNotifier> m_notifier;
    pw_buffer* m_held = nullptr;
    QImage::Format m_format = QImage::Format_Invalid;
    int m_width = 0;
    int m_height = 0;
    std::uint32_t m_node = 0;
    bool m_streaming = false;
};
