// The catalog dialog: filter table, record table, and the record applied to
// the panel's elements, images and plots by column name.
#include "selectfromcatalogdialog.h"
#include "applog.h"
#include "inputfile.h"

#include "activeelement.h"
#include "catalogreader.h"
#include "errorreporter.h"
#include "floatseriesdata.h"
#include "image.h"
#include "myqwtplot.h"
#include "quillpanel.h"
#include "parameterrecord.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QPointer>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <qwt_plot_curve.h>

#include <cmath>
#include <limits>

namespace {

constexpr double noLowerBound = -999999999.9;
constexpr double noUpperBound = 999999999.9;

} // namespace

MySortFilterProxyModel::MySortFilterProxyModel(SelectFromCatalogDialog *dialog)
    : QSortFilterProxyModel(dialog)
    , m_dialog(dialog)
{
}

bool MySortFilterProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    Q_UNUSED(sourceParent)
    return m_dialog->acceptsRow(sourceRow);
}

SelectFromCatalogDialog::SelectFromCatalogDialog(QWidget *parent, const QString &catalogFile, Panel *panel)
    : QDialog(parent)
    , m_panel(panel)
    , m_filterView(new QTableView)
    , m_filterModel(new QStandardItemModel(this))
    , m_recordModel(new QStandardItemModel(this))
    , m_recordView(new QTableView)
    , m_proxy(new MySortFilterProxyModel(this))
    , m_reader(std::make_unique<CatalogReader>(this))
{
    setWindowTitle(tr("Select a record from the database to fill in the values"));
    resize(800, 700);
    auto *filterBox = new QGroupBox(tr("Filter"));
    auto *filterLayout = new QVBoxLayout(filterBox);
    filterLayout->addWidget(m_filterView);
    auto *recordBox = new QGroupBox(tr("Database"));
    auto *recordLayout = new QVBoxLayout(recordBox);
    recordLayout->addWidget(m_recordView);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(filterBox);
    layout->addWidget(recordBox);
    layout->addWidget(buttons);

    readCatalog(catalogFile);
    matchColumns();
    fillFilterTable();
    fillRecordTable();

    connect(m_recordView, &QTableView::clicked, this, &SelectFromCatalogDialog::on_doubleClicked);
    connect(m_recordView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SelectFromCatalogDialog::on_selectionChanged);
    connect(m_filterView->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            &SelectFromCatalogDialog::closeEditor);
}

SelectFromCatalogDialog::~SelectFromCatalogDialog() = default;

QStringList SelectFromCatalogDialog::columns() const
{
    return m_reader->columnNames;
}

QList<QStringList> SelectFromCatalogDialog::records() const
{
    return m_reader->rows;
}

void SelectFromCatalogDialog::readCatalog(const QString &catalogFile)
{
    QFile file(catalogFile);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError)) {
        reportCannotOpenFile(catalogFile, openError);
        return;
    }
    // A catalog that breaks off keeps the records before the fault.
    m_catalogRead = m_reader->readCatalog(&file);
    if (!m_catalogRead)
        logCannotReadFile(catalogFile, m_reader->xmlErrorString());
}

void SelectFromCatalogDialog::matchColumns()
{
    const QList<ParameterRecord> parameters = m_panel ? m_panel->header().parameterMap : QList<ParameterRecord>();
    const QStringList names = m_reader->columnNames;
    for (int c = 0; c < names.size(); ++c) {
        int match = -1;
        for (int p = 0; p < parameters.size(); ++p) {
            if (parameters.at(p).id == names.at(c)) {
                match = p;
                break;
            }
        }
        // Every column keeps its place: one without a parameter is typed
        // "other", neither shown nor filtered.
        columnParameter.append(match);
        if (match < 0)
            continue;
        if (parameters.at(match).displayMask != 0)
            shownColumns.append(c);
        if (parameters.at(match).filter)
            filterColumns.append(c);
    }
}

void SelectFromCatalogDialog::fillFilterTable()
{
    m_filterModel->setColumnCount(2);
    m_filterModel->setHorizontalHeaderLabels({tr("Min"), tr("Max")});
    m_filterModel->setRowCount(filterColumns.size());
    for (int row = 0; row < filterColumns.size(); ++row) {
        const ParameterRecord &parameter = m_panel->header().parameterMap.at(columnParameter.at(filterColumns.at(row)));
        auto *header = new QStandardItem(parameter.text);
        QString tip = parameter.comment;
        if (!parameter.min.isEmpty() && !parameter.max.isEmpty())
            tip = parameter.comment + QStringLiteral(" (") + parameter.min + QStringLiteral("..") + parameter.max
                + parameter.unit + QLatin1Char(')');
        header->setToolTip(tip);
        m_filterModel->setVerticalHeaderItem(row, header);
        m_filterModel->setItem(row, 0, new QStandardItem);
        m_filterModel->setItem(row, 1, new QStandardItem);
    }
    m_filterView->setModel(m_filterModel);
    m_filterView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    int height = m_filterView->horizontalHeader()->sizeHint().height() + 30;
    for (int row = 0; row < filterColumns.size(); ++row)
        height += m_filterView->rowHeight(row);
    m_filterView->setMaximumHeight(height);
}

void SelectFromCatalogDialog::fillRecordTable()
{
    m_recordModel->setColumnCount(shownColumns.size());
    for (int i = 0; i < shownColumns.size(); ++i) {
        const ParameterRecord &parameter = m_panel->header().parameterMap.at(columnParameter.at(shownColumns.at(i)));
        auto *header = new QStandardItem(QString(parameter.text).replace(QLatin1Char(' '), QLatin1Char('\n')));
        header->setToolTip(parameter.comment);
        m_recordModel->setHorizontalHeaderItem(i, header);
    }
    for (const QStringList &record : qAsConst(m_reader->rows)) {
        QList<QStandardItem *> items;
        for (int column : qAsConst(shownColumns)) {
            auto *item = new QStandardItem(column < record.size() ? record.at(column) : QString());
            item->setEditable(false);
            items.append(item);
        }
        if (items.isEmpty())
            m_recordModel->appendRow(new QStandardItem);
        else
            m_recordModel->appendRow(items);
    }
    m_proxy->setSourceModel(m_recordModel);
    m_recordView->setModel(m_proxy);
    m_recordView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_recordView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_recordView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
}

const ParameterRecord *SelectFromCatalogDialog::parameterOf(int column) const
{
    // The panel may have been replaced meanwhile (an element's action can
    // load another panel): its map is no longer the one matched.
    const int index = columnParameter.value(column, -1);
    if (!m_panel || index < 0 || index >= m_panel->header().parameterMap.size())
        return nullptr;
    return &m_panel->header().parameterMap.at(index);
}

double SelectFromCatalogDialog::cellNumber(const QString &cell)
{
    const QString number = cell.trimmed().section(QLatin1Char(' '), 0, 0);
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

void SelectFromCatalogDialog::updateFilters()
{
    filters.clear();
    for (int row = 0; row < filterColumns.size(); ++row) {
        const QString minText = m_filterModel->data(m_filterModel->index(row, 0)).toString().trimmed();
        const QString maxText = m_filterModel->data(m_filterModel->index(row, 1)).toString().trimmed();
        if (minText.isEmpty() && maxText.isEmpty())
            continue;
        const int column = filterColumns.at(row);
        const ParameterRecord *parameter = parameterOf(column);
        const QString type = parameter ? parameter->type : QString();
        CatalogFilter filter;
        filter.column = column;
        if (type == QLatin1String("float") || type == QLatin1String("ul32")) {
            filter.numeric = true;
            filter.min = minText.isEmpty() ? noLowerBound : cellNumber(minText);
            filter.max = maxText.isEmpty() ? noUpperBound : cellNumber(maxText);
        } else {
            filter.text = minText;
        }
        filters.append(filter);
    }
    m_proxy->refilter();
}

bool SelectFromCatalogDialog::acceptsRow(int row) const
{
    if (row < 0 || row >= m_reader->rows.size())
        return false;
    const QStringList &record = m_reader->rows.at(row);
    for (const CatalogFilter &filter : filters) {
        const QString cell = filter.column < record.size() ? record.at(filter.column) : QString();
        if (filter.numeric) {
            const double value = cellNumber(cell);
            if (value < filter.min || value > filter.max)
                return false;
        } else if (!filter.text.isEmpty() && !cell.contains(filter.text, Qt::CaseInsensitive)) {
            return false;
        }
    }
    return true;
}

QString SelectFromCatalogDialog::elementValue(const QString &type, const QString &cell, const QString &comment)
{
    if (type == QLatin1String("float") || type == QLatin1String("ul32")) {
        const QString number = cell.trimmed().section(QLatin1Char(' '), 0, 0);
        return number.isEmpty() ? QStringLiteral("0") : number;
    }
    if (type == QLatin1String("URL"))
        return QStringLiteral("<a href=\"") + cell + QStringLiteral("\">") + comment + QStringLiteral("</a>");
    return cell;
}

void SelectFromCatalogDialog::applyRecord(int row)
{
    if (!m_panel || row < 0 || row >= m_reader->rows.size())
        return;
    const QStringList record = m_reader->rows.at(row);
    const QStringList names = m_reader->columnNames;
    for (int c = 0; c < names.size(); ++c) {
        const QString &name = names.at(c);
        const QString cell = c < record.size() ? record.at(c) : QString();
        if (ActiveElement *element = m_panel->getActiveElement(name)) {
            QString type;
            QString comment;
            if (const ParameterRecord *parameter = parameterOf(c)) {
                type = parameter->type;
                comment = parameter->comment;
            }
            const QString value = elementValue(type, cell, comment);
            if (value.contains(QLatin1Char('=')) || value.contains(QLatin1Char(';'))) {
                // A link, or a text setDef would cut into items: set as
                // setDef sets a whole element, without its item syntax.
                QPointer<QObject> alive(objectOf(element));
                element->setValue(value, KeywordValue);
                if (alive)
                    element->loadValue(value);
            } else {
                m_panel->setDef(QStringLiteral("%1=%2").arg(PanelNames::getObjectName(element), value));
            }
        } else if (Image *image = m_panel->registries().imagesByName.value(name, nullptr)) {
            image->loadPicture(cell);
        } else if (MyQwtPlot *plot = m_panel->registries().plotsByName.value(name, nullptr)) {
            fillPlot(plot, cell);
        }
    }
}

void SelectFromCatalogDialog::fillPlot(MyQwtPlot *plot, const QString &cell)
{
    QList<QPointF> points;
    for (const QString &point : cell.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (point.trimmed().isEmpty())
            continue;
        points.append(QPointF(cellNumber(point.section(QLatin1Char(','), 0, 0)),
                              cellNumber(point.section(QLatin1Char(','), 1, 1))));
    }
    if (points.isEmpty())
        return; // no curve to draw: the plot stays as it is
    QwtPlotCurve *curve = nullptr;
    const QwtPlotItemList items = plot->itemList(QwtPlotItem::Rtti_PlotCurve);
    if (!items.isEmpty())
        curve = static_cast<QwtPlotCurve *>(items.first());
    FloatSeriesData *series = curve ? MyQwtPlot::seriesOf(curve) : nullptr;
    if (series)
        series->clear();

    double minX = 999999.9;
    double maxX = -999999.9;
    double minY = 999999.9;
    double maxY = -999999.9;
    for (const QPointF &point : qAsConst(points)) {
        minX = qMin(minX, point.x());
        maxX = qMax(maxX, point.x());
        minY = qMin(minY, point.y());
        maxY = qMax(maxY, point.y());
    }
    plot->minY = float(minY);
    plot->maxY = float(maxY);
    plot->setAxisScale(QwtPlot::yLeft, plot->minY, plot->maxY, 0);
    if (minX < 0)
        minX = 0;
    // The x range is an unsigned sample count: clamped, so a huge or negative
    // x gives a bounded axis instead of an undefined conversion.
    const auto toCount = [](double x) {
        return quint32(qBound(0.0, x, double(std::numeric_limits<quint32>::max())));
    };
    plot->minX = toCount(minX);
    plot->maxX = toCount(maxX);
    plot->setCurveCapacity(plot->maxX);
    plot->setAxisScale(QwtPlot::xBottom, plot->minX, plot->maxX, 0);
    plot->replot();
    if (!series)
        return;
    // One sample per x step from the first point to the last (the last point
    // itself excluded), never more than the curve can hold.
    int appended = 0;
    const int limit = series->capacity();
    for (int i = 0; i + 1 < points.size() && appended < limit; ++i) {
        const double dx = points.at(i + 1).x() - points.at(i).x();
        if (!(dx >= 1.0) || !std::isfinite(dx))
            continue;
        const double slope = (points.at(i + 1).y() - points.at(i).y()) / dx;
        const qint64 steps = qint64(qMin(dx, double(limit)));
        for (qint64 k = 0; k < steps && appended < limit; ++k, ++appended)
            series->append(float(points.at(i).y() + double(k) * slope));
    }
    plot->replot();
}

void SelectFromCatalogDialog::on_doubleClicked(QModelIndex index)
{
    if (!index.isValid())
        return;
    applyRecord(m_proxy->mapToSource(index).row());
}

void SelectFromCatalogDialog::on_selectionChanged(QItemSelection selected, QItemSelection deselected)
{
    qCDebug(lcApp, "catalog selection: %d selected, %d deselected", int(selected.indexes().size()),
           int(deselected.indexes().size()));
}

void SelectFromCatalogDialog::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    Q_UNUSED(editor)
    Q_UNUSED(hint)
    updateFilters();
}
