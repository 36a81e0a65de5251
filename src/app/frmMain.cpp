#include "app/frmMain.h"

#include "app/HistoryDock.h"
#include "app/MainTabs.h"
#include "app/WebLinks.h"
#include "app/frmAbout.h"
#include "common/Twips.h"
#include "edit/BorderFillPage.h"
#include "edit/EditCanvas.h"
#include "edit/FreehandPage.h"
#include "edit/TextPage.h"
#include "history/frmPicFiles.h"
#include "platform/Dialogs.h"
#include "platform/PictureButton.h"
#include "saving/CompressionPage.h"
#include "saving/Saving.h"
#include "saving/SizeText.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kClientWidthTwips = 9930;
constexpr int kClientHeightTwips = 7965;

}  // namespace

frmMain::frmMain(const PhoneModel& phone, Dialogs& dialogs, WorkFolder& workFolder, QWidget* parent)
    : QMainWindow(parent), m_phone(phone), m_dialogs(dialogs), m_workFolder(workFolder)
{
    m_phone.sizeLimitKB = sizetext::sizeLimitKB(phone.fileSize);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Sorakado"));
    m_menus = MainMenus::build(menuBar());
    buildControls();
    wireMenus();
    m_history = new frmPicFiles(this);
    m_history->setCanvasSizeSource([this] { return m_canvas->size(); });
    connect(m_history, &frmPicFiles::closedByUser, this, [this] { setHistoryShown(false); });
    m_dock = new HistoryDock(*this, *m_history);
}

frmMain::~frmMain() = default;

void frmMain::buildControls()
{
    auto* client = new QWidget(this);
    client->setFixedSize(twips::toPixels(kClientWidthTwips), twips::toPixels(kClientHeightTwips));
    auto* root = new QVBoxLayout(client);
    root->setContentsMargins(8, 8, 8, 8);
    auto* columns = new QHBoxLayout;
    columns->addWidget(buildCanvasColumn());
    m_context.reset(new ToolContext{m_images, m_dialogs, m_colours, [this] { m_canvas->refresh(); },
                                    [this](bool cross) { m_canvas->setPickPointer(cross); }});

    MainTabs made = MainTabs::build(
        m_phone, *m_context, m_workFolder, [this]() -> const QImage& { return m_images.canvas(); },
        client);
    m_tabs = made.tabs;
    m_compression = made.compression;
    m_fill = made.fill;
    m_draw = made.draw;
    m_text = made.text;
    wireSavePage();
    columns->addWidget(m_tabs, 1);
    m_router = std::make_unique<CanvasRouter>(m_fill->picker(), m_draw->stroke());
    root->addLayout(columns, 1);
    root->addLayout(buildBottomRow());
    setCentralWidget(client);
    connect(m_tabs, &QTabWidget::currentChanged, this, &frmMain::OnTabSelected);
}

QWidget* frmMain::buildCanvasColumn()
{
    auto* column = new QWidget(this);
    column->setFixedWidth(248);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    m_canvas = new EditCanvas(column);
    m_canvas->setImages(&m_images);
    m_canvasFrame = new QScrollArea(column);
    m_canvasFrame->setObjectName(QStringLiteral("CanvasFrame"));
    m_canvasFrame->setAlignment(Qt::AlignCenter);
    m_canvasFrame->setFrameShape(QFrame::NoFrame);
    m_canvasFrame->setWidget(m_canvas);
    layout->addWidget(m_canvasFrame, 1);

    m_undo = makePictureButton(QStringLiteral("cmdUndo"), QStringLiteral(" 1つ前の状態に戻す"),
                               QStringLiteral("undo"), column);
    m_undo->setEnabled(false);
    QPushButton* format =
        makePictureButton(QStringLiteral("cmdFormat"), QStringLiteral(" 取り込んだ状態に戻す"),
                          QStringLiteral("restore"), column);
    layout->addWidget(m_undo);
    layout->addWidget(format);
    connect(m_undo, &QPushButton::clicked, this, &frmMain::undo);
    connect(format, &QPushButton::clicked, this, &frmMain::RestoreCaptured);
    connect(m_canvas, &EditCanvas::pressed, this, [this](Qt::MouseButton button, QPoint at) {
        m_router->pressed(m_tabs->currentIndex(), button, at);
    });
    connect(m_canvas, &EditCanvas::moved, this, [this](Qt::MouseButtons buttons, QPoint at) {
        m_router->moved(m_tabs->currentIndex(), buttons, at);
    });
    return column;
}

void frmMain::wireSavePage()
{
    connect(m_compression, &CompressionPage::saveJpegRequested, this, &frmMain::saveJpeg);
    connect(m_compression, &CompressionPage::savePngRequested, this, &frmMain::savePng);
    connect(m_compression, &CompressionPage::informationRequested, this,
            [this](const QString& text) { m_dialogs.information(this, text); });
    connect(m_compression, &CompressionPage::workFolderUnavailable, this,
            [this](const QString& message) { m_dialogs.information(this, message); });
}

QLayout* frmMain::buildBottomRow()
{
    auto* row = new QHBoxLayout;
    QPushButton* again = makePictureButton(
        QStringLiteral("Command3"), QStringLiteral(" 再度取り込み"), QStringLiteral("again"), this);
    QPushButton* upload =
        makePictureButton(QStringLiteral("Command4"), QStringLiteral(" 画像をアップロード"),
                          QStringLiteral("upload"), this);
    QPushButton* end = makePictureButton(QStringLiteral("cmdEnd"), QStringLiteral(" 終了"),
                                         QStringLiteral("end"), this);
    m_openHistory = makePictureButton(QStringLiteral("cmdOpenWindow"), QString(),
                                      QStringLiteral("history-open"), this);
    m_closeHistory = makePictureButton(QStringLiteral("cmdCloseWindow"), QString(),
                                       QStringLiteral("history-close"), this);
    m_openHistory->setAccessibleName(QStringLiteral("履歴を開く"));
    m_openHistory->setToolTip(QStringLiteral("履歴を開く"));
    m_closeHistory->setAccessibleName(QStringLiteral("履歴を閉じる"));
    m_closeHistory->setToolTip(QStringLiteral("履歴を閉じる"));
    row->addWidget(again);
    row->addWidget(upload);
    row->addStretch();
    row->addWidget(end);
    row->addWidget(m_openHistory);
    row->addWidget(m_closeHistory);
    connect(again, &QPushButton::clicked, this, &frmMain::captureAgainRequested);
    connect(upload, &QPushButton::clicked, this,
            [] { weblinks::openAddress(weblinks::kUploadPage); });
    connect(end, &QPushButton::clicked, this, &frmMain::endRequested);
    connect(m_openHistory, &QPushButton::clicked, this, [this] { setHistoryShown(true); });
    connect(m_closeHistory, &QPushButton::clicked, this, [this] { setHistoryShown(false); });
    return row;
}

void frmMain::wireMenus()
{
    connect(m_menus.saveAs, &QAction::triggered, this, &frmMain::saveBmp);
    connect(m_menus.exit, &QAction::triggered, this, &frmMain::endRequested);
    connect(m_menus.front, &QAction::triggered, this, &frmMain::setAlwaysOnTop);
    connect(m_menus.contents, &QAction::triggered, this, [] { weblinks::openHelp(); });
    connect(m_menus.site, &QAction::triggered, this,
            [] { weblinks::openAddress(weblinks::kOfficialSite); });
    connect(m_menus.upload, &QAction::triggered, this,
            [] { weblinks::openAddress(weblinks::kUploadPage); });
    connect(m_menus.board, &QAction::triggered, this,
            [] { weblinks::openAddress(weblinks::kSupportBoard); });
    connect(m_menus.about, &QAction::triggered, this, &frmMain::showAbout);
}

void frmMain::open()
{
    adjustSize();
    m_dock->placePair();
    show();
    setHistoryShown(true);
}

void frmMain::deliverCapture(const QImage& picture)
{
    m_images.setCaptured(picture);
    m_canvas->fitToImage();
    m_canvas->refresh();
    m_undo->setEnabled(m_images.undoAvailable());
    m_compression->switchEstimatesOn();
    m_compression->EstimateJpegSize();
    m_compression->EstimatePngSize();
}

void frmMain::OnTabSelected(int tab)
{
    if (tab != 2) {
        m_fill->picker().switchOff();
    }
    if (tab == 2 || tab == 3) {
        m_images.TakeUndoSnapshot();
    }
    if (tab == 4) {
        m_images.TakeUndoSnapshot();
        m_images.takeTextBase();
        m_text->enterTab();
    }
    if (tab == 0) {
        m_compression->EstimateJpegSize();
        m_compression->EstimatePngSize();
    }
    m_undo->setEnabled(m_images.undoAvailable());
}

void frmMain::undo()
{
    m_images.undo();
    m_fill->resetWidths();
    m_canvas->refresh();
    m_undo->setEnabled(m_images.undoAvailable());
    m_compression->canvasChanged();
}

void frmMain::RestoreCaptured()
{
    m_fill->ResetBorderFill();
    m_images.RestoreCaptured();
    m_canvas->refresh();
    m_undo->setEnabled(m_images.undoAvailable());
    m_compression->canvasChanged();
}

void frmMain::setHistoryShown(bool shown)
{
    m_openHistory->setVisible(!shown);
    m_closeHistory->setVisible(shown);
    if (!shown) {
        m_history->hide();
        return;
    }
    m_history->show();
    m_history->snapToWindow(*this);
}

void frmMain::setAlwaysOnTop(bool on)
{
    // Changing the flag re-creates the native window; keep it where it is.
    const QPoint at = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    m_menus.front->setChecked(on);
    move(at);
    show();
}

void frmMain::showAbout()
{
    if (!m_about) {
        m_about = new frmAbout(this);
    }
    m_about->show();
    m_about->raise();
}

void frmMain::saveJpeg()
{
    const QString path =
        saving::SaveJpeg(this, m_dialogs, [this] { return m_compression->currentJpegFile(); });
    if (!path.isEmpty()) {
        m_history->AddJpegToHistory(path);
    }
}

void frmMain::savePng()
{
    const QString path =
        saving::SavePng(this, m_dialogs, [this] { return m_compression->currentPngFile(); });
    if (!path.isEmpty()) {
        m_history->AddPngToHistory(path);
    }
}

void frmMain::saveBmp()
{
    saving::SaveBmp(this, m_dialogs, m_images.canvas());
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Closing the main window through its frame closes the history, then ends the program.
    event->accept();
    m_history->hide();
    emit endRequested();
}
