// Panel: registering elements under their defines (plain names and
// register paths), binding the panel's SVD registers, and setting elements
// by define as a script or the command line does.
#include "panel.h"

#include "buttongroup.h"
#include "checkbox.h"
#include "consolelinks.h"
#include "dataclass.h"
#include "elementkinds.h"
#include "errorreporter.h"
#include "knob.h"
#include "lineedit.h"
#include "numberliteral.h"
#include "panelshell.h"
#include "pollentries.h"
#include "registermodel.h"
#include "spinbox.h"
#include "timerlabel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>

#include <algorithm>
#include <climits>
#include <cmath>

void Panel::assignRegisterField(const QString &define, const QString &header,
                                ActiveElement *element, bool isSvd)
{
    bindRegisterPath(*this, define, header, element, isSvd);
}

void Panel::bindSvdVariables()
{
    // The registers of the SVD file come with the SVD reader; until then the
    // panel opens without them and its SVD-bound elements say so on the console.
    for (VarPollEntry *entry : qAsConst(m_registries.varPollList)) {
        if (!entry || entry->svdSymbol.isEmpty())
            continue;
        RegisterRecord *reg = getRegister(getModuleName(entry->svdSymbol), getRegisterName(entry->svdSymbol));
        if (!reg) {
            consolePrintSvdNotFound(entry->svdSymbol);
            continue;
        }
        entry->address = quint32(reg->address);
        entry->byteSize = quint32(reg->size() / 8);
        FieldRecord *field = reg->getField(getFieldName(entry->svdSymbol));
        entry->msb = field ? quint32(field->msb()) : 0;
        entry->bitShift = field ? quint32(field->lsb()) : 0;
    }
}

void Panel::checkSvdBinding(const QString &objectName)
{
    const QString moduleName = getModuleName(objectName);
    const QString registerName = getRegisterName(objectName);
    const QString fieldName = getFieldName(objectName);
    ModuleRecord *module = getModule(moduleName);
    RegisterRecord *reg = module ? module->getRegister(registerName) : nullptr;
    bool found = reg && reg->size() != 0;
    if (found && !fieldName.isEmpty()) {
        FieldRecord *field = reg->getField(fieldName);
        found = field && field->width() != 0;
    }
    if (!found)
        consolePrintSvdNotFound(objectName);
}

void Panel::consolePrintSvdNotFound(const QString &name)
{
    ::logMessage(QStringLiteral("<font color=\"red\"> <b>XML Error: </b></font><b>Not found in svd file: %1<br>")
                     .arg(name));
}

void Panel::resetToDefaults()
{
    for (ActiveElement *element : qAsConst(m_registries.allElements)) {
        if (!timerLabelOf(element))
            element->resetToDefault();
    }
    for (DataClass *variable : qAsConst(m_registries.variablesByName)) {
        if (variable)
            variable->resetToDefault();
    }
}

// ---------------------------------------------------------------------------
// Setting elements by define

// Runs an element's change slot of that signature when its class has one;
// false when it has none.
static bool invokeChangeSlot(QObject *object, const QByteArray &signature, QGenericArgument argument)
{
    const QMetaObject *meta = object->metaObject();
    const int index = meta->indexOfSlot(QMetaObject::normalizedSignature(signature.constData()).constData());
    return index >= 0 && meta->method(index).invoke(object, Qt::DirectConnection, argument);
}

// Sets an element's widget with its signals blocked, so that its change path
// runs once, from announceChange, and not a second time from the widget.
template <typename Set>
static void setBlocked(QObject *object, Set set)
{
    const QSignalBlocker blocker(object);
    set();
}

// Runs the element's change slots valueChangedByUser(T) (without argument
// when byUserTakesValue is false) and valueChanged(T), as after a user's
// change. An element class without them announces the change with its
// changedByUser signal, which marks the project modified.
template <typename T>
static void announceChange(QObject *object, const char *typeName, const T &value,
                           bool byUserTakesValue = true)
{
    const QByteArray type(typeName);
    const QGenericArgument argument(typeName, &value);
    const bool byUserRan = byUserTakesValue
        ? invokeChangeSlot(object, "valueChangedByUser(" + type + ")", argument)
        : invokeChangeSlot(object, "valueChangedByUser()", QGenericArgument());
    const bool changedRan = invokeChangeSlot(object, "valueChanged(" + type + ")", argument);
    if (byUserRan || changedRan)
        return;
    if (ElementSignals *signalSet = signalsOf(object); signalSet && signalSet->raises(QStringLiteral("changedByUser")))
        signalSet->raise(&ElementSignals::changedByUser);
}

// A define value as an integer: a decimal, hexadecimal or binary literal as
// panels and C headers write them ((0x20u), 0b101), read by the literal
// parser. False for text, fractions and values beyond 64 bits.
static bool readIntegerValue(const QString &value, qint64 *number)
{
    const int notation = numberLiteralFormat(value);
    if (notation != DecimalLiteral && notation != HexLiteral && notation != BinaryLiteral)
        return false;
    const QString decimal = parseNumberLiteral(value);
    if (decimal == QLatin1String("0") && !isZeroLiteral(value))
        return false;
    bool ok = false;
    *number = decimal.toLongLong(&ok);
    return ok;
}

// A define value as a floating-point number: an integer literal as above, a
// fraction, or another finite number as C writes it (-0.5, 1e3). False for
// text, NaN and the infinities.
static bool readRealValue(const QString &value, double *number)
{
    qint64 integer = 0;
    if (readIntegerValue(value, &integer)) {
        *number = double(integer);
        return true;
    }
    const int notation = numberLiteralFormat(value);
    if (notation != FractionLiteral && notation != OtherText)
        return false;
    // A fraction is read whole, not through the parser's six digits.
    QString text = value.trimmed();
    if (notation == FractionLiteral)
        text.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('u'));
    bool ok = false;
    *number = text.toDouble(&ok);
    return ok && std::isfinite(*number);
}

// The check state a define value gives a button: 0 or 1 in any integer
// notation; false for anything else.
static bool readBitValue(const QString &value, bool *checked)
{
    qint64 number = 0;
    if (!readIntegerValue(value, &number) || (number != 0 && number != 1))
        return false;
    *checked = number == 1;
    return true;
}

bool Panel::setElementByDefine(const QString &name, const QString &value)
{
    const int kind = numberLiteralFormat(value);
    if (DataClass *variable = m_registries.variablesByName.value(name, nullptr)) {
        if (kind == DecimalLiteral || kind == HexLiteral) {
            const QString decimal = parseNumberLiteral(value);
            bool ok = false;
            const qlonglong number = decimal.toLongLong(&ok);
            variable->setValue(ok ? uint(number) : uint(decimal.toULongLong()));
        } else if (kind == FractionLiteral) {
            variable->setFloatValue(value.toFloat());
        } else {
            return false;
        }
        return true;
    }

    ActiveElement *element = getActiveElement(name);
    QObject *object = objectOf(element);
    if (!object) {
        const QString script = m_shell ? m_shell->runningScriptFile() : QString();
        const QString link = filePositionLink(script, QString(), QStringLiteral("1"));
        ::logMessage(QStringLiteral("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown define: %1 in line %2 "
                                    "<b><a href=\"%3\">file</a> line %4</b><b><br>")
                         .arg(name, QString(), link, QString()));
        return false;
    }

    // A value the element cannot hold is reported and leaves the element,
    // and the value it keeps for the project, as they were.
    const auto refuse = [&] {
        reportInvalidDefineValue(name, value);
        return false;
    };
    const ElementKind *elementKind = elementKindOf(object);
    switch (elementKind ? elementKind->setRule : DefineSetRule::None) {
    case DefineSetRule::Bit: {
        auto *box = qobject_cast<CheckBox *>(object);
        bool checked = false;
        if (!readBitValue(value, &checked))
            return refuse();
        setBlocked(box, [&] { box->setChecked(checked); });
        box->valueChangedByUser(checked);
        box->valueChanged(checked ? 1 : 0);
        break;
    }
    case DefineSetRule::QueuedCheck: {
        bool checked = false;
        if (!readBitValue(value, &checked))
            return refuse();
        // Checked from the event loop; nothing happens when the button went by then.
        QMetaObject::invokeMethod(
            object, [button = qobject_cast<QAbstractButton *>(object), checked] { button->setChecked(checked); },
            Qt::QueuedConnection);
        break;
    }
    case DefineSetRule::Double: {
        auto *box = qobject_cast<QDoubleSpinBox *>(object);
        double number = 0.0;
        if (!readRealValue(value, &number) || number < box->minimum() || number > box->maximum())
            return refuse();
        setBlocked(box, [&] { box->setValue(number); });
        announceChange(box, "double", number);
        break;
    }
    case DefineSetRule::Integer: {
        auto *box = qobject_cast<SpinBox *>(object);
        qint64 number = 0;
        if (!readIntegerValue(value, &number) || number < box->minimum() || number > box->maximum())
            return refuse();
        const int n = int(number);
        setBlocked(box, [&] { box->setValue(n); });
        // The spin box's user path goes on to valueChanged itself.
        box->valueChangedByUser(n);
        break;
    }
    case DefineSetRule::Slider: {
        auto *slider = qobject_cast<QAbstractSlider *>(object);
        qint64 number = 0;
        if (!readIntegerValue(value, &number) || number < slider->minimum() || number > slider->maximum())
            return refuse();
        const int n = int(number);
        setBlocked(slider, [&] { slider->setValue(n); });
        announceChange(slider, "int", n);
        break;
    }
    case DefineSetRule::Knob: {
        // A knob takes whole steps: a fraction is refused, as by the spin
        // boxes and sliders, rather than cut without a word.
        qint64 integer = 0;
        if (!readIntegerValue(value, &integer))
            return refuse();
        const double number = double(integer);
        auto *knob = qobject_cast<Knob *>(object);
        if (!knob || number < knob->minimum() || number > knob->maximum())
            return refuse();
        setBlocked(object, [&] {
            QMetaObject::invokeMethod(object, "setValue", Qt::DirectConnection, Q_ARG(double, number));
        });
        announceChange(object, "double", number);
        break;
    }
    case DefineSetRule::Index: {
        auto *combo = qobject_cast<QComboBox *>(object);
        qint64 number = 0;
        if (!readIntegerValue(value, &number) || number < INT_MIN || number > INT_MAX)
            return refuse();
        const int n = int(number);
        if (n < 0 || n >= combo->count()) {
            reportIndexOutOfRange(name, QStringLiteral("setItem"), n, 0, combo->count() - 1);
            return false;
        }
        setBlocked(combo, [&] { combo->setCurrentIndex(n); });
        announceChange(combo, "int", n);
        break;
    }
    case DefineSetRule::Button: {
        auto *group = qobject_cast<ButtonGroup *>(object);
        const QList<QAbstractButton *> buttons = group->buttons();
        qint64 number = 0;
        if (!readIntegerValue(value, &number) || number < INT_MIN || number > INT_MAX)
            return refuse();
        const int n = int(number);
        if (n < 0 || n >= buttons.size()) {
            reportIndexOutOfRange(name, QStringLiteral("setRBItem"), n, 0, buttons.size() - 1);
            return false;
        }
        QAbstractButton *target = group->button(n) ? group->button(n) : buttons.at(n);
        const QPointer<ButtonGroup> alive(group); // an action may close the panel
        target->setChecked(true);
        // A radio group's change slots take the button; the user's path keeps
        // the new value as the stored one, which the project file saves.
        if (alive)
            alive->valueChangedByUser(target);
        break;
    }
    case DefineSetRule::LineText: {
        auto *edit = qobject_cast<LineEdit *>(object);
        // The field's typing rule holds for a define value too.
        if (edit && !edit->acceptsText(value))
            return refuse();
        auto *line = qobject_cast<QLineEdit *>(object);
        setBlocked(line, [&] { line->setText(value); });
        announceChange(line, "QString", value);
        break;
    }
    case DefineSetRule::RichText: {
        auto *edit = qobject_cast<QTextEdit *>(object);
        setBlocked(edit, [&] { edit->setText(value); });
        announceChange(edit, "QString", value, false);
        break;
    }
    case DefineSetRule::None:
        reportInvalidParameter(QStringLiteral("Set"), name);
        return false;
    }
    return true;
}

bool Panel::recordElementChange(QObject *sender)
{
    auto *element = qobject_cast<ActiveElement *>(sender);
    if (!element)
        return true;
    // A timer ticking is no change of the project.
    if (element->value(KeywordTypeInfo, 0) == QLatin1String("TimerLabel"))
        return false;
    const int index = m_registries.allElements.indexOf(element);
    if (index >= 0) {
        m_registries.allElements.move(index, m_registries.allElements.size() - 1);
        m_changedHeaders.insert(element->elementProperty("header").toString(), true);
    }
    return true;
}
