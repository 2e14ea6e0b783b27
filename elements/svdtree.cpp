#include "svdtree.h"

#include "elementhost.h"
#include "registermodel.h"

#include <QStandardItemModel>

#include <algorithm>

namespace {

template <typename Table>
QStringList sortedKeys(const Table &table)
{
    QStringList keys = table.keys();
    std::sort(keys.begin(), keys.end());
    return keys;
}

} // namespace

SvdTree::SvdTree(const QString &name, QWidget *parent)
    : QTreeView(parent)
    , ValueElement(this)
    , m_innerView(new QTreeView(this))
    , m_model(new QStandardItemModel(0, 2, this))
{
    setObjectName(name);
    // The element is only the frame of its inner view: no header, scroll
    // bars or border of its own around the tree.
    setHeaderHidden(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_innerView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model->setHorizontalHeaderLabels({tr("Name"), tr("Value")});
    m_innerView->setFixedSize(size());
}

void SvdTree::resizeEvent(QResizeEvent *event)
{
    QTreeView::resizeEvent(event);
    // The inner view fills the element as the layout sizes it.
    m_innerView->setFixedSize(size());
}

QStandardItem *SvdTree::valueItem(const QString &define) const
{
    ActiveElement *element = host() ? host()->getActiveElement(define) : nullptr;
    return new QStandardItem(element ? element->value(KeywordValue, 1) : QString());
}

void SvdTree::rebuild()
{
    m_innerView->setFixedSize(size());
    m_model->removeRows(0, m_model->rowCount());

    if (m_moduleTable) {
        for (const QString &moduleName : sortedKeys(*m_moduleTable)) {
            // A module named like a define is a panel define's register path
            // root only in name: the element stands for it already.
            if (host() && host()->getActiveElement(moduleName))
                continue;
            const ModuleRecord *module = m_moduleTable->value(moduleName);
            if (!module)
                continue;
            auto *moduleItem = new QStandardItem(moduleName);
            moduleItem->setToolTip(module->description);
            m_model->appendRow(moduleItem);

            for (const QString &registerName : sortedKeys(module->registers)) {
                const RegisterRecord *reg = module->registers.value(registerName);
                if (!reg)
                    continue;
                const QString registerPath = moduleName + QLatin1Char('.') + registerName;
                auto *registerItem = new QStandardItem(registerName);
                registerItem->setToolTip(reg->description);
                if (m_showValues)
                    moduleItem->appendRow({registerItem, valueItem(registerPath)});
                else
                    moduleItem->appendRow(registerItem);

                for (const QString &fieldName : sortedKeys(reg->fields)) {
                    const FieldRecord *field = reg->fields.value(fieldName);
                    if (!field)
                        continue;
                    QString toolTip = field->description;
                    for (const EnumeratedValue &entry : field->enumeratedValues)
                        toolTip += QStringLiteral("\n-") + entry.name + QStringLiteral(": ") + entry.description;
                    auto *fieldItem = new QStandardItem(fieldName);
                    fieldItem->setToolTip(toolTip);
                    if (m_showValues)
                        registerItem->appendRow(
                            {fieldItem, valueItem(registerPath + QLatin1Char('.') + fieldName)});
                    else
                        registerItem->appendRow(fieldItem);
                }
            }
        }
    }

    m_innerView->setModel(m_model);
    m_innerView->repaint();
    m_innerView->expandAll();
    m_innerView->setColumnHidden(1, !m_showValues);
    m_innerView->resizeColumnToContents(0);
}

void SvdTree::setValue(const QString &text, int keyword)
{
    Q_UNUSED(text)
    if (keyword == KeywordValue)
        rebuild();
}

QString SvdTree::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    if (keyword == KeywordTypeInfo)
        return QStringLiteral("SvdTree");
    return unsupportedKeyword(keyword);
}

void SvdTree::initialize()
{
    rebuild();
}

void SvdTree::enable(bool on)
{
    enableUnlessLocked(this, on);
}

void SvdTree::valueChanged(const QString &text)
{
    Q_UNUSED(text)
    updateToolTip();
}

void SvdTree::valueChangedByUser(const QString &text)
{
    recordSet(this, text);
    ElementGuard guard(this, host());
    signalState().raise(&ElementSignals::changedByUser);
    if (!guard.alive())
        return;
    m_storedText = text;
}
