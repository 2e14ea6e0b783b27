#include "qgraphicschipitem.h"

#include "consolelinks.h"
#include "contrast.h"
#include "pinmappinghost.h"
#include "pinmappingmodel.h"

#include <QFontMetrics>
#include <QGraphicsScene>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A coordinate: the double truncated toward zero, kept within a range that
// painting handles.
int coord(double v)
{
    if (!std::isfinite(v))
        return 0;
    return int(qBound(-1.0e8, std::trunc(v), 1.0e8));
}

// Black or white, whichever reads on the colour of a pin or arrow.
QColor textColorOn(const QColor &background)
{
    return readableTextColor(background);
}

// Where a pin label's glyphs may go, from the start of its baseline: for a
// box of width w, w + labelRoomAlong along (the bottom side's hover box, the
// side with the least room, ends there), and this far above and below.
constexpr double labelRoomAlong = 0;
constexpr double labelRoomAbove = 11;
constexpr double labelRoomBelow = 3;

// The font a pin label is drawn in: the painter's font, made smaller until
// the label's glyphs fit the room its box leaves them (along only when the
// file fixes the box's width, since the box grows with the text otherwise).
QFont fittedLabelFont(const QFont &base, const QString &label, double along)
{
    QFont font = base;
    const bool points = base.pointSizeF() > 0;
    double size = points ? base.pointSizeF() : double(base.pixelSize());
    for (int step = 0; step < 60 && size > 1; ++step) {
        const QRectF ink = QFontMetricsF(font).tightBoundingRect(label);
        if (ink.isEmpty()
            || (ink.right() <= along && -ink.top() <= labelRoomAbove && ink.bottom() <= labelRoomBelow))
            break;
        size *= 0.92;
        if (points)
            font.setPointSizeF(size);
        else
            font.setPixelSize(std::max(1, int(size)));
    }
    return font;
}

// The condition as rich text: every name it reads becomes a link (preceded
// by a colon) whose target and text are the name; all other text is escaped.
// At each place the longest name wins, so a name inside a longer one links
// the longer one.
QString linkedCondition(const QString &condition, QStringList names)
{
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return a.size() > b.size(); });
    names.removeAll(QString());
    QString html;
    int i = 0;
    while (i < condition.size()) {
        const QString *hit = nullptr;
        for (const QString &name : qAsConst(names)) {
            if (condition.midRef(i, name.size()) == name) {
                hit = &name;
                break;
            }
        }
        if (hit) {
            html += QStringLiteral(":<a href=\"%1\">%2</a>").arg(linkTarget(*hit).toHtmlEscaped(), hit->toHtmlEscaped());
            i += hit->size();
        } else {
            html += QString(condition.at(i)).toHtmlEscaped();
            ++i;
        }
    }
    return html;
}

} // namespace

QGraphicsChipItem::QGraphicsChipItem(PinMappingHost *host, QGraphicsItem *parent)
    : QGraphicsObject(parent), m_host(host)
{
    setAcceptHoverEvents(true);
    if (const PinMappingModel *m = model()) {
        m_chipSize = m->chipSize;
        m_marginTop = m->marginTop;
        m_marginBottom = m->marginBottom;
        m_marginLeft = m->marginLeft;
        m_marginRight = m->marginRight;
    }
}

QGraphicsChipItem::~QGraphicsChipItem()
{
    if (m_ownsPopup)
        delete m_popupLabel.data();
}

QLabel *QGraphicsChipItem::popupLabel() const
{
    return m_popupLabel.data();
}

PinMappingModel *QGraphicsChipItem::model() const
{
    return m_host ? m_host->pinMappingModel() : nullptr;
}

QFont QGraphicsChipItem::labelFont(const QString &label, int fixedWidth)
{
    const QString key = label + QLatin1Char('\n') + QString::number(fixedWidth);
    auto found = m_labelFonts.constFind(key);
    if (found == m_labelFonts.constEnd()) {
        const double along = fixedWidth ? fixedWidth + labelRoomAlong : std::numeric_limits<double>::infinity();
        found = m_labelFonts.insert(key, fittedLabelFont(m_labelFontsBase, label, along));
    }
    return *found;
}

QRectF QGraphicsChipItem::boundingRect() const
{
    return QRectF(0, 0, m_chipSize, m_chipSize);
}

void QGraphicsChipItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    PinMappingModel *m = model();
    // A chip smaller than its 200-pixel border has an empty body, never a
    // negative one.
    const double side = std::max(0.0, double(m_chipSize) - 400.0);
    m_chipRect = QRectF(200, 200, side, side);
    if (!m)
        return;

    painter->setRenderHint(QPainter::Antialiasing);
    // Texts keep the widths they are measured with when the view scales the
    // picture: hinted glyphs would grow out of their pin and arrow boxes.
    QFont font = painter->font();
    font.setHintingPreference(QFont::PreferNoHinting);
    painter->setFont(font);
    painter->setPen(Qt::black);
    painter->fillRect(m_chipRect, m->chipColor);
    painter->drawRect(m_chipRect);
    painter->setPen(readableTextColor(m->chipColor, Qt::black));
    painter->drawText(m_chipRect, Qt::AlignCenter, m->chipName);
    painter->setPen(Qt::black);

    for (PinEntry &pin : m->pins)
        pin.labelOffset = 0;
    // Arrows not drawn now must not answer the hover.
    for (MapEntry &entry : m->mapEntries)
        entry.arrowPath = QPainterPath();

    const double n = m->pins.size();
    const double dx = (m_chipRect.width() - (double(m_marginLeft) + m_marginRight)) * 4 / (n + 4);
    const double dy = (m_chipRect.height() - (double(m_marginTop) + m_marginBottom)) * 4 / (n + 4);
    const double left = m_chipRect.left(), top = m_chipRect.top();
    const double right = m_chipRect.right(), bottom = m_chipRect.bottom();
    if (m_labelFontsBase != font) {
        m_labelFonts.clear();
        m_labelFontsBase = font;
    }

    for (PinEntry &pin : m->pins) {
        const QString label = QString::number(pin.nr) + QStringLiteral(": ") + pin.pinName;
        const int fixedWidth = m->pinSize ? int(std::min<quint32>(m->pinSize, 100000)) : 0;
        painter->setFont(labelFont(label, fixedWidth));
        const int w = fixedWidth ? fixedWidth : painter->fontMetrics().horizontalAdvance(label);
        const double k1 = double(pin.index) + 1;
        const QColor textColor = textColorOn(pin.color);
        switch (pin.quadrant) {
        case 0: {
            const int px = coord(left), py = coord(top + m_marginTop + k1 * dy);
            const QRect box(px - 14, py + 3, w + 18, -14);
            painter->fillRect(box.normalized(), pin.color);
            painter->setPen(textColor);
            painter->drawText(px + 2, py, label);
            pin.hitRect = box.normalized();
            break;
        }
        case 1: {
            const int px = coord(left + m_marginLeft + k1 * dx), py = coord(bottom);
            painter->save();
            painter->translate(px, py);
            painter->rotate(-90);
            painter->fillRect(QRect(-16, -4, w + 18, -16).normalized(), pin.color);
            painter->setPen(textColor);
            painter->drawText(0, -8, label);
            painter->restore();
            pin.hitRect = QRect(px - 4, py - w, -16, w + 18).normalized();
            break;
        }
        case 2: {
            const int px = coord(right), py = coord(bottom - m_marginBottom - k1 * dy);
            const QRect box(px - w - 2, py + 3, w + 18, -14);
            painter->fillRect(box.normalized(), pin.color);
            painter->setPen(textColor);
            painter->drawText(px - w, py, label);
            pin.hitRect = box.normalized();
            break;
        }
        case 3: {
            const int px = coord(right - m_marginRight - k1 * dx), py = coord(top);
            painter->save();
            painter->translate(px, py);
            painter->rotate(-90);
            painter->fillRect(QRect(16, 4, -w - 18, -16).normalized(), pin.color);
            painter->setPen(textColor);
            painter->drawText(-w, 0, label);
            painter->restore();
            pin.hitRect = QRect(px - 12, py - 16, 16, w + 18).normalized();
            break;
        }
        default:
            break; // not drawn; keeps its hit box
        }
    }
    painter->setFont(font);

    painter->setPen(Qt::black);
    for (const PinMappingModel::ActiveMapping &active : m->activeMappings(m_host))
        drawMapping(painter, quint16(active.pin), quint16(active.entry), m->mapEntries.at(active.entry).output);
}

void QGraphicsChipItem::drawMapping(QPainter *painter, quint16 pinIndex, quint16 entryIndex, quint16 output)
{
    PinMappingModel *m = model();
    if (!m || pinIndex >= m->pins.size() || entryIndex >= m->mapEntries.size())
        return;
    PinEntry &pin = m->pins[pinIndex];
    MapEntry &entry = m->mapEntries[entryIndex];
    const QString text = mapEntryText(entryIndex);
    const QFontMetrics metrics(painter->font());
    const int L = m->arrowSize ? int(std::min<quint32>(m->arrowSize, 100000)) : metrics.horizontalAdvance(text);
    const QColor textColor = textColorOn(entry.color);
    const double o = pin.labelOffset;
    const double k1 = double(pin.index) + 1;
    const double n = m->pins.size();
    const double dx = (m_chipRect.width() - (double(m_marginLeft) + m_marginRight)) * 4 / (n + 4);
    const double dy = (m_chipRect.height() - (double(m_marginTop) + m_marginBottom)) * 4 / (n + 4);

    QPainterPath path;
    switch (pin.quadrant) {
    case 0: {
        const int x = coord(m_chipRect.left() - o), y = coord(m_chipRect.top() + m_marginTop + k1 * dy);
        drawFunctionArrow(painter, x - 20, y - 4, L + 10, 0, output, entry.color, path);
        painter->setPen(textColor);
        painter->drawText(x - L - 20, y, text);
        entry.arrowPath = path;
        break;
    }
    case 1: {
        const int x = coord(m_chipRect.left() + m_marginLeft + k1 * dx), y = coord(m_chipRect.bottom() + o);
        painter->save();
        painter->translate(x, y);
        painter->rotate(-90);
        drawFunctionArrow(painter, -20, -12, L + 10, 1, output, entry.color, path);
        painter->setPen(textColor);
        painter->drawText(-20 - L, -8, text);
        painter->restore();
        QTransform transform;
        transform.translate(x, y);
        transform.rotate(-90);
        entry.arrowPath = transform.map(path);
        break;
    }
    case 2: {
        const int x = coord(m_chipRect.right() + o), y = coord(m_chipRect.bottom() - m_marginBottom - k1 * dy);
        drawFunctionArrow(painter, x + 20 + L, y - 4, L + 10, 2, output, entry.color, path);
        painter->setPen(textColor);
        painter->drawText(x + 20, y, text);
        entry.arrowPath = path;
        break;
    }
    case 3: {
        const int x = coord(m_chipRect.right() - m_marginRight - k1 * dx), y = coord(m_chipRect.top() - o);
        painter->save();
        painter->translate(x, y);
        painter->rotate(-90);
        drawFunctionArrow(painter, L + 20, -3, L + 10, 3, output, entry.color, path);
        painter->setPen(textColor);
        painter->drawText(20, 0, text);
        painter->restore();
        QTransform transform;
        transform.translate(x, y);
        transform.rotate(-90);
        entry.arrowPath = transform.map(path);
        break;
    }
    default:
        return;
    }
    pin.labelOffset = quint16(pin.labelOffset + L + 24);
}

void QGraphicsChipItem::drawFunctionArrow(QPainter *painter, int x, int y, int length, int quadrant, int output,
                                          const QColor &color, QPainterPath &path)
{
    int s;
    if (quadrant == 0 || quadrant == 1)
        s = output ? 1 : -1;
    else
        s = output ? -1 : 1;
    const double X = s == 1 ? x : x + 10 - length;
    const double len = length;
    path = QPainterPath();
    path.moveTo(X, y);
    path.lineTo(X + 10 * s, y - 10);
    path.lineTo(X + (10 - len) * s, y - 10);
    path.lineTo(X - len * s, y);
    path.lineTo(X + (10 - len) * s, y + 10);
    path.lineTo(X + 10 * s, y + 10);
    path.closeSubpath();
    painter->fillPath(path, QBrush(color, Qt::SolidPattern));
}

QString QGraphicsChipItem::mapEntryText(quint16 entryIndex) const
{
    const PinMappingModel *m = model();
    return m ? m->mapEntryText(entryIndex, m_host) : QString();
}

QString QGraphicsChipItem::pinToolTip(int pinIndex, QString *plain) const
{
    const PinMappingModel *m = model();
    QString html;
    if (!m || pinIndex < 0 || pinIndex >= m->pins.size())
        return html;
    const QString &pinName = m->pins.at(pinIndex).pinName;
    QString text = pinName;
    for (int j = 0; j < m->mapEntries.size(); ++j) {
        const MapEntry &entry = m->mapEntries.at(j);
        if (entry.pinName != pinName)
            continue;
        if (html.isEmpty())
            html = pinName.toHtmlEscaped() + QStringLiteral("<br>");
        const QString entryText = mapEntryText(quint16(j));
        html += QStringLiteral("<br> - ") + entryText.toHtmlEscaped();
        text += QStringLiteral("\n - ") + entryText;
        const auto condition = std::find_if(m->conditions.cbegin(), m->conditions.cend(),
                                            [&entry](const MapCondEntry &c) { return c.function == entry.function; });
        if (condition != m->conditions.cend()) {
            text += QStringLiteral(": ") + condition->cond;
            html += linkedCondition(condition->cond, PinMappingModel::conditionNames(condition->cond));
        }
    }
    if (plain)
        *plain = text;
    return html;
}

void QGraphicsChipItem::hoverMoveEvent(QGraphicsSceneHoverEvent *event)
{
    const PinMappingModel *m = model();
    if (!m || !m->toolTipsActivated)
        return;
    m_toolTipHtml.clear();
    const QPoint p = event->pos().toPoint();
    int hovered = -1;
    for (int i = 0; i < m->pins.size(); ++i) {
        if (m->pins.at(i).hitRect.normalized().contains(p)) {
            hovered = i;
            break;
        }
    }
    if (hovered >= 0) {
        QString plain;
        m_toolTipHtml = pinToolTip(hovered, &plain);
        QGraphicsView *view = scene() && !scene()->views().isEmpty() ? scene()->views().first() : nullptr;
        if (view) {
            const QPoint viewPoint = view->mapFromScene(mapToScene(event->pos()));
            QToolTip::showText(view->viewport()->mapToGlobal(viewPoint), plain, view);
        }
        return;
    }
    m_hoverLink.clear();
    for (const MapEntry &entry : m->mapEntries) {
        if (entry.arrowPath.contains(event->pos())) {
            m_hoverLink = entry.link;
            break;
        }
    }
}

void QGraphicsChipItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_hoverLink.isEmpty() && m_host)
        m_host->raiseElement(m_hoverLink);
    if (m_toolTipHtml.isEmpty()) {
        QGraphicsObject::mousePressEvent(event);
        return;
    }
    if (!m_popupLabel) {
        QGraphicsView *view = scene() && !scene()->views().isEmpty() ? scene()->views().first() : nullptr;
        m_popupLabel = new QLabel(view);
        m_ownsPopup = !view;
        m_popupLabel->setWindowFlags(Qt::Popup);
        m_popupLabel->setTextFormat(Qt::RichText);
        m_popupLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse
                                              | Qt::LinksAccessibleByKeyboard);
        connect(m_popupLabel.data(), &QLabel::linkActivated, this, &QGraphicsChipItem::on_linkActivated);
    }
    m_popupLabel->setText(m_toolTipHtml);
    m_popupLabel->move(event->screenPos());
    m_popupLabel->show();
}

void QGraphicsChipItem::on_linkActivated(const QString &link)
{
    const QString name = QString(link).replace(QStringLiteral("$$$COLON$$$"), QStringLiteral(":"));
    if (!name.isEmpty() && m_host)
        m_host->raiseElement(name);
    if (m_popupLabel)
        m_popupLabel->close();
    m_toolTipHtml.clear();
}
