#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <cstdint>
#include <memory>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

// The desktop portal's screen cast of one monitor (org.freedesktop.portal.ScreenCast),
// spoken through QtDBus. The steps run one after another from the program's event
// loop, each on the portal's answer: nothing here waits, so ending the program or
// the capture ends a pending step at once.
class PortalScreenCast : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { Ready, Refused, NoPortal, Failed };

    // `service`: the portal's bus name (another one in tests).
    explicit PortalScreenCast(QDBusConnection bus, QString service, QObject* parent = nullptr);
    ~PortalScreenCast() override;

    // Opens a session and starts the cast, passing `restoreToken` so that the user is
    // not asked again; started() tells how it went. A running session is kept (and
    // told at once); a start under way goes on.
    void start(const QString& restoreToken);

    bool isStarting() const { return m_step != Step::None; }
    bool isRunning() const { return !m_session.isEmpty() && m_node != 0 && !isStarting(); }
    std::uint32_t node() const { return m_node; }
    // The token the portal gave at the last start (empty when it gave none).
    const QString& restoreToken() const { return m_token; }

    // A new PipeWire connection to the cast; -1 when the portal refuses it. The
    // caller owns the descriptor.
    int openPipeWireRemote();

    // Ends the session, and the step under way (the portal takes its dialog away);
    // started() is not told.
    void close();

signals:
    void started(PortalScreenCast::Outcome outcome);
    // The portal or the desktop ended the running session.
    void closed();

private slots:
    void onResponse(uint code, const QVariantMap& results);
    void onSessionClosed();

private:
    enum class Step { None, CreateSession, SelectSources, SelectSourcesPlainly, Start };

    void ask(Step step, const QString& method, QList<QVariant> arguments, QVariantMap options);
    void onCallFinished();
    void selectSourcesPlainly();
    void onAnswer(const QString& request, uint code, const QVariantMap& results);
    void next(const QVariantMap& results);
    void finish(Outcome outcome);
    // Stops listening for the step's answer; the portal is told to drop it when asked.
    void endStep(bool tellPortal);
    QString senderPart() const;
    QVariantMap sourceOptions(bool plainly) const;
    // No longer listens for the session's end and holds neither it nor its stream.
    void forgetSession();

    QDBusConnection m_bus;
    QString m_service;
    QString m_session;
    QString m_token;
    QString m_restoreToken;  // the one passed to the start under way
    std::uint32_t m_node = 0;
    QString m_tokenPrefix;
    unsigned m_counter = 0;
    // The step under way: its call, the request it opened, its deadline.
    Step m_step = Step::None;
    QString m_request;
    std::unique_ptr<QDBusPendingCallWatcher> m_call;
    std::unique_ptr<QDBusServiceWatcher> m_gone;
    QTimer m_deadline;
};
