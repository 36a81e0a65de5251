#pragma once

// The live capture's windows on a real X display for the benchmarks: a desktop of
// varied pixels under the hole, one session at a working size, and a grabber that
// counts the passes.

#include "capture/CaptureScale.h"
#include "capture/LoupeSession.h"
#include "capture/NearestStretch.h"
#include "capture/frmLoupe.h"
#include "capture/frmPreview.h"
#include "common/SelectionState.h"
#include "screen/ScreenGrabber.h"
#include "screen/ScreenGrabberFactory.h"

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <cstdlib>
#include <memory>

namespace benchrig {

constexpr int kExposeTimeoutMilliseconds = 5000;

// A working size, width by height, in pixels.
struct WorkSize
{
    int width = 0;
    int height = 0;

    std::string name() const { return std::to_string(width) + "x" + std::to_string(height); }
    CaptureSize capture() const { return CaptureSize{false, height, width}; }
};

// The desktop under the loupe: tiles of many colours over the whole screen.
class PatternDesktop final : public QWidget
{
public:
    PatternDesktop() : QWidget(nullptr, Qt::FramelessWindowHint)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            setGeometry(screen->geometry());
        }
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        constexpr int kTile = 8;
        QPainter painter(this);
        for (int y = 0; y < height(); y += kTile) {
            for (int x = 0; x < width(); x += kTile) {
                const int tx = x / kTile;
                const int ty = y / kTile;
                painter.fillRect(x, y, kTile, kTile,
                                 QColor::fromHsv((tx * 23 + ty * 41) % 360, 96 + (tx * ty) % 160,
                                                 255 - ((tx + ty) * 7) % 160));
            }
        }
    }
};

// Serves events until both windows are on the screen; false when they never get there.
inline bool waitUntilExposed(const QWidget& first, const QWidget& second)
{
    const auto exposed = [](const QWidget& widget) {
        return widget.windowHandle() && widget.windowHandle()->isExposed();
    };
    QElapsedTimer clock;
    clock.start();
    while (!(exposed(first) && exposed(second)) && clock.elapsed() < kExposeTimeoutMilliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    // Let the first paints and the window manager's traffic settle.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    return exposed(first) && exposed(second);
}

// One live-capture session with its windows shown, at one working size.
struct LoupeRig
{
    explicit LoupeRig(const WorkSize& workSize) : size(workSize)
    {
        selection.capture = size.capture();
        session = std::make_unique<LoupeSession>(selection, CaptureScale{}, *grabber,
                                                 [](const QImage&) {});
        session->show();
        shown = waitUntilExposed(session->loupe(), session->preview());
    }

    WorkSize size;
    SelectionState selection;
    std::unique_ptr<ScreenGrabber> grabber = makeScreenGrabber();
    QtScreenGrabber qtGrabber;
    NearestStretch qtStretch;
    QImage bareImage;
    QImage qtImage;
    std::unique_ptr<LoupeSession> session;
    bool shown = false;
};

// The one session on the screen; another size closes the old session's windows first.
class ActiveRig
{
public:
    // The session at `size` once its windows are on the screen; otherwise the run fails.
    LoupeRig* shown(benchmark::State& state, const WorkSize& size)
    {
        if (!m_rig || m_rig->size.width != size.width || m_rig->size.height != size.height) {
            m_rig.reset();
            m_rig = std::make_unique<LoupeRig>(size);
        }
        if (!m_rig->shown || QGuiApplication::primaryScreen() == nullptr) {
            state.SkipWithError("the loupe and the preview did not appear");
            return nullptr;
        }
        return m_rig.get();
    }
    void clear() { m_rig.reset(); }

private:
    std::unique_ptr<LoupeRig> m_rig;
};

// Passes the grabs and the server's copies on to the real grabber and counts them:
// one of either is one pass.
class CountingGrabber final : public ScreenGrabber
{
public:
    bool grab(const QRect& area, QImage& into) override
    {
        ++m_count;
        return m_inner->grab(area, into);
    }
    bool copyToWindow(const QRect& area, const QWindow& window, const QPoint& at) override
    {
        const bool copied = m_inner->copyToWindow(area, window, at);
        m_count += copied ? 1 : 0;
        return copied;
    }
    QPoint deviceTopLeft(const QWindow& window) const override
    {
        return m_inner->deviceTopLeft(window);
    }
    QImage makeSurface(const QSize& size) override { return m_inner->makeSurface(size); }
    bool present(const QWindow& window, const QPoint& at, const QImage& picture) override
    {
        return m_inner->present(window, at, picture);
    }
    long long count() const { return m_count; }

private:
    std::unique_ptr<ScreenGrabber> m_inner = makeScreenGrabber();
    long long m_count = 0;
};

// Waits until the X server has done everything this process asked of it.
inline void serverRoundTrip()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (xcb_connection_t* connection = x11 ? x11->connection() : nullptr) {
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
}

inline double displayRate()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->refreshRate() : 60.0;
}

}  // namespace benchrig
