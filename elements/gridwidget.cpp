#include "gridwidget.h"

#include "kindedits.h"
#include "tabwidget.h"

#include <QGridLayout>

GridWidget::GridWidget(QWidget *parent)
    : QFrame(parent)
    , WidgetContainer(this)
    , m_layout(new QGridLayout(this))
{
    m_layout->setContentsMargins(4, 4, 4, 4);
    setAutoFillBackground(true);
}

void GridWidget::setColumns(int count)
{
    if (count < 1)
        return;
    const QList<QWidget *> widgets = takeAll();
    m_columns = count;
    layOut(widgets);
}

void GridWidget::childSetDef(int index)
{
    Q_UNUSED(index)
    TabWidget::runPageSelectLists(sender(), this);
}

void GridWidget::placeChild(QWidget *child, const QString &title, int pos)
{
    Q_UNUSED(title)
    const bool moved = mayBeLaidOutIn(child, this) && m_layout->indexOf(child) >= 0;
    if (pos == -1 && !moved) {
        append(child);
        return;
    }
    QList<QWidget *> widgets = takeAll();
    // A widget moved within the grid leaves no empty cell behind.
    if (moved)
        widgets.removeAll(child);
    widgets.insert(pos < 0 || pos > widgets.size() ? widgets.size() : pos, child);
    layOut(widgets);
}

void GridWidget::append(QWidget *child)
{
    m_layout->addWidget(child, m_row, m_column);
    if (++m_column >= m_columns) {
        m_column = 0;
        ++m_row;
    }
}

// Takes every widget out of the layout in layout order (which is cell order,
// since the grid is only ever filled row by row) and restarts the cursor.
QList<QWidget *> GridWidget::takeAll()
{
    QList<QWidget *> widgets;
    while (QLayoutItem *item = m_layout->takeAt(0)) {
        if (QWidget *widget = item->widget())
            widgets.append(widget);
        delete item;
    }
    m_row = 0;
    m_column = 0;
    return widgets;
}

void GridWidget::layOut(const QList<QWidget *> &widgets)
{
    for (QWidget *widget : widgets)
        append(widget);
}

bool editGridRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *grid = qobject_cast<GridWidget *>(element);
    if (!grid || row != QLatin1String("NrColumns"))
        return false;
    const int columns = int(value.toUInt());
    if (columns > 0) {
        grid->setColumns(columns);
        grid->update();
        writes->append({QStringLiteral("columns"), QString::number(columns)});
    }
    return true;
}

void listGridRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<GridWidget *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("NrColumns!%1").arg(e->columns()));
}

int GridWidget::layoutIndexOf(QWidget *child) const
{
    return indexInLayout(child);
}
