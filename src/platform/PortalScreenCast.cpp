#include "platform/PortalScreenCast.h"

#include <fcntl.h>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

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

// The first stream's PipeWire node of a Start answer; 0 when there is none.
std::uint32_t firstNode(const QVariant& streams)
{
    if (!streams.canConvert<QDBusArgument>()) {
        return 0;
    }
    const QDBusArgument argument = streams.value<QDBusArgument>();
    std::uint32_t node = 0;
    argument.beginArray();
    while (!argument.atEnd() && node == 0) {
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
                        .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')))
{
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

PortalScreenCast::Answer PortalScreenCast::request(const QString& method, QList<QVariant> arguments,
                                                   QVariantMap options, int timeoutMilliseconds)
{
    Answer answer;
    if (!m_bus.isConnected()) {
        answer.outcome = Outcome::NoPortal;
        return answer;
    }
    const QString token = m_tokenPrefix + QString::number(++m_counter);
    options.insert(QStringLiteral("handle_token"), token);
    const QString handle =
        kPath + QStringLiteral("/request/") + senderPart() + QLatin1Char('/') + token;
    // Listening before asking: the answer may come before the call returns.
    m_answered = false;
    m_bus.connect(m_service, handle, kRequest, QStringLiteral("Response"), this,
                  SLOT(onResponse(uint, QVariantMap)));

    QDBusMessage call = QDBusMessage::createMethodCall(m_service, kPath, kScreenCast, method);
    arguments.append(options);
    call.setArguments(arguments);
    QEventLoop wait;
    QDBusPendingCallWatcher watcher(m_bus.asyncCall(call, kStepTimeout));
    QDBusServiceWatcher gone(m_service, m_bus, QDBusServiceWatcher::WatchForUnregistration);
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&watcher, &QDBusPendingCallWatcher::finished, &wait, &QEventLoop::quit);
    connect(&gone, &QDBusServiceWatcher::serviceUnregistered, &wait, [&wait, &timeout] {
        timeout.stop();
        wait.quit();
    });
    connect(&timeout, &QTimer::timeout, &wait, &QEventLoop::quit);
    connect(this, &PortalScreenCast::answered, &wait, &QEventLoop::quit);
    timeout.start(timeoutMilliseconds);
    // First the call's reply (the request's handle), then the request's answer.
    while (!watcher.isFinished() && timeout.isActive()) {
        wait.exec();
    }
    const bool callFailed = !watcher.isFinished() || watcher.isError();
    while (!callFailed && !m_answered && timeout.isActive()) {
        wait.exec();
    }
    m_bus.disconnect(m_service, handle, kRequest, QStringLiteral("Response"), this,
                     SLOT(onResponse(uint, QVariantMap)));
    if (callFailed) {
        const bool missing = watcher.isFinished() && isMissingService(watcher.error());
        answer.outcome = missing ? Outcome::NoPortal : Outcome::Failed;
        return answer;
    }
    if (!m_answered) {
        return answer;
    }
    // 0: done; 1: the user said no; 2: ended some other way.
    answer.outcome = m_code == 0   ? Outcome::Ready
                     : m_code == 1 ? Outcome::Refused
                                   : Outcome::Failed;
    answer.results = m_results;
    return answer;
}

void PortalScreenCast::onResponse(uint code, const QVariantMap& results)
{
    m_answered = true;
    m_code = code;
    m_results = results;
    emit answered();
}

PortalScreenCast::Outcome PortalScreenCast::start(const QString& restoreToken)
{
    if (isRunning()) {
        return Outcome::Ready;
    }
    if (m_busy) {
        return Outcome::Failed;
    }
    m_busy = true;
    const Outcome outcome = startSession(restoreToken);
    m_busy = false;
    if (outcome != Outcome::Ready) {
        close();
    }
    return outcome;
}

PortalScreenCast::Outcome PortalScreenCast::startSession(const QString& restoreToken)
{
    const Answer created = request(
        QStringLiteral("CreateSession"), {},
        {{QStringLiteral("session_handle_token"), m_tokenPrefix + QString::number(++m_counter)}},
        kStepTimeout);
    if (created.outcome != Outcome::Ready) {
        return created.outcome;
    }
    m_session = created.results.value(QStringLiteral("session_handle")).toString();
    if (m_session.isEmpty()) {
        return Outcome::Failed;
    }
    m_bus.connect(m_service, m_session, kSession, QStringLiteral("Closed"), this,
                  SLOT(onSessionClosed()));
    const QDBusObjectPath session(m_session);

    QVariantMap sources{{QStringLiteral("types"), kMonitor},
                        {QStringLiteral("multiple"), false},
                        {QStringLiteral("cursor_mode"), kCursorHidden},
                        {QStringLiteral("persist_mode"), kPersistUntilRevoked}};
    if (!restoreToken.isEmpty()) {
        sources.insert(QStringLiteral("restore_token"), restoreToken);
    }
    Answer selected = request(QStringLiteral("SelectSources"), {QVariant::fromValue(session)},
                              sources, kStepTimeout);
    if (selected.outcome == Outcome::Failed) {
        // An older portal knows neither the hidden cursor nor keeping the choice.
        sources.remove(QStringLiteral("cursor_mode"));
        sources.remove(QStringLiteral("persist_mode"));
        sources.remove(QStringLiteral("restore_token"));
        selected = request(QStringLiteral("SelectSources"), {QVariant::fromValue(session)}, sources,
                           kStepTimeout);
    }
    if (selected.outcome != Outcome::Ready) {
        return selected.outcome;
    }
    const Answer started = request(QStringLiteral("Start"),
                                   {QVariant::fromValue(session), QString()}, {}, kUserTimeout);
    if (started.outcome != Outcome::Ready) {
        return started.outcome;
    }
    m_node = firstNode(started.results.value(QStringLiteral("streams")));
    m_token = started.results.value(QStringLiteral("restore_token")).toString();
    return m_node != 0 ? Outcome::Ready : Outcome::Failed;
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
