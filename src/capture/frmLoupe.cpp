#include "capture/frmLoupe.h"

#include <QApplication>
#include <QPainter>
#include <QRegion>

namespace {

constexpr int kTopStrip = 3;  // between the caption bar and the hole

}  // namespace

frmLoupe::frmLoupe(const LoupeFrame& frame, QWidget* parent)
    : CaptureWindow(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_frame(frame)
{
    setObjectName(QStringLiteral("frmLoupe"));
    setWindowTitle(QStringLiteral("ルーペ"));
    setAccessibleName(QStringLiteral("ルーペ"));
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(m_frame.outer.size());
    setMask(QRegion(m_frame.outer).subtracted(QRegion(m_frame.hole)));
    setCursor(Qt::SizeAllCursor);
}

bool frmLoupe::onCaption(const QPoint& pos) const
{
    return pos.y() < m_frame.frameHeight;
}

void frmLoupe::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The strips take the menu-text colour, as the frame of the loupe always has.
    const QColor stripColour = QApplication::palette("QMenu").color(QPalette::WindowText);
    painter.fillRect(m_frame.outer, stripColour);

    const QRect caption(1, 1, m_frame.outer.width() - 2, m_frame.frameHeight - kTopStrip - 1);
    const QPalette& palette = QApplication::palette();
    QLinearGradient gradient(caption.topLeft(), caption.topRight());
    gradient.setColorAt(0, palette.color(QPalette::Active, QPalette::Highlight));
    gradient.setColorAt(1, palette.color(QPalette::Active, QPalette::Highlight).lighter(140));
    painter.fillRect(caption, gradient);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(palette.color(QPalette::Active, QPalette::HighlightedText));
    painter.drawText(caption.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     windowTitle());
}

void frmLoupe::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    emit moved();
}
