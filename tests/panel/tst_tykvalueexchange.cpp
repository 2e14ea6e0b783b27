// The Tyk value lists of a panel in a test shell: requests packed from
// elements and variables, replies unpacked into them, the receive time-outs
// and their latch, the reconnect after a failed transfer, over the fake HID
// table.
#include "dataclass.h"
#include "fakehid.h"
#include "shellfixture.h"
#include "tyklink.h"
#include "tykvalueexchange.h"
#include "tykvaluetext.h"

#include <QElapsedTimer>

#include <memory>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (const int value : values)
        result.append(char(value));
    return result;
}

QByteArray hidReply(std::initializer_list<int> values)
{
    QByteArray reply = bytes(values);
    reply.resize(64);
    return reply;
}

} // namespace

class TestTykValueExchange : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void packsElementsVariablesAndLiterals();
    void unpacksIntoElementsAndVariables();
    void unknownNamesAreReportedAndNotEntered();
    void reconnectsAndRetriesOnce();
    void replyIsUnpackedOnlyOnce();
    void timeoutsAreCountedAndLatchAtTen();
    void timeoutsWithoutReporting();
    void readOrResetStopsTheWait();

private:
    // tykElementsPanel loaded and the value lists over a link over the fake HID table.
    void loadWithFakeHid();

    std::unique_ptr<ShellFixture> f;
    std::unique_ptr<TykLink> m_link;
    std::unique_ptr<TykValueExchange> m_values;
    DataClass *m_variable = nullptr; // the panel's
};

void TestTykValueExchange::init()
{
    f = std::make_unique<ShellFixture>();
}

void TestTykValueExchange::cleanup()
{
    m_values.reset();
    m_link.reset();
    f.reset();
    m_variable = nullptr;
}

void TestTykValueExchange::loadWithFakeHid()
{
    QVERIFY(f->load(tykElementsPanel));
    FakeHid::reset();
    FakeHid::instance().attach(0, L"A1");
    auto transport = std::make_unique<HidTransport>(FakeHid::api(), [](const QStringList &) { return 0; });
    m_link = std::make_unique<TykLink>(std::move(transport));
    m_link->setReplyTimeout(20);
    QVERIFY(m_link->isConnected());
    m_values = std::make_unique<TykValueExchange>(*f->panel, [this](bool) { return m_link.get(); });
    m_variable = new DataClass(QStringLiteral("V"));
    f->panel->setDataClass(QStringLiteral("V"), m_variable);
    f->clearConsole();
    f->clearErrors();
}

void TestTykValueExchange::packsElementsVariablesAndLiterals()
{
    loadWithFakeHid();
    m_variable->setValue(0xA1B2C3D4u);
    f->element("A")->setValue(QStringLiteral("300"), KeywordValue);
    FakeHid::instance().replies << hidReply({});
    m_values->send(QStringLiteral("0x12;2:A;-2:A;4:V;-1:V;0b11;4:300"));
    QCOMPARE(FakeHid::instance().written,
             QList<QByteArray>{bytes({0x00, 0x12, 0x01, 0x2C, 0x2C, 0x01, 0xA1, 0xB2, 0xC3, 0xD4, 0xD4, 0x03,
                                      0x00, 0x00, 0x01, 0x2C})});
    QCOMPARE(f->errors(), QStringList());

    // An empty list sends nothing at all; a list that packs to no bytes still
    // makes one transfer, the report id alone.
    FakeHid::instance().written.clear();
    m_values->send(QString());
    QVERIFY(FakeHid::instance().written.isEmpty());
    FakeHid::instance().replies << hidReply({});
    m_values->send(QStringLiteral("0:5;0xZZ"));
    QCOMPARE(FakeHid::instance().written, QList<QByteArray>{bytes({0x00})});
    QCOMPARE(f->errors(), QStringList());
}

void TestTykValueExchange::unpacksIntoElementsAndVariables()
{
    loadWithFakeHid();
    FakeHid::instance().replies << hidReply({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08});
    m_values->send(QStringLiteral("0x01"));
    m_values->receive(QStringLiteral("2:A;?;-2:B;-3:V"));
    QCOMPARE(f->value("A"), QStringLiteral("258"));
    QCOMPARE(f->value("B"), QStringLiteral("1284"));
    QCOMPARE(m_variable->value(), 0x080706u);
    QCOMPARE(f->errors(), QStringList());
    QCOMPARE(m_values->timeoutCount(), quint16(0));
}

void TestTykValueExchange::unknownNamesAreReportedAndNotEntered()
{
    loadWithFakeHid();
    Panel *panel = f->panel.get();
    const int registered = panel->registries().elementsByDefine.size();

    FakeHid::instance().replies << hidReply({0x05, 0x06});
    m_values->send(QStringLiteral("NOSUCH;0B101;1"));
    QCOMPARE(FakeHid::instance().written, QList<QByteArray>{bytes({0x00, 0x01})});
    QCOMPARE(f->errors().size(), 2);
    QVERIFY(f->errors().at(0).endsWith(QStringLiteral("Send USB: Cannot convert \"NOSUCH\"")));
    QVERIFY(f->errors().at(1).endsWith(QStringLiteral("Send USB: Cannot convert \"0B101\"")));

    f->clearErrors();
    m_values->receive(QStringLiteral("1:NOSUCH;1:A"));
    QCOMPARE(f->errors().size(), 1);
    QVERIFY(f->errors().at(0).endsWith(QStringLiteral("Invalid value in recdata: \"NOSUCH\"")));
    QCOMPARE(f->value("A"), QStringLiteral("7"));

    QCOMPARE(panel->registries().elementsByDefine.size(), registered);
    QVERIFY(!panel->registries().elementsByDefine.contains(QStringLiteral("NOSUCH")));
    QVERIFY(!panel->registries().variablesByName.contains(QStringLiteral("NOSUCH")));
}

void TestTykValueExchange::reconnectsAndRetriesOnce()
{
    loadWithFakeHid();
    FakeHid &fake = FakeHid::instance();
    const size_t opensBefore = fake.opened.size();
    fake.failNextWrite = true;
    fake.replies << hidReply({0x2A});
    m_values->send(QStringLiteral("0x33"));
    // The failed write is not recorded; the retry after the reconnect is.
    QCOMPARE(fake.written, QList<QByteArray>{bytes({0x00, 0x33})});
    QCOMPARE(fake.opened.size(), opensBefore + 1);
    m_values->receive(QStringLiteral("A"));
    QCOMPARE(f->value("A"), QStringLiteral("42"));

    // Both attempts failing: two writes tried, no reply, the receive times out.
    fake.written.clear();
    fake.failNextWrite = true;
    fake.timeOutNextRead = true;
    m_values->send(QStringLiteral("0x34"));
    QCOMPARE(fake.written, QList<QByteArray>{bytes({0x00, 0x34})});
    f->clearConsole();
    m_values->receive(QStringLiteral("A"));
    QCOMPARE(f->value("A"), QStringLiteral("42"));
    QVERIFY(f->consoleLines().contains(tykTimeoutLine(QString(), QStringLiteral("A"), 1, 0)));
}

void TestTykValueExchange::replyIsUnpackedOnlyOnce()
{
    loadWithFakeHid();
    FakeHid::instance().replies << hidReply({0x11});
    m_values->send(QStringLiteral("0x01"));
    m_values->receive(QStringLiteral("A"));
    QCOMPARE(f->value("A"), QStringLiteral("17"));

    // The same 64-byte reply is still in the link, but it answered the
    // earlier request: a second receive does not take it again.
    f->element("A")->setValue(QStringLiteral("5"), KeywordValue);
    f->clearConsole();
    m_values->receive(QStringLiteral("A"));
    QCOMPARE(f->value("A"), QStringLiteral("5"));
    QCOMPARE(m_values->timeoutCount(), quint16(1));
    QCOMPARE(f->consoleLines(), QStringList{tykTimeoutLine(QString(), QStringLiteral("A"), 1, 0)});
}

void TestTykValueExchange::timeoutsAreCountedAndLatchAtTen()
{
    loadWithFakeHid();
    // No reply at all: every receive waits its time and gives up.
    for (int i = 1; i <= 10; ++i) {
        m_values->send(QStringLiteral("0x01"));
        QElapsedTimer clock;
        clock.start();
        m_values->receive(QStringLiteral("2:A"));
        QVERIFY(clock.elapsed() >= 19);
        QCOMPARE(m_values->timeoutCount(), quint16(i));
    }
    QCOMPARE(f->consoleLines().size(), 10);
    QCOMPARE(f->consoleLines().first(), tykTimeoutLine(QString(), QStringLiteral("2:A"), 2, 0));

    // Latched: no wait, no message, the count stays. Ten receives take far
    // less than the 200 ms ten waits would, also on a busy host.
    f->clearConsole();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 10; ++i) {
        m_values->send(QStringLiteral("0x01"));
        m_values->receive(QStringLiteral("2:A"));
    }
    QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_values->timeoutCount(), quint16(10));
    QCOMPARE(f->consoleLines(), QStringList());

    // A reply of two bytes or more re-arms the receive.
    FakeHid::instance().replies << hidReply({0x01, 0x00});
    m_values->send(QStringLiteral("0x01"));
    m_values->receive(QStringLiteral("2:A"));
    QCOMPARE(f->value("A"), QStringLiteral("256"));
    QCOMPARE(m_values->timeoutCount(), quint16(0));
}

void TestTykValueExchange::timeoutsWithoutReporting()
{
    loadWithFakeHid();
    f->panel->editHeader().ioCheckMode = 0;
    m_values->send(QStringLiteral("0x01"));
    m_values->receive(QStringLiteral("A"));
    QCOMPARE(m_values->timeoutCount(), quint16(1));
    QCOMPARE(f->consoleLines(), QStringList());
}

void TestTykValueExchange::readOrResetStopsTheWait()
{
    loadWithFakeHid();
    FakeHid::instance().replies << hidReply({0x09});
    m_values->send(QStringLiteral("0x01"));
    f->panel->editFlags().readOrResetInProgress = true;
    m_values->receive(QStringLiteral("A"));
    f->panel->editFlags().readOrResetInProgress = false;
    QCOMPARE(f->value("A"), QStringLiteral("7"));
    QCOMPARE(m_values->timeoutCount(), quint16(0));
    QCOMPARE(f->consoleLines(), QStringList());

    // The flag is set while the GUI is reset, and cleared afterwards.
    f->panel->resetGUI();
    QVERIFY(!f->panel->flags().readOrResetInProgress);
}

QTEST_MAIN(TestTykValueExchange)
#include "tst_tykvalueexchange.moc"
