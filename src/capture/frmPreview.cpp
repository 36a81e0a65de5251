#include "capture/frmPreview.h"

#include "capture/PreviewSnapshot.h"
#include "capture/ScreenFit.h"
#include "platform/ScreenGrabber.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

namespace {

const QString kTitle = QStringLiteral("プレビュー");

}  // namespace

frmPreview::frmPreview(const CaptureSize& size, const FrameOffsets& frame, int percent,
                       QWidget* parent)
    : CaptureWindow(parent, Qt::Tool | Qt::FramelessWindowHint),
      m_percent(std::clamp(percent, 1, 100)),
      m_frame(composePreviewFrame(screenfit::shownSize(size, m_percent), frame,
                                  screenfit::previewCaption(kTitle, m_percent))),
      m_client(previewClientRect(screenfit::shownSize(size, m_percent), frame)),
      m_surface(QSize(size.workWidth, size.workHeight), QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("frmPreview"));
    // The window keeps its one title, the one its snapshot shows; the caption bar
    // adds the scale it is shown at.
    setWindowTitle(kTitle);
    setAccessibleName(screenfit::previewCaption(kTitle, m_percent));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.fill(Qt::black);
    setFixedSize(m_frame.size());
}

void frmPreview::showSurface(ScreenGrabber& grabber)
{
    const QWindow* window = windowHandle();
    if (isScaled() || window == nullptr ||
        !grabber.present(*window, m_client.topLeft(), m_surface)) {
        update(m_client);
    }
}

void frmPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_frame);
    if (isScaled()) {
        // Scaled down smoothly, straight to the device pixels of the client area.
        const qreal ratio = devicePixelRatioF();
        QImage shown = m_surface.scaled(m_client.size() * ratio, Qt::IgnoreAspectRatio,
                                        Qt::SmoothTransformation);
        shown.setDevicePixelRatio(ratio);
        painter.drawImage(m_client.topLeft(), shown);
        return;
    }
    // One picture pixel to one logical pixel, repeated (not blended) on HiDPI screens.
    painter.drawImage(m_client, m_surface);
}

void frmPreview::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        // A window manager's shortcut or task list may still minimise it: it comes
        // back at once, since the live capture runs on and Enter needs the window.
        QMetaObject::invokeMethod(
            this,
            [this] {
                // Not when the live capture has ended and hidden it meanwhile.
                if (!isHidden() && (windowState() & Qt::WindowMinimized)) {
                    setWindowState(windowState() & ~Qt::WindowMinimized);
                    show();
                    raise();
                }
            },
            Qt::QueuedConnection);
    }
}
