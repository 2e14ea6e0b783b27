#include "myqwtplot.h"

#include "floatseriesdata.h"
#include "timescaledraw.h"

#include <qwt_plot_curve.h>
#include <qwt_scale_widget.h>

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
