#include "lockdialog.h"

QNEBlock::QNEBlock(ActiveElement *element, const QString &name, const QString &value, ushort group,
                   ushort depth, ushort index)
    : m_element(element)
    , m_name(name)
    , m_value(value)
    , m_group(group)
    , m_depth(depth)
    , m_index(index)
{
}

LockDialog::LockDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Locks"));
}

LockDialog::~LockDialog() = default;

void LockDialog::clearGraph()
{
    m_chain.clear();
    m_blocks.clear();
    m_column = 0;
}

QNEBlock *LockDialog::addElementBlock(ActiveElement *element, const QString &objectName,
                                      const QString &value, ushort group, ushort depth, ushort index)
{
    auto block = std::make_unique<QNEBlock>(element, objectName, value, group, depth, index);
    block->column = m_column;
    for (int i = m_chain.size() - 1; i >= 0; --i) {
        if (m_chain.at(i)->depth() < depth) {
            block->source = m_chain.at(i);
            break;
        }
    }
    m_chain.append(block.get());
    m_blocks.push_back(std::move(block));
    return m_blocks.back().get();
}

void LockDialog::nextColumn(QNEBlock *block)
{
    m_column = qMax(m_column, block ? block->column : 0) + 1;
}

void LockDialog::clearPreviousBlock()
{
    m_chain.clear();
}

QList<QNEBlock *> LockDialog::blocks() const
{
    QList<QNEBlock *> list;
    for (const auto &block : m_blocks)
        list.append(block.get());
    return list;
}
