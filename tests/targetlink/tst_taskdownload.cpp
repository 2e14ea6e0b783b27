// The Tyk task download: the data records of an Intel HEX text, and the first
// and continuation reports on the wire of the fake HID table with their
// acknowledgements.
#include "fakehid.h"
#include "tyklink.h"
#include "tyktaskdownload.h"
#include "tyktransport.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace TykTaskDownload;

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}

QByteArray record(quint8 type, quint16 address, const QByteArray &data)
{
    QByteArray raw;
    raw.append(char(data.size()));
    raw.append(char(address >> 8));
    raw.append(char(address));
    raw.append(char(type));
    raw.append(data);
    quint8 sum = 0;
    for (char c : raw)
        sum = quint8(sum + quint8(c));
    raw.append(char(quint8(-sum)));
    return ':' + raw.toHex().toUpper() + "\r\n";
}

// n bytes counting up from 0, as data records of up to 16 bytes between an
// extended address record and the end record.
QByteArray pattern(int n)
{
    QByteArray data;
    for (int i = 0; i < n; ++i)
        data.append(char(i));
    return data;
}

QByteArray hexText(const QByteArray &data, int perRecord = 16)
{
    QByteArray text = record(0x04, 0, bytes({0x08, 0x00}));
    for (int i = 0; i < data.size(); i += perRecord)
        text += record(0x00, quint16(i), data.mid(i, perRecord));
    return text + record(0x01, 0, {});
}

QByteArray ack() { return bytes({0x00, 'U'}); }

struct LinkFixture {
    QTemporaryDir dir;
    std::unique_ptr<TykLink> link;

    LinkFixture()
    {
        FakeHid::reset();
        FakeHid::instance().attach(0, L"A1");
        auto transport = std::make_unique<HidTransport>(FakeHid::api(), [](const QStringList &) { return 0; });
        link = std::make_unique<TykLink>(std::move(transport));
        link->setReplyTimeout(50);
    }

    QString write(const QByteArray &text)
    {
        const QString path = dir.filePath(QStringLiteral("task.hex"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(text);
        return path;
    }
};

const TaskHeader header{0x11, 0x22, 0x33, 0xABCD};

} // namespace

class TstTaskDownload : public QObject
{
    Q_OBJECT

private slots:
    void hexPairs_data();
    void hexPairs();
    void readsDataRecordsOnly();
    void refusesMalformedRecords_data();
    void refusesMalformedRecords();
    void refusesMoreThanTheLengthFieldHolds();
    void reportsOnTheWire_data();
    void reportsOnTheWire();
    void unacknowledgedReportStops_data();
    void unacknowledgedReportStops();
    void firstReportRetriedAfterReconnect();
    void missingOrBrokenFileSendsNothing();
};

void TstTaskDownload::hexPairs_data()
{
    QTest::addColumn<char>("high");
    QTest::addColumn<char>("low");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << '4' << '2' << 0x42;
    QTest::newRow("upper case") << 'A' << 'F' << 0xAF;
    QTest::newRow("lower case") << 'f' << 'e' << 0xFE;
    QTest::newRow("other characters count as 0") << 'g' << ':' << 0x00;
    QTest::newRow("one digit of two") << '7' << ' ' << 0x70;
}

void TstTaskDownload::hexPairs()
{
    QFETCH(char, high);
    QFETCH(char, low);
    QFETCH(int, value);
    QCOMPARE(int(hexPairToByte(high, low)), value);
}

void TstTaskDownload::readsDataRecordsOnly()
{
    // Records of different lengths, lower-case digits, LF and CR LF line
    // ends; the address and end records add nothing, nor do the checksums.
    const QByteArray data = pattern(37);
    QByteArray text = record(0x04, 0, bytes({0x00, 0x01})) + hexText(data, 7).toLower();
    text.replace("\r\n", "\n");
    text += record(0x05, 0, bytes({0, 0, 1, 0}));
    QByteArray read;
    QString error;
    QVERIFY2(readTaskData(text, &read, &error), qPrintable(error));
    QCOMPARE(read, data);

    QVERIFY(readTaskData(record(0x01, 0, {}), &read));
    QVERIFY(read.isEmpty());
}

void TstTaskDownload::refusesMalformedRecords_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const QByteArray good = record(0x00, 0x10, bytes({1, 2, 3, 4}));
    QByteArray badSum = good;
    badSum[good.indexOf("\r") - 1] = badSum.at(good.indexOf("\r") - 1) == '0' ? '1' : '0';
    QByteArray longCount = good;
    longCount[2] = '8'; // claims 8 bytes, holds 4 and the checksum
    QByteArray shortCount = good;
    shortCount[2] = '2'; // claims 2 bytes, holds 4
    QTest::newRow("checksum") << badSum << "Line 1: checksum error.";
    QTest::newRow("count past the line") << longCount << "Line 1: the record length does not match its byte count.";
    QTest::newRow("count short of the line") << shortCount
                                             << "Line 1: the record length does not match its byte count.";
    QTest::newRow("cut short") << QByteArray(":0400") << "Line 1 is no Intel HEX record.";
    QTest::newRow("lone colon") << QByteArray(":\n") << "Line 1 is no Intel HEX record.";
    QTest::newRow("no colon") << QByteArray(good).remove(0, 1) << "Line 1 is no Intel HEX record.";
    QTest::newRow("not hexadecimal") << record(0x01, 0, {}) + QByteArray(":0G000000FF")
                                     << "Line 2 is no Intel HEX record.";
}

void TstTaskDownload::refusesMalformedRecords()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QByteArray read;
    QString said;
    QVERIFY(!readTaskData(text, &read, &said));
    QCOMPARE(said, error);
}

void TstTaskDownload::refusesMoreThanTheLengthFieldHolds()
{
    QByteArray read;
    QVERIFY(readTaskData(hexText(QByteArray(MaxTaskBytes, 'x')), &read));
    QCOMPARE(read.size(), MaxTaskBytes);
    QString error;
    QVERIFY(!readTaskData(hexText(QByteArray(MaxTaskBytes + 1, 'x')), &read, &error));
    QCOMPARE(error, QStringLiteral("The task holds more than 65535 bytes."));
}

void TstTaskDownload::reportsOnTheWire_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<int>>("continuations"); // data bytes per continuation report
    QTest::newRow("20 bytes") << 20 << QList<int>{};
    QTest::newRow("exactly the first report") << 52 << QList<int>{};
    QTest::newRow("100 bytes") << 100 << QList<int>{48};
    QTest::newRow("300 bytes") << 300 << QList<int>{60, 60, 60, 60, 8};
}

void TstTaskDownload::reportsOnTheWire()
{
    QFETCH(int, size);
    QFETCH(QList<int>, continuations);
    LinkFixture f;
    FakeHid &fake = FakeHid::instance();
    for (int i = 0; i <= continuations.size(); ++i)
        fake.replies << ack();
    const QByteArray data = pattern(size);
    quint8 status = 0;
    QString error;
    QVERIFY2(sendTask(*f.link, f.write(hexText(data)), header, status, &error), qPrintable(error));
    QCOMPARE(int(status), int(StatusAcknowledged));

    QCOMPARE(fake.written.size(), 1 + continuations.size());
    const int n = std::min(size, 52);
    QCOMPARE(fake.written.at(0),
             bytes({0x00, 0x0A, 0x01, 0x11, 0x22, 0x33, 0xAB, 0xCD, size >> 8, size & 0xFF, n}) + data.left(n));
    int from = n;
    for (int i = 0; i < continuations.size(); ++i) {
        const int m = continuations.at(i);
        QCOMPARE(fake.written.at(i + 1), bytes({0x00, 0x0A, 0x02, i + 1, m}) + data.mid(from, m));
        from += m;
    }
    QCOMPARE(from, size);
}

void TstTaskDownload::unacknowledgedReportStops_data()
{
    QTest::addColumn<int>("acknowledged"); // reports acknowledged before the refusal
    QTest::addColumn<int>("status");
    QTest::newRow("first report") << 0 << 0xFF;
    QTest::newRow("second continuation") << 2 << int(StatusAcknowledged);
}

void TstTaskDownload::unacknowledgedReportStops()
{
    QFETCH(int, acknowledged);
    QFETCH(int, status);
    LinkFixture f;
    FakeHid &fake = FakeHid::instance();
    for (int i = 0; i < acknowledged; ++i)
        fake.replies << ack();
    fake.replies << bytes({0x00, 'E'}) << ack() << ack() << ack();
    quint8 result = 0;
    QVERIFY(!sendTask(*f.link, f.write(hexText(pattern(300))), header, result));
    QCOMPARE(int(result), status);
    // Nothing is sent after the refused report.
    QCOMPARE(fake.written.size(), acknowledged + 1);
}

void TstTaskDownload::firstReportRetriedAfterReconnect()
{
    LinkFixture f;
    FakeHid &fake = FakeHid::instance();
    fake.failNextWrite = true;
    fake.replies << ack() << ack();
    quint8 status = 0;
    QVERIFY(sendTask(*f.link, f.write(hexText(pattern(60))), header, status));
    QCOMPARE(int(status), int(StatusAcknowledged));
    QCOMPARE(fake.written.size(), 2);
    QCOMPARE(fake.written.at(0).mid(1, 2), bytes({0x0A, 0x01}));
    QCOMPARE(fake.written.at(1), bytes({0x00, 0x0A, 0x02, 0x01, 8}) + pattern(60).mid(52));

    // No answer at all: a failure, not a success.
    fake.written.clear();
    QVERIFY(!sendTask(*f.link, f.write(hexText(pattern(10))), header, status));
    QCOMPARE(int(status), 0xFF);
}

void TstTaskDownload::missingOrBrokenFileSendsNothing()
{
    LinkFixture f;
    quint8 status = 0;
    QString error;
    QVERIFY(!sendTask(*f.link, f.dir.filePath(QStringLiteral("none.hex")), header, status, &error));
    QCOMPARE(int(status), 0xFF);
    QVERIFY(error.startsWith(QStringLiteral("Cannot open ")));

    QVERIFY(!sendTask(*f.link, f.write(":0400000001020304F1\n"), header, status, &error));
    QCOMPARE(error, QStringLiteral("Line 1: checksum error."));
    QVERIFY(FakeHid::instance().written.isEmpty());
}

QTEST_GUILESS_MAIN(TstTaskDownload)
#include "tst_taskdownload.moc"
