#include "registerviewdelegates.h"

#include "registerview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTimer>

namespace {

// Spin boxes hold signed 32-bit numbers: fields up to 30 bits fit.
constexpr int widestSpinBoxField = 30;

// A decimal or 0x-hexadecimal number as typed into a wide field's editor.
bool readFieldNumber(const QString &text, quint64 *value)
{
    bool ok = false;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        *value = trimmed.mid(2).toULongLong(&ok, 16);
    else
        *value = trimmed.toULongLong(&ok, 10);
    return ok;
}

} // namespace

CheckBoxDelegate::CheckBoxDelegate(bool readOnly, RegisterView *view)
    : QStyledItemDelegate(view)
    , m_readOnly(readOnly)
    , m_view(view)
{
}

QWidget *CheckBoxDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *editor = new QCheckBox(parent);
    editor->setEnabled(!m_readOnly);
    return editor;
}

void CheckBoxDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    static_cast<QCheckBox *>(editor)->setChecked(index.data(Qt::EditRole).toInt() != 0);
}

void CheckBoxDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const bool checked = static_cast<QCheckBox *>(editor)->isChecked();
    model->setData(index, checked, Qt::EditRole);
    model->setData(index, checked, Qt::UserRole);
    if (m_view)
        m_view->commitEditedValue();
}

void CheckBoxDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                            const QModelIndex &) const
{
    editor->setGeometry(option.rect);
}

SpinBoxDelegate::SpinBoxDelegate(bool readOnly, int lsb, int msb, RegisterView *view)
    : QStyledItemDelegate(view)
    , m_readOnly(readOnly)
    , m_lsb(lsb)
    , m_msb(msb)
    , m_view(view)
{
}

quint64 SpinBoxDelegate::maximum() const
{
    const int width = m_msb - m_lsb + 1;
    if (width <= 0)
        return 0;
    return width >= 64 ? ~quint64(0) : (quint64(1) << width) - 1;
}

bool SpinBoxDelegate::usesSpinBox() const
{
    return m_msb - m_lsb + 1 <= widestSpinBoxField;
}

QWidget *SpinBoxDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    QWidget *editor = nullptr;
    if (usesSpinBox()) {
        auto *box = new QSpinBox(parent);
        box->setRange(0, int(maximum()));
        editor = box;
    } else {
        auto *edit = new QLineEdit(parent);
        static const QRegularExpression number(QStringLiteral("0[xX][0-9a-fA-F]{1,16}|[0-9]{1,20}"));
        edit->setValidator(new QRegularExpressionValidator(number, edit));
        editor = edit;
    }
    editor->setEnabled(!m_readOnly);
    return editor;
}

void SpinBoxDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *box = qobject_cast<QSpinBox *>(editor))
        box->setValue(index.data(Qt::EditRole).toInt());
    else if (auto *edit = qobject_cast<QLineEdit *>(editor))
        edit->setText(QString::number(index.data(Qt::EditRole).toULongLong()));
}

void SpinBoxDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    quint64 value = 0;
    if (auto *box = qobject_cast<QSpinBox *>(editor)) {
        value = quint64(box->value());
    } else if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        if (!readFieldNumber(edit->text(), &value) || value > maximum())
            return;
    }
    model->setData(index, QString::number(value), Qt::EditRole);
    model->setData(index, QVariant::fromValue<qulonglong>(value), Qt::UserRole);
    if (m_view)
        m_view->commitEditedValue();
}

void SpinBoxDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                           const QModelIndex &) const
{
    editor->setGeometry(option.rect);
}

ComboBoxDelegate::ComboBoxDelegate(bool readOnly, const QList<EnumeratedValue> &values, int fieldWidth,
                                   RegisterView *view)
    : QStyledItemDelegate(view)
    , m_readOnly(readOnly)
    , m_enumeratedValues(values)
    , m_fieldWidth(fieldWidth)
    , m_view(view)
{
}

QString ComboBoxDelegate::itemText(const EnumeratedValue &value, int fieldWidth)
{
    return QStringLiteral("%1 (0b%2)")
        .arg(value.name)
        .arg(quint32(value.value), fieldWidth > 1 ? fieldWidth : 0, 2, QLatin1Char('0'));
}

QWidget *ComboBoxDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    return new QComboBox(parent);
}

void ComboBoxDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *box = static_cast<QComboBox *>(editor);
    const QString current = index.data(Qt::EditRole).toString();
    // The view calls again when the cell changes while the editor is open:
    // the list is filled and opened only the first time.
    const bool first = box->count() == 0;
    if (first) {
        auto *items = qobject_cast<QStandardItemModel *>(box->model());
        for (const EnumeratedValue &value : m_enumeratedValues) {
            box->addItem(itemText(value, m_fieldWidth), value.value);
            const int row = box->count() - 1;
            box->setItemData(row, value.description, Qt::ToolTipRole);
            if (m_readOnly && items)
                items->item(row)->setEnabled(false);
        }
    }
    box->setCurrentIndex(box->findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (!first)
        return;
    // The view fills the editor before it shows it: the list opens once the
    // editor is on screen.
    if (box->isVisible())
        box->showPopup();
    else
        QTimer::singleShot(0, box, [box] {
            if (box->isVisible())
                box->showPopup();
        });
}

void ComboBoxDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *box = static_cast<QComboBox *>(editor);
    if (box->currentIndex() < 0)
        return;
    model->setData(index, box->currentText(), Qt::EditRole);
    // The enumerated value's bit pattern, as the field holds it.
    model->setData(index, QVariant::fromValue<qulonglong>(quint32(box->currentData().toInt())), Qt::UserRole);
    if (m_view)
        m_view->commitEditedValue();
}

void ComboBoxDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                            const QModelIndex &) const
{
    editor->setGeometry(option.rect);
}
