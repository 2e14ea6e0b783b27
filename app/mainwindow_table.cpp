// MainWindow: putting another adapter link in place of the window's.
#include "mainwindow.h"

#include "tyklink.h"

void MainWindow::replaceTykLink(TykLink *link)
{
    delete m_targetLink.tykLink;
    m_targetLink.tykLink = link;
}
