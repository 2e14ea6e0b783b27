// The script interpreter on its own, over a host of the test's own: the line
// frame, the core command families, loops, nested runs, the output log, and
// the macro recorder.
#include "checkbox.h"
#include "combobox.h"
#include "doublespinbox.h"
#include "errorreporter.h"
#include "fakeelement.h"
#include "hexspinbox.h"
#include "lineedit.h"
#include "scriptengine.h"
#include "scripttesthost.h"
#include "spinbox.h"
#include "testenvironment.h"
#include "togglebutton.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestScriptEngine : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void frameLines_data();
    void frameLines();
    void lineNumbersAreSixteenBit();
    void countingLoops_data();
    void countingLoops();
    void directoryLoopVisitsMatchesSortedWithoutCase();
    void directoryLoopWithoutMatchSkipsTheBlock();
    void assertions_data();
    void assertions();
    void nestedRunsKeepTheirStateAndTheCount();
    void scriptThatRunsItselfIsRefusedBeyondTheDepth();
    void endOfRunStopsAtAFalseLine();
    void exitHandsTheCountToTheHost();
    void actionTextsRunEachPartAndHandPythonOn();
    void singleStepAnsweredNoStopsTheRun();
    void waitKeepsTheEventLoopRunning();
    void outputOptionsSetTheReporterAndQuietMode();
    void generatedTestInputIsReproducibleAndValid();
    void dumpsListElementsAndVariables();
    void unreadableFilesAreReported();
    void recorderWritesHeaderLinesAndTrailer();
    void recorderStaysOffWhenTheFileCannotBeOpened();
    void runsStoppedBeforeTheirEndFail();

private:
    QString writeScript(const QString &name, const QStringList &lines);
    // Lines printed by the PROBE command of the test: "probe[<parameters>]<line>".
    QStringList probes() const;

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptEngine> engine;
    ScriptTestHost host;
    QList<FakeElement *> fakes;
    QList<DataClass *> owned;
};

void TestScriptEngine::init()
{
    env = std::make_unique<TestEnvironment>();
    dir = std::make_unique<QTemporaryDir>();
    host = ScriptTestHost();
    engine = std::make_unique<ScriptEngine>();
    engine->setHost(&host);
    ErrorReporter::instance().setSinks(false, true, false);
    ErrorReporter::instance().setConsoleSink([this](const QString &html) { host.console << html; });
    // A command of the test: prints its parameter text, line number and "$DIR$".
    engine->addCommands({{"PROBE", -1, [this](ScriptEngine &e, const ScriptCall &call) {
                              e.consolePrint(QStringLiteral("probe[%1]%2").arg(call.parameters).arg(call.lineNumber));
                              return true;
                          }},
                         {"RUNFILE", 1, [](ScriptEngine &e, const ScriptCall &call) {
                              e.runFile(call.parameter(0));
                              return true;
                          }},
                         {"STOP", -1, [](ScriptEngine &, const ScriptCall &) { return false; }}});
}

void TestScriptEngine::cleanup()
{
    ErrorReporter::instance().setConsoleSink(nullptr);
    engine.reset();
    qDeleteAll(fakes);
    fakes.clear();
    qDeleteAll(owned);
    owned.clear();
    QDir::setCurrent(QDir::tempPath());
}

QString TestScriptEngine::writeScript(const QString &name, const QStringList &lines)
{
    QFile file(dir->filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(lines.join('\n').toUtf8() + '\n');
    return file.fileName();
}

QStringList TestScriptEngine::probes() const
{
    return host.console.filter(QRegularExpression("^probe\\["));
}

static const QString missingParameter =
    "<font color=\"red\"> <b>Script Error: </b></font><b>Missing parameter: %1 in <b><a href=\"$xmlopen$$-n%2$-c1\">"
    "file</a> line %2</b><b><br>";
static const QString unknownCommand =
    "<font color=\"red\"> <b>Script Error: </b></font><b>Unknown command: %1 in line %2 <b><a href=\"$xmlopen$$-n%3$-c1\">"
    "file</a> line %3</b><b><br>";

void TestScriptEngine::frameLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("console");
    QTest::addColumn<bool>("result");

    QTest::newRow("comment only") << "   // only a note <b>" << QStringList{"// only a note &lt;b&gt;<br>"} << true;
    QTest::newRow("one character") << "X" << QStringList() << true;
    QTest::newRow("empty") << "   " << QStringList() << true;
    QTest::newRow("any case") << "pRoBe(a, 1)" << QStringList{"probe[a, 1]5"} << true;
    QTest::newRow("comment after a command") << "PROBE(x) // later"
                                             << QStringList{"// later<br>", "probe[x]5"} << true;
    QTest::newRow("space before the parenthesis")
        << "PROBE (a, 1)" << QStringList{unknownCommand.arg("PROBE (a, 1)", "PROBE (a, 1)", "5")} << true;
    QTest::newRow("unknown keyword") << "NOSUCH(1) // x"
                                     << QStringList{"// x<br>", unknownCommand.arg("NOSUCH(1)", "NOSUCH(1) // x", "5")}
                                     << true;
    QTest::newRow("no closing parenthesis") << "PROBE(100" << QStringList{"probe[10]5"} << true;
    QTest::newRow("last parenthesis only") << "PROBE(f(a)) b" << QStringList{"probe[f(a) b]5"} << true;
    QTest::newRow("no parenthesis at all") << "PROBE" << QStringList{"probe[PROB]5"} << true;
    QTest::newRow("missing parameter") << "LOOPSTART(V,0,,3)"
                                       << QStringList{missingParameter.arg("LOOPSTART(V,0,,3)", "5")} << false;
    QTest::newRow("too few parameters") << "SETTYKCHECK(0)" << QStringList{missingParameter.arg("SETTYKCHECK(0)", "5")}
                                        << false;
    QTest::newRow("own check of the output options")
        << "SETOUTPUTOPTIONS(,log)" << QStringList{missingParameter.arg("SETOUTPUTOPTIONS(,log)", "5")} << false;
    QTest::newRow("accepted and ignored") << "SETTRIGGERLOCK(1)" << QStringList() << true;
    QTest::newRow("save mcs data") << "SAVEMCSDATA(x)" << QStringList() << true;
    QTest::newRow("message box keeps //") << "MessageBox(a // b)" << QStringList() << true;
    QTest::newRow("html in an unknown line") << "<i>x</i>"
                                             << QStringList{unknownCommand.arg("&lt;i&gt;x&lt;/i&gt;", "&lt;i&gt;x&lt;/i&gt;", "5")}
                                             << true;
    QTest::newRow("unterminated junk") << "((((\"\\" << QStringList{unknownCommand.arg("((((&quot;\\", "((((&quot;\\", "5")} << true;
}

void TestScriptEngine::frameLines()
{
    QFETCH(QString, line);
    QFETCH(QStringList, console);
    QFETCH(bool, result);
    QCOMPARE(engine->executeLine(line, 5), result);
    QCOMPARE(host.console, console);
}

void TestScriptEngine::lineNumbersAreSixteenBit()
{
    engine->executeLine("NOSUCH", 40000);
    QVERIFY(host.console.last().endsWith("line -25536</b><b><br>"));
    engine->executeLine("PROBE()", -1);
    QCOMPARE(host.console.last(), QStringLiteral("probe[]-1"));
}

void TestScriptEngine::countingLoops_data()
{
    QTest::addColumn<QString>("loop");
    QTest::addColumn<QStringList>("values"); // the variable in each pass
    QTest::addColumn<uint>("after");
    QTest::addColumn<bool>("refused");

    QTest::newRow("0 to 3") << "V, 0, 1, 3" << QStringList{"0", "1", "2"} << 3u << false;
    QTest::newRow("runs once") << "V, 5, 1, 5" << QStringList{"5"} << 6u << false;
    QTest::newRow("step 2") << "V, 0, 2, 5" << QStringList{"0", "2", "4"} << 6u << false;
    QTest::newRow("step 0 is refused") << "V, 7, 0, 10" << QStringList{"7"} << 7u << true;
    QTest::newRow("wrapping counter ends")
        << "V, 4294967290, 4, -1" << QStringList{"4294967290", "4294967294"} << 2u << false;
    QTest::newRow("negative end") << "V, 4294967293, 1, -1" << QStringList{"4294967293", "4294967294"} << 4294967295u
                                  << false;
}

void TestScriptEngine::countingLoops()
{
    QFETCH(QString, loop);
    QFETCH(QStringList, values);
    QFETCH(uint, after);
    QFETCH(bool, refused);
    auto *variable = new DataClass("V");
    owned << variable;
    host.variables.insert("V", variable);
    engine->addCommands({{"SHOWV", 0, [this, variable](ScriptEngine &e, const ScriptCall &) {
                              e.consolePrint("V=" + QString::number(variable->value()));
                              return true;
                          }}});
    const QString file = writeScript("loop.script", {"LOOPSTART(" + loop + ")", "SHOWV()", "LOOPSTOP", "PROBE(end)"});
    QVERIFY(engine->runFile(file));
    QStringList seen = host.console.filter(QRegularExpression("^V="));
    for (QString &text : seen)
        text.remove(0, 2);
    QCOMPARE(seen, values);
    QCOMPARE(variable->value(), after);
    QCOMPARE(host.console.filter("Loop step 0").size(), refused ? 1 : 0);
    QCOMPARE(probes().size(), 1);
}

void TestScriptEngine::directoryLoopVisitsMatchesSortedWithoutCase()
{
    for (const char *name : {"b.xml", "A.xml", "c.txt", "C.XML"})
        QVERIFY(QFile(dir->filePath(name)).open(QIODevice::WriteOnly));
    engine->addCommands({{"SHOWDIR", 0, [this](ScriptEngine &e, const ScriptCall &) {
                              e.consolePrint("dir=" + host.dirEntry);
                              return true;
                          }}});
    const QString file = writeScript("dirs.script", {"DIRLOOPSTART(*.xml)", "SHOWDIR()", "DIRLOOPSTOP", "PROBE(end)"});
    QDir::setCurrent(QDir::tempPath()); // the run makes the script's folder current
    QVERIFY(engine->runFile(file));
    QCOMPARE(host.console.filter("dir="), (QStringList{"dir=A.xml", "dir=b.xml", "dir=C.XML"}));
    // Lines are counted as they run: the block ran three times.
    QCOMPARE(probes(), QStringList{"probe[end]8"});
    QCOMPARE(engine->current().dirLoop.entry, QString()); // the run's state went with it
}

void TestScriptEngine::directoryLoopWithoutMatchSkipsTheBlock()
{
    const QString file = writeScript("none.script", {"DIRLOOPSTART(*.none)", "PROBE(block)", "DirLoopStop // end",
                                                     "PROBE(after)"});
    host.dirEntry = "old";
    QVERIFY(engine->runFile(file));
    QCOMPARE(probes(), QStringList{"probe[after]2"});
    QCOMPARE(host.dirEntry, QString());
}

void TestScriptEngine::assertions_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("console"); // the last console line
    QTest::addColumn<QString>("plain");   // the output log; empty for none
    QTest::addColumn<int>("failed");

    const QString ok = "<font color=\"green\">OK</b></font><br>";
    const QString failed = "<font color=\"red\">FAILED</b></font><br>";
    QTest::newRow("cut to the expected decimals") << "ASSERT(Speed, value, 10.25)"
                                                  << "Assert(Speed(10.25)<b> ==  10.25) " + ok
                                                  << "Assert(Speed(10.25) == 10.25) OK\n" << 0;
    QTest::newRow("no cut without a dot") << "ASSERT(Speed, value, 10)"
                                          << "Assert(Speed(10.2567)<b> ==  10) " + failed
                                          << "Assert(Speed(10.2567) == 10) FAILED\n" << 1;
    QTest::newRow("actual read as a literal") << "ASSERT(Mask, value, 255)" << "Assert(Mask(255)<b> ==  255) " + ok
                                              << "Assert(Mask(255) == 255) OK\n" << 0;
    QTest::newRow("expected not converted") << "ASSERT(Mask, value, 0xFF)"
                                            << "Assert(Mask(255)<b> ==  0xFF) " + failed
                                            << "Assert(Mask(255) == 0xFF) FAILED\n" << 1;
    QTest::newRow("label ignores case") << "ASSERT(Mode, label, ON)" << "Assert(Mode(On)<b> ==  ON) " + ok
                                        << "Assert(Mode(On) == ON) OK\n" << 0;
    QTest::newRow("number form 2 is the label") << "ASSERT(Mode, 2, on)" << "Assert(Mode(On)<b> ==  on) " + ok
                                                << "Assert(Mode(On) == on) OK\n" << 0;
    QTest::newRow("line edit keeps case") << "ASSERT(Text, value, abc)" << "Assert(Text(ABC)<b> ==  abc) " + failed
                                          << "Assert(Text(ABC) == abc) FAILED\n" << 1;
    QTest::newRow("expected names an element") << "ASSERT(Mask, value, Copy)"
                                               << "Assert(Mask(255)<b> ==  255) " + ok << "Assert(Mask(255) == 255) OK\n"
                                               << 0;
    QTest::newRow("variable first, selector unused") << "ASSERT(Var1, label, 5)" << "Assert(Var1(5)<b> ==  5) " + ok
                                                     << "Assert(Var1(5) == 5) OK\n" << 0;
    QTest::newRow("variable against a non-number fails") << "ASSERT(Var0, value, zero)"
                                                         << "Assert(Var0(0)<b> ==  zero) " + failed
                                                         << "Assert(Var0(0) == zero) FAILED\n" << 1;
    QTest::newRow("two non-numbers fail") << "ASSERT(Word, value, xyz)" << "Assert(Word(abc)<b> ==  xyz) " + failed
                                          << "Assert(Word(abc) == xyz) FAILED\n" << 1;
    // A check that cannot be evaluated fails, with the reason on its line.
    QTest::newRow("unknown define fails")
        << "ASSERT(Nope, value, 1)"
        << "Assert(Nope()<b> ==  1) <font color=\"red\">FAILED</b></font> (no element or variable Nope, line 3)<br>"
        << "Assert(Nope() == 1) FAILED (no element or variable Nope, line 3)\n" << 1;
    QTest::newRow("lock on an unknown name fails")
        << "ASSERTLOCK(Nope, 0)" << "AssertLock(Nope<b> ==   0) <font color=\"red\">FAILED</b></font> (no element Nope, line 3)<br>"
        << "AssertLock(Nope ==  0) FAILED (no element Nope, line 3)\n" << 1;
    QTest::newRow("lock with a keyword suffix") << "ASSERTLOCK(Mode.label, 0)" << "AssertLock(Mode<b> ==   0) " + ok
                                                << "AssertLock(Mode ==  0) OK\n" << 0;
    QTest::newRow("enabled") << "ASSERTENABLED(Speed, 1)" << "AssertEnabled(Speed<b> ==   1) " + ok
                             << "AssertEnabled(Speed ==  1) OK\n" << 0;
    QTest::newRow("disabled") << "ASSERTENABLED(Text, 1)" << "AssertEnabled(Text<b> ==   1) " + failed
                              << "AssertEnabled(Text ==  1) FAILED\n" << 1;
    QTest::newRow("enabled on an unknown name fails")
        << "ASSERTENABLED(Nope, 0)" << "AssertEnabled(Nope<b> ==   0) <font color=\"red\">FAILED</b></font> (no element Nope, line 3)<br>"
        << "AssertEnabled(Nope ==  0) FAILED (no element Nope, line 3)\n" << 1;
    QTest::newRow("table value on no table fails")
        << "ASSERTTABLEVALUE(Speed, 0, 0, 1)"
        << "AssertTableValue(Speed,  0,  0,  1)<b> ==  ) <font color=\"red\">FAILED</b></font> (no table Speed, line 3)<br>"
        << "AssertTableValue(Speed,  0,  0,  1) ==  FAILED (no table Speed, line 3)\n" << 1;
}

void TestScriptEngine::assertions()
{
    QFETCH(QString, line);
    QFETCH(QString, console);
    QFETCH(QString, plain);
    QFETCH(int, failed);

    auto element = [this](const QString &name, const QString &type, const QString &value) {
        auto *fake = new FakeElement(name);
        fake->values[0] = value;
        fake->values[4] = type;
        fakes << fake;
        host.add(name, fake);
        return fake;
    };
    element("Speed", "DoubleSpinBox", "10.2567");
    element("Mask", "SpinBox", "0xFF");
    element("Copy", "SpinBox", "255");
    element("Word", "ComboBox", "abc");
    element("Mode", "ButtonGroup", "1")->values[1] = "On";
    element("Text", "LineEdit", "ABC")->setEnabled(false);
    auto *var1 = new DataClass("Var1");
    var1->setValue(5);
    auto *var0 = new DataClass("Var0");
    owned << var1 << var0;
    host.variables.insert("Var1", var1);
    host.variables.insert("Var0", var0);

    const QString log = dir->filePath("out.log");
    engine->setOutputLogName(log);
    const QString file = writeScript("assert.script", {"PROBE(1)", "PROBE(2)", line});
    QVERIFY(engine->runFile(file));
    const QString last = host.console.last();
    if (console.isEmpty()) {
        QCOMPARE(last, QStringLiteral("probe[2]2"));
    } else {
        QString expected = console;
        expected.replace("$xmlopen$$", "$xmlopen$" + QString(file).replace(":", "$$$COLON$$$") + "$");
        QCOMPARE(last, expected);
    }
    QCOMPARE(engine->failedAssertCount(), failed);
    QFile out(log);
    QVERIFY(out.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromUtf8(out.readAll()), plain);
}

void TestScriptEngine::nestedRunsKeepTheirStateAndTheCount()
{
    auto *fake = new FakeElement("A");
    fake->values[0] = "1";
    fakes << fake;
    host.add("A", fake);
    const QString log = dir->filePath("nested.log");
    engine->setOutputLogName(log);
    const QString inner = writeScript("inner.script", {"SETWAITTIME(0)", "ASSERT(A, value, 2)", "NOSUCH"});
    const QString outer = writeScript("outer.script", {"ASSERT(A, value, 3)", "LOOPSTART(X, 0, 1, 2)",
                                                       "RUNFILE(inner.script)", "LOOPSTOP", "ASSERT(A, value, 1)",
                                                       "NOSUCH"});
    QVERIFY(engine->runFile(outer));
    // 1 + 2 x inner: the inner runs do not reset the count of the outer batch.
    QCOMPARE(engine->failedAssertCount(), 3);
    // The unknown commands (2 x inner, 1 outer) count in the exit code too.
    QCOMPARE(engine->scriptErrorCount(), 3);
    QCOMPARE(engine->exitCode(), 6);
    const QStringList unknown = host.console.filter("Unknown command");
    QCOMPARE(unknown.size(), 3);
    QVERIFY(unknown.at(0).contains("inner.script$-n3$"));
    QVERIFY(unknown.at(2).contains("outer.script$-n8$")); // the outer counter went on
    QFile out(log);
    QVERIFY(out.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromUtf8(out.readAll()).count('\n'), 4);
    QCOMPARE(engine->scriptFile(), QString());
    QVERIFY(!engine->outputLogOpen());
}

void TestScriptEngine::scriptThatRunsItselfIsRefusedBeyondTheDepth()
{
    const QString self = writeScript("self.script", {"PROBE(in)", "RUNFILE(self.script)"});
    QVERIFY(engine->runFile(self));
    QCOMPARE(probes().size(), ScriptEngine::maxRunDepth);
    QCOMPARE(host.console.filter("nested deeper than 16").size(), 1);
    QCOMPARE(engine->runDepth(), 0);
}

void TestScriptEngine::endOfRunStopsAtAFalseLine()
{
    const QString file = writeScript("stop.script", {"PROBE(a)", "STOP", "PROBE(b)"});
    QVERIFY(!engine->runFile(file));
    QCOMPARE(probes(), QStringList{"probe[a]1"});
}

void TestScriptEngine::exitHandsTheCountToTheHost()
{
    auto *fake = new FakeElement("A");
    fakes << fake;
    host.add("A", fake);
    engine->setOutputLogName(dir->filePath("exit.log"));
    const QString file = writeScript("exit.script", {"LOOPSTART(N, 0, 1, 300)", "ASSERT(A, value, 1)", "LOOPSTOP",
                                                     "EXIT(2)", "PROBE(after)"});
    try {
        engine->runFile(file);
        QFAIL("EXIT returned");
    } catch (const ScriptTestHost::ExitCalled &exit) {
        QCOMPARE(exit.closeMode, 2);
        QCOMPARE(exit.exitCode, 255); // 300 failures, kept to 8 bits
    }
    QVERIFY(!engine->outputLogOpen()); // closed before the window goes
    QVERIFY(probes().isEmpty());
}

void TestScriptEngine::actionTextsRunEachPartAndHandPythonOn()
{
    engine->runText("PROBE(a, 1);;PROBE(b)");
    QCOMPARE(probes(), (QStringList{"probe[a, 1]0", "probe[b]2"}));

    host.console.clear();
    engine->runText("python:print(1)"); // no Python: nothing happens
    QVERIFY(host.console.isEmpty());

    QStringList ran;
    engine->setPythonRunner([&ran](const QString &code, QString *error) {
        ran << code;
        *error = "NameError: x\nline 2";
        return !code.contains('x');
    });
    engine->runText("PYTHON:print(1)");
    engine->runText("python:x");
    const QString file = writeScript("code.py", {"print(2)"});
    engine->runText("python:" + file);
    QCOMPARE(ran, (QStringList{"print(1)", "x", "print(2)\n"}));
    QCOMPARE(host.console, QStringList{"<font color=\"red\"> <b>Python Error: </b></font>NameError: x<br>line 2<br>"});
}

void TestScriptEngine::singleStepAnsweredNoStopsTheRun()
{
    const QString file = writeScript("step.script", {"SETSINGLESTEP(1)", "PROBE(a)", "PROBE(b)"});
    host.quiet = false;
    NonInteractivePrompt *prompt = env->installPrompt({"no"});
    QVERIFY(!engine->runFile(file));
    QVERIFY(probes().isEmpty());
    QCOMPARE(prompt->transcript().size(), 1);
    QVERIFY(prompt->transcript().first().contains("Continue with next command ?"));

    // Quiet runs never ask; a new file starts without single step.
    host.quiet = true;
    QVERIFY(engine->runFile(file));
    QCOMPARE(probes().size(), 2);
    host.quiet = false;
    const QString plain = writeScript("plain.script", {"PROBE(c)"});
    QVERIFY(engine->runFile(plain));
    QCOMPARE(prompt->transcript().size(), 1);

    // MessageBox shows its first parameter, "//" included, unless quiet.
    QVERIFY(engine->executeLine("MESSAGEBOX(a // b, c)", 1));
    QCOMPARE(prompt->transcript().last(), QStringLiteral("Message from batchfile: a // b"));
}

void TestScriptEngine::waitKeepsTheEventLoopRunning()
{
    bool fired = false;
    QTimer::singleShot(5, [&fired] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    QVERIFY(engine->executeLine("WAIT(60)", 1));
    QVERIFY(fired);
    QVERIFY(clock.elapsed() >= 55);
    clock.restart();
    QVERIFY(engine->executeLine("WAIT(0)", 1));
    QVERIFY(engine->executeLine("WAIT(-5)", 1));
    QVERIFY(clock.elapsed() < 50);
}

void TestScriptEngine::outputOptionsSetTheReporterAndQuietMode()
{
    ErrorReporter &reporter = ErrorReporter::instance();
    QVERIFY(engine->executeLine("SETOUTPUTOPTIONS(65538,)", 1));
    QVERIFY(!reporter.reportsToConsole());
    QVERIFY(reporter.reportsToMessageBox());
    QVERIFY(!reporter.reportsToLogFile());
    QVERIFY(!host.quiet);

    QDir::setCurrent(dir->path());
    QVERIFY(engine->executeLine("SETOUTPUTOPTIONS(1, run.log)", 1));
    QVERIFY(reporter.reportsToConsole());
    QVERIFY(!reporter.reportsToMessageBox());
    QVERIFY(reporter.reportsToLogFile());
    QVERIFY(host.quiet);
    QVERIFY(QFileInfo::exists(dir->filePath(" run.log"))); // taken as it stands
    closeLogFile();
    reporter.setSinks(false, true, false);

    QVERIFY(engine->executeLine("SETTYKCHECK(0, 0)", 1));
    QCOMPARE(host.ioCheckMode, quint16(0));
    QVERIFY(engine->executeLine("SETTYKLOGGING(2,1,tyk.log)", 1));
    QCOMPARE(host.tykLogging, (QStringList{"2", "1", "tyk.log"}));
    QVERIFY(engine->executeLine("LOGSETDEFS(1)", 1));
    QVERIFY(host.logSetDefs);
}

void TestScriptEngine::generatedTestInputIsReproducibleAndValid()
{
    QWidget parent;
    auto *combo = new ComboBox("Combo", &parent);
    combo->QComboBox::addItems({"a", "b", "c"});
    auto *high = new SpinBox("High", &parent);
    high->setRange(40000, 50000);
    auto *hex = new HexSpinBox("Hex", &parent);
    hex->setRange(0, 15);
    auto *negative = new DoubleSpinBox("Neg", &parent);
    negative->setRange(-10, -1);
    const QList<QObject *> objects{combo, new CheckBox("Check", "c", &parent), high, hex, negative,
                                   new ToggleButton("Toggle", "t", &parent), new LineEdit("Edit", &parent)};
    for (QObject *object : objects)
        host.add(object->objectName(), activeElementOf(object));

    QDir::setCurrent(dir->path());
    auto generate = [this](const QString &line, const QString &file) {
        engine->executeLine(line, 1);
        QFile in(dir->filePath(file));
        return in.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(in.readAll()) : QString("missing");
    };
    const QString first = generate("GENERATETESTINPUT(a.script, 7)", "a.script");
    QCOMPARE(generate("GENERATETESTINPUT(b.script, 7)", "b.script"), first);
    QVERIFY(generate("GENERATETESTINPUT(c.script, 8)", "c.script") != first);

    const QStringList lines = first.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 8); // the hex spin box is a spin box too
    QRegularExpression set("^Set\\((\\w+), (\\w+)\\)$");
    for (const QString &line : lines) {
        if (line.contains("Clicked(")) {
            QVERIFY(line == "Clicked(Toggle)" || line == "//Clicked(Toggle)");
            continue;
        }
        const QRegularExpressionMatch m = set.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        const QString name = m.captured(1);
        const long long value = m.captured(2).toLongLong();
        if (name == "Combo")
            QVERIFY(value >= 0 && value < 3);
        else if (name == "Check")
            QVERIFY(value == 0 || value == 1);
        else if (name == "High")
            QVERIFY(value > 32767 - 1 && value <= 40000); // hi below lo
        else if (name == "Hex")
            QVERIFY(value >= 0 && value < 15);
        else if (name == "Neg")
            QVERIFY(value >= 0 && value < 32767);
        else
            QCOMPARE(line, QStringLiteral("Set(Edit, TestText)"));
    }
    // No seed reads as 0; a file that cannot be written is reported, the run goes on.
    QVERIFY(engine->executeLine("GENERATETESTINPUT(" + dir->filePath("no/such/x.script") + ")", 1));
    QVERIFY(host.console.last().contains("Cannot open file"));
}

void TestScriptEngine::dumpsListElementsAndVariables()
{
    auto element = [this](const QString &name, const QString &value) {
        auto *fake = new FakeElement(name);
        fake->values[0] = value;
        fake->values[4] = "FakeElement";
        fake->values[1] = name + " label";
        fakes << fake;
        host.add(name, fake);
        return fake;
    };
    element("b", "2");
    element("B", "3")->setEnabled(false);
    element("a", "1");
    for (const char *name : {"Var", "$ADDRESS$", "$FUNC$", "$VALUE$", "dummy_define"}) {
        auto *variable = new DataClass(name);
        variable->setValue(9);
        owned << variable;
        host.variables.insert(name, variable);
    }
    QDir::setCurrent(dir->path());
    QVERIFY(engine->executeLine("DUMPALL(all.txt)", 1));
    QFile all(dir->filePath("all.txt"));
    QVERIFY(all.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(QString::fromUtf8(all.readAll()),
             QStringLiteral("B(FakeElement) == 3 (U/D)\na(FakeElement) == 1 (U/E)\nb(FakeElement) == 2 (U/E)\nVar == 9\n"));

    host.console.clear();
    engine->executeLine("DUMP(Var, 0)", 1);
    engine->executeLine("DUMP(a, 2)", 1);
    engine->executeLine("DUMP(a, 9)", 1);
    engine->executeLine("DUMP(nothing, 0)", 1);
    QVERIFY(!engine->executeLine("DUMP(Var)", 1));
    QCOMPARE(host.console.mid(0, 3),
             (QStringList{"Dump(Var<b>) == 9<br>",
                          "Dump(a.Label<b>) == a label <font color=\"red\">     </b></font><br>",
                          "Dump(a.Value<b>) == 1 <font color=\"red\">     </b></font><br>"}));
    QCOMPARE(host.console.size(), 4); // nothing for an unknown name, then the missing parameter

    host.console.clear();
    engine->executeLine("DUMPOBJECTS", 1);
    QCOMPARE(host.console, (QStringList{"b(FakeElement) == 2<br>", "B(FakeElement) == 3<br>", "a(FakeElement) == 1<br>"}));
    host.console.clear();
    engine->executeLine("VERSION()", 1);
    QCOMPARE(host.console, QStringList{"Version    : 2.5.0.720<br>Executable : exe<br>Current dir: cur<br>Script dir : "
                                       "scripts<br>Work dir   : work<br>XML dir    : xml<br>Tyk dir    : tyk<br>Current "
                                       "XML: panel.xml<br>Current svd: chip.svd<br>Current mig: %1 mig<br>"});
}

void TestScriptEngine::unreadableFilesAreReported()
{
    QVERIFY(!engine->runFile(dir->filePath("missing.script")));
    QVERIFY(host.console.last().contains("Cannot open file"));
    // An output log that cannot be opened keeps the script from running.
    const QString file = writeScript("ok.script", {"PROBE(x)"});
    engine->setOutputLogName(dir->filePath("no/such/dir/out.log"));
    QVERIFY(!engine->runFile(file));
    QVERIFY(probes().isEmpty());
}

void TestScriptEngine::recorderWritesHeaderLinesAndTrailer()
{
    MacroRecorder &recorder = engine->recorder();
    QStringList echoed;
    recorder.setEcho([&echoed](const QString &html) { echoed << html; });
    const QString file = dir->filePath("rec.script");
    QString error;
    QVERIFY(recorder.startFile(file, "/panels/demo.xml", &error));
    QVERIFY(recorder.isRecording());
    recorder.record("Set(A, 1)", "Set(A, 1)");
    recorder.insertLine("Wait(5)");
    recorder.setComment("why");
    recorder.record("Clicked(B)", "Clicked(B)");
    recorder.stopFile();
    QVERIFY(!recorder.isRecording());
    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(in.readAll()),
             QStringLiteral("//Macro recorded with XML /panels/demo.xml\nSetWaitTime(10)\nSet(A, 1)\nWait(5)\n"
                            "Clicked(B)//why\n//Exit(2)\n"));
    QCOMPARE(echoed, (QStringList{"Set(A, 1)<br>", "Wait(5)<br>", "Clicked(B)//why<br>"}));
}

void TestScriptEngine::recorderStaysOffWhenTheFileCannotBeOpened()
{
    MacroRecorder &recorder = engine->recorder();
    QString error;
    QVERIFY(!recorder.startFile(dir->filePath("no/such/rec.script"), "p.xml", &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!recorder.isRecording());
    recorder.stopFile(); // nothing to write to, nothing happens
    recorder.record("Set(A, 1)", "Set(A, 1)");
    QVERIFY(!recorder.isRecording());
}

void TestScriptEngine::runsStoppedBeforeTheirEndFail()
{
    engine->addCommands({{"ENDRUN", -1, [](ScriptEngine &e, const ScriptCall &) {
                              e.endRun();
                              return false;
                          }}});
    // A line that stops the run leaves lines unrun: the run fails with no count.
    QVERIFY(!engine->runFile(writeScript("stop.script", {"PROBE(a)", "STOP", "PROBE(b)"})));
    QCOMPARE(engine->scriptErrorCount(), 0);
    QVERIFY(engine->runStoppedEarly());
    QCOMPARE(engine->exitCode(), 1);
    // The next outermost run starts anew; END ends a run as its last line would.
    QVERIFY(!engine->runFile(writeScript("end.script", {"PROBE(a)", "ENDRUN", "PROBE(b)"})));
    QVERIFY(!engine->runStoppedEarly());
    QCOMPARE(engine->exitCode(), 0);
    // An inner script that stops early fails the outer run; an inner END does not.
    writeScript("innerstop.script", {"STOP", "PROBE(c)"});
    QVERIFY(engine->runFile(writeScript("outer.script", {"RUNFILE(innerstop.script)", "PROBE(d)"})));
    QVERIFY(engine->runStoppedEarly());
    writeScript("innerend.script", {"ENDRUN", "PROBE(e)"});
    QVERIFY(engine->runFile(writeScript("outer2.script", {"RUNFILE(innerend.script)", "PROBE(f)"})));
    QVERIFY(!engine->runStoppedEarly());
    QCOMPARE(probes().filter("probe[f]").size(), 1);
    // An error found before the run (its panel could not be used) is
    // counted by the next outermost run, once.
    engine->addScriptErrorBeforeRun();
    const QString plain = writeScript("plain.script", {"PROBE(g)"});
    QVERIFY(engine->runFile(plain));
    QCOMPARE(engine->scriptErrorCount(), 1);
    QCOMPARE(engine->exitCode(), 1);
    QVERIFY(engine->runFile(plain));
    QCOMPARE(engine->exitCode(), 0);
}

QTEST_MAIN(TestScriptEngine)
#include "tst_scriptengine.moc"
