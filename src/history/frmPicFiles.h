#pragma once

#include "history/HistorySlots.h"

#include <QWidget>
#include <array>
#include <functional>

class HistorySlot;
class QPushButton;
class frmHelp;

// The history of saved pictures, docked at the main window's right edge: eight
// thumbnails whose click puts the file's path on the clipboard, a button that
// clears them and a help popup.
class frmPicFiles : public QWidget
{
    Q_OBJECT

public:
    // `parent` is the main window; the history lives and dies with it.
    explicit frmPicFiles(QWidget* parent = nullptr);
    ~frmPicFiles() override;

    // The edit canvas's outer size (border included), which gives the thumbnails
    // their shape. Without it a thumbnail takes the shape of the file read back.
    void setCanvasSizeSource(std::function<QSize()> outerSize);

    // A saved file goes into the first free place of the history; a file that
    // cannot be read back leaves the place free. Nothing changes once all eight are taken.
    void AddJpegToHistory(const QString& path);
    void AddPngToHistory(const QString& path);

    // Puts the path of slot 1..8 on the clipboard as plain text.
    void CopySlotPath(int slot);
    // "履歴をすべて消去": every slot free again; the saved files are not touched.
    void ClearHistory();

    // Pulls the window back against the main window's right edge when it has been
    // left within 1000 twips of that place (run on pointer movement over the window).
    void SnapToMainWindow();
    // Top level with the given window's top, left edge touching its right edge;
    // where that runs off the screen, against its left edge or inside the screen.
    void snapToWindow(const QWidget& window);

signals:
    // The user closed the window through its frame; the history has been emptied.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildButtons();
    void addToHistory(const QString& path, const std::function<QImage(const QString&)>& readBack);
    void showHelp();

    HistorySlots m_slots;
    std::array<HistorySlot*, HistorySlots::kCount> m_slotViews{};
    QPushButton* m_help = nullptr;
    frmHelp* m_helpPopup = nullptr;
    std::function<QSize()> m_canvasSize;
};
