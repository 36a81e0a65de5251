#pragma once

#include "screen/ScreenGrabber.h"

#include <QImage>
#include <QObject>
#include <QString>

// A grabber that sees the screen only as a video stream of one monitor (a Wayland
// desktop): it cannot know where windows are, so the caller finds its area in the
// newest frame itself. Frames arrive by signal; between them there is nothing to do.
class StreamGrabber : public QObject, public ScreenGrabber
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Starts the stream: false with `problem` set to the message for the user when it
    // cannot be had. Otherwise it streams at once, or once the desktop has agreed
    // (it may ask the user): streamStarted() or streamEnded() tells.
    virtual bool startStream(QString& problem) = 0;
    virtual bool isStreaming() const = 0;

    // Ends the flow of frames at once, and a start under way; a session is kept for
    // the next start.
    virtual void stopStream() = 0;

    // Ends the stream and forgets the desktop's session, so that the next start begins
    // one of its own (a kept session may have outlived the monitor it was made for).
    virtual void forgetSession() { stopStream(); }

    // The newest frame of the monitor in device pixels, a picture of its own; null
    // before the first frame.
    virtual QImage newestFrame() const = 0;

    // The device pixels of `deviceArea` in the newest frame (the streamed monitor's top
    // left is the desktop's origin); false before the first frame or outside it.
    bool grab(const QRect& deviceArea, QImage& into) override;

signals:
    void streamStarted();
    void frameArrived();
    // The stream did not start, or stopped on its own; `problem` is the message for
    // the user.
    void streamEnded(const QString& problem);
};
