#include "app/Program.h"
#include "platform/HeapTuning.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    heaptuning::keepFreedMemory();
    QApplication app(argc, argv);
    Program::configureApplication(app);
    Program program;
    program.start();
    return QApplication::exec();
}
