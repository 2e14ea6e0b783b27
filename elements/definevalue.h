#pragma once

#include <QSignalBlocker>
#include <QString>
#include <QtGlobal>

class QObject;

// The readings of a text that the element kinds share when they apply it
// (ActiveElement::applyText).

// A define value as an integer: a decimal, hexadecimal or binary literal as
// panels and C headers write them ((0x20u), 0b101), read by the literal
// parser. False for text, fractions and values beyond 64 bits.
bool readDefineInteger(const QString &value, qint64 *number);

// A define value as a floating-point number: an integer literal as above, a
// fraction, or another finite number as C writes it (-0.5, 1e3). False for
// text, NaN and the infinities.
bool readDefineReal(const QString &value, double *number);

// The check state a define value gives a button: 0 or 1 in any integer
// notation; false for anything else.
bool readDefineBit(const QString &value, bool *checked);

// A number as the script's set commands read it: decimal only, anything else 0.
int readUserDecimal(const QString &text);

// Runs set on the object with its signals blocked, so that its change path
// runs once, from the caller, and not a second time from the widget.
template <typename Set>
void setSignalsBlocked(QObject *object, Set set)
{
    const QSignalBlocker blocker(object);
    set();
}

// Sets a numeric widget as a user would. Its own value signal runs the user's
// change path (the recorder line, the actions, the modified mark) once; a
// value the widget already shows emits nothing, so the path is run here
// instead.
template <typename Widget, typename Value>
void setNumericByUser(Widget *widget, Value value, void (Widget::*byUser)(Value))
{
    const auto before = widget->value();
    widget->setValue(value);
    if (widget->value() == before)
        (widget->*byUser)(widget->value());
}
