// MainWindow: the J-Link connection of the post-load set-up.
#include "mainwindow.h"

#include "jlink.h"
#include "jlinkconnection.h"
#include "quillpanel.h"

// Target variables are polled through J-Link: connect when no probe is open
// yet. A failed connection reports itself and the load goes on.
void MainWindow::connectTargetForPolling()
{
    if (JLink::JLINKARM_IsOpen())
        return;
    m_targetLink.jlinkSettings = JLinkSettings();
    jlinkDefaultSettings(m_targetLink.jlinkSettings);
    jlinkConnect(m_targetLink.jlinkSettings);
}
