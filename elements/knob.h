#pragma once

#include "numericelement.h"

#include <qwt_knob.h>

// A rotary knob bound to a numeric define; its scale is the define's range.
// A value set by the program is cut to an integer, a project value is taken
// as it is. A lock does not keep it disabled.
class Knob : public QwtKnob, public NumericElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit Knob(const QString &name, QWidget *parent = nullptr);

    // The widget's own value and setter stay reachable beside the element's.
    using QwtKnob::setValue;
    using QwtKnob::value;

    void setValue(const QString &text, int keyword) override;
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    void loadValue(const QString &text) override;
    // The value as the shortest text that reads back to the same double; the
    // define value cut to an integer and shifted left by "lsb".
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    void resetToDefault() override;
    void reapplyStoredValue() override;
    bool acceptsBitRange(int msb, int lsb) override;
    // The tool tip's range: the bounds with six significant digits.
    QString rangeToolTip() const override;

public slots:
    void sendData(double value);
    void enable(bool on) override;
    void valueChanged(double value);
    void valueChangedByUser(double value);

private:
    double m_storedValue = 0.0;
};
