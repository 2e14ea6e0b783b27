#include "windowscripthost.h"

#include "mainwindow.h"

#include "activeelement.h"
#include "apppaths.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "lineedit.h"
#include "quillpanel.h"
#include "programversion.h"
#include "prompt.h"
#include "registermodel.h"
#include "svdpanelgeneration.h"
#include "table.h"
#include "tyklink.h"
#include "tyktaskdownload.h"
#include "windowconsole.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTextEdit>

#include <cstdio>
#include <cstdlib>

// Each one-line accessor of the interfaces reads or sets the window's state.
bool WindowScriptHost::quietMode() const
{
    return m_window.m_run.quiet;
}

void WindowScriptHost::setQuietMode(bool on)
{
    m_window.m_run.quiet = on;
}

void WindowScriptHost::setScriptWorkingDir(const QString &dir)
{
    m_window.setWorkingDir(dir);
}

QWidget *WindowScriptHost::scriptDialogParent()
{
    return &m_window;
}

QString WindowScriptHost::scriptCurrentFile() const
{
    return m_window.m_projectFile;
}

QString WindowScriptHost::scriptWorkingDir() const
{
    return m_window.m_settings.workingDir;
}

QString WindowScriptHost::scriptScriptsDir() const
{
    return m_window.m_settings.scriptsDir;
}

void WindowScriptHost::scriptSetWorkingDir(const QString &dir)
{
    m_window.setWorkingDir(dir);
}

void WindowScriptHost::scriptSetScriptsDir(const QString &dir)
{
    m_window.setScriptsDir(dir);
}

JLinkSettings &WindowScriptHost::scriptJLinkSettings()
{
    return m_window.m_targetLink.jlinkSettings;
}

QVector<IntelHexBlock> &WindowScriptHost::scriptIntelHexBlocks()
{
    return m_window.m_intelHexBlocks;
}

void WindowScriptHost::printOnConsole(const QString &html)
{
    m_window.consolePrint(html);
}

ActiveElement *WindowScriptHost::elementByDefine(const QString &define)
{
    return m_window.m_panel->getActiveElement(define);
}

QList<ActiveElement *> WindowScriptHost::scriptElements()
{
    return m_window.m_panel->getAllElements();
}

QHash<QString, DataClass *> WindowScriptHost::scriptVariables()
{
    return m_window.m_panel->registries().variablesByName;
}

bool WindowScriptHost::elementEnabled(QObject *element)
{
    return isElementEnabled(element);
}

bool WindowScriptHost::registerValueText(const QString &objectName, QString *text)
{
    const QString moduleName = PanelNames::getModuleName(objectName);
    const QString registerName = PanelNames::getRegisterName(objectName);
    if (moduleName.isEmpty() || registerName.isEmpty() || !m_window.m_panel->registries().moduleTable.contains(moduleName))
        return false;
    RegisterRecord *reg = m_window.m_panel->getRegister(moduleName, registerName);
    if (!reg)
        return false;
    bool notNumeric = false;
    *text = reg->valueText(&notNumeric);
    return true;
}

void WindowScriptHost::setDirEntry(const QString &entry)
{
    ActiveElement *element = m_window.m_panel->getActiveElement(QStringLiteral("$DIR$"));
    if (!element) {
        auto *dir = new LineEdit(QStringLiteral("$DIR$"), &m_window);
        dir->hide();
        m_window.m_panel->wiring().connectChangedByUser(dir);
        element = activeElementOf(static_cast<QObject *>(dir));
        if (element)
            m_window.m_panel->assignRegisterField(QStringLiteral("$DIR$"), QString(), element, false);
    }
    if (element)
        element->setValue(entry, KeywordValue);
}

void WindowScriptHost::setLogSetDefs(bool on)
{
    m_window.m_panel->setDefState().setLogSetDefs(on);
}

void WindowScriptHost::setIoCheckMode(quint16 mode)
{
    m_window.m_panel->editHeader().ioCheckMode = mode;
}

void WindowScriptHost::setTykLogging(int mode, bool timeStamps, const QString &file)
{
    if (!m_window.m_targetLink.tykLink) {
        // The link's console lines (log mode bit 0) go to the window's console
        // like those of a link made anywhere else.
        m_window.m_targetLink.tykLink = m_window.m_tykAdapter->newLink();
    }
    m_window.m_targetLink.tykLink->openLog(quint16(mode), timeStamps, file);
}

QStringList WindowScriptHost::versionTexts()
{
    return {programVersion().text(),
            QCoreApplication::applicationFilePath(),
            QDir::currentPath(),
            m_window.m_settings.scriptsDir,
            m_window.m_settings.workingDir,
            m_window.m_panel->header().xmlDir,
            WindowTykAdapter::firmwarePath(),
            m_window.m_panel->header().xmlFile,
            m_window.m_panel->header().svdFile,
            m_window.m_panel->header().migrationFile};
}

void WindowScriptHost::exitProgram(int mode, int exitCode)
{
    switch (mode) {
    case 1: m_window.m_closeMode = CloseMode::Save; break;
    case 2: m_window.m_closeMode = CloseMode::Discard; break;
    case 3: m_window.m_closeMode = CloseMode::Refuse; break;
    default: m_window.m_closeMode = CloseMode::Ask; break;
    }
    // Quiet runs show no dialog from scripts: the close takes its default answers.
    if (m_window.m_run.quiet && Prompt::instance().isInteractive())
        Prompt::install(std::make_unique<NonInteractivePrompt>());
    // A save the close was told or asked to make and that was refused or
    // failed (the project as it stands is lost) fails the run.
    const int failedSavesBefore = m_window.m_run.failedSaveCount;
    m_window.close();
    if (m_window.m_run.failedSaveCount != failedSavesBefore)
        exitCode = qMin(exitCode + 1, 255);
    // The process ends with the count whatever the close decided.
    m_window.stopPollingThreads();
    closeLogFile();
    std::fflush(nullptr);
    std::exit(exitCode);
}

bool WindowScriptHost::scriptLoadFile(const QString &path)
{
    return m_window.loadFile(path, true);
}

bool WindowScriptHost::scriptSaveProject(const QString &path, bool sorted)
{
    if (m_window.refuseSaveWithoutPanel(path))
        return false;
    return m_window.saveProjectFile(path, sorted);
}

void WindowScriptHost::scriptSetCurrentFile(const QString &path)
{
    m_window.setCurrentFile(path);
}

bool WindowScriptHost::scriptSelectFromCatalog(const QString &file)
{
    bool catalogRead = false;
    m_window.selectFromCatalog(file, &catalogRead);
    return catalogRead;
}

bool WindowScriptHost::scriptExportHeaders()
{
    // After an open that failed (or was refused for a mistake) only the home
    // panel, or nothing, is left: a script's EXPORT has no panel to write from.
    if (m_window.m_homePanelShown || m_window.m_panel->header().xmlFile.isEmpty()) {
        ::reportError(QObject::tr("Cannot export the header files:\nno panel is open."));
        return false;
    }
    return m_window.exportHeaderFiles(false);
}

bool WindowScriptHost::scriptSign(const QString &file)
{
    return m_window.signXmlChecksum(file);
}

void WindowScriptHost::scriptValidate(const QString &file)
{
    m_window.panelValidation().validateXmlFile(file);
}

void WindowScriptHost::scriptCheckXsd(const QString &file)
{
    PanelValidation::checkXsd(file);
}

ScriptPanelHost *WindowScriptHost::scriptPanel()
{
    return m_window.m_panel->scriptHost();
}

void WindowScriptHost::scriptRaiseElement(ActiveElement *element)
{
    m_window.m_elementFinder->raiseElement(element);
}

void WindowScriptHost::scriptSetFullScreen(bool on)
{
    if (on != m_window.m_fullScreen)
        m_window.switchFullscreenMode();
}

void WindowScriptHost::scriptMoveWindow(int x, int y, bool raiseWindow)
{
    m_window.move(x, y);
    if (raiseWindow)
        m_window.raise();
}

void WindowScriptHost::scriptClearConsole()
{
    m_window.clearConsole();
}

void WindowScriptHost::scriptShowConsole(bool on)
{
    if (m_window.m_console)
        m_window.m_console->setShown(on);
}

void WindowScriptHost::scriptShowPinMapper()
{
    m_window.m_pinMapping->openPortMappingDialog();
}

bool WindowScriptHost::scriptGenerateXmlFromSvd(const QString &svdFile, bool treeLayout, int *namesLeftOut)
{
    return generatePanelFromSvd(m_window.m_panel, svdFile, treeLayout, namesLeftOut);
}

bool WindowScriptHost::tableCell(const QString &define, int row, int column, QString *text, bool *numericColumn,
                                 bool *inRange)
{
    int rows = 0;
    int columns = 0;
    if (!readTableCell(objectOf(m_window.m_panel->getActiveElement(define)), row, column, &rows, &columns, text,
                       numericColumn))
        return false;
    // Script numbers reach the table only inside its bounds.
    if (row < 0 || row >= rows) {
        reportIndexOutOfRange(define, QStringLiteral("AssertTableValue"), row, 0, rows - 1);
        *inRange = false;
        return true;
    }
    if (column < 0 || column >= columns) {
        reportIndexOutOfRange(define, QStringLiteral("AssertTableValue"), column, 0, columns - 1);
        *inRange = false;
        return true;
    }
    *inRange = true;
    return true;
}

QString WindowScriptHost::scriptFileDialog(const QString &caption, const QString &directory, const QString &filter,
                             bool open)
{
    // Quiet runs show no dialog from scripts, and a run without a user gets
    // the prompt's cancel: nothing waits on it.
    if (m_window.m_run.quiet)
        return QString();
    Prompt &prompt = Prompt::instance();
    return open ? prompt.openFileName(&m_window, caption, directory, filter)
                : prompt.saveFileName(&m_window, caption, directory, filter);
}

bool WindowScriptHost::scriptSendTask(const QString &file, quint8 header1, bool flag, quint8 header3, quint16 word,
                        QString *error)
{
    if (!isTykInterface(m_window.m_panel->header().ioPortName)) {
        // Told here; the command adds no error line of its own.
        ::logMessage(QStringLiteral("<font color=\"orange\">\n\nCurrently loaded XML doesn't use an Tyk.</font><br>"));
        if (error)
            error->clear();
        return false;
    }
    m_window.m_tykAdapter->link(true);
    TykTaskDownload::TaskHeader header;
    header.header1 = header1;
    header.header2 = flag ? 1 : 0;
    header.header3 = header3;
    header.headerWord = word;
    quint8 status = 0xFF;
    return TykTaskDownload::sendTask(*m_window.m_targetLink.tykLink, file, header, status, error);
}

bool isElementEnabled(QObject *element)
{
    if (!element)
        return false;
    // Value-bearing element kinds with a QWidget base answer for themselves.
    if (qobject_cast<QComboBox *>(element) || qobject_cast<QCheckBox *>(element)
        || qobject_cast<QPushButton *>(element) || qobject_cast<QDoubleSpinBox *>(element)
        || qobject_cast<QSpinBox *>(element) || qobject_cast<QLineEdit *>(element)
        || qobject_cast<QTextEdit *>(element))
        return static_cast<QWidget *>(element)->isEnabled();
    // A radio group is no widget; its buttons are switched together, so the
    // first one (id 0) answers for it. A group without buttons is not enabled.
    if (auto *group = qobject_cast<QButtonGroup *>(element))
        return group->button(0) && group->button(0)->isEnabled();
    return false;
}
