#pragma once

#include <QDialog>
#include <QGraphicsPathItem>
#include <QList>
#include <QPointF>
#include <QString>

#include <functional>
#include <vector>

class ActiveElement;
class QGraphicsScene;
class QGraphicsTextItem;
class QGraphicsView;
class QNEConnection;
class QNEPort;

// One element of the lock graph: a rounded box with its name as bold title,
// the input port its chain arrives at, and the output ports its lock
// entries leave by.
class QNEBlock : public QGraphicsPathItem
{
public:
    enum { Type = QGraphicsItem::UserType + 3 };

    explicit QNEBlock(QGraphicsItem *parent = nullptr);

    QNEPort *addPort(const QString &name, bool isOutput, int portFlags);
    QNEPort *addOutputPort(const QString &name) { return addPort(name, true, 0); }
    // The block's ports in the order they were added.
    std::vector<QNEPort *> ports() const;

    // The element the block stands for, and its tool tip from the register
    // model (through the dialog's tool tip source).
    void setElement(ActiveElement *element);
    ActiveElement *element() const { return m_element; }

    // Texts of the ports, for whoever reads the graph: the title, the input
    // port name (empty for the first block of a chain) and the outputs.
    QString name() const;
    QString inputPortName() const;
    QStringList outputPortNames() const;
    // The block the connection into this one comes from; null when none does.
    QNEBlock *sourceBlock() const;

    // Where the graph's grid puts the block (column and row of its chain),
    // before the dialog spreads the blocks so that none hides another.
    void setGridPos(const QPointF &pos) { m_gridPos = pos; }
    QPointF gridPos() const { return m_gridPos; }
    // The block with its ports and their labels, in the block's coordinates.
    QRectF outline() const;

    int type() const override { return Type; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

    // Set by the dialog: what a double click does, and where tool tips come from.
    std::function<void(ActiveElement *)> activated;
    std::function<QString(ActiveElement *)> toolTipSource;

protected:
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event) override;

private:
    int horzMargin = 20;
    int vertMargin = 5;
    int width = horzMargin;
    int height = vertMargin;
    ActiveElement *m_element = nullptr;
    QPointF m_gridPos;
};

// A named dot on a block's edge; connections end at ports and follow them
// when the block is dragged.
class QNEPort : public QGraphicsPathItem
{
public:
    enum { Type = QGraphicsItem::UserType + 1 };
    enum { NamePort = 1, TypePort = 2 };

    QNEPort(QNEBlock *block, const QString &name, bool isOutput, int portFlags);
    ~QNEPort() override;

    QNEBlock *block() const { return m_block; }
    QString portName() const { return m_name; }
    bool isOutput() const { return m_isOutput; }
    int portFlags() const { return m_portFlags; }
    int radius() const { return m_radius; }
    QGraphicsTextItem *label() const { return m_label; }
    std::vector<QNEConnection *> &connections() { return m_connections; }

    int type() const override { return Type; }

    // A tool tip on the port and its label, saying what the port stands for.
    void setExplanation(const QString &text);

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant &value) override;

private:
    QNEBlock *m_block;
    QString m_name;
    bool m_isOutput;
    QGraphicsTextItem *m_label;
    int m_radius = 5;
    int m_margin = 2;
    std::vector<QNEConnection *> m_connections;
    int m_portFlags;
};

// A cubic curve from an output port of one block to the input port of the next.
class QNEConnection : public QGraphicsPathItem
{
public:
    enum { Type = QGraphicsItem::UserType + 2 };

    explicit QNEConnection(QGraphicsItem *parent = nullptr);
    ~QNEConnection() override;

    void setPort1(QNEPort *port) { m_port1 = port; }
    void setPort2(QNEPort *port) { m_port2 = port; }
    QNEPort *port1() const { return m_port1; }
    QNEPort *port2() const { return m_port2; }
    void setPos1(const QPointF &pos) { m_pos1 = pos; }
    void setPos2(const QPointF &pos) { m_pos2 = pos; }
    // Both ends from the ports' scene positions, then the curve.
    void updatePosFromPorts();
    void recomputeCurve();
    // A port going away leaves the connection without that end.
    void forgetPort(QNEPort *port);

    int type() const override { return Type; }

private:
    QPointF m_pos1;
    QPointF m_pos2;
    QNEPort *m_port1 = nullptr;
    QNEPort *m_port2 = nullptr;
};

// "Lockings": the locks between the panel's elements as a graph. The window
// refills it after every load while it checks the lock chains for cycles:
// one chain per locking element, from its block through the blocks of the
// elements its locks reach, each block connected from the one added before.
class LockDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LockDialog(QWidget *parent = nullptr);
    ~LockDialog() override;

    void clearGraph();
    // The block is placed at column and row of the current column group,
    // lifted by lift, and connected from the previous block's port lift + 1
    // (its first port when it has only one output).
    QNEBlock *addElementBlock(ActiveElement *element, const QString &name, const QString &inputPortName,
                              ushort lift, ushort row, ushort column);
    // The next blocks start from block again, in a new column group.
    void nextColumn(QNEBlock *block);
    // The next block starts a new chain.
    void clearPreviousBlock();
    // Spreads the blocks of a filled graph from their grid places so that no
    // two blocks overlap: the grid's columns, left to right, each as wide as
    // its widest block; the blocks of a column top to bottom in grid order,
    // each below the one before. Then the dialog takes the graph's size, up
    // to the screen's.
    void arrangeBlocks();

    // What a double click on a block does (the window raises the element),
    // and the tool tip a block of an element gets.
    void setActivation(std::function<void(ActiveElement *)> activated) { m_activated = std::move(activated); }
    void setToolTipSource(std::function<QString(ActiveElement *)> source) { m_toolTipSource = std::move(source); }

    QGraphicsScene *scene() const { return m_scene; }
    QGraphicsView *view() const { return m_view; }
    // The blocks in the order they were added.
    QList<QNEBlock *> blocks() const;

private:
    void fitToGraph();

    QGraphicsView *m_view;
    QGraphicsScene *m_scene;
    int m_columnOffset = 0;
    int m_columnWidth = 0;
    QNEBlock *m_previousBlock = nullptr;
    QList<QNEBlock *> m_blocks;
    std::function<void(ActiveElement *)> m_activated;
    std::function<QString(ActiveElement *)> m_toolTipSource;
};
