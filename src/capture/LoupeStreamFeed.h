#pragma once

#include "capture/LoupeMarker.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QString>
#include <optional>

class QEventLoop;
class StreamGrabber;
class frmLoupe;
class frmPreview;

// The live capture's side of a screen video (a Wayland desktop): starts and stops
// the stream, waits for its frames and finds the hole's pixels in them by the
// loupe's marker.
class LoupeStreamFeed
{
public:
    LoupeStreamFeed(StreamGrabber& grabber, frmLoupe& loupe, const frmPreview& preview);
    ~LoupeStreamFeed();

    // False with the message for the user when the stream cannot be had; otherwise
    // it streams now or once the desktop has agreed (isReady()), or problem() tells
    // why not.
    bool start(QString& problem);
    bool isReady() const { return m_ready; }

    // Serves events until a new frame has come (or the stream has started), or for at
    // most a short while (so that a stop asked for by a handler is seen); with a still
    // screen nothing comes. False when the program is ending: events are no longer
    // served.
    bool waitForFrame();

    // The device pixels under the hole in the newest frame, or null when there is no
    // new frame or the loupe is not in it.
    QImage takeHole();

    // Whether the hole lay over the preview in the frame of the last takeHole(): the
    // preview's marker shows it, or, when the marker is hidden while the preview is
    // on the loupe's screen, the loupe lies over it.
    bool holeCoversPreview() const { return m_coversPreview; }

    void stop();

    // Set when the stream ended on its own: the message for the user.
    const QString& problem() const { return m_problem; }

private:
    void onReady();
    void onFrame();
    void onEnded(const QString& problem);

    StreamGrabber& m_grabber;
    frmLoupe& m_loupe;
    const frmPreview& m_preview;
    LoupeTracker m_tracker;
    std::optional<QPoint> m_previewMarker;
    bool m_coversPreview = false;
    bool m_fresh = false;  // a frame has come since the last takeHole()
    bool m_any = false;    // a frame has come since the start
    bool m_running = false;
    bool m_ready = false;          // the stream has started
    bool m_startedAfresh = false;  // a session of its own after a silent one
    QDeadlineTimer m_firstFrameDue;
    QString m_problem;
    QEventLoop* m_waiting = nullptr;
    QObject m_receiver;  // the grabber's signals reach this feed while it lives
};
