#pragma once

#include "valueelement.h"

#include <QLineEdit>

// A one-line text bound to a whole define. Its value is the text; a numeric
// edit gives C number literals (0x1F, (0b101u)) as decimal text. Every change
// of the text runs its setDef and runScript actions. What the field lets the
// user type (a numeric edit: number literals; a validator or input mask: what
// it accepts) is also all a program, project or command-line value may set.
class LineEdit : public QLineEdit, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit LineEdit(const QString &name, QWidget *parent = nullptr);

    // The widget's own setter stays reachable beside the element's.
    using QLineEdit::setText;

    // A numeric edit takes number literals only, also when typed: it gets a
    // validator of its own unless it has one already.
    void setNumeric(bool on);
    bool isNumeric() const { return m_numeric; }

    // Whether the text is a value the field can finish with: its validator
    // and input mask accept it as typed, and a numeric edit holds a number
    // literal (or nothing).
    bool acceptsText(const QString &text) const;

    void setValue(const QString &text, int keyword) override;
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    void loadValue(const QString &text) override;
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    void resetToDefault() override;
    void reapplyStoredValue() override;
    bool acceptsBitRange(int msb, int lsb) override;
    // OpenFileDialog: the file becomes the text; the change runs the actions once and is kept as the user's.
    bool takeChosenFile(const QString &file) override;
    void makeReadOnly() override;

public slots:
    void sendData(const QString &text);
    void enable(bool on) override;
    void valueChanged(const QString &text);
    void valueChangedByUser(const QString &text);

private:
    // sendData; false when the edit went away on the way.
    bool runSendData();

    QString m_storedValue;
    bool m_numeric = false;
    QValidator *m_numberValidator = nullptr;
};
