#pragma once

#include "valueelement.h"

#include <QComboBox>
#include <QPointer>


// The panel's choice list bound to a define. Each item has a text (the
// element's label) and a value (item data under Qt::UserRole, compared as
// text), and its own actions and lock texts ("data" and "locks" under the
// item's index). Items come from the panel, from the panel editor, or from
// the enumerated values of an SVD field (addItem, with the placeholders
// "$$$OVERRIDE$$$" and "$$$HIDE$$$"); a combo box can also list the
// registers of a module (setValue with keyword 7).
class ComboBox : public QComboBox, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit ComboBox(const QString &name, QWidget *parent = nullptr);

    // The module the list shows the registers of; empty when none.
    QString moduleName() const { return m_moduleName; }

    // Appends an item unless text starts with "$$$HIDE$$$".
    void appendItem(const QString &text, const QVariant &value);
    // A non-empty text becomes the tool tip of the last item.
    void setLastItemToolTip(const QString &text) override;
    // The item a text names in the keyword (0 value, 1 label, 2 index), after
    // a reference to another element is replaced by its value; -1 when none.
    int indexFromText(const QString &text, int keyword);

    void setValue(const QString &text, int keyword) override;
    ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange) override;
    void loadValue(const QString &text) override;
    // 0 the current item's value, 1 its text, 2 its index (-1 for an empty
    // list), 3 the value shifted by "lsb", 4 "ComboBox", 8 the module listed.
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    void resetToDefault() override;
    void applyLocks() override;
    void enable(bool on) override;
    void makeReadOnly() override;
    void reapplyStoredValue() override;
    bool acceptsBitRange(int msb, int lsb) override;
    // GENERATETESTINPUT: an item index.
    QList<TestInputLine> testInputLines() const override;
    // An enumerated value of the bound SVD field: name, description, value.
    void addItem(const QString &name, const QString &text, int value) override;
    using QComboBox::addItem;

    // Sends (on) or releases (off) the lock texts of the current item; used
    // by applyLocks and by the tree branch switch.
    Q_INVOKABLE void sendLocks(bool on);
    // Raises sendLock with lock on the element's behalf, as a waiting lock
    // is sent; the program sends its locks through sendLocks, tests call this.
    Q_INVOKABLE void emitSendLock(const QString &lock);

    // Locks: a value (label: item text) the list holds; an entry is named by
    // the text of the item whose index it is.
    bool acceptsLockValue(const QString &value, bool labelLock) const override;
    QString lockEntryLabel(const QString &key, int position) const override;

public slots:
    void sendData(int index);
    void valueChanged(int index);
    void valueChangedByUser(int index);

private:
    // sendData; false when the combo box went away on the way.
    bool runSendData(int index);
    // The index of the first item whose data or text (role) is text; -1 when none.
    int findExactly(const QString &text, int role) const;
    // Lists the registers of the module that the referenced element names.
    void listModuleRegisters(const QString &reference);
    // The console warning of initialize about duplicate values or texts.
    void warnDuplicates();

    int m_currentIndex = 0; // the index last reported by the widget
    int m_storedIndex = 0;
    QString m_moduleName;
};
