#pragma once

#include "activeelement.h"
#include "consolelog.h"
#include "errorreporter.h"
#include "headerexport.h"
#include "lockdialog.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "testenvironment.h"
#include "testshell.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QScrollArea>
#include <QtTest>

#include <memory>

// A Panel in a test shell, without a window: a small signed panel of our own
// read by the panel reader and finished as a load finishes it, with a lock
// graph to draw into as the window gives one. The console lines are read
// back from the log file exactly as they were written; error reports from the
// prompt's transcript. The shell's modified flag stands for the window's
// modified mark.
class ShellFixture
{
public:
    ShellFixture()
        : env(std::make_unique<TestEnvironment>())
        , shell(std::make_unique<TestShell>())
        , panel(std::make_unique<Panel>(shell.get()))
        , lockGraph(std::make_unique<LockDialog>())
    {
        // As in the window: the panel widget replaced goes at once unless an
        // element walk runs.
        shell->host = panel.get();
        panel->locks().setLockGraph(lockGraph.get());
        env->installPrompt({});
        ErrorReporter::instance().setReportToMessageBox(true);
        ErrorReporter::instance().setReportToConsole(false);
        ErrorReporter::instance().setConsoleSink([this](const QString &html) { shell->console << html; });
        openLogFile(env->path(QStringLiteral("console.log")));
        ErrorReporter::instance().setReportToLogFile(true);
    }

    ~ShellFixture()
    {
        ErrorReporter::instance().setReportToLogFile(false);
        ErrorReporter::instance().setConsoleSink(nullptr);
        closeLogFile();
        panel->locks().setLockGraph(nullptr);
    }

    ShellFixture(const ShellFixture &) = delete;
    ShellFixture &operator=(const ShellFixture &) = delete;

    // Writes the root container body into a signed panel file and loads it;
    // false when the panel could not be read.
    bool load(const QString &body, const QString &header = QString())
    {
        const QString path = writeTestFile(env->path(QStringLiteral("panel.xml")), signedPanelText(body, header));
        return !path.isEmpty() && open(path);
    }
    // The same, read only: the load is not finished.
    bool loadUnfinished(const QString &body, const QString &header = QString())
    {
        const QString path = writeTestFile(env->path(QStringLiteral("panel.xml")), signedPanelText(body, header));
        return !path.isEmpty() && read(path);
    }

    // Reads the panel file into the panel as the window opens one: the panel
    // before cleared, the file and its folder recorded, the built-in
    // variables added. The load is not finished yet (Panel::finishLoad).
    bool read(const QString &path)
    {
        panel->stopTimers();
        panel->editHeader().definePrefixes.clear();
        if (!panel->elementCodeRunning())
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        panel->editFlags().loading = true;
        panel->clear();
        panel->setXMLFile(path);
        panel->editHeader().xmlDir = QFileInfo(path).path();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return false;
        panel->setDefaultDisclaimer(QStringLiteral("disclaimer.txt"));
        panel->editHeader().usesTyk = false;
        panel->editHeader().loadSaveAllowed = true;
        panel->editFlags().readOrResetInProgress = true;
        PanelXmlReader reader(panel.get(), options);
        const bool ok = reader.readXml(&file);
        panel->editFlags().readOrResetInProgress = false;
        if (!ok)
            return false;
        panel->editHeader().usesTyk = reader.usesTyk;
        panel->editHeader().loadSaveAllowed = reader.loadSaveAllowed;
        panel->editHeader().headerVersions = reader.headerVersions;
        panel->addBuiltInVariables();
        return true;
    }

    // Reads the panel file and finishes the load with every value at its
    // default, the formulas checked last. The project counts as unmodified
    // afterwards.
    bool open(const QString &path)
    {
        if (!read(path))
            return false;
        panel->finishLoad(true);
        shell->modified = false;
        panel->checkFormulas();
        return true;
    }

    // The header export as the window runs it: into the panel file's folder.
    bool exportHeaders(bool all)
    {
        return HeaderExport(*panel, QFileInfo(panel->header().xmlFile).absolutePath()).exportHeaders(all);
    }

    ActiveElement *element(const QString &define) const { return panel->getActiveElement(define); }

    template <typename T>
    T *widget(const QString &define) const
    {
        return qobject_cast<T *>(objectOf(element(define)));
    }

    QString value(const QString &define) const
    {
        ActiveElement *found = element(define);
        return found ? found->value(KeywordValue, 0) : QStringLiteral("<none>");
    }

    // The scroll area the panel's root container was shown in, and the root
    // container itself; null before a load.
    QWidget *panelWidget() const { return shell->panelWidget(); }
    QWidget *root() const
    {
        auto *area = qobject_cast<QScrollArea *>(shell->panelWidget());
        return area ? area->widget() : nullptr;
    }

    // The console lines ("...<br>") written since the last clear, in order.
    QStringList consoleLines() const { return consoleLogLines(); }

    void clearConsole()
    {
        clearConsoleLog();
        shell->console.clear();
    }

    // The error reports since the last clear.
    QStringList errors() const { return env->prompt()->transcript().mid(m_errorsSeen); }
    void clearErrors() { m_errorsSeen = env->prompt()->transcript().size(); }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<TestShell> shell;
    std::unique_ptr<Panel> panel;
    std::unique_ptr<LockDialog> lockGraph;
    // What the window hands each read (its -i include paths and -d defines).
    PanelReadOptions options;

private:
    int m_errorsSeen = 0;
};
