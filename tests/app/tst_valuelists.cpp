// The Tyk value lists through a main window: a button's exchange over the
// link the window opens on the COM port the panel names, against a
// pseudo-terminal that plays the adapter. The value lists themselves are
// tested on a panel in a test shell (tests/panel/tst_tykvalueexchange).
#include "panelfixture.h"
#include "ptypeer.h"
#include "tyklink.h"
#include "tykvalueexchange.h"
#include "tykvaluetext.h"

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

} // namespace

class TestValueLists : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void buttonExchangeOverSerialPort();
    void silentSerialPeerTimesOutNamingTheButton();
    void missingSerialPortIsSaidOnceTimeoutsFollowTheSwitch_data();
    void missingSerialPortIsSaidOnceTimeoutsFollowTheSwitch();

private:
    std::unique_ptr<PanelFixture> f;
};

void TestValueLists::init()
{
    f = std::make_unique<PanelFixture>();
}

void TestValueLists::cleanup()
{
    f.reset();
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
    QVERIFY(f->window->targetLink().tykLink);
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
    QCOMPARE(f->consoleLines(), QStringList{tykTimeoutLine(button->objectName(), QStringLiteral("2:OUT"), 2, 1)});
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
    QVERIFY(f->load(QLatin1String(tykElementsPanel),
                    QStringLiteral("<ioconfig port=\"%1\"/><iocheck mode=\"%2\"/>").arg(port).arg(ioCheckMode)));
    f->clearConsole();
    for (int round = 0; round < 3; ++round) {
        f->window->panelShell().sendUSB(QStringLiteral("0x01"));
        f->window->panelShell().recData(QStringLiteral("A"));
    }
    const QStringList lines = f->consoleLines();
    const QString openFailure = QStringLiteral("<font color=\"red\">Tyk: Serial port %1: cannot open (").arg(port);
    QCOMPARE(lines.filter(openFailure).size(), 1);
    QCOMPARE(lines.filter(QStringLiteral("Cannot receive requested data")).size(), ioCheckMode == 1 ? 3 : 0);
    QCOMPARE(f->value("A"), QStringLiteral("7"));
}

QTEST_MAIN(TestValueLists)
#include "tst_valuelists.moc"
