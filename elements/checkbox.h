#pragma once

#include "bitelement.h"

#include <QCheckBox>

// A check box bound to a define. Its value is 1 or 0: the check state, the
// other way round when the property "inverted" is set. Checked (unchecked with
// "lockinverted") it sends its lock texts; unchecked it releases them.
class CheckBox : public QCheckBox, public BitElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    CheckBox(const QString &name, const QString &text, QWidget *parent = nullptr);

    void setValue(const QString &text, int keyword) override;
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    void initialize() override;
    // GENERATETESTINPUT: 0 or 1.
    QList<TestInputLine> testInputLines() const override;
    void makeReadOnly() override;

    // Sends (on) or releases (off) the lock texts; used by applyLocks and by
    // the tree branch switch.
    Q_INVOKABLE void sendLocks(bool on) override;
    // Raises sendLock with lock on the element's behalf, as a waiting lock
    // is sent; the program sends its locks through sendLocks, tests call this.
    Q_INVOKABLE void emitSendLock(const QString &lock);

public slots:
    void sendData(bool checked);
    void enable(bool on) override;
    void valueChanged(int state);
    void valueChangedByUser(bool checked);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // sendData; false when the box went away on the way.
    bool runSendData(bool checked);
};
