// Element commands: set elements as a user would (the lines recorded macros
// consist of), and hand setDef and lock texts to the panel. A change runs
// through the element's own slots, so its actions, the recorder and the
// modified state react as they do to the mouse.
#include "activeelement.h"
#include "dataclass.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "scriptcommandfamilies.h"
#include "scripthost.h"
#include "scriptpanelhost.h"
#include "scriptwindowhost.h"

#include <QAbstractButton>
#include <QCoreApplication>

namespace ScriptCommandSupport {

QString substituteDirEntry(ScriptEngine &engine, const QString &text)
{
    return text == QLatin1String("$DIR$") ? engine.current().dirLoop.entry : text;
}

QString substituteLoopValue(ScriptEngine &engine, const QString &value)
{
    const QString &variable = engine.current().loop.variable;
    if (value.isEmpty() || value != variable || !engine.host())
        return value;
    if (DataClass *data = engine.host()->scriptVariables().value(variable))
        return QString::number(quint32(data->value()));
    return value;
}

ActiveElement *elementByObjectName(ScriptEngine &engine, const QString &name)
{
    if (!engine.host())
        return nullptr;
    const QList<ActiveElement *> elements = engine.host()->scriptElements();
    for (ActiveElement *element : elements) {
        QObject *object = objectOf(element);
        if (object && object->objectName() == name)
            return element;
    }
    return nullptr;
}

} // namespace ScriptCommandSupport

using namespace ScriptCommandSupport;

namespace {

constexpr unsigned CheckForms = userSetFormBit(UserSetForm::Check);
constexpr unsigned SpinValueForms = userSetFormBit(UserSetForm::SpinValue);
constexpr unsigned AllForms = CheckForms | SpinValueForms | userSetFormBit(UserSetForm::Position)
    | userSetFormBit(UserSetForm::Item) | userSetFormBit(UserSetForm::RadioItem) | userSetFormBit(UserSetForm::Text);

// Sets the element from text as a user would, when its kind is set in one of
// forms (bits of UserSetForm); false when it is not. The window shows the
// element first when the text changes it.
bool applyAsUser(ScriptWindowHost *host, ActiveElement *element, const QString &name, const QString &text,
                 unsigned forms)
{
    const ElementKind *kind = elementKindOf(objectOf(element));
    if (!kind || kind->userForm == UserSetForm::None || !(forms & userSetFormBit(kind->userForm)))
        return false;
    const ApplyResult result =
        element->applyText(text, ApplyRule::User, [host, element] { host->scriptRaiseElement(element); });
    if (result.outcome == ApplyResult::IndexOutOfRange)
        reportIndexOutOfRange(name, QLatin1String(result.member), result.index, 0, result.last);
    return result.outcome != ApplyResult::NotSettable;
}

// The object-name commands: the element named, set in one of forms; an
// element of another kind is reported with the command's word.
bool setByObjectName(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call, const QString &name,
                     const QString &value, unsigned forms, const QString &word)
{
    ActiveElement *element = elementByObjectName(engine, name);
    if (!element) {
        engine.reportUnknownElement(name, call);
        return true;
    }
    if (!applyAsUser(host, element, name, value, forms)) {
        engine.addScriptError();
        reportInvalidParameter(word, name);
    }
    return true;
}

bool setCommand(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString name = call.parameter(0);
    const QString value = substituteLoopValue(engine, call.parameter(1).trimmed());
    ActiveElement *element = engine.host() ? engine.host()->elementByDefine(name) : nullptr;
    if (!element) {
        engine.reportUnknownDefine(name, call);
        return true;
    }
    if (!applyAsUser(host, element, name, value, AllForms)) {
        engine.addScriptError();
        reportInvalidParameter(QStringLiteral("Set"), name);
    }
    return true;
}

bool setChecked(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), call.parameter(1), CheckForms,
                           QStringLiteral("setChecked"));
}

bool setValue(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), call.parameter(1), SpinValueForms,
                           QStringLiteral("setValue"));
}

bool setItem(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), substituteLoopValue(engine, call.parameter(1).trimmed()),
                           userSetFormBit(UserSetForm::Item), QStringLiteral("setItem"));
}

bool setRadioItem(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), call.parameter(1), userSetFormBit(UserSetForm::RadioItem),
                           QStringLiteral("setRBItem"));
}

bool setText(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), call.parameter(1), userSetFormBit(UserSetForm::Text),
                           QStringLiteral("setText"));
}

bool clicked(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString name = call.parameter(0);
    if (ActiveElement *element = engine.host() ? engine.host()->elementByDefine(name) : nullptr) {
        if (!element->clickAsUser()) {
            engine.addScriptError();
            reportInvalidParameter(QStringLiteral("Clicked"), name);
        }
        return true;
    }
    const QList<QPair<QString, QObject *>> buttons = host->scriptPanel()->scriptPushButtons();
    for (const auto &entry : buttons) {
        // An entry without its button is known by its name only.
        if ((entry.second ? entry.second->objectName() : entry.first) != name)
            continue;
        auto *button = qobject_cast<QAbstractButton *>(entry.second);
        if (!button) {
            engine.addScriptError();
            reportInvalidParameter(QStringLiteral("Clicked"), name);
            return true;
        }
        // At once, as a click the user makes and then looks at: the button's
        // actions have run when the next line runs.
        if (button->isEnabled())
            QMetaObject::invokeMethod(button, "clicked", Qt::DirectConnection);
        return true;
    }
    engine.reportUnknownElement(name, call);
    return true;
}

bool setDef(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    // The panel reports each item it refuses (an unknown define among them);
    // each one counts as a script error.
    const int refused = host->scriptPanel()->scriptSetDef(call.parameter(0));
    for (int i = 0; i < refused; ++i)
        engine.addScriptError();
    return true;
}

bool lock(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &call)
{
    host->scriptPanel()->scriptLock(call.parameter(0));
    return true;
}

bool unlock(ScriptWindowHost *host, ScriptEngine &, const ScriptCall &call)
{
    host->scriptPanel()->scriptUnlock(call.parameter(0));
    return true;
}

} // namespace

QVector<ScriptCommand> elementCommands(ScriptWindowHost *host)
{
    using Handler = bool (*)(ScriptWindowHost *, ScriptEngine &, const ScriptCall &);
    // What a change set off through the event loop (a check queued by a
    // setDef, a reply handed over from the exchange thread) is delivered
    // before the next line runs.
    const auto bind = [host](Handler handler) {
        return [host, handler](ScriptEngine &engine, const ScriptCall &call) {
            const bool goOn = handler(host, engine, call);
            QCoreApplication::sendPostedEvents();
            return goOn;
        };
    };
    return {
        {QStringLiteral("SETDEF"), 1, bind(setDef)},
        {QStringLiteral("LOCK"), 1, bind(lock)},
        {QStringLiteral("UNLOCK"), 1, bind(unlock)},
        {QStringLiteral("SETCHECKED"), 2, bind(setChecked)},
        {QStringLiteral("SETVALUE"), 2, bind(setValue)},
        {QStringLiteral("CLICKED"), 1, bind(clicked)},
        {QStringLiteral("SETITEM"), 2, bind(setItem)},
        {QStringLiteral("SETRBITEM"), 2, bind(setRadioItem)},
        {QStringLiteral("SETTEXT"), 2, bind(setText)},
        {QStringLiteral("SET"), 2, bind(setCommand)},
    };
}
