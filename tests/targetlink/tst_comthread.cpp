// The periodic exchange thread against a pseudo-terminal that plays the
// adapter, with this test's thread playing the window: it carries out the
// requests and the hand-overs that the exchange thread queues to it. Last,
// the window's own start of the thread after a load.
#include "dataclass.h"
#include "panelfixture.h"
#include "pollentries.h"
#include "pollingthreads.h"
#include "ptypeer.h"
#include "tyklink.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <ctime>
#include <memory>
#include <pthread.h>

namespace {

// What the window does with the thread's signals, on this thread: sends the
// request text as bytes through the link, and keeps what was handed over.
class Window : public QObject
{
    Q_OBJECT
public:
    explicit Window(TykLink *link) : link(link) {}

    void sendUSB(const QString &values)
    {
        sent << values;
        if (link)
            link->transfer(values.toLatin1());
    }
    void recData(const QString &values)
    {
        received << values;
        replies << (link ? link->getReceivedData() : QByteArray());
    }

    TykLink *link;
    QStringList sent;
    QStringList received;
    QList<QByteArray> replies;
};

// The adapter: answers every two-byte request with a 64-byte reply whose
// first byte counts the requests, unless it is told to stay silent.
class Adapter
{
public:
    Adapter()
    {
        peer.play([this](PtyPeer &p) {
            while (!m_stop.load()) {
                const QByteArray request = p.readExactly(2, 20);
                if (request.size() < 2 || m_silent.load())
                    continue;
                QByteArray reply(64, char(0x55));
                reply[0] = char(++m_answered);
                p.write(reply);
            }
        });
    }
    ~Adapter()
    {
        m_stop.store(true);
        peer.join();
    }
    void setSilent(bool silent) { m_silent.store(silent); }
    int answered() const { return m_answered.load(); }

    PtyPeer peer;

private:
    std::atomic_bool m_stop{false};
    std::atomic_bool m_silent{false};
    std::atomic_int m_answered{0};
};

ComPollEntry exchangeEntry(const QString &send, const QString &receive, quint32 intervalMs, quint32 timeoutMs)
{
    ComPollEntry entry;
    entry.sendData = send;
    entry.receiveData = receive;
    entry.intervalMs = intervalMs;
    entry.timeoutMs = timeoutMs;
    return entry;
}

// A thread wired to window as the shell wires it to the main window.
struct Exchanges {
    Exchanges(QList<ComPollEntry *> entries, Window &window, std::function<TykLink *()> lookUp = {})
        : thread(running, std::move(entries),
                 lookUp ? std::move(lookUp) : std::function<TykLink *()>([&window] { return window.link; }))
    {
        QObject::connect(&thread, &SerialComThread::changed_sendUSB, &window, &Window::sendUSB,
                         Qt::QueuedConnection);
        QObject::connect(&thread, &SerialComThread::changed_recData, &window, &Window::recData,
                         Qt::QueuedConnection);
        // The worker's own CPU clock, taken on its first exchange.
        QObject::connect(
            &thread, &SerialComThread::exchangeStarted, &thread,
            [this](qint64) {
                clockid_t id;
                if (!clockKnown.load() && pthread_getcpuclockid(pthread_self(), &id) == 0) {
                    cpuClock = id;
                    clockKnown.store(true);
                }
            },
            Qt::DirectConnection);
    }
    ~Exchanges() { stop(); }

    void start()
    {
        running.store(true);
        thread.start();
    }
    void stop() { stopPollingThread(&thread, running); }
    // CPU time the worker has used so far, in ms; -1 before its first exchange.
    double cpuMs() const
    {
        if (!clockKnown.load())
            return -1;
        timespec spent{};
        clock_gettime(cpuClock, &spent);
        return spent.tv_sec * 1e3 + spent.tv_nsec / 1e6;
    }

    std::atomic_bool running{false};
    SerialComThread thread;
    std::atomic_bool clockKnown{false};
    clockid_t cpuClock{};
};

QString inRoot(const char *elements)
{
    return QStringLiteral("<verticalcontainer>%1</verticalcontainer>").arg(QLatin1String(elements));
}

// Qt's complaints about objects used from the wrong thread come as warnings.
QStringList warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

} // namespace

class ComThreadTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void neededReplyBytes_data();
    void neededReplyBytes();
    void exchangesOverThePortFromTheGuiThread();
    void entriesWithoutPeriodAreNeverSent();
    void staleReplyNeverAnswersTheNextRequest();
    void timeoutZeroLooksOnceAfterTheSend();
    void linkMadeLaterIsPickedUp();
    void sleepsBetweenExchanges();
    void stopWakesEveryWait();
    void windowStartsThreadOnlyForPeriods();

private:
    QtMessageHandler m_previousHandler = nullptr;
};

void ComThreadTest::init()
{
    warnings.clear();
    m_previousHandler = qInstallMessageHandler(collectWarnings);
}

void ComThreadTest::cleanup()
{
    qInstallMessageHandler(m_previousHandler);
}

void ComThreadTest::neededReplyBytes_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("bytes");

    QTest::newRow("empty list") << "" << 0;
    QTest::newRow("counts and a plain item") << "2:A;?;4:B" << 7;
    QTest::newRow("negative count is its size") << "-2:B;1:C" << 3;
    QTest::newRow("empty items count one byte") << ";" << 2;
    QTest::newRow("count that is no number") << "x:5" << 0;
    QTest::newRow("three parts are one byte") << "2:a:b" << 1;
    QTest::newRow("zero count") << "0:A;1:B" << 1;
    QTest::newRow("huge counts stay in range") << "4000000000:A;4000000000:B" << 65535;
}

void ComThreadTest::neededReplyBytes()
{
    QFETCH(QString, list);
    QFETCH(int, bytes);
    QCOMPARE(int(SerialComThread::neededReplyBytes(list)), bytes);
}

// Requests go out and replies come back through the link on this thread; the
// worker only hands the lists over, so Qt never complains about the port.
void ComThreadTest::exchangesOverThePortFromTheGuiThread()
{
    Adapter adapter;
    QVERIFY(adapter.peer.isValid());
    TykLink link(adapter.peer.slaveName());
    QVERIFY(link.isConnected());
    Window window(&link);
    ComPollEntry entry = exchangeEntry(QStringLiteral("AB"), QStringLiteral("2:A;?;4:B"), 20, 100);
    Exchanges exchanges({&entry}, window);
    exchanges.start();

    QTRY_VERIFY_WITH_TIMEOUT(window.received.size() >= 3, 5000);
    exchanges.stop();
    QCOMPARE(entry.neededBytes, quint16(7));
    QCOMPARE(window.received.first(), QStringLiteral("2:A;?;4:B"));
    QVERIFY(window.sent.size() >= window.received.size());
    // Each hand-over comes with the reply to its own request.
    for (int i = 1; i < window.replies.size(); ++i)
        QVERIFY(quint8(window.replies[i][0]) > quint8(window.replies[i - 1][0]));
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
}

void ComThreadTest::entriesWithoutPeriodAreNeverSent()
{
    Adapter adapter;
    TykLink link(adapter.peer.slaveName());
    Window window(&link);
    ComPollEntry never = exchangeEntry(QStringLiteral("NN"), QStringLiteral("1:A"), 0, 100);
    ComPollEntry often = exchangeEntry(QStringLiteral("OO"), QStringLiteral("1:A"), 10, 100);
    Exchanges exchanges({&never, &often}, window);
    exchanges.start();

    QTRY_VERIFY_WITH_TIMEOUT(window.sent.size() >= 5, 5000);
    exchanges.stop();
    QVERIFY(!window.sent.contains(QStringLiteral("NN")));
    QCOMPARE(never.neededBytes, quint16(1));
}

// The link still holds a full reply of an earlier request when the adapter
// goes silent: the worker may look at the reply before this thread has sent
// the request, and must wait for the request's own reply, which never comes.
void ComThreadTest::staleReplyNeverAnswersTheNextRequest()
{
    Adapter adapter;
    TykLink link(adapter.peer.slaveName());
    link.setReplyTimeout(30);
    QVERIFY(link.transfer("XX"));
    QCOMPARE(link.replyLength(), 64);
    adapter.setSilent(true);

    Window window(&link);
    ComPollEntry entry = exchangeEntry(QStringLiteral("AB"), QStringLiteral("4:A"), 10, 50);
    Exchanges exchanges({&entry}, window);
    exchanges.start();
    // The request waits in this thread's queue while the worker waits.
    QThread::msleep(100);
    QTRY_VERIFY_WITH_TIMEOUT(exchanges.thread.statistics().timeouts >= 2, 5000);
    exchanges.stop();
    QVERIFY(window.received.isEmpty());
    QCOMPARE(exchanges.thread.statistics().replies, quint64(0));
}

void ComThreadTest::timeoutZeroLooksOnceAfterTheSend()
{
    Adapter adapter;
    TykLink link(adapter.peer.slaveName());
    Window window(&link);
    ComPollEntry entry = exchangeEntry(QStringLiteral("AB"), QStringLiteral("1:A"), 10, 0);
    Exchanges exchanges({&entry}, window);
    exchanges.start();

    QTRY_VERIFY_WITH_TIMEOUT(window.received.size() >= 2, 5000);
    exchanges.stop();
    QCOMPARE(window.received.first(), QStringLiteral("1:A"));
}

// Without a link the passes run but send nothing; a link the window makes
// later is used from then on.
void ComThreadTest::linkMadeLaterIsPickedUp()
{
    Adapter adapter;
    TykLink link(adapter.peer.slaveName());
    Window window(nullptr);
    TykLink *current = nullptr;
    ComPollEntry entry = exchangeEntry(QStringLiteral("AB"), QStringLiteral("1:A"), 10, 100);
    Exchanges exchanges({&entry}, window, [&current] { return current; });
    exchanges.start();

    QTest::qWait(100);
    QVERIFY(window.sent.isEmpty());
    QCOMPARE(exchanges.thread.statistics().exchanges, quint64(0));

    current = &link;
    window.link = &link;
    QTRY_VERIFY_WITH_TIMEOUT(window.received.size() >= 2, 5000);
    exchanges.stop();
}

// A 20 ms period: an exchange about every period, not one per pass, and the
// worker spends most of the time asleep. The count is taken against the time
// it really took, so a slow host (a sanitizer build among other tests) only
// makes the run longer.
void ComThreadTest::sleepsBetweenExchanges()
{
    Adapter adapter;
    TykLink link(adapter.peer.slaveName());
    Window window(&link);
    ComPollEntry entry = exchangeEntry(QStringLiteral("AB"), QStringLiteral("1:A"), 20, 100);
    Exchanges exchanges({&entry}, window);
    exchanges.start();

    QElapsedTimer wall;
    wall.start();
    QTRY_VERIFY_WITH_TIMEOUT(window.sent.size() >= 10, 10000);
    QTest::qWait(200);
    const double cpuMs = exchanges.cpuMs();
    const qint64 wallMs = wall.elapsed();
    exchanges.stop();

    // Never more often than the period allows (one extra for the first pass,
    // which sends at once).
    const int sent = window.sent.size();
    QVERIFY2(sent <= wallMs / 20 + 1, qPrintable(QStringLiteral("%1 in %2 ms").arg(sent).arg(wallMs)));
    QVERIFY(cpuMs >= 0);
    QVERIFY2(cpuMs < wallMs / 4.0, qPrintable(QStringLiteral("%1 ms of %2 ms").arg(cpuMs).arg(wallMs)));
}

// The stop wakes the worker from its sleep until a far due time and from the
// wait for a request this thread never carries out; nothing is terminated.
void ComThreadTest::stopWakesEveryWait()
{
    Window window(nullptr);
    TykLink *none = nullptr;

    {
        ComPollEntry slow = exchangeEntry(QStringLiteral("AB"), QStringLiteral("1:A"), 60000, 100);
        Exchanges exchanges({&slow}, window, [&none] { return none; });
        exchanges.start();
        QTest::qWait(50);
        QElapsedTimer stopping;
        stopping.start();
        exchanges.stop();
        QVERIFY(exchanges.thread.isFinished());
        QVERIFY(stopping.elapsed() < 1000);
    }

    Adapter adapter;
    TykLink link(adapter.peer.slaveName());
    window.link = &link;
    ComPollEntry entry = exchangeEntry(QStringLiteral("AB"), QStringLiteral("1:A"), 10, 100);
    Exchanges exchanges({&entry}, window);
    exchanges.start();
    QTRY_VERIFY_WITH_TIMEOUT(exchanges.thread.statistics().exchanges >= 1, 5000);
    // This thread stops processing events: the worker sits waiting for its
    // next request to be carried out.
    QTRY_VERIFY_WITH_TIMEOUT(exchanges.thread.statistics().exchanges >= 2, 5000);
    QElapsedTimer stopping;
    stopping.start();
    exchanges.stop();
    QVERIFY(exchanges.thread.isFinished());
    QVERIFY(stopping.elapsed() < 1000);
}

// The window makes the thread only when some exchange has a period, carries
// out its requests and replies through its own link, and drops what a
// stopped thread left queued.
void ComThreadTest::windowStartsThreadOnlyForPeriods()
{
    PanelFixture fx;
    QVERIFY(fx.load(inRoot("<communication data=\"1\" recdata=\"1:A\"/>")));
    QCOMPARE(fx.window->panel()->registries().comPollList.size(), 1);
    QVERIFY(!fx.window->targetLink().serialComThread);

    Adapter adapter;
    // An action that sends makes the window open its link at the load.
    const QString header = QStringLiteral("<ioconfig port=\"%1\"/><iocheck mode=\"2\"/>").arg(adapter.peer.slaveName());
    QVERIFY(fx.load(inRoot("<button label=\"go\"><action event=\"clicked\" cmd=\"sendUSB\" data=\"1\"/></button>"
                           "<var define=\"A\"/>"
                           "<communication data=\"1\" recdata=\"1:A\"/>"
                           "<communication data=\"0x01;0x02\" recdata=\"?;1:A\" interval=\"10\" timeout=\"100\"/>"),
                    header));
    SerialComThread *thread = fx.window->targetLink().serialComThread;
    QVERIFY(thread);
    QVERIFY(thread->isRunning());
    DataClass *a = fx.window->panel()->registries().variablesByName.value(QStringLiteral("A"), nullptr);
    QVERIFY(a);
    QTRY_COMPARE_WITH_TIMEOUT(a->value(), quint32(0x55), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(adapter.answered() >= 3, 5000);

    fx.window->stopPollingThreads();
    QCoreApplication::processEvents();
    QTest::qWait(50);
    const int answered = adapter.answered();
    emit thread->changed_sendUSB(QStringLiteral("0x01;0x02"));
    QTest::qWait(100);
    QCOMPARE(adapter.answered(), answered);

    QVERIFY(fx.load(inRoot("<communication/>")));
    QVERIFY(!fx.window->targetLink().serialComThread);
}

QTEST_MAIN(ComThreadTest)
#include "tst_comthread.moc"
