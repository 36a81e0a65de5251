#include "capture/LoupeSession.h"

#include "capture/CaptureScreen.h"
#include "capture/LoupeStreamFeed.h"
#include "capture/PreviewSnapshot.h"
#include "capture/ScreenFit.h"
#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "common/DevicePixels.h"
#include "common/Numbers.h"
#include "common/SelectionState.h"
#include "screen/ScreenGrabber.h"
#include "screen/StreamGrabber.h"

#include <QEventLoop>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace {

const QString kMoveLoupe = QStringLiteral("ルーペを動かしてください");

// One frame of the screen's refresh rate, in whole milliseconds.
int frameMilliseconds(const QScreen* screen)
{
    const double rate = screen ? screen->refreshRate() : 60.0;
    const double clamped = std::clamp(std::isfinite(rate) ? rate : 60.0, 24.0, 240.0);
    return numbers::floorToInt(1000.0 / clamped);
}

}  // namespace

LoupeSession::LoupeSession(const SelectionState& selection, const CaptureScale& scale,
                           ScreenGrabber& grabber, CaptureHandler onCapture)
    : m_selection(selection),
      m_grabber(grabber),
      m_onCapture(std::move(onCapture)),
      m_loupe(std::make_unique<frmLoupe>(
          loupegeometry::loupeFrame(selection.capture, scale, selection.frame), nullptr,
          dynamic_cast<StreamGrabber*>(&grabber) ? frmLoupe::Kind::Marked
                                                 : frmLoupe::Kind::Shaped)),
      m_screen(capturescreen::screen()),
      m_preview(std::make_unique<frmPreview>(
          selection.capture, selection.frame,
          screenfit::previewPercent(selection.capture, selection.frame,
                                    capturescreen::availableArea(m_screen).size())))
{
    // A picture the grabber can show without a repaint, where it has one.
    const QImage surface = m_grabber.makeSurface(m_preview->surface().size());
    if (!surface.isNull()) {
        m_preview->surface() = surface;
        m_preview->surface().fill(Qt::black);
    }
    QObject::connect(m_loupe.get(), &frmLoupe::moved, m_loupe.get(),
                     [this] { m_sourceKnown = false; });
    QObject::connect(m_loupe.get(), &frmLoupe::enterPressed, m_loupe.get(),
                     [this] { CaptureOnEnter(true); });
    QObject::connect(m_preview.get(), &frmPreview::enterPressed, m_preview.get(),
                     [this] { CaptureOnEnter(false); });
    if (auto* stream = dynamic_cast<StreamGrabber*>(&grabber)) {
        m_feed = std::make_unique<LoupeStreamFeed>(*stream, *m_loupe, *m_preview);
        m_preview->markCaption();
    }
}

bool LoupeSession::openStream(QString& problem)
{
    return !m_feed || m_feed->start(problem);
}

bool LoupeSession::waitForStream()
{
    while (m_feed && !m_stopped && !m_feed->isReady() && m_feed->problem().isEmpty()) {
        if (!m_feed->waitForFrame()) {
            stop();
        }
    }
    if (m_stopped || !streamProblem().isEmpty()) {
        stop();
        hideWindows();
        return false;
    }
    return true;
}

QString LoupeSession::streamProblem() const
{
    return m_feed ? m_feed->problem() : QString();
}

LoupeSession::~LoupeSession() = default;

void LoupeSession::show()
{
    // Both open on the screen whose available area sized the preview; a window
    // manager that places windows itself (Wayland's) may put them elsewhere.
    const QScreen* screen = m_screen;
    const QRect available = capturescreen::availableArea(screen);
    const QRect whole = screen ? screen->geometry() : available;

    m_preview->show();
    // The full-screen client area is the available area less one caption bar.
    const int caption = m_preview->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const CaptureSize shown = screenfit::shownSize(m_selection.capture, m_preview->percent());
    // The caption bars stay on the screen, so that the windows can be dragged; a
    // preview scaled down to fit is wholly on the screen.
    const int previewKept =
        m_preview->isScaled() ? m_preview->height() : m_preview->clientRect().top();
    m_preview->move(screenfit::keepInside(loupegeometry::previewTopLeft(available, caption, shown),
                                          m_preview->size(), previewKept, available));
    const LoupeFrame& loupeFrame = m_loupe->loupeFrame();
    m_loupe->move(screenfit::keepInside(loupegeometry::loupeTopLeft(whole, loupeFrame),
                                        loupeFrame.outer.size(), loupeFrame.frameHeight,
                                        available));
    m_loupe->show();
    m_loupe->activateWindow();
    m_frameMilliseconds = frameMilliseconds(screen);
}

bool LoupeSession::runPass()
{
    if (m_stopped) {
        hideWindows();
        return false;
    }
    if (m_feed) {
        if (!m_feed->waitForFrame()) {
            stop();
        }
        if (m_stopped || !m_feed->problem().isEmpty()) {
            stop();
            hideWindows();
            return false;
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
    if (wait.exec() == -1) {
        // The program is ending: no more events are served, so no more passes.
        stop();
    }
    m_nextFrame += m_frameMilliseconds;
}

QRect LoupeSession::sourceDeviceRect()
{
    if (!m_sourceKnown) {
        const QWindow* window = m_loupe->windowHandle();
        const double ratio = window ? window->devicePixelRatio() : m_loupe->devicePixelRatioF();
        const QPoint topLeft = window ? m_grabber.deviceTopLeft(*window)
                                      : devicepixels::toDevice(m_loupe->pos(), ratio);
        m_source = loupegeometry::deviceSourceRect(topLeft, m_loupe->loupeFrame(), ratio);
        // Until the window is on the screen its position may still change unannounced.
        m_sourceKnown = window && window->isExposed();
    }
    return m_source;
}

bool LoupeSession::copyOnServer()
{
    // Only one to one, shown as it is: the window system neither scales nor repeats
    // pixels.
    const QWindow* window = m_preview->windowHandle();
    if (m_feed || window == nullptr) {
        return false;
    }
    const QRect source = sourceDeviceRect();
    if (m_preview->isScaled() || source.size() != m_preview->surface().size() ||
        !m_grabber.copyToWindow(source, *window, m_preview->clientRect().topLeft())) {
        return false;
    }
    m_pictureStale = true;
    return true;
}

bool LoupeSession::takePicture(bool& changed)
{
    if (m_feed) {
        // The stream's newest frame, cut at the hole found in it.
        QImage hole = m_feed->takeHole();
        if (hole.isNull()) {
            return false;
        }
        m_grab = std::move(hole);
    } else if (!m_grabber.grab(sourceDeviceRect(), m_grab)) {
        return false;
    }
    changed = m_stretch.stretch(m_grab, m_preview->surface());
    m_pictureStale = false;
    return true;
}

bool LoupeSession::holeCoversPreview()
{
    if (m_feed) {
        return m_feed->holeCoversPreview();
    }
    // Where the program places the windows it knows where both are.
    const QRect hole = m_loupe->loupeFrame().hole.translated(m_loupe->pos());
    return m_preview->isVisible() && m_loupe->isVisible() &&
           hole.intersects(m_preview->frameGeometry());
}

void LoupeSession::copyScreen(bool evenIfUnchanged)
{
    // The preview under the hole would show itself, a picture within a picture, until
    // the loupe is moved away: it asks for that instead.
    if (!m_feed && holeCoversPreview()) {
        m_preview->setNotice(kMoveLoupe);
        return;
    }
    if (copyOnServer()) {
        m_preview->setNotice({});
        return;
    }
    // A desktop that has not changed under the hole needs no new picture on the screen.
    bool changed = false;
    if (!takePicture(changed)) {
        return;
    }
    if (holeCoversPreview()) {
        m_preview->setNotice(kMoveLoupe);
        return;
    }
    const bool noticeGone = !m_preview->notice().isEmpty();
    m_preview->setNotice({});
    if (changed || evenIfUnchanged || noticeGone) {
        m_preview->showSurface(m_grabber);
    }
}

void LoupeSession::CaptureOnEnter(bool fromLoupe)
{
    // The window system has been showing the desktop without the picture: it is
    // taken now, before the preview comes to the front (it may lie under the hole).
    // Without it the preview's picture is an old one: the live capture goes on, and
    // the next Enter tries again.
    if (m_pictureStale) {
        bool changed = false;
        if (!takePicture(changed)) {
            return;
        }
    }
    stop();
    if (fromLoupe) {
        m_preview->raise();
        m_preview->activateWindow();
    }
    const QImage snapshot = composePreviewSnapshot(m_preview->surface(), m_selection.capture,
                                                   m_selection.frame, m_preview->windowTitle());
    // The windows go before the picture is handed on: what follows (the main window,
    // a message) must not open under them.
    hideWindows();
    if (m_onCapture) {
        m_onCapture(snapshot);
    }
}

void LoupeSession::stop()
{
    m_stopped = true;
}

void LoupeSession::hideWindows()
{
    if (m_feed) {
        m_feed->stop();
    }
    m_preview->hide();
    m_loupe->hide();
}
