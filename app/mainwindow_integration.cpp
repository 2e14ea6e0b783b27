// MainWindow: the update check and the Keil tools-menu integration.
#include "mainwindow.h"

#include "panel.h"
void MainWindow::checkForUpdates()
{
}

void MainWindow::cleanUpKeilEntries()
{
}

void MainWindow::runKeilStep()
{
}
