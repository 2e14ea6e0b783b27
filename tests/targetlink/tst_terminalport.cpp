// The terminal port against a pseudo-terminal peer: settings, the "segger"
// port choice, line collection, escaping, the buffer limit and a port that
// cannot be opened.
#include "ptypeer.h"
#include "terminalport.h"

#include <QSignalSpy>
#include <QtTest>

using PortList = QList<QPair<QString, QString>>;

class TstTerminalPort : public QObject
{
    Q_OBJECT

private slots:
    void settings_data();
    void settings();
    void seggerPort_data();
    void seggerPort();
    void collectsLines_data();
    void collectsLines();
    void longTextWithoutLineEnd();
    void missingPort();
};

void TstTerminalPort::settings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::newRow("odd") << QStringLiteral("57600;8;O;1") << 57600 << int(QSerialPort::OddParity);
    QTest::newRow("none") << QStringLiteral("57600;8;N;1") << 57600 << int(QSerialPort::NoParity);
    QTest::newRow("default") << QString() << 115200 << int(QSerialPort::NoParity);
}

void TstTerminalPort::settings()
{
    QFETCH(QString, text);
    QFETCH(int, baud);
    QFETCH(int, parity);
    PtyPeer peer;
    QVERIFY(peer.isValid());
    TerminalPort terminal;
    QVERIFY(terminal.open(peer.slaveName(), text));
    QCOMPARE(terminal.port().baudRate(), baud);
    QCOMPARE(int(terminal.port().parity()), parity);
    QCOMPARE(terminal.port().dataBits(), QSerialPort::Data8);
    QCOMPARE(terminal.port().stopBits(), QSerialPort::OneStop);
}

void TstTerminalPort::seggerPort_data()
{
    using Ports = PortList;
    QTest::addColumn<QString>("name");
    QTest::addColumn<Ports>("ports");
    QTest::addColumn<QString>("chosen");
    const Ports two = {{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FTDI")},
                       {QStringLiteral("/dev/ttyACM0"), QStringLiteral("SEGGER")}};
    QTest::newRow("second port is SEGGER") << QStringLiteral("SEGGER") << two << QStringLiteral("/dev/ttyACM0");
    QTest::newRow("any case") << QStringLiteral("segger")
                              << Ports{{QStringLiteral("/dev/ttyACM1"), QStringLiteral("Segger")}}
                              << QStringLiteral("/dev/ttyACM1");
    QTest::newRow("none matches") << QStringLiteral("Segger")
                                  << Ports{{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("FTDI")}}
                                  << QStringLiteral("Segger");
    QTest::newRow("other name kept") << QStringLiteral("/dev/ttyUSB3") << two << QStringLiteral("/dev/ttyUSB3");
}

void TstTerminalPort::seggerPort()
{
    QFETCH(QString, name);
    QFETCH(PortList, ports);
    QFETCH(QString, chosen);
    QCOMPARE(TerminalPort::resolvePortName(name, ports), chosen);
}

void TstTerminalPort::collectsLines_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QStringList>("shown"); // what has been shown after each chunk, joined
    QTest::newRow("line in two chunks")
        << QList<QByteArray>{"abc", "def\n"} << QStringList{QString(), QStringLiteral("abcdef\n")};
    QTest::newRow("markup shown as text")
        << QList<QByteArray>{"<b>x</b> & y\n"} << QStringList{QStringLiteral("&lt;b&gt;x&lt;/b&gt; &amp; y\n")};
    QTest::newRow("<br> ends a line")
        << QList<QByteArray>{"a<b", "r>"} << QStringList{QString(), QStringLiteral("a<br>")};
    QTest::newRow("UTF-8 split between chunks")
        << QList<QByteArray>{"caf\xc3", "\xa9\n"} << QStringList{QString(), QStringLiteral("caf\u00e9\n")};
}

void TstTerminalPort::collectsLines()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QStringList, shown);
    PtyPeer peer;
    QVERIFY(peer.isValid());
    TerminalPort terminal;
    QString console;
    connect(&terminal, &TerminalPort::consoleText, this, [&console](const QString &html) { console += html; });
    QVERIFY(terminal.open(peer.slaveName(), QString()));
    for (int i = 0; i < chunks.size(); ++i) {
        QVERIFY(peer.write(chunks.at(i)));
        if (shown.at(i).isEmpty()) {
            // Give the chunk time to arrive; nothing may be shown yet.
            QTest::qWait(50);
            QCOMPARE(console, QString());
        } else {
            QTRY_COMPARE(console, shown.at(i));
        }
    }
}

void TstTerminalPort::longTextWithoutLineEnd()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    TerminalPort terminal;
    QStringList pieces;
    connect(&terminal, &TerminalPort::consoleText, this, [&pieces](const QString &html) { pieces << html; });
    QVERIFY(terminal.open(peer.slaveName(), QString()));

    const QByteArray text(10000, 'x');
    peer.play([&text](PtyPeer &p) { p.write(text); });
    QTRY_COMPARE(pieces.size(), 2);
    peer.join();
    QCOMPARE(pieces.at(0), QString(TerminalPort::MaxBufferedChars, QLatin1Char('x')));
    QCOMPARE(pieces.at(1), pieces.at(0));
    // The rest waits for its line end.
    QVERIFY(peer.write("\n"));
    QTRY_COMPARE(pieces.size(), 3);
    QCOMPARE(pieces.at(2), QString(10000 - 2 * TerminalPort::MaxBufferedChars, QLatin1Char('x')) + QLatin1Char('\n'));
}

void TstTerminalPort::missingPort()
{
    TerminalPort terminal;
    QStringList lines;
    connect(&terminal, &TerminalPort::consoleText, this, [&lines](const QString &html) { lines << html; });
    QVERIFY(!terminal.open(QStringLiteral("ttyQuillmate<Missing>"), QStringLiteral("9600;8;N;1")));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.at(0).startsWith(QStringLiteral(
                 "<font color=\"red\">Terminal: cannot open serial port /dev/ttyQuillmate&lt;Missing&gt;: ")),
             qPrintable(lines.at(0)));
    QVERIFY(!terminal.port().isOpen());
}

QTEST_GUILESS_MAIN(TstTerminalPort)
#include "tst_terminalport.moc"
