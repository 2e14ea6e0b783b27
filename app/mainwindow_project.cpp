// MainWindow: project files and the generated C header files.
#include "mainwindow.h"

#include "errorreporter.h"

#include <QFileInfo>

bool MainWindow::load(const QString &fileName)
{
    stopPollingThreads();
    if (!QFileInfo::exists(fileName)) {
        reportCannotOpenFile(fileName, tr("No such file or directory"));
        return false;
    }
    // Project files need their panel, which this build cannot read yet.
    reportNoContainerRoot(fileName);
    return false;
}

bool MainWindow::saveProjectFile(const QString &fileName, bool sorted)
{
    Q_UNUSED(sorted)
    // Nothing to save without a loaded panel.
    reportWriteError(fileName);
    return false;
}

bool MainWindow::exportHeaderFiles(bool all)
{
    Q_UNUSED(all)
    // No panel, no defines: there is no header to write.
    return true;
}

bool MainWindow::maybeSave()
{
    return true;
}

bool MainWindow::save()
{
    return true;
}
