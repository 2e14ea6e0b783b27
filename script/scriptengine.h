#pragma once

#include "macrorecorder.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

class ScriptEngine;
class ScriptHost;

// One script line as a command sees it.
struct ScriptCall {
    QString line;       // the line as passed in
    QString text;       // trimmed, without its comment
    QString parameters; // the text between "(" and the last ")"
    qint16 lineNumber = 0;
    // Parameter i: the i-th ","-section of the parameter text as it stands;
    // empty when there are fewer sections.
    QString parameter(int i) const;
};

// One command of a family: its keyword, the number of parameters that must be
// non-empty (-1: no check) and the handler. A handler's false stops the run.
struct ScriptCommand {
    QString keyword;
    int parameterCount = -1;
    std::function<bool(ScriptEngine &engine, const ScriptCall &call)> run;
};

// The counting loop of LOOPSTART/LOOPSTOP.
struct ScriptCountingLoop {
    QString variable;
    quint32 start = 0;
    quint32 step = 0;
    quint32 end = 0;
    quint32 counter = 0;
    int position = 0; // index of the line after LOOPSTART
    bool repeats = false; // false for a step of 0, which would never end
};

// The directory loop of DIRLOOPSTART/DIRLOOPSTOP.
struct ScriptDirectoryLoop {
    QStringList entries;
    int index = 0;
    int position = 0; // index of the line after DIRLOOPSTART
    QString entry;
};

// The state of one script run. A file run reads its lines from `lines`;
// a console line or an action text has none, so its loops never repeat.
struct ScriptRun {
    QString file; // absolute path of the script file; empty outside a file
    QStringList lines;
    int next = 0;              // index of the next line to read
    quint16 lineNumber = 1;    // the 16-bit line counter
    bool singleStep = false;
    int waitTime = 0;          // ms after each line
    ScriptCountingLoop loop;
    ScriptDirectoryLoop dirLoop;
    bool fromFile = false;
};

// The script engine: runs script files, single lines typed into the console
// or sent by an element, and keeps the macro recorder. Commands come in
// families, each a table of ScriptCommand entries added with addCommands();
// the core families (output and timing, loops, dumps, assertions, EXIT) are
// added by the constructor. The engine reaches the window through its host.
class ScriptEngine
{
public:
    ScriptEngine();
    ~ScriptEngine();
    ScriptEngine(const ScriptEngine &) = delete;
    ScriptEngine &operator=(const ScriptEngine &) = delete;

    // Deepest nesting of script files run from scripts.
    static constexpr int maxRunDepth = 16;

    void setHost(ScriptHost *host) { m_host = host; }
    ScriptHost *host() const { return m_host; }
    // Where comment lines are echoed; the host's console when not set.
    void setEcho(std::function<void(const QString &html)> echo);
    // Runs Python code for the "python:" form of action texts. Without a
    // runner Python is not started and such texts do nothing. A false result
    // with an error text prints that text on the console.
    void setPythonRunner(std::function<bool(const QString &code, QString *error)> runner);

    // Adds a family of commands; a keyword already known is replaced.
    void addCommands(const QVector<ScriptCommand> &commands);

    // Runs every line of the file (the batch runner); false when it could not
    // be read or a line stopped the run.
    bool runFile(const QString &fileName);
    // Runs one line; lineNumber is shown in messages (-1: typed in).
    bool executeLine(const QString &line, int lineNumber);
    // Runs the lines of a text separated by ";" (an element's runScript
    // action), or the text after "python:" as Python code or a .py file.
    void runText(const QString &text);

    // The output log of option -o: opened (truncated) by each outermost run.
    void setOutputLogName(const QString &name) { m_outputLogName = name; }
    bool outputLogOpen() const { return m_outputLog.isOpen(); }
    // Writes text to the output log when it is open.
    void writeOutputLog(const QString &text);
    void closeOutputLog();

    // The absolute path of the running script file; empty outside a run.
    QString scriptFile() const { return current().file; }
    // Every script file that runs, the outermost first.
    QStringList runningScripts() const;
    int failedAssertCount() const { return m_failedAsserts; }
    void addFailedAssert() { ++m_failedAsserts; }
    // Script errors of the run: unknown commands, missing parameters, names
    // that do not exist, commands that failed, a script or output log that
    // could not be opened. Reset with the failed assertions.
    int scriptErrorCount() const { return m_scriptErrors; }
    void addScriptError() { ++m_scriptErrors; }
    // A script error found before the outermost run starts (the -b run's
    // panel could not be used): the next outermost run starts its count with
    // it instead of losing it to the reset.
    void addScriptErrorBeforeRun() { ++m_errorsBeforeRun; }
    // END: the run that reads this line ends here as at its last line.
    void endRun() { m_endRequested = true; }
    // A script file stopped before its last line for any reason but END or
    // EXIT (a stopping error, a "No" to the single-step question). Reset with
    // the counts.
    bool runStoppedEarly() const { return m_stoppedEarly; }
    // The exit code of an unattended run: failed assertions and script
    // errors together, at most 255, and at least 1 when a run stopped early.
    int exitCode() const
    {
        const int counted = int(qMin<qint64>(qint64(m_failedAsserts) + m_scriptErrors, 255));
        return m_stoppedEarly ? qMax(counted, 1) : counted;
    }
    int runDepth() const { return m_runs.size(); }

    // The state of the run whose lines are executing.
    ScriptRun &current() { return m_runs.isEmpty() ? m_consoleRun : *m_runs.last(); }
    const ScriptRun &current() const { return m_runs.isEmpty() ? m_consoleRun : *m_runs.last(); }

    // ---- Helpers for commands
    void consolePrint(const QString &html);
    // The "$xmlopen$" link to a line of the running script.
    QString scriptLink(qint16 lineNumber) const;
    // The frame's error lines, through logMessage.
    void reportMissingParameter(const ScriptCall &call);
    void reportUnknownDefine(const QString &name, const ScriptCall &call);
    // A command on an object name that no element carries.
    void reportUnknownElement(const QString &name, const ScriptCall &call);
    // A command's own "Script Error:" line (message is plain text) with the
    // link to the line; counted as a script error.
    void reportScriptError(const QString &message, const ScriptCall &call);
    // A "Script Error:" line as it stands, counted as a script error.
    void logScriptError(const QString &html);
    // Waits ms milliseconds on a monotonic clock while the event loop runs
    // (slices of at most 100 ms, no busy waiting); 0 or less returns at once.
    static void wait(int ms);
    bool parameterCheck(const ScriptCall &call, int count);

    MacroRecorder &recorder() { return m_recorder; }
    const MacroRecorder &recorder() const { return m_recorder; }

private:
    const ScriptCommand *findCommand(const QString &keyword) const;
    bool runLines(ScriptRun &run);

    ScriptHost *m_host = nullptr;
    std::function<void(const QString &)> m_echo;
    std::function<bool(const QString &, QString *)> m_python;
    QVector<ScriptCommand> m_commands;
    QHash<QString, int> m_commandIndex; // upper-case keyword -> index
    QList<ScriptRun *> m_runs;
    ScriptRun m_consoleRun;
    QString m_outputLogName;
    QFile m_outputLog;
    int m_failedAsserts = 0;
    int m_scriptErrors = 0;
    int m_errorsBeforeRun = 0;
    bool m_endRequested = false;
    bool m_stoppedEarly = false;
    MacroRecorder m_recorder;
};

// The core command families, added by the ScriptEngine constructor.
QVector<ScriptCommand> outputCommands();    // output, logging and timing; EXIT
QVector<ScriptCommand> loopCommands();      // counting and directory loops
QVector<ScriptCommand> dumpCommands();      // dumps, VERSION, test input
QVector<ScriptCommand> assertionCommands(); // ASSERT and friends
