#pragma once

#include <QList>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <mutex>

struct VarPollEntry;

// The memory polling thread. It reads the due entries of its poll list
// through J-Link and hands a changed value on to the entry's variable, whose
// signals then reach the GUI thread queued. Between passes it sleeps until the
// next entry is due; it runs while its run flag (owned by the main window) is
// set, and stopPollingThread() wakes it so that it leaves at once.
//
// The list is the panel's, taken when the thread is made: the reader fills it
// only while no polling thread runs.
class SeggerThread : public QThread
{
    Q_OBJECT
public:
    explicit SeggerThread(const std::atomic_bool &running, QList<VarPollEntry *> entries = {});

    // Ends the current sleep at once.
    void wake();

    struct Statistics {
        quint64 passes = 0;      // passes that read at least one entry
        quint64 reads = 0;       // reads that succeeded
        quint64 readErrors = 0;  // reads the probe refused (skipped)
        qint64 busyNsecs = 0;    // time spent in those passes
    };
    Statistics statistics() const;

protected:
    void run() override;

private:
    struct Slot;
    bool poll(Slot &slot, QByteArray &block);
    void readFailed(Slot &slot);
    void sleepFor(qint64 nsecs);

    const std::atomic_bool &m_running;
    const QList<VarPollEntry *> m_entries;
    std::mutex m_sleepMutex;
    std::condition_variable m_wakeUp;
    std::atomic<quint64> m_passes{0};
    std::atomic<quint64> m_reads{0};
    std::atomic<quint64> m_readErrors{0};
    std::atomic<qint64> m_busyNsecs{0};
};

class SerialComThread : public QThread
{
    Q_OBJECT
public:
    explicit SerialComThread(const std::atomic_bool &running) : m_running(running) {}

protected:
    void run() override;

private:
    const std::atomic_bool &m_running;
};

// Stops a polling thread: clears its flag, wakes it and waits until it has
// left run(). A thread inside a J-Link call finishes that call first.
void stopPollingThread(QThread *thread, std::atomic_bool &running);
