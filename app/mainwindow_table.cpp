// MainWindow: what the register tables use of the window.
#include "mainwindow.h"

#include "panel.h"
#include "tyklink.h"

TykLink *MainWindow::tykLinkForTables(bool create)
{
    if (!tykLink && create) {
        tykLink = new TykLink(m_panel->ioPortName, m_panel->ioPortSettings);
        tykLink->setConsole([this](const QString &line) { consolePrint(line); });
        tykLink->openLog(tykLoggingMode, tykLoggingTimeStamps, tykLoggingFilename);
    }
    return tykLink;
}
