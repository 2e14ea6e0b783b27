// MainWindow: the action slots elements reach by name that have no file of
// their own (starting programs). setDef, the locks, the panel reset and the
// colour slots live in mainwindow_setdef.cpp, mainwindow_locks.cpp,
// mainwindow_reset.cpp and mainwindow_colours.cpp.
#include "mainwindow.h"

void MainWindow::startProgram(QString program)
{
    Q_UNUSED(program)
}
