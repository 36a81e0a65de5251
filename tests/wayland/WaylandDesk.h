#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// Drives the headless sway desktop the Wayland tests run in: its IPC places windows
// (a Wayland client cannot), wtype types.
namespace waylanddesk {

// Serves the program's events for a moment while the desktop catches up.
inline void serveEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

inline int countIn(const QJsonObject& node, const QString& title)
{
    int count = node.value(QStringLiteral("name")).toString() == title ? 1 : 0;
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(QLatin1String(children)).toArray()) {
            count += countIn(child.toObject(), title);
        }
    }
    return count;
}

// How many windows the compositor shows with the given title.
inline int windowsTitled(const QString& title)
{
    QProcess tree;
    tree.start(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
    if (!tree.waitForFinished(10000)) {
        return -1;
    }
    return countIn(QJsonDocument::fromJson(tree.readAllStandardOutput()).object(), title);
}

inline const QJsonObject* findIn(const QJsonObject& node, const QString& title, QJsonObject& found)
{
    if (node.value(QStringLiteral("name")).toString() == title) {
        found = node;
        return &found;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        for (const QJsonValue& child : node.value(QLatin1String(children)).toArray()) {
            if (findIn(child.toObject(), title, found)) {
                return &found;
            }
        }
    }
    return nullptr;
}

// Where the compositor shows the window with the given title; empty when nowhere.
inline QRect windowRect(const QString& title)
{
    QProcess tree;
    tree.start(QStringLiteral("swaymsg"), {QStringLiteral("-t"), QStringLiteral("get_tree")});
    if (!tree.waitForFinished(10000)) {
        return {};
    }
    QJsonObject found;
    if (!findIn(QJsonDocument::fromJson(tree.readAllStandardOutput()).object(), title, found)) {
        return {};
    }
    const QJsonObject rect = found.value(QStringLiteral("rect")).toObject();
    return {rect.value(QStringLiteral("x")).toInt(), rect.value(QStringLiteral("y")).toInt(),
            rect.value(QStringLiteral("width")).toInt(),
            rect.value(QStringLiteral("height")).toInt()};
}

// Waits until the compositor has let go of every window with the given title (a window
// hidden by the program goes a moment later), so that a command on the title reaches
// the next one (at most ten seconds).
inline bool waitUntilGone(const QString& title)
{
    QDeadlineTimer deadline(10000);
    while (windowsTitled(title) != 0) {
        if (deadline.hasExpired()) {
            return false;
        }
        serveEvents();
    }
    return true;
}

// Waits until neither window of a live capture is on the desktop any more.
inline bool waitUntilCaptureGone()
{
    return waitUntilGone(QStringLiteral("ルーペ")) && waitUntilGone(QStringLiteral("プレビュー"));
}

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
        serveEvents();
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

// Gives the output another mode (its pixel size).
inline bool setOutputMode(const QSize& size)
{
    return QProcess::execute(QStringLiteral("swaymsg"),
                             {QStringLiteral("-q"), QStringLiteral("output HEADLESS-1 mode %1x%2")
                                                        .arg(size.width())
                                                        .arg(size.height())}) == 0;
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

// The seat's pointer, from a virtual one (tests/wayland/virtual_pointer.c) that lives
// as long as this object; positions are those of the 1280x1024 output.
class Pointer
{
public:
    Pointer()
    {
        m_process.start(qEnvironmentVariable("VIRTUAL_POINTER"),
                        {QStringLiteral("1280"), QStringLiteral("1024")});
        m_ready = m_process.waitForStarted() && answered("ready");
    }
    ~Pointer()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    Pointer(const Pointer&) = delete;
    Pointer& operator=(const Pointer&) = delete;

    bool isReady() const { return m_ready; }
    bool moveTo(const QPoint& at)
    {
        return command(QStringLiteral("move %1 %2").arg(at.x()).arg(at.y()));
    }
    bool press() { return command(QStringLiteral("press")); }
    bool release() { return command(QStringLiteral("release")); }

private:
    // Sends one command; true once the compositor has taken it.
    bool command(const QString& line)
    {
        m_process.write((line + u'\n').toUtf8());
        return answered("ok");
    }
    bool answered(const char* word)
    {
        QDeadlineTimer deadline(5000);
        while (!m_process.canReadLine()) {
            if (deadline.hasExpired() || !m_process.waitForReadyRead(100)) {
                if (deadline.hasExpired()) {
                    return false;
                }
            }
        }
        return m_process.readLine().trimmed() == word;
    }

    QProcess m_process;
    bool m_ready = false;
};

}  // namespace waylanddesk
