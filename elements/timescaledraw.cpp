#include "timescaledraw.h"

#include <QString>
#include <QTime>

#include <cmath>
#include <limits>

// A label value as an unsigned 32-bit number: the fraction dropped, values
// outside the range taken as its nearest end, not-a-number as 0.
static quint32 wholeLabel(float t)
{
    if (std::isnan(t) || t <= 0.0f)
        return 0;
    if (double(t) >= double(std::numeric_limits<quint32>::max()))
        return std::numeric_limits<quint32>::max();
    return quint32(t);
}

QwtText TimeScaleDraw::label(double value) const
{
    const float t = float((m_offset + value) * m_xFactor);
    if (m_xScaleFormat == 1) {
        // The time of day: only minutes and seconds show, so an hour wraps.
        // Whole days are taken off first so that the seconds fit an int.
        double seconds = std::isfinite(t) ? std::trunc(double(t)) : 0.0;
        seconds = std::fmod(seconds, 86400.0);
        if (seconds < 0)
            seconds += 86400.0;
        return QwtText(QTime(0, 0).addSecs(int(seconds)).toString(QStringLiteral("mm:ss")));
    }
    return QwtText(QString::number(wholeLabel(t)));
}

void TimeScaleDraw::setOffset(double offset)
{
    m_offset = offset;
    invalidateCache();
}
