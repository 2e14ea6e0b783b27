// Window and run-control commands: bring elements and tabs into view, switch
// full-screen mode, move the window, the console, the port-mapping view, the
// panel reset, the SVD-to-panel generator, a file dialog into an edit
// element, and END. EXIT belongs to the output family.
#include "activeelement.h"
#include "consolelinks.h"
#include "errorreporter.h"
#include "scriptcommandfamilies.h"
#include "scripthost.h"
#include "scriptpanelhost.h"
#include "scriptwindowhost.h"

using namespace ScriptCommandSupport;

namespace {

bool flag(const QString &text)
{
    return text.trimmed().toInt() != 0;
}

bool raiseCommand(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    if (ActiveElement *element = engine.host() ? engine.host()->elementByDefine(call.parameter(0)) : nullptr)
        host->scriptRaiseElement(element);
    return true;
}

bool setFullScreen(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &call)
{
    host->scriptSetFullScreen(flag(call.parameter(0)));
    return true;
}

bool setTab(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &call)
{
    host->scriptPanel()->scriptSelectTab(call.parameter(0), call.parameter(1).trimmed().toInt());
    return true;
}

bool endCommand(ScriptWindowHost *, ScriptEngine &engine, const ScriptCall &)
{
    engine.endRun();
    return false;
}

bool bringToFront(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &)
{
    host->scriptMoveWindow(0, 0, true);
    return true;
}

bool bringToBack(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &)
{
    host->scriptMoveWindow(9999, 9999, false);
    return true;
}

bool clearConsole(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &)
{
    host->scriptClearConsole();
    return true;
}

bool showConsole(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &call)
{
    host->scriptShowConsole(flag(call.parameter(0)));
    return true;
}

bool showPinMapper(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &)
{
    host->scriptShowPinMapper();
    return true;
}

bool resetGui(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &)
{
    host->scriptPanel()->scriptResetGui();
    return true;
}

bool generateXmlFromSvd(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    int namesLeftOut = 0;
    if (!host->scriptGenerateXmlFromSvd(call.parameter(0), flag(call.parameter(1)), &namesLeftOut))
        engine.reportScriptError(QStringLiteral("No panel was generated from %1").arg(call.parameter(0)), call);
    // Each name left out of the panel was reported with its line in the SVD
    // file; each counts.
    for (int i = 0; i < namesLeftOut; ++i)
        engine.addScriptError();
    return true;
}

bool openFileDialog(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const bool open = call.parameter(4).trimmed().toInt() == 1;
    const QString file = host->scriptFileDialog(call.parameter(0), call.parameter(1), call.parameter(2), open);
    if (file.isEmpty())
        return true;
    const QString define = call.parameter(3).trimmed();
    ActiveElement *element = engine.host() ? engine.host()->elementByDefine(define) : nullptr;
    if (!element) {
        // The dialog's own line: no line text and no line number.
        engine.logScriptError(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown define: %1 in line  "
                                  "<b><a href=\"%2\">file</a> line </b><b><br>")
                       .arg(define.toHtmlEscaped(),
                            filePositionLink(engine.scriptFile(), QString(), QStringLiteral("1"))));
        return true;
    }
    if (!element->takeChosenFile(file))
        reportInvalidParameter(QStringLiteral("OpenFileDialog"), file);
    return true;
}

} // namespace

QVector<ScriptCommand> windowCommands(ScriptWindowHost *host)
{
    using Handler = bool (*)(ScriptWindowHost *, ScriptEngine &, const ScriptCall &);
    const auto bind = [host](Handler handler) {
        return [host, handler](ScriptEngine &engine, const ScriptCall &call) { return handler(host, engine, call); };
    };
    return {
        {QStringLiteral("RAISE"), 1, bind(raiseCommand)},
        {QStringLiteral("SETFULLSCREEN"), 1, bind(setFullScreen)},
        {QStringLiteral("SETTAB"), 2, bind(setTab)},
        {QStringLiteral("END"), -1, bind(endCommand)},
        {QStringLiteral("BRINGTOFRONT"), -1, bind(bringToFront)},
        {QStringLiteral("BRINGTOBACK"), -1, bind(bringToBack)},
        {QStringLiteral("CLEAR"), -1, bind(clearConsole)},
        {QStringLiteral("SHOWCONSOLE"), 1, bind(showConsole)},
        {QStringLiteral("SHOWPINMAPPER"), -1, bind(showPinMapper)},
        {QStringLiteral("RESETGUI"), -1, bind(resetGui)},
        {QStringLiteral("GENERATEXMLFROMSVD"), 2, bind(generateXmlFromSvd)},
        {QStringLiteral("OPENFILEDIALOG"), 5, bind(openFileDialog)},
    };
}

QVector<ScriptCommand> windowCommandFamilies(ScriptWindowHost *host)
{
    QVector<ScriptCommand> commands = fileCommands(host);
    commands += elementCommands(host);
    commands += tableCommands(host);
    commands += windowCommands(host);
    commands += targetCommands(host);
    return commands;
}
