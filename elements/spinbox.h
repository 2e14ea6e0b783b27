#pragma once

#include "numericelement.h"

#include <QSpinBox>

// A spin box bound to a define. Every change of the widget value, by the user
// or the program, runs its actions; it takes part in no locks, and a lock
// does not keep it disabled.
class SpinBox : public QSpinBox, public IntegerElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit SpinBox(const QString &name, QWidget *parent = nullptr);

    // The widget's own value and setter stay reachable beside the element's.
    using QSpinBox::setValue;
    using QSpinBox::value;

    void setValue(const QString &text, int keyword) override;
    QString value(int keyword, int flag) override;
    void initialize() override;

public slots:
    void sendData(int value);
    void enable(bool on) override;
    void valueChanged(int value);
    void valueChangedByUser(int value);

protected:
    int widgetValue() const override;
    void setWidgetValue(int value) override;
    int widgetMinimum() const override;
    int widgetMaximum() const override;
    void setWidgetRange(int minimum, int maximum) override;
};
