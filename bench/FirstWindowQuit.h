#pragma once

// The watcher both start-up probes share: it ends the probe right after the first
// window appears and prints the time of that moment.
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QObject>
#include <QWindow>
#include <chrono>
#include <cstdio>

namespace probe {

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

}  // namespace probe
