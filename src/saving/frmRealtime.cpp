#include "saving/frmRealtime.h"

#include "common/Twips.h"
#include "platform/PictureButton.h"

#include <QCloseEvent>
#include <QImageReader>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

namespace {

// The button row above the picture area.
constexpr int kPictureTopTwips = 420;
constexpr QSize kButtonSize{40, 24};
constexpr int kButtonGap = 2;

}  // namespace

RealtimePicture::RealtimePicture(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Image1"));
}

void RealtimePicture::setPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void RealtimePicture::paintEvent(QPaintEvent*)
{
    if (!m_picture.isNull()) {
        QPainter(this).drawImage(rect(), m_picture);
    }
}

frmRealtime::frmRealtime(QSize canvasSize, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                              Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmRealtime"));
    setWindowTitle(QStringLiteral("Sorakado"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_once = makePictureButton(QStringLiteral("cmd1"), QStringLiteral("×1"), QString(), this);
    m_twice = makePictureButton(QStringLiteral("cmd2"), QStringLiteral("×2"), QString(), this);
    m_once->setGeometry(QRect(QPoint(kButtonGap, kButtonGap), kButtonSize));
    m_twice->setGeometry(
        QRect(QPoint(2 * kButtonGap + kButtonSize.width(), kButtonGap), kButtonSize));
    m_area = new RealtimePicture(this);
    m_area->move(0, twips::toPixels(kPictureTopTwips));
    setPictureArea(canvasSize, false);
    connect(m_once, &QPushButton::clicked, this, &frmRealtime::zoomOnce);
    connect(m_twice, &QPushButton::clicked, this, &frmRealtime::zoomTwice);
    if (mainWindow) {
        move(mainWindow->pos());
    }
}

void frmRealtime::setPictureArea(QSize size, bool doubled)
{
    m_area->resize(size);
    // The window wraps the button row and the picture area; the frame is the window manager's.
    const int buttonsWidth = 3 * kButtonGap + 2 * kButtonSize.width();
    setFixedSize(std::max(size.width(), buttonsWidth), m_area->y() + size.height());
    m_once->setEnabled(doubled);
    m_twice->setEnabled(!doubled);
}

void frmRealtime::zoomTwice()
{
    const QSize area = m_area->size();
    setPictureArea(QSize(area.width() * 2, area.height() * 2), true);
}

void frmRealtime::zoomOnce()
{
    const QSize area = m_area->size();
    setPictureArea(QSize(area.width() / 2, area.height() / 2), false);
}

void frmRealtime::loadPicture(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    m_area->setPicture(reader.read());
}

void frmRealtime::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closedByUser();
}
