#include "table.h"

#include "elementhost.h"
#include "errorreporter.h"
#include "kindedits.h"
#include "numberliteral.h"
#include "registermodel.h"
#include "tablehost.h"

#include <QSignalBlocker>
#include <QStandardItemModel>

#include <algorithm>

TableHost::~TableHost() = default;

// ---------------------------------------------------------------------------
// Construction, columns, model

Table::Table(const QString &name, QWidget *parent)
    : QTableView(parent)
    , ValueElement(this)
{
    setObjectName(name);
    std::fill(std::begin(m_columnByType), std::end(m_columnByType), NoColumn);
    setAlternatingRowColors(true);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDragDropOverwriteMode(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(this, &QTableView::clicked, this, &Table::onTableClicked);
    connect(this, &QTableView::pressed, this, &Table::onTablePressed);
    m_model = new QStandardItemModel(this);
    setModel(m_model);
}

Table::~Table() = default;

TableHost *Table::tableHost() const
{
    return host() ? host()->tableHost() : nullptr;
}

void Table::setColumn(quint16 index, int type, const QString &label, const QString &tooltip, const QString &format,
                      qint16 width, const QString &defaultText, const QString &source)
{
    if (index >= MaxColumns)
        return;
    TableColumn &c = m_columns[index];
    c.type = type;
    c.label = label;
    c.tooltip = tooltip;
    c.format = format;
    c.width = width;
    c.defaultText = defaultText;
    c.source = source;
    // A slot that changes its type (the editor's columns dialog) no longer
    // stands for its former type.
    for (quint16 &slot : m_columnByType) {
        if (slot == index)
            slot = NoColumn;
    }
    if (type >= 0 && type <= TableColumnMath)
        m_columnByType[type] = index;
    m_columnCount = std::max<quint16>(m_columnCount, index);
}

QStandardItem *Table::makeItem(const QString &text, bool readOnly) const
{
    auto *item = new QStandardItem(text);
    item->setEditable(!readOnly);
    return item;
}

bool Table::isReadOnlyType(int column) const
{
    if (column < 0 || column >= MaxColumns)
        return false;
    const int type = m_columns[column].type;
    return type == TableColumnRegName || type == TableColumnAddress || type == TableColumnAnswer
        || m_columns[column].width == 0;
}

void Table::buildModel(quint16 columns, quint16 rows)
{
    auto *model = new QStandardItemModel(rows, columns, this);
    m_columnCount = columns;
    m_rowCount = rows;
    QStandardItemModel *old = m_model;
    m_model = model;
    setModel(model);
    delete old;

    for (int c = 0; c < columns; ++c) {
        const TableColumn column = this->column(c);
        auto *header = new QStandardItem(column.label);
        header->setToolTip(column.tooltip);
        model->setHorizontalHeaderItem(c, header);
        setColumnWidth(c, std::max<int>(0, column.width));
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            model->setItem(r, c, defaultItem(c));
    }
}

QStandardItem *Table::defaultItem(int c) const
{
    const TableColumn column = this->column(c);
    QStandardItem *item = nullptr;
    switch (column.type) {
    case TableColumnRegName:
    case TableColumnAnswer:
    case TableColumnComment:
        item = makeItem(column.defaultText, column.type != TableColumnComment);
        break;
    case TableColumnDelete:
        item = new QStandardItem(QIcon(QStringLiteral(":/images/remove.png")), QString());
        item->setSizeHint(QSize(250, -1));
        item->setEditable(false);
        break;
    default:
        item = makeItem(column.defaultText.isEmpty() ? formatTableDefault(column.format) : column.defaultText,
                        column.type == TableColumnAddress);
        break;
    }
    if (column.width == 0)
        item->setEditable(false);
    return item;
}

bool Table::hasColumnOfType(int type) const
{
    for (int c = 0; c < std::min<int>(m_columnCount, MaxColumns); ++c) {
        if (m_columns[c].type == type)
            return true;
    }
    return false;
}

int Table::columnOfType(int type) const
{
    if (type < 0 || type > TableColumnMath || m_columnByType[type] == NoColumn)
        return -1;
    return m_columnByType[type];
}

bool Table::isNumericColumn(qint16 c) const
{
    // c is read as a column type first, then as the index of a declared column.
    if (c < 0 || c > TableColumnMath || m_columnByType[c] == NoColumn || c >= MaxColumns)
        return false;
    const int type = m_columns[c].type;
    return type == TableColumnAddress || type == TableColumnFunc || type == TableColumnValue
        || type == TableColumnDelay || type == TableColumnMath;
}

QString Table::cellText(quint16 row, quint16 column) const
{
    const QStandardItem *item = m_model->item(row, column);
    return item ? item->text() : QString();
}

QString Table::typedText(int row, int type) const
{
    const int c = columnOfType(type);
    return c < 0 ? QString() : cellText(quint16(row), quint16(c));
}

void Table::putItem(int row, int column, QStandardItem *item)
{
    if (row < 0 || column < 0 || column >= m_model->columnCount()) {
        delete item;
        return;
    }
    if (row >= m_model->rowCount())
        m_model->setRowCount(row + 1);
    // An item replaced in place is looked for among all the model's items
    // once it is out of its slot (a search over the whole table for every
    // cell); taken out first, it is found where it stands.
    delete m_model->takeItem(row, column);
    m_model->setItem(row, column, item);
}

void Table::putText(int row, int type, const QString &text, bool readOnly)
{
    const int c = columnOfType(type);
    if (c >= 0)
        putItem(row, c, makeItem(text, readOnly || m_columns[c].width == 0));
}

void Table::selectLine(int row)
{
    m_currentRow = quint16(row);
    selectRow(m_currentRow);
}

void Table::setCellValue(int row, int c, const QString &value)
{
    m_currentRow = quint16(row);
    m_currentColumn = quint16(c);
    selectRow(m_currentRow);
    const int column = columnOfType(c);
    if (column < 0)
        return;
    // The cell is read only by the type of the column it lands in.
    putItem(row, column, makeItem(value, isReadOnlyType(column)));
    if (c == TableColumnValue)
        refreshFieldToolTip(row);
}

// ---------------------------------------------------------------------------
// Register tool tips

static QString modulePart(const QString &path)
{
    return path.section(QLatin1Char('.'), 0, 0);
}

static QString registerPart(const QString &path)
{
    if (!path.contains(QLatin1Char('.')))
        return QString();
    QString name = path.section(QLatin1Char('.'), 1, 1);
    const int bracket = name.indexOf(QLatin1Char('['));
    return bracket >= 0 ? name.left(bracket) : name;
}

static RegisterRecord *registerOf(ElementHost *host, const QString &path)
{
    ModuleRecord *module = host ? host->getModule(modulePart(path)) : nullptr;
    return module ? module->getRegister(registerPart(path)) : nullptr;
}

QString Table::registerDescription(const QString &path) const
{
    const RegisterRecord *record = registerOf(host(), path);
    return record ? record->description : QString();
}

void Table::refreshFieldToolTip(int row)
{
    const int valueColumn = columnOfType(TableColumnValue);
    if (valueColumn < 0)
        return;
    const QString number = parseNumberLiteral(cellText(quint16(row), quint16(valueColumn)));
    setFieldToolTip(number.toULongLong(), row, valueColumn, typedText(row, TableColumnRegName));
}

void Table::setFieldToolTip(quint64 value, int row, int column, const QString &registerPath)
{
    QStandardItem *item = m_model->item(row, column);
    if (!item)
        return;
    const RegisterRecord *record = registerOf(host(), registerPath);
    if (!record) {
        item->setToolTip(tr("Can't evaluate without valid register."));
        return;
    }
    QList<const FieldRecord *> fields;
    for (const FieldRecord *field : record->fields)
        fields << field;
    std::sort(fields.begin(), fields.end(),
              [](const FieldRecord *a, const FieldRecord *b) { return a->msb() > b->msb(); });
    QString text;
    for (const FieldRecord *field : qAsConst(fields)) {
        const int msb = field->msb();
        const int lsb = field->lsb();
        const quint64 fieldValue = msb < 0 || lsb < 0 ? 0 : (value & bitRangeMask(msb, lsb)) >> lsb;
        QString range;
        if (msb < 0 || lsb < 0)
            range = QStringLiteral(": ");
        else if (msb == lsb)
            range = QStringLiteral("[%1]: ").arg(msb);
        else
            range = QStringLiteral("[%1..%2]: ").arg(msb).arg(lsb);
        const int width = msb >= 0 && lsb >= 0 ? msb - lsb + 1 : field->width();
        if (field->enumeratedValues.isEmpty()) {
            // No names to show: the field's value in decimal and in base 2.
            text += range + QStringLiteral("%1 (0b%2)\n").arg(fieldValue).arg(fieldValue, std::max(width, 1), 2,
                                                                            QLatin1Char('0'));
            continue;
        }
        const EnumeratedValue *chosen = &field->enumeratedValues.first();
        for (const EnumeratedValue &entry : field->enumeratedValues) {
            if (quint64(qint64(entry.value)) == fieldValue) {
                chosen = &entry;
                break;
            }
        }
        text += range + chosen->name;
        if (width > 1)
            text += QStringLiteral(" (0b%1)").arg(quint32(chosen->value), width, 2, QLatin1Char('0'));
        text += QLatin1Char('\n');
    }
    item->setToolTip(text);
}

// ---------------------------------------------------------------------------
// Saved value

QString Table::storedValueText()
{
    static const int types[] = {TableColumnRegName, TableColumnAddress, TableColumnFunc,
                                TableColumnValue, TableColumnDelay, TableColumnComment};
    QList<QStringList> rows;
    for (int r = 0; r < m_model->rowCount(); ++r) {
        QStringList row;
        for (int type : types)
            row << typedText(r, type);
        rows << row;
    }
    return joinTableRows(rows);
}

void Table::loadRows(const QString &text)
{
    QList<QStringList> rows = splitTableRows(text);
    // Nothing after the last ";" is no row.
    if (!rows.isEmpty() && rows.last() == QStringList{QString()})
        rows.removeLast();
    if (rows.isEmpty())
        return;
    // Every saved row keeps its place: a row that is not taken still counts,
    // so the rows after it land where they were saved. The rows the file
    // needs are made in one step (one row at a time costs the view's header a
    // pass over all its sections each); rows the load adds get the column
    // defaults.
    const int first = std::min(m_loadAtCurrentRow ? m_currentRow : 0, m_model->rowCount());
    const int count = rows.size();
    int addedAt = 0;
    int added = 0;
    if (m_insertMode && m_loadAtCurrentRow) {
        addedAt = first;
        added = count;
    } else if (first + count > m_model->rowCount()) {
        addedAt = m_model->rowCount();
        added = first + count - addedAt;
    }
    if (added > 0)
        m_model->insertRows(addedAt, added);
    // Then the cells, with the view told once: Qt 5's item model announces
    // every item it is given as a layout change, which the view answers with
    // a pass over all rows. The rows exist already, so nothing but cell data
    // changes while the model is silent.
    // The cells the file fills are made once, with their text; the other
    // cells of added rows get the column defaults afterwards.
    {
        const QSignalBlocker silent(m_model);
        fillRows(rows, first);
        for (int r = addedAt; r < addedAt + added; ++r) {
            for (int c = 0; c < m_model->columnCount(); ++c) {
                if (!m_model->item(r, c))
                    m_model->setItem(r, c, defaultItem(c));
            }
        }
    }
    if (m_model->columnCount() > 0) {
        const int top = added > 0 ? std::min(first, addedAt) : first;
        const int bottom = std::max(first + count, addedAt + added) - 1;
        emit m_model->dataChanged(m_model->index(top, 0), m_model->index(bottom, m_model->columnCount() - 1));
    }
}

void Table::fillRows(const QList<QStringList> &rows, int first)
{
    static const int types[] = {TableColumnRegName, TableColumnAddress, TableColumnFunc,
                                TableColumnValue, TableColumnDelay, TableColumnComment};
    for (int i = 0; i < rows.size(); ++i) {
        const QStringList &parts = rows.at(i);
        if (parts.size() != 6)
            continue;
        const int row = first + i;
        // A row without a register name (an unused row) comes back as it
        // was saved; only rows with a register get their tool tips.
        const bool named = !parts.at(0).isEmpty();
        for (int k = 0; k < 6; ++k) {
            const int c = columnOfType(types[k]);
            if (c < 0)
                continue;
            QStandardItem *item = makeItem(parts.at(k), isReadOnlyType(c));
            if (named && types[k] == TableColumnRegName)
                item->setToolTip(registerDescription(parts.at(k)));
            putItem(row, c, item);
        }
        if (named)
            refreshFieldToolTip(row);
    }
}

void Table::loadValue(const QString &text)
{
    const bool blocked = blockSignals(true);
    loadRows(text);
    blockSignals(blocked);
}

QString Table::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
    case KeywordDefineValue:
        return typedText(m_currentRow, TableColumnValue);
    case KeywordLabel:
        return typedText(m_currentRow, TableColumnRegName);
    case KeywordModule:
        return modulePart(typedText(m_currentRow, TableColumnRegName));
    case KeywordRegisterName:
        return registerPart(typedText(m_currentRow, TableColumnRegName));
    case KeywordTypeInfo:
        return QStringLiteral("Table");
    default:
        return unsupportedKeyword(keyword);
    }
}

bool Table::acceptsBitRange(int msb, int lsb)
{
    return msb == -1 && lsb == -1;
}

void listTableRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<Table *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Columns!") + editorDetailsText());
}

bool Table::renameDefineSources(const QString &oldName, const QString &newName)
{
    bool changed = false;
    for (int i = 0; i < declaredColumnCount(); ++i) {
        const TableColumn c = column(i);
        if (c.type == TableColumnMath && c.source == oldName) {
            setColumn(quint16(i), c.type, c.label, c.tooltip, c.format, c.width, c.defaultText, newName);
            changed = true;
        }
    }
    return changed;
}

QList<TableColumn> declaredColumnsOf(QWidget *element)
{
    QList<TableColumn> columns;
    if (auto *table = qobject_cast<Table *>(element)) {
        for (int i = 0; i < table->declaredColumnCount(); ++i)
            columns.append(table->column(i));
    }
    return columns;
}

bool readTableCell(QObject *element, int row, int column, int *rows, int *columns, QString *text,
                   bool *numericColumn)
{
    auto *table = qobject_cast<Table *>(element);
    if (!table)
        return false;
    *rows = table->tableModel() ? table->tableModel()->rowCount() : 0;
    *columns = table->tableModel() ? table->tableModel()->columnCount() : 0;
    if (row >= 0 && row < *rows && column >= 0 && column < *columns) {
        *text = table->cellText(quint16(row), quint16(column));
        *numericColumn = table->isNumericColumn(qint16(column));
    }
    return true;
}

bool editDeclaredColumn(QWidget *element, int index, const TableColumn &column)
{
    auto *table = qobject_cast<Table *>(element);
    if (!table || index < 0 || index >= table->declaredColumnCount() || index >= Table::MaxColumns)
        return false;
    table->setColumn(quint16(index), column.type, column.label, column.tooltip, column.format, column.width,
                     column.defaultText, column.source);
    if (QStandardItemModel *model = table->tableModel()) {
        if (index < model->columnCount())
            model->setHeaderData(index, Qt::Horizontal, column.label);
    }
    return true;
}

void Table::loadRecordInto(ActiveElement *element, const QString &value)
{
    auto *other = qobject_cast<Table *>(objectOf(element));
    const quint8 loadAt = m_loadAtCurrentRow;
    if (other)
        other->m_loadAtCurrentRow = loadAt;
    element->loadValue(value);
    if (other)
        other->m_loadAtCurrentRow = 0;
}
