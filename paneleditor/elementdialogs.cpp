// The table dialogs of the panel editor for actions, combo items, plot
// curves and register table columns.
#include "elementdialogs.h"

#include "elementkinds.h"
#include "floatseriesdata.h"
#include "quillpanel.h"
#include "propertydelegates.h"
#include "table.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <qwt_legend.h>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>

QString columnTypeName(int type)
{
    static const char *const names[] = {"regname", "address", "func",   "value", "delay",
                                        "answer",  "comment", "delete", "math"};
    return type >= 0 && type < int(sizeof names / sizeof *names) ? QLatin1String(names[type]) : QString();
}

// The text of a cell; empty for a cell never filled.
static QString cell(const QStandardItemModel *model, int row, int column)
{
    return model->index(row, column).data(Qt::EditRole).toString();
}

static QStandardItem *textItem(const QString &text)
{
    return new QStandardItem(text);
}

// ---------------------------------------------------------------------------
// Common frame

ElementTableDialog::ElementTableDialog(QWidget *element, QWidget *parent, const QStringList &columns)
    : QDialog(parent)
    , m_view(new QTableView(this))
    , m_model(new QStandardItemModel(0, columns.size()))
    , m_element(element)
{
    m_model->setParent(this); // goes with the dialog
    m_model->setHorizontalHeaderLabels(columns);
    m_view->setAlternatingRowColors(true);
    m_view->setModel(m_model);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *insert = buttons->addButton(tr("Insert"), QDialogButtonBox::ActionRole);
    QPushButton *remove = buttons->addButton(tr("Delete"), QDialogButtonBox::ActionRole);
    layout->addWidget(buttons);
    connect(insert, &QPushButton::released, this, &ElementTableDialog::insertLine);
    connect(remove, &QPushButton::released, this, &ElementTableDialog::deleteLine);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ElementTableDialog::finishTable(int columns)
{
    for (int column = 0; column < columns && column < m_model->columnCount(); ++column)
        m_view->resizeColumnToContents(column);
}

void ElementTableDialog::insertLine()
{
    m_model->appendRow(textItem(QString()));
}

void ElementTableDialog::deleteLine()
{
    const QModelIndex current = m_view->currentIndex();
    if (current.isValid())
        m_model->removeRow(current.row());
}

// ---------------------------------------------------------------------------
// Actions

enum ActionColumn { IndexColumn, EventColumn, CmdColumn, DataColumn, RecDataColumn, DelayColumn, CondColumn };
static constexpr int keyRole = Qt::UserRole + 1;

EditActionsDialog::EditActionsDialog(QWidget *element, QWidget *parent)
    : ElementTableDialog(element, parent,
                         {QStringLiteral("Index"), QStringLiteral("Event"), QStringLiteral("Cmd"),
                          QStringLiteral("Data"), QStringLiteral("RecData"), QStringLiteral("Delay"),
                          QStringLiteral("Cond")})
    , m_holder(element)
{
    setWindowTitle(tr("Actions of the UI element %1").arg(element ? element->objectName() : QString()));
    // A radio button's actions are its group's, under the button's number.
    auto *radio = qobject_cast<QRadioButton *>(element);
    if (radio && radio->group()) {
        m_holder = radio->group();
        m_defaultKey = QString::number(radio->group()->id(radio));
    }

    const QVariantMap map = elementPropertyOf(m_holder, "data").toMap();
    if (m_defaultKey.isEmpty())
        m_defaultKey = map.size() == 1 ? map.firstKey() : QStringLiteral("0");
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        const QVariantList list = it.value().toList();
        int i = 0;
        while (i + 2 < list.size()) {
            const QString actionKey = list.at(i).toString();
            const QString event = actionKey.section(QLatin1Char('_'), 0, 0);
            const QString command = actionKey.section(QLatin1Char('_'), 1);
            QString receive;
            QString delay;
            const QString condition = list.at(i + 1).toString();
            const QString data = list.at(i + 2).toString();
            i += 3;
            if (command == QLatin1String("sendUSB") && i + 1 < list.size()) {
                receive = list.at(i).toString();
                delay = list.at(i + 1).toString();
                i += 2;
            }
            auto *index = textItem(map.size() >= 2 ? it.key() : QStringLiteral("---"));
            index->setData(it.key(), keyRole);
            m_model->appendRow({index, textItem(event), textItem(command), textItem(data), textItem(receive),
                                textItem(delay), textItem(condition)});
        }
    }

    QList<ChoiceEntry> events;
    const ElementKind *kind = elementKindOf(element);
    switch (kind ? kind->actionEvents : ActionEvents::None) {
    case ActionEvents::Selection:
        events = {{QStringLiteral("selected"), 2}, {QStringLiteral("unselected"), 3}};
        break;
    case ActionEvents::Check:
        events = {{QStringLiteral("checked"), 0}, {QStringLiteral("unchecked"), 1}};
        break;
    case ActionEvents::Change:
        events = {{QStringLiteral("changed"), 4}};
        break;
    case ActionEvents::Click:
        events = {{QStringLiteral("clicked"), 5}};
        break;
    case ActionEvents::None:
        break;
    }
    m_view->setItemDelegateForColumn(EventColumn, new ComboBoxActionDelegate(this, events));
    m_view->setItemDelegateForColumn(
        CmdColumn, new ComboBoxActionDelegate(this, {{QStringLiteral("sendUSB"), 0},
                                                     {QStringLiteral("setDef"), 1},
                                                     {QStringLiteral("resetGUI"), 2},
                                                     {QStringLiteral("loadFile"), 3},
                                                     {QStringLiteral("startProgram"), 4},
                                                     {QStringLiteral("runScript"), 5}}));
    finishTable(5);
}

void EditActionsDialog::accept()
{
    if (m_holder) {
        QVariantMap map;
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const QString event = cell(m_model, row, EventColumn);
            const QString command = cell(m_model, row, CmdColumn);
            if (event.isEmpty() && command.isEmpty())
                continue; // an inserted row left empty
            // The key the action was filed under; a number written into
            // "Index" files it there; a new row goes to the element's key.
            QString key = m_model->index(row, IndexColumn).data(keyRole).toString();
            bool number = false;
            const QString written = cell(m_model, row, IndexColumn).trimmed();
            written.toInt(&number);
            if (number)
                key = written;
            if (key.isEmpty())
                key = m_defaultKey;
            QVariantList list = map.value(key).toList();
            list << event + QLatin1Char('_') + command << cell(m_model, row, CondColumn)
                 << cell(m_model, row, DataColumn);
            if (command == QLatin1String("sendUSB"))
                list << cell(m_model, row, RecDataColumn) << cell(m_model, row, DelayColumn);
            map.insert(key, list);
        }
        setElementPropertyOf(m_holder, "data", map.isEmpty() ? QVariant() : QVariant(map));
    }
    QDialog::accept();
}

// ---------------------------------------------------------------------------
// Combo items

static const QString hideMark = QStringLiteral("$$$HIDE$$$");
static const QString itemSeparator = QStringLiteral("#$#");

EditItemsDialog::EditItemsDialog(QWidget *combo, QWidget *parent)
    : ElementTableDialog(combo, parent,
                         {QStringLiteral("Text"), QStringLiteral("Value"), QStringLiteral("Override"),
                          QStringLiteral("Hide")})
{
    setWindowTitle(tr("Items of the Combobox %1").arg(combo ? combo->objectName() : QString()));
    const QVariantList entries = elementPropertyOf(combo, "itemText").toList();
    for (const QVariant &entry : entries) {
        const QString text = entry.toString();
        const int split = text.lastIndexOf(itemSeparator);
        QString label = split < 0 ? text : text.left(split);
        const QString value = split < 0 ? QString() : text.mid(split + itemSeparator.size());
        QString hide;
        if (label.startsWith(hideMark)) {
            label = label.mid(hideMark.size());
            hide = QStringLiteral("1");
        }
        m_model->appendRow({textItem(label), textItem(value), textItem(QString()), textItem(hide)});
    }
    finishTable(5);
}

void EditItemsDialog::accept()
{
    QList<QPair<QString, QString>> items;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QString text = cell(m_model, row, 0);
        const QString hide = cell(m_model, row, 3).trimmed();
        if (!hide.isEmpty() && hide != QLatin1String("0") && !text.startsWith(hideMark))
            text.prepend(hideMark);
        items.append({text, cell(m_model, row, 1)});
    }
    replaceComboItems(m_element.data(), items);
    QDialog::accept();
}

// ---------------------------------------------------------------------------
// Plot curves

static QString colorText(const QColor &color)
{
    return QStringLiteral("%1;%2;%3").arg(color.red()).arg(color.green()).arg(color.blue());
}

EditCurvesDialog::EditCurvesDialog(QwtPlot *plot, QWidget *parent, Panel *panel)
    : ElementTableDialog(plot, parent,
                         {QStringLiteral("Index"), QStringLiteral("Label"), QStringLiteral("Color"),
                          QStringLiteral("Data")})
    , m_panel(panel)
{
    setWindowTitle(tr("Curves within the plot element"));
    if (plot) {
        const QStringList data = plot->property("data").toStringList();
        int number = 0;
        for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotCurve)) {
            auto *curve = static_cast<QwtPlotCurve *>(item);
            m_model->appendRow({textItem(QString::number(number)), textItem(curve->title().text()),
                                textItem(colorText(curve->pen().color())), textItem(data.value(number))});
            ++number;
        }
    }
    finishTable(4);
}

void EditCurvesDialog::insertLine()
{
    auto *plot = qobject_cast<QwtPlot *>(m_element.data());
    if (!plot)
        return;
    const int number = plot->itemList(QwtPlotItem::Rtti_PlotCurve).size();
    auto *curve = new QwtPlotCurve(QString());
    curve->attach(plot);
    curve->setTitle(QStringLiteral("label"));
    plot->insertLegend(new QwtLegend, QwtPlot::RightLegend, -1);
    if (m_panel)
        m_panel->addCurve(QStringLiteral("MYDATA"), curve);
    // One data entry per curve, in curve order.
    QStringList data = plot->property("data").toStringList();
    while (data.size() < number)
        data << QString();
    data << QStringLiteral("MYDATA");
    plot->setProperty("data", data);
    curve->setSamples(new FloatSeriesData(FloatSeriesData::clampedCapacity(plot->property("maxX").toUInt()),
                                          plot->property("oszi").toInt() != 0,
                                          plot->property("history").toString().isEmpty()
                                              || plot->property("history").toInt() != 0));
    m_model->appendRow({textItem(QString::number(number)), textItem(QStringLiteral("label")),
                        textItem(colorText(curve->pen().color())), textItem(QStringLiteral("MYDATA"))});
}

void EditCurvesDialog::accept()
{
    auto *plot = qobject_cast<QwtPlot *>(m_element.data());
    if (plot) {
        const QwtPlotItemList curves = plot->itemList(QwtPlotItem::Rtti_PlotCurve);
        QStringList data = plot->property("data").toStringList();
        while (data.size() < curves.size())
            data << QString();
        for (int row = 0; row < m_model->rowCount(); ++row) {
            bool ok = false;
            const int number = cell(m_model, row, 0).toInt(&ok);
            if (!ok || number < 0 || number >= curves.size())
                continue;
            auto *curve = static_cast<QwtPlotCurve *>(curves.at(number));
            curve->setTitle(cell(m_model, row, 1));
            const QStringList parts = cell(m_model, row, 2).split(QLatin1Char(';'));
            if (parts.size() >= 3) {
                QPen pen = curve->pen();
                pen.setColor(QColor(parts.at(0).toInt(), parts.at(1).toInt(), parts.at(2).toInt()));
                curve->setPen(pen);
            }
            const QString source = cell(m_model, row, 3).trimmed();
            if (source != data.at(number)) {
                // The curve now takes the samples of its new source.
                if (m_panel) {
                    m_panel->removeCurve(curve);
                    if (!source.isEmpty())
                        m_panel->addCurve(source, curve);
                }
                data[number] = source;
            }
        }
        plot->setProperty("data", data);
        plot->replot();
    }
    QDialog::accept();
}

// ---------------------------------------------------------------------------
// Register table columns

EditColumnsDialog::EditColumnsDialog(QWidget *table, QWidget *parent)
    : ElementTableDialog(table, parent,
                         {QStringLiteral("Index"), QStringLiteral("Label"), QStringLiteral("Type"),
                          QStringLiteral("Tooltip"), QStringLiteral("Width"), QStringLiteral("Format"),
                          QStringLiteral("Default"), QStringLiteral("Source")})
{
    setWindowTitle(tr("Columns within the table element"));
    const QList<TableColumn> columns = declaredColumnsOf(table);
    for (int i = 0; i < columns.size(); ++i) {
        const TableColumn &column = columns.at(i);
        m_model->appendRow({textItem(QString::number(i)), textItem(column.label),
                            textItem(columnTypeName(column.type)), textItem(column.tooltip),
                            textItem(QString::number(column.width)), textItem(column.format),
                            textItem(column.defaultText), textItem(column.source)});
    }
    finishTable(7);
}

void EditColumnsDialog::insertLine()
{
    // The number of columns is fixed when the table is built.
}

void EditColumnsDialog::accept()
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        bool ok = false;
        const int index = cell(m_model, row, 0).toInt(&ok);
        // As the table has it now: an earlier row may have set the same column.
        const QList<TableColumn> columns = declaredColumnsOf(m_element.data());
        if (!ok || index < 0 || index >= columns.size())
            continue;
        TableColumn column;
        column.type = tableColumnType(cell(m_model, row, 2));
        column.label = cell(m_model, row, 1);
        column.tooltip = cell(m_model, row, 3);
        column.format = cell(m_model, row, 5);
        bool widthOk = false;
        const int width = cell(m_model, row, 4).toInt(&widthOk);
        column.width = widthOk ? qint16(qBound(0, width, 32767)) : columns.at(index).width;
        column.defaultText = cell(m_model, row, 6);
        column.source = cell(m_model, row, 7);
        editDeclaredColumn(m_element.data(), index, column);
    }
    QDialog::accept();
}
