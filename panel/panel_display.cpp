// Panel: refreshing plot curves, dials and thermometers after a define or
// variable changed. The sender names the source: a target variable gives its
// unsigned value, an element the number in its value text.
#include "quillpanel.h"

#include "dataclass.h"
#include "myqwtplot.h"

#include <qwt_dial.h>
#include <qwt_plot_curve.h>
#include <qwt_thermo.h>

#include <cmath>
#include <limits>

namespace {

// An element's value text as the unsigned number a gauge shows: the
// fraction dropped, a negative number in the signed 32-bit range taken as its
// two's complement (as a register holds it), anything else outside 32 bits
// as the nearest end, a text that is no number as 0.
quint32 gaugeValue(const QString &text)
{
    const double value = double(text.toFloat());
    if (!std::isfinite(value))
        return 0;
    const double whole = std::trunc(value);
    if (whole < double(std::numeric_limits<qint32>::min()))
        return 0;
    if (whole > double(std::numeric_limits<quint32>::max()))
        return std::numeric_limits<quint32>::max();
    return quint32(qint64(whole));
}

// The source of a refresh: the variable or the element behind the sender
// (one of them is set), and the name its items are registered under.
struct RefreshSource {
    DataClass *variable = nullptr;
    ActiveElement *element = nullptr;
    QString name;

    bool isValid() const { return variable || element; }
    // The number a gauge shows.
    double gaugeNumber() const
    {
        return variable ? double(variable->value()) : double(gaugeValue(element->value(KeywordValue, 1)));
    }
};

// sender: the signal's sender; element: the element behind it.
RefreshSource refreshSource(QObject *sender, QObject *element)
{
    RefreshSource source;
    if (!sender)
        return source;
    source.name = sender->objectName();
    if ((source.variable = qobject_cast<DataClass *>(sender)))
        return source;
    source.element = activeElementOf(element);
    if (source.element)
        source.name = element->objectName();
    return source;
}

} // namespace

void Panel::on_updateCurve()
{
    QObject *from = signalSource();
    const RefreshSource source = refreshSource(from, elementOf(from));
    if (!source.isValid())
        return;
    const QList<QwtPlotCurve *> curves = m_registries.curvesByData.value(source.name);
    if (curves.isEmpty())
        return;
    const float sample = source.variable ? float(source.variable->value())
                                         : source.element->value(KeywordValue, 1).toFloat();
    for (QwtPlotCurve *curve : curves) {
        if (curve)
            MyQwtPlot::appendSample(curve, sample);
    }
}

void Panel::on_updateDial()
{
    QObject *from = signalSource();
    const RefreshSource source = refreshSource(from, elementOf(from));
    if (!source.isValid())
        return;
    const QList<QwtDial *> dials = m_registries.dialsByData.value(source.name);
    if (dials.isEmpty())
        return;
    const double value = source.gaugeNumber();
    for (QwtDial *dial : dials) {
        if (dial)
            dial->setValue(value);
    }
}

void Panel::on_updateThermo()
{
    QObject *from = signalSource();
    const RefreshSource source = refreshSource(from, elementOf(from));
    if (!source.isValid())
        return;
    const QList<QwtThermo *> thermos = m_registries.thermosByData.value(source.name);
    if (thermos.isEmpty())
        return;
    const double value = source.gaugeNumber();
    for (QwtThermo *thermo : thermos) {
        if (thermo)
            thermo->setValue(value);
    }
}
