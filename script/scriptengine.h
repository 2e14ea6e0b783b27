#pragma once

#include "macrorecorder.h"

#include <QString>

#include <functional>

// The script engine: runs script files, single lines typed into the console
// or sent by an element, and keeps the macro recorder. This build's
// interpreter knows comments only; every command is reported as unknown.
class ScriptEngine
{
public:
    // Where comment lines are echoed (the console).
    void setEcho(std::function<void(const QString &html)> echo);

    // Runs every line of the file; false when it could not be read or a line
    // stopped the run.
    bool runFile(const QString &fileName);
    // Runs one line; lineNumber is shown in messages (-1: typed in).
    bool executeLine(const QString &line, int lineNumber);
    // Runs the lines of a text separated by ";" (an element's runScript action).
    void runText(const QString &text);

    // The absolute path of the running script file; empty outside a run.
    QString scriptFile() const { return m_scriptFile; }
    int failedAssertCount() const { return m_failedAsserts; }

    MacroRecorder &recorder() { return m_recorder; }
    const MacroRecorder &recorder() const { return m_recorder; }

private:
    std::function<void(const QString &)> m_echo;
    QString m_scriptFile;
    int m_failedAsserts = 0;
    MacroRecorder m_recorder;
};
