#include "capture/mdlZoom.h"

#include "capture/LoupeSession.h"

mdlZoom::mdlZoom(ScreenGrabber& grabber, QObject* parent) : LiveCapture(parent), m_grabber(grabber)
{
}

mdlZoom::~mdlZoom() = default;

void mdlZoom::StartLoupe(SelectionState& selection, const CaptureScale& scale)
{
    LoupeSession* outer = m_active;
    if (outer) {
        outer->stop();
        outer->hideWindows();
    }
    LoupeSession session(selection, scale, m_grabber,
                         [this](const QImage& snapshot) { emit captureTaken(snapshot); });
    QString problem;
    if (!session.openStream(problem)) {
        emit failed(problem);
        return;
    }
    m_active = &session;
    // Where the desktop asks the user first, the windows open once the user agreed.
    if (session.waitForStream()) {
        session.show();
        emit loupeStarted();
        RunLoupeLoop(session);
    }
    if (const QString ended = session.streamProblem(); !ended.isEmpty()) {
        emit failed(ended);
    }
    // An outer live capture, stopped above, ends at its next pass.
    m_active = outer;
}

void mdlZoom::stop()
{
    if (m_active) {
        m_active->stop();
    }
}

void mdlZoom::RunLoupeLoop(LoupeSession& session)
{
    while (session.runPass()) {
    }
}
