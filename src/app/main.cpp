#include "app/ProgramFlow.h"
#include "app/mdlIni.h"
#include "capture/LiveCapture.h"
#include "platform/AppPaths.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sorakado"));
    QApplication::setOrganizationName(QString());
    QIcon icon;
    for (int size : {16, 32, 48, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/sorakado-%1.png").arg(size));
    }
    QApplication::setWindowIcon(icon);

    SettingsFile settings(mdlIni::settingsPath());
    QtDialogs dialogs;
    RecordingLiveCapture liveCapture;
    ProgramFlow flow(settings, dialogs, liveCapture, apppaths::programFolder());
    QObject::connect(&flow, &ProgramFlow::endRequested, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    flow.start();
    return QApplication::exec();
}
