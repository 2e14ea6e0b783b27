// File and directory commands: open and save panels and projects, sign and
// check panel files, export the headers, define prefixes, directories.
#include "activeelement.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "foldersearch.h"
#include "numberliteral.h"
#include "scriptcommandfamilies.h"
#include "scripthost.h"
#include "scriptpanelhost.h"
#include "scriptwindowhost.h"

#include <QDir>
#include <QFileInfo>

using namespace ScriptCommandSupport;

// A relative name that does not exist here is looked for in the working
// directory, then in the scripts directory; else it stays as given, and
// *searched (when given) holds the folders looked in, in that order.
static QString resolveLoadName(ScriptWindowHost *host, const QString &name, QStringList *searched)
{
    if (name.isEmpty() || QDir::isAbsolutePath(name) || QFileInfo::exists(name))
        return name;
    QStringList folders{QDir::currentPath()};
    for (const QString &dir : {host->scriptWorkingDir(), host->scriptScriptsDir()}) {
        if (dir.isEmpty())
            continue;
        folders.append(dir);
        const QString candidate = QDir(dir).filePath(name);
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    if (searched)
        *searched = folders;
    return name;
}

static bool load(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString name = substituteDirEntry(engine, call.parameter(0));
    QStringList searched;
    const QString path = resolveLoadName(host, name, &searched);
    // The open reported why; the run goes on with the home panel, and the
    // failed load counts.
    const bool loaded = host->scriptLoadFile(path);
    if (!searched.isEmpty())
        logFoldersSearched(name, searched);
    if (!loaded)
        engine.reportScriptError(QStringLiteral("Could not load %1").arg(name), call);
    return true;
}

static bool save(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    QString name = call.parameter(0);
    if (name.isEmpty()) {
        // Without a name the project is saved under its own, after the
        // missing-parameter line; without a project the run ends.
        engine.reportMissingParameter(call);
        name = host->scriptCurrentFile();
        if (name.isEmpty())
            return false;
    }
    if (QDir::isRelativePath(name))
        name = QDir(host->scriptWorkingDir()).filePath(name);
    // A refused or failed save was reported by the window; the run counts it.
    if (!host->scriptSaveProject(name, false))
        engine.reportScriptError(QStringLiteral("The project or its header files were not written: %1").arg(name), call);
    return true;
}

static bool saveSorted(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString name = call.parameter(0);
    if (!host->scriptSaveProject(name, true))
        engine.reportScriptError(QStringLiteral("The project or its header files were not written: %1").arg(name), call);
    return true;
}

static bool setFileName(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &call)
{
    host->scriptSetCurrentFile(call.parameter(0));
    return true;
}

static bool setDefinePrefix(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString key = call.parameter(0);
    const QString source = call.parameter(1).trimmed();
    QString text;
    ScriptHost *scriptHost = engine.host();
    DataClass *variable = scriptHost ? scriptHost->scriptVariables().value(source) : nullptr;
    ActiveElement *element = scriptHost ? scriptHost->elementByDefine(source) : nullptr;
    if (variable)
        text = QString::number(variable->value());
    else if (element)
        text = element->value(KeywordValue, 1);
    else
        text = parseNumberLiteral(source);
    host->scriptPanel()->scriptSetDefinePrefix(key, text);
    return true;
}

static bool selectData(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    // The catalog dialog joins a relative name to the working directory. A
    // catalog that could not be read was reported by the dialog and counts.
    if (!host->scriptSelectFromCatalog(call.parameter(0)))
        engine.addScriptError();
    return true;
}

static bool exportHeaders(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    if (!host->scriptExportHeaders())
        engine.reportScriptError(QStringLiteral("Not every header file was written"), call);
    return true;
}

static bool sign(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString file = substituteDirEntry(engine, call.parameter(0));
    if (host->scriptSign(file)) {
        logMessage(QStringLiteral("Successfully signed file %1.<br>").arg(file.toHtmlEscaped()));
    } else {
        engine.reportScriptError(QStringLiteral("File %1 was not signed").arg(file), call);
    }
    return true;
}

static bool validate(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    host->scriptValidate(substituteDirEntry(engine, call.parameter(0)));
    return true;
}

static bool checkXsd(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    host->scriptCheckXsd(substituteDirEntry(engine, call.parameter(0)));
    return true;
}

static bool changeDirectory(ScriptWindowHost *, ScriptEngine &, const ScriptCall &call)
{
    // A directory that does not exist leaves the current one, silently.
    QDir::setCurrent(call.parameter(0));
    return true;
}

static bool setWorkingDir(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &call)
{
    host->scriptSetWorkingDir(call.parameter(0));
    return true;
}

static bool setScriptsDir(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &call)
{
    host->scriptSetScriptsDir(call.parameter(0));
    return true;
}

QVector<ScriptCommand> fileCommands(ScriptWindowHost *host)
{
    using Handler = bool (*)(ScriptWindowHost *, ScriptEngine &, const ScriptCall &);
    const auto bind = [host](Handler handler) {
        return [host, handler](ScriptEngine &engine, const ScriptCall &call) { return handler(host, engine, call); };
    };
    return {
        {QStringLiteral("LOAD"), 1, bind(load)},
        // SAVE checks its parameter itself: a missing name is no stop when a
        // project is open.
        {QStringLiteral("SAVE"), -1, bind(save)},
        {QStringLiteral("SAVESORTED"), 1, bind(saveSorted)},
        {QStringLiteral("SETFILENAME"), 1, bind(setFileName)},
        {QStringLiteral("SETDEFINEPREFIX"), 2, bind(setDefinePrefix)},
        {QStringLiteral("SELECTDATA"), 1, bind(selectData)},
        {QStringLiteral("EXPORT"), -1, bind(exportHeaders)},
        {QStringLiteral("SIGN"), 1, bind(sign)},
        {QStringLiteral("VALIDATE"), 1, bind(validate)},
        {QStringLiteral("CHECKXSD"), 1, bind(checkXsd)},
        {QStringLiteral("CHDIR"), 1, bind(changeDirectory)},
        {QStringLiteral("SETWORKINGDIR"), 1, bind(setWorkingDir)},
        {QStringLiteral("SETSCRIPTSDIR"), 1, bind(setScriptsDir)},
    };
}
