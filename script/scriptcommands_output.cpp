// Output, logging and timing commands, the accepted commands that do nothing,
// and EXIT.
#include "errorreporter.h"
#include "prompt.h"
#include "scriptengine.h"
#include "scripthost.h"

static bool doNothing(ScriptEngine &, const ScriptCall &)
{
    return true;
}

static bool setOutputOptions(ScriptEngine &engine, const ScriptCall &call)
{
    if (call.parameter(0).isEmpty()) {
        engine.reportMissingParameter(call);
        return false;
    }
    const quint16 flags = quint16(call.parameter(0).toUInt() & 0xffff);
    ErrorReporter &reporter = ErrorReporter::instance();
    reporter.setReportToConsole(flags & 1);
    reporter.setReportToMessageBox(flags & 2);
    if (ScriptHost *host = engine.host())
        host->setQuietMode(!(flags & 2));
    const QString logFile = call.parameter(1);
    reporter.setReportToLogFile(!logFile.isEmpty());
    // An empty name switches the file off; a file that cannot be opened is
    // reported (the log open before stays) and counts as a script error.
    if (!openLogFile(logFile))
        engine.addScriptError();
    return true;
}

static bool setSingleStep(ScriptEngine &engine, const ScriptCall &call)
{
    engine.current().singleStep = call.parameter(0).toInt() != 0;
    return true;
}

static bool setTykLogging(ScriptEngine &engine, const ScriptCall &call)
{
    if (ScriptHost *host = engine.host())
        host->setTykLogging(call.parameter(0).toInt(), call.parameter(1).toInt() != 0, call.parameter(2));
    return true;
}

static bool setTykCheck(ScriptEngine &engine, const ScriptCall &call)
{
    if (ScriptHost *host = engine.host())
        host->setIoCheckMode(quint16(call.parameter(0).toInt() & 0xffff));
    return true;
}

static bool setWaitTime(ScriptEngine &engine, const ScriptCall &call)
{
    engine.current().waitTime = call.parameter(0).toInt();
    return true;
}

static bool waitCommand(ScriptEngine &, const ScriptCall &call)
{
    ScriptEngine::wait(call.parameter(0).toInt());
    return true;
}

static bool messageBox(ScriptEngine &engine, const ScriptCall &call)
{
    if (engine.host() && engine.host()->quietMode())
        return true;
    PromptMessage message;
    message.icon = QMessageBox::Information;
    message.title = QStringLiteral("Message from batchfile");
    message.text = call.parameter(0);
    message.buttons = QMessageBox::Ok;
    message.windowFlags = Qt::Dialog | Qt::WindowStaysOnTopHint;
    Prompt::ask(message);
    return true;
}

static bool exitCommand(ScriptEngine &engine, const ScriptCall &call)
{
    const int closeMode = call.parameter(0).toInt();
    engine.closeOutputLog();
    if (ScriptHost *host = engine.host())
        host->exitProgram(closeMode, engine.exitCode());
    return false;
}

QVector<ScriptCommand> outputCommands()
{
    return {
        {QStringLiteral("SETTRIGGER"), -1, doNothing},
        {QStringLiteral("SETTRIGGERLOCK"), -1, doNothing},
        {QStringLiteral("SAVEMCSDATA"), -1, doNothing},
        {QStringLiteral("SETOUTPUTOPTIONS"), -1, setOutputOptions},
        {QStringLiteral("SETSINGLESTEP"), 1, setSingleStep},
        {QStringLiteral("SETTYKLOGGING"), 3, setTykLogging},
        {QStringLiteral("SETTYKCHECK"), 2, setTykCheck},
        {QStringLiteral("SETWAITTIME"), 1, setWaitTime},
        {QStringLiteral("WAIT"), 1, waitCommand},
        {QStringLiteral("MESSAGEBOX"), 1, messageBox},
        {QStringLiteral("EXIT"), 1, exitCommand},
    };
}
