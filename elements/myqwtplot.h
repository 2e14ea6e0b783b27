#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QtGlobal>

#include <qwt_plot.h>

class FloatSeriesData;
class QwtPlotCurve;
class TimeScaleDraw;

// A plot of defines and variables over time, one curve per source. Each curve
// keeps its points in a FloatSeriesData; the bottom axis is a TimeScaleDraw.
// The axis ranges the plot shows now are minX..maxX and minY..maxY: setDef
// sets them and the automatic y scale widens minY and maxY. The ranges the
// panel gave are kept apart as presets, which reset() goes back to.
class MyQwtPlot : public QwtPlot
{
    Q_OBJECT
public:
    explicit MyQwtPlot(QWidget *parent = nullptr);

    // The panel's ranges: the presets and the current ranges both.
    void setPresetRanges(quint32 presetMinX, quint32 presetMaxX, float presetMinY, float presetMaxY);
    quint32 presetMinX() const { return m_presetMinX; }
    quint32 presetMaxX() const { return m_presetMaxX; }
    float presetMinY() const { return m_presetMinY; }
    float presetMaxY() const { return m_presetMaxY; }

    // Empties every curve (its capacity taken from the preset maxX, clamped
    // to the buffer), goes back to the preset ranges and sets both axis
    // scales. Does not redraw.
    void reset();
    // Shows curve i when bit i of mask is set. Items that are no curves take
    // no bit; the 33rd curve uses bit 0 again. Does not redraw.
    void setCurveVisibility(uint mask);
    // Every curve's sample capacity, clamped to the buffer.
    void setCurveCapacity(qint64 capacity);

    // The bottom axis' scale draw; null when something else replaced it.
    TimeScaleDraw *timeScaleDraw();
    // Moves the bottom axis labels to start at offset and repaints the axis.
    void setTimeBase(double offset);

    // A replot for a new sample. With coalescing on (the default) requests
    // are served by one deferred replot at most once a display frame
    // (replotInterval): the screen cannot show more, so what the user sees is
    // the same, and a source that changes a thousand times a second does not
    // redraw the plot a thousand times. Off, every request replots at once.
    void requestReplot();
    static constexpr int replotInterval = 16; // ms, about 60 frames a second
    void setReplotCoalescing(bool on) { m_coalesceReplots = on; }
    bool replotCoalescing() const { return m_coalesceReplots; }
    // Replots served since the plot was made (deferred and immediate).
    quint64 replotCount() const { return m_replotCount; }
    void replot() override;

    // The sample store of a curve; null for a curve that has none.
    static FloatSeriesData *seriesOf(QwtPlotCurve *curve);
    // Appends a new sample to curve: a complete sweep empties the curve (unless
    // it keeps its history) and moves the time base on, an automatic y scale
    // widens to take the sample, and the plot asks for a replot. A curve
    // without sample store is left alone; one on no plot of ours only keeps
    // the sample.
    static void appendSample(QwtPlotCurve *curve, float sample);

    bool autoScaleMinY = false;
    bool autoScaleMaxY = false;
    // The axis ranges the plot shows now.
    float minY = 0.0f;
    float maxY = 0.0f;
    quint32 minX = 0;
    quint32 maxX = 0;
    uint curveMask = 0xffff; // bit i: curve i visible

private:
    quint32 m_presetMinX = 0;
    quint32 m_presetMaxX = 0;
    float m_presetMinY = 0.0f;
    float m_presetMaxY = 0.0f;
    bool m_coalesceReplots = true;
    bool m_replotPending = false;
    QTimer m_replotTimer;
    QElapsedTimer m_sinceReplot;
    quint64 m_replotCount = 0;
};
