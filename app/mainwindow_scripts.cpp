// MainWindow: the actions that run scripts (script files, action texts,
// external programs) and the macro recorder the panel's elements write to;
// the script engine does the interpreting.
#include "mainwindow.h"

#include "addscriptcommanddialog.h"
#include "errorreporter.h"
#include "panel.h"
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
    m_scripts.setOutputLogName(outputLog);
    return m_scripts.runFile(fileName);
}

bool MainWindow::executeScriptLine(const QString &line, int lineNumber)
{
    return m_scripts.executeLine(line, lineNumber);
}

void MainWindow::runScript(const QString &text)
{
    m_scripts.runText(text);
}

void MainWindow::runBatchfile()
{
    const QString file = Prompt::instance().openFileName(this, QStringLiteral("Open Script File"), lastDir,
                                                         QStringLiteral("Script Files (*.script)"));
    if (!file.isEmpty())
        runScriptFile(file);
}

void MainWindow::startProgram(const QString &command)
{
    QStringList parts = command.split(QLatin1Char(' '));
    const QString program = parts.takeFirst().replace(QLatin1Char('\\'), QLatin1Char('/'));
    QProcess process;
    process.start(program, parts, QIODevice::ReadWrite);

    std::unique_ptr<QProgressDialog> progress;
    if (Prompt::instance().isInteractive()) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Executing command..."), QString(), 0, 100, this,
                                                     Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        progress->setWindowModality(Qt::WindowModal);
        progress->setCancelButton(nullptr);
        progress->show();
    }
    // At most 501 passes of 100 ms; the window keeps running meanwhile.
    for (int pass = 0; pass <= 500 && process.state() != QProcess::NotRunning; ++pass) {
        if (progress)
            progress->setValue(qMin(pass / 3, 100));
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        connect(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), &loop, &QEventLoop::quit);
        connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
    output.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    logMessage(output);
    progress.reset();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
    }
}

bool MainWindow::isRecording() const
{
    return m_scripts.recorder().isRecording();
}

void MainWindow::recordScriptLine(const QString &line, const QString &consoleLine)
{
    m_scripts.recorder().record(line, consoleLine);
}

void MainWindow::startStopRecording()
{
    MacroRecorder &recorder = m_scripts.recorder();
    if (recorder.isRecording()) {
        recorder.stopFile();
        recorder.stop();
        consolePrint(QStringLiteral("Macro recording stopped<br>"));
        if (recordScriptAct)
            recordScriptAct->setText(QStringLiteral("Record script..."));
        if (addScriptCommandAct)
            addScriptCommandAct->setEnabled(false);
        return;
    }
    const QString file = Prompt::instance().saveFileName(this, QStringLiteral("Record script"), workingDir,
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
    if (recordScriptAct)
        recordScriptAct->setText(QStringLiteral("Stop recording"));
    if (addScriptCommandAct)
        addScriptCommandAct->setEnabled(true);
}

void MainWindow::addRecordCmd()
{
    AddScriptCommandDialog dialog(m_scripts.recorder(), this);
    if (!Prompt::instance().isInteractive())
        return;
    dialog.exec();
}
