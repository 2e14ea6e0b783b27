// MainWindow: the adapter actions (send and receive value lists).
#include "mainwindow.h"

void MainWindow::sendUSB(QString values)
{
    Q_UNUSED(values)
}

void MainWindow::recData(QString values)
{
    Q_UNUSED(values)
}

void MainWindow::connectTargetForPolling()
{
}

void MainWindow::queryTykFirmwareVersion(bool compareWithPanel)
{
    Q_UNUSED(compareWithPanel)
}
