#include "screen/PortalScreenCast.h"

#include <fcntl.h>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QMetaObject>
#include <QRandomGenerator>

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenCast = QStringLiteral("org.freedesktop.portal.ScreenCast");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");
constexpr uint kMonitor = 1;
constexpr uint kCursorHidden = 1;
constexpr uint kPersistUntilRevoked = 2;
// A step answers at once; the start may wait for the user's choice.
constexpr int kStepTimeout = 30 * 1000;
constexpr int kUserTimeout = 10 * 60 * 1000;

// The PipeWire node of a Start answer; 0 when there is none. A portal may answer with
// more than one stream: the last is the one asked for.
std::uint32_t lastNode(const QVariant& streams)
{
    if (!streams.canConvert<QDBusArgument>()) {
        return 0;
    }
    const QDBusArgument argument = streams.value<QDBusArgument>();
    std::uint32_t node = 0;
    argument.beginArray();
    while (!argument.atEnd()) {
        uint id = 0;
        QVariantMap properties;
        argument.beginStructure();
        argument >> id >> properties;
        argument.endStructure();
        node = id;
    }
    argument.endArray();
    return node;
}

bool isMissingService(const QDBusError& error)
{
    return error.type() == QDBusError::ServiceUnknown || error.type() == QDBusError::NoServer ||
           error.type() == QDBusError::UnknownInterface ||
           error.type() == QDBusError::UnknownObject || error.type() == QDBusError::UnknownMethod;
}

}  // namespace

PortalScreenCast::PortalScreenCast(QDBusConnection bus, QString service, QObject* parent)
    : QObject(parent),
      m_bus(std::move(bus)),
      m_service(std::move(service)),
      // The portal names requests and sessions by the connection and this token: a
      // second cast on the same connection (a new grabber) must not reuse a name
      // whose session the portal may not have let go of yet.
      m_tokenPrefix(QStringLiteral("sorakado_%1_")
                        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))),
      m_gone(std::make_unique<QDBusServiceWatcher>(m_service, m_bus,
                                                   QDBusServiceWatcher::WatchForUnregistration))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (isStarting()) {
            finish(Outcome::Failed);
        }
    });
    // A portal that goes away answers nothing more.
    connect(m_gone.get(), &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        if (isStarting()) {
            finish(Outcome::Failed);
        }
    });
}

PortalScreenCast::~PortalScreenCast()
{
    close();
}

QString PortalScreenCast::senderPart() const
{
    QString name = m_bus.baseService();
    return name.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
}

void PortalScreenCast::start(const QString& restoreToken)
{
    if (isStarting()) {
        return;
    }
    if (isRunning() || !m_bus.isConnected()) {
        // Told from the event loop, as every other answer is.
        const Outcome outcome = isRunning() ? Outcome::Ready : Outcome::NoPortal;
        QMetaObject::invokeMethod(
            this, [this, outcome] { emit started(outcome); }, Qt::QueuedConnection);
        return;
    }
    close();
    m_restoreToken = restoreToken;
    m_token.clear();
    ask(Step::CreateSession, QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), m_tokenPrefix + QString::number(++m_counter)}});
}

QVariantMap PortalScreenCast::sourceOptions(bool plainly) const
{
    QVariantMap sources{{QStringLiteral("types"), kMonitor}, {QStringLiteral("multiple"), false}};
    if (plainly) {
        // An older portal knows neither the hidden cursor nor keeping the choice.
        return sources;
    }
    sources.insert(QStringLiteral("cursor_mode"), kCursorHidden);
    sources.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
    if (!m_restoreToken.isEmpty()) {
        sources.insert(QStringLiteral("restore_token"), m_restoreToken);
    }
    return sources;
}

void PortalScreenCast::ask(Step step, const QString& method, QList<QVariant> arguments,
                           QVariantMap options)
{
    m_step = step;
    const QString token = m_tokenPrefix + QString::number(++m_counter);
    options.insert(QStringLiteral("handle_token"), token);
    m_request = kPath + QStringLiteral("/request/") + senderPart() + QLatin1Char('/') + token;
    // Listening before asking: the answer may come before the call returns.
    m_bus.connect(m_service, m_request, kRequest, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));
    QDBusMessage call = QDBusMessage::createMethodCall(m_service, kPath, kScreenCast, method);
    arguments.append(options);
    call.setArguments(arguments);
    m_call = std::make_unique<QDBusPendingCallWatcher>(m_bus.asyncCall(call, kStepTimeout));
    connect(m_call.get(), &QDBusPendingCallWatcher::finished, this,
            &PortalScreenCast::onCallFinished);
    m_deadline.start(step == Step::Start ? kUserTimeout : kStepTimeout);
}

void PortalScreenCast::selectSourcesPlainly()
{
    endStep(false);
    ask(Step::SelectSourcesPlainly, QStringLiteral("SelectSources"),
        {QVariant::fromValue(QDBusObjectPath(m_session))}, sourceOptions(true));
}

void PortalScreenCast::onCallFinished()
{
    if (!m_call || !m_call->isError()) {
        return;  // the request's answer follows
    }
    const bool missing = isMissingService(m_call->error());
    if (m_step == Step::SelectSources && !missing) {
        selectSourcesPlainly();
        return;
    }
    finish(missing ? Outcome::NoPortal : Outcome::Failed);
}

void PortalScreenCast::onResponse(uint code, const QVariantMap& results)
{
    // Handled from the event loop, where the step may stop listening to the request.
    QMetaObject::invokeMethod(
        this, [this, request = m_request, code, results] { onAnswer(request, code, results); },
        Qt::QueuedConnection);
}

void PortalScreenCast::onAnswer(const QString& request, uint code, const QVariantMap& results)
{
    // 0: done; 1: the user said no; 2: ended some other way.
    if (m_step == Step::None || request != m_request) {
        return;
    }
    if (code == 0) {
        next(results);
    } else if (code == 1) {
        finish(Outcome::Refused);
    } else if (m_step == Step::SelectSources) {
        selectSourcesPlainly();
    } else {
        finish(Outcome::Failed);
    }
}

void PortalScreenCast::next(const QVariantMap& results)
{
    const Step done = m_step;
    endStep(false);
    switch (done) {
        case Step::CreateSession:
            m_session = results.value(QStringLiteral("session_handle")).toString();
            if (m_session.isEmpty()) {
                finish(Outcome::Failed);
                return;
            }
            m_bus.connect(m_service, m_session, kSession, QStringLiteral("Closed"), this,
                          SLOT(onSessionClosed()));
            ask(Step::SelectSources, QStringLiteral("SelectSources"),
                {QVariant::fromValue(QDBusObjectPath(m_session))}, sourceOptions(false));
            return;
        case Step::SelectSources:
        case Step::SelectSourcesPlainly:
            ask(Step::Start, QStringLiteral("Start"),
                {QVariant::fromValue(QDBusObjectPath(m_session)), QString()}, {});
            return;
        case Step::Start:
            m_node = lastNode(results.value(QStringLiteral("streams")));
            m_token = results.value(QStringLiteral("restore_token")).toString();
            finish(m_node != 0 ? Outcome::Ready : Outcome::Failed);
            return;
        case Step::None:
            return;
    }
}

void PortalScreenCast::finish(Outcome outcome)
{
    endStep(false);
    if (outcome != Outcome::Ready) {
        close();
    }
    emit started(outcome);
}

void PortalScreenCast::endStep(bool tellPortal)
{
    if (m_step == Step::None) {
        return;
    }
    m_step = Step::None;
    m_deadline.stop();
    m_call.reset();
    m_bus.disconnect(m_service, m_request, kRequest, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
    if (tellPortal && m_bus.isConnected()) {
        // The portal takes the request's dialog away, if it shows one.
        m_bus.call(
            QDBusMessage::createMethodCall(m_service, m_request, kRequest, QStringLiteral("Close")),
            QDBus::NoBlock);
    }
    m_request.clear();
}

int PortalScreenCast::openPipeWireRemote()
{
    if (!isRunning()) {
        return -1;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(m_service, kPath, kScreenCast,
                                                       QStringLiteral("OpenPipeWireRemote"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(m_session)), QVariantMap()});
    const QDBusReply<QDBusUnixFileDescriptor> reply = m_bus.call(call, QDBus::Block, kStepTimeout);
    if (!reply.isValid() || !reply.value().isValid()) {
        return -1;
    }
    // The reply's descriptor closes with it: the caller gets a copy of its own.
    return fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 3);
}

void PortalScreenCast::close()
{
    endStep(true);
    if (m_session.isEmpty()) {
        return;
    }
    const QString session = m_session;
    forgetSession();
    if (m_bus.isConnected()) {
        m_bus.call(
            QDBusMessage::createMethodCall(m_service, session, kSession, QStringLiteral("Close")),
            QDBus::NoBlock);
    }
}

void PortalScreenCast::onSessionClosed()
{
    forgetSession();
    emit closed();
}

void PortalScreenCast::forgetSession()
{
    m_bus.disconnect(m_service, m_session, kSession, QStringLiteral("Closed"), this,
                     SLOT(onSessionClosed()));
    m_session.clear();
    m_node = 0;
}
