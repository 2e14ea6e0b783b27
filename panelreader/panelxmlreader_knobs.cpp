// PanelXmlReader: the knob and dial builders.
#include "panelxmlreader.h"

#include "container.h"
#include "knob.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "programstate.h"

#include <QXmlStreamReader>

#include <qwt_dial.h>
#include <qwt_dial_needle.h>
#include <qwt_round_scale_draw.h>
#include <qwt_scale_div.h>

#include <cmath>
#include <limits>

using namespace PanelXml;

// A knob in integer mode has a major tick at every integer of its range up to
// this many ticks; a wider range gets evenly spaced ticks, the last at its end.
static constexpr qint64 maxIntegerTicks = 1001;

// A scale bound as an int, cut toward zero and kept within the int range.
static qint64 intBound(double value)
{
    if (std::isnan(value))
        return 0;
    const double limit = std::numeric_limits<int>::max();
    return qint64(std::trunc(qBound(-limit - 1, value, limit)));
}

// The integer-mode scale of [min, max]: major ticks only.
static QwtScaleDiv integerScale(qint64 min, qint64 max)
{
    const qint64 span = max - min;
    const qint64 step = span < maxIntegerTicks ? 1 : (span + maxIntegerTicks - 2) / (maxIntegerTicks - 1);
    QList<double> ticks;
    for (qint64 tick = min; tick <= max; tick += step)
        ticks.append(double(tick));
    if (ticks.last() != double(max))
        ticks.append(double(max));
    return QwtScaleDiv(double(min), double(max), QList<double>(), QList<double>(), ticks);
}

void PanelXmlReader::readKnob(const QString &header, Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    Knob *knob = parent->createKnob(define, readLabel(attributes), -1);
    knob->setKnobStyle(QwtKnob::Styled);
    requireDefine(define, QStringLiteral("Knob"));

    const bool integerMode = has(attributes, "integer") && text(attributes, "integer").toInt() != 0;
    if (has(attributes, "range")) {
        int min = 0;
        int max = 0;
        if (readIntegerRange(attributes, define, QStringLiteral("knob"), &min, &max))
            knob->setScale(min, max);
        checkIntegerDefault(attributes, define, knob->minimum(), knob->maximum());
    }
    readDefineAttributes(attributes, knob, header, define);
    readCommonAttributes(attributes, knob);
    readActions(knob, 0);
    if (has(attributes, "step"))
        knob->setSingleSteps(uint(qMax(0, readIntegerStep(attributes))));
    if (integerMode) {
        // One step per integer; the bounds as 64-bit numbers, so that the
        // widest int range still has its right number of steps.
        const qint64 min = intBound(knob->minimum());
        const qint64 max = intBound(knob->maximum());
        knob->setScale(integerScale(min, max));
        knob->setTotalSteps(uint(max - min));
        knob->setSingleSteps(1);
    }
    connectValueElement(knob, ToMathLabels | ChangedByUser | ToLeds | ToSvgImages | ToCurves | ToDials
                                  | ToThermos);
}

// A bound of a dial: a number literal taken modulo 2^32, as the unsigned
// 32-bit number of a register (-1 is 4294967295); 0 when it is none.
static double dialBound(const QXmlStreamAttributes &attributes, const char *name, double absent)
{
    if (!has(attributes, name))
        return absent;
    const qint64 value = parseNumberLiteral(text(attributes, name)).toLongLong();
    return double(quint32(value));
}

// Dials built without define are numbered for the whole run (ProgramState).
void PanelXmlReader::readDial(Container *parent)
{
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    QwtDial *dial = parent->createDial(define, readLabel(attributes), -1);
    auto *scaleDraw = new QwtRoundScaleDraw;
    dial->setObjectName(definedOrNumberedName(define, "DIAL", &ProgramState::instance().dialCount));
    m_panel->setDial(dial->objectName(), dial);

    scaleDraw->setSpacing(8);
    scaleDraw->enableComponent(QwtAbstractScaleDraw::Backbone, false);
    scaleDraw->setTickLength(QwtScaleDiv::MinorTick, 0);
    scaleDraw->setTickLength(QwtScaleDiv::MediumTick, 4);
    scaleDraw->setTickLength(QwtScaleDiv::MajorTick, 8);
    dial->setScaleDraw(scaleDraw);

    dial->setWrapping(false);
    dial->setReadOnly(true);
    dial->setOrigin(135.0);
    dial->setScaleArc(0.0, 270.0);
    dial->setNeedle(
        new QwtDialSimpleNeedle(QwtDialSimpleNeedle::Ray, true, Qt::red, QColor(Qt::gray).lighter(130)));

    dial->setScale(dialBound(attributes, "min", 0.0), dialBound(attributes, "max", 1000.0));
    dial->setValue(1.0);

    if (has(attributes, "data")) {
        const QString source = text(attributes, "data");
        dial->setProperty("data", source);
        m_panel->addDial(source, dial);
    }
    readCommonAttributes(attributes, dial);
    m_xml->readElementText();
}
