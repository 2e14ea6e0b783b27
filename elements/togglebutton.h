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
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    void initialize() override;
    // GENERATETESTINPUT: a click.
    QList<TestInputLine> testInputLines() const override;
    // Clicked: clicks the button unless it is disabled.
    bool clickAsUser() override;

    // Sends (on, while checked) or releases (off) the lock texts; used by
    // applyLocks and by the tree branch switch.
    Q_INVOKABLE void sendLocks(bool on) override;
    // Raises sendLock with lock on the element's behalf, as a waiting lock
    // is sent; the program sends its locks through sendLocks, tests call this.
    Q_INVOKABLE void emitSendLock(const QString &lock);

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
