#include "scriptengine.h"

#include "consolelinks.h"
#include "errorreporter.h"
#include "inputfile.h"
#include "prompt.h"
#include "scripthost.h"
#include "writeguard.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <utility>

#include <unistd.h>

QString ScriptCall::parameter(int i) const
{
    return parameters.section(QLatin1Char(','), i, i);
}

ScriptEngine::ScriptEngine()
{
    addCommands(outputCommands());
    addCommands(loopCommands());
    addCommands(dumpCommands());
    addCommands(assertionCommands());
}

ScriptEngine::~ScriptEngine() = default;

void ScriptEngine::setEcho(std::function<void(const QString &)> echo)
{
    m_echo = echo;
    m_recorder.setEcho(std::move(echo));
}

void ScriptEngine::setPythonRunner(std::function<bool(const QString &, QString *)> runner)
{
    m_python = std::move(runner);
}

void ScriptEngine::addCommands(const QVector<ScriptCommand> &commands)
{
    for (const ScriptCommand &command : commands) {
        const QString key = command.keyword.toUpper();
        const auto known = m_commandIndex.constFind(key);
        if (known != m_commandIndex.constEnd()) {
            m_commands[known.value()] = command;
        } else {
            m_commandIndex.insert(key, m_commands.size());
            m_commands.append(command);
        }
    }
}

const ScriptCommand *ScriptEngine::findCommand(const QString &keyword) const
{
    const auto found = m_commandIndex.constFind(keyword.toUpper());
    return found == m_commandIndex.constEnd() ? nullptr : &m_commands.at(found.value());
}

void ScriptEngine::consolePrint(const QString &html)
{
    if (m_echo)
        m_echo(html);
    else if (m_host)
        m_host->printOnConsole(html);
}

QString ScriptEngine::scriptLink(qint16 lineNumber) const
{
    return filePositionLink(current().file, QString::number(lineNumber), QStringLiteral("1"));
}

void ScriptEngine::logScriptError(const QString &html)
{
    ++m_scriptErrors;
    logMessage(html);
}

void ScriptEngine::reportScriptError(const QString &message, const ScriptCall &call)
{
    logScriptError(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>%1 in "
                                  "<a href=\"%2\">file</a> line %3</b><br>")
                       .arg(message.toHtmlEscaped(), scriptLink(call.lineNumber), QString::number(call.lineNumber)));
}

void ScriptEngine::reportMissingParameter(const ScriptCall &call)
{
    logScriptError(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Missing parameter: %1 in "
                              "<b><a href=\"%2\">file</a> line %3</b><b><br>")
                   .arg(call.line.toHtmlEscaped(), scriptLink(call.lineNumber),
                        QString::number(call.lineNumber)));
}

void ScriptEngine::reportUnknownDefine(const QString &name, const ScriptCall &call)
{
    logScriptError(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown define: %1 in line %2 "
                              "<b><a href=\"%3\">file</a> line %4</b><b><br>")
                   .arg(name.toHtmlEscaped(), call.line.toHtmlEscaped(), scriptLink(call.lineNumber),
                        QString::number(call.lineNumber)));
}

void ScriptEngine::reportUnknownElement(const QString &name, const ScriptCall &call)
{
    logScriptError(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown element: %1 in line %2 "
                                  "<b><a href=\"%3\">file</a> line %4</b><b><br>")
                       .arg(name.toHtmlEscaped(), call.line.toHtmlEscaped(), scriptLink(call.lineNumber),
                            QString::number(call.lineNumber)));
}

bool ScriptEngine::parameterCheck(const ScriptCall &call, int count)
{
    for (int i = 0; i < count; ++i) {
        if (call.parameter(i).isEmpty()) {
            reportMissingParameter(call);
            return false;
        }
    }
    return true;
}

void ScriptEngine::wait(int ms)
{
    if (ms <= 0)
        return;
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        const int slice = int(qBound<qint64>(1, deadline.remainingTime(), 100));
        if (!QCoreApplication::instance()) {
            QThread::msleep(ulong(slice));
            continue;
        }
        // The loop sleeps until an event or the slice's end: the window stays
        // responsive and the processor idle.
        QEventLoop loop;
        QTimer::singleShot(slice, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void ScriptEngine::writeOutputLog(const QString &text)
{
    if (!m_outputLog.isOpen())
        return;
    QTextStream out(&m_outputLog);
    out << text;
    out.flush();
}

void ScriptEngine::closeOutputLog()
{
    if (m_outputLog.isOpen())
        m_outputLog.close();
}

QStringList ScriptEngine::runningScripts() const
{
    QStringList files;
    for (const ScriptRun *run : m_runs) {
        if (run->fromFile && !run->file.isEmpty())
            files.append(run->file);
    }
    return files;
}

// The lines of a script text: "\r\n", "\n" and a lone "\r" each end a line;
// a line end at the very end starts no further line.
static QStringList scriptLines(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.isEmpty())
        return {};
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

bool ScriptEngine::runFile(const QString &fileName)
{
    const QString path = QFileInfo(fileName).absoluteFilePath();
    if (m_runs.size() >= maxRunDepth) {
        logScriptError(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Scripts nested deeper than %1 "
                                      "levels, not run: %2</b><br>")
                           .arg(QString::number(maxRunDepth), path.toHtmlEscaped()));
        return false;
    }
    const bool outermost = m_runs.isEmpty();
    // Only the outermost batch starts a new count: a script run from a script
    // must not lose the failures found before it.
    if (outermost) {
        m_failedAsserts = 0;
        m_scriptErrors = std::exchange(m_errorsBeforeRun, 0);
        m_stoppedEarly = false;
    }
    if (m_host)
        m_host->setScriptWorkingDir(QFileInfo(path).absolutePath());

    QFile file(path);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly, &openError)) {
        ++m_scriptErrors;
        reportCannotOpenFile(path, openError);
        return false;
    }
    if (outermost && !m_outputLogName.isEmpty()) {
        closeOutputLog();
        // The output log never replaces the script about to be read, nor
        // anything else the program reads; it is written only, never read.
        const QString refusal = WriteGuard::logRefusal(m_outputLogName, {path});
        if (!refusal.isEmpty()) {
            ++m_scriptErrors;
            reportError(WriteGuard::logRefusalMessage(m_outputLogName, refusal));
            return false;
        }
        QString logError;
        const int fd = WriteGuard::openLog(m_outputLogName, &logError);
        m_outputLog.setFileName(m_outputLogName);
        if (fd < 0 || !m_outputLog.open(fd, QIODevice::WriteOnly | QIODevice::Text, QFileDevice::AutoCloseHandle)) {
            if (fd >= 0) {
                logError = m_outputLog.errorString();
                ::close(fd);
            }
            ++m_scriptErrors;
            reportCannotOpenFile(QFileInfo(m_outputLogName).absoluteFilePath(), logError);
            return false;
        }
    }

    ScriptRun run;
    run.file = path;
    run.fromFile = true;
    QTextStream in(&file);
    run.lines = scriptLines(in.readAll());
    file.close();

    m_runs.append(&run);
    m_endRequested = false;
    const bool ok = runLines(run);
    // END ends its own file as its last line would; any other stop leaves
    // lines unrun, and the run cannot pass then.
    if (!ok && !std::exchange(m_endRequested, false))
        m_stoppedEarly = true;
    m_runs.removeOne(&run);
    if (outermost)
        closeOutputLog();
    return ok;
}

bool ScriptEngine::runLines(ScriptRun &run)
{
    while (run.next < run.lines.size()) {
        const QString line = run.lines.at(run.next++);
        if (!executeLine(line, run.lineNumber))
            return false;
        ++run.lineNumber;
        if (run.singleStep && !(m_host && m_host->quietMode())) {
            PromptMessage question;
            question.parent = m_host ? m_host->scriptDialogParent() : nullptr;
            question.icon = QMessageBox::Question;
            question.title = QStringLiteral("SingleStep");
            question.text = QStringLiteral("Continue with next command ?");
            question.buttons = QMessageBox::Yes | QMessageBox::No;
            question.defaultButton = QMessageBox::NoButton;
            if (Prompt::ask(question).button != QMessageBox::Yes)
                return false;
        }
        if (run.waitTime != 0)
            wait(run.waitTime);
    }
    return true;
}

bool ScriptEngine::executeLine(const QString &line, int lineNumber)
{
    ScriptCall call;
    call.line = line;
    // Lines are counted in 16 bits and shown signed.
    call.lineNumber = static_cast<qint16>(static_cast<quint16>(lineNumber));

    QString text = line.trimmed();
    if (!text.startsWith(QLatin1String("MessageBox"), Qt::CaseInsensitive)) {
        const int comment = text.indexOf(QLatin1String("//"));
        if (comment >= 0) {
            const QString note = text.mid(comment);
            consolePrint(note.toHtmlEscaped() + QStringLiteral("<br>"));
            writeOutputLog(note + QLatin1Char('\n'));
            text = text.left(comment).trimmed();
        }
    }
    if (text.size() < 2)
        return true;
    call.text = text;

    const int open = text.indexOf(QLatin1Char('('));
    const QString keyword = open < 0 ? text : text.left(open);
    const ScriptCommand *command = findCommand(keyword);
    if (!command) {
        logScriptError(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown command: %1 in line %2 "
                                  "<b><a href=\"%3\">file</a> line %4</b><b><br>")
                       .arg(text.toHtmlEscaped(), line.toHtmlEscaped(), scriptLink(call.lineNumber),
                            QString::number(call.lineNumber)));
        return true;
    }

    QString parameters = open < 0 ? text : text.mid(open + 1);
    const int close = parameters.lastIndexOf(QLatin1Char(')'));
    if (close >= 0)
        parameters.remove(close, 1);
    else
        parameters.chop(1);
    call.parameters = parameters;

    if (command->parameterCount > 0 && !parameterCheck(call, command->parameterCount))
        return false;
    // The handler may replace the command table (a family added by a
    // command); it runs on a copy.
    const auto handler = command->run;
    return handler ? handler(*this, call) : true;
}

void ScriptEngine::runText(const QString &text)
{
    if (text.startsWith(QLatin1String("python:"), Qt::CaseInsensitive)) {
        // Without a runner Python was not started for the panel: nothing happens.
        if (!m_python)
            return;
        QString code = text.mid(7);
        if (code.trimmed().endsWith(QLatin1String(".py"), Qt::CaseInsensitive)) {
            const QString path = QDir::fromNativeSeparators(code.trimmed()).replace(QLatin1Char('\\'), QLatin1Char('/'));
            QFile file(path);
            QString openError;
            if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError)) {
                reportCannotOpenFile(QFileInfo(path).absoluteFilePath(), openError);
                return;
            }
            code = QString::fromUtf8(file.readAll());
        }
        QString error;
        if (!m_python(code, &error) && !error.isEmpty()) {
            logMessage(QStringLiteral("<font color=\"red\"> <b>Python Error: </b></font>%1<br>")
                           .arg(error.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"))));
        }
        return;
    }
    if (m_runs.size() >= maxRunDepth) {
        logScriptError(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Scripts nested deeper than %1 "
                                  "levels, not run: %2</b><br>")
                       .arg(QString::number(maxRunDepth), text.toHtmlEscaped()));
        return;
    }
    // An action text has a state of its own; its messages name the file
    // whose run triggered it.
    ScriptRun run;
    run.file = current().file;
    m_runs.append(&run);
    const QStringList parts = text.split(QLatin1Char(';'));
    for (int i = 0; i < parts.size(); ++i)
        executeLine(parts.at(i), i);
    m_runs.removeOne(&run);
}
