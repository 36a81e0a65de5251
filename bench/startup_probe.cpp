// Sorakado's start-up as main() does it, ended right after the first window appears.
// The time of that moment (steady clock, nanoseconds) is the one line on standard output.
#include "app/Program.h"

#include "FirstWindowQuit.h"

#include <QApplication>
#include <QTimer>

using probe::FirstWindowQuit;
using probe::kNoWindowExitCode;
using probe::kNoWindowGiveUp;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    FirstWindowQuit quitter;
    app.installEventFilter(&quitter);
    QTimer::singleShot(kNoWindowGiveUp, &app, [] { QCoreApplication::exit(kNoWindowExitCode); });

    Program::configureApplication(app);
    Program program;
    program.start();
    return QApplication::exec();
}
