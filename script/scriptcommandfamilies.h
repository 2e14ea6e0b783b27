#pragma once

#include "scriptengine.h"

class ActiveElement;
class ScriptWindowHost;

// The command families that reach the main window: each returns its table
// for ScriptEngine::addCommands; the commands act through host.
QVector<ScriptCommand> fileCommands(ScriptWindowHost *host);    // LOAD, SAVE, SIGN, CHDIR, ...
QVector<ScriptCommand> elementCommands(ScriptWindowHost *host); // SET, CLICKED, SETDEF, ...
QVector<ScriptCommand> tableCommands(ScriptWindowHost *host);   // LOADTABLE, SETREGVIEWVALUE, ...
QVector<ScriptCommand> windowCommands(ScriptWindowHost *host);  // RAISE, SETTAB, END, ...
QVector<ScriptCommand> targetCommands(ScriptWindowHost *host);  // DOWNLOAD, SENDTASK, WRITEBSL, READBSL

// Every family above.
QVector<ScriptCommand> windowCommandFamilies(ScriptWindowHost *host);

// Helpers the families share.
namespace ScriptCommandSupport {
// The running directory loop's current entry for a parameter "$DIR$"
// (exactly); any other text as it stands.
QString substituteDirEntry(ScriptEngine &engine, const QString &text);
// A value equal to the counting loop's variable stands for that target
// variable's current value (unsigned decimal), when such a variable exists.
QString substituteLoopValue(ScriptEngine &engine, const QString &value);
// The first element of the panel whose object name is name; null when none.
ActiveElement *elementByObjectName(ScriptEngine &engine, const QString &name);
}
