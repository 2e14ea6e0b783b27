#pragma once

#include <QDialog>
#include <QList>
#include <QString>

class QModelIndex;
class QStandardItemModel;
class QTableView;

// One element whose value in a project file differs from the panel's.
struct DiffRecord {
    QString define;  // the element's define
    QString current; // its value in the open panel
    QString file;    // its value in the project file
};

// Lists, for "Show differences...", every element whose value in a project
// file differs from its current value. A double click on a define brings the
// element into view.
class DiffDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DiffDialog(QWidget *parent = nullptr);

    // Replaces the table by one row per record, in order. Values are taken
    // whole, so line breaks or separator-like text in a value stay in its cell.
    void setDifferences(const QList<DiffRecord> &records);
    // Titles the file column (the project file's name).
    void setFileColumnTitle(const QString &title);

    QStandardItemModel *model() const { return m_model; }
    QTableView *view() const { return m_view; }

signals:
    // A define the user double-clicked, to be shown in the panel.
    void defineActivated(const QString &define);

public slots:
    void on_doubleClicked(const QModelIndex &index);

private:
    void setColumn(int column, const QString &title, const QString &toolTip, int width);

    QStandardItemModel *m_model;
    QTableView *m_view;
};
