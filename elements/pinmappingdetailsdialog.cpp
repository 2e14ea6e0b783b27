#include "pinmappingdetailsdialog.h"

#include "activeelement.h"
#include "contrast.h"
#include "elementhost.h"
#include "pinmappinghost.h"
#include "pinmappingmodel.h"
#include "registermodel.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QStandardItem *itemAt(QStandardItemModel *model, int row, int column)
{
    QStandardItem *item = model->item(row, column);
    if (!item) {
        item = new QStandardItem;
        model->setItem(row, column, item);
    }
    return item;
}

// A cell in the colour of its pin or function, its text in black or white,
// whichever reads on it.
void paintCell(QStandardItem *item, const QColor &colour)
{
    item->setBackground(QBrush(colour, Qt::SolidPattern));
    item->setForeground(QBrush(readableTextColor(colour)));
}

QList<QStandardItem *> pinRow(const PinEntry &pin)
{
    auto *item = new QStandardItem(pin.pinName);
    paintCell(item, pin.color);
    return {item};
}

} // namespace

PortMappingDetailsDialog::PortMappingDetailsDialog(PinMappingHost *host, QWidget *parent)
    : QDialog(parent), m_host(host), m_model(new QStandardItemModel)
{
    setWindowTitle(tr("Portmapping Details"));
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    resize(600, 900);
    auto *layout = new QVBoxLayout(this);
    m_tableView = new QTableView;
    m_tableView->setAlternatingRowColors(true);
    layout->addWidget(m_tableView);
    fillTable();
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    m_connectedOnlyBox = new QCheckBox(tr("Show connected pins only"));
    buttons->addButton(m_connectedOnlyBox, QDialogButtonBox::ActionRole);
    layout->addWidget(buttons);
    connect(m_tableView, &QTableView::doubleClicked, this, &PortMappingDetailsDialog::on_doubleClicked);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_connectedOnlyBox, &QCheckBox::clicked, this, &PortMappingDetailsDialog::on_CheckboxClicked);
}

PortMappingDetailsDialog::~PortMappingDetailsDialog()
{
    m_tableView->setModel(nullptr);
    delete m_model;
}

QString PortMappingDetailsDialog::explanation(const QString &condition) const
{
    ElementHost *elements = m_host ? m_host->elementHost() : nullptr;
    if (!elements)
        return QString();
    const QString name = PinMappingModel::conditionElementName(condition).trimmed();
    const QString value = PinMappingModel::conditionValue(condition).trimmed();
    ActiveElement *element = elements->getActiveElement(name);
    if (!element || element->elementProperty("svd").toString().isEmpty())
        return QString();
    QObject *object = objectOf(element);
    const RegisterPath path = parseRegisterPath(object ? object->objectName() : name);
    ModuleRecord *module = elements->getModule(path.module);
    RegisterRecord *reg = module ? module->getRegister(path.reg) : nullptr;
    // An SVD element whose module or register the SVD file lacks explains nothing.
    if (!reg)
        return QString();
    QString text = QStringLiteral("Set ") + reg->description;
    FieldRecord *field = path.field.isEmpty() ? nullptr : reg->getField(path.field);
    if (!field)
        return text + QStringLiteral(" to ") + value;
    text += QStringLiteral(",\n") + field->description;
    bool numeric = false;
    const uint number = value.toUInt(&numeric, 10);
    for (const EnumeratedValue &enumerated : qAsConst(field->enumeratedValues)) {
        if (numeric && uint(enumerated.value) == number)
            text += QStringLiteral(" to \"") + enumerated.description + QLatin1Char('"');
    }
    return text;
}

void PortMappingDetailsDialog::fillTable()
{
    m_model->clear();
    m_model->setHorizontalHeaderLabels({tr("Pin"), tr("Function"), tr("Condition"), tr("Explanation")});
    QFont bold;
    bold.setWeight(75);

    PinMappingModel *pinModel = m_host ? m_host->pinMappingModel() : nullptr;
    if (pinModel) {
        for (const PinEntry &pin : qAsConst(pinModel->pins)) {
            if (!m_connectedOnly)
                m_model->appendRow(pinRow(pin));
            bool first = true;
            int written = 0;
            for (const MapEntry &entry : qAsConst(pinModel->mapEntries)) {
                if (entry.pinName != pin.pinName)
                    continue;
                if (m_connectedOnly && first) {
                    first = false;
                    m_model->appendRow(pinRow(pin));
                }
                if (written != 0) {
                    auto *empty = new QStandardItem;
                    paintCell(empty, pin.color);
                    m_model->appendRow(QList<QStandardItem *>{empty});
                }
                const int row = m_model->rowCount() - 1;
                QStandardItem *function = itemAt(m_model, row, 1);
                function->setText(entry.function);
                paintCell(function, entry.color);
                for (const MapCondEntry &condition : qAsConst(pinModel->conditions)) {
                    if (condition.function != entry.function)
                        continue;
                    QString shown = condition.cond;
                    shown.replace(QLatin1String("&"), QLatin1String("&\n"));
                    shown.replace(QLatin1String("|"), QLatin1String("|\n"));
                    QStandardItem *conditionItem = itemAt(m_model, row, 2);
                    conditionItem->setText(shown);
                    conditionItem->setToolTip(shown);
                    paintCell(conditionItem, entry.color);
                    if (PinMappingModel::conditionHolds(condition.cond, m_host)) {
                        function->setFont(bold);
                        conditionItem->setFont(bold);
                    }
                    ++written;
                    const QString explained = explanation(condition.cond);
                    if (!explained.isEmpty()) {
                        QStandardItem *explanationItem = itemAt(m_model, row, 3);
                        explanationItem->setText(explained);
                        explanationItem->setToolTip(explained);
                        paintCell(explanationItem, entry.color);
                    }
                }
            }
        }
    }

    m_tableView->setModel(m_model);
    QHeaderView *header = m_tableView->horizontalHeader();
    for (int column = 0; column < 3; ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(3, QHeaderView::Stretch);
}

void PortMappingDetailsDialog::on_CheckboxClicked()
{
    m_connectedOnly = m_connectedOnlyBox->isChecked();
    fillTable();
}

void PortMappingDetailsDialog::on_doubleClicked(const QModelIndex &)
{
    const QModelIndex current = m_tableView->currentIndex();
    const QString text = current.data().toString();
    const int equals = text.indexOf(QLatin1String("=="));
    const QString name = (equals < 0 ? text : text.left(equals)).trimmed();
    if (!name.isEmpty() && m_host)
        m_host->raiseElement(name);
}
