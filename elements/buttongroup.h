#pragma once

#include "activeelement.h"

#include <QButtonGroup>
#include <QHash>

class QAbstractButton;

// A radio group bound to a define: a QButtonGroup (no widget) whose value is
// the value of its checked button. This is the part the panel reader needs to
// build radio groups; the radio-group element completes it (locks, actions,
// recording, tool tips).
class ButtonGroup : public QButtonGroup, public ActiveElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    ButtonGroup(const QString &name, QObject *parent);

    // The button's id is the number of buttons already in the group; its
    // property "userData" is value, or the id in decimal when value is empty.
    // A non-empty label finds the button and back.
    void addRadioButton(QAbstractButton *button, const QString &label, const QString &value);
    QAbstractButton *buttonForLabel(const QString &label) const { return m_buttonsByLabel.value(label); }
    QString labelOf(QAbstractButton *button) const { return m_labels.value(button); }

    // Keyword 0 checks the button with that value, 1 the one with that label,
    // 2 the one with that id.
    void setValue(const QString &text, int keyword) override;
    void loadValue(const QString &text) override;
    // 0 the checked button's value, 1 its label, 2 its id, 4 "ButtonGroup";
    // empty when no button is checked.
    QString value(int keyword, int flag) override;
    QString storedValueText() override { return m_storedValue; }
    void initialize() override {}
    void setElementProperty(const char *name, const QVariant &value) override;
    QVariant elementProperty(const char *name) override;
    bool acceptsBitRange(int msb, int lsb) override;

signals:
    void updateMathLabels() override;
    void changedByUser();
    void selected_setDef(QString data);
    void unselected_setDef(QString data);
    void sendLock(QString lock);
    void sendUnlock(QString lock);

public slots:
    void enable(bool on) override;

private:
    QHash<QString, QAbstractButton *> m_buttonsByLabel;
    QHash<QAbstractButton *, QString> m_labels;
    QString m_storedValue;
};
