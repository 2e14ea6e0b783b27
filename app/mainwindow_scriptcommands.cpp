// MainWindow as the host of the script commands on files, elements, tables,
// the window and the target: each operation is the one the window's menus or
// the mouse use.
#include "mainwindow.h"

#include "errorreporter.h"
#include "panel.h"
#include "prompt.h"
#include "pushbutton.h"
#include "scriptcommandfamilies.h"
#include "tabwidget.h"
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
    return saveProjectFile(path, sorted);
}

void MainWindow::scriptSetCurrentFile(const QString &path)
{
    setCurrentFile(path);
}

void MainWindow::scriptSetDefinePrefix(const QString &key, const QString &text)
{
    m_panel->definePrefixes.insert(key, text);
}

void MainWindow::scriptSelectFromCatalog(const QString &file)
{
    selectFromCatalog(file);
}

bool MainWindow::scriptExportHeaders()
{
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

void MainWindow::scriptSetDef(const QString &text)
{
    m_panel->setDef(text);
}

void MainWindow::scriptLock(const QString &text)
{
    m_panel->on_sendLock(text);
}

void MainWindow::scriptUnlock(const QString &text)
{
    m_panel->on_sendUnlock(text);
}

void MainWindow::scriptRaiseElement(ActiveElement *element)
{
    raiseGUIElement(element);
}

QList<QPair<QString, QObject *>> MainWindow::scriptPushButtons()
{
    QList<QPair<QString, QObject *>> buttons;
    for (auto it = m_panel->pushButtonsByName.cbegin(); it != m_panel->pushButtonsByName.cend(); ++it)
        buttons.append({it.key(), it.value()});
    // The registry is a hash: a fixed order makes the first match repeatable.
    std::sort(buttons.begin(), buttons.end(),
              [](const QPair<QString, QObject *> &a, const QPair<QString, QObject *> &b) { return a.first < b.first; });
    return buttons;
}

// ---------------------------------------------------------------------------
// Window

void MainWindow::scriptSetFullScreen(bool on)
{
    if (on != fullScreen)
        switchFullscreenMode();
}

void MainWindow::scriptSelectTab(const QString &name, int index)
{
    if (TabWidget *tabs = m_panel->tabWidgetsByName.value(name))
        tabs->setCurrentIndex(index);
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

void MainWindow::scriptResetGui()
{
    m_panel->resetGUI();
}

void MainWindow::scriptGenerateXmlFromSvd(const QString &svdFile, bool treeLayout)
{
    generateXMLFromSVD(svdFile, treeLayout);
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
    if (!tykLink)
        tykLink = new TykLink(m_panel->ioPortName, m_panel->ioPortSettings);
    TykTaskDownload::TaskHeader header;
    header.header1 = header1;
    header.header2 = flag ? 1 : 0;
    header.header3 = header3;
    header.headerWord = word;
    quint8 status = 0xFF;
    return TykTaskDownload::sendTask(*tykLink, file, header, status, error);
}
