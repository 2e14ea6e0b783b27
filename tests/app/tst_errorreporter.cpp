#include "errorreporter.h"
#include "mainwindow.h"
#include "testenvironment.h"
#include "windowoptions.h"

#include <QDockWidget>
#include <QLabel>
#include <QTextBrowser>
#include <QtTest>

#include <functional>
#include <memory>

class TestErrorReporter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void messagesNoInputReachesYet();
    void sinks_data();
    void sinks();
    void logMessageAddsNoLineEnd();
    void logCannotReadFileSkipsTheBox();
    void unopenableLogFileSwitchesTheFileSinkOff();
    void reopeningTruncates();
    void windowSetsTheSinksFromItsOptions();
    void consoleLinesAsPlainText_data();
    void consoleLinesAsPlainText();

private:
    QString readLog() const;

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
    QString logPath;
};

void TestErrorReporter::initTestCase()
{
    env = std::make_unique<TestEnvironment>();
    window = std::make_unique<MainWindow>(quietOptions());
    window->show();
    logPath = env->path("report.log");
}

void TestErrorReporter::init()
{
    env->installPrompt({});
    window->clearConsole();
    ErrorReporter::instance().setSinks(false, false, false);
    closeLogFile();
}

void TestErrorReporter::cleanupTestCase()
{
    closeLogFile();
    window.reset();
}

QString TestErrorReporter::readLog() const
{
    QFile file(logPath);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<unreadable>");
    return QString::fromLatin1(file.readAll());
}

// Each message the program prints is checked word for word where an input
// makes it print it: the panel reader's tests (format version, checksum, root
// container, defaults out of range), tst_panelopen, tst_setdef, tst_locks,
// tst_registries and tst_project. No input of this build reaches the reports
// below yet: nothing calls them, or no element gives cause to (every element
// has a define value). Their texts are checked here until one does.
void TestErrorReporter::messagesNoInputReachesYet()
{
    ErrorReporter::instance().setReportToMessageBox(true);
    QObject element;
    element.setObjectName("MODE");
    QLabel label;
    label.setObjectName("LBL");

    const struct {
        const char *name;
        std::function<void()> report;
        QString expected;
    } rows[] = {
        {"unsupported kind definevalue", [&] { reportUnsupportedValueKind(&element, 3); },
         "Can not return value of type \"definevalue\" from \"MODE\""},
        {"bits already assigned", [] { reportBitsAlreadyAssigned("CFG_%1", 7, 4); },
         "Tried to assign a GUI element to already assigned bits: CFG_%1\nMSB: 7 LSB: 4"},
        {"svd bits already assigned", [] { reportSvdBitsAlreadyAssigned("GPIO", "CR", "EN", 3, 0); },
         "Tried to assign a GUI element to already assigned bits: GPIO.CR.EN\nMSB: 3 LSB: 0"},
        {"bit order", [] { reportBitOrderError("X", 1, 5); }, "Bit order error in X: msb(1) < lsb(5)"},
        {"table xml mismatch", [] { reportTableXmlMismatch("cur.xml", "old.xml"); },
         "This table's qlmp was saved from another XML\nOriginal xml filename: old.xml\nCurrent xml filename: cur.xml"},
        {"table version mismatch", [] { reportTableVersionMismatch("1.2.0", "1.1.0"); },
         "Version of this table's qlmp file does not match the current xml version.\nTables qlmp version: 1.1.0\nCurrent xml version: 1.2.0"},
        {"invalid formula", [] { reportInvalidFormula("a+"); }, "Invalid formula: \"a+\""},
        {"invalid ledb", [] { reportInvalidLedbValue("q"); }, "Invalid value in ledb: \"q\""},
        {"invalid recdata", [] { reportInvalidRecdataValue("z"); }, "Invalid value in recdata: \"z\""},
        {"send usb", [] { reportSendUsbConversionError("0xZZ"); }, "Send USB: Cannot convert \"0xZZ\""},
        {"table send item", [] { reportTableSendConversionError("0xZZ"); }, "Send USB: Cannot convert '0xZZ'"},
        {"svd size", [] { reportSvdSizeError("P", "R", "F", 40); },
         "Out of size error while reading svd file: P.R.F Size=40"},
        {"bit range not supported", [&] { reportBitRangeNotSupported(&label, -1, -1); },
         "Trying to set MSB: -1 and LSB: -1 for LBL which is of type: QLabel\n"},
        {"fields on non-svd define", [] { reportFieldsOnNonSvdDefine("D"); },
         "Defines not representing an svd value can't have fields: D"},
    };
    for (const auto &row : rows) {
        NonInteractivePrompt *prompt = env->installPrompt({});
        row.report();
        QVERIFY2(prompt->transcript().size() == 1, row.name);
        QVERIFY2(prompt->transcript().first() == row.expected,
                 qPrintable(QString("%1: got \"%2\"").arg(row.name, prompt->transcript().first())));
    }
}

void TestErrorReporter::sinks_data()
{
    QTest::addColumn<bool>("box");
    QTest::addColumn<bool>("console");
    QTest::addColumn<bool>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expectedLog");

    QTest::newRow("quiet: console only") << false << true << false << "plain" << "";
    QTest::newRow("box only (no -q, no -c)") << true << false << false << "plain" << "";
    QTest::newRow("-q with -c: log line carries <br>") << false << true << true << "plain" << "plain<br>\n";
    QTest::newRow("-c alone: no <br>") << true << false << true << "plain" << "plain\n";
    QTest::newRow("no second line feed") << false << false << true << "Write error\n" << "Write error\n";
    QTest::newRow("existing <br> is kept once") << false << true << true << "a<br>b" << "a<br>b\n";
}

void TestErrorReporter::sinks()
{
    QFETCH(bool, box);
    QFETCH(bool, console);
    QFETCH(bool, file);
    QFETCH(QString, message);
    QFETCH(QString, expectedLog);

    ErrorReporter::instance().setReportToLogFile(file);
    if (file)
        openLogFile(logPath);
    ErrorReporter::instance().setReportToMessageBox(box);
    ErrorReporter::instance().setReportToConsole(console);
    window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->hide();

    reportError(message);

    QCOMPARE(env->prompt()->transcript().size(), box ? 1 : 0);
    if (box)
        QCOMPARE(env->prompt()->transcript().first(), message);
    const QString consoleText = window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText();
    QCOMPARE(consoleText.contains(message.section('<', 0, 0).trimmed()), console);
    QCOMPARE(window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->isVisible(), console);
    if (file) {
        closeLogFile();
        QCOMPARE(readLog(), expectedLog);
    }
}

void TestErrorReporter::logMessageAddsNoLineEnd()
{
    ErrorReporter::instance().setReportToLogFile(true);
    openLogFile(logPath);
    logMessage("one");
    logMessage("two\n");
    closeLogFile();
    QCOMPARE(readLog(), QString("onetwo\n"));
    QVERIFY(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().contains("onetwo"));
    QVERIFY(env->prompt()->transcript().isEmpty());
}

void TestErrorReporter::logCannotReadFileSkipsTheBox()
{
    ErrorReporter::instance().setReportToMessageBox(true);
    ErrorReporter::instance().setReportToLogFile(true);
    openLogFile(logPath);
    logCannotReadFile("/nowhere/x.xml", "gone");
    closeLogFile();
    QVERIFY(env->prompt()->transcript().isEmpty());
    QCOMPARE(readLog(), QString("Cannot read file /nowhere/x.xml:\ngone"));
}

void TestErrorReporter::unopenableLogFileSwitchesTheFileSinkOff()
{
    ErrorReporter::instance().setReportToMessageBox(true);
    ErrorReporter::instance().setReportToLogFile(true);
    const QString bad = env->path("missing-dir/log.txt");
    openLogFile(bad);
    QVERIFY(!ErrorReporter::instance().reportsToLogFile());
    QCOMPARE(env->prompt()->transcript().size(), 1);
    QVERIFY(env->prompt()->transcript().first().startsWith("Cannot open file " + bad + ":\n"));
    QVERIFY(!QFile::exists(bad));

    openLogFile(QString());
    QVERIFY(!ErrorReporter::instance().reportsToLogFile());
}

void TestErrorReporter::reopeningTruncates()
{
    ErrorReporter::instance().setReportToLogFile(true);
    openLogFile(logPath);
    logMessage("first run\n");
    openLogFile(logPath);
    logMessage("second\n");
    closeLogFile();
    QCOMPARE(readLog(), QString("second\n"));
}

void TestErrorReporter::windowSetsTheSinksFromItsOptions()
{
    ErrorReporter &reporter = ErrorReporter::instance();
    {
        CommandLineOptions quietRun = quietOptions();
        quietRun.consoleLog = logPath;
        MainWindow quietWindow(quietRun);
        QVERIFY(!reporter.reportsToMessageBox());
        QVERIFY(reporter.reportsToConsole());
        QVERIFY(reporter.reportsToLogFile());
        QCOMPARE(reporter.logFileName(), logPath);
        reportError("quiet run");
        QVERIFY(quietWindow.findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().contains("quiet run"));
    }
    // The closed window took its console and the log file with it.
    QVERIFY(!reporter.logFile().isOpen());
    // Start-up reports of its own (a missing home panel) come before it.
    const QString log = readLog();
    QVERIFY2(log.endsWith("quiet run<br>\n"), qPrintable(log));
    reportError("after the window");
    QVERIFY(env->prompt()->transcript().isEmpty());

    {
        MainWindow plainWindow{CommandLineOptions()};
        QVERIFY(reporter.reportsToMessageBox());
        QVERIFY(!reporter.reportsToConsole());
        QVERIFY(!reporter.reportsToLogFile());
    }
    reporter.setConsoleSink([this](const QString &html) { window->consolePrint(html); });
}

void TestErrorReporter::consoleLinesAsPlainText_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("text");
    QTest::newRow("coloured line") << "<font color=\"blue\"><b>Saved project: </font></b>a.qlmp<br>"
                                   << "Saved project: a.qlmp";
    QTest::newRow("breaks inside") << "one<br>two<BR/>three<br>\n" << "one\ntwo\nthree";
    QTest::newRow("link keeps its text") << "<a href=\"$xmlopen$x\">file</a> line 3" << "file line 3";
    // A file position names its file where the console shows the link.
    QTest::newRow("file position names the file")
        << "<b>(<a href=\"$xmlopen$demo.xml$-n9$-c51\">file</a> line 9, column 51)</b><br>"
        << "(demo.xml line 9, column 51)";
    QTest::newRow("file with colons and markup")
        << "<a href=\"$xmlopen$C$$$COLON$$$/p & q/a<b.xml$-n3$-c1\">file</a> line 3 and "
           "<a href=\"$xmlopen$/x/b.xml$-n4$-c2\">file</a> line 4"
        << "C:/p & q/a<b.xml line 3 and /x/b.xml line 4";
    QTest::newRow("escaped link names the file once decoded")
        << "(<a href=\"$xmlopen$/p &amp;amp; q.xml$-n2$-c5\">file</a> line 2, column 5)"
        << "(/p &amp; q.xml line 2, column 5)";
    // Without a file (a -d item outside any script) the link keeps its text.
    QTest::newRow("no file to name") << "in line  <a href=\"$xmlopen$$-n$-c1\">file</a> line " << "in line  file line ";
    // Escaped markup of panel texts is shown as written, decoded once only.
    QTest::newRow("entities decoded once") << "A&lt;B &amp; &quot;C&quot; &amp;lt;" << "A<B & \"C\" &lt;";
}

void TestErrorReporter::consoleLinesAsPlainText()
{
    QFETCH(QString, html);
    QFETCH(QString, text);
    QCOMPARE(ErrorReporter::plainText(html), text);
}

QTEST_MAIN(TestErrorReporter)
#include "tst_errorreporter.moc"
