#pragma once

#include <QImage>
#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>

struct spa_buffer;

// One PipeWire video stream of a screen, received on a thread of its own: each frame
// is copied and its buffer given back at once, so the sender never runs out of
// buffers however long the window is busy. Only the newest frame is kept.
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

    // The newest frame, a picture of its own; null before the first frame, after a new
    // format and while inactive.
    QImage newestFrame() const;

signals:
    void frameArrived();
    // The stream stopped on its own (the session closed, the monitor went away, the
    // screen's sender ended); told once per open().
    void ended();

private:
    struct Pw;
    bool watchNode();
    bool connectStream();
    void disconnectStream();
    // On the stream's thread:
    void onProcess();
    bool copyFrame(const spa_buffer& buffer);
    void onStateChanged(int state);
    void onFormat(const void* param);
    void tellEnded();

    std::unique_ptr<Pw> m_pw;
    mutable QMutex m_frameLock;
    QImage m_frame;  // under m_frameLock
    QImage m_spare;  // the stream thread's, for the next copy
    std::atomic<bool> m_announced = false;
    std::atomic<bool> m_endTold = false;
    QImage::Format m_format = QImage::Format_Invalid;
    int m_width = 0;
    int m_height = 0;
    std::uint32_t m_node = 0;
    bool m_streaming = false;
};
