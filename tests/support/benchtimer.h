#pragma once

#include <QtGlobal>

#include <ctime>

// The wall clock, or with BENCH_CPU the processor time of the main thread
// (where the panel, the form and the event loop run).
class BenchTimer
{
public:
    void start() { m_start = now(); }
    void restart() { m_start = now(); }
    qint64 nsecsElapsed() const { return now() - m_start; }
    double elapsedMs() const { return double(nsecsElapsed()) / 1e6; }

private:
    static qint64 now()
    {
        static const bool cpu = qEnvironmentVariableIsSet("BENCH_CPU");
        if (!cpu)
            return monotonicNs();
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
    static qint64 monotonicNs()
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }

    qint64 m_start = 0;
};
