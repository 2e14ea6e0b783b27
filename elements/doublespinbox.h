#pragma once

#include "numericelement.h"

#include <QDoubleSpinBox>

// A floating-point spin box bound to a whole define. It always writes and
// reads its numbers with a decimal point; its default decides the number of
// decimals shown. It takes part in locks only as a target.
class DoubleSpinBox : public QDoubleSpinBox, public NumericElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit DoubleSpinBox(const QString &name, QWidget *parent = nullptr);

    // The widget's own value and setter stay reachable beside the element's.
    using QDoubleSpinBox::setValue;
    using QDoubleSpinBox::value;

    void setValue(const QString &text, int keyword) override;
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    void loadValue(const QString &text) override;
    QString value(int keyword, int flag) override;
    // The stored value as the shortest text that reads back to the same double.
    QString storedValueText() override;
    void initialize() override;
    void resetToDefault() override;
    void reapplyStoredValue() override;
    bool acceptsBitRange(int msb, int lsb) override;
    // GENERATETESTINPUT: a whole value from the range, within 0..32767.
    QList<TestInputLine> testInputLines() const override;
    // The tool tip's range: the bounds with six significant digits.
    QString rangeToolTip() const override;
    void makeReadOnly() override;

public slots:
    void sendData(double value);
    void enable(bool on) override;
    void valueChanged(double value);
    void valueChangedByUser(double value);

private:
    double m_storedValue = 0.0;
};
