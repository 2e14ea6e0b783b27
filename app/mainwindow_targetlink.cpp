// MainWindow: the adapter actions (send and receive value lists).
#include "mainwindow.h"

#include "jlink.h"
#include "jlinkconnection.h"
#include "panel.h"

void MainWindow::sendUSB(const QString &values)
{
    Q_UNUSED(values)
}

void MainWindow::recData(const QString &values)
{
    Q_UNUSED(values)
}

// Target variables are polled through J-Link: connect when no probe is open
// yet. A failed connection reports itself and the load goes on.
void MainWindow::connectTargetForPolling()
{
    if (JLink::JLINKARM_IsOpen())
        return;
    jlinkSettings = JLinkSettings();
    jlinkDefaultSettings(jlinkSettings);
    jlinkConnect(jlinkSettings);
}

void MainWindow::queryTykFirmwareVersion(bool compareWithPanel)
{
    Q_UNUSED(compareWithPanel)
}
