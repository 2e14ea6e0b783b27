#include "led.h"

#include "activeelement.h"
#include "kindedits.h"
#include "programstate.h"
#include "resources.h"

#include <QDomDocument>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QVariant>

namespace {

struct StopColours {
    const char *first;  // the darker colour, at gradient offset 0
    const char *second; // the lighter one, at offset 1
};

const QHash<QString, StopColours> &colourTable()
{
    static const QHash<QString, StopColours> table = {
        {QStringLiteral("red"), {"cf0000", "ff8ba4"}},
        {QStringLiteral("green"), {"0f6900", "a3ff87"}},
        {QStringLiteral("grey"), {"adadad", "f0f0f0"}},
        {QStringLiteral("blue"), {"00039a", "afa5ff"}},
        {QStringLiteral("purple"), {"870083", "fe9aff"}},
        {QStringLiteral("yellow"), {"d2cd00", "fffe8f"}},
        {QStringLiteral("white"), {"f0f0f0", "ffffff"}},
    };
    return table;
}

// The two colours of a state: a table name, a "dark;light" pair taken as
// written, else green (on) or grey (off).
QStringList stopColours(const QString &colour, bool on)
{
    const auto &table = colourTable();
    auto found = table.constFind(colour);
    if (found == table.constEnd()) {
        const QStringList pair = colour.split(QLatin1Char(';'));
        if (pair.size() == 2)
            return pair;
        found = table.constFind(on ? QStringLiteral("green") : QStringLiteral("grey"));
    }
    return {QLatin1String(found->first), QLatin1String(found->second)};
}

// The template's stop styles: a stop is recoloured only while it still holds
// the drawing's own red.
const char *const firstStopId = "stopLED1";
const char *const secondStopId = "stopLED2";
const char *const firstStopTemplate = "stop-color:#cf0000";
const char *const secondStopTemplate = "stop-color:#ff8ba4";

// Depth first from element: a "stop" with the id whose style holds oldText
// gets newText as its whole style, and its subtree is not searched.
void recolour(QDomElement element, const QString &id, const QString &oldText, const QString &newText)
{
    if (element.tagName() == QLatin1String("stop") && element.attribute(QStringLiteral("id")) == id
        && element.attribute(QStringLiteral("style")).contains(oldText)) {
        element.setAttribute(QStringLiteral("style"), newText);
        return;
    }
    for (QDomElement child = element.firstChildElement(); !child.isNull(); child = child.nextSiblingElement())
        recolour(child, id, oldText, newText);
}

} // namespace

Led::Led(const QString &name, QWidget *parent)
    : QWidget(parent)
    , m_onColor(QStringLiteral("green"))
    , m_offColor(QStringLiteral("grey"))
{
    setFixedSize(30, 30);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    initQuillmateResources();
    QFile drawing(QStringLiteral(":/svg/LED.svg"));
    if (drawing.open(QIODevice::ReadOnly))
        m_drawing = drawing.readAll();
    setObjectName(name.isEmpty() ? QStringLiteral("LED_%1").arg(ProgramState::instance().ledCount++) : name);
}

Led::~Led() = default;

QString Led::firstStopStyle(const QString &colour, bool on)
{
    return QStringLiteral("stop-color:#") + stopColours(colour, on).at(0);
}

QString Led::secondStopStyle(const QString &colour, bool on)
{
    return QStringLiteral("stop-color:#") + stopColours(colour, on).at(1);
}

QByteArray Led::recolouredDrawing(const QByteArray &drawing, const QString &firstStop, const QString &secondStop)
{
    QDomDocument document;
    if (!document.setContent(drawing))
        return QByteArray();
    recolour(document.documentElement(), QLatin1String(firstStopId), QLatin1String(firstStopTemplate), firstStop);
    recolour(document.documentElement(), QLatin1String(secondStopId), QLatin1String(secondStopTemplate),
             secondStop);
    return document.toByteArray();
}

quint32 Led::bitMask() const
{
    // The reader stores an int; a mask with the top bit set is negative then.
    return quint32(property("bitmask").toLongLong());
}

void Led::setValue(bool on)
{
    m_lit = on;
    update();
}

void Led::setValueText(const QString &value)
{
    // A negative number counts with its 32-bit pattern, as the firmware
    // stores it; text that is no decimal number is 0, which lights nothing.
    bool ok = false;
    quint32 bits = value.toUInt(&ok, 10);
    if (!ok)
        bits = quint32(value.toInt(nullptr, 10));
    setValue((bitMask() & bits) != 0);
}

void Led::setValueBits(quint32 value)
{
    setValue((bitMask() & value) != 0);
}

void Led::setOnColor(const QString &colour)
{
    m_onColor = colour;
    m_onReady = false;
    update();
}

void Led::setOffColor(const QString &colour)
{
    m_offColor = colour;
    m_offReady = false;
    update();
}

void Led::setShape(const QString &shape)
{
    Q_UNUSED(shape)
}

void Led::prepareDrawing(bool on)
{
    const QString &colour = on ? m_onColor : m_offColor;
    QSvgRenderer &renderer = on ? m_onRenderer : m_offRenderer;
    // Without the drawing the renderer stays empty and the lamp paints nothing.
    if (!m_drawing.isEmpty())
        renderer.load(recolouredDrawing(m_drawing, firstStopStyle(colour, on), secondStopStyle(colour, on)));
}

void Led::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    if (!m_onReady) {
        m_onReady = true;
        prepareDrawing(true);
    }
    if (!m_offReady) {
        m_offReady = true;
        prepareDrawing(false);
    }
    QSvgRenderer &renderer = m_lit ? m_onRenderer : m_offRenderer;
    if (renderer.isValid())
        renderer.render(&painter, QRectF(rect()));
}

bool editLedRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    Q_UNUSED(writes)
    auto *led = qobject_cast<Led *>(element);
    if (!led || (row != QLatin1String("OnColor") && row != QLatin1String("OffColor")))
        return false;
    row == QLatin1String("OnColor") ? led->setOnColor(value) : led->setOffColor(value);
    led->update();
    setElementPropertyOf(led, row.toLatin1().constData(), value);
    return true;
}

void listLedRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<Led *>(element);
    if (!e)
        return;
    rows->append(attributeRow(e, "data", "data"));
    rows->append(attributeRow(e, "bitmask", "bitmask"));
    rows->append(attributeRow(e, "OnColor", "OnColor"));
    rows->append(attributeRow(e, "OffColor", "OffColor"));
}

std::optional<bool> ledLit(const QObject *object)
{
    if (auto *led = qobject_cast<const Led *>(object))
        return led->isLit();
    return std::nullopt;
}

bool setLedLit(QObject *object, bool on)
{
    auto *led = qobject_cast<Led *>(object);
    if (led)
        led->setValue(on);
    return led != nullptr;
}
