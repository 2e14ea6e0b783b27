// MainWindow: the adapter actions (send and receive value lists).
#include "mainwindow.h"

#include "panel.h"

void MainWindow::sendUSB(const QString &values)
{
    Q_UNUSED(values)
}

void MainWindow::recData(const QString &values)
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
