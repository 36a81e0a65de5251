#pragma once

#include "capture/LoupeGeometry.h"
#include "capture/NearestStretch.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <functional>
#include <memory>

class LoupeStreamFeed;
class ScreenGrabber;
class frmLoupe;
class frmPreview;
struct SelectionState;

// One live capture: a new loupe and preview pair, and the passes that copy the
// desktop under the loupe's hole into the preview.
class LoupeSession
{
public:
    using CaptureHandler = std::function<void(const QImage& snapshot)>;

    LoupeSession(const SelectionState& selection, const CaptureScale& scale, ScreenGrabber& grabber,
                 CaptureHandler onCapture);
    ~LoupeSession();

    // Places and shows the preview, then the loupe.
    void show();

    // Where the screen is a video stream (Wayland): starts it; false with the
    // message for the user when it cannot be had. True at once elsewhere.
    bool openStream(QString& problem);
    // Serves events until the stream has started (at once where there is none);
    // false, with both windows hidden, when it did not or the session was stopped.
    bool waitForStream();
    // The message for the user when the stream ended on its own, else empty.
    QString streamProblem() const;

    // One pass of the loop: false (both windows hidden) once stopped; otherwise
    // serves events for up to one frame, then copies and shows.
    bool runPass();

    // Ends this live capture: the next pass hides both windows and ends the loop.
    // A stopped session stays stopped; a new capture is a new session.
    void stop();
    bool isStopped() const { return m_stopped; }

    // Shows the desktop under the hole in the preview. One to one on an unscaled
    // screen the window system copies it straight into the window; otherwise it is
    // taken into the preview's picture and shown when it changed or when asked to
    // show it all the same.
    void copyScreen(bool evenIfUnchanged = false);

    // The desktop's device pixels under the loupe's hole.
    QRect sourceDeviceRect();

    // Enter in the loupe or the preview: ends the live capture and hands over the snapshot.
    void CaptureOnEnter(bool fromLoupe);

    void hideWindows();

    frmLoupe& loupe() { return *m_loupe; }
    frmPreview& preview() { return *m_preview; }

private:
    void waitOneFrame();
    // Whether the loupe's hole lies over the preview.
    bool holeCoversPreview();
    // The window system's own copy into the preview; false where it cannot.
    bool copyOnServer();
    // Takes the desktop under the hole into the preview's picture; false when nothing
    // could be taken. `changed`: whether any of the picture's pixels changed.
    bool takePicture(bool& changed);

    const SelectionState& m_selection;
    ScreenGrabber& m_grabber;
    CaptureHandler m_onCapture;
    std::unique_ptr<frmLoupe> m_loupe;
    QPointer<QScreen> m_screen;  // the screen the windows open on
    std::unique_ptr<frmPreview> m_preview;
    NearestStretch m_stretch;
    QImage m_grab;  // the latest grab, kept for the grabber to fill in place
    QRect m_source;
    bool m_sourceKnown = false;   // m_source holds for the loupe's current position
    bool m_pictureStale = false;  // the window shows newer pixels than the picture holds
    int m_frameMilliseconds = 16;
    QDeadlineTimer m_nextFrame{QDeadlineTimer::Forever};
    bool m_stopped = false;
    std::unique_ptr<LoupeStreamFeed> m_feed;  // only where the screen is a video stream
};
