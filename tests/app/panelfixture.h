#pragma once

#include "activeelement.h"
#include "consolelog.h"
#include "errorreporter.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "tabwidget.h"
#include "panelxml.h"
#include "testenvironment.h"

#include <QFile>
#include <QtTest>

#include <memory>

// A main window with a small signed panel of our own, opened and set up as a
// load does it. The console lines are read back from the log file exactly as
// they were written; error reports from the prompt's transcript.
class PanelFixture
{
public:
    PanelFixture()
        : env(std::make_unique<TestEnvironment>())
        , window(std::make_unique<MainWindow>(CommandLineOptions()))
    {
        env->installPrompt({});
        ErrorReporter::instance().setReportToMessageBox(true);
        ErrorReporter::instance().setReportToConsole(false);
        openLogFile(env->path(QStringLiteral("console.log")));
        ErrorReporter::instance().setReportToLogFile(true);
    }

    ~PanelFixture()
    {
        ErrorReporter::instance().setReportToLogFile(false);
        closeLogFile();
    }

    // Writes the root container body into a signed panel file, opens it and
    // runs the post-load set-up; false when the panel could not be read.
    bool load(const QString &body, const QString &header = QString())
    {
        const QString path = writeTestFile(env->path(QStringLiteral("panel.xml")), signedPanelText(body, header));
        if (path.isEmpty())
            return false;
        if (!window->open(path))
            return false;
        window->initLoadedConfiguration(true);
        return true;
    }

    // Copies the files from folder into the fixture's folder and opens the
    // first in the window, shown at a fixed size and set up as a load does
    // it; false when a copy or the open failed.
    bool openShown(const QString &folder, const QStringList &files)
    {
        for (const QString &name : files) {
            if (!QFile::copy(folder + QLatin1Char('/') + name, env->path(name)))
                return false;
        }
        window->resize(1280, 1000);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()) || !window->open(env->path(files.first())))
            return false;
        window->initLoadedConfiguration(true);
        return true;
    }

    // Makes the tab labelled label current and lets the layouts run; false
    // when no tab has that label.
    bool showTab(const QString &label)
    {
        for (TabWidget *tabs : window->findChildren<TabWidget *>()) {
            for (int i = 0; i < tabs->count(); ++i) {
                if (tabs->tabText(i) == label) {
                    tabs->setCurrentIndex(i);
                    QCoreApplication::processEvents();
                    return true;
                }
            }
        }
        return false;
    }

    ActiveElement *element(const QString &define) const { return window->panel()->getActiveElement(define); }

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

    // The console lines ("...<br>") written since the last clear, in order.
    QStringList consoleLines() const { return consoleLogLines(); }

    void clearConsole()
    {
        clearConsoleLog();
    }

    // The error reports since the last clear.
    QStringList errors() const { return env->prompt()->transcript().mid(m_errorsSeen); }
    void clearErrors() { m_errorsSeen = env->prompt()->transcript().size(); }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;

private:
    int m_errorsSeen = 0;
};
