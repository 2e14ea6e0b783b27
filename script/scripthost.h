#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class ActiveElement;
class DataClass;
class QObject;
class QWidget;

// What the script engine needs of the window and the panel around it. The
// window implements it; tests give the engine a host of their own.
class ScriptHost
{
public:
    virtual ~ScriptHost() = default;

    // Appends HTML to the console (no line break is added).
    virtual void printOnConsole(const QString &html) = 0;

    // ---- The panel's registries
    // The element registered under define; null when there is none.
    virtual ActiveElement *elementByDefine(const QString &define) = 0;
    // Every value-bearing element in registration order.
    virtual QList<ActiveElement *> scriptElements() = 0;
    // The target variables by name.
    virtual QHash<QString, DataClass *> scriptVariables() = 0;
    virtual bool elementEnabled(QObject *element) = 0;
    // The value text of the register that an element's object name leads to
    // (module.register); false when the register model has no such register.
    virtual bool registerValueText(const QString &objectName, QString *text) = 0;
    // One cell of the table element registered under define. False when
    // define names no table; *inRange is false when row or column lies outside
    // the table (nothing is read then).
    virtual bool tableCell(const QString &define, int row, int column, QString *text,
                           bool *numericColumn, bool *inRange) = 0;
    // Sets the hidden "$DIR$" element (created on first use) to entry.
    virtual void setDirEntry(const QString &entry) = 0;

    // ---- The window's settings that scripts change
    virtual void setLogSetDefs(bool on) = 0;
    virtual bool quietMode() const = 0;
    virtual void setQuietMode(bool quiet) = 0;
    virtual void setIoCheckMode(quint16 mode) = 0;
    // Opens the adapter's traffic log, creating the adapter link when missing.
    virtual void setTykLogging(int mode, bool timeStamps, const QString &file) = 0;
    virtual void setScriptWorkingDir(const QString &dir) = 0;
    // The ten texts of the VERSION block: program version, executable,
    // current directory, scripts, work, panel and adapter firmware
    // directories, current panel, SVD and migration files.
    virtual QStringList versionTexts() = 0;
    // The parent of script dialogs; may be null.
    virtual QWidget *scriptDialogParent() = 0;

    // Closes the window with closeMode (0 ask, 1 save, 2 discard, 3 refuse)
    // and ends the process with exitCode, whatever the close decided.
    [[noreturn]] virtual void exitProgram(int closeMode, int exitCode) = 0;
};
