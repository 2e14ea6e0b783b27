// MainWindow: script files and single script lines.
#include "mainwindow.h"

#include "panel.h"
#include "errorreporter.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

bool MainWindow::runScriptFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        reportCannotOpenFile(fileName, file.errorString());
        return false;
    }
    const QString previous = scriptFile;
    scriptFile = QFileInfo(fileName).absoluteFilePath();
    failedAssertCount = 0;
    QTextStream in(&file);
    int lineNumber = 0;
    bool ok = true;
    while (ok && !in.atEnd()) {
        ++lineNumber;
        ok = executeScriptLine(in.readLine(), lineNumber);
    }
    scriptFile = previous;
    return ok;
}

bool MainWindow::executeScriptLine(QString line, int lineNumber)
{
    QString text = line.trimmed();
    const int comment = text.indexOf(QLatin1String("//"));
    if (comment >= 0) {
        consolePrint(text.mid(comment).toHtmlEscaped() + QStringLiteral("<br>"));
        text = text.left(comment).trimmed();
    }
    if (text.isEmpty())
        return true;
    // No command is known to this build's interpreter yet.
    QString path = scriptFile;
    path.replace(QLatin1Char(':'), QLatin1String("$$$COLON$$$"));
    const QString link = QStringLiteral("$xmlopen$%1$-n%2$-c1").arg(path, QString::number(lineNumber));
    logMessage(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown command: %1 in line %2 "
                              "<b><a href=\"%3\">file</a> line %4</b><b><br>")
                   .arg(text.toHtmlEscaped(), line.toHtmlEscaped(), link, QString::number(lineNumber)));
    return true;
}

void MainWindow::startProgram(const QString &program)
{
    Q_UNUSED(program)
}

void MainWindow::runScript(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char(';'));
    for (int i = 0; i < lines.size(); ++i)
        executeScriptLine(lines.at(i), i);
}

bool MainWindow::isRecording() const
{
    return recordStream.device() || recordStream.string();
}

void MainWindow::recordScriptLine(const QString &line, const QString &consoleLine)
{
    if (!isRecording())
        return;
    const QString comment = recordComment.isEmpty() ? QString() : QStringLiteral("//") + recordComment;
    recordStream << line << comment << '\n';
    recordStream.flush();
    consolePrint((consoleLine + comment).toHtmlEscaped() + QStringLiteral("<br>"));
}
