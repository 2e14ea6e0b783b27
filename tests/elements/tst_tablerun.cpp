// Running a register table's rows over the Tyk link, against a
// pseudo-terminal peer that plays the adapter on a COM port.
#include "contrast.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "programversion.h"
#include "ptypeer.h"
#include "table.h"
#include "testenvironment.h"
#include "testshell.h"
#include "tyklink.h"

#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QTextDocument>
#include <QtTest>

#include <memory>

// A window stand-in whose Tyk link is a COM port: the peer's pseudo-terminal.
class LinkShell : public TestShell
{
public:
    QString port;
    std::unique_ptr<TykLink> link;
    int linksMade = 0;

    TykLink *tykLinkForTables(bool create) override
    {
        if (!link && create && !port.isEmpty()) {
            link = std::make_unique<TykLink>(port, QString());
            link->setReplyTimeout(150);
            ++linksMade;
        }
        return link.get();
    }
};

class TestTableRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void rowsRunWithAnswersAndTargets();
    void sendListItems_data();
    void sendListItems();
    void peerThatNeverAnswersStopsTheRun();
    void runsThatSendNothing_data();
    void runsThatSendNothing();
    void invalidTargetStopsTheRun();
    void stopRequestEndsTheRun();

private:
    std::unique_ptr<Table> makeTable(const QString &sendFormat, const QString &recFormat);
    QString consoleText() const;

    TestEnvironment m_env;
    LinkShell m_shell;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<PtyPeer> m_peer;
    QList<DataClass *> m_variables;
};

void TestTableRun::initTestCase()
{
    readProgramVersion();
}

void TestTableRun::init()
{
    m_env.installPrompt({});
    ErrorReporter::instance().setSinks(false, true, false);
    ErrorReporter::instance().setConsoleSink([this](const QString &html) { m_shell.console << html; });
    m_shell.reset();
    m_shell.link.reset();
    m_shell.linksMade = 0;
    m_peer = std::make_unique<PtyPeer>();
    QVERIFY(m_peer->isValid());
    m_shell.port = m_peer->slaveName();
    m_panel = std::make_unique<Panel>(&m_shell);
    for (const char *name : {"$ADDRESS$", "$VALUE$", "$FUNC$", "RESULT"}) {
        auto *variable = new DataClass(QLatin1String(name));
        m_variables << variable;
        m_panel->setDataClass(QLatin1String(name), variable);
    }
}

void TestTableRun::cleanup()
{
    m_peer.reset();
    m_shell.link.reset();
    // The variables were the panel's and went with it.
    m_panel.reset();
    m_variables.clear();
    ErrorReporter::instance().setConsoleSink(nullptr);
}

std::unique_ptr<Table> TestTableRun::makeTable(const QString &sendFormat, const QString &recFormat)
{
    auto table = std::make_unique<Table>(QStringLiteral("SEQ"));
    table->setHost(m_panel.get());
    table->setColumn(0, TableColumnRegName, "Register", {}, {}, 120, {}, {});
    table->setColumn(1, TableColumnAddress, "Address", {}, {}, 60, {}, {});
    table->setColumn(2, TableColumnFunc, "Func", {}, {}, 40, {}, {});
    table->setColumn(3, TableColumnValue, "Value", {}, {}, 60, {}, {});
    table->setColumn(4, TableColumnDelay, "Delay", {}, {}, 40, {}, {});
    table->setColumn(5, TableColumnAnswer, "Answer", {}, {}, 80, {}, {});
    table->setColumn(6, TableColumnComment, "Comment", {}, {}, 100, {}, {});
    table->buildModel(7, 3);
    table->setSendFormat(sendFormat);
    table->setRecFormat(recFormat);
    return table;
}

QString TestTableRun::consoleText() const
{
    QTextDocument document;
    document.setHtml(m_shell.console.join(QString()));
    return document.toPlainText();
}

void TestTableRun::rowsRunWithAnswersAndTargets()
{
    auto table = makeTable(QStringLiteral("0x57;1:$FUNC$;4:$ADDRESS$;-2:$VALUE$"), QStringLiteral("1:%02X;2:%04X|RESULT"));
    table->loadValue(QStringLiteral("M.R,0x20,1,0x1234,5,;M.S,0x24,0,7,0,;"));
    table->selectLine(0);

    QByteArray received;
    m_peer->play([&received](PtyPeer &peer) {
        received += peer.readExactly(8);
        peer.write(QByteArray::fromHex("AA0102"));
        received += peer.readExactly(8);
        peer.write(QByteArray::fromHex("BB0304"));
    });
    table->setValue(QString(), 19);
    m_peer->join();

    QCOMPARE(received.toHex(), QByteArray("5701000000203412" "5700000000240700"));
    QCOMPARE(table->cellText(0, 5), QStringLiteral("AA 0102 "));
    QCOMPARE(table->cellText(1, 5), QStringLiteral("BB 0304 "));
    QCOMPARE(m_variables.at(3)->value(), 0x0304u); // RESULT
    QCOMPARE(m_variables.at(0)->value(), 0x24u);    // $ADDRESS$ of the last row
    QCOMPARE(table->lastRegisterNames(), (QStringList{"M.S", "M.R"}));
    QCOMPARE(int(table->currentRowIndex()), 0);
    QVERIFY(!table->isRunning());
    QCOMPARE(m_shell.linksMade, 1);
}

void TestTableRun::sendListItems_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("bytes"); // hexadecimal
    QTest::addColumn<QString>("error"); // what the user is told; empty: nothing
    QTest::newRow("hex without count") << "0x1234" << "34" << "";
    QTest::newRow("hex, count 2") << "2:0x1234" << "1234" << "";
    QTest::newRow("hex, count -2") << "-2:0x1234" << "3412" << "";
    // A decimal value honours its count as a sendUSB list does.
    QTest::newRow("decimal, count 2") << "2:18" << "0012" << "";
    QTest::newRow("decimal 300, count 4") << "4:300" << "0000012c" << "";
    QTest::newRow("binary") << "0b101" << "05" << "";
    QTest::newRow("variable") << "2:$VALUE$" << "0009" << "";
    // An item that is no value is told and sends nothing; the row still goes.
    QTest::newRow("no value") << "0x01;NOSUCH" << "01" << "Send USB: Cannot convert 'NOSUCH'";
}

void TestTableRun::sendListItems()
{
    QFETCH(QString, item);
    QFETCH(QString, bytes);
    QFETCH(QString, error);
    auto table = makeTable(item, QStringLiteral("%02X"));
    table->loadValue(QStringLiteral("M.R,0x20,1,9,0,;"));
    QByteArray received;
    const int count = int(bytes.size() / 2);
    m_peer->play([&received, count](PtyPeer &peer) {
        received = peer.readExactly(count);
        peer.write(QByteArray::fromHex("01"));
    });
    table->setValue(QString(), 19);
    m_peer->join();
    QCOMPARE(QString::fromLatin1(received.toHex()), bytes);
    QCOMPARE(table->cellText(0, 5), QStringLiteral("01 "));
    if (error.isEmpty())
        QVERIFY2(!consoleText().contains(QLatin1String("Cannot convert")), qPrintable(consoleText()));
    else
        QVERIFY2(consoleText().contains(error), qPrintable(consoleText()));
}

void TestTableRun::peerThatNeverAnswersStopsTheRun()
{
    auto table = makeTable(QStringLiteral("0x01"), QStringLiteral("%02X;%02X"));
    table->loadValue(QStringLiteral("M.R,0x20,1,9,0,;M.S,0x20,1,9,0,;"));
    m_peer->play([](PtyPeer &peer) { peer.readExactly(1); });
    QElapsedTimer clock;
    clock.start();
    table->setValue(QString(), 19);
    m_peer->join();
    QVERIFY2(clock.elapsed() < 3000, "the run must not hang");
    QVERIFY(!table->isRunning());
    QVERIFY(consoleText().contains(QStringLiteral("no complete reply to row 0 (M.R)")));
    QCOMPARE(table->cellText(0, 5), QString());
    // The failed row stays marked, its text readable on the mark whatever
    // the palette's text colour.
    const QStandardItem *marked = table->tableModel()->item(0, 0);
    QCOMPARE(marked->background().color(), QColor(Qt::cyan));
    QVERIFY(contrastRatio(marked->foreground().color(), Qt::cyan) >= readableTextContrast);
}

void TestTableRun::runsThatSendNothing_data()
{
    QTest::addColumn<QString>("sendFormat");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("loops");
    QTest::addColumn<bool>("linkMade");
    QTest::newRow("empty send format") << "" << "M.R,0x20,1,9,0,;" << 1 << true;
    QTest::newRow("first row without name") << "0x01" << ",0x20,1,9,0,;" << 1 << true;
    QTest::newRow("sendloop 0") << "0x01" << "M.R,0x20,1,9,0,;" << 0 << true;
}

void TestTableRun::runsThatSendNothing()
{
    QFETCH(QString, sendFormat);
    QFETCH(QString, rows);
    QFETCH(int, loops);
    QFETCH(bool, linkMade);
    auto table = makeTable(sendFormat, QStringLiteral("%02X"));
    table->loadValue(rows);
    table->setValue(QString::number(loops), 16);
    table->setValue(QStringLiteral("1"), 12);
    table->setColumnWidth(0, 57);
    table->setValue(QString(), 19);
    QCOMPARE(m_peer->readExactly(1, 200), QByteArray());
    QCOMPARE(m_shell.linksMade, linkMade ? 1 : 0);
    QCOMPARE(int(table->currentRowIndex()), 1); // the cursor is back
    if (sendFormat.isEmpty())
        QCOMPARE(table->columnWidth(0), 57); // not even the widths change
    else
        QCOMPARE(table->columnWidth(0), 120);
}

void TestTableRun::invalidTargetStopsTheRun()
{
    auto table = makeTable(QStringLiteral("0x01"), QStringLiteral("%02X|NOSUCH"));
    table->loadValue(QStringLiteral("M.R,0x20,1,9,0,;M.S,0x20,1,9,0,;"));
    int requests = 0;
    m_peer->play([&requests](PtyPeer &peer) {
        while (peer.readExactly(1, 400).size() == 1) {
            ++requests;
            peer.write(QByteArray::fromHex("05"));
        }
    });
    table->setValue(QString(), 19);
    m_peer->join();
    QCOMPARE(requests, 1);
    QVERIFY(consoleText().contains(QStringLiteral("Invalid value in recdata: \"NOSUCH\"")));
    QCOMPARE(table->cellText(0, 5), QString());
}

void TestTableRun::stopRequestEndsTheRun()
{
    // Row 0 waits 300 ms after its reply; a stop requested meanwhile ends
    // the run before row 1 is sent.
    auto table = makeTable(QStringLiteral("0x01"), QStringLiteral("%02X"));
    table->loadValue(QStringLiteral("M.R,0x20,1,9,300,;M.S,0x20,1,9,0,;"));
    int requests = 0;
    m_peer->play([&requests](PtyPeer &peer) {
        while (peer.readExactly(1, 600).size() == 1) {
            ++requests;
            peer.write(QByteArray::fromHex("05"));
        }
    });
    QTimer::singleShot(100, table.get(), [&table] { table->stopRun(); });
    table->setValue(QString(), 19);
    m_peer->join();
    QCOMPARE(requests, 1);
    QVERIFY(!table->isRunning());
    QCOMPARE(table->cellText(0, 5), QStringLiteral("05 "));
}

QTEST_MAIN(TestTableRun)
#include "tst_tablerun.moc"
