#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
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

// Drives the headless desktop the Wayland tests run in, sway or GNOME, the same way
// for both: sway's IPC or gnome-shell's Eval finds and places windows (a Wayland
// client cannot), wtype or mutter's RemoteDesktop types.
namespace waylanddesk {

inline bool isGnome()
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP") == u"GNOME";
}

// Runs JavaScript in gnome-shell; its result as JSON, or null when it failed.
inline QJsonValue shellEval(const QString& script)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.gnome.Shell"), QStringLiteral("/org/gnome/Shell"),
        QStringLiteral("org.gnome.Shell"), QStringLiteral("Eval"));
    call.setArguments({script});
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2 ||
        !reply.arguments().at(0).toBool()) {
        return QJsonValue(QJsonValue::Null);
    }
    const QByteArray json = "[" + reply.arguments().at(1).toString().toUtf8() + "]";
    return QJsonDocument::fromJson(json).array().at(0);
}

// A JavaScript expression for the windows titled `title` (an array).
inline QString shellWindows(const QString& title)
{
    const QByteArray quoted = QJsonDocument(QJsonArray{title}).toJson(QJsonDocument::Compact);
    return QStringLiteral(
               "global.get_window_actors().map(a => a.meta_window)"
               ".filter(w => w.get_title() === %1[0])")
        .arg(QString::fromUtf8(quoted));
}

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
    if (isGnome()) {
        const QJsonValue count = shellEval(shellWindows(title) + QStringLiteral(".length"));
        return count.isDouble() ? count.toInt() : -1;
    }
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
    if (isGnome()) {
        const QJsonArray rect =
            shellEval(shellWindows(title) +
                      QStringLiteral(".map(w => { const r = w.get_frame_rect(); "
                                     "return [r.x, r.y, r.width, r.height]; })[0] || []"))
                .toArray();
        return rect.size() == 4 ? QRect(rect.at(0).toInt(), rect.at(1).toInt(), rect.at(2).toInt(),
                                        rect.at(3).toInt())
                                : QRect();
    }
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

// Whether mutter shows the window with the given title: it places a window itself when
// it first shows it, which a slow desktop does long after the program has drawn it.
inline bool shownByMutter(const QString& title)
{
    return shellEval(shellWindows(title) +
                     QStringLiteral(".filter(w => { const a = w.get_compositor_private(); "
                                    "return a && a.is_mapped(); }).length"))
               .toInt() > 0;
}

// Waits until the desktop shows the window with the given title (at most ten seconds):
// sway finds a window by its title only once it shows it.
inline bool waitUntilShown(const QString& title)
{
    QDeadlineTimer deadline(10000);
    while (isGnome() && !shownByMutter(title)) {
        if (deadline.hasExpired()) {
            return false;
        }
        serveEvents();
    }
    return true;
}

// Where the compositor shows the window once it has placed it (the same for a few
// checks in a row; at most ten seconds); empty when nowhere.
inline QRect placedRect(const QString& title)
{
    if (!waitUntilShown(title)) {
        return {};
    }
    QDeadlineTimer deadline(10000);
    QRect last;
    for (int stayed = 0; stayed < 3 && !deadline.hasExpired();) {
        const QRect now = windowRect(title);
        stayed = !now.isEmpty() && now == last ? stayed + 1 : 0;
        last = now;
        QDeadlineTimer settle(100);
        while (!settle.hasExpired()) {
            serveEvents();
        }
    }
    return last;
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

// Runs a sway command, or a JavaScript statement on `w` in gnome-shell, on the window
// with the given title, once the compositor knows it by that title (at most ten
// seconds).
inline bool onWindow(const QString& title, const QString& swayCommand, const QString& shellCommand)
{
    const QStringList arguments{QStringLiteral("-q"),
                                QStringLiteral("[title=\"%1\"] %2").arg(title, swayCommand)};
    const QString script = shellWindows(title) +
                           QStringLiteral(".map(w => { %1; return 1; }).length").arg(shellCommand);
    QDeadlineTimer deadline(10000);
    while (isGnome() ? shellEval(script).toInt() == 0
                     : QProcess::execute(QStringLiteral("swaymsg"), arguments) != 0) {
        if (deadline.hasExpired()) {
            return false;
        }
        serveEvents();
    }
    return true;
}

inline bool moveWindow(const QString& title, const QPoint& to)
{
    const QString sway = QStringLiteral("move position %1 %2").arg(to.x()).arg(to.y());
    const QString shell = QStringLiteral("w.move_frame(true, %1, %2)").arg(to.x()).arg(to.y());
    if (!isGnome()) {
        return onWindow(title, sway, shell);
    }
    // mutter places a window itself when it first shows it, over an earlier move: the
    // move is made once mutter shows the window, and again until the window stays.
    if (!waitUntilShown(title)) {
        return false;
    }
    QDeadlineTimer deadline(10000);
    for (int stayed = 0; stayed < 3;) {
        if (windowRect(title).topLeft() == to) {
            ++stayed;
        } else if (deadline.hasExpired() || !onWindow(title, sway, shell)) {
            return false;
        } else {
            stayed = 0;
        }
        QDeadlineTimer settle(100);
        while (!settle.hasExpired()) {
            serveEvents();
        }
    }
    return true;
}

inline bool focusWindow(const QString& title)
{
    return onWindow(title, QStringLiteral("focus"),
                    QStringLiteral("w.activate(global.get_current_time())"));
}

// A copy with damage sends frames only when the output changes: set the background
// again (sway restarts its background client, which repaints the output).
inline void damageOutput()
{
    if (isGnome()) {
        shellEval(QStringLiteral("global.stage.queue_redraw()"));
        return;
    }
    QProcess::execute(
        QStringLiteral("swaymsg"),
        {QStringLiteral("-q"), QStringLiteral("output HEADLESS-1 bg #203040 solid_color")});
}

// Gives the output another mode (its pixel size) and scale.
inline bool setOutputMode(const QSize& size, double scale = 1)
{
    return QProcess::execute(
               QStringLiteral("swaymsg"),
               {QStringLiteral("-q"), QStringLiteral("output HEADLESS-1 mode %1x%2 scale %3")
                                          .arg(size.width())
                                          .arg(size.height())
                                          .arg(scale)}) == 0;
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
        if (isGnome()) {
            // mutter adds the keyboard at its first key, which a client sees only as
            // already pressed: a harmless one goes first.
            m_holder.start(qEnvironmentVariable("VIRTUAL_POINTER"), QStringList{});
            m_holder.waitForStarted();
            answered("ready");
            send(QStringLiteral("ffe1"));
            return;
        }
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
    bool type(const QString& key)
    {
        if (isGnome()) {
            // X keysyms of the keys the tests type.
            return key == u"Return" && send(QStringLiteral("ff0d"));
        }
        return QProcess::execute(QStringLiteral("wtype"), {QStringLiteral("-k"), key}) == 0;
    }

private:
    bool send(const QString& keysym)
    {
        m_holder.write(QStringLiteral("key %1\n").arg(keysym).toUtf8());
        return answered("ok");
    }
    bool answered(const char* word)
    {
        QDeadlineTimer deadline(5000);
        while (!m_holder.canReadLine() && !deadline.hasExpired()) {
            m_holder.waitForReadyRead(100);
        }
        return m_holder.canReadLine() && m_holder.readLine().trimmed() == word;
    }

    QProcess m_holder;
};

// The seat's pointer, from a virtual one (tests/wayland/virtual_pointer.c on sway,
// tests/gnome/input.py on GNOME) that lives as long as this object; positions are those
// of the 1280x1024 output.
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
