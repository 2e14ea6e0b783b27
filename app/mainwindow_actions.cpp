// MainWindow: the action slots elements reach by name (setDef, locks, panel
// reset, loading files, starting programs).
#include "mainwindow.h"

void MainWindow::checkLockConditions()
{
    for (ActiveElement *element : qAsConst(allElements))
        element->applyLocks();
}

void MainWindow::setDef(QString items)
{
    Q_UNUSED(items)
}

void MainWindow::resetGUI(QString unused)
{
    Q_UNUSED(unused)
}

void MainWindow::on_sendLock(QString lock)
{
    Q_UNUSED(lock)
}

void MainWindow::on_sendUnlock(QString lock)
{
    Q_UNUSED(lock)
}

void MainWindow::startProgram(QString program)
{
    Q_UNUSED(program)
}
