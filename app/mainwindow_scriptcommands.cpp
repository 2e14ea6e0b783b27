// MainWindow as the host of the script commands on files, elements, tables,
// the window and the target: each operation is the one the window's menus or
// the mouse use.
#include "mainwindow.h"

#include "errorreporter.h"
#include "panel.h"
#include "prompt.h"
#include "scriptcommandfamilies.h"
#include "tyklink.h"
#include "tyktaskdownload.h"

#include <QDockWidget>
#include <QFileInfo>

void MainWindow::addScriptCommandFamilies()
{
    m_scripts.addCommands(windowCommandFamilies(this));
}

// ---------------------------------------------------------------------------
// Files and directories

bool MainWindow::scriptLoadFile(const QString &path)
{
    return loadFile(path, true);
}

bool MainWindow::scriptSaveProject(const QString &path, bool sorted)
{
    if (refuseSaveWithoutPanel(path))
        return false;
    return saveProjectFile(path, sorted);
}

void MainWindow::scriptSetCurrentFile(const QString &path)
{
    setCurrentFile(path);
}

bool MainWindow::scriptSelectFromCatalog(const QString &file)
{
    bool catalogRead = false;
    selectFromCatalog(file, &catalogRead);
    return catalogRead;
}

bool MainWindow::scriptExportHeaders()
{
    // After an open that failed (or was refused for a mistake) only the home
    // panel, or nothing, is left: a script's EXPORT has no panel to write from.
    if (homePanelShown || m_panel->getXMLFile().isEmpty()) {
        ::reportError(tr("Cannot export the header files:\nno panel is open."));
        return false;
    }
    return exportHeaderFiles(false);
}

bool MainWindow::scriptSign(const QString &file)
{
    return signXmlChecksum(file);
}

void MainWindow::scriptValidate(const QString &file)
{
    validateXmlFile(file);
}

void MainWindow::scriptCheckXsd(const QString &file)
{
    checkXsd(file);
}

// ---------------------------------------------------------------------------
// Elements

ScriptPanelHost *MainWindow::scriptPanel()
{
    return m_panel;
}

void MainWindow::scriptRaiseElement(ActiveElement *element)
{
    raiseGUIElement(element);
}

// ---------------------------------------------------------------------------
// Window

void MainWindow::scriptSetFullScreen(bool on)
{
    if (on != fullScreen)
        switchFullscreenMode();
}

void MainWindow::scriptMoveWindow(int x, int y, bool raiseWindow)
{
    move(x, y);
    if (raiseWindow)
        raise();
}

void MainWindow::scriptClearConsole()
{
    clearConsole();
}

void MainWindow::scriptShowConsole(bool on)
{
    keepConsoleHidden = !on;
    if (m_consoleDock)
        m_consoleDock->setVisible(on);
}

void MainWindow::scriptShowPinMapper()
{
    openPortMappingDialog();
}

bool MainWindow::scriptGenerateXmlFromSvd(const QString &svdFile, bool treeLayout, int *namesLeftOut)
{
    return generateXMLFromSVD(svdFile, treeLayout, namesLeftOut);
}

QString MainWindow::scriptFileDialog(const QString &caption, const QString &directory, const QString &filter,
                                     bool open)
{
    // Quiet runs show no dialog from scripts, and a run without a user gets
    // the prompt's cancel: nothing waits on it.
    if (quiet)
        return QString();
    Prompt &prompt = Prompt::instance();
    return open ? prompt.openFileName(this, caption, directory, filter)
                : prompt.saveFileName(this, caption, directory, filter);
}

// ---------------------------------------------------------------------------
// Target

bool MainWindow::scriptSendTask(const QString &file, quint8 header1, bool flag, quint8 header3, quint16 word,
                                QString *error)
{
    if (!isTykInterface(m_panel->ioPortName())) {
        // Told here; the command adds no error line of its own.
        ::logMessage(QStringLiteral("<font color=\"orange\">\n\nCurrently loaded XML doesn't use an Tyk.</font><br>"));
        if (error)
            error->clear();
        return false;
    }
    tykLinkForTables(true);
    TykTaskDownload::TaskHeader header;
    header.header1 = header1;
    header.header2 = flag ? 1 : 0;
    header.header3 = header3;
    header.headerWord = word;
    quint8 status = 0xFF;
    return TykTaskDownload::sendTask(*tykLink, file, header, status, error);
}
