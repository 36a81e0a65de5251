#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <cstdint>

// The desktop portal's screen cast of one monitor (org.freedesktop.portal.ScreenCast),
// spoken through QtDBus. The portal's requests answer by signal; each step here
// waits for its answer while the program's events go on.
class PortalScreenCast : public QObject
{
    Q_OBJECT

public:
    enum class Outcome { Ready, Refused, NoPortal, Failed };

    // `service`: the portal's bus name (another one in tests).
    explicit PortalScreenCast(QDBusConnection bus, QString service, QObject* parent = nullptr);
    ~PortalScreenCast() override;

    // Opens a session and starts the cast, passing `restoreToken` so that the user is
    // not asked again. Keeps a running session.
    Outcome start(const QString& restoreToken);

    bool isRunning() const { return !m_session.isEmpty() && m_node != 0; }
    std::uint32_t node() const { return m_node; }
    // The token the portal gave at the last start (empty when it gave none).
    const QString& restoreToken() const { return m_token; }

    // A new PipeWire connection to the cast; -1 when the portal refuses it. The
    // caller owns the descriptor.
    int openPipeWireRemote();

    // Ends the session.
    void close();

signals:
    // The portal or the desktop ended the session.
    void closed();
    // The request being waited for has answered.
    void answered();

private slots:
    void onResponse(uint code, const QVariantMap& results);
    void onSessionClosed();

private:
    struct Answer
    {
        Outcome outcome = Outcome::Failed;
        QVariantMap results;
    };
    Answer request(const QString& method, QList<QVariant> arguments, QVariantMap options,
                   int timeoutMilliseconds);
    QString senderPart() const;
    Outcome startSession(const QString& restoreToken);
    // No longer listens for the session's end and holds neither it nor its stream.
    void forgetSession();

    QDBusConnection m_bus;
    QString m_service;
    QString m_session;
    QString m_token;
    std::uint32_t m_node = 0;
    QString m_tokenPrefix;
    unsigned m_counter = 0;
    // The answer being waited for.
    bool m_busy = false;
    bool m_answered = false;
    uint m_code = 0;
    QVariantMap m_results;
};
