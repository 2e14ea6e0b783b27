// MainWindow: the adapter actions (send and receive value lists).
#include "mainwindow.h"

void MainWindow::sendUSB(const QString &values)
{
    Q_UNUSED(values)
}

void MainWindow::recData(const QString &values)
{
    Q_UNUSED(values)
}
