#include "lockdialog.h"

#include "contrast.h"

#include <QApplication>
#include <QBrush>
#include <QFontMetrics>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QScreen>
#include <QStyleOptionGraphicsItem>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

// ---------------------------------------------------------------------------
// QNEBlock

QNEBlock::QNEBlock(QGraphicsItem *parent)
    : QGraphicsPathItem(parent)
{
    QPainterPath path;
    path.addRoundedRect(-50, -15, 100, 30, 5, 5);
    setPath(path);
    setPen(QPen(Qt::darkGreen));
    setBrush(QBrush(Qt::green, Qt::SolidPattern));
    setFlag(QGraphicsItem::ItemIsMovable);
    setFlag(QGraphicsItem::ItemIsSelectable);
}

QNEPort *QNEBlock::addPort(const QString &name, bool isOutput, int portFlags)
{
    auto *port = new QNEPort(this, name, isOutput, portFlags);
    const QFontMetrics metrics(scene() ? scene()->font() : QApplication::font());
    const int w = metrics.horizontalAdvance(name);
    const int h = metrics.height();
    if (width - horzMargin < w)
        width = horzMargin + w;
    height += h;

    QPainterPath box;
    box.addRoundedRect(-width / 2, -height / 2, width, height, 5, 5);
    setPath(box);

    int y = -height / 2 + vertMargin + port->radius();
    for (QNEPort *each : ports()) {
        if (each->isOutput())
            each->setPos(width / 2 + each->radius(), y);
        else
            each->setPos(-width / 2 - each->radius(), y);
        y += h;
    }
    return port;
}

std::vector<QNEPort *> QNEBlock::ports() const
{
    std::vector<QNEPort *> list;
    for (QGraphicsItem *child : childItems()) {
        if (child->type() == QNEPort::Type)
            list.push_back(static_cast<QNEPort *>(child));
    }
    return list;
}

void QNEBlock::setElement(ActiveElement *element)
{
    m_element = element;
    const QString tip = element && toolTipSource ? toolTipSource(element) : QString();
    setToolTip(tip);
}

QString QNEBlock::name() const
{
    for (QNEPort *port : ports()) {
        if (port->portFlags() & QNEPort::NamePort)
            return port->portName();
    }
    return QString();
}

QString QNEBlock::inputPortName() const
{
    for (QNEPort *port : ports()) {
        if (!port->isOutput() && port->portFlags() == 0)
            return port->portName();
    }
    return QString();
}

QStringList QNEBlock::outputPortNames() const
{
    QStringList names;
    for (QNEPort *port : ports()) {
        if (port->isOutput())
            names << port->portName();
    }
    return names;
}

QRectF QNEBlock::outline() const
{
    QRectF rect = boundingRect();
    for (QGraphicsItem *child : childItems())
        rect |= child->mapRectToParent(child->boundingRect() | child->childrenBoundingRect());
    return rect;
}

QNEBlock *QNEBlock::sourceBlock() const
{
    const std::vector<QNEPort *> list = ports();
    if (list.size() < 2)
        return nullptr;
    for (QNEConnection *connection : list.at(1)->connections()) {
        if (connection->port2() == list.at(1) && connection->port1())
            return connection->port1()->block();
    }
    return nullptr;
}

void QNEBlock::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (isSelected()) {
        painter->setPen(QPen(Qt::darkYellow));
        painter->setBrush(QBrush(Qt::yellow, Qt::SolidPattern));
    } else {
        painter->setPen(QPen(Qt::darkGreen));
        painter->setBrush(QBrush(Qt::green, Qt::SolidPattern));
    }
    painter->drawPath(path());
}

void QNEBlock::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_element || !activated) {
        event->ignore();
        return;
    }
    activated(m_element);
}

// ---------------------------------------------------------------------------
// QNEPort

QNEPort::QNEPort(QNEBlock *block, const QString &name, bool isOutput, int portFlags)
    : QGraphicsPathItem(block)
    , m_block(block)
    , m_name(name)
    , m_isOutput(isOutput)
    , m_label(new QGraphicsTextItem(this))
    , m_portFlags(portFlags)
{
    QPainterPath circle;
    circle.addEllipse(-m_radius, -m_radius, 2 * m_radius, 2 * m_radius);
    setPath(circle);
    setPen(QPen(Qt::darkRed));
    setBrush(QBrush(Qt::red, Qt::SolidPattern));
    setFlag(QGraphicsItem::ItemSendsScenePositionChanges);

    m_label->setPlainText(name);
    // The labels sit on the block, green or (selected) yellow, whatever the
    // palette says about text.
    m_label->setDefaultTextColor(readableTextColor(QVector<QColor>{QColor(Qt::green), QColor(Qt::yellow)}));
    const QRectF bounds = m_label->boundingRect();
    if (isOutput)
        m_label->setPos(-m_radius - m_margin - bounds.width(), -bounds.height() / 2);
    else
        m_label->setPos(m_radius + m_margin, -bounds.height() / 2);

    if (portFlags & (NamePort | TypePort)) {
        QFont font = m_label->font();
        if (portFlags & TypePort)
            font.setItalic(true);
        else
            font.setWeight(75);
        m_label->setFont(font);
        setPath(QPainterPath());
    }
}

QNEPort::~QNEPort()
{
    // Each connection takes itself out of both ports' lists when it goes.
    const std::vector<QNEConnection *> list = m_connections;
    for (QNEConnection *connection : list) {
        connection->forgetPort(this);
        delete connection;
    }
}

void QNEPort::setExplanation(const QString &text)
{
    setToolTip(text);
    m_label->setToolTip(text);
}

QVariant QNEPort::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemScenePositionHasChanged) {
        for (QNEConnection *connection : m_connections)
            connection->updatePosFromPorts();
    }
    return value;
}

// ---------------------------------------------------------------------------
// QNEConnection

QNEConnection::QNEConnection(QGraphicsItem *parent)
    : QGraphicsPathItem(parent)
{
    setPen(QPen(Qt::black, 2));
    setBrush(Qt::NoBrush);
    setZValue(-1);
}

QNEConnection::~QNEConnection()
{
    for (QNEPort *port : {m_port1, m_port2}) {
        if (!port)
            continue;
        auto &list = port->connections();
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void QNEConnection::forgetPort(QNEPort *port)
{
    if (m_port1 == port)
        m_port1 = nullptr;
    if (m_port2 == port)
        m_port2 = nullptr;
}

void QNEConnection::updatePosFromPorts()
{
    if (m_port1)
        m_pos1 = m_port1->scenePos();
    if (m_port2)
        m_pos2 = m_port2->scenePos();
    recomputeCurve();
}

void QNEConnection::recomputeCurve()
{
    const qreal dx = m_pos2.x() - m_pos1.x();
    const qreal dy = m_pos2.y() - m_pos1.y();
    QPainterPath curve;
    curve.moveTo(m_pos1);
    curve.cubicTo(QPointF(m_pos1.x() + dx * 0.25, m_pos1.y() + dy * 0.1),
                  QPointF(m_pos1.x() + dx * 0.75, m_pos1.y() + dy * 0.9), m_pos2);
    setPath(curve);
}

// ---------------------------------------------------------------------------
// LockDialog

LockDialog::LockDialog(QWidget *parent)
    : QDialog(parent)
    , m_view(new QGraphicsView(this))
    , m_scene(new QGraphicsScene)
{
    setWindowTitle(tr("Lockings"));
    m_view->setScene(m_scene);
    m_view->setRenderHint(QPainter::Antialiasing, true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    setMinimumSize(200, 200);
}

LockDialog::~LockDialog()
{
    clearGraph();
    m_view->setScene(nullptr);
    delete m_scene;
}

void LockDialog::clearGraph()
{
    // Connections first: a port that goes takes its connections with it, and
    // the scene must not delete them a second time.
    const QList<QGraphicsItem *> items = m_scene->items();
    for (QGraphicsItem *item : items) {
        if (item->type() == QNEConnection::Type)
            delete item;
    }
    m_scene->clear();
    m_blocks.clear();
    m_previousBlock = nullptr;
    m_columnOffset = 0;
    m_columnWidth = 0;
}

QNEBlock *LockDialog::addElementBlock(ActiveElement *element, const QString &name, const QString &inputPortName,
                                      ushort lift, ushort row, ushort column)
{
    auto *block = new QNEBlock;
    block->activated = m_activated;
    block->toolTipSource = m_toolTipSource;
    m_scene->addItem(block);
    block->setGridPos(QPointF(m_columnOffset + 60 + 60 * column, 180 * row - 50 * lift + 240));
    block->setPos(block->gridPos());
    block->addPort(name, false, QNEPort::NamePort);

    if (m_previousBlock) {
        block->addPort(inputPortName, false, 0);
        block->setElement(element);
        const std::vector<QNEPort *> previousPorts = m_previousBlock->ports();
        if (previousPorts.size() > 1) {
            const size_t from = previousPorts.size() < 3 ? 1 : size_t(lift) + 1;
            QNEPort *port1 = previousPorts.at(std::min(from, previousPorts.size() - 1));
            QNEPort *port2 = block->ports().at(1);
            auto *connection = new QNEConnection;
            m_scene->addItem(connection);
            connection->setPort1(port1);
            connection->setPort2(port2);
            port1->connections().push_back(connection);
            port2->connections().push_back(connection);
            connection->updatePosFromPorts();
        }
    } else {
        block->setElement(element);
    }
    m_previousBlock = block;
    m_columnWidth = std::max(m_columnWidth, 60 * column + 60);
    m_blocks.append(block);
    return block;
}

void LockDialog::nextColumn(QNEBlock *block)
{
    m_previousBlock = block;
    m_columnOffset += m_columnWidth;
    m_columnWidth = 0;
}

void LockDialog::clearPreviousBlock()
{
    m_previousBlock = nullptr;
}

QList<QNEBlock *> LockDialog::blocks() const
{
    return m_blocks;
}

void LockDialog::arrangeBlocks()
{
    // Room between columns for the curves, and between the blocks of a column.
    const qreal columnGap = 40;
    const qreal rowGap = 16;

    QMap<qreal, QList<QNEBlock *>> columns;
    for (QNEBlock *block : qAsConst(m_blocks))
        columns[block->gridPos().x()].append(block);

    qreal left = 0;
    bool firstColumn = true;
    for (auto column = columns.begin(); column != columns.end(); ++column) {
        QList<QNEBlock *> &blocks = column.value();
        std::stable_sort(blocks.begin(), blocks.end(),
                         [](const QNEBlock *a, const QNEBlock *b) { return a->gridPos().y() < b->gridPos().y(); });
        qreal width = 0;
        for (const QNEBlock *block : qAsConst(blocks))
            width = std::max(width, block->outline().width());
        if (firstColumn)
            left = column.key() - width / 2;
        firstColumn = false;

        qreal bottom = -std::numeric_limits<qreal>::infinity();
        for (QNEBlock *block : qAsConst(blocks)) {
            const QRectF outline = block->outline();
            // Centred in its column, at its grid row unless the block above
            // reaches down that far.
            const qreal top = std::max(block->gridPos().y() + outline.top(), bottom + rowGap);
            block->setPos(left + width / 2 - outline.center().x(), top - outline.top());
            bottom = top + outline.height();
        }
        left += width + columnGap;
    }
    fitToGraph();
}

void LockDialog::fitToGraph()
{
    const QRectF graph = m_scene->itemsBoundingRect().adjusted(-20, -20, 20, 20);
    m_scene->setSceneRect(graph);
    // The view's frame, the layout's margins and a little room so that no
    // scroll bar is needed when the graph fits.
    const int frame = 2 * m_view->frameWidth() + 4;
    const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
    QSize wanted(int(std::ceil(graph.width())) + frame + margins.left() + margins.right(),
                 int(std::ceil(graph.height())) + frame + margins.top() + margins.bottom());
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        // A window frame and the task bar still need their room.
        const QSize available = screen->availableGeometry().size() - QSize(40, 80);
        wanted = wanted.boundedTo(available);
    }
    resize(wanted.expandedTo(minimumSize()));
}
