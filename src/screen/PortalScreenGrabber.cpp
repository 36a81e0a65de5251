#include "screen/PortalScreenGrabber.h"

#include "screen/PipeWireStream.h"
#include "screen/PortalScreenCast.h"
#include "screen/StreamFrame.h"

namespace {

QString problemText(PortalScreenCast::Outcome outcome)
{
    switch (outcome) {
        case PortalScreenCast::Outcome::Refused:
            return QStringLiteral("画面の共有が許可されなかったため、画面を取り込めません。");
        case PortalScreenCast::Outcome::NoPortal:
            return QStringLiteral(
                "デスクトップのポータル (xdg-desktop-portal) が動いていないため、"
                "画面を取り込めません。");
        case PortalScreenCast::Outcome::Failed:
        case PortalScreenCast::Outcome::Ready:
            break;
    }
    return QStringLiteral("画面の共有を始められなかったため、画面を取り込めません。");
}

const QString kNoPipeWire = QStringLiteral("PipeWire に接続できないため、画面を取り込めません。");
const QString kStreamEnded = QStringLiteral("画面の共有が終了したため、取り込みを止めました。");

}  // namespace

bool StreamGrabber::grab(const QRect& deviceArea, QImage& into)
{
    // The frame is the monitor in device pixels, its top left at the desktop's origin.
    QImage region = streamframe::copyRegion(newestFrame(), deviceArea);
    if (region.isNull()) {
        return false;
    }
    into = std::move(region);
    return true;
}

PortalScreenGrabber::PortalScreenGrabber(const QString& tokenFolder, QDBusConnection bus,
                                         const QString& service, QObject* parent)
    : StreamGrabber(parent),
      m_tokens(tokenFolder),
      m_portal(std::make_unique<PortalScreenCast>(std::move(bus), service)),
      m_stream(std::make_unique<PipeWireStream>())
{
    connect(m_stream.get(), &PipeWireStream::frameArrived, this, &StreamGrabber::frameArrived);
    connect(m_stream.get(), &PipeWireStream::ended, this, &PortalScreenGrabber::onStreamEnded);
    connect(m_portal.get(), &PortalScreenCast::closed, this, &PortalScreenGrabber::onStreamEnded);
    connect(
        m_portal.get(), &PortalScreenCast::started, this,
        [this](PortalScreenCast::Outcome outcome) { onPortalStarted(static_cast<int>(outcome)); });
}

PortalScreenGrabber::~PortalScreenGrabber()
{
    m_stream->close();
    m_portal->close();
}

QString PortalScreenGrabber::portalService()
{
    return QStringLiteral("org.freedesktop.portal.Desktop");
}

bool PortalScreenGrabber::startStream(QString& /*problem*/)
{
    // A live capture that ends leaves the stream's node but keeps the session; the
    // next one joins the node again without asking the user.
    if (m_stream->isOpen() && m_portal->isRunning() && m_stream->setActive(true)) {
        return true;
    }
    m_stream->close();
    m_reused = m_portal->isRunning();
    m_starting = true;
    m_portal->start(m_tokens.load());
    return true;
}

bool PortalScreenGrabber::isStreaming() const
{
    return !m_starting && m_stream->isOpen();
}

void PortalScreenGrabber::onPortalStarted(int started)
{
    if (!m_starting) {
        return;
    }
    m_starting = false;
    const auto outcome = static_cast<PortalScreenCast::Outcome>(started);
    if (outcome != PortalScreenCast::Outcome::Ready) {
        emit streamEnded(problemText(outcome));
        return;
    }
    if (!m_reused) {
        // A token is good for one start; the portal hands out the next one.
        m_tokens.save(m_portal->restoreToken());
    }
    const int fd = m_portal->openPipeWireRemote();
    if (fd < 0 || !m_stream->open(fd, m_portal->node())) {
        m_portal->close();
        emit streamEnded(kNoPipeWire);
        return;
    }
    emit streamStarted();
}

void PortalScreenGrabber::stopStream()
{
    if (m_starting) {
        // The portal drops the request, and its dialog with it.
        m_starting = false;
        m_portal->close();
        return;
    }
    m_stream->setActive(false);
}

void PortalScreenGrabber::forgetSession()
{
    // The next start asks the portal anew, with the kept permission: nobody is asked.
    m_starting = false;
    m_stream->close();
    m_portal->close();
}

QImage PortalScreenGrabber::newestFrame() const
{
    return m_stream->newestFrame();
}

void PortalScreenGrabber::onStreamEnded()
{
    if (!m_stream->isOpen()) {
        return;
    }
    m_stream->close();
    m_portal->close();
    emit streamEnded(kStreamEnded);
}
