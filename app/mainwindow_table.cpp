// MainWindow: the adapter link of the register tables and the value lists.
#include "mainwindow.h"

#include "panel.h"
#include "tyklink.h"
#include "tykvalueexchange.h"

void MainWindow::sendUSB(const QString &values)
{
    m_tykValues->send(values);
}

void MainWindow::recData(const QString &values)
{
    m_tykValues->receive(values);
}

void MainWindow::replaceTykLink(TykLink *link)
{
    delete tykLink;
    tykLink = link;
}

TykLink *MainWindow::tykLinkForTables(bool create)
{
    if (!tykLink && create) {
        tykLink = new TykLink(m_panel->ioPortName(), m_panel->ioPortSettings());
        tykLink->setConsole([this](const QString &line) { consolePrint(line); });
        tykLink->openLog(tykLoggingMode, tykLoggingTimeStamps, tykLoggingFilename);
    }
    return tykLink;
}
