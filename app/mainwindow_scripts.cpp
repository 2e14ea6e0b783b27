// MainWindow: the actions that run scripts (script files, action texts,
// external programs) and the macro recorder the panel's elements write to;
// the script engine does the interpreting.
#include "mainwindow.h"

#include "addscriptcommanddialog.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "prompt.h"
#include "scriptcommandfamilies.h"

#include <QAction>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QTimer>

void MainWindow::setUpScriptEngine()
{
    m_scripts.setHost(m_scriptHost.get());
    m_scripts.setEcho([this](const QString &html) { consolePrint(html); });
    m_scripts.addCommands(windowCommandFamilies(m_scriptHost.get()));
}

bool MainWindow::runScriptFile(const QString &fileName)
{
    m_scripts.setOutputLogName(m_run.outputLog);
    return m_scripts.runFile(fileName);
}

bool MainWindow::executeScriptLine(const QString &line, int lineNumber)
{
    return m_scripts.executeLine(line, lineNumber);
}

void MainWindow::runBatchfile()
{
    const QString file = Prompt::instance().openFileName(this, QStringLiteral("Open Script File"), m_settings.lastDir,
                                                         QStringLiteral("Script Files (*.script)"));
    if (!file.isEmpty())
        runScriptFile(file);
}

void MainWindow::startStopRecording()
{
    MacroRecorder &recorder = m_scripts.recorder();
    if (recorder.isRecording()) {
        recorder.stopFile();
        recorder.stop();
        consolePrint(QStringLiteral("Macro recording stopped<br>"));
        if (m_actions.recordScriptAct)
            m_actions.recordScriptAct->setText(QStringLiteral("Record script..."));
        if (m_actions.addScriptCommandAct)
            m_actions.addScriptCommandAct->setEnabled(false);
        return;
    }
    const QString file = Prompt::instance().saveFileName(this, QStringLiteral("Record script"), m_settings.workingDir,
                                                         QStringLiteral("Script Files (*.script)"));
    if (file.isEmpty())
        return;
    QString errorText;
    if (!recorder.startFile(file, m_panel->getXMLFile(), &errorText)) {
        // Without a file the recording stays off.
        reportCannotOpenFile(QFileInfo(file).absoluteFilePath(), errorText);
        return;
    }
    consolePrint(QStringLiteral("Starting macro recording<br>"));
    if (m_actions.recordScriptAct)
        m_actions.recordScriptAct->setText(QStringLiteral("Stop recording"));
    if (m_actions.addScriptCommandAct)
        m_actions.addScriptCommandAct->setEnabled(true);
}

void MainWindow::addRecordCmd()
{
    AddScriptCommandDialog dialog(m_scripts.recorder(), this);
    if (!Prompt::instance().isInteractive())
        return;
    dialog.exec();
}
