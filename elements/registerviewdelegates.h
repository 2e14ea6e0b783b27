#pragma once

#include "registermodel.h"

#include <QList>
#include <QStyledItemDelegate>

class RegisterView;

// The in-place editors of a register view's columns. Each writes the edited
// field value into the cell (edit role: the text shown; Qt::UserRole: the
// field value) and then asks its view to recompose the register value.

// A one-bit field: a check box, disabled for a read-only field.
class CheckBoxDelegate : public QStyledItemDelegate
{
public:
    CheckBoxDelegate(bool readOnly, RegisterView *view);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

private:
    bool m_readOnly;
    RegisterView *m_view;
};

// A wider field: a spin box over the field's whole range. A field too wide
// for a spin box (31 bits and more) is edited as a decimal or 0x-hexadecimal
// number in a line edit; a number beyond the field is not taken.
class SpinBoxDelegate : public QStyledItemDelegate
{
public:
    SpinBoxDelegate(bool readOnly, int lsb, int msb, RegisterView *view);

    // The largest value of the field.
    quint64 maximum() const;
    // Whether the field is edited in a spin box (else in a line edit).
    bool usesSpinBox() const;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

private:
    bool m_readOnly;
    int m_lsb;
    int m_msb;
    RegisterView *m_view;
};

// A field with enumerated values: a combo box of "name (0bvalue)" items, each
// disabled for a read-only field.
class ComboBoxDelegate : public QStyledItemDelegate
{
public:
    ComboBoxDelegate(bool readOnly, const QList<EnumeratedValue> &values, int fieldWidth, RegisterView *view);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const override;

    // The text of an enumerated value: its name and its value in binary,
    // padded to the field width.
    static QString itemText(const EnumeratedValue &value, int fieldWidth);

private:
    bool m_readOnly;
    QList<EnumeratedValue> m_enumeratedValues;
    int m_fieldWidth;
    RegisterView *m_view;
};
