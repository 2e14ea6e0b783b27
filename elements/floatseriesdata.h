#pragma once

#include <QPointF>
#include <QRectF>

#include <qwt_series_data.h>

#include <array>
#include <cstddef>

// The points of one plot curve: a fixed buffer of single-precision samples
// that is filled one value at a time. In sweep mode the newest sample goes
// round the buffer like the beam of a storage oscilloscope; in scroll mode the
// strip moves left by one once it is full, so the newest sample stays at the
// right end. Slot i is drawn at x = i.
//
// The buffer lives inside the object: appending never allocates, and a curve
// fed for hours keeps the same memory.
class FloatSeriesData final : public QwtSeriesData<QPointF>
{
public:
    // Slots in the buffer: the largest capacity.
    static constexpr int maxCapacity = 20000;

    // A capacity the buffer can hold: requested clamped to 1..maxCapacity.
    static int clampedCapacity(qint64 requested);

    explicit FloatSeriesData(int capacity = 1000, bool scrolling = false, bool keepHistory = true);

    // Adds one sample: see the class comment.
    void append(float value);
    // Every slot and every counter back to 0.
    void clear();
    // Empties the view for a new sweep: slots, size and write index to 0; the
    // running sample number goes on.
    void clearSamples();

    // The number of samples shown, clamped to 1..maxCapacity. Samples that no
    // longer fit are dropped (a strip keeps its newest ones), so nothing
    // beyond the new capacity is drawn or written.
    void setCapacity(qint64 capacity);
    int capacity() const { return m_capacity; }
    int writeIndex() const { return m_writeIndex; }
    // Samples appended since the last clear().
    quint32 sampleCount() const { return m_sampleCount; }
    // Scroll mode (true) or sweep mode (false).
    bool oszi() const { return m_oszi; }
    void setOszi(bool on);
    // false: the refresh empties the curve at the start of each sweep; true:
    // the old sweep stays and is overwritten point by point.
    bool history() const { return m_history; }
    void setHistory(bool on) { m_history = on; }
    // The value in slot (0 to capacity - 1), as drawn at x = slot.
    float value(int slot) const { return m_samples[physical(slot)]; }

    // QwtSeriesData
    size_t size() const override { return std::size_t(m_size); }
    QPointF sample(size_t i) const override;
    // A fixed rectangle: the plot scales its axes itself, never from the data.
    QRectF boundingRect() const override;

private:
    std::size_t physical(std::size_t slot) const;
    // Puts slot 0 of a scrolled strip back at the start of the buffer.
    void unrollStrip();

    int m_capacity;
    int m_writeIndex = 0;
    quint32 m_sampleCount = 0;
    int m_size = 0;
    bool m_oszi;
    bool m_history;
    // A full strip scrolls by moving this start instead of every sample:
    // slot k is m_samples[(m_start + k) % capacity].
    int m_start = 0;
    std::array<float, maxCapacity> m_samples;
};
