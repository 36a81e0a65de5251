#include "capture/frmPreview.h"

#include "capture/CaptureKeys.h"

#include <QCloseEvent>
#include <QPainter>

frmPreview::frmPreview(const QSize& workSize, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_surface(workSize, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("frmPreview"));
    setWindowTitle(QStringLiteral("プレビュー"));
    setAccessibleName(QStringLiteral("プレビュー"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.fill(Qt::black);
    setFixedSize(workSize);
}

void frmPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // One picture pixel to one logical pixel, repeated (not blended) on HiDPI screens.
    painter.drawImage(rect(), m_surface);
}

void frmPreview::keyPressEvent(QKeyEvent* event)
{
    if (capturekeys::isEnter(event)) {
        event->accept();
        emit enterPressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void frmPreview::closeEvent(QCloseEvent* event)
{
    // Only the end of the live capture takes the preview away.
    event->ignore();
}
