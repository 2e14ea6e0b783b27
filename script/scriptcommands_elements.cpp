// Element commands: set elements as a user would (the lines recorded macros
// consist of), and hand setDef and lock texts to the panel. A change runs
// through the element's own slots, so its actions, the recorder and the
// modified state react as they do to the mouse.
#include "activeelement.h"
#include "buttongroup.h"
#include "checkbox.h"
#include "combobox.h"
#include "dataclass.h"
#include "doublespinbox.h"
#include "errorreporter.h"
#include "knob.h"
#include "lineedit.h"
#include "scriptcommandfamilies.h"
#include "scripthost.h"
#include "scriptpanelhost.h"
#include "scriptwindowhost.h"
#include "slider.h"
#include "spinbox.h"
#include "textedit.h"
#include "togglebutton.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMetaObject>
#include <QPushButton>

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

// The element classes a command may set, in the order they are tried.
enum ElementRow : unsigned {
    RowCheckBox = 1u << 0,
    RowPushButton = 1u << 1,
    RowDoubleSpinBox = 1u << 2,
    RowSpinBox = 1u << 3,
    RowSlider = 1u << 4,
    RowKnob = 1u << 5,
    RowComboBox = 1u << 6,
    RowButtonGroup = 1u << 7,
    RowLineEdit = 1u << 8,
    RowTextEdit = 1u << 9,
    RowAll = 0x3ffu,
};

// A number as the commands read it: decimal only, anything else 0.
int decimal(const QString &text)
{
    return text.trimmed().toInt();
}

// Sets a numeric widget. Its own value signal runs the user's change path
// (the recorder line, the actions, the modified mark) once; a value the
// widget already shows emits nothing, so the path is run here instead.
template <typename Widget, typename Value>
void setNumeric(Widget *widget, Value value, void (Widget::*byUser)(Value))
{
    const auto before = widget->value();
    widget->setValue(value);
    if (widget->value() == before)
        (widget->*byUser)(widget->value());
}

class ElementSetter
{
public:
    ElementSetter(ScriptWindowHost *host, ActiveElement *element, const QString &name)
        : m_host(host)
        , m_element(element)
        , m_name(name)
    {
    }

    // Applies text through the first row the element belongs to; false when
    // it belongs to none of rows.
    bool apply(const QString &text, unsigned rows);

private:
    void raise() { m_host->scriptRaiseElement(m_element); }

    ScriptWindowHost *m_host;
    ActiveElement *m_element;
    QString m_name;
};

bool ElementSetter::apply(const QString &text, unsigned rows)
{
    QObject *object = objectOf(m_element);
    if (!object)
        return false;

    if (auto *box = qobject_cast<CheckBox *>(object); box && (rows & RowCheckBox)) {
        const bool checked = decimal(text) == 1;
        if (!box->isEnabled() || box->isChecked() == checked)
            return true;
        raise();
        // As a click: the state change runs the actions, then the user's slot
        // records the line and keeps the state.
        box->setChecked(checked);
        box->valueChangedByUser(checked);
        return true;
    }
    if (auto *button = qobject_cast<QPushButton *>(object); button && (rows & RowPushButton)) {
        const bool checked = decimal(text) == 1;
        if (!button->isEnabled() || button->isChecked() == checked)
            return true;
        raise();
        // At once, so the next script line sees the new state and what it set off.
        button->setChecked(checked);
        return true;
    }
    if (auto *box = qobject_cast<DoubleSpinBox *>(object); box && (rows & RowDoubleSpinBox)) {
        if (!box->isEnabled())
            return true;
        raise();
        setNumeric<DoubleSpinBox, double>(box, text.trimmed().toDouble(), &DoubleSpinBox::valueChangedByUser);
        return true;
    }
    if (auto *box = qobject_cast<SpinBox *>(object); box && (rows & RowSpinBox)) {
        if (!box->isEnabled())
            return true;
        raise();
        setNumeric<SpinBox, int>(box, decimal(text), &SpinBox::valueChangedByUser);
        return true;
    }
    if (auto *slider = qobject_cast<Slider *>(object); slider && (rows & RowSlider)) {
        if (!slider->isEnabled())
            return true;
        raise();
        setNumeric<Slider, int>(slider, decimal(text), &Slider::valueChangedByUser);
        return true;
    }
    if (auto *knob = qobject_cast<Knob *>(object); knob && (rows & RowKnob)) {
        if (!knob->isEnabled())
            return true;
        raise();
        setNumeric<Knob, double>(knob, double(decimal(text)), &Knob::valueChangedByUser);
        return true;
    }
    if (auto *combo = qobject_cast<ComboBox *>(object); combo && (rows & RowComboBox)) {
        if (!combo->isEnabled())
            return true;
        const int index = decimal(text);
        // A negative index is refused as well: no item list is indexed with it.
        if (index < 0 || index >= combo->count()) {
            reportIndexOutOfRange(m_name, QStringLiteral("setItem"), index, 0, combo->count() - 1);
            return true;
        }
        raise();
        // As a choice with the mouse: the index change runs the actions, the
        // user's slot records the line.
        const int before = combo->currentIndex();
        combo->setCurrentIndex(index);
        if (before == index)
            combo->valueChanged(index);
        combo->valueChangedByUser(index);
        return true;
    }
    if (auto *group = qobject_cast<ButtonGroup *>(object); group && (rows & RowButtonGroup)) {
        const int index = decimal(text);
        const int count = group->buttons().size();
        QAbstractButton *button = index >= 0 && index < count ? group->button(index) : nullptr;
        if (!button) {
            reportIndexOutOfRange(m_name, QStringLiteral("setRBItem"), index, 0, count - 1);
            return true;
        }
        if (!button->isEnabled())
            return true;
        raise();
        const bool wasChecked = button->isChecked();
        button->setChecked(true);
        if (wasChecked)
            group->valueChanged(button);
        group->valueChangedByUser(button);
        return true;
    }
    if (auto *edit = qobject_cast<LineEdit *>(object); edit && (rows & RowLineEdit)) {
        if (!edit->isEnabled())
            return true;
        raise();
        const bool same = edit->text() == text;
        edit->setText(text);
        if (same)
            edit->valueChanged(text);
        edit->valueChangedByUser(text);
        return true;
    }
    if (auto *edit = qobject_cast<TextEdit *>(object); edit && (rows & RowTextEdit)) {
        if (!edit->isEnabled())
            return true;
        raise();
        // The text change runs the user's slot (the recorder line); the
        // actions run on valueChanged.
        const QString before = edit->toPlainText();
        edit->setText(text);
        if (edit->toPlainText() == before)
            edit->valueChangedByUser();
        edit->valueChanged(text);
        return true;
    }
    return false;
}

// The object-name commands: the element named, set through rows; an element
// of another class is reported with the command's word.
bool setByObjectName(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call, const QString &name,
                     const QString &value, unsigned rows, const QString &word)
{
    ActiveElement *element = elementByObjectName(engine, name);
    if (!element) {
        engine.reportUnknownElement(name, call);
        return true;
    }
    if (!ElementSetter(host, element, name).apply(value, rows)) {
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
    if (!ElementSetter(host, element, name).apply(value, RowAll)) {
        engine.addScriptError();
        reportInvalidParameter(QStringLiteral("Set"), name);
    }
    return true;
}

bool setChecked(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), call.parameter(1), RowCheckBox | RowPushButton,
                           QStringLiteral("setChecked"));
}

bool setValue(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), call.parameter(1), RowDoubleSpinBox | RowSpinBox,
                           QStringLiteral("setValue"));
}

bool setItem(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), substituteLoopValue(engine, call.parameter(1).trimmed()),
                           RowComboBox, QStringLiteral("setItem"));
}

bool setRadioItem(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), call.parameter(1), RowButtonGroup,
                           QStringLiteral("setRBItem"));
}

bool setText(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    return setByObjectName(host, engine, call, call.parameter(0), call.parameter(1), RowLineEdit | RowTextEdit,
                           QStringLiteral("setText"));
}

bool clicked(ScriptWindowHost *host, ScriptEngine &engine, const ScriptCall &call)
{
    const QString name = call.parameter(0);
    if (ActiveElement *element = engine.host() ? engine.host()->elementByDefine(name) : nullptr) {
        auto *toggle = qobject_cast<ToggleButton *>(objectOf(element));
        if (!toggle) {
            engine.addScriptError();
            reportInvalidParameter(QStringLiteral("Clicked"), name);
        } else if (toggle->isEnabled()) {
            toggle->click();
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
