// The Tyk value lists through a main window: requests packed from elements
// and variables, replies unpacked into them, the receive time-outs and their
// latch, the reconnect after a failed transfer, over the fake HID table and
// over a pseudo-terminal that plays the adapter on a COM port.
#include "dataclass.h"
#include "fakehid.h"
#include "panelfixture.h"
#include "ptypeer.h"
#include "tyklink.h"
#include "tykvalueexchange.h"

#include <QPushButton>
#include <QTemporaryDir>

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

const char *const elementsPanel =
    "<verticalcontainer>"
    "<spinbox define=\"A\" range=\"0;100000\" default=\"7\"/>"
    "<spinbox define=\"B\" range=\"0;100000\" default=\"0\"/>"
    "</verticalcontainer>";

QString timeoutLine(const QString &source, const QString &list, int needed, int available)
{
    return QStringLiteral("Cannot receive requested data from external device. USB timeout: cannot supply "
                          "%1(\"%2\"). %3 bytes needed, %4 available.<br>")
        .arg(source, list)
        .arg(needed)
        .arg(available);
}

} // namespace

class TestValueLists : public QObject
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
    void buttonExchangeOverSerialPort();
    void silentSerialPeerTimesOutNamingTheButton();
    void missingSerialPortIsSaidOnceTimeoutsFollowTheSwitch_data();
    void missingSerialPortIsSaidOnceTimeoutsFollowTheSwitch();

private:
    // A window with elementsPanel loaded and a link over the fake HID table.
    void loadWithFakeHid();

    std::unique_ptr<PanelFixture> f;
    DataClass *m_variable = nullptr; // the panel's
};

void TestValueLists::init()
{
    f = std::make_unique<PanelFixture>();
}

void TestValueLists::cleanup()
{
    f.reset();
    m_variable = nullptr;
}

void TestValueLists::loadWithFakeHid()
{
    QVERIFY(f->load(elementsPanel));
    FakeHid::reset();
    FakeHid::instance().attach(0, L"A1");
    auto transport = std::make_unique<HidTransport>(FakeHid::api(), [](const QStringList &) { return 0; });
    f->window->replaceTykLink(new TykLink(std::move(transport)));
    f->window->tykAdapterLink()->setReplyTimeout(20);
    QVERIFY(f->window->tykAdapterLink()->isConnected());
    m_variable = new DataClass(QStringLiteral("V"));
    f->window->panel()->setDataClass(QStringLiteral("V"), m_variable);
    f->clearConsole();
    f->clearErrors();
}

void TestValueLists::packsElementsVariablesAndLiterals()
{
    loadWithFakeHid();
    m_variable->setValue(0xA1B2C3D4u);
    f->element("A")->setValue(QStringLiteral("300"), KeywordValue);
    FakeHid::instance().replies << hidReply({});
    f->window->sendUSB(QStringLiteral("0x12;2:A;-2:A;4:V;-1:V;0b11;4:300"));
    QCOMPARE(FakeHid::instance().written,
             QList<QByteArray>{bytes({0x00, 0x12, 0x01, 0x2C, 0x2C, 0x01, 0xA1, 0xB2, 0xC3, 0xD4, 0xD4, 0x03,
                                      0x00, 0x00, 0x01, 0x2C})});
    QCOMPARE(f->errors(), QStringList());

    // An empty list sends nothing at all; a list that packs to no bytes still
    // makes one transfer, the report id alone.
    FakeHid::instance().written.clear();
    f->window->sendUSB(QString());
    QVERIFY(FakeHid::instance().written.isEmpty());
    FakeHid::instance().replies << hidReply({});
    f->window->sendUSB(QStringLiteral("0:5;0xZZ"));
    QCOMPARE(FakeHid::instance().written, QList<QByteArray>{bytes({0x00})});
    QCOMPARE(f->errors(), QStringList());
}

void TestValueLists::unpacksIntoElementsAndVariables()
{
    loadWithFakeHid();
    FakeHid::instance().replies << hidReply({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08});
    f->window->sendUSB(QStringLiteral("0x01"));
    f->window->recData(QStringLiteral("2:A;?;-2:B;-3:V"));
    QCOMPARE(f->value("A"), QStringLiteral("258"));
    QCOMPARE(f->value("B"), QStringLiteral("1284"));
    QCOMPARE(m_variable->value(), 0x080706u);
    QCOMPARE(f->errors(), QStringList());
    QCOMPARE(f->window->tykValues().timeoutCount(), quint16(0));
}

void TestValueLists::unknownNamesAreReportedAndNotEntered()
{
    loadWithFakeHid();
    Panel *panel = f->window->panel();
    const int registered = panel->elementsByDefine().size();

    FakeHid::instance().replies << hidReply({0x05, 0x06});
    f->window->sendUSB(QStringLiteral("NOSUCH;0B101;1"));
    QCOMPARE(FakeHid::instance().written, QList<QByteArray>{bytes({0x00, 0x01})});
    QCOMPARE(f->errors().size(), 2);
    QVERIFY(f->errors().at(0).endsWith(QStringLiteral("Send USB: Cannot convert \"NOSUCH\"")));
    QVERIFY(f->errors().at(1).endsWith(QStringLiteral("Send USB: Cannot convert \"0B101\"")));

    f->clearErrors();
    f->window->recData(QStringLiteral("1:NOSUCH;1:A"));
    QCOMPARE(f->errors().size(), 1);
    QVERIFY(f->errors().at(0).endsWith(QStringLiteral("Invalid value in recdata: \"NOSUCH\"")));
    QCOMPARE(f->value("A"), QStringLiteral("7"));

    QCOMPARE(panel->elementsByDefine().size(), registered);
    QVERIFY(!panel->elementsByDefine().contains(QStringLiteral("NOSUCH")));
    QVERIFY(!panel->variablesByName().contains(QStringLiteral("NOSUCH")));
}

void TestValueLists::reconnectsAndRetriesOnce()
{
    loadWithFakeHid();
    FakeHid &fake = FakeHid::instance();
    const size_t opensBefore = fake.opened.size();
    fake.failNextWrite = true;
    fake.replies << hidReply({0x2A});
    f->window->sendUSB(QStringLiteral("0x33"));
    // The failed write is not recorded; the retry after the reconnect is.
    QCOMPARE(fake.written, QList<QByteArray>{bytes({0x00, 0x33})});
    QCOMPARE(fake.opened.size(), opensBefore + 1);
    f->window->recData(QStringLiteral("A"));
    QCOMPARE(f->value("A"), QStringLiteral("42"));

    // Both attempts failing: two writes tried, no reply, the receive times out.
    fake.written.clear();
    fake.failNextWrite = true;
    fake.timeOutNextRead = true;
    f->window->sendUSB(QStringLiteral("0x34"));
    QCOMPARE(fake.written, QList<QByteArray>{bytes({0x00, 0x34})});
    f->clearConsole();
    f->window->recData(QStringLiteral("A"));
    QCOMPARE(f->value("A"), QStringLiteral("42"));
    QVERIFY(f->consoleLines().contains(timeoutLine(QString(), QStringLiteral("A"), 1, 0)));
}

void TestValueLists::replyIsUnpackedOnlyOnce()
{
    loadWithFakeHid();
    FakeHid::instance().replies << hidReply({0x11});
    f->window->sendUSB(QStringLiteral("0x01"));
    f->window->recData(QStringLiteral("A"));
    QCOMPARE(f->value("A"), QStringLiteral("17"));

    // The same 64-byte reply is still in the link, but it answered the
    // earlier request: a second receive does not take it again.
    f->element("A")->setValue(QStringLiteral("5"), KeywordValue);
    f->clearConsole();
    f->window->recData(QStringLiteral("A"));
    QCOMPARE(f->value("A"), QStringLiteral("5"));
    QCOMPARE(f->window->tykValues().timeoutCount(), quint16(1));
    QCOMPARE(f->consoleLines(), QStringList{timeoutLine(QString(), QStringLiteral("A"), 1, 0)});
}

void TestValueLists::timeoutsAreCountedAndLatchAtTen()
{
    loadWithFakeHid();
    // No reply at all: every receive waits its time and gives up.
    for (int i = 1; i <= 10; ++i) {
        f->window->sendUSB(QStringLiteral("0x01"));
        QElapsedTimer clock;
        clock.start();
        f->window->recData(QStringLiteral("2:A"));
        QVERIFY(clock.elapsed() >= 19);
        QCOMPARE(f->window->tykValues().timeoutCount(), quint16(i));
    }
    QCOMPARE(f->consoleLines().size(), 10);
    QCOMPARE(f->consoleLines().first(), timeoutLine(QString(), QStringLiteral("2:A"), 2, 0));

    // Latched: no wait, no message, the count stays.
    f->clearConsole();
    f->window->sendUSB(QStringLiteral("0x01"));
    QElapsedTimer clock;
    clock.start();
    f->window->recData(QStringLiteral("2:A"));
    QVERIFY(clock.elapsed() < 15);
    QCOMPARE(f->window->tykValues().timeoutCount(), quint16(10));
    QCOMPARE(f->consoleLines(), QStringList());

    // A reply of two bytes or more re-arms the receive.
    FakeHid::instance().replies << hidReply({0x01, 0x00});
    f->window->sendUSB(QStringLiteral("0x01"));
    f->window->recData(QStringLiteral("2:A"));
    QCOMPARE(f->value("A"), QStringLiteral("256"));
    QCOMPARE(f->window->tykValues().timeoutCount(), quint16(0));
}

void TestValueLists::timeoutsWithoutReporting()
{
    loadWithFakeHid();
    f->window->panel()->setIoCheckMode(0);
    f->window->sendUSB(QStringLiteral("0x01"));
    f->window->recData(QStringLiteral("A"));
    QCOMPARE(f->window->tykValues().timeoutCount(), quint16(1));
    QCOMPARE(f->consoleLines(), QStringList());
}

void TestValueLists::readOrResetStopsTheWait()
{
    loadWithFakeHid();
    FakeHid::instance().replies << hidReply({0x09});
    f->window->sendUSB(QStringLiteral("0x01"));
    f->window->panel()->setReadOrResetInProgress(true);
    f->window->recData(QStringLiteral("A"));
    f->window->panel()->setReadOrResetInProgress(false);
    QCOMPARE(f->value("A"), QStringLiteral("7"));
    QCOMPARE(f->window->tykValues().timeoutCount(), quint16(0));
    QCOMPARE(f->consoleLines(), QStringList());

    // The flag is set while the GUI is reset, and cleared afterwards.
    f->window->panel()->resetGUI();
    QVERIFY(!f->window->panel()->readOrResetInProgress());
}

// The request goes out through the button's action on the COM port the
// panel names; the reply lands in the element.
void TestValueLists::buttonExchangeOverSerialPort()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    QVERIFY(f->load(QStringLiteral(
                        "<verticalcontainer>"
                        "<spinbox define=\"CNT\" range=\"0;100000\" default=\"300\"/>"
                        "<spinbox define=\"OUT\" range=\"0;100000\" default=\"0\"/>"
                        "<button label=\"Go\"><action event=\"clicked\" cmd=\"sendUSB\" "
                        "data=\"0xA5;2:CNT;-2:CNT;-4:0x01020304\" recdata=\"?;-2:OUT;CNT\"/></button>"
                        "</verticalcontainer>"),
                    QStringLiteral("<ioconfig port=\"%1\"/>").arg(peer.slaveName())));
    QVERIFY(f->window->panel()->usesTyk());
    QPushButton *button = nullptr;
    for (QPushButton *candidate : f->window->findChildren<QPushButton *>()) {
        if (candidate->text() == QLatin1String("Go"))
            button = candidate;
    }
    QVERIFY(button);

    QByteArray request;
    peer.play([&request](PtyPeer &p) {
        request = p.readExactly(9);
        p.write(bytes({0xEE, 0x34, 0x12, 0x2A}));
    });
    button->click();
    peer.join();
    QCOMPARE(request, bytes({0xA5, 0x01, 0x2C, 0x2C, 0x01, 0x04, 0x03, 0x02, 0x01}));
    QVERIFY(f->window->tykAdapterLink());
    QCOMPARE(f->value("OUT"), QStringLiteral("4660"));
    QCOMPARE(f->value("CNT"), QStringLiteral("42"));
    QCOMPARE(f->errors(), QStringList());
}

void TestValueLists::silentSerialPeerTimesOutNamingTheButton()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    QVERIFY(f->load(QStringLiteral(
                        "<verticalcontainer>"
                        "<spinbox define=\"OUT\" range=\"0;100000\" default=\"0\"/>"
                        "<button label=\"Go\"><action event=\"clicked\" cmd=\"sendUSB\" "
                        "data=\"0x01\" recdata=\"2:OUT\"/></button>"
                        "</verticalcontainer>"),
                    QStringLiteral("<ioconfig port=\"%1\"/>").arg(peer.slaveName())));
    QPushButton *button = nullptr;
    for (QPushButton *candidate : f->window->findChildren<QPushButton *>()) {
        if (candidate->text() == QLatin1String("Go"))
            button = candidate;
    }
    QVERIFY(button);
    // The adapter answers with one byte only.
    peer.play([](PtyPeer &p) {
        p.readExactly(1);
        p.write(bytes({0x07}));
    });
    QVERIFY(!button->objectName().isEmpty());
    f->clearConsole();
    button->click();
    peer.join();
    QCOMPARE(f->value("OUT"), QStringLiteral("0"));
    QCOMPARE(f->consoleLines(), QStringList{timeoutLine(button->objectName(), QStringLiteral("2:OUT"), 2, 1)});
    QCOMPARE(f->window->tykValues().timeoutCount(), quint16(1));
}

void TestValueLists::missingSerialPortIsSaidOnceTimeoutsFollowTheSwitch_data()
{
    QTest::addColumn<int>("ioCheckMode");
    QTest::newRow("time-outs reported") << 1;
    QTest::newRow("time-outs held back") << 0;
}

// A COM port that cannot be opened is an error of its own, said on the first
// failure in a row (not on every retry of every send); the receive time-outs
// behind it stay with the panel's I/O check switch.
void TestValueLists::missingSerialPortIsSaidOnceTimeoutsFollowTheSwitch()
{
    QFETCH(int, ioCheckMode);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString port = dir.filePath(QStringLiteral("ttyMissing"));
    QVERIFY(f->load(QLatin1String(elementsPanel),
                    QStringLiteral("<ioconfig port=\"%1\"/><iocheck mode=\"%2\"/>").arg(port).arg(ioCheckMode)));
    f->clearConsole();
    for (int round = 0; round < 3; ++round) {
        f->window->sendUSB(QStringLiteral("0x01"));
        f->window->recData(QStringLiteral("A"));
    }
    const QStringList lines = f->consoleLines();
    const QString openFailure = QStringLiteral("<font color=\"red\">Tyk: Serial port %1: cannot open (").arg(port);
    QCOMPARE(lines.filter(openFailure).size(), 1);
    QCOMPARE(lines.filter(QStringLiteral("Cannot receive requested data")).size(), ioCheckMode == 1 ? 3 : 0);
    QCOMPARE(f->value("A"), QStringLiteral("7"));
}

QTEST_MAIN(TestValueLists)
#include "tst_valuelists.moc"
