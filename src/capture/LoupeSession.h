#pragma once

#include "capture/LoupeGeometry.h"
#include "capture/NearestStretch.h"

#include <QDeadlineTimer>
#include <QImage>
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

    LoupeSession(SelectionState& selection, const CaptureScale& scale, ScreenGrabber& grabber,
                 CaptureHandler onCapture);
    ~LoupeSession();

    // Places and shows the preview, then the loupe.
    void show();

    // Where the screen is a video stream (Wayland): starts it; false with the
    // message for the user when it cannot be had. True at once elsewhere.
    bool openStream(QString& problem);
    // The message for the user when the stream ended on its own, else empty.
    QString streamProblem() const;

    // One pass of the loop: false (both windows hidden) when stopLoupe is set;
    // otherwise serves events for up to one frame, then copies and shows.
    bool runPass();

    // Copies the desktop under the hole into the preview and repaints it.
    void copyScreen();

    // Enter in the loupe or the preview: ends the live capture and hands over the snapshot.
    void CaptureOnEnter(bool fromLoupe);

    void hideWindows();

    frmLoupe& loupe() { return *m_loupe; }
    frmPreview& preview() { return *m_preview; }

private:
    void waitOneFrame();

    SelectionState& m_selection;
    ScreenGrabber& m_grabber;
    CaptureHandler m_onCapture;
    std::unique_ptr<frmLoupe> m_loupe;
    std::unique_ptr<frmPreview> m_preview;
    NearestStretch m_stretch;
    QImage m_lastGrab;  // what the preview shows, as grabbed
    int m_frameMilliseconds = 16;
    QDeadlineTimer m_nextFrame{QDeadlineTimer::Forever};
    std::unique_ptr<LoupeStreamFeed> m_feed;  // only where the screen is a video stream
};
