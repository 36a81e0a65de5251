#include "app/HistoryDock.h"

#include "history/HistoryGeometry.h"
#include "history/frmPicFiles.h"
#include "platform/WindowPlacement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

HistoryDock::HistoryDock(QWidget& main, frmPicFiles& history)
    : QObject(&main), m_main(main), m_history(history)
{
    m_main.installEventFilter(this);
    m_history.installEventFilter(this);
}

void HistoryDock::placePair()
{
    const QScreen* screen = m_main.screen();
    if (!screen) {
        return;
    }
    const QRect available = screen->availableGeometry();
    const QRect ownFrame = placement::frameGeometry(&m_main);
    m_placedFrames = {ownFrame.size(), placement::frameGeometry(&m_history).size()};
    const QRect frame = m_main.testAttribute(Qt::WA_Moved)
                            ? ownFrame
                            : historygeometry::centredIn(m_placedFrames.first, available);
    placement::moveFrameTo(
        &m_main, historygeometry::mainWindowPlace(frame, m_placedFrames.second, available));
}

void HistoryDock::keepDocked(bool always)
{
    if (!m_history.isVisible()) {
        return;
    }
    // The window manager's frames are known only once the windows are shown; the
    // pair is placed again when they change, never while the user moves a window.
    const bool framesChanged =
        m_placedFrames != std::pair{placement::frameGeometry(&m_main).size(),
                                    placement::frameGeometry(&m_history).size()};
    if (framesChanged) {
        placePair();
    }
    if (framesChanged || always) {
        m_history.snapToWindow(m_main);
    }
}

// A window's frame becomes known when the window manager maps the framed window, which
// need not move it: its exposure is what tells.
void HistoryDock::watchExposure(QWindow* handle)
{
    if (handle) {
        handle->installEventFilter(this);
    }
}

bool HistoryDock::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Show && (watched == &m_main || watched == &m_history)) {
        watchExposure(static_cast<QWidget*>(watched)->windowHandle());
    }
    if (watched == &m_main && type == QEvent::Move) {
        // Docked wherever the window manager puts the main window (at the left edge, or
        // inside the screen, where the right edge has no room).
        keepDocked(true);
    }
    // The history itself may be moved away by the user: its moves re-dock it only when a
    // frame has changed, and so does a window's exposure.
    const bool exposed = type == QEvent::Expose &&
                         (watched == m_main.windowHandle() || watched == m_history.windowHandle());
    if ((watched == &m_history && type == QEvent::Move) || exposed) {
        keepDocked(false);
    }
    return false;
}
