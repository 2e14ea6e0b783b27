// The panel's terminal header element through a main window: the port it
// names is opened with its settings after the read, what the pseudo-terminal
// peer sends shows in the console's "Terminal" tab line by line, and a port
// that cannot be opened is said on the console.
#include "panelfixture.h"
#include "ptypeer.h"
#include "terminalport.h"

#include <QDockWidget>
#include <QTabWidget>
#include <QTextBrowser>
#include <QtTest>

namespace {

const QString body = QStringLiteral("<verticalcontainer><checkbox define=\"EN\" default=\"1\"/></verticalcontainer>");

QString terminalHeader(const QString &port, const QString &settings)
{
    return QStringLiteral("<terminal port=\"%1\" settings=\"%2\"/>\n").arg(port, settings);
}

QTextBrowser *terminalView(const MainWindow &window)
{
    return window.findChild<QTextBrowser *>(QStringLiteral("terminalView"));
}

} // namespace

class TstTerminalWindow : public QObject
{
    Q_OBJECT

private slots:
    void opensTheNamedPortWithItsSettings_data();
    void opensTheNamedPortWithItsSettings();
    void showsWholeLinesInTheTerminalTab();
    void failedOpenIsSaid();
    void panelWithoutTerminalOpensNone();
};

void TstTerminalWindow::opensTheNamedPortWithItsSettings_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("parity");
    QTest::newRow("odd parity") << "57600;8;O;1" << 57600 << int(QSerialPort::OddParity);
    QTest::newRow("no parity") << "57600;8;N;1" << 57600 << int(QSerialPort::NoParity);
    QTest::newRow("defaults") << "" << 115200 << int(QSerialPort::NoParity);
}

void TstTerminalWindow::opensTheNamedPortWithItsSettings()
{
    QFETCH(QString, settings);
    QFETCH(int, baud);
    QFETCH(int, parity);
    PtyPeer peer;
    QVERIFY(peer.isValid());
    PanelFixture f;
    QVERIFY(f.load(body, terminalHeader(peer.slaveName(), settings)));

    QVERIFY(f.window->terminal());
    const QSerialPort &port = f.window->terminal()->port();
    QVERIFY(port.isOpen());
    QCOMPARE(port.baudRate(), baud);
    QCOMPARE(int(port.dataBits()), int(QSerialPort::Data8));
    QCOMPARE(int(port.parity()), parity);
    QCOMPARE(int(port.stopBits()), int(QSerialPort::OneStop));

    // The terminal tab is the current one and the console is shown.
    auto *tabs = f.window->findChild<QTabWidget *>();
    QVERIFY(tabs);
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Terminal"));
    QCOMPARE(tabs->currentWidget(), terminalView(*f.window));
    QVERIFY(!f.window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->isHidden());
}

void TstTerminalWindow::showsWholeLinesInTheTerminalTab()
{
    PtyPeer peer;
    QVERIFY(peer.isValid());
    PanelFixture f;
    QVERIFY(f.load(body, terminalHeader(peer.slaveName(), QString())));
    QTextBrowser *view = terminalView(*f.window);
    QVERIFY(view);

    QVERIFY(peer.write("abc"));
    QTest::qWait(100);
    QCOMPARE(view->toPlainText(), QString());
    QVERIFY(peer.write("def\n"));
    QTRY_VERIFY(view->toPlainText().contains(QStringLiteral("abcdef")));

    // The device's text is text, never markup.
    QVERIFY(peer.write("<b>x</b><br>"));
    QTRY_VERIFY(view->toPlainText().contains(QStringLiteral("<b>x</b>")));
    // Nothing of it goes to the log tab.
    QVERIFY(!f.window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().contains(QStringLiteral("abcdef")));
}

void TstTerminalWindow::failedOpenIsSaid()
{
    PanelFixture f;
    f.clearConsole();
    QVERIFY(f.load(body, terminalHeader(QStringLiteral("ttyQuillmateMissing"), QStringLiteral("9600;8;N;1"))));
    QVERIFY(f.window->terminal());
    QVERIFY(!f.window->terminal()->port().isOpen());
    const QStringList lines = f.consoleLines();
    const QString expected = QStringLiteral("<font color=\"red\">Terminal: cannot open serial port /dev/ttyQuillmateMissing: ");
    QVERIFY2(std::any_of(lines.cbegin(), lines.cend(), [&](const QString &line) { return line.startsWith(expected); }),
             qPrintable(lines.join(QLatin1Char('\n'))));
    QVERIFY(terminalView(*f.window)->toPlainText().contains(QStringLiteral("cannot open serial port")));
    // The panel itself is loaded all the same.
    QVERIFY(f.element(QStringLiteral("EN")));
}

void TstTerminalWindow::panelWithoutTerminalOpensNone()
{
    PanelFixture f;
    QVERIFY(f.load(body));
    QVERIFY(!f.window->terminal());
    auto *tabs = f.window->findChild<QTabWidget *>();
    QVERIFY(tabs);
    for (int i = 0; i < tabs->count(); ++i)
        QVERIFY(tabs->tabText(i) != QStringLiteral("Terminal"));
}

QTEST_MAIN(TstTerminalWindow)
#include "tst_terminalwindow.moc"
