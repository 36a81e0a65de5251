#include "app/Program.h"

#include "platform/AppPaths.h"
#include "platform/FileLimits.h"
#include "platform/QtTexts.h"
#include "screen/ScreenGrabberFactory.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

void Program::configureApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("sorakado"));
    QApplication::setOrganizationName(QString());
    // Ties the windows to the desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Sorakado"));
    QIcon icon;
    for (int size : {16, 32, 48, 128, 256}) {
        // With the size given, each picture is decoded only when a window needs it.
        icon.addFile(QStringLiteral(":/icons/sorakado-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);
    // The window flow ends the program itself; hiding one dialog to show the next
    // must never end it.
    app.setQuitOnLastWindowClosed(false);
    filelimits::reportOversizedWritesAsErrors();
    qttexts::useJapanese(app);
}

Program::Program()
    : m_settings(mdlIni::settingsPath()),
      m_grabber(screengrabbers::create(QFileInfo(m_settings.path()).absolutePath())),
      m_liveCapture(*m_grabber),
      m_workFolder(apppaths::workFolderCandidates()),
      m_flow(m_settings, m_dialogs, m_liveCapture, apppaths::programFolder(), m_workFolder)
{
    QObject::connect(&m_flow, &ProgramFlow::endRequested, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
}

void Program::start()
{
    m_flow.start();
}
