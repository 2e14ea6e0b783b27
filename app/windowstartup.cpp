// The window's start-up steps around the file argument, and the ends of the
// runs that finish inside start-up.
#include "windowstartup.h"
#include "applog.h"

#include "mainwindow.h"

#include "definelist.h"
#include "errorreporter.h"
#include "quillpanel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

bool WindowStartUp::openFileArgument(const QString &file)
{
    if (file.endsWith(QLatin1String(".xml"))) {
        if (m_window.open(file)) {
            m_window.initLoadedConfiguration(true);
            return true;
        }
        m_window.newProject();
        return false;
    }
    if (file.endsWith(QLatin1String(".qlmp")))
        return m_window.load(file);
    if (!file.isEmpty()) {
        // The same words in the window as in a run without one: in the box
        // (when there is a user) and on the console.
        const QString reason = MainWindow::tr("Not a panel (.xml) or project (.qlmp) file");
        reportCannotOpenFile(file, reason);
        if (!ErrorReporter::instance().reportsToConsole())
            ::logMessage(QStringLiteral("<font color=\"red\"><b>Cannot open file %1:</b></font> %2<br>")
                             .arg(QFileInfo(file).absoluteFilePath().toHtmlEscaped(), reason));
    }
    return false;
}

void WindowStartUp::showAndPaintBeforeOpen()
{
    m_window.show();
    // The window system maps the window and asks for its first paint; the
    // open that follows paints only its progress text. Nothing of a panel
    // exists yet: no element, timer or script can run here.
    QWindow *handle = m_window.windowHandle();
    const QDeadlineTimer deadline(2000);
    while (handle && !handle->isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        if (!handle->isExposed())
            QThread::msleep(2);
    }
    if (handle && handle->isExposed())
        m_window.repaint();
}

bool WindowStartUp::applyDefines()
{
    if (m_window.m_run.definesText.isEmpty() || m_window.m_run.definesApplied)
        return true;
    // Applied once: the interactive step after the exits must not repeat it.
    // The text itself stays, start conditions of panels read it.
    m_window.m_run.definesApplied = true;
    const QVector<DefineListItem> items = parseDefineList(m_window.m_run.definesText);
    bool allTaken = true;
    for (const DefineListItem &item : items) {
        if (!item.hasValue) {
            if (!item.text.trimmed().isEmpty())
                ::logMessage(MainWindow::tr("<font color=\"orange\"><b>-d item ignored: </b></font>%1 (no \"=\" and value)<br>")
                                 .arg(item.text.toHtmlEscaped()));
            continue;
        }
        qCDebug(lcApp).noquote() << item.name + QStringLiteral(" / ") + item.value;
        const bool known = m_window.m_panel->getActiveElement(item.name) || m_window.m_panel->registries().variablesByName.contains(item.name);
        if (m_window.m_panel->setElementByDefine(item.name, item.value))
            continue;
        allTaken = false;
        if (!known)
            ::logMessage(MainWindow::tr("-d item %1: no element or variable has the define %2<br>")
                             .arg(item.text.trimmed().toHtmlEscaped(), item.name.toHtmlEscaped()));
    }
    return allTaken;
}

// The project file a -s run writes when -s names none: the panel's name with
// its ".xml" ending turned into ".qlmp", or the loaded project itself.
static QString defaultSaveFile(const QString &file)
{
    if (file.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive))
        return file.left(file.size() - 4) + QStringLiteral(".qlmp");
    if (file.endsWith(QLatin1String(".qlmp"), Qt::CaseInsensitive))
        return file;
    return QString();
}

void WindowStartUp::runNonInteractiveExits(const QString &file, bool fileOpened, QString saveFile,
                                           bool exitAfterKeil)
{
    // A run that was asked to work on a file fails when the file did not open.
    if (!file.isEmpty() && !fileOpened)
        exitNonInteractive(1);
    if (m_window.m_run.saveRequested) {
        if (saveFile.isEmpty())
            saveFile = defaultSaveFile(file);
        if (saveFile.isEmpty()) {
            reportError(QStringLiteral("Cannot save: no project file name given and \"%1\" "
                                       "is neither a panel (.xml) nor a project (.qlmp) file.")
                            .arg(file));
            exitNonInteractive(1);
        }
        const QString refusal = m_window.projectSaveRefusal(saveFile);
        if (!refusal.isEmpty()) {
            reportError(MainWindow::tr("Cannot save the project to %1:\n%2")
                            .arg(QFileInfo(saveFile).absoluteFilePath(), refusal));
            exitNonInteractive(1);
        }
        exitNonInteractive(m_window.saveProjectFile(saveFile, false) ? 0 : 1);
    }
    if (m_window.m_run.generate)
        exitNonInteractive(m_window.exportHeaderFiles(false) ? 0 : 1);
    if (exitAfterKeil)
        exitNonInteractive(0);
}

void WindowStartUp::endUnattendedBatchRun()
{
    const int failed = m_window.m_scripts.failedAssertCount();
    const int errors = m_window.m_scripts.scriptErrorCount();
    if (m_window.m_scripts.runStoppedEarly())
        ::logMessage(MainWindow::tr("The batch run stopped before its last line: it fails.<br>"));
    ::logMessage(MainWindow::tr("Batch run ended without EXIT: %1 failed assertion(s), %2 script error(s), exit code %3<br>")
                     .arg(failed)
                     .arg(errors)
                     .arg(m_window.m_run.batchExitCode));
    exitNonInteractive(m_window.m_run.batchExitCode);
}

void WindowStartUp::exitNonInteractive(int exitCode)
{
    exitCode = qMax(exitCode, m_window.m_run.batchExitCode);
    // The window never shows; stop what runs in the background and close the log.
    m_window.stopPollingThreads();
    closeLogFile();
    std::fflush(nullptr);
    std::exit(exitCode);
}
