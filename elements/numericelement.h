#pragma once

#include "valueelement.h"

#include <functional>

// What the numeric elements (spin boxes, slider, double spin box, knob)
// share beside ValueElement: the "changed" action walk, the user's and the
// program's change paths, and the rules of defaults, bit fields and stored
// numbers.
class NumericElement : public ValueElement
{
protected:
    // The range a new integer element has until the panel or a bit field
    // narrows it; a range still reaching either end counts as open.
    static constexpr int openLimit = 0x40000000;

    // acceptsBitRange of an element with the range [minimum, maximum]: any
    // field with -1 in it; a field whose largest value (2^width - 1, or
    // openLimit from 31 bits on) the range lies within; and, with
    // narrow(largest value) called to make the range [0, largest value], any
    // field while the range is open.
    static bool acceptsBitField(int msb, int lsb, double minimum, double maximum,
                                const std::function<void(int limit)> &narrow);
    // A double as the shortest text that reads back to the same double.
    static QString exactText(double value);
    // Whether value is a number within [minimum, maximum] (NaN is not).
    static bool within(double value, double minimum, double maximum);
    // The default ("my_default") of an element holding integers: a
    // hexadecimal or decimal literal, optionally after "value=", or 0 when
    // empty; clamped into [minimum, maximum], through *value. False, with the
    // default reported, for any other text; *value is then the clamped 0.
    bool integerDefaultWithin(double minimum, double maximum, double *value);

    // runsScripts: whether the element runs "runScript" actions.
    NumericElement(QWidget *widget, bool runsScripts);

    // sendData: the actions of the kinds the element runs (every event
    // applies; the signals are the "changed" ones), then the formula refresh.
    // False when the element went away on the way.
    bool runChangeActions();
    // valueChanged, the program's change path: the actions, then the
    // modified mark and the tool tip.
    void programChange();
    // The start of valueChangedByUser: the recorder line (consoleValue, when
    // given, on the console) and changedByUser(). False when the element went
    // away; the caller then returns at once.
    bool userChange(const QString &value, const QString &consoleValue = QString());
    // valueChangedByUser of the floating-point elements: the recorder line
    // with the exact number (the console's with six digits), then *stored :=
    // value and the program's change path.
    void doubleChangedByUser(double value, double *stored);
    // loadValue of the floating-point elements: a number within [minimum,
    // maximum] is shown through setWidget, signals blocked, and becomes
    // *stored as read; anything else is reported.
    void loadDouble(const QString &text, double minimum, double maximum,
                    const std::function<void(double)> &setWidget, double *stored);
    // setValue's change: setWidget and the program's change path with the
    // element's signals blocked (so its actions send nothing), then the
    // formula refresh.
    void applyBlocked(const std::function<void()> &setWidget);

private:
    // The widget is the element's object (elementObject()).
    QWidget *widget() const;

    bool m_runsScripts;
};

// The integer elements (spin boxes and slider) over their widget's value and
// range: every change of the widget value runs the user's change path, and a
// lock does not keep them disabled.
class IntegerElement : public NumericElement
{
public:
    void loadValue(const QString &text) override;
    QString storedValueText() override;
    void resetToDefault() override;
    void reapplyStoredValue() override;
    bool acceptsBitRange(int msb, int lsb) override;
    // The tool tip's range: the widget's minimum and maximum in decimal.
    QString rangeToolTip() const override;

protected:
    explicit IntegerElement(QWidget *widget);

    // The widget's own value and range.
    virtual int widgetValue() const = 0;
    virtual void setWidgetValue(int value) = 0;
    virtual int widgetMinimum() const = 0;
    virtual int widgetMaximum() const = 0;
    virtual void setWidgetRange(int minimum, int maximum) = 0;

    // value(): the widget value in decimal; the define value shifted left by
    // "lsb" modulo 32 as an unsigned 32-bit number; typeName as type.
    QString integerValue(int keyword, const QString &typeName);
    // The number integerValue(KeywordDefineValue) spells.
    quint64 integerDefineBits();
    // setValue once any reference is resolved: a decimal number within the
    // range, keyword 0 only.
    void setIntegerValue(const QString &valueText, int keyword);
    // valueChangedByUser: records the value, keeps it as the stored value and
    // takes the program's change path.
    void integerChangedByUser(int value);

private:
    int m_storedValue = 0;
};
