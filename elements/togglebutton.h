#pragma once

#include "bitelement.h"

#include <QPushButton>

// A checkable push button bound to a one-bit define. It works like a check
// box (value 1 or 0, "inverted", lock texts while checked, checked and
// unchecked actions) without "lockinverted"; it records "Clicked(NAME)" lines,
// runs the action kinds resetGUI and runScript too, and can show an icon
// ("image") and a background colour ("color").
class ToggleButton : public QPushButton, public BitElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    ToggleButton(const QString &name, const QString &text, QWidget *parent = nullptr);

    void setValue(const QString &text, int keyword) override;
    void initialize() override;

    // Sends (on, while checked) or releases (off) the lock texts; used by
    // applyLocks and by the tree branch switch.
    Q_INVOKABLE void sendLocks(bool on) override;
    // Lets the main window have a waiting lock sent now.
    Q_INVOKABLE void emitSendLock(const QString &lock);

signals:
    void changedByUser();
    void updateMathLabels() override;
    void checked_sendUSB(QString data);
    void checked_recData(QString data);
    void checked_setDef(QString data);
    void unchecked_sendUSB(QString data);
    void unchecked_recData(QString data);
    void unchecked_setDef(QString data);
    void sendLock(QString lock);
    void sendUnlock(QString lock);
    void checked_resetGUI(QString data);
    void unchecked_resetGUI(QString data);
    // Carries the runScript actions of both states.
    void checked_runScript(QString data);

public slots:
    void sendData(bool checked);
    void valueChanged(bool checked);
    void valueChangedByUser(bool checked);
    void enable(bool on) override;

private:
    // sendData; false when the button went away on the way.
    bool runSendData(bool checked);
    void setIconFile(const QString &file);
    void setColor(const QString &text);
};
