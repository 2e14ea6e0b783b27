// The generated C header files: layout, line forms, version lines, sorting,
// prefixes, changed-only export, refusal while defines conflict, disclaimer,
// write failures, values that would break a header's lines, header names
// outside the working directory, and a C compiler that accepts every header
// we write.
#include "filetesthelpers.h"
#include "mathlabel.h"
#include "panelxml.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QtTest>

#include <memory>
#include <vector>

using namespace FileTest;

class TestHeaders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void headersOfAPanelMatchTheFixtures();
    void defineLineForms_data();
    void defineLineForms();
    void guardAndVersionLines_data();
    void guardAndVersionLines();
    void linesAreSortedAsWholeLines();
    void onlyChangedHeadersAreWrittenAgain();
    void everyHeaderIsRewritten();
    void refusedWhileDefinesConflict();
    void disclaimer_data();
    void disclaimer();
    void failedHeaderWrites();
    void questionableHeaderNamesAreWarnedAbout_data();
    void questionableHeaderNamesAreWarnedAbout();
    void valuesOfPanelElements_data();
    void valuesOfPanelElements();
    void valuesThatWouldBreakTheHeaderAreRefused_data();
    void valuesThatWouldBreakTheHeaderAreRefused();
    void multiLineTextEditIsWrittenOnOneLine();
    void headerNamesOutsideTheWorkingDirectory_data();
    void headerNamesOutsideTheWorkingDirectory();
    void generatedHeadersCompile();

private:
    FakeElement *bind(const QString &define, const QString &header, const QString &value);
    bool load(const QString &elements, const QString &folder = QString());
    QStringList reports() const { return env->prompt()->transcript(); }
    QByteArray header(const QString &name) const { return readBytes(dir->filePath(name)); }
    QString console() const { return window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText(); }

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<QTemporaryDir> dir;
    std::vector<std::unique_ptr<FakeElement>> elements;
};

void TestHeaders::initTestCase()
{
    env = std::make_unique<TestEnvironment>();
    window = makeWindow(*env);
}

void TestHeaders::init()
{
    collectReports(*env);
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    window->clearPanelState();
    elements.clear();
    window->panel()->editHeader().definePrefixes.clear();
    window->panel()->editHeader().headerVersions = {};
    window->panel()->locks().clearLockConflicts();
    window->panel()->setDefaultDisclaimer("disclaimer.txt");
    window->panel()->editFlags().loading = false;
    window->setWorkingDir(dir->path());
    window->panel()->editHeader().xmlVersion = "V1.2.3";
}

void TestHeaders::cleanupTestCase()
{
    window->clearPanelState();
    elements.clear();
    window.reset();
}

FakeElement *TestHeaders::bind(const QString &define, const QString &headerName, const QString &value)
{
    elements.push_back(std::make_unique<FakeElement>(define));
    FakeElement *element = elements.back().get();
    element->values = {{KeywordValue, value}, {KeywordDefineValue, value}};
    element->setElementProperty("header", headerName);
    window->panel()->assignRegisterField(define, headerName, element, false);
    return element;
}

// Opens a panel of these elements (a vertical root container, version
// V1.2.3) from the test folder or a folder in it, set up as a load does it.
bool TestHeaders::load(const QString &elements, const QString &folder)
{
    const QString path = writeTestFile(QDir(dir->path()).filePath(folder.isEmpty() ? "panel.xml" : folder + "/panel.xml"),
                                       verticalPanelText(elements, "<version label=\"V1.2.3\"/>\n"));
    if (path.isEmpty() || !window->open(path))
        return false;
    window->initLoadedConfiguration(true);
    return true;
}

// The define lines of a header written with a panel version: what stands
// between the version block and "#endif".
static QByteArray body(const QByteArray &text)
{
    const int start = text.indexOf("\r\n\r\n", text.indexOf("_XML_VERSION")) + 4;
    return text.mid(start, text.indexOf("#endif") - start);
}

void TestHeaders::headersOfAPanelMatchTheFixtures()
{
    QVERIFY(!copyFixture("panel.xml", dir->path()).isEmpty());
    QVERIFY(window->open(dir->filePath("panel.xml")));
    window->initLoadedConfiguration(true);
    QVERIFY(window->exportHeaderFiles(true));
    for (const char *name : {"cfg.h", "adc_setup.h"}) {
        QCOMPARE(header(name), readBytes(fixture(QStringLiteral("expected_") + name)));
        QVERIFY(hasCrLfLines(header(name)));
        QVERIFY(console().contains(QStringLiteral("Exported headerfile: ") + dir->filePath(name)));
    }
}

void TestHeaders::defineLineForms_data()
{
    QTest::addColumn<QStringList>("defines");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("line");

    QTest::newRow("zero") << QStringList{"FLAG"} << QStringList{"0"} << "" << "#define FLAG (0x0) /*decimal 0*/";
    QTest::newRow("hex digits upper-case") << QStringList{"MASK"} << QStringList{"255"} << ""
                                           << "#define MASK (0xFF) /*decimal 255*/";
    QTest::newRow("register of a module") << QStringList{"ADC.CTRL"} << QStringList{"5"} << ""
                                          << "#define ADC_CTRL (0x5) /*decimal 5*/";
    QTest::newRow("prefix of the header") << QStringList{"ADC.CTRL"} << QStringList{"5"} << "CFG"
                                          << "#define CFG$ADC_CTRL (0x5) /*decimal 5*/";
    QTest::newRow("bit fields add up") << QStringList{"ADC.CTRL[3:0]", "ADC.CTRL[7:4]"} << QStringList{"5", "160"}
                                       << "" << "#define ADC_CTRL (0xA5) /*decimal 165*/";
    QTest::newRow("largest 64-bit value") << QStringList{"BIG"} << QStringList{"18446744073709551615"} << ""
                                          << "#define BIG (0xFFFFFFFFFFFFFFFF) /*decimal 18446744073709551615*/";
    // A negative value is written as it is, never as a bit pattern.
    QTest::newRow("negative 32-bit value") << QStringList{"OFFSET"} << QStringList{"-3"} << ""
                                           << "#define OFFSET (-3)";
    QTest::newRow("minus one") << QStringList{"ALL"} << QStringList{"-1"} << "" << "#define ALL (-1)";
    QTest::newRow("negative beyond 32 bits") << QStringList{"OFFSET"} << QStringList{"-5000000000"} << ""
                                             << "#define OFFSET (-5000000000)";
    QTest::newRow("float") << QStringList{"GAIN"} << QStringList{"1.5"} << "" << "#define GAIN (1.5)";
    QTest::newRow("exponent") << QStringList{"TINY"} << QStringList{"1e-5"} << "" << "#define TINY (1e-5)";
    // A number that is no whole number is never written as 0x0.
    QTest::newRow("exponent without sign") << QStringList{"HUGE"} << QStringList{"1E5"} << ""
                                           << "#define HUGE (1E5)";
    QTest::newRow("text") << QStringList{"NAME"} << QStringList{"abc"} << "" << "#define NAME abc";
    QTest::newRow("text in a register") << QStringList{"UART.ID"} << QStringList{"x.y"} << ""
                                        << "#define UART_ID x.y";
}

void TestHeaders::defineLineForms()
{
    QFETCH(QStringList, defines);
    QFETCH(QStringList, values);
    QFETCH(QString, prefix);
    QFETCH(QString, line);
    for (int i = 0; i < defines.size(); ++i)
        bind(defines.at(i), "t.h", values.at(i));
    if (!prefix.isEmpty())
        window->panel()->editHeader().definePrefixes.insert("t.h", prefix);
    QVERIFY(window->exportHeaderFiles(true));
    QCOMPARE(QString::fromUtf8(body(header("t.h"))), line + "\r\n\r\n");
}

void TestHeaders::guardAndVersionLines_data()
{
    QTest::addColumn<QString>("panelVersion");
    QTest::addColumn<QString>("headerName");
    QTest::addColumn<QString>("headerVersion"); // empty: none recorded
    QTest::addColumn<QString>("head");          // everything before the define lines

    const QString disclaimer = readBytes(fixture("disclaimer.txt")).replace("\n", "\r\n");
    QTest::newRow("V removed, parts padded")
        << "V1.0.0" << "spi_defines.h" << ""
        << disclaimer + "#ifndef SPI_DEFINES_H\r\n#define SPI_DEFINES_H\r\n\r\n"
                        "/* XML Version 1.0.0 */\r\n#define SPI_XML_VERSION (10000)\r\n\r\n";
    QTest::newRow("two-digit part")
        << "1.2.13" << "board.h" << ""
        << disclaimer + "#ifndef BOARD_H\r\n#define BOARD_H\r\n\r\n"
                        "/* XML Version 1.2.13 */\r\n#define BOARD_XML_VERSION (10213)\r\n\r\n";
    QTest::newRow("part that is no number counts 0")
        << "2.x.1" << "io.h" << ""
        << disclaimer + "#ifndef IO_H\r\n#define IO_H\r\n\r\n"
                        "/* XML Version 2.x.1 */\r\n#define IO_XML_VERSION (20001)\r\n\r\n";
    QTest::newRow("version of an included file")
        << "V1.0.0" << "inc.h" << "V3.4.5"
        << disclaimer + "#ifndef INC_H\r\n#define INC_H\r\n\r\n"
                        "/* XML Version 3.4.5 */\r\n#define INC_XML_VERSION (30405)\r\n\r\n";
    QTest::newRow("every .h leaves the guard")
        << "V1.0" << "cfg.h.h" << ""
        << disclaimer + "#ifndef CFG_H\r\n#define CFG_H\r\n\r\n"
                        "/* XML Version 1.0 */\r\n#define CFG_XML_VERSION (100)\r\n\r\n";
    QTest::newRow("no panel version, no version lines")
        << "" << "cfg.h" << "" << disclaimer + "#ifndef CFG_H\r\n#define CFG_H\r\n\r\n";
}

void TestHeaders::guardAndVersionLines()
{
    QFETCH(QString, panelVersion);
    QFETCH(QString, headerName);
    QFETCH(QString, headerVersion);
    QFETCH(QString, head);
    window->panel()->editHeader().xmlVersion = panelVersion;
    if (!headerVersion.isEmpty())
        window->panel()->editHeader().headerVersions.insert(headerName, headerVersion);
    bind("VALUE", headerName, "1");
    QVERIFY(window->exportHeaderFiles(true));
    const QString guard = head.section("#ifndef ", 1).section("\r\n", 0, 0);
    QCOMPARE(QString::fromUtf8(header(headerName)),
             head + "#define VALUE (0x1) /*decimal 1*/\r\n\r\n#endif /* " + guard + " */\r\n");
}

void TestHeaders::linesAreSortedAsWholeLines()
{
    // A value holding "#" must not tear its line apart; upper case sorts first.
    bind("ZETA", "s.h", "1");
    bind("apple", "s.h", "4");
    bind("B", "s.h", "q#zz");
    bind("ALPHA", "s.h", "2");
    bind("C", "s.h", "3");
    QVERIFY(window->exportHeaderFiles(true));
    QCOMPARE(body(header("s.h")), QByteArray("#define ALPHA (0x2) /*decimal 2*/\r\n\r\n"
                                             "#define B q#zz\r\n\r\n"
                                             "#define C (0x3) /*decimal 3*/\r\n\r\n"
                                             "#define ZETA (0x1) /*decimal 1*/\r\n\r\n"
                                             "#define apple (0x4) /*decimal 4*/\r\n\r\n"));
}

void TestHeaders::onlyChangedHeadersAreWrittenAgain()
{
    FakeElement *a = bind("A", "a.h", "1");
    bind("B", "b.h", "2");
    QVERIFY(window->exportHeaderFiles(true));
    QVERIFY(QFile::remove(dir->filePath("a.h")) && QFile::remove(dir->filePath("b.h")));

    QVERIFY(window->exportHeaderFiles());
    QVERIFY(!QFile::exists(dir->filePath("a.h")) && !QFile::exists(dir->filePath("b.h")));

    a->values[KeywordDefineValue] = "5";
    window->panel()->markModified(a);
    QVERIFY(window->exportHeaderFiles());
    QVERIFY(header("a.h").contains("#define A (0x5)"));
    QVERIFY(!QFile::exists(dir->filePath("b.h")));

    // A project saved under a new name brings every header; the same name only the changed ones.
    const QString project = dir->filePath("p.qlmp");
    QVERIFY(window->saveProjectFile(project, false));
    QVERIFY(QFile::exists(dir->filePath("b.h")));
    QVERIFY(QFile::remove(dir->filePath("a.h")) && QFile::remove(dir->filePath("b.h")));
    QVERIFY(window->saveProjectFile(project, false));
    QVERIFY(!QFile::exists(dir->filePath("a.h")) && !QFile::exists(dir->filePath("b.h")));
}

// An export of all headers writes every one of them, also a header whose
// content did not change: a build rule that makes the headers from the
// project sees them newer than the project.
void TestHeaders::everyHeaderIsRewritten()
{
    FakeElement *a = bind("A", "a.h", "1");
    bind("B", "b.h", "2");
    QVERIFY(window->exportHeaderFiles(true));
    const QDateTime old = QDateTime::currentDateTimeUtc().addDays(-2);
    auto age = [&](const QString &name) {
        QFile file(dir->filePath(name));
        return file.open(QIODevice::ReadWrite) && file.setFileTime(old, QFileDevice::FileModificationTime);
    };
    auto modified = [&](const QString &name) { return QFileInfo(dir->filePath(name)).lastModified().toUTC(); };
    const QByteArray b = header("b.h");
    QVERIFY(age("a.h") && age("b.h"));

    a->values[KeywordDefineValue] = "5";
    window->panel()->markModified(a);
    collectReports(*env);
    QVERIFY(window->exportHeaderFiles(true));
    QVERIFY(header("a.h").contains("#define A (0x5)"));
    QCOMPARE(header("b.h"), b);
    for (const char *name : {"a.h", "b.h"}) {
        QVERIFY2(modified(name) > old.addSecs(60), name);
        QVERIFY2(console().contains(QStringLiteral("Exported headerfile: ") + dir->filePath(name)), qPrintable(console()));
        QCOMPARE(window->panel()->header().changedHeaders.value(name, true), false);
    }
}

void TestHeaders::refusedWhileDefinesConflict()
{
    bind("A", "a.h", "1");
    window->panel()->locks().addWaitingLock("MODE", "SWITCH");
    QVERIFY(!window->exportHeaderFiles(true));
    QVERIFY(!QFile::exists(dir->filePath("a.h")));
    QVERIFY2(console().contains("Warning: Could not export headerfiles. MODE is in a conflicted state!"),
             qPrintable(console()));

    // One line: the defines waiting to be locked, then the formulas out of
    // their range.
    window->panel()->locks().addWaitingLock("MODE", "OTHER");
    window->panel()->locks().addWaitingLock("BAUD", "SWITCH");
    MathLabel label("SUM");
    window->panel()->locks().consoleOverflowWarning(&label, 10, "LEVEL", true);
    window->clearConsole();
    QVERIFY(!window->exportHeaderFiles(true));
    QCOMPARE(console().count("Could not export headerfiles."), 1);
    QVERIFY2(console().contains("Could not export headerfiles. BAUD and MODE and SUM are in a conflicted state!"),
             qPrintable(console()));
    QVERIFY(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toHtml().contains("href=\"SUM\""));
    QVERIFY(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toHtml().contains("href=\"BAUD\""));
    QVERIFY(!QFile::exists(dir->filePath("a.h")));

    window->panel()->locks().clearLockConflicts();
    QVERIFY(window->exportHeaderFiles(true));
    QVERIFY(QFile::exists(dir->filePath("a.h")));
}

void TestHeaders::disclaimer_data()
{
    QTest::addColumn<QString>("panelDisclaimer"); // empty: the program's own
    QTest::addColumn<bool>("inPanelDir");
    QTest::addColumn<QString>("answer");          // answer to the file dialog
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<bool>("missing");

    QTest::newRow("the program's disclaimer") << "" << false << "" << readBytes(fixture("disclaimer.txt")) << false;
    QTest::newRow("the panel's own, in UTF-8") << "own.txt" << true << "" << QByteArray("/* own \xc2\xa9 */\n")
                                              << false;
    QTest::newRow("asked for and given") << "own.txt" << false << "given.txt" << QByteArray("/* given */\n")
                                         << false;
    QTest::newRow("missing") << "own.txt" << false << "" << QByteArray() << true;
}

void TestHeaders::disclaimer()
{
    QFETCH(QString, panelDisclaimer);
    QFETCH(bool, inPanelDir);
    QFETCH(QString, answer);
    QFETCH(QByteArray, start);
    QFETCH(bool, missing);
    QDir(dir->path()).mkpath("panel");
    window->panel()->editHeader().xmlDir = dir->filePath("panel");
    if (!panelDisclaimer.isEmpty())
        window->panel()->setDisclaimerFile(panelDisclaimer);
    if (inPanelDir)
        QVERIFY(writeBytes(dir->filePath("panel/" + panelDisclaimer), "/* own \xc2\xa9 */\n"));
    if (!answer.isEmpty()) {
        QVERIFY(writeBytes(dir->filePath(answer), "/* given */\r\n"));
        env->installPrompt({dir->filePath(answer)});
    }
    bind("A", "a.h", "1");
    QVERIFY(window->exportHeaderFiles(true));
    QVERIFY(header("a.h").startsWith(QByteArray(start).replace("\n", "\r\n") + "#ifndef A_H\r\n"));
    const bool asked = env->prompt()->transcript().join("\n").contains("Could not find disclaimer file own.txt!");
    QCOMPARE(asked, !panelDisclaimer.isEmpty() && !inPanelDir);
    QCOMPARE(console().contains("Disclaimer file \"own.txt\" is missing"), missing);
}

void TestHeaders::failedHeaderWrites()
{
    FakeElement *kept = bind("KEPT", "ok.h", "1");
    bind("LOST", "nodir/x.h", "2");
    QVERIFY(!window->exportHeaderFiles(true));
    QVERIFY(header("ok.h").contains("#define KEPT (0x1)"));
    const QString target = dir->filePath("nodir/x.h");
    QVERIFY2(console().contains("Could not write header file \"" + target + "\""), qPrintable(console()));
    QVERIFY(console().contains("Header file name \"nodir/x.h\" contains a directory"));
    QVERIFY(window->panel()->header().changedHeaders.value("nodir/x.h", true));
    QCOMPARE(window->panel()->header().changedHeaders.value("ok.h", true), false);

    // A write that fails keeps the old header and its changed mark.
    const QByteArray old = header("ok.h");
    kept->values[KeywordDefineValue] = "7";
    window->panel()->markModified(kept);
    {
        WriteLimit limit(50);
        QVERIFY(!window->exportHeaderFiles());
    }
    QCOMPARE(header("ok.h"), old);
    QCOMPARE(window->panel()->header().changedHeaders.value("ok.h"), true);
}

void TestHeaders::questionableHeaderNamesAreWarnedAbout_data()
{
    QTest::addColumn<QString>("headerName");
    QTest::addColumn<QString>("warning"); // empty: none
    QTest::addColumn<QString>("guard");   // the guard written
    QTest::newRow("plain name") << "adc_setup.h" << "" << "ADC_SETUP_H";
    QTest::newRow("no C name") << "adc-setup.h" << "gives no C name; its guard is ADC_SETUP_H" << "ADC_SETUP_H";
    QTest::newRow("blank and dot") << "my adc.v2.h" << "gives no C name; its guard is MY_ADC_V2_H"
                                   << "MY_ADC_V2_H";
    QTest::newRow("leading digit") << "1wire.h" << "gives no C name; its guard is _1WIRE_H" << "_1WIRE_H";
    QTest::newRow("letter beyond ASCII") << "\u00e4bc.h" << "gives no C name; its guard is _BC_H" << "_BC_H";
    QTest::newRow("directory") << "inc/adc.h" << "contains a directory" << "ADC_H";
    QTest::newRow("backslash directory") << "inc\\adc.h" << "contains a directory" << "ADC_H";
}

void TestHeaders::questionableHeaderNamesAreWarnedAbout()
{
    QFETCH(QString, headerName);
    QFETCH(QString, warning);
    QFETCH(QString, guard);
    QDir(dir->path()).mkpath("inc");
    bind("A", headerName, "1");
    QVERIFY(window->exportHeaderFiles(true));
    const QString text = QString::fromUtf8(header(AppPaths::normalizePanelPath(headerName)));
    QVERIFY2(text.contains("#ifndef " + guard + "\r\n#define " + guard + "\r\n"), qPrintable(text));
    QVERIFY(text.endsWith("#endif /* " + guard + " */\r\n"));
    if (warning.isEmpty())
        QVERIFY2(!console().contains("Header file name"), qPrintable(console()));
    else
        QVERIFY2(console().contains(QString("Header file name \"%1\" %2").arg(headerName, warning)),
                 qPrintable(console()));
}

void TestHeaders::valuesOfPanelElements_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("line");

    QTest::newRow("negative in a line edit") << "<edit define=\"OFFSET\" header=\"t.h\" default=\"-3\"/>"
                                             << "#define OFFSET (-3)";
    QTest::newRow("zero") << "<spinbox define=\"LEVEL\" header=\"t.h\" range=\"0;100\" default=\"0\"/>"
                          << "#define LEVEL (0x0) /*decimal 0*/";
    QTest::newRow("bit 31 set by a shifted field")
        << "<spinbox define=\"CTRL.MODE[31:28]\" header=\"t.h\" range=\"0;15\" default=\"8\"/>"
        << "#define CTRL_MODE (0x80000000) /*decimal 2147483648*/";
    // A spin box gives its register value as unsigned 32-bit text.
    QTest::newRow("negative in a spin box")
        << "<spinbox define=\"TRIM\" header=\"t.h\" range=\"-10;10\" default=\"-3\"/>"
        << "#define TRIM (0xFFFFFFFD) /*decimal 4294967293*/";
    QTest::newRow("float") << "<edit define=\"GAIN\" header=\"t.h\" default=\"1.5\"/>" << "#define GAIN (1.5)";
    QTest::newRow("text") << "<edit define=\"NAME\" header=\"t.h\" default=\"abc\"/>" << "#define NAME abc";
}

void TestHeaders::valuesOfPanelElements()
{
    QFETCH(QString, element);
    QFETCH(QString, line);
    QVERIFY(load(element));
    QVERIFY(window->exportHeaderFiles(true));
    QCOMPARE(QString::fromUtf8(body(header("t.h"))), line + "\r\n\r\n");
}

void TestHeaders::valuesThatWouldBreakTheHeaderAreRefused_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("line feed") << "1\n#include <stdio.h>";
    QTest::newRow("carriage return") << "1\r#error broken";
    QTest::newRow("line separator") << "1\u2028#error broken";
    QTest::newRow("comment opened") << "1 /* swallows #endif";
    QTest::newRow("comment closed") << "1 */ int broken;";
}

void TestHeaders::valuesThatWouldBreakTheHeaderAreRefused()
{
    QFETCH(QString, value);
    QVERIFY(load("<edit define=\"NAME\" header=\"t.h\" default=\"1\"/>\n"
                 "<edit define=\"SAFE\" header=\"t.h\" default=\"2\"/>\n"
                 "<edit define=\"OTHER\" header=\"u.h\" default=\"2\"/>"));
    QVERIFY(window->exportHeaderFiles(true));
    const QByteArray old = header("t.h");

    ActiveElement *name = window->panel()->getActiveElement("NAME");
    ActiveElement *other = window->panel()->getActiveElement("OTHER");
    QVERIFY(name && other);
    name->setValue(value, KeywordValue);
    QCOMPARE(name->value(KeywordDefineValue, 1), value);
    other->setValue("3", KeywordValue);
    window->panel()->markModified(name);
    window->panel()->markModified(other);
    for (bool all : {false, true}) {
        QVERIFY(!window->exportHeaderFiles(all));
        QCOMPARE(header("t.h"), old);
        QCOMPARE(window->panel()->header().changedHeaders.value("t.h"), true);
        QVERIFY2(reports().join("\n").contains(
                     "Header file \"t.h\" is not written: the value of \"NAME\" holds a line break or a "
                     "comment delimiter"),
                 qPrintable(reports().join("\n")));
        QVERIFY(!reports().join("\n").contains("SAFE"));
        // The other header is written all the same.
        QVERIFY(header("u.h").contains("#define OTHER (0x3)"));
    }

    // A define prefix is part of every line too.
    name->setValue("4", KeywordValue);
    window->panel()->editHeader().definePrefixes.insert("t.h", "CFG/*");
    QVERIFY(!window->exportHeaderFiles(true));
    QCOMPARE(header("t.h"), old);
    QVERIFY(reports().join("\n").contains("the define name \"CFG/*$NAME\" holds a line break"));
    window->panel()->editHeader().definePrefixes.insert("t.h", "CFG");
    QVERIFY(window->exportHeaderFiles(true));
    QVERIFY(header("t.h").contains("#define CFG$NAME (0x4)"));
}

void TestHeaders::multiLineTextEditIsWrittenOnOneLine()
{
    QVERIFY(load("<editbox define=\"NOTE\" header=\"t.h\"/>"));
    ActiveElement *note = window->panel()->getActiveElement("NOTE");
    QVERIFY(note);
    note->setValue("first\nsecond\nthird", KeywordValue);
    QVERIFY(window->exportHeaderFiles(true));
    QCOMPARE(body(header("t.h")), QByteArray("#define NOTE first second third\r\n\r\n"));
}

void TestHeaders::headerNamesOutsideTheWorkingDirectory_data()
{
    QTest::addColumn<QString>("headerName"); // $ROOT: the folder above the working directory
    QTest::addColumn<bool>("group");         // named by a header group, not by the element

    QTest::newRow("parent folder") << "../out.h" << false;
    QTest::newRow("parent folder with backslash") << "..\\out.h" << false;
    QTest::newRow("climbs out further down") << "inc/../../out.h" << false;
    QTest::newRow("absolute") << "$ROOT/out.h" << false;
    QTest::newRow("parent folder of a group") << "../out.h" << true;
    QTest::newRow("absolute of a group") << "$ROOT/out.h" << true;
}

void TestHeaders::headerNamesOutsideTheWorkingDirectory()
{
    QFETCH(QString, headerName);
    QFETCH(bool, group);
    headerName.replace("$ROOT", dir->path());
    const QString outside = dir->filePath("out.h");
    const QString element = group
        ? QString("<header file=\"%1\"><edit define=\"A\" default=\"1\"/></header>").arg(headerName)
        : QString("<edit define=\"A\" header=\"%1\" default=\"1\"/>").arg(headerName);
    QVERIFY(load(element + "\n<edit define=\"B\" header=\"ok.h\" default=\"2\"/>", "work"));
    QVERIFY2(console().contains("XML Error: Header file outside the working directory, not written: "
                                + headerName),
             qPrintable(console()));
    // The element is read all the same, only without its header.
    QVERIFY(window->panel()->getActiveElement("A"));
    QVERIFY(window->exportHeaderFiles(true));
    QVERIFY(header("work/ok.h").contains("#define B (0x2)"));
    QVERIFY(!QFile::exists(outside));
    QVERIFY(QDir(dir->filePath("work")).entryList({"*.h"}, QDir::Files) == QStringList{"ok.h"});

    // Bound by other means, such a header is refused when it is written.
    bind("C", headerName, "3");
    QVERIFY(!window->exportHeaderFiles(true));
    QVERIFY(!QFile::exists(outside));
    QVERIFY2(reports().join("\n").contains(
                 QString("Header file \"%1\" is not written: it lies outside the working directory").arg(headerName)),
             qPrintable(reports().join("\n")));
}

void TestHeaders::generatedHeadersCompile()
{
    const QString gcc = QStandardPaths::findExecutable("gcc");
    if (gcc.isEmpty())
        QSKIP("gcc is not installed");
    window->panel()->editHeader().xmlVersion = "V2.0.1";
    window->panel()->editHeader().definePrefixes.insert("motor_cfg.h", "CFG");
    bind("MOTOR.CTRL[3:0]", "motor_cfg.h", "5");
    bind("MOTOR.CTRL[7:4]", "motor_cfg.h", "160");
    bind("SPEED", "motor_cfg.h", "1000");
    bind("GAIN", "motor_cfg.h", "1.5");
    bind("OFFSET", "motor_cfg.h", "-5000000000");
    bind("TRIM", "motor_cfg.h", "-3");
    bind("WIRE", "1wire-bus.h", "1");
    bind("LABEL", "motor_cfg.h", "\"fast\"");
    bind("BIG", "board.h", "18446744073709551615");
    bind("ZERO", "board.h", "0");
    QVERIFY(window->exportHeaderFiles(true));

    const QByteArray source = "#include \"motor_cfg.h\"\n"
                              "#include \"motor_cfg.h\"\n"
                              "#include \"board.h\"\n"
                              "#include \"1wire-bus.h\"\n"
                              "_Static_assert(CFG$MOTOR_CTRL == 0xA5, \"register\");\n"
                              "_Static_assert(CFG$SPEED == 1000, \"plain\");\n"
                              "_Static_assert((int)(CFG$GAIN * 2) == 3, \"float\");\n"
                              "_Static_assert(CFG$OFFSET == -5000000000LL, \"negative\");\n"
                              "_Static_assert(CFG$TRIM == -3, \"negative 32-bit\");\n"
                              "_Static_assert(WIRE == 1 && _1WIRE_BUS_XML_VERSION == 20001, \"no C name\");\n"
                              "_Static_assert(sizeof(CFG$LABEL) == 5, \"text\");\n"
                              "_Static_assert(BIG == 0xFFFFFFFFFFFFFFFFull, \"64 bits\");\n"
                              "_Static_assert(ZERO == 0, \"zero\");\n"
                              "_Static_assert(MOTOR_XML_VERSION == 20001, \"version\");\n"
                              "_Static_assert(BOARD_XML_VERSION == 20001, \"version\");\n"
                              "#ifndef MOTOR_CFG_H\n#error guard\n#endif\n"
                              "#ifndef BOARD_H\n#error guard\n#endif\n"
                              "#ifndef _1WIRE_BUS_H\n#error guard\n#endif\n";
    const QString file = dir->filePath("check.c");
    QVERIFY(writeBytes(file, source));
    QProcess process;
    process.start(gcc, {"-std=c11", "-Wall", "-Werror", "-fsyntax-only", "-I", dir->path(), file});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
}

QTEST_MAIN(TestHeaders)
#include "tst_headers.moc"
