#include "scriptengine.h"

#include "consolelinks.h"
#include "errorreporter.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

void ScriptEngine::setEcho(std::function<void(const QString &)> echo)
{
    m_echo = echo;
    m_recorder.setEcho(std::move(echo));
}

bool ScriptEngine::runFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        reportCannotOpenFile(fileName, file.errorString());
        return false;
    }
    const QString previous = m_scriptFile;
    m_scriptFile = QFileInfo(fileName).absoluteFilePath();
    m_failedAsserts = 0;
    QTextStream in(&file);
    int lineNumber = 0;
    bool ok = true;
    while (ok && !in.atEnd()) {
        ++lineNumber;
        ok = executeLine(in.readLine(), lineNumber);
    }
    m_scriptFile = previous;
    return ok;
}

bool ScriptEngine::executeLine(const QString &line, int lineNumber)
{
    QString text = line.trimmed();
    const int comment = text.indexOf(QLatin1String("//"));
    if (comment >= 0) {
        if (m_echo)
            m_echo(text.mid(comment).toHtmlEscaped() + QStringLiteral("<br>"));
        text = text.left(comment).trimmed();
    }
    if (text.isEmpty())
        return true;
    // No command is known to this build's interpreter yet.
    const QString link = filePositionLink(m_scriptFile, QString::number(lineNumber), QStringLiteral("1"));
    logMessage(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown command: %1 in line %2 "
                              "<b><a href=\"%3\">file</a> line %4</b><b><br>")
                   .arg(text.toHtmlEscaped(), line.toHtmlEscaped(), link, QString::number(lineNumber)));
    return true;
}

void ScriptEngine::runText(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char(';'));
    for (int i = 0; i < lines.size(); ++i)
        executeLine(lines.at(i), i);
}
