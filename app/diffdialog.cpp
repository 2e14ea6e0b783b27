#include "diffdialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

DiffDialog::DiffDialog(QWidget *parent)
    : QDialog(parent)
    , m_model(new QStandardItemModel(0, 3, this))
    , m_view(new QTableView(this))
{
    setWindowTitle(tr("Comparison of current settings against content of file"));
    resize(500, 700);

    m_view->setModel(m_model);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    setColumn(0, tr("Element"), tr("Element in GUI"), 200);
    setColumn(1, tr("Current setting"), tr("Current setting"), 100);
    setColumn(2, tr("XML file"), tr("XML file setting"), 100);
    connect(m_view, &QTableView::doubleClicked, this, &DiffDialog::on_doubleClicked);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
}

void DiffDialog::setColumn(int column, const QString &title, const QString &toolTip, int width)
{
    auto *header = new QStandardItem(title);
    header->setToolTip(toolTip);
    m_model->setHorizontalHeaderItem(column, header);
    m_view->setColumnWidth(column, width);
}

void DiffDialog::setFileColumnTitle(const QString &title)
{
    setColumn(2, title, tr("XML file setting"), 100);
}

void DiffDialog::setDifferences(const QList<DiffRecord> &records)
{
    m_model->removeRows(0, m_model->rowCount());
    for (const DiffRecord &record : records) {
        auto *define = new QStandardItem(record.define);
        QFont font = define->font();
        font.setUnderline(true);
        define->setFont(font);
        m_model->appendRow({define, new QStandardItem(record.current), new QStandardItem(record.file)});
    }
    m_view->resizeRowsToContents();
}

void DiffDialog::on_doubleClicked(const QModelIndex &index)
{
    emit defineActivated(index.data(Qt::DisplayRole).toString());
}
