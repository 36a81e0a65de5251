#include "capture/frmLoupe.h"

#include "capture/LoupeMarker.h"

#include <QApplication>
#include <QPainter>
#include <QRegion>
#include <QShowEvent>
#include <QWindow>

namespace {

constexpr int kTopStrip = 3;  // between the caption bar and the hole

}  // namespace

frmLoupe::frmLoupe(const LoupeFrame& frame, QWidget* parent, Kind kind)
    : CaptureWindow(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_frame(frame),
      m_kind(kind)
{
    setObjectName(QStringLiteral("frmLoupe"));
    setWindowTitle(QStringLiteral("ルーペ"));
    setAccessibleName(QStringLiteral("ルーペ"));
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(m_frame.outer.size());
    if (m_kind == Kind::Shaped) {
        setMask(frameStrips());
    } else {
        // A widget mask would clip the painting too; the window's mask is its input
        // region only, and the clear hole shows what lies beneath.
        setAttribute(Qt::WA_TranslucentBackground);
    }
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
    if (m_kind == Kind::Marked) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(m_frame.hole, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }

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
    if (m_kind == Kind::Marked) {
        loupemarker::draw(painter, m_frame.outer.width());
    }
}

QRegion frmLoupe::frameStrips() const
{
    return QRegion(m_frame.outer).subtracted(QRegion(m_frame.hole));
}

void frmLoupe::showEvent(QShowEvent* event)
{
    CaptureWindow::showEvent(event);
    if (m_kind == Kind::Marked && windowHandle()) {
        windowHandle()->setMask(frameStrips());
    }
}

void frmLoupe::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    emit moved();
}
