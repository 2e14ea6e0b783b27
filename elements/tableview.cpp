// Table: the view side (widths, palette, clicks, edits, keys, drag and drop).
#include "elementslog.h"
#include "table.h"

#include "contrast.h"
#include "elementhost.h"
#include "numberliteral.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QResizeEvent>
#include <QStandardItemModel>

#include <algorithm>

// ---------------------------------------------------------------------------
// View

void Table::restoreColumnWidths()
{
    for (int c = 0; c < std::min<int>(m_model->columnCount(), MaxColumns); ++c)
        setColumnWidth(c, std::max<int>(0, m_columns[c].width));
}

void Table::spreadColumnWidths(int viewWidth)
{
    const int count = std::min<int>(m_model->columnCount(), MaxColumns);
    int sum = 0;
    for (int c = 0; c < count; ++c)
        sum += std::max<int>(0, m_columns[c].width);
    if (sum <= 0)
        return;
    for (int c = 0; c < count; ++c) {
        const int width = m_columns[c].width;
        setColumnWidth(c, width < 1 ? 0 : std::max(0, int(qint64(width) * viewWidth / sum) - 6));
    }
}

void Table::initialize()
{
    spreadColumnWidths(width());
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, QColor(64, 64, 64));
    p.setColor(QPalette::Active, QPalette::Highlight, QColor(54, 153, 253));
    // Selected text in white where white reads on the selection, else black.
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(g, QPalette::HighlightedText, readableTextColor(p.color(g, QPalette::Highlight), Qt::white));
    setPalette(p);
}

void Table::resizeEvent(QResizeEvent *event)
{
    if (event->size().isValid())
        spreadColumnWidths(event->size().width());
    QTableView::resizeEvent(event);
}

QSize Table::minimumSizeHint() const
{
    int width = verticalHeader()->width();
    for (int c = 0; c < MaxColumns && c < m_columnCount; ++c)
        width += std::max<int>(0, m_columns[c].width);
    return QSize(width, horizontalHeader()->height() + 10 * rowHeight(1));
}

void Table::recordLine(const QString &line)
{
    ElementHost *panel = host();
    if (panel && panel->isRecording())
        panel->recordScriptLine(line, line); // the recorder ends the console line
}

void Table::onTableClicked(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    m_currentRow = quint16(index.row());
    m_currentColumn = quint16(index.column());
    qCDebug(lcElements) << "onTableClicked " << index.column() << " / " << index.row();
    selectRow(index.row());
    recordLine(QStringLiteral("SetTableLine(%1, %2)").arg(objectName()).arg(index.row()));
}

void Table::onTablePressed(const QModelIndex &index)
{
    qCDebug(lcElements) << "onTablePressed " << index.row();
}

void Table::valueChangedByUser(int value)
{
    m_userValue = value;
    signalState().raise(&ElementSignals::changedByUser);
}

void Table::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    auto *line = qobject_cast<QLineEdit *>(editor);
    const QModelIndex index = currentIndex();
    if (!line || !index.isValid() || hint == QAbstractItemDelegate::RevertModelCache) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    const QString text = line->text();
    const int column = index.column();
    const int type = column < MaxColumns ? m_columns[column].type : TableColumnUnknown;
    // SetTableValue reads its column number as a column type: the line names
    // the edited column's type, so that a replay writes into this very cell
    // whatever order the columns were declared in.
    const int recordedColumn = columnOfType(type) == column ? type : column;
    recordLine(QStringLiteral("SetTableValue(%1, %2, %3, %4)")
                   .arg(objectName())
                   .arg(index.row())
                   .arg(recordedColumn)
                   .arg(text));
    // Numbers in numeric columns follow the column's format; other columns
    // keep the typed text.
    bool isNumber = false;
    const qint64 value = parseNumberLiteral(text).toLongLong(&isNumber);
    const bool numeric = type == TableColumnAddress || type == TableColumnFunc || type == TableColumnValue
        || type == TableColumnDelay || type == TableColumnMath;
    QString formatted;
    if (numeric && isNumber && !m_columns[column].format.isEmpty())
        formatted = formatTableNumber(m_columns[column].format, value);
    QTableView::closeEditor(editor, hint);
    if (!formatted.isEmpty()) {
        if (QStandardItem *item = m_model->itemFromIndex(index))
            item->setText(formatted);
    }
    refreshFieldToolTip(index.row());
    valueChangedByUser(index.row()); // the user's edit changes the project
}

void Table::keyPressEvent(QKeyEvent *event)
{
    static const int types[] = {TableColumnRegName, TableColumnAddress, TableColumnFunc,
                                TableColumnValue, TableColumnDelay, TableColumnComment};
    if (event->matches(QKeySequence::Copy)) {
        m_rowClipboard.clear();
        for (int type : types)
            m_rowClipboard << typedText(m_currentRow, type);
        const int nameColumn = columnOfType(TableColumnRegName);
        const int valueColumn = columnOfType(TableColumnValue);
        const QStandardItem *name = nameColumn < 0 ? nullptr : m_model->item(m_currentRow, nameColumn);
        const QStandardItem *value = valueColumn < 0 ? nullptr : m_model->item(m_currentRow, valueColumn);
        m_rowClipboard << (name ? name->toolTip() : QString()) << (value ? value->toolTip() : QString());
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        if (m_rowClipboard.size() != 8 || m_currentRow >= m_model->rowCount())
            return;
        for (int k = 0; k < 6; ++k) {
            const int c = columnOfType(types[k]);
            if (c >= 0)
                putItem(m_currentRow, c, makeItem(m_rowClipboard.at(k), isReadOnlyType(c)));
        }
        const int nameColumn = columnOfType(TableColumnRegName);
        const int valueColumn = columnOfType(TableColumnValue);
        if (QStandardItem *name = nameColumn < 0 ? nullptr : m_model->item(m_currentRow, nameColumn))
            name->setToolTip(m_rowClipboard.at(6));
        if (QStandardItem *value = valueColumn < 0 ? nullptr : m_model->item(m_currentRow, valueColumn))
            value->setToolTip(m_rowClipboard.at(7));
        valueChangedByUser(m_currentRow);
        return;
    }
    if (event->matches(QKeySequence::Delete)) {
        if (m_currentRow < m_model->rowCount())
            m_model->removeRow(m_currentRow);
        selectRow(m_currentRow);
        valueChangedByUser(m_currentRow);
        return;
    }
    QTableView::keyPressEvent(event);
}

void Table::dropEvent(QDropEvent *event)
{
    if (event->source() != this) {
        event->ignore();
        return;
    }
    int target = indexAt(event->pos()).row();
    if (target < 0)
        target = m_model->rowCount();
    const int source = currentIndex().row();
    if (source < 0 || source >= m_model->rowCount()) {
        event->ignore();
        return;
    }
    const QList<QStandardItem *> items = m_model->takeRow(source);
    if (target > source)
        --target;
    m_model->insertRow(std::min(target, m_model->rowCount()), items);
    m_currentRow = quint16(std::min(target, m_model->rowCount() - 1));
    selectRow(m_currentRow);
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    valueChangedByUser(m_currentRow);
}
