#pragma once

#include "valueelement.h"

#include <QSpinBox>

// A spin box bound to a define. Every change of the widget value, by the user
// or the program, runs its actions; it takes part in no locks, and a lock
// does not keep it disabled.
class SpinBox : public QSpinBox, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit SpinBox(const QString &name, QWidget *parent = nullptr);

    // The widget's own value and setter stay reachable beside the element's.
    using QSpinBox::setValue;
    using QSpinBox::value;

    void setValue(const QString &text, int keyword) override;
    void loadValue(const QString &text) override;
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    void resetToDefault() override;
    void reapplyStoredValue() override;
    bool acceptsBitRange(int msb, int lsb) override;

signals:
    void changedByUser();
    void updateMathLabels() override;
    void changed_sendUSB(QString data);
    void changed_recData(QString data);
    void changed_setDef(QString data);
    void changed_runScript(QString data);

public slots:
    void sendData(int value);
    void enable(bool on) override;
    void valueChanged(int value);
    void valueChangedByUser(int value);

protected:
    // The range a new spin box has until the panel or a bit field narrows it.
    static constexpr int initialLimit = 0x40000000;

private:
    // sendData; false when the spin box went away on the way.
    bool runSendData(int value);

    int storedValue = 0;
};
