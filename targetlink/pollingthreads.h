#pragma once

#include <QList>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

struct ComPollEntry;
struct VarPollEntry;
class TykLink;

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

// The periodic exchange thread. It walks the panel's exchange list and, for
// each due entry, asks the GUI thread to send the request (changed_sendUSB,
// connected queued to the window's sendUSB), waits for the reply to hold the
// bytes the entry's receive list takes, and has the GUI thread unpack it
// (changed_recData, connected queued to the window's recData). The worker
// never touches the adapter's port: it only reads the length of the link's
// reply. Between exchanges it sleeps until the next entry is due; it runs
// while its run flag is set, and stopPollingThread() wakes it from any wait.
//
// The link is looked up through the given function on the GUI thread only
// (after each request), so a link the window creates later is picked up
// without the worker reading the window's pointer. The list is the panel's,
// taken when the thread is made, as for SeggerThread.
class SerialComThread : public QThread
{
    Q_OBJECT
public:
    using LinkLookup = std::function<TykLink *()>;

    SerialComThread(const std::atomic_bool &running, QList<ComPollEntry *> entries, LinkLookup link);

    // Ends the current sleep or wait at once.
    void wake();

    // The reply bytes a receive list takes: one per item, or the absolute
    // count of an item "count:destination" (an unreadable count is 0).
    static quint16 neededReplyBytes(const QString &receiveList);

    struct Statistics {
        quint64 exchanges = 0;   // requests sent
        quint64 replies = 0;     // replies handed on for unpacking
        quint64 timeouts = 0;    // replies that stayed short
    };
    Statistics statistics() const;

signals:
    void changed_sendUSB(const QString &values);
    void changed_recData(const QString &values);
    // Emitted by the worker when an exchange starts: how late against its due
    // time, in ns (measurement only).
    void exchangeStarted(qint64 lateNsecs);

protected:
    void run() override;

private:
    struct Slot;
    void exchange(Slot &slot);
    void lookUpLink(quint64 ticket);
    // Waits until the GUI thread has carried out the request of ticket (true;
    // link: the window's link then, maybe null) or the run flag drops.
    bool waitForRequest(quint64 ticket, TykLink *&link);
    // Waits up to nsecs or until woken; false once the run flag dropped.
    bool pause(qint64 nsecs);

    const std::atomic_bool &m_running;
    const QList<ComPollEntry *> m_entries;
    const LinkLookup m_lookUp;

    std::mutex m_mutex;
    std::condition_variable m_wakeUp;
    quint64 m_doneTicket = 0;          // last request the GUI thread carried out
    TykLink *m_doneLink = nullptr;     // the link at that moment
    std::atomic<TykLink *> m_link{nullptr};
    std::atomic_bool m_lookUpPending{false};
    quint64 m_ticket = 0;              // worker only

    std::atomic<quint64> m_exchanges{0};
    std::atomic<quint64> m_replies{0};
    std::atomic<quint64> m_timeouts{0};
};

// Stops a polling thread: clears its flag, wakes it and waits until it has
// left run(). A thread inside a J-Link call finishes that call first.
void stopPollingThread(QThread *thread, std::atomic_bool &running);
