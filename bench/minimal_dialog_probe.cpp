// The start-up baseline: a bare Qt Widgets program with one empty dialog, ended right
// after that dialog appears. The time of that moment (steady clock, nanoseconds) is the
// one line on standard output.
#include "FirstWindowQuit.h"

#include <QApplication>
#include <QDialog>
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

    QDialog dialog;
    dialog.show();
    return QApplication::exec();
}
