#pragma once

#include "valueelement.h"

#include <QButtonGroup>
#include <QHash>

class QAbstractButton;

// A radio group bound to a define: a QButtonGroup (no widget) whose value is
// the value of its checked button. Buttons are ordinary radio buttons that the
// containers create; the panel reader adds them one by one, and each button's
// id is its place in the group (0, 1, 2, ...).
//
// Each button carries a value (its property "userData"), an optional label,
// its actions ("data" of the group under the button's id) and its lock texts
// ("locks" of the group under the button's id). Choosing another button runs
// the new button's "selected" actions, then the old one's "unselected"
// actions, releases the old button's locks and sends the new one's.
class ButtonGroup : public QButtonGroup, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    ButtonGroup(const QString &name, QObject *parent);

    // The button's id is the number of buttons already in the group; its
    // property "userData" is value, or the id in decimal when value is empty.
    // A non-empty label finds the button and back; the button's object name
    // is the group's name followed by the label.
    void addRadioButton(QAbstractButton *button, const QString &label, const QString &value);

    // The value of the button at index as decimal text when it is a number
    // literal (0x10 gives 16), else as written; empty outside the group.
    QString buttonValue(int index) const;
    // The label of the button at index, else its text; empty outside the group.
    QString buttonLabel(int index) const;
    QAbstractButton *buttonForLabel(const QString &label) const { return m_buttonsByLabel.value(label); }
    // The first button whose value is value (a hexadecimal value compared as
    // its decimal number); -1 when none.
    int indexOfUserData(const QString &value) const;
    // The button with that label, else the first whose text is label; -1 when none.
    int indexOfLabel(const QString &label) const;
    // The button a text names in the keyword (0 value, 1 label, 2 index),
    // after a reference to another element is replaced by its value; -1 when none.
    int indexFromText(const QString &text, int keyword);

    void setValue(const QString &text, int keyword) override;
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    void loadValue(const QString &text) override;
    // 0 the checked button's value, 1 its label, 2 its id (-1 when none is
    // checked), 3 the value shifted by "lsb", 4 "ButtonGroup".
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    void resetToDefault() override;
    void applyLocks() override;
    // While locked the request is only remembered; otherwise every button follows it.
    void enable(bool on) override;
    void reapplyStoredValue() override;
    bool acceptsBitRange(int msb, int lsb) override;
    // GENERATETESTINPUT: a button index.
    QList<TestInputLine> testInputLines() const override;
    // A group is no widget: every button shows the group's tool tip.
    void updateToolTip() override;

    // Sends (on, when the button is checked) or releases (off) the lock texts
    // of the button; used by applyLocks and by the tree branch switch.
    Q_INVOKABLE void sendLocks(bool on, QAbstractButton *button);
    // Raises sendLock with lock on the element's behalf, as a waiting lock
    // is sent; the program sends its locks through sendLocks, tests call this.
    Q_INVOKABLE void emitSendLock(const QString &lock);

public slots:
    void sendData(int index);
    // The group reports the button that was unchecked too; only the checked one counts.
    void valueChanged(QAbstractButton *button);
    void valueChangedByUser(QAbstractButton *button);

private:
    // sendData; false when the group went away on the way.
    bool runSendData(int index);
    bool isButtonIndex(int index) const { return index >= 0 && index < buttons().size(); }
    // The label of a button of the group, else its text.
    QString labelOf(QAbstractButton *button) const;

    int currentIndex = 0; // the button last reported checked
    int m_storedIndex = 0;
    bool enabled = true;  // the last enable request, also while locked
    QHash<QString, QAbstractButton *> m_buttonsByLabel;
    QHash<QAbstractButton *, QString> m_labelsByButton;
};

// The radio group a button belongs to; null for a button of no group or of a
// group that is no ButtonGroup.
ButtonGroup *radioGroupOf(const QAbstractButton *button);
