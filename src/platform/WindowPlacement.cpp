#include "platform/WindowPlacement.h"

#include "common/Numbers.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace placement {
namespace {

int centredStart(int frameLength, int targetStart, int targetLength, int areaStart, int areaLength)
{
    const int centred = targetStart + static_cast<int>(numbers::divTrunc(
                                          static_cast<long long>(targetLength) - frameLength, 2));
    const int lastFitting = areaStart + areaLength - frameLength;
    return std::max(areaStart, std::min(centred, lastFitting));
}

QMargins frameMargins(const QWidget* window)
{
    const QWindow* handle = window->windowHandle();
    return knownMargins(handle ? handle->frameMargins() : QMargins());
}

// Before the window manager has framed a window its frame is unknown; any other
// framed window of the program has the same frame, as far as the size goes.
QMargins expectedMargins(const QWidget* window)
{
    const QMargins own = frameMargins(window);
    if (!own.isNull()) {
        return own;
    }
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible()) {
            const QMargins margins = frameMargins(other);
            if (!margins.isNull()) {
                return margins;
            }
        }
    }
    return {};
}

QRect framedGeometry(const QWidget* window)
{
    return window->geometry().marginsAdded(frameMargins(window));
}

// Keeps a window centred until its frame is known, then lets it be; over an owner, it
// follows the owner for as long as it is shown, since the owner may itself be placed
// again once its own frame is known (a message shown with its window does not wait).
class Centring : public QObject
{
public:
    Centring(QWidget* window, QWidget* owner) : QObject(window), m_window(window), m_owner(owner)
    {
        window->installEventFilter(this);
        if (owner) {
            owner->installEventFilter(this);
        }
        place();
    }
    ~Centring() override { stopFollowingOwner(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_owner || (m_owner && watched == m_owner->windowHandle())) {
            ownerEvent(event);
        } else if (m_placing) {
            ownEvent(watched, event);
        } else if (watched == m_window && event->type() == QEvent::Hide) {
            deleteLater();
        }
        return false;
    }

private:
    void ownEvent(QObject* watched, QEvent* event)
    {
        switch (event->type()) {
            case QEvent::Show:
                // The platform windows exist now: their exposure tells when they are framed.
                if (watched == m_window) {
                    watchHandle(m_window);
                    if (m_owner) {
                        watchHandle(m_owner);
                    }
                }
                place();
                break;
            case QEvent::Resize:
                // A message box takes its size only while it is being shown.
                place();
                break;
            case QEvent::Expose:
            case QEvent::Move:
            case QEvent::WindowActivate:
                if (!frameMargins(m_window).isNull()) {
                    place();
                    finishOwnPlacing();
                }
                break;
            case QEvent::Hide:
                deleteLater();
                break;
            default:
                break;
        }
    }

    void ownerEvent(QEvent* event)
    {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::Expose:
                if (m_window->isVisible()) {
                    place();
                }
                break;
            default:
                break;
        }
    }

    void watchHandle(const QWidget* widget)
    {
        if (QWindow* handle = widget->windowHandle()) {
            handle->installEventFilter(this);
        }
    }

    QRect target() const
    {
        if (m_owner && m_owner->isVisible()) {
            return framedGeometry(m_owner);
        }
        return area();
    }
    QRect area() const
    {
        const QScreen* screen = m_window->screen();
        if (!screen) {
            screen = QGuiApplication::primaryScreen();
        }
        return screen ? screen->availableGeometry() : QRect();
    }

    void place()
    {
        const QSize frameSize = m_window->size().grownBy(expectedMargins(m_window));
        moveFrameTo(m_window, centredTopLeft(frameSize, target(), area()));
    }

    // The window's own frame is known: from now on the user may move it. Over an owner
    // the centring goes on following the owner until the window is hidden.
    void finishOwnPlacing()
    {
        m_placing = false;
        if (QWindow* handle = m_window->windowHandle()) {
            handle->removeEventFilter(this);
        }
        if (!m_owner) {
            m_window->removeEventFilter(this);
            deleteLater();
        }
    }

    void stopFollowingOwner()
    {
        if (!m_owner) {
            return;
        }
        m_owner->removeEventFilter(this);
        if (QWindow* handle = m_owner->windowHandle()) {
            handle->removeEventFilter(this);
        }
    }

    QWidget* m_window;
    QPointer<QWidget> m_owner;
    bool m_placing = true;
};

}  // namespace

QMargins knownMargins(const QMargins& reported)
{
    const bool plausible = reported.left() >= 0 && reported.top() >= 0 && reported.right() >= 0 &&
                           reported.bottom() >= 0;
    return plausible ? reported : QMargins();
}

QPoint centredTopLeft(const QSize& frameSize, const QRect& target, const QRect& area)
{
    return {
        centredStart(frameSize.width(), target.left(), target.width(), area.left(), area.width()),
        centredStart(frameSize.height(), target.top(), target.height(), area.top(), area.height())};
}

QRect frameGeometry(const QWidget* window)
{
    return framedGeometry(window);
}

void moveFrameTo(QWidget* window, const QPoint& topLeft)
{
    const QMargins margins = expectedMargins(window);
    const QPoint clientTopLeft = topLeft + QPoint(margins.left(), margins.top());
    if (window->geometry().topLeft() != clientTopLeft) {
        window->setGeometry(QRect(clientTopLeft, window->size()));
    }
}

void centreOnScreen(QWidget* window)
{
    new Centring(window, nullptr);
}

void centreOver(QWidget* window, QWidget* owner)
{
    new Centring(window, owner);
}

}  // namespace placement
