#pragma once

#include <QAbstractItemDelegate>
#include <QDialog>
#include <QItemSelection>
#include <QList>
#include <QModelIndex>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>

#include <memory>

class CatalogReader;
class MyQwtPlot;
class Panel;
class QStandardItemModel;
class QTableView;
class SelectFromCatalogDialog;
struct ParameterRecord;

// One active filter of the catalog dialog: a numeric range or a text the
// cell must contain (case ignored).
struct CatalogFilter {
    bool numeric = false;
    int column = 0; // the catalog column
    double min = 0;
    double max = 0;
    QString text;
};

// Shows the catalog records that pass every filter of its dialog.
class MySortFilterProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit MySortFilterProxyModel(SelectFromCatalogDialog *dialog);

    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    // Filters anew after the dialog's filters changed.
    void refilter() { invalidateFilter(); }

private:
    SelectFromCatalogDialog *m_dialog;
};

// Lets the user pick one record of a catalog file and fills the panel from
// it: each column of the record sets the element (through setDef), image or
// plot of the same name. The panel's parameter map says which columns are
// shown, which can be filtered and how their values are typed.
class SelectFromCatalogDialog : public QDialog
{
    Q_OBJECT
public:
    SelectFromCatalogDialog(QWidget *parent, const QString &catalogFile, Panel *panel);
    ~SelectFromCatalogDialog() override;

    // Whether the catalog row passes every filter, in list order.
    bool acceptsRow(int row) const;
    // Fills the panel from the catalog row.
    void applyRecord(int row);
    // The value an element gets from a cell of a column typed by its
    // parameter's type ("float", "ul32", "URL", anything else).
    static QString elementValue(const QString &type, const QString &cell, const QString &comment);
    // Rebuilds the filters from the cells of the filter table.
    void updateFilters();

    // The number a numeric filter or a curve point reads from a cell: the
    // text up to its first blank; 0 when that is no number.
    static double cellNumber(const QString &cell);

    QList<int> columnParameter; // per catalog column: its parameter's index, -1 for none
    QList<int> shownColumns;    // catalog columns with a non-zero DisplayMask
    QList<int> filterColumns;   // catalog columns whose parameter filters
    QList<CatalogFilter> filters;

    // Whether the catalog file was read to its end; a file that could not be
    // opened or read was reported.
    bool catalogRead() const { return m_catalogRead; }
    QStringList columns() const;
    QList<QStringList> records() const;
    QStandardItemModel *filterModel() const { return m_filterModel; }
    QStandardItemModel *recordModel() const { return m_recordModel; }
    QTableView *filterView() const { return m_filterView; }
    QTableView *recordView() const { return m_recordView; }
    MySortFilterProxyModel *proxy() const { return m_proxy; }

private slots:
    void on_doubleClicked(QModelIndex index);
    void on_selectionChanged(QItemSelection selected, QItemSelection deselected);
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint);

private:
    void readCatalog(const QString &catalogFile);
    void matchColumns();
    void fillFilterTable();
    void fillRecordTable();
    void fillPlot(MyQwtPlot *plot, const QString &cell);
    // The parameter of a catalog column; null for none.
    const ParameterRecord *parameterOf(int column) const;

    Panel *m_panel;
    QTableView *m_filterView;
    QStandardItemModel *m_filterModel;
    QStandardItemModel *m_recordModel;
    QTableView *m_recordView;
    MySortFilterProxyModel *m_proxy;
    std::unique_ptr<CatalogReader> m_reader;
    bool m_catalogRead = false;
};
