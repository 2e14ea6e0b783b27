// MainWindow as the script engine's host: the panel's registries, the
// window's settings that scripts change, and the end of an unattended run.
#include "mainwindow.h"

#include "activeelement.h"
#include "apppaths.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "lineedit.h"
#include "panel.h"
#include "programversion.h"
#include "prompt.h"
#include "registermodel.h"
#include "table.h"
#include "tyklink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardItemModel>

#include <cstdio>
#include <cstdlib>

void MainWindow::setUpScriptEngine()
{
    m_scripts.setHost(this);
    m_scripts.setEcho([this](const QString &html) { consolePrint(html); });
    addScriptCommandFamilies();
}

void MainWindow::printOnConsole(const QString &html)
{
    consolePrint(html);
}

ActiveElement *MainWindow::elementByDefine(const QString &define)
{
    return m_panel->getActiveElement(define);
}

QList<ActiveElement *> MainWindow::scriptElements()
{
    return m_panel->getAllElements();
}

QHash<QString, DataClass *> MainWindow::scriptVariables()
{
    return m_panel->registries().variablesByName;
}

bool MainWindow::elementEnabled(QObject *element)
{
    return isElementEnabled(element);
}

bool MainWindow::registerValueText(const QString &objectName, QString *text)
{
    const QString moduleName = Panel::getModuleName(objectName);
    const QString registerName = Panel::getRegisterName(objectName);
    if (moduleName.isEmpty() || registerName.isEmpty() || !m_panel->registries().moduleTable.contains(moduleName))
        return false;
    RegisterRecord *reg = m_panel->getRegister(moduleName, registerName);
    if (!reg)
        return false;
    bool notNumeric = false;
    *text = reg->valueText(&notNumeric);
    return true;
}

bool MainWindow::tableCell(const QString &define, int row, int column, QString *text, bool *numericColumn,
                           bool *inRange)
{
    auto *table = qobject_cast<Table *>(objectOf(m_panel->getActiveElement(define)));
    if (!table)
        return false;
    const int rows = table->tableModel() ? table->tableModel()->rowCount() : 0;
    const int columns = table->tableModel() ? table->tableModel()->columnCount() : 0;
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
    *text = table->cellText(quint16(row), quint16(column));
    *numericColumn = table->isNumericColumn(qint16(column));
    return true;
}

void MainWindow::setDirEntry(const QString &entry)
{
    ActiveElement *element = m_panel->getActiveElement(QStringLiteral("$DIR$"));
    if (!element) {
        auto *dir = new LineEdit(QStringLiteral("$DIR$"), this);
        dir->hide();
        m_panel->connectChangedByUser(dir);
        element = activeElementOf(static_cast<QObject *>(dir));
        if (element)
            m_panel->assignRegisterField(QStringLiteral("$DIR$"), QString(), element, false);
    }
    if (element)
        element->setValue(entry, KeywordValue);
}

void MainWindow::setLogSetDefs(bool on)
{
    m_panel->setLogSetDefs(on);
}

void MainWindow::setIoCheckMode(quint16 mode)
{
    m_panel->setIoCheckMode(mode);
}

void MainWindow::setTykLogging(int mode, bool timeStamps, const QString &file)
{
    if (!tykLink) {
        // The link's console lines (log mode bit 0) go to the window's console
        // like those of a link made anywhere else.
        tykLink = newTykLink();
    }
    tykLink->openLog(quint16(mode), timeStamps, file);
}

QStringList MainWindow::versionTexts()
{
    return {programVersion().text(),
            QCoreApplication::applicationFilePath(),
            QDir::currentPath(),
            scriptsDir,
            workingDir,
            m_panel->getXMLDir(),
            getTykFirmwarePath(),
            m_panel->getXMLFile(),
            m_panel->getSvdFile(),
            m_panel->getMigrationFile()};
}

void MainWindow::exitProgram(int mode, int exitCode)
{
    switch (mode) {
    case 1: closeMode = CloseMode::Save; break;
    case 2: closeMode = CloseMode::Discard; break;
    case 3: closeMode = CloseMode::Refuse; break;
    default: closeMode = CloseMode::Ask; break;
    }
    // Quiet runs show no dialog from scripts: the close takes its default answers.
    if (quiet && Prompt::instance().isInteractive())
        Prompt::install(std::make_unique<NonInteractivePrompt>());
    // A save the close was told or asked to make and that was refused or
    // failed (the project as it stands is lost) fails the run.
    const int failedSavesBefore = m_failedSaveCount;
    close();
    if (m_failedSaveCount != failedSavesBefore)
        exitCode = qMin(exitCode + 1, 255);
    // The process ends with the count whatever the close decided.
    stopPollingThreads();
    closeLogFile();
    std::fflush(nullptr);
    std::exit(exitCode);
}
