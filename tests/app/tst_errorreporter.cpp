#include "errorreporter.h"
#include "mainwindow.h"
#include "programversion.h"
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
    void messageTextsAreExact();
    void sinks_data();
    void sinks();
    void logMessageAddsNoLineEnd();
    void logCannotReadFileSkipsTheBox();
    void unopenableLogFileSwitchesTheFileSinkOff();
    void reopeningTruncates();
    void windowSetsTheSinksFromItsOptions();

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

void TestErrorReporter::messageTextsAreExact()
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
        {"version 1 only", [] { reportVersion1OnlyConfiguration(); },
         "Error: The selected configuration is supported by Quillmate V1.x only.\nPlease refer to the Orvanta homepage to download Quillmate V1.x."},
        {"invalid load value", [&] { reportInvalidLoadValue(&element, "x"); },
         "Trying to load \"MODE\" with invalid value \"x\""},
        {"unsupported kind label", [&] { reportUnsupportedValueKind(&element, 1); },
         "Can not return value of type \"label\" from \"MODE\""},
        {"unsupported kind definevalue", [&] { reportUnsupportedValueKind(&element, 3); },
         "Can not return value of type \"definevalue\" from \"MODE\""},
        {"unsupported kind 4 shows empty quotes", [&] { reportUnsupportedValueKind(&element, 4); },
         "Can not return value of type \"\" from \"MODE\""},
        {"invalid set value", [&] { reportInvalidSetValue(&element, "7"); },
         "Trying to set \"MODE\" to invalid value \"7\""},
        {"bits already assigned", [] { reportBitsAlreadyAssigned("CFG_%1", 7, 4); },
         "Tried to assign a GUI element to already assigned bits: CFG_%1\nMSB: 7 LSB: 4"},
        {"invalid parameter", [] { reportInvalidParameter("SET", "a,b"); },
         "Can not use \"SET\" with parameter \"a,b\""},
        {"index out of range", [] { reportIndexOutOfRange("T", "row", 9, 0, 3); },
         "Index for T.row (9) is out of allowed range: 0..3"},
        {"svd bits already assigned", [] { reportSvdBitsAlreadyAssigned("GPIO", "CR", "EN", 3, 0); },
         "Tried to assign a GUI element to already assigned bits: GPIO.CR.EN\nMSB: 3 LSB: 0"},
        {"bit order", [] { reportBitOrderError("X", 1, 5); }, "Bit order error in X: msb(1) < lsb(5)"},
        {"undefined formula element", [] { reportUndefinedFormulaElement("A"); },
         "Element used in formula not defined: \"A\""},
        {"no container root", [] { reportNoContainerRoot("p.xml"); },
         "Cannot read file p.xml\nNot starting with a container type!"},
        {"table xml mismatch", [] { reportTableXmlMismatch("cur.xml", "old.xml"); },
         "This table's qlmp was saved from another XML\nOriginal xml filename: old.xml\nCurrent xml filename: cur.xml"},
        {"table version mismatch", [] { reportTableVersionMismatch("1.2.0", "1.1.0"); },
         "Version of this table's qlmp file does not match the current xml version.\nTables qlmp version: 1.1.0\nCurrent xml version: 1.2.0"},
        {"invalid formula", [] { reportInvalidFormula("a+"); }, "Invalid formula: \"a+\""},
        {"invalid ledb", [] { reportInvalidLedbValue("q"); }, "Invalid value in ledb: \"q\""},
        {"invalid lock", [] { reportInvalidLock("A=") ; }, "XML ERROR!\nInvalid lock: \"A=\""},
        {"invalid recdata", [] { reportInvalidRecdataValue("z"); }, "Invalid value in recdata: \"z\""},
        {"send usb", [] { reportSendUsbConversionError("0xZZ"); }, "Send USB: Cannot convert \"0xZZ\""},
        {"invalid setdef", [] { reportInvalidSetdefValue("v"); }, "Invalid value in setdef: \"v\""},
        {"invalid formula value", [] { reportInvalidFormulaValue("w"); }, "Invalid value in formula: \"w\""},
        {"program too old", [] { reportProgramTooOld("/some/dir/panel.xml", "3.0.0"); },
         "Error: Wrong version of Quillmate.\npanel.xml requires minimum Quillmate 3.0.0\nCurrent version of Quillmate is " +
             programVersionShortText() + "\n"},
        {"missing checksum", [] { reportMissingChecksum("f.qlmp"); }, "No checksum element found in f.qlmp"},
        {"not found", [] { reportNotFound("index.xml", "/scripts"); }, "No index.xml found in /scripts"},
        {"cannot open uses the absolute path", [] { reportCannotOpenFile("/abs/f.txt", "denied"); },
         "Cannot open file /abs/f.txt:\ndenied"},
        {"default out of range", [] { reportDefaultOutOfRange("N", "9", "0", "5"); },
         "Default value for N (9) is out of allowed range: 0..5"},
        {"svd size", [] { reportSvdSizeError("P", "R", "F", 40); },
         "Out of size error while reading svd file: P.R.F Size=40"},
        {"bit range not supported", [&] { reportBitRangeNotSupported(&label, -1, -1); },
         "Trying to set MSB: -1 and LSB: -1 for LBL which is of type: QLabel\n"},
        {"signed files", [] { reportSignedFiles(2, "a.xml\nb.xml"); }, "Successfully signed 2 files\n\na.xml\nb.xml"},
        {"fields on non-svd define", [] { reportFieldsOnNonSvdDefine("D"); },
         "Defines not representing an svd value can't have fields: D"},
        {"write error", [] { reportWriteError("o.qlmp"); }, "Write error in file o.qlmp\n"},
        {"manipulated", [] { reportManipulatedFile("m.qlmp"); }, "File m.qlmp has been manipulated\nDo not use it!"},
        {"script not found", [] { reportScriptNotFound("x.xml"); },
         "Could not find \"x.xml\".\nPlease check script folder settings."},
        {"project version mismatch", [] { reportProjectVersionMismatch("2.0", "1.0"); },
         "Version of this qlmp configuration file does not match the current XML release version.\nQlmp version: 1.0\nCurrent xml release: 2.0"},
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
    window->consoleDockWidget()->hide();

    reportError(message);

    QCOMPARE(env->prompt()->transcript().size(), box ? 1 : 0);
    if (box)
        QCOMPARE(env->prompt()->transcript().first(), message);
    const QString consoleText = window->consoleBrowser()->toPlainText();
    QCOMPARE(consoleText.contains(message.section('<', 0, 0).trimmed()), console);
    QCOMPARE(window->consoleDockWidget()->isVisible(), console);
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
    QVERIFY(window->consoleBrowser()->toPlainText().contains("onetwo"));
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
        QVERIFY(quietWindow.consoleBrowser()->toPlainText().contains("quiet run"));
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

QTEST_MAIN(TestErrorReporter)
#include "tst_errorreporter.moc"
