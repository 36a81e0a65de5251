#include "history/frmPicFiles.h"

#include "common/Twips.h"
#include "history/HandPointer.h"
#include "history/HistoryGeometry.h"
#include "history/HistorySlot.h"
#include "history/frmHelp.h"
#include "platform/AppPaths.h"
#include "platform/PictureButton.h"
#include "platform/WindowPlacement.h"
#include "saving/mdlPng.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QImageReader>
#include <QPushButton>
#include <QScreen>

namespace {

// A saved JPEG as the platform's picture loader reads it; null when it cannot.
QImage readJpeg(const QString& path)
{
    if (path.isEmpty()) {
        return {};
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

QPoint inTwips(QPoint pixels)
{
    return {twips::fromPixels(pixels.x()), twips::fromPixels(pixels.y())};
}

}  // namespace

frmPicFiles::frmPicFiles(QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmPicFiles"));
    setWindowTitle(QStringLiteral("Sorakado"));
    setFixedSize(twips::toPixels(4140), twips::toPixels(8295));
    setMouseTracking(true);
    buildButtons();
    const QCursor hand = handpointer::load(apppaths::resolve(u"data/hand.ico"));
    for (int index = 0; index < HistorySlots::kCount; ++index) {
        auto* view = new HistorySlot(index + 1, hand, this);
        m_slotViews.at(static_cast<size_t>(index)) = view;
        connect(view, &HistorySlot::clicked, this, [this, index] { CopySlotPath(index + 1); });
        connect(view, &HistorySlot::pointerMoved, this, &frmPicFiles::SnapToMainWindow);
    }
}

frmPicFiles::~frmPicFiles() = default;

void frmPicFiles::buildButtons()
{
    QPushButton* clear =
        makePictureButton(QStringLiteral("cmdFormat"), QStringLiteral("履歴をすべて消去"),
                          QStringLiteral("history-clear"), this);
    clear->setIconSize(QSize(16, 15));
    clear->setGeometry(twips::toPixels(120), twips::toPixels(60), twips::toPixels(1935),
                       twips::toPixels(285));
    m_help = makePictureButton(QStringLiteral("cmdHelp"), QString(), QStringLiteral("history-help"),
                               this);
    m_help->setAccessibleName(QStringLiteral("履歴の使い方"));
    m_help->setFlat(true);
    m_help->setIconSize(QSize(16, 16));
    m_help->setGeometry(twips::toPixels(3660), twips::toPixels(60), twips::toPixels(315),
                        twips::toPixels(255));
    // Pointer movement over the buttons does not snap the window.
    clear->setAttribute(Qt::WA_NoMousePropagation);
    m_help->setAttribute(Qt::WA_NoMousePropagation);
    m_help->installEventFilter(this);
    connect(clear, &QPushButton::clicked, this, &frmPicFiles::ClearHistory);
}

void frmPicFiles::setCanvasSizeSource(std::function<QSize()> outerSize)
{
    m_canvasSize = std::move(outerSize);
}

void frmPicFiles::AddJpegToHistory(const QString& path)
{
    addToHistory(path, readJpeg);
}

void frmPicFiles::AddPngToHistory(const QString& path)
{
    addToHistory(path, mdlPng::LoadPngPicture);
}

void frmPicFiles::addToHistory(const QString& path,
                               const std::function<QImage(const QString&)>& readBack)
{
    const std::optional<int> index = m_slots.firstFree();
    if (!index) {
        return;
    }
    const QImage picture = readBack(path);
    if (picture.isNull()) {
        return;
    }
    const QSize canvas = m_canvasSize ? m_canvasSize() : QSize();
    const QRect box = historygeometry::thumbnailBox(canvas.isEmpty() ? picture.size() : canvas);
    m_slots.take(*index, path);
    m_slotViews.at(static_cast<size_t>(*index))->showFile(picture, box, path);
}

void frmPicFiles::CopySlotPath(int slot)
{
    if (slot < 1 || slot > HistorySlots::kCount) {
        return;
    }
    QGuiApplication::clipboard()->setText(m_slots.path(slot - 1));
}

void frmPicFiles::ClearHistory()
{
    m_slots.clear();
    for (HistorySlot* view : m_slotViews) {
        view->clear();
    }
}

void frmPicFiles::SnapToMainWindow()
{
    const QWidget* main = parentWidget();
    if (!main) {
        return;
    }
    const QRect outer = placement::frameGeometry(main);
    const historygeometry::MainWindowTwips mainTwips{
        twips::fromPixels(outer.top()), twips::fromPixels(outer.left()),
        twips::fromPixels(outer.width()), twips::fromPixels(main->width())};
    const std::optional<QPoint> target =
        historygeometry::snapTarget(mainTwips, inTwips(placement::frameGeometry(this).topLeft()));
    if (target) {
        placement::moveFrameTo(this, {twips::toPixels(target->x()), twips::toPixels(target->y())});
    }
}

void frmPicFiles::snapToWindow(const QWidget& window)
{
    const QScreen* screen = window.screen();
    const QRect outer = placement::frameGeometry(&window);
    if (!screen) {
        placement::moveFrameTo(this, {outer.left() + outer.width(), outer.top()});
        return;
    }
    placement::moveFrameTo(
        this, historygeometry::dockedPlace(outer, placement::frameGeometry(this).size(),
                                           screen->availableGeometry()));
}

void frmPicFiles::showHelp()
{
    if (!m_helpPopup) {
        m_helpPopup = new frmHelp(this);
    }
    // Just below the help button, at the window's left edge.
    const QRect outer = placement::frameGeometry(this);
    const int frameHeight = outer.height() - height();
    m_helpPopup->move(outer.left(), outer.top() + frameHeight + m_help->y() + m_help->height());
    m_helpPopup->show();
}

bool frmPicFiles::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_help && event->type() == QEvent::Enter) {
        showHelp();
    } else if (watched == m_help && event->type() == QEvent::Leave && m_helpPopup) {
        m_helpPopup->hide();
    }
    return QWidget::eventFilter(watched, event);
}

void frmPicFiles::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    SnapToMainWindow();
}

void frmPicFiles::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_helpPopup) {
        m_helpPopup->hide();
    }
}

void frmPicFiles::closeEvent(QCloseEvent* event)
{
    // Closing through the frame unloads the history: the next opening starts empty.
    event->accept();
    ClearHistory();
    emit closedByUser();
}
