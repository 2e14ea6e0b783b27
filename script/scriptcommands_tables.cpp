// Table and register-view commands: load, save and edit a table element and
// set a register view, as the lines these elements record.
#include "activeelement.h"
#include "errorreporter.h"
#include "foldersearch.h"
#include "registerview.h"
#include "scriptcommandfamilies.h"
#include "scripthost.h"
#include "scriptwindowhost.h"
#include "table.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardItemModel>

using namespace ScriptCommandSupport;

namespace {

// The first element of that object name and class; null when none.
template <typename Element>
Element *findByObjectName(ScriptEngine &engine, const QString &name)
{
    if (!engine.host())
        return nullptr;
    const QList<ActiveElement *> elements = engine.host()->scriptElements();
    for (ActiveElement *element : elements) {
        auto *found = qobject_cast<Element *>(objectOf(element));
        if (found && found->objectName() == name)
            return found;
    }
    return nullptr;
}

void reportTableFailure(ScriptEngine &engine, const ScriptCall &call, const QString &message)
{
    engine.reportScriptError(message, call);
}

// The file parameter: simplified, "$DIR$" for the directory loop's entry, and
// a name that does not exist taken in the scripts directory.
QString tableFileName(ScriptWindowHost *host, ScriptEngine &engine, const QString &parameter)
{
    QString name = substituteDirEntry(engine, parameter.simplified());
    if (!name.isEmpty() && !QFileInfo::exists(name) && QDir::isRelativePath(name))
        name = QDir(host->scriptScriptsDir()).filePath(name);
    return name;
}

bool tableFileCommand(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call, const QString &command)
{
    Table *table = findByObjectName<Table>(engine, call.parameter(0));
    if (!table) {
        engine.reportUnknownElement(call.parameter(0), call);
        return true;
    }
    QString message;
    const QString file = tableFileName(host, engine, call.parameter(1));
    if (!table->runScriptCommand(command, {file}, &message)) {
        // A table file that was not written counts against the run.
        if (command == QLatin1String("SAVETABLE")) {
            engine.reportScriptError(message, call);
        } else {
            reportTableFailure(engine, call, message);
            // A relative name was looked for here, then in the scripts folder.
            const QString name = substituteDirEntry(engine, call.parameter(1).simplified());
            if (!QFileInfo::exists(file) && !name.isEmpty() && QDir::isRelativePath(name))
                logFoldersSearched(name, {QDir::currentPath(), host->scriptScriptsDir()});
        }
    }
    return true;
}

bool loadTable(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return tableFileCommand(host, engine, call, QStringLiteral("LOADTABLE"));
}

bool loadAtTable(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return tableFileCommand(host, engine, call, QStringLiteral("LOADATTABLE"));
}

bool saveTable(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return tableFileCommand(host, engine, call, QStringLiteral("SAVETABLE"));
}

// Script numbers reach the table only inside its rows.
bool withinTable(Table *table, const QString &name, const QString &member, int row)
{
    const QStandardItemModel *model = table->tableModel();
    const int rows = model ? model->rowCount() : 0;
    if (row < 0 || row >= rows) {
        reportIndexOutOfRange(name, member, row, 0, rows - 1);
        return false;
    }
    return true;
}

bool setTableLine(ScriptWindowHost *, ScriptEngine &engine, const ScriptCall &call)
{
    const QString name = call.parameter(0);
    Table *table = findByObjectName<Table>(engine, name);
    if (!table) {
        engine.reportUnknownElement(name, call);
        return true;
    }
    const int row = call.parameter(1).trimmed().toInt();
    if (!withinTable(table, name, QStringLiteral("SetTableLine"), row))
        return true;
    QString message;
    if (!table->runScriptCommand(QStringLiteral("SETTABLELINE"), {QString::number(row)}, &message))
        reportTableFailure(engine, call, message);
    return true;
}

bool setTableValue(ScriptWindowHost *, ScriptEngine &engine, const ScriptCall &call)
{
    const QString name = call.parameter(0);
    Table *table = findByObjectName<Table>(engine, name);
    if (!table) {
        engine.reportUnknownElement(name, call);
        return true;
    }
    const int row = call.parameter(1).trimmed().toInt();
    const int column = call.parameter(2).trimmed().toInt();
    if (!withinTable(table, name, QStringLiteral("SetTableValue"), row))
        return true;
    // The table reads the column as a column type (the recorded lines name
    // the type), whatever place that column has in the model.
    if (column < 0 || column > TableColumnMath) {
        reportIndexOutOfRange(name, QStringLiteral("SetTableValue"), column, 0, TableColumnMath);
        return true;
    }
    QString message;
    if (!table->runScriptCommand(QStringLiteral("SETTABLEVALUE"),
                                 {QString::number(row), QString::number(column), call.parameter(3)}, &message))
        reportTableFailure(engine, call, message);
    return true;
}

bool setRegisterViewValue(ScriptWindowHost *, ScriptEngine &engine, const ScriptCall &call)
{
    const QString value = substituteLoopValue(engine, call.parameter(1).trimmed());
    QString source = call.parameter(2).trimmed();
    if (source.isEmpty())
        source = QStringLiteral("TABLE");
    source += QStringLiteral(".registername");
    RegisterView *view = findByObjectName<RegisterView>(engine, call.parameter(0));
    if (!view) {
        engine.reportUnknownElement(call.parameter(0), call);
        return true;
    }
    view->setValue(value, KeywordValue);
    view->setValue(source, KeywordRegister);
    return true;
}

} // namespace

QVector<ScriptCommand> tableCommands(ScriptWindowHost *host)
{
    using Handler = bool (*)(ScriptWindowHost *, ScriptEngine &, const ScriptCall &);
    const auto bind = [host](Handler handler) {
        return [host, handler](ScriptEngine &engine, const ScriptCall &call) { return handler(host, engine, call); };
    };
    return {
        {QStringLiteral("LOADTABLE"), 2, bind(loadTable)},
        {QStringLiteral("LOADATTABLE"), 2, bind(loadAtTable)},
        {QStringLiteral("SAVETABLE"), 2, bind(saveTable)},
        {QStringLiteral("SETTABLELINE"), 2, bind(setTableLine)},
        {QStringLiteral("SETTABLEVALUE"), 4, bind(setTableValue)},
        {QStringLiteral("SETREGVIEWVALUE"), 2, bind(setRegisterViewValue)},
    };
}
