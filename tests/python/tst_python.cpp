// Embedded Python on panels of our own that use it: elements, variables and
// display items read and set from Python code through the panel's own paths,
// print and errors on the console, the program going on after every error,
// one interpreter per process with a main module per window, and the failure
// path when Python cannot start (a child process of the real program).
#include "activeelement.h"
#include "led.h"
#include "quillpanel.h"
#include "pushbutton.h"
#include "panelfixture.h"
#include "programrun.h"
#include "pythonhost.h"

#include <QSpinBox>
#include <QtTest>

namespace {

const char header[] = "<usesPython/>\n";

const char body[] =
    "<verticalcontainer>"
    "<checkbox define=\"CB\" default=\"0\" setDef=\"SB=7\"/>"
    "<spinbox define=\"SB\" range=\"0;100\" default=\"5\"/>"
    "<combo define=\"MODE.SEL\"><item label=\"A\" value=\"10\"/><item label=\"B\" value=\"20\"/></combo>"
    "<edit define=\"ED\" default=\"007\"/>"
    "<led define=\"LAMP\" data=\"SB\" bitmask=\"1\"/>"
    "<text define=\"TX\" label=\"hello\"/>"
    "<timer define=\"TM\" interval=\"250\"/>"
    "<button define=\"PB\" label=\"Go\"/>"
    "<image define=\"IMG\" file=\"none.png\"/>"
    "<var define=\"V.COUNT\" default=\"3\"/>"
    "</verticalcontainer>";

const QString errorPrefix = QStringLiteral("<font color=\"red\"> <b>Python Error: </b></font>");

} // namespace

class TestPython : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void elementsAreReadAndSetThroughTheirOwnSlots();
    void displayItemsAndVariablesArePublished();
    void elementAttributesAreReadAndSetByName();
    void refusedValuesAndMissingNamesRaiseAndTheRunGoesOn();
    void errorsAreOneConsoleLine_data();
    void errorsAreOneConsoleLine();
    void printAndStandardErrorReachTheConsole_data();
    void printAndStandardErrorReachTheConsole();
    void pythonFilesRun();
    void actionsThatRunEachOtherEnd();
    void objectsOfAClosedPanelRaise();
    void eachWindowHasItsOwnModule();
    void withoutUsesPythonNothingRuns();
    void theExamplePanelRunsItsPython();
    void aPanelWhosePythonCannotStartIsNotRead();

private:
    // Runs the text as an element's runScript action; the console lines since.
    QStringList run(const QString &text);
    QStringList errorLines(const QStringList &lines) const;
    std::unique_ptr<PanelFixture> f;
};

void TestPython::init()
{
    f = std::make_unique<PanelFixture>();
    QVERIFY(f->load(QLatin1String(body), QLatin1String(header)));
    f->clearConsole();
    f->clearErrors();
}

void TestPython::cleanup()
{
    f.reset();
}

QStringList TestPython::run(const QString &text)
{
    f->clearConsole();
    f->window->panel()->runScript(text);
    return f->consoleLines();
}

QStringList TestPython::errorLines(const QStringList &lines) const
{
    QStringList errors;
    for (const QString &line : lines)
        if (line.startsWith(errorPrefix))
            errors << line;
    return errors;
}

void TestPython::elementsAreReadAndSetThroughTheirOwnSlots()
{
    QVERIFY(f->window->pythonHost()->pythonStarted());
    // Reading: numbers where the value is one, text for a line edit.
    QCOMPARE(run(QStringLiteral("python:print(SB.value, CB.value, repr(ED.value), MODE_SEL.value)")),
             QStringList{QStringLiteral("Python stdOut: 5 0 '007' 10<br>")});

    // Setting goes through the element's own change: the check box's setDef
    // action sets the spin box, as a click by the user would.
    QVERIFY(errorLines(run(QStringLiteral("python:CB.value = True"))).isEmpty());
    QCOMPARE(f->value(QStringLiteral("CB")), QStringLiteral("1"));
    QCOMPARE(f->value(QStringLiteral("SB")), QStringLiteral("7"));

    QVERIFY(errorLines(run(QStringLiteral("python:SB.value = 42\nMODE_SEL.value = 20\nED.value = 'abc'"))).isEmpty());
    QCOMPARE(f->widget<QSpinBox>(QStringLiteral("SB"))->value(), 42);
    QCOMPARE(f->value(QStringLiteral("MODE.SEL")), QStringLiteral("20"));
    QCOMPARE(f->value(QStringLiteral("ED")), QStringLiteral("abc"));
    // The change marks the project modified like any user change.
    QVERIFY(f->window->isWindowModified());

    // The value Python reads back is the element's.
    QCOMPARE(run(QStringLiteral("python:print(SB.value + 1)")), QStringList{QStringLiteral("Python stdOut: 43<br>")});
    // Qt properties and slots of the widget.
    QCOMPARE(run(QStringLiteral("python:SB.setEnabled(False)\nprint(SB.maximum, SB.enabled)")),
             QStringList{QStringLiteral("Python stdOut: 100 False<br>")});
    QVERIFY(!f->widget<QSpinBox>(QStringLiteral("SB"))->isEnabled());
}

void TestPython::displayItemsAndVariablesArePublished()
{
    // The lamp reads bit 0 of SB; the text, the timer, the push button and
    // the image are there under their defines, the variable with "_".
    QVERIFY(errorLines(run(QStringLiteral("python:SB.value = 3"))).isEmpty());
    QCOMPARE(run(QStringLiteral("python:print(LAMP.value, TX.text, TM.value, PB.text, IMG.objectName != None)")),
             QStringList{QStringLiteral("Python stdOut: True hello 0 Go True<br>")});
    QVERIFY(errorLines(run(QStringLiteral("python:LAMP.value = False"))).isEmpty());
    auto *lamp = qobject_cast<Led *>(f->window->panel()->registries().ledsByData.value(QStringLiteral("SB")).value(0));
    QVERIFY(lamp);
    QVERIFY(!lamp->isLit());

    QVERIFY(errorLines(run(QStringLiteral("python:V_COUNT.value = 9"))).isEmpty());
    QCOMPARE(run(QStringLiteral("python:print(V_COUNT.value)")), QStringList{QStringLiteral("Python stdOut: 9<br>")});
    // The panel keeps the define with its dot; Python has no such name.
    QCOMPARE(errorLines(run(QStringLiteral("python:print(V.COUNT)"))).size(), 1);
}

void TestPython::elementAttributesAreReadAndSetByName()
{
    // The attributes an element keeps from its panel XML are there under
    // their names, listed by dir() and writable where they exist.
    QCOMPARE(run(QStringLiteral("python:print(SB.my_default, ED.my_default, CB.default_setdef, "
                                "'my_default' in dir(SB), 'xmlElement' in dir(SB))")),
             QStringList{QStringLiteral("Python stdOut: 5 007 ['SB=7'] True True<br>")});
    QVERIFY(errorLines(run(QStringLiteral("python:SB.my_default = '9'"))).isEmpty());
    ActiveElement *spin = f->window->panel()->getActiveElement(QStringLiteral("SB"));
    QVERIFY(spin);
    QCOMPARE(spin->elementProperty("my_default").toString(), QStringLiteral("9"));
    QCOMPARE(run(QStringLiteral("python:print(SB.my_default)")), QStringList{QStringLiteral("Python stdOut: 9<br>")});

    // An attribute the element does not have stays missing.
    const QStringList missing = errorLines(run(QStringLiteral("python:print(SB.locks)")));
    QCOMPARE(missing.size(), 1);
    QVERIFY2(missing.first().contains(QStringLiteral("AttributeError: SB has no attribute 'locks'")),
             qPrintable(missing.first()));

    // A name that is the widget's own Qt property stays the widget's.
    QVERIFY(errorLines(run(QStringLiteral("python:SB.suffix = ' mV'"))).isEmpty());
    QCOMPARE(f->widget<QSpinBox>(QStringLiteral("SB"))->suffix(), QStringLiteral(" mV"));
    QCOMPARE(spin->elementProperty("suffix").toString(), QStringLiteral(" mV"));
}

void TestPython::refusedValuesAndMissingNamesRaiseAndTheRunGoesOn()
{
    const QStringList refused = errorLines(run(QStringLiteral("python:SB.value = 1000\nprint('not reached')")));
    QCOMPARE(refused.size(), 1);
    QVERIFY2(refused.first().contains(QStringLiteral("ValueError: SB: the value &quot;1000&quot; was refused")),
             qPrintable(refused.first()));
    QVERIFY(refused.first().contains(QStringLiteral("line 1")));
    QCOMPARE(f->value(QStringLiteral("SB")), QStringLiteral("5"));

    const QStringList noChoice = errorLines(run(QStringLiteral("python:MODE_SEL.value = 30")));
    QCOMPARE(noChoice.size(), 1);
    QVERIFY2(noChoice.first().contains(QStringLiteral("ValueError: MODE_SEL has no choice of the value &quot;30&quot;")),
             qPrintable(noChoice.first()));
    QCOMPARE(f->value(QStringLiteral("MODE.SEL")), QStringLiteral("10"));

    const QStringList missing = errorLines(run(QStringLiteral("python:SB.noSuchThing")));
    QCOMPARE(missing.size(), 1);
    QVERIFY2(missing.first().contains(QStringLiteral("AttributeError: SB has no attribute 'noSuchThing'")),
             qPrintable(missing.first()));
    QCOMPARE(errorLines(run(QStringLiteral("python:SB.setValue('many', 'args', 3)"))).size(), 1);

    // The interpreter and the module keep working after the errors.
    QCOMPARE(run(QStringLiteral("python:x = SB.value * 2\nprint(x)")), QStringList{QStringLiteral("Python stdOut: 10<br>")});
    QCOMPARE(run(QStringLiteral("python:print(x)")), QStringList{QStringLiteral("Python stdOut: 10<br>")});
}

void TestPython::errorsAreOneConsoleLine_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("expected");

    QTest::newRow("unknown name") << "print(nothing)" << "NameError: name";
    QTest::newRow("syntax") << "if True print(1)" << "SyntaxError";
    QTest::newRow("unterminated string") << "print('abc)" << "SyntaxError";
    QTest::newRow("deep in a function") << "def f(n):\n    return 1 / n\n\nf(0)" << "ZeroDivisionError: division by zero (&lt;string&gt;, line 2)";
    // Neither ends the program.
    QTest::newRow("sys.exit") << "import sys\nsys.exit(3)" << "SystemExit: 3";
    QTest::newRow("raise SystemExit") << "raise SystemExit" << "SystemExit";
    QTest::newRow("keyboard interrupt") << "raise KeyboardInterrupt" << "KeyboardInterrupt";
    QTest::newRow("recursion") << "def r():\n    return r()\nr()" << "RecursionError";
    QTest::newRow("another thread") << "import threading\nfailed = []\n"
                                       "def worker():\n    try:\n        SB.value = 1\n"
                                       "    except RuntimeError as e:\n        failed.append(str(e))\n"
                                       "t = threading.Thread(target=worker)\nt.start()\nt.join()\nraise ValueError(failed[0])"
                                    << "ValueError: SB: panel objects can only be used from the program's main thread";
    QTest::newRow("input has nothing to read") << "input('value? ')" << "EOFError";
    QTest::newRow("null character") << QString::fromLatin1("print(1)\0", 9) << "null character";
}

void TestPython::errorsAreOneConsoleLine()
{
    QFETCH(QString, code);
    QFETCH(QString, expected);
    const QStringList lines = run(QStringLiteral("python:") + code);
    QCOMPARE(errorLines(lines).size(), 1);
    QVERIFY2(errorLines(lines).first().contains(expected), qPrintable(lines.join(QLatin1Char('\n'))));
    QCOMPARE(run(QStringLiteral("python:print('still here')")),
             QStringList{QStringLiteral("Python stdOut: still here<br>")});
}

void TestPython::printAndStandardErrorReachTheConsole_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("lines");

    // A print writes its text and its line end separately: one line.
    QTest::newRow("print") << "print('a')" << QStringList{"Python stdOut: a<br>"};
    QTest::newRow("print of several values") << "print(1, 'b', 2.5, sep='-')" << QStringList{"Python stdOut: 1-b-2.5<br>"};
    QTest::newRow("print of two lines") << "print('a\\nb')" << QStringList{"Python stdOut: a<br>", "b<br>"};
    QTest::newRow("two prints") << "print('a')\nprint('b')" << QStringList{"Python stdOut: a<br>", "Python stdOut: b<br>"};
    QTest::newRow("text with a line end") << "import sys\nsys.stdout.write('x\\ny')"
                                          << QStringList{"Python stdOut: x<br>", "y<br>"};
    QTest::newRow("standard error") << "import sys\nsys.stderr.write('x\\ny')"
                                    << QStringList{"Python stdErr: x<br>", "y<br>"};
    QTest::newRow("lone line end") << "import sys\nsys.stdout.write('\\n')" << QStringList{};
    QTest::newRow("markup is shown as text") << "print('<b>&')" << QStringList{"Python stdOut: &lt;b&gt;&amp;<br>"};
    QTest::newRow("print to stderr") << "import sys\nprint('e', file=sys.stderr)" << QStringList{"Python stdErr: e<br>"};
}

void TestPython::printAndStandardErrorReachTheConsole()
{
    QFETCH(QString, code);
    QFETCH(QStringList, lines);
    QCOMPARE(run(QStringLiteral("python:") + code), lines);
}

void TestPython::pythonFilesRun()
{
    const QString path = writeTestFile(f->env->path(QStringLiteral("set.py")), "SB.value = 33\nprint('file ran')\n");
    QVERIFY(!path.isEmpty());
    QCOMPARE(run(QStringLiteral("PYTHON:") + path), QStringList{QStringLiteral("Python stdOut: file ran<br>")});
    QCOMPARE(f->value(QStringLiteral("SB")), QStringLiteral("33"));
}

// Each change of the spin box runs Python code that changes it again: the
// runs nest until the limit, which ends them with one error line.
void TestPython::actionsThatRunEachOtherEnd()
{
    PanelFixture loop;
    QVERIFY(loop.load(QStringLiteral(
                          "<verticalcontainer><spinbox define=\"STEP\" range=\"0;1000\" default=\"0\">"
                          "<action event=\"changed\" cmd=\"runScript\" data=\"python:STEP.value = STEP.value + 1\"/>"
                          "</spinbox></verticalcontainer>"),
                      QLatin1String(header)));
    loop.clearConsole();
    loop.window->panel()->runScript(QStringLiteral("python:STEP.value = 1"));
    const QStringList lines = loop.consoleLines();
    QVERIFY2(errorLines(lines).size() == 1, qPrintable(lines.join('\n')));
    QVERIFY2(errorLines(lines).first().contains(QStringLiteral("nested deeper than 16 levels")), qPrintable(lines.join('\n')));
    QCOMPARE(loop.value(QStringLiteral("STEP")), QStringLiteral("16"));
    loop.clearConsole();
    loop.window->panel()->runScript(QStringLiteral("python:print('after')"));
    QCOMPARE(loop.consoleLines(), QStringList{QStringLiteral("Python stdOut: after<br>")});
}

void TestPython::objectsOfAClosedPanelRaise()
{
    QVERIFY(errorLines(run(QStringLiteral("python:kept = SB"))).isEmpty());
    // Another panel replaces this one; the name kept in Python outlives SB.
    QVERIFY(f->load(QStringLiteral("<verticalcontainer><spinbox define=\"OTHER\" range=\"0;9\"/></verticalcontainer>")));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QStringList lines = run(QStringLiteral("python:print(kept.value)"));
    QCOMPARE(errorLines(lines).size(), 1);
    QVERIFY2(errorLines(lines).first().contains(QStringLiteral("no longer exists")), qPrintable(lines.join('\n')));
    // Python stays started for later panels, with or without usesPython.
    QCOMPARE(run(QStringLiteral("python:OTHER.value = 4\nprint(OTHER.value)")),
             QStringList{QStringLiteral("Python stdOut: 4<br>")});
}

void TestPython::eachWindowHasItsOwnModule()
{
    QVERIFY(PythonHost::interpreterRunning());
    QVERIFY(errorLines(run(QStringLiteral("python:mine = 1"))).isEmpty());
    MainWindow second{CommandLineOptions()};
    // The fixture reads the console back from the log file.
    ErrorReporter::instance().setReportToLogFile(true);
    QVERIFY(!second.pythonHost()->pythonStarted());
    QString error;
    QVERIFY(second.pythonHost()->startPython(&error));
    QVERIFY(!second.pythonHost()->evalScript(QStringLiteral("print(mine)"), &error));
    QVERIFY2(error.startsWith(QStringLiteral("NameError")), qPrintable(error));
    QVERIFY(second.pythonHost()->evalScript(QStringLiteral("print(application.objectName is not None)"), &error));
    // Files: errors name the file and line; a missing file is an error too.
    const QString file = writeTestFile(f->env->path(QStringLiteral("bad.py")), "x = 1\nraise KeyError('k')\n");
    QVERIFY(!second.pythonHost()->evalFile(QString(file).replace(QLatin1Char('/'), QLatin1Char('\\')), &error));
    QCOMPARE(error, QStringLiteral("KeyError: 'k' (%1, line 2)").arg(file));
    QVERIFY(!second.pythonHost()->evalFile(f->env->path(QStringLiteral("none.py")), &error));
    QVERIFY2(error.startsWith(QStringLiteral("Cannot open file")), qPrintable(error));
    // The first window's module is untouched.
    QCOMPARE(run(QStringLiteral("python:print(mine)")), QStringList{QStringLiteral("Python stdOut: 1<br>")});
}

void TestPython::withoutUsesPythonNothingRuns()
{
    PanelFixture plain;
    QVERIFY(plain.load(QStringLiteral("<verticalcontainer><spinbox define=\"SB\" range=\"0;100\" default=\"5\"/></verticalcontainer>")));
    QVERIFY(!plain.window->pythonHost()->pythonStarted());
    plain.clearConsole();
    plain.window->panel()->runScript(QStringLiteral("python:print('x')\nSB.value = 9"));
    QVERIFY(plain.consoleLines().isEmpty());
    QCOMPARE(plain.value(QStringLiteral("SB")), QStringLiteral("5"));
}

// examples/python.xml: its buttons run Python code on the panel's elements.
void TestPython::theExamplePanelRunsItsPython()
{
    PanelFixture example;
    QVERIFY(example.window->open(QStringLiteral(QUILLMATE_EXAMPLES "/python.xml")));
    example.window->initLoadedConfiguration(true);
    QVERIFY(example.window->pythonHost()->pythonStarted());
    const auto click = [&example](const char *define) {
        PushButton *button = example.window->panel()->registries().pushButtonsByName.value(QLatin1String(define));
        QVERIFY(button);
        example.clearConsole();
        button->click();
    };
    click("PY_DOUBLE");
    QCOMPARE(example.value(QStringLiteral("PY_RATE")), QStringLiteral("16000"));
    QCOMPARE(example.consoleLines(), QStringList{QStringLiteral("Python stdOut: rate 16000 Hz<br>")});
    click("PY_REPORT");
    QCOMPARE(example.consoleLines(),
             QStringList{QStringLiteral("Python stdOut: channels 4 rate 16000 filter False odd False<br>")});
    click("PY_BAD");
    QCOMPARE(example.consoleLines().size(), 1);
    QVERIFY(example.consoleLines().first().startsWith(errorPrefix));
    QCOMPARE(example.value(QStringLiteral("PY.CHANNELS")), QStringLiteral("4"));
}

// With a Python home that does not exist the interpreter cannot start: the
// "Python integration" warning comes and the panel is not read, so an export
// run fails; nothing crashes.
void TestPython::aPanelWhosePythonCannotStartIsNotRead()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QDir(dir.path()).mkpath(QStringLiteral("config"));
    const QString panel = writeTestFile(dir.filePath(QStringLiteral("panel.xml")),
                                        verticalPanelText(QStringLiteral("<spinbox define=\"SB\" header=\"out.h\"/>"),
                                                          QLatin1String(header)));
    QVERIFY(!panel.isEmpty());
    const QByteArray previous = qgetenv("PYTHONHOME");
    qputenv("PYTHONHOME", dir.filePath(QStringLiteral("no-python-here")).toUtf8());
    const ProgramRun failed = runProgram(QStringLiteral(QUILLMATE_BINARY), {QStringLiteral("-g"), panel}, dir.path(),
                                         dir.filePath(QStringLiteral("config")));
    if (previous.isNull())
        qunsetenv("PYTHONHOME");
    else
        qputenv("PYTHONHOME", previous);
    QVERIFY(failed.finished);
    QCOMPARE(failed.exitCode, 1);
    QVERIFY2(failed.stdErr.contains(QStringLiteral("Python integration")), qPrintable(failed.stdErr));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("out.h"))));

    // The same panel with a working Python exports its header.
    const ProgramRun ok = runProgram(QStringLiteral(QUILLMATE_BINARY), {QStringLiteral("-g"), panel}, dir.path(),
                                     dir.filePath(QStringLiteral("config")));
    QVERIFY(ok.finished);
    QCOMPARE(ok.exitCode, 0);
    QVERIFY2(QFile::exists(dir.filePath(QStringLiteral("out.h"))), qPrintable(ok.stdErr));
}

QTEST_MAIN(TestPython)
#include "tst_python.moc"
