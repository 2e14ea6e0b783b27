// The Tyk link over a fake hidapi table and over a pseudo-terminal that plays
// the adapter: discovery, the exact bytes on the wire, failed exchanges, the
// serial settings and the traffic log.
#include "fakehid.h"
#include "prompt.h"
#include "ptypeer.h"
#include "tyklink.h"
#include "tyktransport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

// A link over the fake HID table; the chooser's calls are counted.
struct HidFixture {
    QStringList console;
    int chooserCalls = 0;
    std::unique_ptr<TykLink> link;

    explicit HidFixture(int choice = 0)
    {
        auto transport = std::make_unique<HidTransport>(FakeHid::api(), [this, choice](const QStringList &names) {
            ++chooserCalls;
            Q_ASSERT(names == QStringList({QStringLiteral("Tyk"), QStringLiteral("FTD260")}));
            return choice;
        });
        link = std::make_unique<TykLink>(std::move(transport));
        link->setConsole([this](const QString &line) { console << line; });
        link->setReplyTimeout(50);
    }
};

QString consoleText(const QStringList &lines) { return lines.join(QLatin1Char('\n')); }

} // namespace

class TstTykLink : public QObject
{
    Q_OBJECT

private slots:
    void init() { FakeHid::reset(); }

    void interfaceNames_data();
    void interfaceNames();
    void hidDiscovery_data();
    void hidDiscovery();
    void hidDefaultChooserTakesFirstRow();
    void hidLifetime();
    void hidTransferBytes();
    void hidFailures_data();
    void hidFailures();
    void replyReadFromAnotherThread();

    void serialSettings_data();
    void serialSettings();
    void serialDevicePaths_data();
    void serialDevicePaths();
    void serialOpenAppliesSettings();
    void serialExchange();
    void serialNoReplyAndLateBytes();
    void serialPeerClosesMidExchange();
    void serialPortMissing();
    void failedOpensReachTheirOwnReporter_data();
    void failedOpensReachTheirOwnReporter();
    void missingHidAdapterIsNoOpenFailure();

    void loggedReplyLength_data();
    void loggedReplyLength();
    void logLines();
    void logFileAppends();
    void logModes();
};

void TstTykLink::interfaceNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("hid");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("TYK") << QStringLiteral("TYK") << true;
    QTest::newRow("tyk2") << QStringLiteral("tyk2") << true;
    QTest::newRow("COM7") << QStringLiteral("COM7") << false;
    QTest::newRow("device path") << QStringLiteral("/dev/ttyUSB0") << false;
    QTest::newRow("TYK3") << QStringLiteral("TYK3") << false;
}

void TstTykLink::interfaceNames()
{
    QFETCH(QString, name);
    QFETCH(bool, hid);
    QCOMPARE(isTykInterface(name), hid);
}

void TstTykLink::hidDiscovery_data()
{
    QTest::addColumn<QList<int>>("attached"); // table rows with an adapter
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("openedRow"); // -1: none
    QTest::addColumn<int>("chooserCalls");

    QTest::newRow("none") << QList<int>{} << 0 << false << -1 << 0;
    QTest::newRow("Tyk only") << QList<int>{0} << 0 << true << 0 << 0;
    QTest::newRow("FTD260 only") << QList<int>{1} << 0 << true << 1 << 0;
    QTest::newRow("both, first kept") << QList<int>{0, 1} << 0 << true << 0 << 1;
    QTest::newRow("both, Tyk2 chosen") << QList<int>{0, 1} << 1 << true << 1 << 1;
}

void TstTykLink::hidDiscovery()
{
    QFETCH(QList<int>, attached);
    QFETCH(int, choice);
    QFETCH(bool, connected);
    QFETCH(int, openedRow);
    QFETCH(int, chooserCalls);

    FakeHid &fake = FakeHid::instance();
    const wchar_t *serials[] = {L"TYK-0001", L"FTD-0002"};
    for (int row : attached)
        fake.attach(row, serials[row]);

    HidFixture fx(choice);
    QCOMPARE(fx.link->isConnected(), connected);
    QCOMPARE(tykConnected(), connected);
    QCOMPARE(fx.chooserCalls, chooserCalls);
    QCOMPARE(fake.liveEnumerations, 0); // every list handed out is freed
    if (openedRow < 0) {
        QVERIFY(fake.opened.empty());
    } else {
        // Only the chosen row is tried, with the serial number it listed.
        QCOMPARE(int(fake.opened.size()), 1);
        QCOMPARE(int(fake.opened[0].vendorId), usbAdapterTable[openedRow].vendorId);
        QCOMPARE(int(fake.opened[0].productId), usbAdapterTable[openedRow].productId);
        QVERIFY(fake.opened[0].serial == serials[openedRow]);
    }
}

void TstTykLink::hidDefaultChooserTakesFirstRow()
{
    // Tests run non-interactive: two adapters never raise a question.
    QVERIFY(!Prompt::instance().isInteractive());
    FakeHid &fake = FakeHid::instance();
    fake.attach(0, L"A");
    fake.attach(1, L"B");
    TykLink link(std::make_unique<HidTransport>(FakeHid::api()));
    QVERIFY(link.isConnected());
    QCOMPARE(int(fake.opened.size()), 1);
    QCOMPARE(int(fake.opened[0].vendorId), 0x0640);
}

void TstTykLink::hidLifetime()
{
    FakeHid &fake = FakeHid::instance();
    fake.attach(0, L"A");
    {
        HidFixture fx;
        QCOMPARE(fake.initCalls, 1);
        QCOMPARE(fake.openDevices, 1);
        fx.link->disconnect();
        QCOMPARE(fake.openDevices, 0);
        QVERIFY(!tykConnected());
        QVERIFY(!fx.link->transfer(bytes({1})));
        // Reconnecting opens the adapter again.
        QVERIFY(fx.link->connectAdapter());
        QVERIFY(tykConnected());
        QCOMPARE(fake.openDevices, 1);
    }
    QCOMPARE(fake.openDevices, 0);
    QCOMPARE(fake.exitCalls, 1);
    QVERIFY(!tykConnected());
}

void TstTykLink::hidTransferBytes()
{
    FakeHid &fake = FakeHid::instance();
    fake.attach(0, L"A");
    QByteArray full(64, '\0');
    for (int i = 0; i < 64; ++i)
        full[i] = char(0xC0 + i % 16);
    fake.replies << full << bytes({0x55, 0x01, 0x02}); // the second a short report

    HidFixture fx;
    fx.link->openLog(TykLink::LogToConsole, false, QString());

    QVERIFY(fx.link->transfer(bytes({0x01, 0x10})));
    QCOMPARE(fake.written, QList<QByteArray>{bytes({0x00, 0x01, 0x10})});
    QCOMPARE(fx.link->replyLength(), 64);
    QCOMPARE(fx.link->getReceivedData(), full);
    QCOMPARE(fx.console.value(0),
             QStringLiteral("<font color=\"green\">--> 0x01 0x10 </b></font><br>"));

    // A short input report still gives the whole zero-filled 64-byte buffer.
    QVERIFY(fx.link->transfer(QByteArray(3, '\xff')));
    QCOMPARE(fake.written.value(1), bytes({0x00, 0xff, 0xff, 0xff}));
    QByteArray expected(64, '\0');
    expected.replace(0, 3, bytes({0x55, 0x01, 0x02}));
    QCOMPARE(fx.link->getReceivedData(), expected);
    QCOMPARE(fx.console.last(), QStringLiteral("<font color=\"blue\">&lt;-- 0x55 0x01 </b></font><br>"));
}

void TstTykLink::hidFailures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("write fails") << QStringLiteral("write") << QStringLiteral("Writing to the Tyk adapter failed");
    QTest::newRow("read times out") << QStringLiteral("timeout") << QStringLiteral("did not reply within 50 ms");
    QTest::newRow("read fails") << QStringLiteral("read") << QStringLiteral("Reading from the Tyk adapter failed");
    QTest::newRow("not connected") << QStringLiteral("closed") << QStringLiteral("Tyk adapter not open");
}

void TstTykLink::hidFailures()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    FakeHid &fake = FakeHid::instance();
    fake.attach(0, L"A");
    fake.replies << QByteArray(64, '\x7e') << QByteArray(64, '\x11');
    HidFixture fx;
    fx.link->openLog(TykLink::LogToConsole, false, QString());

    QVERIFY(fx.link->transfer(bytes({1})));
    QCOMPARE(fx.link->replyLength(), 64);

    if (fault == QLatin1String("write"))
        fake.failNextWrite = true;
    else if (fault == QLatin1String("timeout"))
        fake.timeOutNextRead = true;
    else if (fault == QLatin1String("read"))
        fake.failNextRead = true;
    else
        fx.link->disconnect();
    fx.console.clear();

    // The failure is reported, and neither the previous reply nor an all-zero
    // buffer passes for this one.
    QVERIFY(!fx.link->transfer(bytes({2})));
    QCOMPARE(fx.link->replyLength(), 0);
    QVERIFY(fx.link->getReceivedData().isEmpty());
    QVERIFY2(consoleText(fx.console).contains(message), qPrintable(consoleText(fx.console)));
    QVERIFY(consoleText(fx.console).contains(QLatin1String("<font color=\"red\">Tyk: ")));
    if (fault == QLatin1String("timeout"))
        QCOMPARE(fake.lastReadTimeout, 50);
}

void TstTykLink::replyReadFromAnotherThread()
{
    // The exchange thread waits on the reply's length while the GUI thread
    // transfers; the reply must stay whole for both.
    FakeHid &fake = FakeHid::instance();
    fake.attach(0, L"A");
    for (int i = 0; i < 200; ++i)
        fake.replies << QByteArray(64, char(i + 1));
    HidFixture fx;
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            const int n = fx.link->replyLength();
            const QByteArray reply = fx.link->getReceivedData();
            if ((n != 0 && n != 64) || (!reply.isEmpty() && reply.count(reply.at(0)) != 64))
                ++torn;
        }
    });
    for (int i = 0; i < 200; ++i)
        QVERIFY(fx.link->transfer(bytes({i & 0xff})));
    done = true;
    reader.join();
    QCOMPARE(torn.load(), 0);
}

void TstTykLink::serialSettings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    const int none = QSerialPort::NoParity;
    QTest::newRow("empty: 115200 8N1") << QString() << 115200 << 8 << none << 1;
    QTest::newRow("9600;7;E;2") << QStringLiteral("9600;7;E;2") << 9600 << 7 << int(QSerialPort::EvenParity) << 2;
    QTest::newRow("three parts keep defaults") << QStringLiteral("9600;8;N") << 115200 << 8 << none << 1;
    QTest::newRow("five parts keep defaults") << QStringLiteral("9600;8;N;1;X") << 115200 << 8 << none << 1;
    QTest::newRow("57600;8;O;1") << QStringLiteral("57600;8;O;1") << 57600 << 8 << int(QSerialPort::OddParity) << 1;
    QTest::newRow("space, one and a half") << QStringLiteral("19200;5;S;3") << 19200 << 5 << int(QSerialPort::SpaceParity) << 3;
    QTest::newRow("mark, lower case, blanks") << QStringLiteral(" 4800 ; 6 ; mark ; 1 ") << 4800 << 6 << int(QSerialPort::MarkParity) << 1;
    QTest::newRow("unknown parity is none") << QStringLiteral("9600;8;X;1") << 9600 << 8 << none << 1;
    // Parts that are no valid value keep their defaults instead of
    // reaching the port as 0 baud or 9 data bits.
    QTest::newRow("invalid parts") << QStringLiteral("fast;9;N;0") << 115200 << 8 << none << 1;
    QTest::newRow("negative baud") << QStringLiteral("-9600;4;E;x") << 115200 << 8 << int(QSerialPort::EvenParity) << 1;
}

void TstTykLink::serialSettings()
{
    QFETCH(QString, text);
    QFETCH(int, baud);
    QFETCH(int, dataBits);
    QFETCH(int, parity);
    QFETCH(int, stopBits);
    const SerialSettings s = parseSerialSettings(text);
    QCOMPARE(int(s.baudRate), baud);
    QCOMPARE(int(s.dataBits), dataBits);
    QCOMPARE(int(s.parity), parity);
    QCOMPARE(int(s.stopBits), stopBits);
}

void TstTykLink::serialDevicePaths_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("bare name") << QStringLiteral("ttyUSB0") << QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("full path") << QStringLiteral("/dev/pts/3") << QStringLiteral("/dev/pts/3");
    QTest::newRow("case kept") << QStringLiteral("/dev/ttyACM0") << QStringLiteral("/dev/ttyACM0");
    QTest::newRow("blanks") << QStringLiteral(" ttyS1 ") << QStringLiteral("/dev/ttyS1");
}

void TstTykLink::serialDevicePaths()
{
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(serialDevicePath(name), path);
}

void TstTykLink::serialOpenAppliesSettings()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    SerialTransport transport(peer.slaveName(), QStringLiteral("9600;7;E;2"));
    QVERIFY2(transport.open(), qPrintable(transport.errorString()));
    QCOMPARE(transport.port().baudRate(), 9600);
    QCOMPARE(transport.port().dataBits(), QSerialPort::Data7);
    QCOMPARE(transport.port().parity(), QSerialPort::EvenParity);
    QCOMPARE(transport.port().stopBits(), QSerialPort::TwoStop);
    QCOMPARE(transport.port().flowControl(), QSerialPort::NoFlowControl);
}

void TstTykLink::serialExchange()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    TykLink link(peer.slaveName());
    QVERIFY(link.isConnected());
    QVERIFY(tykConnected());
    link.setReplyTimeout(2000);

    // Every byte value passes unchanged both ways, with no report id.
    QByteArray request;
    for (int i = 0; i < 256; ++i)
        request.append(char(i));
    QByteArray seen;
    peer.play([&](PtyPeer &p) {
        seen = p.readExactly(256);
        p.write(bytes({0x00, 0x0a, 0x0d, 0xff}));
    });
    QVERIFY(link.transfer(request));
    peer.join();
    QCOMPARE(seen, request);
    QCOMPARE(link.getReceivedData(), bytes({0x00, 0x0a, 0x0d, 0xff}));

    // A reply that arrives in pieces is gathered whole.
    peer.play([&](PtyPeer &p) {
        seen = p.readExactly(2);
        p.write(bytes({0x01}));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        p.write(bytes({0x02, 0x03}));
    });
    QVERIFY(link.transfer(bytes({0x01, 0x10})));
    peer.join();
    QCOMPARE(seen, bytes({0x01, 0x10}));
    QCOMPARE(link.getReceivedData(), bytes({0x01, 0x02, 0x03}));
}

void TstTykLink::serialNoReplyAndLateBytes()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    TykLink link(peer.slaveName());
    QVERIFY(link.isConnected());
    link.setReplyTimeout(100);

    // A late answer from the last exchange is no part of the next reply.
    peer.play([](PtyPeer &p) { p.readExactly(1); });
    QVERIFY(link.transfer(bytes({0x01})));
    peer.join();
    QCOMPARE(link.replyLength(), 0);
    peer.write(bytes({0x99}));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    peer.play([](PtyPeer &p) {
        p.readExactly(1);
        p.write(bytes({0x42}));
    });
    QVERIFY(link.transfer(bytes({0x02})));
    peer.join();
    QCOMPARE(link.getReceivedData(), bytes({0x42}));
}

void TstTykLink::serialPeerClosesMidExchange()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    TykLink link(peer.slaveName());
    QStringList console;
    link.setConsole([&console](const QString &line) { console << line; });
    link.setReplyTimeout(2000);
    QVERIFY(link.isConnected());

    peer.play([](PtyPeer &p) {
        p.readExactly(2);
        p.closeMaster();
    });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!link.transfer(bytes({0x01, 0x10})));
    peer.join();
    QCOMPARE(link.replyLength(), 0);
    const QString text = consoleText(console);
    QVERIFY2(text.contains(QStringLiteral("Tyk: Serial port %1: connection lost").arg(peer.slaveName())),
             qPrintable(text));
}

void TstTykLink::serialPortMissing()
{
    TykLink link(QStringLiteral("/dev/ttyQuillmateMissing0"));
    QStringList console;
    link.setConsole([&console](const QString &line) { console << line; });
    QVERIFY(!link.isConnected());
    QVERIFY(!tykConnected());
    QVERIFY(!link.transfer(bytes({1})));
    QVERIFY2(consoleText(console).contains(QLatin1String("/dev/ttyQuillmateMissing0")),
             qPrintable(consoleText(console)));
}

void TstTykLink::failedOpensReachTheirOwnReporter_data()
{
    QTest::addColumn<QString>("port"); // DIR: a fresh folder
    QTest::newRow("no such device") << "DIR/ttyMissing0";
    QTest::newRow("a plain file, no terminal") << "DIR/plain";
}

// A COM port that does not open is reported apart from the link's console,
// the open at construction as soon as a reporter is there, and every later
// failure with its "repeated" mark; a transfer does not open again by itself.
void TstTykLink::failedOpensReachTheirOwnReporter()
{
    QFETCH(QString, port);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile plain(dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    port.replace(QLatin1String("DIR"), dir.path());

    TykLink link(port);
    QVERIFY(!link.isConnected());
    QStringList console;
    QList<QPair<QString, bool>> reports;
    link.setConsole([&console](const QString &line) { console << line; });
    link.setOpenFailureReporter([&reports](const QString &text, bool repeated) { reports.append({text, repeated}); });
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.at(0).first.startsWith(QStringLiteral("Serial port %1: cannot open (").arg(port)),
             qPrintable(reports.at(0).first));
    QCOMPARE(reports.at(0).second, false);

    QVERIFY(!link.transfer(bytes({1})));
    QCOMPARE(reports.size(), 1);
    QVERIFY(!link.connectAdapter());
    QCOMPARE(reports.size(), 2);
    QCOMPARE(reports.at(1).second, true);
    // The console keeps the transfer's own problem line, and only that.
    QCOMPARE(console.size(), 1);
    QVERIFY2(console.first().contains(QStringLiteral("not open")), qPrintable(console.first()));

    // A second reporter is not told an old failure again.
    int later = 0;
    link.setOpenFailureReporter([&later](const QString &, bool) { ++later; });
    QCOMPARE(later, 0);
}

void TstTykLink::missingHidAdapterIsNoOpenFailure()
{
    HidFixture fx;
    QVERIFY(!fx.link->isConnected());
    int reports = 0;
    fx.link->setOpenFailureReporter([&reports](const QString &, bool) { ++reports; });
    QVERIFY(!fx.link->connectAdapter());
    QCOMPARE(reports, 0);
}

void TstTykLink::loggedReplyLength_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("shown");
    QByteArray sixBytes(64, '\0');
    sixBytes.replace(0, 6, bytes({1, 2, 3, 4, 5, 6}));
    QByteArray late(64, '\0');
    late[40] = 1; // beyond index 32: not shown
    late[32] = 1;
    QByteArray beyond(64, '\0');
    beyond[33] = 7;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("one byte") << bytes({0}) << 1;
    QTest::newRow("two bytes") << bytes({0, 0}) << 2;
    QTest::newRow("non-zero only below 4") << bytes({0x55, 0, 0, 3, 0}) << 2;
    QTest::newRow("0x55 then zeros") << bytes({0x55, 0, 0, 0, 0}) << 2;
    QTest::newRow("64 bytes, first six set") << sixBytes << 6;
    QTest::newRow("index 32 is the last shown") << late << 33;
    QTest::newRow("non-zero beyond 32 only") << beyond << 2;
    QTest::newRow("short, last byte set") << bytes({0, 0, 0, 0, 0, 9}) << 6;
}

void TstTykLink::loggedReplyLength()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, shown);
    QCOMPARE(TykLink::loggedReplyLength(reply), shown);
}

void TstTykLink::logLines()
{
    QCOMPARE(TykLink::logLine(bytes({0x01, 0x10}), false, false),
             QStringLiteral("<font color=\"green\">--> 0x01 0x10 </b></font><br>"));
    QCOMPARE(TykLink::logLine(bytes({0xab, 0x00}), true, false),
             QStringLiteral("<font color=\"blue\">&lt;-- 0xab 0x00 </b></font><br>"));
    QCOMPARE(TykLink::logLine(QByteArray(), true, false),
             QStringLiteral("<font color=\"blue\">&lt;-- </b></font><br>"));
    // Minutes, seconds and milliseconds of the UTC time.
    const QString stamped = TykLink::logLine(bytes({0xff}), false, true);
    const QRegularExpression form(QStringLiteral(
        "^<font color=\"green\">--> ([0-5]\\d):([0-5]\\d):(\\d{4}) 0xff </b></font><br>$"));
    const QRegularExpressionMatch m = form.match(stamped);
    QVERIFY2(m.hasMatch(), qPrintable(stamped));
    QVERIFY(m.captured(3).toInt() < 1000);
    const QTime now = QDateTime::currentDateTimeUtc().time();
    const int stampMinute = m.captured(1).toInt();
    QVERIFY(stampMinute == now.minute() || (stampMinute + 1) % 60 == now.minute());
}

void TstTykLink::logFileAppends()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("tyk.log"));
    const QByteArray old = QByteArray("an earlier session's log, longer than what comes next\n").repeated(4);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }

    FakeHid &fake = FakeHid::instance();
    fake.attach(0, L"A");
    QByteArray reply(64, '\0');
    reply[0] = char(0x80);
    reply[5] = char(0x05);
    fake.replies << reply;
    HidFixture fx;
    fx.link->openLog(TykLink::LogToConsole | TykLink::LogToFile, false, path);
    QVERIFY(fx.link->transfer(bytes({0x01, 0x10})));
    fx.link->getReceivedData();

    const QStringList expected = {
        QStringLiteral("<font color=\"green\">--> 0x01 0x10 </b></font><br>"),
        QStringLiteral("<font color=\"blue\">&lt;-- 0x80 0x00 0x00 0x00 0x00 0x05 </b></font><br>")};
    QCOMPARE(fx.console, expected);

    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
    const QByteArray text = f.readAll();
    // The earlier content stays whole and the new lines follow it.
    QCOMPARE(text, old + expected.join(QLatin1Char('\n')).toUtf8() + '\n');

    // Reopening (the settings dialog) keeps appending, never rewrites.
    fx.link->openLog(TykLink::LogToFile, false, path);
    fake.replies << reply;
    QVERIFY(fx.link->transfer(bytes({0x02})));
    f.seek(0);
    QVERIFY(f.readAll().startsWith(text));
}

void TstTykLink::logModes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tyk.log"));
    FakeHid &fake = FakeHid::instance();
    fake.attach(0, L"A");
    for (int i = 0; i < 3; ++i)
        fake.replies << QByteArray(64, '\0');
    HidFixture fx;

    // File only: nothing on the console.
    fx.link->openLog(TykLink::LogToFile, true, path);
    quint16 mode = 0;
    bool stamps = false;
    QString file;
    fx.link->getLogSettings(mode, stamps, file);
    QCOMPARE(mode, quint16(TykLink::LogToFile));
    QVERIFY(stamps);
    QCOMPARE(file, path);
    QVERIFY(fx.link->transfer(bytes({1})));
    QVERIFY(fx.console.isEmpty());
    QCOMPARE(QFileInfo(path).size() > 0, true);

    // Console only: the file is closed and gets nothing more.
    const qint64 size = QFileInfo(path).size();
    fx.link->openLog(TykLink::LogToConsole, false, path);
    QVERIFY(fx.link->transfer(bytes({2})));
    QCOMPARE(fx.console.size(), 1);
    QCOMPARE(QFileInfo(path).size(), size);

    // Off.
    fx.link->openLog(0, false, path);
    QVERIFY(fx.link->transfer(bytes({3})));
    fx.link->getReceivedData();
    QCOMPARE(fx.console.size(), 1);
    QCOMPARE(QFileInfo(path).size(), size);
}

QTEST_GUILESS_MAIN(TstTykLink)
#include "tst_tyklink.moc"
