// MainWindow: the adapter's firmware version, its update, and task downloads.
#include "mainwindow.h"

void MainWindow::queryTykFirmwareVersion(bool compareWithPanel)
{
    Q_UNUSED(compareWithPanel)
}

void MainWindow::getTykFWVersion() {}
void MainWindow::updateTykFW() {}
