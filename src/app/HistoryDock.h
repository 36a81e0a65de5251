#pragma once

#include <QObject>
#include <QSize>
#include <utility>

class QWidget;
class QWindow;
class frmPicFiles;

// Keeps the history docked at the main window's right edge, by the frames the window
// manager has now: on every move of the main window, and whenever either window's frame
// becomes known or changes. The user may still move the history away.
class HistoryDock : public QObject
{
public:
    HistoryDock(QWidget& main, frmPicFiles& history);

    // Places a new main window centred on its screen, then pulls the pair inside it.
    void placePair();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Docks the history (always, or only when a frame has changed), placing the pair
    // again when a frame has changed.
    void keepDocked(bool always);
    void watchExposure(QWindow* handle);

    QWidget& m_main;
    frmPicFiles& m_history;
    // The frame sizes of the main window and the history at the last placement.
    std::pair<QSize, QSize> m_placedFrames;
};
