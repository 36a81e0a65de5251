#include "saving/RealtimeSwitch.h"

#include "saving/frmRealtime.h"

#include <QCheckBox>
#include <QImage>
#include <utility>

RealtimeSwitch::RealtimeSwitch(QCheckBox& box, QWidget& page, std::function<QSize()> canvasSize,
                               std::function<QString()> jpegPath)
    : QObject(&page),
      m_box(box),
      m_page(page),
      m_canvasSize(std::move(canvasSize)),
      m_jpegPath(std::move(jpegPath))
{
    connect(&m_box, &QCheckBox::toggled, this, &RealtimeSwitch::onSwitched);
}

bool RealtimeSwitch::showing() const
{
    return m_window && m_window->isVisible();
}

void RealtimeSwitch::onSwitched(bool on)
{
    if (!on) {
        if (m_window) {
            m_window->hide();
        }
        return;
    }
    if (!m_window) {
        m_window = new frmRealtime(m_canvasSize(), m_page.window());
        connect(m_window, &frmRealtime::closedByUser, this, [this] {
            // The closing window deletes itself; the next switch-on makes a fresh one.
            m_window = nullptr;
            m_box.setChecked(false);
        });
    }
    m_window->show();
    m_window->loadPicture(m_jpegPath());
}

void RealtimeSwitch::refresh(const QImage& decoded)
{
    if (!showing()) {
        return;
    }
    if (!decoded.isNull()) {
        m_window->showPicture(decoded);  // decoded with the estimate
    } else {
        m_window->loadPicture(m_jpegPath());
    }
}
