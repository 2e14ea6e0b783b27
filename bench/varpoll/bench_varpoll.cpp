// The memory polling thread against the J-Link simulator.
//
//   bench_varpoll [seconds] [variables] [interval-ms] [read-delay-us]
//                                             (default: 10 200 10 20)
//
// The simulator library is the one QUILLMATE_JLINK_LIBRARY names, else
// libjlinksim.so beside this program. Two runs of `seconds` each, over
// `variables` 4-byte variables polled every `interval-ms` ms, none of whose
// values changes:
//   1. the simulator answers at once: the polling thread's CPU share (its
//      thread CPU clock), printed once a second with the resident memory;
//   2. every ReadMem waits `read-delay-us` first, as a probe would: the time
//      of one poll pass against the time the simulator spent inside ReadMem
//      for the same reads.
// Each run ends with its totals; the memory line shows growth over the run.
#include "dataclass.h"
#include "jlink.h"
#include "pollentries.h"
#include "pollingthreads.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSemaphore>
#include <QTimer>

#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr quint32 ram = 0x20000000;

using ReadTime = unsigned long long (*)();
using ReadCount = unsigned long long (*)();
using SetReadDelay = void (*)(unsigned microseconds);

long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

qint64 threadCpuNsecs(pthread_t thread)
{
    clockid_t clock;
    timespec time{};
    if (pthread_getcpuclockid(thread, &clock) != 0 || clock_gettime(clock, &time) != 0)
        return -1;
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

struct Totals {
    double cpuPercent = 0;
    double passUs = 0;
    double simulatorUs = 0;
    long rssStartKb = 0;
    long rssEndKb = 0;
    long rssMaxKb = 0;
};

Totals runOnce(int seconds, int variables, quint32 intervalMs, ReadTime readTime, ReadCount readCount)
{
    std::vector<std::unique_ptr<DataClass>> targets;
    std::vector<std::unique_ptr<VarPollEntry>> entries;
    QList<VarPollEntry *> pollList;
    for (int i = 0; i < variables; ++i) {
        targets.push_back(std::make_unique<DataClass>(QStringLiteral("V%1").arg(i)));
        auto entry = std::make_unique<VarPollEntry>();
        entry->address = ram + quint32(4 * i);
        entry->byteSize = 4;
        entry->intervalMs = intervalMs;
        entry->target = targets.back().get();
        targets.back()->entry = entry.get();
        pollList << entry.get();
        entries.push_back(std::move(entry));
    }

    std::atomic_bool running{true};
    SeggerThread thread(running, pollList);
    pthread_t pollThread{};
    QSemaphore started;
    QObject::connect(&thread, &QThread::started, &thread, [&] {
        pollThread = pthread_self();
        started.release();
    }, Qt::DirectConnection);

    const unsigned long long readNsBefore = readTime();
    const unsigned long long readsBefore = readCount();
    thread.start();
    started.acquire();

    Totals totals;
    totals.rssStartKb = residentKb();
    totals.rssMaxKb = totals.rssStartKb;
    // The first pass hands on every value once; idle is what follows.
    QThread::msleep(200);
    qint64 cpuBefore = threadCpuNsecs(pollThread);
    const qint64 cpuStart = cpuBefore;
    QElapsedTimer clock;
    clock.start();
    qint64 lastMs = 0;
    for (int second = 1; second <= seconds; ++second) {
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        const qint64 cpu = threadCpuNsecs(pollThread);
        const qint64 nowMs = clock.elapsed();
        const long rss = residentKb();
        totals.rssMaxKb = std::max(totals.rssMaxKb, rss);
        const SeggerThread::Statistics statistics = thread.statistics();
        std::printf("  %2ds  polling thread CPU %6.3f %%  passes %7llu  reads %9llu  errors %llu  RSS %ld kB\n",
                    second, 100.0 * double(cpu - cpuBefore) / (1e6 * double(nowMs - lastMs)),
                    static_cast<unsigned long long>(statistics.passes),
                    static_cast<unsigned long long>(statistics.reads),
                    static_cast<unsigned long long>(statistics.readErrors), rss);
        std::fflush(stdout);
        cpuBefore = cpu;
        lastMs = nowMs;
    }
    const qint64 cpuEnd = threadCpuNsecs(pollThread);
    const qint64 runMs = clock.elapsed();
    stopPollingThread(&thread, running);

    const SeggerThread::Statistics statistics = thread.statistics();
    const unsigned long long reads = readCount() - readsBefore;
    const double simulatorNs = double(readTime() - readNsBefore);
    totals.cpuPercent = 100.0 * double(cpuEnd - cpuStart) / (1e6 * double(runMs));
    // Every pass reads all variables: they share one period and one start.
    totals.passUs = double(statistics.busyNsecs) / 1e3 / double(statistics.passes);
    totals.simulatorUs = simulatorNs / 1e3 / (double(reads) / double(variables));
    totals.rssEndKb = residentKb();
    totals.rssMaxKb = std::max(totals.rssMaxKb, totals.rssEndKb);
    return totals;
}

// The CPU goal holds for the idle run; with a read delay the thread's CPU is
// mostly the simulator's own sleeping.
void printTotals(const Totals &totals, bool cpuGoal)
{
    std::printf("  polling thread CPU over the run: %.3f %% of a core%s\n", totals.cpuPercent,
                cpuGoal ? " (goal < 1 %)" : "");
    std::printf("  one pass: %.1f us; simulator inside ReadMem for its reads: %.1f us; ratio %.3f%s\n",
                totals.passUs, totals.simulatorUs, totals.passUs / totals.simulatorUs,
                cpuGoal ? "" : " (goal <= 1.1)");
    std::printf("  resident memory: %ld kB at the start, %ld kB at the end, %ld kB at most\n",
                totals.rssStartKb, totals.rssEndKb, totals.rssMaxKb);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int seconds = arguments.size() > 1 ? arguments.at(1).toInt() : 10;
    const int variables = arguments.size() > 2 ? arguments.at(2).toInt() : 200;
    const quint32 intervalMs = arguments.size() > 3 ? arguments.at(3).toUInt() : 10;
    const unsigned delayUs = arguments.size() > 4 ? arguments.at(4).toUInt() : 20;
    if (seconds <= 0 || variables <= 0 || variables > 65536 || intervalMs == 0) {
        std::fprintf(stderr, "usage: bench_varpoll [seconds] [variables] [interval-ms] [read-delay-us]\n");
        return 2;
    }

    if (qEnvironmentVariableIsEmpty("QUILLMATE_JLINK_LIBRARY"))
        qputenv("QUILLMATE_JLINK_LIBRARY",
                QFile::encodeName(QCoreApplication::applicationDirPath() + QStringLiteral("/libjlinksim.so")));
    if (JLink::loadJLinkDll(false)) {
        std::fprintf(stderr, "cannot load the simulator %s\n", qgetenv("QUILLMATE_JLINK_LIBRARY").constData());
        return 1;
    }
    const auto readTime = reinterpret_cast<ReadTime>(JLink::resolveJLinkFunction("jlinksim_read_time_ns"));
    const auto readCount = reinterpret_cast<ReadCount>(JLink::resolveJLinkFunction("jlinksim_read_count"));
    const auto setReadDelay =
        reinterpret_cast<SetReadDelay>(JLink::resolveJLinkFunction("jlinksim_set_read_delay_us"));
    if (!readTime || !readCount || !setReadDelay) {
        std::fprintf(stderr, "the library is no jlinksim\n");
        return 1;
    }

    std::printf("%d variables of 4 bytes, every %u ms, values unchanged, %d s per run\n", variables, intervalMs,
                seconds);
    std::printf("run 1: ReadMem answers at once\n");
    setReadDelay(0);
    printTotals(runOnce(seconds, variables, intervalMs, readTime, readCount), true);
    std::printf("run 2: ReadMem waits %u us first\n", delayUs);
    setReadDelay(delayUs);
    printTotals(runOnce(seconds, variables, intervalMs, readTime, readCount), false);
    setReadDelay(0);
    return 0;
}
