// MainWindow: the actions that run scripts, and the recorder the panel's
// elements write to; the script engine does the work.
#include "mainwindow.h"

bool MainWindow::runScriptFile(const QString &fileName)
{
    return m_scripts.runFile(fileName);
}

bool MainWindow::executeScriptLine(const QString &line, int lineNumber)
{
    return m_scripts.executeLine(line, lineNumber);
}

void MainWindow::startProgram(const QString &program)
{
    Q_UNUSED(program)
}

void MainWindow::runScript(const QString &text)
{
    m_scripts.runText(text);
}

bool MainWindow::isRecording() const
{
    return m_scripts.recorder().isRecording();
}

void MainWindow::recordScriptLine(const QString &line, const QString &consoleLine)
{
    m_scripts.recorder().record(line, consoleLine);
}
