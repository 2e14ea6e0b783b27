#include "pollingthreads.h"

#include "dataclass.h"
#include "errorreporter.h"
#include "jlink.h"
#include "pollentries.h"
#include "tyklink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QVector>

#include <algorithm>
#include <chrono>
#include <limits>

namespace {

constexpr quint32 noAddress = 0xFFFFFFFF;
constexpr quint32 everyPass = 0xFFFFFFFF;
// "Every pass" still leaves the probe and the processor this much room.
constexpr qint64 minPassPeriodMs = 1;
// The longest sleep: a run flag cleared without a wake is seen this soon.
constexpr qint64 maxSleepMs = 100;

bool pollable(const VarPollEntry *entry)
{
    return entry && entry->target && entry->intervalMs != 0 && entry->byteSize != 0
        && entry->address != noAddress;
}

} // namespace

// The thread's own state of one polled entry.
struct SeggerThread::Slot {
    VarPollEntry *entry = nullptr;
    qint64 periodNsecs = 0;
    qint64 dueNsecs = 0;     // on the run's clock; 0: at once
    bool read = false;       // a read of this run succeeded
    bool reported = false;   // a failed read was reported
};

SeggerThread::SeggerThread(const std::atomic_bool &running, QList<VarPollEntry *> entries)
    : m_running(running)
    , m_entries(std::move(entries))
{
}

void SeggerThread::wake()
{
    const std::lock_guard<std::mutex> locker(m_sleepMutex);
    m_wakeUp.notify_all();
}

SeggerThread::Statistics SeggerThread::statistics() const
{
    Statistics result;
    result.passes = m_passes.load();
    result.reads = m_reads.load();
    result.readErrors = m_readErrors.load();
    result.busyNsecs = m_busyNsecs.load();
    return result;
}

void SeggerThread::run()
{
    // One monotonic clock for the whole run; each slot keeps its next due
    // time on it.
    QElapsedTimer clock;
    clock.start();
    QVector<Slot> polled;
    for (VarPollEntry *entry : m_entries) {
        if (!pollable(entry))
            continue;
        entry->lastValue = 0;
        entry->lastPoll.invalidate();
        Slot slot;
        slot.entry = entry;
        slot.periodNsecs = (entry->intervalMs == everyPass ? minPassPeriodMs : qint64(entry->intervalMs)) * 1000000;
        polled.append(slot);
    }
    QByteArray block;

    while (m_running.load()) {
        QElapsedTimer pass;
        pass.start();
        const qint64 nowNsecs = clock.nsecsElapsed();
        qint64 nextDueNsecs = nowNsecs + maxSleepMs * 1000000;
        quint64 reads = 0;
        bool readAny = false;
        for (Slot &slot : polled) {
            if (slot.dueNsecs <= nowNsecs) {
                slot.dueNsecs = nowNsecs + slot.periodNsecs;
                slot.entry->lastPoll = pass;
                reads += poll(slot, block) ? 1 : 0;
                readAny = true;
            }
            nextDueNsecs = std::min(nextDueNsecs, slot.dueNsecs);
        }
        if (readAny) {
            m_reads.fetch_add(reads);
            m_busyNsecs.fetch_add(pass.nsecsElapsed());
            m_passes.fetch_add(1);
        }
        sleepFor(std::max(minPassPeriodMs * 1000000, nextDueNsecs - clock.nsecsElapsed()));
    }
}

// One due entry; true when it was read.
bool SeggerThread::poll(Slot &slot, QByteArray &block)
{
    VarPollEntry *entry = slot.entry;

    if (entry->byteSize > 4) {
        // Blocks are read for the variable's accessors; nothing is handed on.
        if (!entry->target->hasBuffer())
            return false;
        block.resize(int(entry->byteSize));
        if (JLink::JLINKARM_ReadMem(entry->address, entry->byteSize, block.data()) != 0) {
            readFailed(slot);
            return false;
        }
        entry->target->storeBlock(block);
        return true;
    }

    uchar bytes[4] = {0, 0, 0, 0};
    if (JLink::JLINKARM_ReadMem(entry->address, entry->byteSize, bytes) != 0) {
        readFailed(slot);
        return false;
    }
    const quint32 word = quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16
        | quint32(bytes[3]) << 24;

    if (!slot.read) {
        // The first read always counts: the variable may hold a default the
        // target does not. A write made before it goes out instead.
        slot.read = true;
        entry->lastValue = word;
        if (entry->target->firstRead())
            entry->target->takePolledValue(word);
        return true;
    }
    if (word == entry->lastValue && !entry->forceSet)
        return true;
    entry->lastValue = word;
    entry->target->takePolledValue(word);
    return true;
}

// A refused read hands nothing on. The first one of each variable is
// reported (on the GUI thread); the entry is tried again when next due.
void SeggerThread::readFailed(Slot &slot)
{
    m_readErrors.fetch_add(1);
    if (slot.reported)
        return;
    slot.reported = true;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return;
    const VarPollEntry *entry = slot.entry;
    const QString message = QStringLiteral("Cannot read %1 bytes at 0x%2 through J-Link for the variable %3. "
                                           "Polling goes on.")
                                .arg(entry->byteSize)
                                .arg(entry->address, 8, 16, QLatin1Char('0'))
                                .arg(entry->target->objectName());
    QMetaObject::invokeMethod(application, [message] { reportError(message); }, Qt::QueuedConnection);
}

void SeggerThread::sleepFor(qint64 nsecs)
{
    std::unique_lock<std::mutex> locker(m_sleepMutex);
    // Tested under the lock that wake() takes, so a stop cannot slip in
    // between the test and the wait.
    if (!m_running.load())
        return;
    m_wakeUp.wait_for(locker, std::chrono::nanoseconds(nsecs));
}

// ---------------------------------------------------------------------------
// SerialComThread

// The thread's own state of one exchange entry.
struct SerialComThread::Slot {
    ComPollEntry *entry = nullptr;
    qint64 periodNsecs = 0;
    qint64 timeoutNsecs = 0;
    qint64 dueNsecs = 0;
};

SerialComThread::SerialComThread(const std::atomic_bool &running, QList<ComPollEntry *> entries, LinkLookup link)
    : m_running(running)
    , m_entries(std::move(entries))
    , m_lookUp(std::move(link))
{
}

void SerialComThread::wake()
{
    const std::lock_guard<std::mutex> locker(m_mutex);
    m_wakeUp.notify_all();
}

quint16 SerialComThread::neededReplyBytes(const QString &receiveList)
{
    if (receiveList.isEmpty())
        return 0;
    qint64 total = 0;
    const QStringList items = receiveList.split(QLatin1Char(';'));
    for (const QString &item : items) {
        const QStringList parts = item.split(QLatin1Char(':'));
        if (parts.size() != 2) {
            total += 1;
            continue;
        }
        bool ok = false;
        const qint64 count = parts.first().toLongLong(&ok, 10);
        if (ok)
            total += count < 0 ? -count : count;
        // A reply never holds more than 64 KiB; a larger sum stays there.
        total = std::min<qint64>(total, std::numeric_limits<quint16>::max());
    }
    return quint16(total);
}

SerialComThread::Statistics SerialComThread::statistics() const
{
    Statistics result;
    result.exchanges = m_exchanges.load();
    result.replies = m_replies.load();
    result.timeouts = m_timeouts.load();
    return result;
}

void SerialComThread::run()
{
    // One monotonic clock for the whole run; each slot keeps its next due
    // time on it.
    QElapsedTimer clock;
    clock.start();
    QVector<Slot> planned;
    for (ComPollEntry *entry : m_entries) {
        if (!entry)
            continue;
        entry->lastTick = 0;
        entry->neededBytes = neededReplyBytes(entry->receiveData);
        if (entry->intervalMs == 0)
            continue;
        Slot slot;
        slot.entry = entry;
        slot.periodNsecs = qint64(entry->intervalMs) * 1000000;
        slot.timeoutNsecs = qint64(entry->timeoutMs) * 1000000;
        slot.dueNsecs = slot.periodNsecs;
        planned.append(slot);
    }
    m_link.store(nullptr);
    m_lookUpPending.store(false);
    // The window may already have its link: look it up before the first
    // entry is due.
    lookUpLink(0);

    while (m_running.load()) {
        // The most overdue entry goes first; the others wait behind it.
        const qint64 nowNsecs = clock.nsecsElapsed();
        Slot *due = nullptr;
        qint64 nextDueNsecs = nowNsecs + maxSleepMs * 1000000;
        for (Slot &slot : planned) {
            if (slot.dueNsecs <= nowNsecs && (!due || slot.dueNsecs < due->dueNsecs))
                due = &slot;
            nextDueNsecs = std::min(nextDueNsecs, slot.dueNsecs);
        }
        if (!due) {
            pause(std::max(minPassPeriodMs * 1000000, nextDueNsecs - nowNsecs));
            continue;
        }
        // Periods count from the start of the exchange, so a late one does
        // not make the next ones pile up.
        const qint64 lateNsecs = nowNsecs - due->dueNsecs;
        due->dueNsecs = nowNsecs + due->periodNsecs;
        due->entry->lastTick = nowNsecs;
        if (m_link.load()) {
            emit exchangeStarted(lateNsecs);
            exchange(*due);
        } else {
            // Nothing to send through; a link made later is picked up by the
            // look-up.
            lookUpLink(0);
        }
    }
}

// One due exchange: the request, the wait for its reply and the hand-over
// for unpacking.
void SerialComThread::exchange(Slot &slot)
{
    const ComPollEntry *entry = slot.entry;
    const quint64 ticket = ++m_ticket;
    m_exchanges.fetch_add(1);
    // The window packs and transfers the request on the GUI thread; the
    // transfer clears the previous reply first. The look-up queued behind it
    // runs once the transfer is done, so the wait below never takes the
    // reply of an earlier request for this one.
    emit changed_sendUSB(entry->sendData);
    lookUpLink(ticket);
    TykLink *link = nullptr;
    if (!waitForRequest(ticket, link) || !link)
        return;

    QElapsedTimer waited;
    waited.start();
    while (true) {
        if (link->replyLength() >= int(entry->neededBytes)) {
            m_replies.fetch_add(1);
            if (!entry->receiveData.isEmpty())
                emit changed_recData(entry->receiveData);
            return;
        }
        if (waited.nsecsElapsed() >= slot.timeoutNsecs)
            break;
        if (!pause(std::min<qint64>(1000000, slot.timeoutNsecs - waited.nsecsElapsed())))
            return;
    }
    m_timeouts.fetch_add(1);
}

// Queues a look-up of the window's link on the GUI thread, behind every
// request emitted so far. ticket 0 only refreshes the link.
void SerialComThread::lookUpLink(quint64 ticket)
{
    if (ticket == 0 && m_lookUpPending.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this, ticket] {
            TykLink *link = m_lookUp ? m_lookUp() : nullptr;
            m_link.store(link);
            const std::lock_guard<std::mutex> locker(m_mutex);
            if (ticket == 0) {
                m_lookUpPending.store(false);
                return;
            }
            m_doneTicket = ticket;
            m_doneLink = link;
            m_wakeUp.notify_all();
        },
        Qt::QueuedConnection);
}

bool SerialComThread::waitForRequest(quint64 ticket, TykLink *&link)
{
    std::unique_lock<std::mutex> locker(m_mutex);
    m_wakeUp.wait(locker, [&] { return !m_running.load() || m_doneTicket >= ticket; });
    if (m_doneTicket < ticket)
        return false;
    link = m_doneLink;
    return true;
}

bool SerialComThread::pause(qint64 nsecs)
{
    std::unique_lock<std::mutex> locker(m_mutex);
    // Tested under the lock that wake() takes, so a stop cannot slip in
    // between the test and the wait.
    if (!m_running.load())
        return false;
    m_wakeUp.wait_for(locker, std::chrono::nanoseconds(nsecs));
    return m_running.load();
}

void stopPollingThread(QThread *thread, std::atomic_bool &running)
{
    running.store(false);
    if (!thread)
        return;
    if (auto *segger = qobject_cast<SeggerThread *>(thread))
        segger->wake();
    else if (auto *serial = qobject_cast<SerialComThread *>(thread))
        serial->wake();
    thread->wait();
}
