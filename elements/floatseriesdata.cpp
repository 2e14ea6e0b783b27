#include "floatseriesdata.h"

#include <QtGlobal>

#include <algorithm>

int FloatSeriesData::clampedCapacity(qint64 requested)
{
    return int(qBound<qint64>(1, requested, maxCapacity));
}

FloatSeriesData::FloatSeriesData(int capacity, bool scrolling, bool keepHistory)
    : m_capacity(clampedCapacity(capacity))
    , m_oszi(scrolling)
    , m_history(keepHistory)
{
    m_samples.fill(0.0f);
}

std::size_t FloatSeriesData::physical(std::size_t slot) const
{
    if (m_start == 0)
        return slot;
    const std::size_t index = std::size_t(m_start) + slot;
    return index < std::size_t(m_capacity) ? index : index - std::size_t(m_capacity);
}

void FloatSeriesData::append(float value)
{
    if (m_size < m_capacity)
        ++m_size;
    ++m_sampleCount;
    if (!m_oszi) {
        m_samples[std::size_t(m_writeIndex)] = value;
        if (++m_writeIndex >= m_capacity)
            m_writeIndex = 0;
        return;
    }
    if (m_writeIndex < m_capacity) {
        m_samples[physical(std::size_t(m_writeIndex))] = value;
        ++m_writeIndex;
        return;
    }
    // Full strip: the oldest sample gives its slot to the newest, and every
    // slot moves down by one.
    m_samples[std::size_t(m_start)] = value;
    if (++m_start >= m_capacity)
        m_start = 0;
}

void FloatSeriesData::clear()
{
    clearSamples();
    m_sampleCount = 0;
}

void FloatSeriesData::clearSamples()
{
    m_samples.fill(0.0f);
    m_size = 0;
    m_writeIndex = 0;
    m_start = 0;
}

void FloatSeriesData::unrollStrip()
{
    if (m_start == 0)
        return;
    std::rotate(m_samples.begin(), m_samples.begin() + m_start, m_samples.begin() + m_capacity);
    m_start = 0;
}

void FloatSeriesData::setOszi(bool on)
{
    unrollStrip();
    m_oszi = on;
}

void FloatSeriesData::setCapacity(qint64 capacity)
{
    unrollStrip();
    const int newCapacity = clampedCapacity(capacity);
    if (m_oszi) {
        // The strip keeps its newest samples and stays full.
        const int dropped = m_size - newCapacity;
        if (dropped > 0) {
            std::move(m_samples.begin() + dropped, m_samples.begin() + m_size, m_samples.begin());
            m_size = newCapacity;
        }
        m_writeIndex = qMin(m_writeIndex, newCapacity);
    } else {
        // A sweep goes on at the left edge.
        m_size = qMin(m_size, newCapacity);
        if (m_writeIndex >= newCapacity)
            m_writeIndex = 0;
    }
    m_capacity = newCapacity;
}

QPointF FloatSeriesData::sample(size_t i) const
{
    if (i >= std::size_t(m_capacity))
        return QPointF(double(i), 0.0);
    return QPointF(double(i), double(m_samples[physical(i)]));
}

QRectF FloatSeriesData::boundingRect() const
{
    return QRectF(0.0, 0.0, 400.0, 860.0);
}
