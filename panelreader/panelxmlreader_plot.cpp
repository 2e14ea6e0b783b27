// PanelXmlReader: the plot builder with its curves, and the thermometer builder.
#include "panelxmlreader.h"

#include "container.h"
#include "floatseriesdata.h"
#include "myqwtplot.h"
#include "numberliteral.h"
#include "quillpanel.h"
#include "panelxmlreader_p.h"
#include "programstate.h"
#include "timescaledraw.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QPen>
#include <QXmlStreamReader>

#include <qwt_legend.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_text.h>
#include <qwt_thermo.h>

#include <cmath>
#include <limits>

using namespace PanelXml;

// The attributes of <plot>, in the order they are read; each one present is
// kept as written in a widget property of its name, for the panel editor.
static const char *const plotAttributeNames[] = {
    "oszi", "history", "xScaleFormat", "xLabel", "yLabel", "minX", "maxX",
    "minY", "maxY", "autoScaleMinY", "autoScaleMaxY", "xFactor", "grid",
};

// The font of the axis titles.
static QFont axisFont()
{
    QFont font(QStringLiteral("Helvetica"));
    font.setStyleHint(QFont::Helvetica, QFont::PreferBitmap);
    font.setWeight(QFont::Normal);
    font.setPointSize(12);
    return font;
}

static QwtText axisText(const QString &text)
{
    QwtText title(text);
    title.setFont(axisFont());
    return title;
}

// An x bound: a whole decimal number within the unsigned 32-bit range (a
// negative number is 0, a larger one the largest); text that is no number is 0.
static quint32 xBound(const QXmlStreamAttributes &attributes, const char *name, quint32 absent)
{
    if (!has(attributes, name))
        return absent;
    const qint64 value = text(attributes, name).toLongLong();
    return quint32(qBound<qint64>(0, value, std::numeric_limits<quint32>::max()));
}

static float floatAttribute(const QXmlStreamAttributes &attributes, const char *name, float absent)
{
    return has(attributes, name) ? text(attributes, name).toFloat() : absent;
}

// Plot settings every curve of a plot is made with.
struct CurveSettings {
    quint32 maxX = 1000;
    bool oszi = false;
    bool history = true;
};

void PanelXmlReader::readPlot(const QString &header, Container *parent)
{
    Q_UNUSED(header)
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    // Plots built without define are numbered for the whole run.
    MyQwtPlot *plot = parent->createPlot(definedOrNumberedName(define, "PLOT", &ProgramState::instance().plotCount),
                                         readLabel(attributes), -1);
    m_panel->setPlot(plot->objectName(), plot);

    for (const char *name : plotAttributeNames) {
        if (has(attributes, name))
            plot->setProperty(name, text(attributes, name));
    }
    CurveSettings curves;
    curves.oszi = text(attributes, "oszi").toInt() != 0;
    curves.history = !has(attributes, "history") || text(attributes, "history").toInt() != 0;
    const auto xScaleFormat = quint16(text(attributes, "xScaleFormat").toInt());
    const QString xLabel = text(attributes, "xLabel");
    if (has(attributes, "xLabel"))
        plot->setAxisTitle(QwtPlot::xBottom, axisText(xLabel));
    if (has(attributes, "yLabel"))
        plot->setAxisTitle(QwtPlot::yLeft, axisText(text(attributes, "yLabel")));
    const quint32 minX = xBound(attributes, "minX", 0);
    curves.maxX = xBound(attributes, "maxX", 1000);
    const float minY = floatAttribute(attributes, "minY", 0.0f);
    const float maxY = floatAttribute(attributes, "maxY", 1000.0f);
    plot->autoScaleMinY = text(attributes, "autoScaleMinY").toInt() > 0;
    plot->autoScaleMaxY = text(attributes, "autoScaleMaxY").toInt() > 0;
    const double xFactor = has(attributes, "xFactor") ? text(attributes, "xFactor").toDouble() : 1.0;
    const int gridMask = text(attributes, "grid").toInt();

    if (curves.oszi) {
        // The strip has no fixed time axis: its label goes below the plot.
        plot->setFooter(axisText(xLabel));
        plot->enableAxis(QwtPlot::xBottom, false);
    }
    if (gridMask != 0) {
        auto *grid = new QwtPlotGrid;
        grid->enableX(gridMask & 1);
        grid->enableY(gridMask & 2);
        // The panel gives the grid no colour: the palette's, which stands out
        // from a light or a dark canvas alike.
        grid->setMajorPen(plot->palette().color(QPalette::Mid), 0.0, Qt::SolidLine);
        grid->attach(plot);
    }
    plot->setPresetRanges(minX, curves.maxX, minY, maxY);
    plot->setAxisScale(QwtPlot::xBottom, double(minX), double(curves.maxX), 0.0);
    plot->setAxisScale(QwtPlot::yLeft, double(minY), double(maxY), 0.0);
    auto *timeScale = new TimeScaleDraw;
    timeScale->setXFactor(xFactor);
    timeScale->setXScaleFormat(xScaleFormat);
    plot->setAxisScaleDraw(QwtPlot::xBottom, timeScale);

    readCommonAttributes(attributes, plot);

    while (m_xml->readNextStartElement()) {
        if (m_xml->name() != QLatin1String("curve")) {
            m_xml->skipCurrentElement();
            continue;
        }
        const QXmlStreamAttributes curveAttributes = m_xml->attributes();
        auto *curve = new QwtPlotCurve;
        curve->attach(plot);
        if (has(curveAttributes, "label")) {
            curve->setTitle(text(curveAttributes, "label"));
            // The plot replaces its legend: one legend however many labels.
            plot->insertLegend(new QwtLegend, QwtPlot::RightLegend);
        }
        if (has(curveAttributes, "color")) {
            const uint width = has(curveAttributes, "width") ? text(curveAttributes, "width").toUInt() & 0xffu : 1u;
            const QColor color = readColor(curveAttributes);
            if (color.isValid())
                curve->setPen(color, qreal(width), Qt::SolidLine);
        }
        const QString source = text(curveAttributes, "data");
        plot->setProperty("data", plot->property("data").toStringList() << source);
        if (has(curveAttributes, "data"))
            m_panel->addCurve(source, curve);
        curve->setSamples(new FloatSeriesData(FloatSeriesData::clampedCapacity(curves.maxX), curves.oszi,
                                              curves.history));
        m_xml->skipCurrentElement();
    }
}

// ---------------------------------------------------------------------------
// Thermometer

// Sets role to color in every colour group; an invalid colour changes nothing.
static void setRoleColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    if (!color.isValid())
        return;
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, role, color);
    widget->setPalette(palette);
}

// A scale bound of a thermometer: a number literal made whole (the fraction
// dropped, kept within the int range); text that is no number is 0.
static int thermoBound(const QXmlStreamAttributes &attributes, const char *name)
{
    const double value = parseNumberLiteral(text(attributes, name)).toDouble();
    if (!std::isfinite(value))
        return 0;
    const double limit = std::numeric_limits<int>::max();
    return int(std::trunc(qBound(-limit - 1, value, limit)));
}

void PanelXmlReader::readThermo(const QString &header, Container *parent)
{
    Q_UNUSED(header)
    static const char *const kept[] = {"normalcolor", "alarmcolor", "alarmlevel", "min",
                                       "max",         "orientation", "data"};
    const QXmlStreamAttributes attributes = m_xml->attributes();
    const QString define = checkDuplicateDefine(attributes);
    QwtThermo *thermo = parent->createThermo(define, readLabel(attributes), -1);
    thermo->setObjectName(definedOrNumberedName(define, "THERMO", &ProgramState::instance().thermoCount));
    m_panel->setThermo(thermo->objectName(), thermo);
    for (const char *name : kept) {
        if (has(attributes, name))
            thermo->setProperty(name, text(attributes, name));
    }

    if (has(attributes, "normalcolor"))
        setRoleColor(thermo, QPalette::ButtonText, colorAttribute(attributes, QStringLiteral("normalcolor")));
    if (has(attributes, "alarmcolor"))
        setRoleColor(thermo, QPalette::Highlight, colorAttribute(attributes, QStringLiteral("alarmcolor")));
    thermo->setAlarmLevel(has(attributes, "alarmlevel") ? text(attributes, "alarmlevel").toInt() : 30);
    if (has(attributes, "min") || has(attributes, "max")) {
        const double min = has(attributes, "min") ? thermoBound(attributes, "min") : thermo->lowerBound();
        const double max = has(attributes, "max") ? thermoBound(attributes, "max") : thermo->upperBound();
        thermo->setScale(min, max);
    }
    if (has(attributes, "orientation")) {
        const int orientation = text(attributes, "orientation").toInt();
        if (orientation == 0)
            thermo->setOrientation(Qt::Vertical);
        else if (orientation == 1)
            thermo->setOrientation(Qt::Horizontal);
    }
    thermo->setScalePosition(QwtThermo::LeadingScale);
    if (has(attributes, "data"))
        m_panel->addThermo(text(attributes, "data"), thermo);
    readCommonAttributes(attributes, thermo);
    m_xml->skipCurrentElement();
}
