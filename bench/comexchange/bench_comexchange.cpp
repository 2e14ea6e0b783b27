// The periodic exchange thread with 20 communication entries (periods 10 to
// 200 ms) against a pseudo-terminal adapter that answers every request at
// once. This thread plays the window: it sends the requests and takes the
// replies as the window's sendUSB and recData do. Prints the exchange
// thread's own CPU time (the exchanges themselves run here) and how late
// each exchange started against its due time.
#include "pollentries.h"
#include "pollingthreads.h"
#include "ptypeer.h"
#include "tyklink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

double cpuMs(const rusage &usage)
{
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double threadCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return cpuMs(usage);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;

    PtyPeer peer;
    if (!peer.isValid()) {
        std::fprintf(stderr, "no pseudo-terminal\n");
        return 1;
    }
    std::atomic_bool peerStop{false};
    std::atomic<long> answered{0};
    peer.play([&](PtyPeer &p) {
        const QByteArray reply(64, char(0x5A));
        while (!peerStop.load()) {
            if (p.readExactly(2, 20).size() == 2) {
                p.write(reply);
                answered.fetch_add(1);
            }
        }
    });

    TykLink link(peer.slaveName());
    if (!link.isConnected()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(peer.slaveName()));
        return 1;
    }

    std::vector<ComPollEntry> entries(20);
    QList<ComPollEntry *> list;
    for (int i = 0; i < int(entries.size()); ++i) {
        entries[size_t(i)].sendData = QStringLiteral("R%1").arg(QChar('A' + i));
        entries[size_t(i)].receiveData = QStringLiteral("2:A;?;4:B");
        entries[size_t(i)].intervalMs = quint32(10 * (i + 1));
        entries[size_t(i)].timeoutMs = 100;
        list << &entries[size_t(i)];
    }

    std::atomic_bool running{true};
    SerialComThread thread(running, list, [&link] { return &link; });
    long replies = 0;
    QObject::connect(&thread, &SerialComThread::changed_sendUSB, &application,
                     [&link](const QString &values) { link.transfer(values.toLatin1()); }, Qt::QueuedConnection);
    QObject::connect(&thread, &SerialComThread::changed_recData, &application,
                     [&link, &replies](const QString &) {
                         if (link.getReceivedData().size() >= 7)
                             ++replies;
                     },
                     Qt::QueuedConnection);
    // Filled on the exchange thread only, read after it has stopped.
    std::vector<qint64> lateness;
    lateness.reserve(size_t(seconds) * 2000);
    double workerCpuMs = 0;
    QObject::connect(&thread, &SerialComThread::exchangeStarted, &thread,
                     [&](qint64 lateNsecs) {
                         lateness.push_back(lateNsecs);
                         workerCpuMs = threadCpuMs();
                     },
                     Qt::DirectConnection);

    const double guiCpuBefore = threadCpuMs();
    QElapsedTimer wall;
    wall.start();
    thread.start();
    QTimer::singleShot(seconds * 1000, &application, &QCoreApplication::quit);
    application.exec();
    stopPollingThread(&thread, running);
    const double wallMs = double(wall.elapsed());
    const double guiCpuMs = threadCpuMs() - guiCpuBefore;
    peerStop.store(true);
    peer.join();

    std::sort(lateness.begin(), lateness.end());
    const auto percentile = [&](double p) {
        if (lateness.empty())
            return 0.0;
        const size_t at = std::min(lateness.size() - 1, size_t(p * double(lateness.size())));
        return lateness[at] / 1e6;
    };
    const SerialComThread::Statistics stats = thread.statistics();
    double expected = 0;
    for (const ComPollEntry &entry : entries)
        expected += wallMs / entry.intervalMs;

    std::printf("entries:               20 (periods 10..200 ms), %d s\n", seconds);
    std::printf("exchanges:             %llu (about %.0f due), replies unpacked %ld, time-outs %llu, "
                "peer answers %ld\n",
                static_cast<unsigned long long>(stats.exchanges), expected, replies,
                static_cast<unsigned long long>(stats.timeouts), answered.load());
    std::printf("exchange thread CPU:   %.1f ms of %.0f ms = %.3f %% of a core (goal < 2 %%)\n", workerCpuMs, wallMs,
                100.0 * workerCpuMs / wallMs);
    std::printf("GUI side (exchanges):  %.1f ms = %.3f %% of a core\n", guiCpuMs, 100.0 * guiCpuMs / wallMs);
    std::printf("start late vs due:     median %.3f ms, p99 %.3f ms, max %.3f ms (goal within 5 ms)\n",
                percentile(0.5), percentile(0.99), lateness.empty() ? 0.0 : lateness.back() / 1e6);
    return 0;
}
