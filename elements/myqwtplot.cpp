#include "myqwtplot.h"

#include "activeelement.h"
#include "floatseriesdata.h"
#include "kindedits.h"
#include "timescaledraw.h"

#include <qwt_plot_curve.h>
#include <qwt_plot_grid.h>
#include <qwt_scale_widget.h>

#include <cmath>

MyQwtPlot::MyQwtPlot(QWidget *parent)
    : QwtPlot(parent)
{
    m_replotTimer.setSingleShot(true);
    m_replotTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replotTimer, &QTimer::timeout, this, [this] {
        if (m_replotPending)
            replot();
    });
}

void MyQwtPlot::setPresetRanges(quint32 presetMinX, quint32 presetMaxX, float presetMinY, float presetMaxY)
{
    m_presetMinX = presetMinX;
    m_presetMaxX = presetMaxX;
    m_presetMinY = presetMinY;
    m_presetMaxY = presetMaxY;
    minX = presetMinX;
    maxX = presetMaxX;
    minY = presetMinY;
    maxY = presetMaxY;
}

FloatSeriesData *MyQwtPlot::seriesOf(QwtPlotCurve *curve)
{
    return curve ? dynamic_cast<FloatSeriesData *>(curve->data()) : nullptr;
}

void MyQwtPlot::reset()
{
    const QwtPlotItemList curves = itemList(QwtPlotItem::Rtti_PlotCurve);
    for (QwtPlotItem *item : curves) {
        if (FloatSeriesData *series = seriesOf(static_cast<QwtPlotCurve *>(item))) {
            series->clear();
            series->setCapacity(m_presetMaxX);
        }
    }
    minY = m_presetMinY;
    maxY = m_presetMaxY;
    minX = m_presetMinX;
    maxX = m_presetMaxX;
    setAxisScale(QwtPlot::xBottom, double(minX), double(maxX), 0.0);
    setAxisScale(QwtPlot::yLeft, double(minY), double(maxY), 0.0);
}

void MyQwtPlot::setCurveVisibility(uint mask)
{
    curveMask = mask;
    int bit = 0;
    const QwtPlotItemList curves = itemList(QwtPlotItem::Rtti_PlotCurve);
    for (QwtPlotItem *item : curves) {
        item->setVisible((mask >> bit) & 1u);
        bit = (bit + 1) % 32;
    }
}

void MyQwtPlot::setCurveCapacity(qint64 capacity)
{
    const QwtPlotItemList curves = itemList(QwtPlotItem::Rtti_PlotCurve);
    for (QwtPlotItem *item : curves) {
        if (FloatSeriesData *series = seriesOf(static_cast<QwtPlotCurve *>(item)))
            series->setCapacity(capacity);
    }
}

TimeScaleDraw *MyQwtPlot::timeScaleDraw()
{
    return dynamic_cast<TimeScaleDraw *>(axisScaleDraw(QwtPlot::xBottom));
}

void MyQwtPlot::setTimeBase(double offset)
{
    if (TimeScaleDraw *draw = timeScaleDraw())
        draw->setOffset(offset);
    if (QwtScaleWidget *axis = axisWidget(QwtPlot::xBottom))
        axis->update();
}

void MyQwtPlot::requestReplot()
{
    if (!m_coalesceReplots) {
        replot();
        return;
    }
    if (m_replotPending)
        return;
    m_replotPending = true;
    // The first request after a quiet spell is served in the next turn of
    // the event loop; a steady stream once a frame.
    const qint64 since = m_sinceReplot.isValid() ? m_sinceReplot.elapsed() : replotInterval;
    m_replotTimer.start(int(qBound<qint64>(0, replotInterval - since, replotInterval)));
}

void MyQwtPlot::replot()
{
    // A replot now serves a deferred one as well.
    m_replotPending = false;
    m_replotTimer.stop();
    m_sinceReplot.start();
    ++m_replotCount;
    QwtPlot::replot();
}

static const char *const plotRows[] = {"minX", "maxX", "minY", "maxY", "oszi", "history", "xScaleFormat",
                                "xLabel", "yLabel", "autoScaleMinY", "autoScaleMaxY", "xFactor", "grid"};

static bool isPlotRow(const QString &name)
{
    for (const char *row : plotRows) {
        if (name == QLatin1String(row))
            return true;
    }
    return false;
}

// A plot row: the plot changes and the row is kept (false: not applied).
static bool setPlotRow(MyQwtPlot *plot, const QString &name, const QString &value)
{
    if (name == QLatin1String("minX") || name == QLatin1String("maxX")) {
        const quint32 n = quint32(value.toInt());
        if (name == QLatin1String("minX")) {
            plot->setPresetRanges(n, plot->presetMaxX(), plot->presetMinY(), plot->presetMaxY());
        } else {
            plot->setPresetRanges(plot->presetMinX(), n, plot->presetMinY(), plot->presetMaxY());
            // The sample stores follow the new width, within their limits.
            for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotCurve)) {
                if (FloatSeriesData *data = MyQwtPlot::seriesOf(static_cast<QwtPlotCurve *>(item)))
                    data->setCapacity(FloatSeriesData::clampedCapacity(n));
            }
        }
        plot->setAxisScale(QwtPlot::xBottom, double(plot->minX), double(plot->maxX), 0);
        plot->replot();
    } else if (name == QLatin1String("minY") || name == QLatin1String("maxY")) {
        const float v = value.toFloat();
        if (name == QLatin1String("minY"))
            plot->setPresetRanges(plot->presetMinX(), plot->presetMaxX(), v, plot->presetMaxY());
        else
            plot->setPresetRanges(plot->presetMinX(), plot->presetMaxX(), plot->presetMinY(), v);
        plot->setAxisScale(QwtPlot::yLeft, double(plot->minY), double(plot->maxY), 0);
        plot->replot();
    } else if (name == QLatin1String("oszi") || name == QLatin1String("history")) {
        const bool on = value.toInt() != 0;
        if (name == QLatin1String("oszi"))
            plot->enableAxis(QwtPlot::xBottom, !on);
        for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotCurve)) {
            if (FloatSeriesData *data = MyQwtPlot::seriesOf(static_cast<QwtPlotCurve *>(item))) {
                if (name == QLatin1String("oszi"))
                    data->setOszi(on);
                else
                    data->setHistory(on);
            }
        }
        if (name == QLatin1String("oszi"))
            plot->replot();
    } else if (name == QLatin1String("xScaleFormat") || name == QLatin1String("xFactor")) {
        TimeScaleDraw *draw = plot->timeScaleDraw();
        if (draw) {
            if (name == QLatin1String("xScaleFormat"))
                draw->setXScaleFormat(quint16(value.toInt()));
            else
                draw->setXFactor(double(value.toFloat()));
            draw->setScaleDiv(draw->scaleDiv()); // drops the cached labels
        }
        plot->updateAxes();
    } else if (name == QLatin1String("xLabel")) {
        plot->setAxisTitle(QwtPlot::xBottom, value);
    } else if (name == QLatin1String("yLabel")) {
        plot->setAxisTitle(QwtPlot::yLeft, value);
    } else if (name == QLatin1String("autoScaleMinY")) {
        plot->autoScaleMinY = value.toFloat() != 0.0f;
    } else if (name == QLatin1String("autoScaleMaxY")) {
        plot->autoScaleMaxY = value.toFloat() != 0.0f;
    } else if (name == QLatin1String("grid")) {
        const QwtPlotItemList grids = plot->itemList(QwtPlotItem::Rtti_PlotGrid);
        if (grids.isEmpty())
            return false;
        auto *grid = static_cast<QwtPlotGrid *>(grids.first());
        const uint bits = value.toUInt();
        grid->enableX(bits & 1u);
        grid->enableY(bits & 2u);
        plot->replot();
    }
    return true;
}

bool editPlotRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *plot = qobject_cast<MyQwtPlot *>(element);
    if (!plot || !isPlotRow(row))
        return false;
    if (setPlotRow(plot, row, value)) {
        setElementPropertyOf(plot, row.toLatin1().constData(), value);
        writes->append({row, value});
    }
    return true;
}

void listPlotRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<MyQwtPlot *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Curves!") + editorDetailsText());
}

void MyQwtPlot::appendSample(QwtPlotCurve *curve, float sample)
{
    FloatSeriesData *series = seriesOf(curve);
    if (!series)
        return;
    series->append(sample);
    auto *plot = qobject_cast<MyQwtPlot *>(curve->plot());
    if (!plot)
        return;

    // A sweep is complete when the ring comes round: every maxX samples, or
    // every capacity samples where maxX is beyond the buffer.
    if (!series->oszi() && plot->maxX != 0) {
        const quint32 sweep = quint32(FloatSeriesData::clampedCapacity(plot->maxX));
        if (series->sampleCount() % sweep == 0) {
            if (!series->history())
                series->clearSamples();
            plot->setTimeBase(double(series->sampleCount()));
        }
    }

    // The automatic y scale only widens: the lower end takes the sample as
    // it is, the upper end the next whole number up.
    bool rescale = false;
    if (plot->autoScaleMinY && sample < plot->minY) {
        plot->minY = sample;
        rescale = true;
    }
    if (plot->autoScaleMaxY && sample > plot->maxY) {
        plot->maxY = std::ceil(sample);
        rescale = true;
    }
    if (rescale)
        plot->setAxisScale(QwtPlot::yLeft, double(plot->minY), double(plot->maxY), 0.0);
    plot->requestReplot();
}
