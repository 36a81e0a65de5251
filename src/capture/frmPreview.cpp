#include "capture/frmPreview.h"

#include "capture/LoupeMarker.h"
#include "capture/PreviewSnapshot.h"
#include "capture/ScreenFit.h"
#include "screen/ScreenGrabber.h"

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
    if (!m_notice.isEmpty()) {
        return;
    }
    const QWindow* window = windowHandle();
    if (window != nullptr && grabber.present(*window, m_client.topLeft(), shownPicture(grabber))) {
        return;
    }
    update(m_client);
}

void frmPreview::setNotice(const QString& text)
{
    if (text == m_notice) {
        return;
    }
    m_notice = text;
    setAccessibleDescription(text);
    update(m_client);
}

void frmPreview::markCaption()
{
    QPainter painter(&m_frame);
    loupemarker::draw(painter, m_frame.width(), loupemarker::Pattern::Preview);
    update();
}

const QImage& frmPreview::shownPicture(ScreenGrabber& grabber)
{
    if (!isScaled()) {
        return m_surface;
    }
    // Scaled into a picture of its own that the grabber can show, where it has one.
    if (m_shown.size() != m_client.size()) {
        m_shown = grabber.makeSurface(m_client.size());
    }
    if (!m_shown.isNull()) {
        QPainter painter(&m_shown);
        drawPicture(painter, m_shown.rect());
    }
    return m_shown;
}

void frmPreview::drawPicture(QPainter& painter, const QRect& target) const
{
    // Scaled down smoothly (bilinear); unscaled, one picture pixel to one logical
    // pixel, repeated (not blended) on HiDPI screens.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, isScaled());
    painter.drawImage(target, m_surface);
}

void frmPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_frame);
    if (m_notice.isEmpty()) {
        drawPicture(painter, m_client);
        return;
    }
    painter.fillRect(m_client, QColor(0x40, 0x40, 0x40));
    painter.setPen(Qt::white);
    painter.drawText(m_client.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_notice);
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
