// MainWindow: project files and the generated C header files.
#include "mainwindow.h"

#include "errorreporter.h"
#include "prompt.h"
#include "registermodel.h"

#include <QFile>
#include <QFileInfo>

bool MainWindow::load(const QString &fileName)
{
    stopPollingThreads();
    usbTimeoutCount = 0;
    QString file = fileName;
    if (file.isEmpty()) {
        if (!maybeSave())
            return false;
        file = Prompt::instance().openFileName(this, tr("Open Configuration File"), workingDir,
                                               tr("Configuration Files (*.qlmp)"));
        if (file.isEmpty())
            return false;
    }
    if (!isXmlFile(file))
        return loadOld(file);
    QFile device(file);
    if (!device.open(QIODevice::ReadOnly | QIODevice::Text)) {
        reportCannotOpenFile(file, device.errorString());
        return false;
    }
    setWorkingDir(QFileInfo(file).absolutePath());
    QString errorText;
    if (!loadProject(&device, true, &errorText)) {
        logCannotReadFile(file, errorText);
        newProject();
        return false;
    }
    setCurrentFile(file);
    initLoadedConfiguration(false);
    return true;
}

bool MainWindow::loadProject(QIODevice *device, bool setValues, QString *errorText)
{
    // Reading the values of a project comes with the project file format.
    Q_UNUSED(device)
    Q_UNUSED(setValues)
    if (errorText)
        *errorText = tr("project files cannot be read by this version");
    return false;
}

bool MainWindow::loadOld(const QString &fileName)
{
    // Importing an older generated header comes with the header read-back.
    logCannotReadFile(fileName, tr("not a project file"));
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

bool MainWindow::headerFilesToExport() const
{
    for (ModuleRecord *module : moduleTable) {
        if (!module)
            continue;
        for (RegisterRecord *reg : qAsConst(module->registers)) {
            if (reg && !reg->headerName.isEmpty())
                return true;
        }
    }
    return false;
}

bool MainWindow::maybeSave()
{
    return true;
}

bool MainWindow::save()
{
    return true;
}
