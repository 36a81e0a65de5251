#include "capture/mdlZoom.h"

#include "capture/LoupeSession.h"

mdlZoom::mdlZoom(ScreenGrabber& grabber, QObject* parent) : LiveCapture(parent), m_grabber(grabber)
{
}

mdlZoom::~mdlZoom() = default;

void mdlZoom::StartLoupe(SelectionState& selection, const CaptureScale& scale)
{
    if (m_active) {
        m_active->hideWindows();
    }
    LoupeSession* outer = m_active;
    LoupeSession session(selection, scale, m_grabber,
                         [this](const QImage& snapshot) { emit captureTaken(snapshot); });
    QString problem;
    if (!session.openStream(problem)) {
        emit failed(problem);
        return;
    }
    m_active = &session;
    session.show();
    emit loupeStarted();
    RunLoupeLoop(session);
    if (const QString ended = session.streamProblem(); !ended.isEmpty()) {
        emit failed(ended);
    }
    // Only an outer live capture can still be waiting, and it ends at its next pass
    // because this one ended with stopLoupe set.
    m_active = outer;
}

void mdlZoom::RunLoupeLoop(LoupeSession& session)
{
    while (session.runPass()) {
    }
}
