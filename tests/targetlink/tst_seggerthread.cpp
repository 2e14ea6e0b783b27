// The memory polling thread against the J-Link simulator: periods, what is
// handed on, read errors, held-back writes, the stop, and the way values
// reach the GUI thread.
#include "dataclass.h"
#include "errorreporter.h"
#include "jlink.h"
#include "jlinksim.h"
#include "pollentries.h"
#include "pollingthreads.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {

constexpr quint32 ram = 0x20000000;
constexpr quint32 unmapped = 0x40000000;
constexpr quint32 everyPass = 0xFFFFFFFF;

template <typename Fn>
Fn simulatorHelper(const char *name)
{
    return reinterpret_cast<Fn>(JLink::resolveJLinkFunction(name));
}

// A variable bound to simulated RAM, polled every `interval` ms.
struct Polled {
    Polled(const QString &name, quint32 address, quint32 size, quint32 interval)
        : variable(name)
    {
        entry.address = address;
        entry.byteSize = size;
        entry.intervalMs = interval;
        entry.readDone = interval == 0;
        entry.target = &variable;
        variable.entry = &entry;
    }

    DataClass variable;
    VarPollEntry entry;
};

// A polling thread over some entries, stopped when it goes.
class Poller
{
public:
    explicit Poller(const QList<VarPollEntry *> &entries)
        : m_thread(std::make_unique<SeggerThread>(m_running, entries))
    {
        m_running = true;
        m_thread->start();
    }
    ~Poller() { stop(); }

    void stop() { stopPollingThread(m_thread.get(), m_running); }
    SeggerThread *thread() const { return m_thread.get(); }

private:
    std::atomic_bool m_running{false};
    std::unique_ptr<SeggerThread> m_thread;
};

} // namespace

// Receives a variable's updates on the GUI thread.
class Recorder : public QObject
{
    Q_OBJECT
public:
    QList<uint> values;
    bool allOnGuiThread = true;

public slots:
    void record()
    {
        allOnGuiThread = allOnGuiThread && QThread::currentThread() == thread();
        if (auto *variable = qobject_cast<DataClass *>(sender()))
            values << variable->value();
    }
};

class SeggerThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void periodsAreHonoured();
    void unchangedValuesAreHandedOnOnlyWhenForced();
    void oneByteGivesExactlyTheByte();
    void polledValuesAreNotWrittenBack();
    void blocksAreReadWithoutSignals();
    void heldBackWriteGoesOutWithTheFirstPoll();
    void readErrorsAreSkippedAndReportedOnce();
    void stopEndsTheSleepAtOnce();
    void valuesReachTheGuiThreadInOrder();

private:
    void poke(quint32 address, const QByteArray &bytes) const;
    QByteArray peek(quint32 address, int count) const;
    // J-Link calls of the simulator's log that start with `prefix`.
    int loggedCalls(const QString &prefix) const;

    QTemporaryDir m_folder;
    QString m_callLog;
    QStringList m_reports;
    JLinkSimPeek m_peek = nullptr;
    JLinkSimPoke m_poke = nullptr;
    JLinkSimFail m_fail = nullptr;
    JLinkSimReset m_reset = nullptr;
};

void SeggerThreadTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_callLog = m_folder.filePath(QStringLiteral("calls.log"));
    qputenv("JLINKSIM_LOG", m_callLog.toLocal8Bit());
    qputenv("QUILLMATE_JLINK_LIBRARY", QByteArrayLiteral(JLINKSIM_PATH));
    JLink::unloadJLinkDll();
    QVERIFY(!JLink::loadJLinkDll(false));
    m_peek = simulatorHelper<JLinkSimPeek>("jlinksim_peek");
    m_poke = simulatorHelper<JLinkSimPoke>("jlinksim_poke");
    m_fail = simulatorHelper<JLinkSimFail>("jlinksim_fail");
    m_reset = simulatorHelper<JLinkSimReset>("jlinksim_reset");
    QVERIFY(m_peek && m_poke && m_fail && m_reset);
    ErrorReporter::instance().setSinks(false, true, false);
    ErrorReporter::instance().setConsoleSink([this](const QString &line) { m_reports << line; });
}

void SeggerThreadTest::cleanupTestCase()
{
    ErrorReporter::instance().setConsoleSink(nullptr);
}

void SeggerThreadTest::init()
{
    m_reset(); // starts the call log anew
    m_reports.clear();
}

void SeggerThreadTest::poke(quint32 address, const QByteArray &bytes) const
{
    QCOMPARE(m_poke(address, quint32(bytes.size()), bytes.constData()), 0);
}

QByteArray SeggerThreadTest::peek(quint32 address, int count) const
{
    QByteArray bytes(count, '\0');
    return m_peek(address, quint32(count), bytes.data()) == 0 ? bytes : QByteArray();
}

int SeggerThreadTest::loggedCalls(const QString &prefix) const
{
    QFile log(m_callLog);
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    int count = 0;
    while (!log.atEnd()) {
        if (QString::fromLatin1(log.readLine()).startsWith(prefix))
            ++count;
    }
    return count;
}

void SeggerThreadTest::periodsAreHonoured()
{
    Polled fast(QStringLiteral("FAST"), ram, 4, 20);
    Polled slow(QStringLiteral("SLOW"), ram + 4, 4, 100);
    Polled never(QStringLiteral("NEVER"), ram + 8, 4, 0);
    Polled always(QStringLiteral("ALWAYS"), ram + 12, 4, everyPass);
    QElapsedTimer elapsed;
    elapsed.start();
    {
        Poller poller({&fast.entry, &slow.entry, &never.entry, &always.entry});
        // Half a second at least; on a slow host (a sanitizer build among
        // other tests) until every entry has been read a few times.
        QTest::qWait(500);
        QTRY_VERIFY_WITH_TIMEOUT(loggedCalls(QStringLiteral("JLINKARM_ReadMem(0x20000004,")) >= 2
                                     && loggedCalls(QStringLiteral("JLINKARM_ReadMem(0x20000000,")) >= 5
                                     && loggedCalls(QStringLiteral("JLINKARM_ReadMem(0x2000000C,")) >= 20,
                                 10000);
        poller.stop();
    }
    const qint64 ms = elapsed.elapsed();
    const int fastReads = loggedCalls(QStringLiteral("JLINKARM_ReadMem(0x20000000,"));
    const int slowReads = loggedCalls(QStringLiteral("JLINKARM_ReadMem(0x20000004,"));
    const int alwaysReads = loggedCalls(QStringLiteral("JLINKARM_ReadMem(0x2000000C,"));
    // Never more often than the period allows; often enough to be polling at all.
    QVERIFY2(fastReads <= ms / 20 + 1 && fastReads >= 5, qPrintable(QString::number(fastReads)));
    QVERIFY2(slowReads <= ms / 100 + 1 && slowReads >= 2, qPrintable(QString::number(slowReads)));
    QCOMPARE(loggedCalls(QStringLiteral("JLINKARM_ReadMem(0x20000008,")), 0);
    // "Every pass" is read at most once a millisecond, not as fast as it can be.
    QVERIFY2(alwaysReads <= ms + 1 && alwaysReads >= 20, qPrintable(QString::number(alwaysReads)));
}

void SeggerThreadTest::unchangedValuesAreHandedOnOnlyWhenForced()
{
    // Both hold 0 in the target, which is also the variables' start value.
    poke(ram, QByteArray(8, '\0'));
    Polled plain(QStringLiteral("PLAIN"), ram, 4, 5);
    Polled forced(QStringLiteral("FORCED"), ram + 4, 4, 5);
    forced.entry.forceSet = 1;
    plain.variable.setValueFromBytes(QByteArray::fromHex("09")); // a default the target lacks
    QSignalSpy plainSpy(&plain.variable, &DataClass::updateLEDs);
    QSignalSpy forcedSpy(&forced.variable, &DataClass::updateLEDs);

    Poller poller({&plain.entry, &forced.entry});
    // The first read is handed on even though it equals the start word.
    QTRY_COMPARE(plainSpy.count(), 1);
    QCOMPARE(plain.variable.value(), 0u);
    QTRY_VERIFY(forcedSpy.count() >= 5);
    QCOMPARE(plainSpy.count(), 1);

    poke(ram, QByteArray::fromHex("01000000"));
    QTRY_COMPARE(plainSpy.count(), 2);
    QCOMPARE(plain.variable.value(), 1u);
    poller.stop();
    QVERIFY(plain.entry.readDone);
    QCOMPARE(plain.entry.lastValue, 1u);
}

void SeggerThreadTest::oneByteGivesExactlyTheByte()
{
    poke(ram, QByteArray::fromHex("7fffffff"));
    Polled byte(QStringLiteral("BYTE"), ram, 1, 5);
    byte.variable.setValueFromBytes(QByteArray::fromHex("ffffffff"));
    Poller poller({&byte.entry});
    QTRY_COMPARE(byte.variable.value(), 0x7Fu);
}

void SeggerThreadTest::polledValuesAreNotWrittenBack()
{
    poke(ram, QByteArray::fromHex("23010000"));
    Polled shifted(QStringLiteral("SHIFTED"), ram, 4, 5);
    shifted.entry.bitShift = 4;
    shifted.entry.readDone = 1; // writable from the start
    Poller poller({&shifted.entry});
    QTRY_COMPARE(shifted.variable.value(), 0x0123u);
    poke(ram, QByteArray::fromHex("56040000"));
    QTRY_COMPARE(shifted.variable.value(), 0x0456u);
    poller.stop();
    QCOMPARE(peek(ram, 4), QByteArray::fromHex("56040000"));
    QCOMPARE(loggedCalls(QStringLiteral("JLINKARM_WriteMem")), 0);
}

void SeggerThreadTest::blocksAreReadWithoutSignals()
{
    poke(ram, QByteArray::fromHex("0102030405060708"));
    Polled block(QStringLiteral("BLOCK"), ram, 8, 5);
    block.variable.setSize(8);
    Polled noBlock(QStringLiteral("NOBLOCK"), ram + 16, 8, 5);
    QSignalSpy spy(&block.variable, &DataClass::updateLEDs);
    Poller poller({&block.entry, &noBlock.entry});
    QTRY_COMPARE(block.variable.buffer(), QByteArray::fromHex("0102030405060708"));
    poke(ram, QByteArray::fromHex("a1a2a3a4a5a6a7a8"));
    QTRY_COMPARE(block.variable.buffer(), QByteArray::fromHex("a1a2a3a4a5a6a7a8"));
    poller.stop();
    QCOMPARE(spy.count(), 0);
    QVERIFY(block.entry.readDone);
    // A variable without a block of its own is not read at all.
    QCOMPARE(loggedCalls(QStringLiteral("JLINKARM_ReadMem(0x20000010,")), 0);
    QVERIFY(!noBlock.entry.readDone);
}

void SeggerThreadTest::heldBackWriteGoesOutWithTheFirstPoll()
{
    poke(ram, QByteArray::fromHex("11111111"));
    Polled held(QStringLiteral("HELD"), ram, 4, 5);
    held.variable.setValue(0x55);
    QCOMPARE(peek(ram, 4), QByteArray::fromHex("11111111"));
    Poller poller({&held.entry});
    QTRY_COMPARE(peek(ram, 4), QByteArray::fromHex("55000000"));
    QTest::qWait(50);
    poller.stop();
    // The stale 0x11111111 was never handed on; the written value reads back.
    QCOMPARE(held.variable.value(), 0x55u);
    QCOMPARE(loggedCalls(QStringLiteral("JLINKARM_WriteMem")), 1);
    QVERIFY(!held.variable.hasPendingWrite());
}

void SeggerThreadTest::readErrorsAreSkippedAndReportedOnce()
{
    poke(ram, QByteArray::fromHex("33000000"));
    Polled missing(QStringLiteral("MISSING"), unmapped, 4, 5);
    Polled good(QStringLiteral("GOOD"), ram, 4, 5);
    missing.variable.setValueFromBytes(QByteArray::fromHex("1234"));
    QSignalSpy missingSpy(&missing.variable, &DataClass::updateLEDs);

    Poller poller({&missing.entry, &good.entry});
    QTRY_COMPARE(good.variable.value(), 0x33u);
    QTRY_VERIFY(poller.thread()->statistics().readErrors >= 5);
    QCOMPARE(m_reports.size(), 1);
    QVERIFY(m_reports.first().contains(QLatin1String("MISSING")));
    QVERIFY(m_reports.first().contains(QLatin1String("0x40000000")));

    // While every read fails nothing is handed on; polling goes on afterwards.
    m_fail("JLINKARM_ReadMem");
    const quint64 errors = poller.thread()->statistics().readErrors;
    poke(ram, QByteArray::fromHex("44000000"));
    QTRY_VERIFY(poller.thread()->statistics().readErrors >= errors + 10);
    QCOMPARE(good.variable.value(), 0x33u);
    QTRY_COMPARE(m_reports.size(), 2);
    m_fail("");
    QTRY_COMPARE(good.variable.value(), 0x44u);

    poller.stop();
    QCoreApplication::processEvents();
    QCOMPARE(m_reports.size(), 2);
    QCOMPARE(missing.variable.value(), 0x1234u);
    QCOMPARE(missingSpy.count(), 0);
    QVERIFY(!missing.entry.readDone);
}

void SeggerThreadTest::stopEndsTheSleepAtOnce()
{
    Polled rare(QStringLiteral("RARE"), ram, 4, 10000);
    Poller poller({&rare.entry});
    QTRY_COMPARE(poller.thread()->statistics().reads, quint64(1));
    QElapsedTimer stopping;
    stopping.start();
    poller.stop();
    QVERIFY2(stopping.elapsed() < 1000, qPrintable(QString::number(stopping.elapsed())));
    QVERIFY(poller.thread()->isFinished());

    // A thread with nothing to poll sleeps until it is stopped.
    Poller idle({});
    QTest::qWait(20);
    QVERIFY(idle.thread()->isRunning());
    stopping.restart();
    idle.stop();
    QVERIFY(stopping.elapsed() < 1000);
    QCOMPARE(idle.thread()->statistics().passes, quint64(0));
}

void SeggerThreadTest::valuesReachTheGuiThreadInOrder()
{
    poke(ram, QByteArray(4, '\0'));
    Polled counter(QStringLiteral("COUNTER"), ram, 4, everyPass);
    Recorder recorder;
    connect(&counter.variable, &DataClass::updateLEDs, &recorder, &Recorder::record);
    Poller poller({&counter.entry});

    // The target counts up on a thread of its own while the GUI thread runs
    // its event loop.
    const JLinkSimPoke pokeFn = m_poke;
    QScopedPointer<QThread> firmware(QThread::create([pokeFn] {
        for (quint32 i = 1; i <= 100; ++i) {
            pokeFn(ram, 4, &i);
            QThread::usleep(500);
        }
    }));
    firmware->start();
    QTRY_VERIFY(!recorder.values.isEmpty() && recorder.values.last() == 100u);
    firmware->wait();
    poller.stop();

    QVERIFY(recorder.allOnGuiThread);
    QVERIFY(recorder.values.size() >= 10);
    for (int i = 1; i < recorder.values.size(); ++i)
        QVERIFY2(recorder.values.at(i - 1) <= recorder.values.at(i), qPrintable(QString::number(i)));
}

QTEST_GUILESS_MAIN(SeggerThreadTest)
#include "tst_seggerthread.moc"
