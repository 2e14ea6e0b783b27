#pragma once

#include "valueelement.h"

#include <QTableView>
#include <QVector>

class FieldRecord;
class QStandardItemModel;

// One register of the register model as a table of one row: a column per bit
// field, most significant field on the left, "reserved" columns for the bits
// no field covers. Each cell edits its field in place (check box, spin box or
// enumerated choice, see registerviewdelegates.h); the element's value is the
// register value composed from the cells, as an unsigned 64-bit number.
//
// Keywords: value sets the value the next register selection shows (shared by
// every view), module chooses the module, register selects a register and
// builds the table.
class RegisterView : public QTableView, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit RegisterView(const QString &name, QWidget *parent = nullptr);
    ~RegisterView() override;

    void setValue(const QString &text, int keyword) override;
    void loadValue(const QString &text) override;
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    bool acceptsBitRange(int msb, int lsb) override;

    // The read/write buddy: a radio group's define and the value that means
    // "read only".
    void setReadWriteBuddy(const QString &name, quint32 value);
    QString buddyName() const { return m_buddyName; }
    quint32 buddyValue() const { return m_buddyValue; }

    // Called by the column delegates once they wrote an edit into the model:
    // recomposes the value, refreshes the tool tip and records the change.
    void commitEditedValue();

    QString moduleName() const { return m_moduleName; }
    QString registerName() const { return m_registerName; }
    int registerSize() const { return m_registerSize; }
    int columnCount() const { return m_columnCount; }
    int columnLsb(int column) const { return m_columnLsb.value(column); }
    int columnBits(int column) const { return m_columnBits.value(column); }
    quint64 registerValue() const { return m_value; }
    QStandardItemModel *tableModel() const { return m_model; }

    // Registers of more than this many bits are not shown.
    static constexpr int maximumRegisterSize = 64;
    // The value every view shares until the next register selection takes it.
    static void clearPendingValue();

public slots:
    void onTableClicked(const QModelIndex &index);
    void enable(bool on) override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Column {
        QString name;
        const FieldRecord *field = nullptr; // null for a reserved gap
        int msb = 0;
        int lsb = 0;
        bool readOnly = true;
    };

    void selectRegister(const QString &text);
    quint64 composeValue() const;
    // Sets the read/write buddy group after a selection.
    void applyBuddy(bool allReadOnly);

    quint64 m_value = 0;
    int m_columnCount = 0;
    QVector<int> m_columnLsb;
    QString m_registerName;
    quint32 m_registerAddress = 0;
    QString m_buddyName;
    quint32 m_buddyValue = 0;
    bool m_readWriteState = false;
    QString m_moduleName;
    int m_bitWidthUnit = 0;
    int m_registerSize = 0;
    QVector<int> m_columnBits;
    QStandardItemModel *m_model = nullptr;

    static quint64 s_pendingValue;
    static bool s_pendingValueSet;
};

// The module a register view shows, when the element is one (a table names
// its registers' descriptions there); false for any other element.
bool registerViewModuleOf(const ActiveElement *element, QString *module);
