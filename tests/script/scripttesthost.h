#pragma once

#include "activeelement.h"
#include "dataclass.h"
#include "scripthost.h"

#include <QDir>
#include <QWidget>

#include <stdexcept>

// A script host over a list of elements and variables of the test's own.
// Every console line lands in `console`; EXIT throws, so a test sees it.
class ScriptTestHost : public ScriptHost
{
public:
    struct ExitCalled {
        int closeMode;
        int exitCode;
    };

    QStringList console;
    QList<ActiveElement *> elements;
    QHash<QString, ActiveElement *> byDefine;
    QHash<QString, DataClass *> variables;
    QString dirEntry;
    bool quiet = true;
    bool logSetDefs = false;
    quint16 ioCheckMode = 1;
    QStringList tykLogging;

    void add(const QString &define, ActiveElement *element)
    {
        elements.append(element);
        byDefine.insert(define, element);
    }

    void printOnConsole(const QString &html) override { console << html; }
    ActiveElement *elementByDefine(const QString &define) override { return byDefine.value(define); }
    QList<ActiveElement *> scriptElements() override { return elements; }
    QHash<QString, DataClass *> scriptVariables() override { return variables; }
    bool elementEnabled(QObject *element) override
    {
        auto *widget = qobject_cast<QWidget *>(element);
        return widget && widget->isEnabled();
    }
    bool registerValueText(const QString &, QString *) override { return false; }
    bool tableCell(const QString &, int, int, QString *, bool *, bool *) override { return false; }
    void setDirEntry(const QString &entry) override { dirEntry = entry; }
    void setLogSetDefs(bool on) override { logSetDefs = on; }
    bool quietMode() const override { return quiet; }
    void setQuietMode(bool on) override { quiet = on; }
    void setIoCheckMode(quint16 mode) override { ioCheckMode = mode; }
    void setTykLogging(int mode, bool timeStamps, const QString &file) override
    {
        tykLogging = QStringList{QString::number(mode), QString(timeStamps ? "1" : "0"), file};
    }
    void setScriptWorkingDir(const QString &dir) override { QDir::setCurrent(dir); }
    QStringList versionTexts() override
    {
        return {"2.5.0.720", "exe", "cur", "scripts", "work", "xml", "tyk", "panel.xml", "chip.svd", "%1 mig"};
    }
    QWidget *scriptDialogParent() override { return nullptr; }
    [[noreturn]] void exitProgram(int closeMode, int exitCode) override
    {
        throw ExitCalled{closeMode, exitCode};
    }
};
