#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

// Drives the headless sway desktop the Wayland tests run in: its IPC places windows
// (a Wayland client cannot), wtype types.
namespace waylanddesk {

// Runs a sway command on the window with the given title, once the compositor knows
// it by that title (at most ten seconds).
inline bool onWindow(const QString& title, const QString& command)
{
    const QStringList arguments{QStringLiteral("-q"),
                                QStringLiteral("[title=\"%1\"] %2").arg(title, command)};
    QDeadlineTimer deadline(10000);
    while (QProcess::execute(QStringLiteral("swaymsg"), arguments) != 0) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(50);
    }
    return true;
}

inline bool moveWindow(const QString& title, const QPoint& to)
{
    return onWindow(title, QStringLiteral("move position %1 %2").arg(to.x()).arg(to.y()));
}

// A copy with damage sends frames only when the output changes: set the background
// again (sway restarts its background client, which repaints the output).
inline void damageOutput()
{
    QProcess::execute(
        QStringLiteral("swaymsg"),
        {QStringLiteral("-q"), QStringLiteral("output HEADLESS-1 bg #203040 solid_color")});
}

// How often the desktop's portal has asked the user which screen to share.
inline int timesAsked()
{
    QFile log(qEnvironmentVariable("CHOOSER_LOG"));
    return log.open(QIODevice::ReadOnly) ? static_cast<int>(log.readAll().count('\n')) : 0;
}

// The headless seat has a keyboard only while a virtual one exists, and a client
// binds it only after it has appeared: keys typed by a short-lived wtype would be
// lost. This holds a virtual keyboard (a wtype reading from a pipe left open) for
// its lifetime, so that later keys reach the focused window.
class Keyboard
{
public:
    Keyboard()
    {
        m_holder.start(QStringLiteral("wtype"), {QStringLiteral("-")});
        m_holder.waitForStarted();
    }
    ~Keyboard()
    {
        m_holder.closeWriteChannel();
        if (!m_holder.waitForFinished(5000)) {
            m_holder.kill();
            m_holder.waitForFinished();
        }
    }
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    // Presses and releases `key` (an XKB name, e.g. Return) in the focused window.
    static bool type(const QString& key)
    {
        return QProcess::execute(QStringLiteral("wtype"), {QStringLiteral("-k"), key}) == 0;
    }

private:
    QProcess m_holder;
};

}  // namespace waylanddesk
