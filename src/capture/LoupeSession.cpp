#include "capture/LoupeSession.h"

#include "capture/LoupeStreamFeed.h"
#include "capture/PreviewSnapshot.h"
#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "common/Numbers.h"
#include "common/SelectionState.h"
#include "platform/ScreenGrabber.h"
#include "platform/StreamGrabber.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace {

// One frame of the screen's refresh rate, in whole milliseconds.
int frameMilliseconds(const QScreen* screen)
{
    const double rate = screen ? screen->refreshRate() : 60.0;
    const double clamped = std::clamp(std::isfinite(rate) ? rate : 60.0, 24.0, 240.0);
    return numbers::floorToInt(1000.0 / clamped);
}

}  // namespace

LoupeSession::LoupeSession(SelectionState& selection, const CaptureScale& scale,
                           ScreenGrabber& grabber, CaptureHandler onCapture)
    : m_selection(selection),
      m_grabber(grabber),
      m_onCapture(std::move(onCapture)),
      m_loupe(std::make_unique<frmLoupe>(
          loupegeometry::loupeFrame(selection.capture, scale, selection.frame), nullptr,
          dynamic_cast<StreamGrabber*>(&grabber) ? frmLoupe::Kind::Marked
                                                 : frmLoupe::Kind::Shaped)),
      m_preview(std::make_unique<frmPreview>(
          QSize(selection.capture.workWidth, selection.capture.workHeight)))
{
    QObject::connect(m_loupe.get(), &frmLoupe::enterPressed, m_loupe.get(),
                     [this] { CaptureOnEnter(true); });
    QObject::connect(m_preview.get(), &frmPreview::enterPressed, m_preview.get(),
                     [this] { CaptureOnEnter(false); });
    if (auto* stream = dynamic_cast<StreamGrabber*>(&grabber)) {
        m_feed = std::make_unique<LoupeStreamFeed>(*stream, *m_loupe);
    }
}

bool LoupeSession::openStream(QString& problem)
{
    return !m_feed || m_feed->start(problem);
}

QString LoupeSession::streamProblem() const
{
    return m_feed ? m_feed->problem() : QString();
}

LoupeSession::~LoupeSession() = default;

void LoupeSession::show()
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QRect whole = screen ? screen->geometry() : available;

    m_preview->show();
    // The window manager's caption height once it has framed the preview; until
    // then the style's.
    const int framedCaption =
        m_preview->windowHandle() ? m_preview->windowHandle()->frameMargins().top() : 0;
    const int caption = framedCaption > 0
                            ? framedCaption
                            : m_preview->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    m_preview->move(loupegeometry::previewTopLeft(available, caption, m_selection.capture));
    m_loupe->move(loupegeometry::loupeTopLeft(whole, m_loupe->loupeFrame()));
    m_loupe->show();
    m_loupe->activateWindow();
    m_frameMilliseconds = frameMilliseconds(screen);
}

bool LoupeSession::runPass()
{
    if (m_selection.stopLoupe) {
        hideWindows();
        return false;
    }
    if (m_feed) {
        m_feed->waitForFrame();
        if (!m_feed->problem().isEmpty()) {
            m_selection.stopLoupe = true;
            return runPass();
        }
    } else {
        waitOneFrame();
    }
    copyScreen();
    return true;
}

void LoupeSession::waitOneFrame()
{
    // Serve the user's events (dragging the loupe, the scale dialog, Enter) until
    // the next frame is due; the loop so follows the display without spinning.
    // The frames keep their own rhythm: the time a pass takes comes out of the wait.
    if (m_nextFrame.hasExpired() || m_nextFrame.isForever()) {
        m_nextFrame.setRemainingTime(m_frameMilliseconds, Qt::PreciseTimer);
    }
    QEventLoop wait;
    QTimer tick;
    tick.setSingleShot(true);
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &wait, &QEventLoop::quit);
    tick.start(static_cast<int>(m_nextFrame.remainingTime()));
    wait.exec();
    m_nextFrame += m_frameMilliseconds;
}

void LoupeSession::copyScreen()
{
    QImage grabbed = m_feed ? m_feed->takeHole() : m_grabber.grab(m_loupe->sourceRect());
    // A desktop that has not changed under the hole needs no new picture and no repaint.
    if (grabbed.isNull() || grabbed == m_lastGrab) {
        return;
    }
    m_stretch.stretch(grabbed, m_preview->surface());
    m_lastGrab = std::move(grabbed);
    m_preview->update();
}

void LoupeSession::CaptureOnEnter(bool fromLoupe)
{
    m_selection.stopLoupe = true;
    if (fromLoupe) {
        m_preview->raise();
        m_preview->activateWindow();
    }
    const QImage snapshot = composePreviewSnapshot(m_preview->surface(), m_selection.capture,
                                                   m_selection.frame, m_preview->windowTitle());
    if (m_onCapture) {
        m_onCapture(snapshot);
    }
}

void LoupeSession::hideWindows()
{
    if (m_feed) {
        m_feed->stop();
    }
    m_preview->hide();
    m_loupe->hide();
}
