// MainWindow: opening a panel, the post-load set-up, new projects and the
// polling threads' stop.
#include "mainwindow.h"

#include "errorreporter.h"
#include "pollingthreads.h"

#include <QFileInfo>

bool MainWindow::open(const QString &fileName)
{
    stopPollingThreads();
    QFileInfo info(fileName);
    if (!info.exists() || !info.isReadable()) {
        reportCannotOpenFile(fileName, tr("No such file or directory"));
        return false;
    }
    // Panel files are read by the panel reader, which this build does not have yet.
    reportNoContainerRoot(fileName);
    return false;
}

bool MainWindow::initLoadedConfiguration(bool firstLoad)
{
    Q_UNUSED(firstLoad)
    loading = false;
    return true;
}

void MainWindow::newProject()
{
    stopPollingThreads();
}

void MainWindow::stopPollingThreads()
{
    stopPollingThread(seggerThread, seggerPolling);
    stopPollingThread(serialComThread, serialPolling);
}
