#include "registerview.h"

#include "contrast.h"
#include "elementhost.h"
#include "errorreporter.h"
#include "numberliteral.h"
#include "registermodel.h"
#include "registerviewdelegates.h"

#include <QBrush>
#include <QButtonGroup>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QResizeEvent>
#include <QStandardItemModel>

#include <algorithm>

quint64 RegisterView::s_pendingValue = 0;
bool RegisterView::s_pendingValueSet = false;

namespace {

// The register value as a number: a decimal text from parseNumberLiteral,
// a negative one as its two's complement; 0 for anything else.
quint64 registerNumber(const QString &decimal)
{
    bool ok = false;
    const quint64 value = decimal.toULongLong(&ok, 10);
    if (ok)
        return value;
    const qint64 negative = decimal.toLongLong(&ok, 10);
    return ok ? quint64(negative) : 0;
}

} // namespace

RegisterView::RegisterView(const QString &name, QWidget *parent)
    : QTableView(parent)
    , ValueElement(this)
{
    setObjectName(name);
}

RegisterView::~RegisterView() = default;

void RegisterView::clearPendingValue()
{
    s_pendingValue = 0;
    s_pendingValueSet = false;
}

void RegisterView::setReadWriteBuddy(const QString &name, quint32 value)
{
    m_buddyName = name;
    m_buddyValue = value;
}

void RegisterView::setValue(const QString &text, int keyword)
{
    switch (keyword) {
    case KeywordValue: {
        QString source = text;
        const int suffix = keywordSuffixIndexOf(source);
        // No suffix counts as the value suffix (keyword 0), and strips it.
        QString name = source;
        stripKeywordSuffix(name, suffix);
        ActiveElement *other = host() ? host()->getActiveElement(name) : nullptr;
        if (other)
            source = suffix == KeywordValue ? other->value(KeywordValue, 1) : QString();
        s_pendingValue = registerNumber(parseNumberLiteral(source));
        s_pendingValueSet = true;
        break;
    }
    case KeywordModule: {
        QString name = text;
        stripKeywordSuffix(name, KeywordModule);
        ActiveElement *other = host() ? host()->getActiveElement(name) : nullptr;
        if (!other)
            return;
        const QString module = other->value(KeywordModule, 1);
        if (host()->getModule(module))
            m_moduleName = module;
        break;
    }
    case KeywordRegister:
        selectRegister(text);
        break;
    default:
        break;
    }
}

void RegisterView::selectRegister(const QString &text)
{
    if (!host())
        return;
    ModuleRecord *module = host()->getModule(m_moduleName);
    QString name;
    const bool byRegisterName = keywordSuffixIndexOf(text) == KeywordRegisterName;
    if (byRegisterName) {
        if (!module)
            return;
        QString elementName = text;
        stripKeywordSuffix(elementName, KeywordRegisterName);
        ActiveElement *other = host()->getActiveElement(elementName);
        name = other ? other->value(KeywordRegisterName, 1) : QString();
        if (name.isEmpty())
            name = m_registerName;
    } else {
        ActiveElement *other = host()->getActiveElement(text);
        name = other ? other->value(KeywordLabel, 1) : QString();
    }
    RegisterRecord *reg = (module && !name.isEmpty()) ? module->getRegister(name) : nullptr;
    if (!reg)
        return;

    // The fields, highest first.
    QList<Column> columns;
    int highestMsb = -1;
    for (auto it = reg->fields.constBegin(); it != reg->fields.constEnd(); ++it) {
        const FieldRecord *field = it.value();
        Column column;
        column.name = it.key();
        column.field = field;
        column.msb = field->msb();
        column.lsb = std::max(field->lsb(), 0);
        column.readOnly = field->readOnly;
        if (column.msb < column.lsb)
            column.msb = column.lsb;
        highestMsb = std::max(highestMsb, column.msb);
        columns.append(column);
    }
    std::stable_sort(columns.begin(), columns.end(),
                     [](const Column &a, const Column &b) { return a.msb > b.msb; });

    // An SVD file may leave the size out (or inherit it): such a register
    // is shown as 32 bits wide, or as wide as its highest field reaches.
    int size = reg->size();
    if (size <= 0)
        size = std::max(32, highestMsb + 1);
    if (size > maximumRegisterSize || highestMsb >= maximumRegisterSize)
        return;
    size = std::max(size, highestMsb + 1);

    // Reserved gaps, walking up from the lowest field.
    const auto reserved = [](int msb, int lsb) {
        Column column;
        column.name = QStringLiteral("reserved");
        column.msb = msb;
        column.lsb = lsb;
        column.readOnly = true;
        return column;
    };
    int previousMsb = -1;
    for (int i = columns.size() - 1; i >= 0; --i) {
        const Column field = columns.at(i);
        if (previousMsb + 1 < field.lsb)
            columns.insert(i + 1, reserved(field.lsb - 1, previousMsb + 1));
        previousMsb = field.msb;
        if (previousMsb == size - 1)
            break;
    }
    if (columns.isEmpty())
        columns.append(reserved(size - 1, 0));
    else if (columns.first().msb < size - 1)
        columns.prepend(reserved(size - 1, columns.first().msb + 1));

    m_registerName = name;
    m_registerAddress = quint32(reg->address);
    m_value = s_pendingValueSet ? s_pendingValue : 0;
    if (!byRegisterName) {
        m_value = quint32(reg->resetValue);
        s_pendingValueSet = true;
    }
    m_registerSize = size;
    m_columnCount = columns.size();
    m_bitWidthUnit = width() / size;
    m_columnLsb.fill(0, m_columnCount);
    m_columnBits.fill(0, m_columnCount);

    auto *model = new QStandardItemModel(1, m_columnCount, this);
    QList<QAbstractItemDelegate *> delegates;
    for (int c = 0; c < m_columnCount; ++c) {
        const Column &column = columns.at(c);
        const QString access = column.readOnly ? QStringLiteral("R/O") : QStringLiteral("R/W");
        const QString description = column.field ? column.field->description : QString();
        auto *header = new QStandardItem;
        if (column.msb == column.lsb) {
            header->setText(QStringLiteral("%1\n[%2] %3").arg(column.name).arg(column.lsb).arg(access));
            header->setToolTip(QStringLiteral("%1 [%2]").arg(description).arg(column.lsb));
        } else {
            header->setText(
                QStringLiteral("%1\n[%2..%3] %4").arg(column.name).arg(column.msb).arg(column.lsb).arg(access));
            header->setToolTip(QStringLiteral("%1 [%2..%3]").arg(description).arg(column.msb).arg(column.lsb));
        }
        if (column.readOnly) {
            const QColor reserved(Qt::red);
            header->setBackground(QBrush(reserved));
            header->setForeground(QBrush(readableTextColor(reserved)));
        }
        model->setHorizontalHeaderItem(c, header);

        const int width = column.msb - column.lsb + 1;
        m_columnLsb[c] = column.lsb;
        m_columnBits[c] = width;
        quint64 fieldValue = (m_value & bitRangeMask(column.msb, column.lsb)) >> column.lsb;

        auto *cell = new QStandardItem;
        const QList<EnumeratedValue> values =
            column.field ? column.field->enumeratedValues : QList<EnumeratedValue>();
        if (values.isEmpty()) {
            if (!s_pendingValueSet)
                fieldValue = 0;
            cell->setText(QString::number(fieldValue));
        } else {
            if (!s_pendingValueSet) {
                m_value |= (quint64(quint32(values.first().value)) << column.lsb) & bitRangeMask(column.msb, column.lsb);
                fieldValue = 0;
            }
            EnumeratedValue chosen = values.first();
            for (const EnumeratedValue &value : values) {
                if (quint64(quint32(value.value)) == fieldValue) {
                    chosen = value;
                    break;
                }
            }
            cell->setText(ComboBoxDelegate::itemText(chosen, width));
            fieldValue = quint32(chosen.value);
        }
        cell->setData(QVariant::fromValue<qulonglong>(fieldValue), Qt::UserRole + 1);
        cell->setData(QVariant::fromValue<qulonglong>(fieldValue), Qt::UserRole);
        model->setItem(0, c, cell);

        if (!values.isEmpty())
            delegates.append(new ComboBoxDelegate(column.readOnly, values, width, this));
        else if (width == 1)
            delegates.append(new CheckBoxDelegate(column.readOnly, this));
        else
            delegates.append(new SpinBoxDelegate(column.readOnly, column.lsb, column.msb, this));
    }

    // The previous table and its delegates go with the new one in place.
    QStandardItemModel *previous = m_model;
    const QList<QAbstractItemDelegate *> oldDelegates = findChildren<QAbstractItemDelegate *>(QString(), Qt::FindDirectChildrenOnly);
    for (int c = 0; c < m_columnCount; ++c)
        setItemDelegateForColumn(c, delegates.at(c));
    for (int c = m_columnCount; c < (previous ? previous->columnCount() : 0); ++c)
        setItemDelegateForColumn(c, nullptr);
    m_model = model;
    QItemSelectionModel *previousSelection = selectionModel();
    setModel(model);
    delete previousSelection;
    for (QAbstractItemDelegate *old : oldDelegates) {
        if (!delegates.contains(old) && old != itemDelegate())
            old->deleteLater();
    }
    if (previous)
        previous->deleteLater();
    for (int c = 0; c < m_columnCount; ++c)
        setColumnWidth(c, m_columnBits.at(c) * m_bitWidthUnit);

    s_pendingValueSet = false;
    const int height = horizontalHeader()->height() + rowHeight(0) + 4;
    setMinimumHeight(height);
    setMaximumHeight(height);
    applyBuddy(std::all_of(columns.cbegin(), columns.cend(), [](const Column &c) { return c.readOnly; }));
}

void RegisterView::applyBuddy(bool allReadOnly)
{
    if (m_buddyName.isEmpty() || !host())
        return;
    ActiveElement *buddy = host()->getActiveElement(m_buddyName);
    if (!qobject_cast<QButtonGroup *>(objectOf(buddy)))
        return;
    buddy->setValue(allReadOnly ? QString::number(m_buddyValue) : QString::number(m_readWriteState ? 1 : 0),
                    KeywordValue);
    m_readWriteState = buddy->value(KeywordValue, 1).toUInt() == m_buddyValue;
}

quint64 RegisterView::composeValue() const
{
    quint64 value = 0;
    if (!m_model)
        return value;
    for (int c = 0; c < m_columnCount && c < m_model->columnCount(); ++c) {
        const int lsb = m_columnLsb.at(c);
        const int msb = lsb + m_columnBits.at(c) - 1;
        const quint64 field = m_model->item(0, c)->data(Qt::UserRole).toULongLong();
        value |= (field << lsb) & bitRangeMask(msb, lsb);
    }
    return value;
}

void RegisterView::loadValue(const QString &)
{
}

QString RegisterView::value(int keyword, int)
{
    switch (keyword) {
    case KeywordValue:
        m_value = composeValue();
        return QString::number(m_value);
    case KeywordDefineValue:
        return QString();
    case KeywordTypeInfo:
        return QStringLiteral("RegView");
    case KeywordRegisterName:
        return m_moduleName + QLatin1Char('.') + m_registerName;
    case KeywordAddress:
        return QString::number(m_registerAddress);
    default:
        reportUnsupportedValueKind(this, keyword);
        return QString();
    }
}

QString RegisterView::storedValueText()
{
    return QString();
}

void RegisterView::initialize()
{
    verticalHeader()->hide();
    connect(this, &QTableView::clicked, this, &RegisterView::onTableClicked);
    updateToolTip();
}

bool RegisterView::acceptsBitRange(int, int)
{
    return true;
}

void RegisterView::onTableClicked(const QModelIndex &index)
{
    if (index.isValid())
        edit(index);
}

void RegisterView::enable(bool on)
{
    setEnabled(on);
}

void RegisterView::commitEditedValue()
{
    m_value = composeValue();
    updateToolTip();
    if (host() && host()->isRecording()) {
        const QString line = QStringLiteral("SetRegViewValue(%1, %2)").arg(objectName()).arg(m_value);
        host()->recordScriptLine(line, line);
    }
}

void RegisterView::resizeEvent(QResizeEvent *event)
{
    if (event->oldSize().isValid() && m_bitWidthUnit != 0 && m_registerSize > 0) {
        m_bitWidthUnit = event->size().width() / m_registerSize;
        for (int c = 0; c < m_columnCount; ++c)
            setColumnWidth(c, m_bitWidthUnit * m_columnBits.at(c));
    }
    QTableView::resizeEvent(event);
}

bool registerViewModuleOf(const ActiveElement *element, QString *module)
{
    auto *view = qobject_cast<RegisterView *>(objectOf(element));
    if (!view)
        return false;
    *module = view->moduleName();
    return true;
}
