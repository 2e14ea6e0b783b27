#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class ActiveElement;

// One block of the lock graph: an element with the value a lock gives it, and
// the output ports its lock entries leave by.
class QNEBlock
{
public:
    QNEBlock(ActiveElement *element, const QString &name, const QString &value, ushort group,
             ushort depth, ushort index);

    void addOutputPort(const QString &label) { m_ports.append(label); }

    ActiveElement *element() const { return m_element; }
    QString name() const { return m_name; }
    QString value() const { return m_value; }
    ushort group() const { return m_group; }
    ushort depth() const { return m_depth; }
    ushort index() const { return m_index; }
    QStringList outputPorts() const { return m_ports; }

    // Where the layout put the block, and the block of the same chain one
    // level up that it hangs from (null at the start of a chain).
    int column = 0;
    QNEBlock *source = nullptr;

private:
    ActiveElement *m_element;
    QString m_name;
    QString m_value;
    ushort m_group;
    ushort m_depth;
    ushort m_index;
    QStringList m_ports;
};

// The lock graph of the loaded panel: one chain per locking element, from its
// START block through the elements its locks reach. The graph is kept as
// plain data; the node drawing comes with the panel editor.
class LockDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LockDialog(QWidget *parent = nullptr);
    ~LockDialog() override;

    // Empties the graph and its layout counters.
    void clearGraph();
    // Adds a block in the current column, hung from the latest block of the
    // current chain that lies one level up or more.
    QNEBlock *addElementBlock(ActiveElement *element, const QString &objectName, const QString &value,
                              ushort group, ushort depth, ushort index);
    // Blocks added from now on go one column further right, past block.
    void nextColumn(QNEBlock *block);
    // The next block starts a new chain.
    void clearPreviousBlock();

    // The blocks in the order they were added.
    QList<QNEBlock *> blocks() const;

private:
    std::vector<std::unique_ptr<QNEBlock>> m_blocks;
    QList<QNEBlock *> m_chain; // the blocks of the current chain
    int m_column = 0;
};
