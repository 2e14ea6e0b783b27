#include "svddialog.h"

#include "contrast.h"
#include "quillpanel.h"
#include "registermodel.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

template <typename Table>
QStringList sortedKeys(const Table &table)
{
    QStringList keys = table.keys();
    std::sort(keys.begin(), keys.end());
    return keys;
}

QString describedName(const QString &name, const QString &description)
{
    return name + QStringLiteral(" (") + description + QLatin1Char(')');
}

} // namespace

ShowSvdDialog::ShowSvdDialog(Panel *panel, QWidget *parent)
    : QDialog(parent)
    , m_panel(panel)
    , m_tree(new QTreeView(this))
    , m_model(new QStandardItemModel(this))
{
    setWindowTitle(tr("Show the current loaded SVD as a tree"));
    m_tree->setHeaderHidden(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The yellow marks are made for a white page: the tree keeps one.
    m_tree->setPalette(lightBasePalette(m_tree->palette()));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton *expand = buttons->addButton(tr("Expand all"), QDialogButtonBox::ActionRole);
    connect(expand, &QPushButton::released, this, &ShowSvdDialog::expandAll);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_tree, &QTreeView::doubleClicked, this, &ShowSvdDialog::on_doubleClicked);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);

    buildTree();
    m_tree->setModel(m_model);
}

void ShowSvdDialog::buildTree()
{
    if (!m_panel)
        return;
    const QHash<QString, ModuleRecord *> &modules = m_panel->registries().moduleTable;
    for (const QString &moduleName : sortedKeys(modules)) {
        const ModuleRecord *module = modules.value(moduleName);
        if (!module)
            continue;
        // Every define enters the table as a module of its own name: one that
        // an element holds ("$DIR$", "$PERIPHERALS$", the panel's plain
        // defines) is that element, not a peripheral of the chip.
        if (m_panel->getActiveElement(moduleName))
            continue;
        auto *moduleItem = new QStandardItem(describedName(moduleName, module->description));
        moduleItem->setToolTip(module->description);
        m_model->appendRow(moduleItem);

        for (const QString &registerName : sortedKeys(module->registers)) {
            const RegisterRecord *reg = module->registers.value(registerName);
            if (!reg)
                continue;
            auto *registerItem = new QStandardItem(describedName(registerName, reg->description));
            registerItem->setToolTip(reg->description);
            moduleItem->appendRow(registerItem);

            for (const QString &fieldName : sortedKeys(reg->fields)) {
                const FieldRecord *field = reg->fields.value(fieldName);
                if (!field)
                    continue;
                auto *fieldItem = new QStandardItem(fieldName);
                QStringList lines;
                for (const EnumeratedValue &entry : field->enumeratedValues)
                    lines << entry.name + QStringLiteral(" = ") + QString::number(entry.value)
                                 + QStringLiteral(": ") + entry.description;
                fieldItem->setToolTip(lines.join(QLatin1Char('\n')));
                const QString path = moduleName + QLatin1Char('.') + registerName + QLatin1Char('.') + fieldName;
                if (!m_panel->getActiveElement(path)) {
                    const QColor mark(Qt::yellow);
                    fieldItem->setBackground(QBrush(mark));
                    fieldItem->setForeground(
                        QBrush(readableTextColor(mark, m_tree->palette().color(QPalette::Text))));
                }
                registerItem->appendRow(fieldItem);
            }
        }
    }
}

QString ShowSvdDialog::pathOf(const QModelIndex &index) const
{
    QStringList parts;
    for (QModelIndex at = index; at.isValid() && parts.size() < 3; at = at.parent()) {
        QString text = at.data(Qt::DisplayRole).toString();
        const int cut = text.indexOf(QStringLiteral(" ("));
        if (cut >= 0)
            text.truncate(cut);
        parts.prepend(text);
    }
    return parts.join(QLatin1Char('.'));
}

void ShowSvdDialog::on_doubleClicked(const QModelIndex &index)
{
    if (!m_panel || !index.isValid())
        return;
    if (ActiveElement *element = m_panel->getActiveElement(pathOf(index)))
        emit elementActivated(element);
}

void ShowSvdDialog::expandAll()
{
    m_tree->expandAll();
}
