#pragma once

#include <QtGlobal>

#include <qwt_scale_draw.h>
#include <qwt_text.h>

// The bottom axis of a plot. A tick at x is labelled with the time
// (offset + x) * xFactor: as "mm:ss" for format 1, as a whole number for any
// other format. The refresh moves the offset to the running sample number at
// the start of each sweep, so the axis keeps counting across sweeps.
class TimeScaleDraw final : public QwtScaleDraw
{
public:
    TimeScaleDraw() = default;

    QwtText label(double value) const override;

    // Sets the offset and drops the cached labels; the caller updates the axis widget.
    void setOffset(double offset);
    double offset() const { return m_offset; }
    void setXFactor(double factor) { m_xFactor = factor; }
    double xFactor() const { return m_xFactor; }
    void setXScaleFormat(quint16 format) { m_xScaleFormat = format; }
    quint16 xScaleFormat() const { return m_xScaleFormat; }

private:
    double m_offset = 0.0;
    double m_xFactor = 1.0;
    quint16 m_xScaleFormat = 0;
};
