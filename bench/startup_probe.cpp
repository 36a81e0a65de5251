// Sorakado's start-up as main() does it, ended right after the first window appears.
// The time of that moment (steady clock, nanoseconds) is the one line on standard output.
#include "app/Program.h"

#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>

namespace {

// Watches every object of the application for the first expose of a top-level
// window. Expose reaches the window on xcb (after the map) and on offscreen (when
// shown) alike; the quit is queued so the exposed window paints its first frame.
class FirstWindowQuit : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_seen || event->type() != QEvent::Expose) {
            return false;
        }
        const auto* window = qobject_cast<QWindow*>(watched);
        if (window != nullptr && window->isTopLevel() && window->isExposed()) {
            m_seen = true;
            QMetaObject::invokeMethod(this, &FirstWindowQuit::report, Qt::QueuedConnection);
        }
        return false;
    }

private:
    static void report()
    {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    bool m_seen = false;
};

// A window that never appears must not hang the benchmark: the probe fails instead.
constexpr int kNoWindowExitCode = 3;
constexpr std::chrono::seconds kNoWindowGiveUp{60};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    FirstWindowQuit quitter;
    app.installEventFilter(&quitter);
    QTimer::singleShot(kNoWindowGiveUp, &app, [] { QCoreApplication::exit(kNoWindowExitCode); });

    Program::configureApplication(app);
    Program program;
    program.start();
    return QApplication::exec();
}
