#include "capture/LoupeStreamFeed.h"

#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "common/DevicePixels.h"
#include "screen/StreamGrabber.h"

#include <QEventLoop>
#include <QObject>
#include <QScreen>
#include <QString>
#include <QTimer>
#include <utility>

namespace {

// How long a wait lasts without frames: a stop asked for by a handler is seen
// within it, and it costs nothing measurable while the screen is still.
constexpr int kLongestWaitMilliseconds = 100;
// How long a started stream may stay without any frame: a desktop sends its first
// frame at once or after the loupe's first repaint. After the first wait the capture
// starts a session of its own; after the second it gives up.
constexpr int kFirstFrameMilliseconds = 3000;
constexpr int kFreshFirstFrameMilliseconds = 5000;

const QString kNoFrames =
    QStringLiteral("画面の映像が届かないため、取り込みを止めました。もう一度お試しください。");

// Device pixels to a logical pixel in a frame of the loupe's screen.
double frameRatio(const QImage& frame, const frmLoupe& loupe)
{
    const QScreen* screen = loupe.screen();
    return devicepixels::outputRatio(frame.width(), screen ? screen->geometry().width() : 0,
                                     loupe.devicePixelRatioF());
}

}  // namespace

LoupeStreamFeed::LoupeStreamFeed(StreamGrabber& grabber, frmLoupe& loupe, const frmPreview& preview)
    : m_grabber(grabber), m_loupe(loupe), m_preview(preview), m_tracker(loupe.loupeFrame())
{
    QObject::connect(&m_grabber, &StreamGrabber::frameArrived, &m_receiver, [this] { onFrame(); });
    QObject::connect(&m_grabber, &StreamGrabber::streamStarted, &m_receiver, [this] {
        onReady();
        if (m_waiting) {
            m_waiting->quit();
        }
    });
    QObject::connect(&m_grabber, &StreamGrabber::streamEnded, &m_receiver,
                     [this](const QString& problem) { onEnded(problem); });
}

void LoupeStreamFeed::onFrame()
{
    m_fresh = true;
    m_any = true;
    if (m_waiting) {
        m_waiting->quit();
    }
}

void LoupeStreamFeed::onEnded(const QString& problem)
{
    if (!m_running) {
        return;
    }
    m_problem = problem;
    m_running = false;
    if (m_waiting) {
        m_waiting->quit();
    }
}

LoupeStreamFeed::~LoupeStreamFeed()
{
    stop();
}

bool LoupeStreamFeed::start(QString& problem)
{
    m_problem.clear();
    if (!m_grabber.startStream(problem)) {
        return false;
    }
    m_running = true;
    m_any = false;
    m_ready = false;
    if (m_grabber.isStreaming()) {
        onReady();
    }
    return true;
}

void LoupeStreamFeed::onReady()
{
    if (m_running && !m_ready) {
        m_ready = true;
        m_firstFrameDue.setRemainingTime(m_startedAfresh ? kFreshFirstFrameMilliseconds
                                                         : kFirstFrameMilliseconds);
    }
}

bool LoupeStreamFeed::waitForFrame()
{
    if (!m_running || m_fresh) {
        return true;
    }
    QEventLoop wait;
    QTimer longest;
    longest.setSingleShot(true);
    QObject::connect(&longest, &QTimer::timeout, &wait, &QEventLoop::quit);
    longest.start(kLongestWaitMilliseconds);
    QEventLoop* outer = std::exchange(m_waiting, &wait);
    // Once the program has been told to end, a loop returns at once without serving
    // anything.
    const bool served = wait.exec() != -1;
    m_waiting = outer;
    if (!served) {
        return false;
    }
    if (m_ready && !m_any && m_firstFrameDue.hasExpired()) {
        // The desktop's session, kept from an earlier capture, may have outlived its
        // monitor (another scale or resolution since): once, a new one is started.
        m_grabber.forgetSession();
        m_running = false;
        QString problem;
        if (!std::exchange(m_startedAfresh, true) && start(problem)) {
            return true;
        }
        m_problem = problem.isEmpty() ? kNoFrames : problem;
        stop();
        return true;
    }
    if (m_ready && !m_any) {
        // A desktop that copies only what changed sends the first frame after a
        // change: the loupe repaints itself until one has come.
        m_loupe.update();
    }
    return true;
}

QImage LoupeStreamFeed::takeHole()
{
    if (!m_fresh) {
        return {};
    }
    m_fresh = false;
    const QImage frame = m_grabber.newestFrame();
    const double ratio = frameRatio(frame, m_loupe);
    QImage hole = m_tracker.holePixels(frame, ratio);
    if (hole.isNull()) {
        m_coversPreview = false;
        return hole;
    }
    m_previewMarker =
        loupemarker::find(frame, ratio, m_previewMarker, 64, loupemarker::Pattern::Preview);
    if (m_previewMarker) {
        const QRect preview = devicepixels::edgesToDevice(
            QRect(*m_previewMarker - loupemarker::placeIn(m_preview.width()), m_preview.size()),
            ratio);
        m_coversPreview = preview.intersects(m_tracker.lastHole());
    } else {
        m_coversPreview = m_preview.isVisible() && m_preview.screen() == m_loupe.screen();
    }
    return hole;
}

void LoupeStreamFeed::stop()
{
    if (m_running) {
        m_running = false;
        m_ready = false;
        m_grabber.stopStream();
    }
    // A pass waiting for a frame that will not come now goes on at once.
    if (m_waiting) {
        m_waiting->quit();
    }
}
