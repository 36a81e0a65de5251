#pragma once

#include "capture/LiveCapture.h"

#include <memory>

class LoupeSession;
class ScreenGrabber;

// Opens the loupe and the preview and runs the loop that keeps the preview current.
class mdlZoom final : public LiveCapture
{
    Q_OBJECT

public:
    explicit mdlZoom(ScreenGrabber& grabber, QObject* parent = nullptr);
    ~mdlZoom() override;

    // A confirm while a live capture runs hides the running pair before the new one opens.
    void StartLoupe(SelectionState& selection, const CaptureScale& scale) override;
    void stop() override;

    // The running live capture, or null.
    LoupeSession* session() { return m_active; }

signals:
    // A live capture has opened its windows and is about to run its loop.
    void loupeStarted();

private:
    static void RunLoupeLoop(LoupeSession& session);

    ScreenGrabber& m_grabber;
    LoupeSession* m_active = nullptr;
};
