#pragma once

#include "app/MainMenus.h"
#include "common/PhoneModel.h"
#include "edit/CanvasRouter.h"
#include "edit/EditImages.h"
#include "edit/ToolColours.h"
#include "edit/ToolContext.h"

#include <QMainWindow>
#include <memory>

class BorderFillPage;
class HistoryDock;
class FreehandPage;
class LightingPage;
class TextPage;
class CompressionPage;
class Dialogs;
class EditCanvas;
class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;
class WorkFolder;
class frmAbout;
class frmPicFiles;

// The main window: the captured picture on the canvas, the tool tabs, saving, and
// the history window docked at its right edge. Made anew for every capture.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    // `workFolder` holds the work files of the size estimates and outlives the window.
    frmMain(const PhoneModel& phone, Dialogs& dialogs, WorkFolder& workFolder,
            QWidget* parent = nullptr);
    ~frmMain() override;

    // Shows the window with the history docked beside it, placed so that both
    // stand on the screen.
    void open();

    // A new capture at the phone's size: onto the canvas, kept as the captured
    // picture, and both sizes estimated (JPEG first).
    void deliverCapture(const QImage& picture);

    EditImages& images() { return m_images; }
    frmPicFiles& history() { return *m_history; }
    const PhoneModel& phone() const { return m_phone; }

    void OnTabSelected(int tab);
    void undo();
    void RestoreCaptured();

signals:
    // " 再度取り込み": back to the scale dialog for a new capture.
    void captureAgainRequested();
    // " 終了", "終了(&X)" or the window closed: the program ends.
    void endRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void wireSavePage();
    QWidget* buildCanvasColumn();
    QLayout* buildBottomRow();
    void wireMenus();
    void setHistoryShown(bool shown);
    void setAlwaysOnTop(bool on);
    void showAbout();
    void saveJpeg();
    void savePng();
    void saveBmp();

    PhoneModel m_phone;
    Dialogs& m_dialogs;
    WorkFolder& m_workFolder;
    EditImages m_images;
    ToolColours m_colours;
    std::unique_ptr<ToolContext> m_context;
    std::unique_ptr<CanvasRouter> m_router;
    MainMenus m_menus;

    EditCanvas* m_canvas = nullptr;
    QScrollArea* m_canvasFrame = nullptr;
    QTabWidget* m_tabs = nullptr;
    CompressionPage* m_compression = nullptr;
    BorderFillPage* m_fill = nullptr;
    TextPage* m_text = nullptr;
    FreehandPage* m_draw = nullptr;
    QPushButton* m_undo = nullptr;
    QPushButton* m_openHistory = nullptr;
    QPushButton* m_closeHistory = nullptr;
    frmPicFiles* m_history = nullptr;
    frmAbout* m_about = nullptr;
    HistoryDock* m_dock = nullptr;
};
