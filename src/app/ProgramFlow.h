#pragma once

#include <QObject>
#include <memory>

class Dialogs;
class QImage;
class LiveCapture;
class SettingsFile;
class WorkFolder;
class frmSize;
class frmMain;
class frmZoom;

// Which window follows which: selection dialog, scale dialog, and the end of the
// program. Owns the windows that live for the whole run.
class ProgramFlow : public QObject
{
    Q_OBJECT

public:
    ProgramFlow(SettingsFile& settings, Dialogs& dialogs, LiveCapture& liveCapture,
                QString programFolder, WorkFolder& workFolder);
    ~ProgramFlow() override;

    // Opens the selection dialog (which may go on to the scale dialog by itself).
    void start();

    frmSize& sizeDialog() { return *m_size; }
    // The scale dialog, once the selection dialog has handed over; else null.
    frmZoom* zoomDialog() { return m_zoom.get(); }
    // The main window of the current capture; else null.
    frmMain* mainWindow() { return m_main.get(); }

signals:
    // The program is to end now: nothing is asked and nothing is saved.
    void endRequested();

private:
    void showZoom();
    void backToSize();
    void end();
    void onCaptureTaken(const QImage& snapshot);
    void captureAgain();
    void closeMainWindow();

    Dialogs& m_dialogs;
    LiveCapture& m_liveCapture;
    WorkFolder& m_workFolder;
    std::unique_ptr<frmSize> m_size;
    std::unique_ptr<frmZoom> m_zoom;
    std::unique_ptr<frmMain> m_main;
};
