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
    return handle ? handle->frameMargins() : QMargins();
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

// Keeps a window centred until its frame is known, then lets it be.
class Centring : public QObject
{
public:
    Centring(QWidget* window, const QWidget* owner)
        : QObject(window), m_window(window), m_owner(owner)
    {
        window->installEventFilter(this);
        place();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
            case QEvent::Show:
                // The platform window exists now: its exposure tells when it is framed.
                if (watched == m_window && m_window->windowHandle()) {
                    m_window->windowHandle()->installEventFilter(this);
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
                    finish();
                }
                break;
            default:
                break;
        }
        return false;
    }

private:
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
        const QMargins margins = expectedMargins(m_window);
        const QSize frameSize = m_window->size().grownBy(margins);
        const QPoint frameTopLeft = centredTopLeft(frameSize, target(), area());
        const QPoint clientTopLeft = frameTopLeft + QPoint(margins.left(), margins.top());
        if (m_window->geometry().topLeft() == clientTopLeft) {
            return;
        }
        m_window->setGeometry(QRect(clientTopLeft, m_window->size()));
    }

    void finish()
    {
        if (QWindow* handle = m_window->windowHandle()) {
            handle->removeEventFilter(this);
        }
        m_window->removeEventFilter(this);
        deleteLater();
    }

    QWidget* m_window;
    QPointer<const QWidget> m_owner;
};

}  // namespace

QPoint centredTopLeft(const QSize& frameSize, const QRect& target, const QRect& area)
{
    return {
        centredStart(frameSize.width(), target.left(), target.width(), area.left(), area.width()),
        centredStart(frameSize.height(), target.top(), target.height(), area.top(), area.height())};
}

void centreOnScreen(QWidget* window)
{
    new Centring(window, nullptr);
}

void centreOver(QWidget* window, const QWidget* owner)
{
    new Centring(window, owner);
}

}  // namespace placement
