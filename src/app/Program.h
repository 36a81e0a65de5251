#pragma once

#include "app/ProgramFlow.h"
#include "capture/mdlZoom.h"
#include "platform/Dialogs.h"
#include "platform/WorkFolder.h"
#include "platform/mdlIni.h"
#include "screen/ScreenGrabber.h"

#include <memory>

class QApplication;

// The whole program as main() starts it: settings file, dialogs, live capture and
// the window flow, wired to end the application.
class Program
{
public:
    // Names, window icon: what the application object needs before any window exists.
    static void configureApplication(QApplication& app);

    Program();

    // Opens the first window; the application's event loop does the rest.
    void start();

    ProgramFlow& flow() { return m_flow; }

private:
    SettingsFile m_settings;
    QtDialogs m_dialogs;
    std::unique_ptr<ScreenGrabber> m_grabber;  // chosen once for the running desktop
    mdlZoom m_liveCapture;
    WorkFolder m_workFolder;
    ProgramFlow m_flow;
};
