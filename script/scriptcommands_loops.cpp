// The counting loop (LOOPSTART/LOOPSTOP) and the directory loop
// (DIRLOOPSTART/DIRLOOPSTOP). Both repeat by moving the run's read position
// back; lines that come from no file never repeat.
#include "dataclass.h"
#include "errorreporter.h"
#include "scriptengine.h"
#include "scripthost.h"

#include <QDir>

static quint32 loopNumber(const QString &text)
{
    // Read as a decimal integer and kept in 32 bits: -1 gives 4294967295.
    return quint32(text.trimmed().toLongLong());
}

static void setLoopVariable(ScriptEngine &engine, const QString &name, quint32 value)
{
    if (!engine.host())
        return;
    if (DataClass *variable = engine.host()->scriptVariables().value(name))
        variable->setValue(value);
}

static bool loopStart(ScriptEngine &engine, const ScriptCall &call)
{
    ScriptRun &run = engine.current();
    ScriptCountingLoop &loop = run.loop;
    loop.variable = call.parameter(0);
    loop.start = loopNumber(call.parameter(1));
    loop.step = loopNumber(call.parameter(2));
    loop.end = loopNumber(call.parameter(3));
    loop.counter = loop.start;
    loop.position = run.next;
    loop.repeats = loop.step != 0;
    if (!loop.repeats) {
        engine.logScriptError(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Loop step 0 never ends, "
                                  "the block runs once: %1 in <b><a href=\"%2\">file</a> line %3</b><b><br>")
                       .arg(call.line.toHtmlEscaped(), engine.scriptLink(call.lineNumber),
                            QString::number(call.lineNumber)));
    }
    setLoopVariable(engine, loop.variable, loop.counter);
    return true;
}

static bool loopStop(ScriptEngine &engine, const ScriptCall &)
{
    ScriptRun &run = engine.current();
    ScriptCountingLoop &loop = run.loop;
    const quint32 next = loop.counter + loop.step;
    // A counter that wraps past 2^32 has passed every end: the loop is over.
    const bool wrapped = next < loop.counter;
    loop.counter = next;
    setLoopVariable(engine, loop.variable, loop.counter);
    if (run.fromFile && loop.repeats && !wrapped && loop.counter < loop.end)
        run.next = loop.position;
    return true;
}

static void setDirEntry(ScriptEngine &engine, const QString &entry)
{
    engine.current().dirLoop.entry = entry;
    if (engine.host())
        engine.host()->setDirEntry(entry);
}

// Index of the line after the DIRLOOPSTOP that closes the block starting at
// from; -1 when the file has none.
static int afterDirLoopStop(const ScriptRun &run, int from)
{
    for (int i = from; i < run.lines.size(); ++i) {
        const QString text = run.lines.at(i).trimmed();
        if (text.startsWith(QLatin1String("DIRLOOPSTOP"), Qt::CaseInsensitive)
            && (text.size() == 11 || text.at(11) == QLatin1Char('(') || text.mid(11).trimmed().startsWith(QLatin1String("//"))))
            return i + 1;
    }
    return -1;
}

static bool dirLoopStart(ScriptEngine &engine, const ScriptCall &call)
{
    ScriptRun &run = engine.current();
    ScriptDirectoryLoop &loop = run.dirLoop;
    QDir dir(QDir::currentPath());
    dir.setNameFilters({call.parameter(0)});
    dir.setFilter(QDir::AllEntries | QDir::NoDotAndDotDot);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    loop.entries = dir.entryList();
    loop.index = 0;
    loop.position = run.next;
    if (loop.entries.isEmpty()) {
        // Nothing matches: the block is skipped, and sees no entry.
        setDirEntry(engine, QString());
        const int after = run.fromFile ? afterDirLoopStop(run, run.next) : -1;
        if (after >= 0)
            run.next = after;
        return true;
    }
    setDirEntry(engine, loop.entries.at(loop.index++));
    return true;
}

static bool dirLoopStop(ScriptEngine &engine, const ScriptCall &)
{
    ScriptRun &run = engine.current();
    ScriptDirectoryLoop &loop = run.dirLoop;
    if (loop.index >= loop.entries.size())
        return true;
    setDirEntry(engine, loop.entries.at(loop.index++));
    if (run.fromFile)
        run.next = loop.position;
    return true;
}

QVector<ScriptCommand> loopCommands()
{
    return {
        {QStringLiteral("LOOPSTART"), 4, loopStart},
        {QStringLiteral("LOOPSTOP"), 0, loopStop},
        {QStringLiteral("DIRLOOPSTART"), 1, dirLoopStart},
        {QStringLiteral("DIRLOOPSTOP"), 0, dirLoopStop},
    };
}
