// The window's script actions on a small panel of our own: the Script tab,
// the menu's batch run, action texts, external programs, the "$DIR$"
// element of directory loops, and the macro recorder's file.
#include "panelfixture.h"

#include "addscriptcommanddialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTextEdit>

static const char panelBody[] =
    "<verticalcontainer>"
    "<checkbox define=\"CB\" default=\"1\"/>"
    "<spinbox define=\"SB\" range=\"0;100\" default=\"5\"/>"
    "<edit define=\"ED\" default=\"Start\"/>"
    "<spinbox define=\"CLK.CTRL[3:0]\" range=\"0;15\" default=\"2\"/>"
    "<spinbox define=\"CLK.CTRL[7:4]\" range=\"0;15\" default=\"1\"/>"
    "<table define=\"TBL\" numrows=\"2\">"
    "<column type=\"value\" label=\"Value\" default=\"0x10\"/>"
    "<column type=\"regname\" label=\"Register\"/>"
    "</table>"
    "</verticalcontainer>";

class TestScriptWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void scriptTabRunsTheTypedLine();
    void batchFileFromTheMenuRunsWithItsFolderCurrent();
    void actionTextsRunEveryPart();
    void programOutputReachesTheConsole();
    void directoryLoopSetsTheDirElement();
    void recordingWritesHeaderAndTrailer();
    void recordFileThatCannotBeOpenedLeavesRecordingOff();
    void addCommandDialogInsertsTheCheckedCommand();
    void registerValueAssertions();
    void tableAssertionsCheckTheirIndexes_data();
    void tableAssertionsCheckTheirIndexes();

private:
    QString consoleText() const { return f->window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText(); }
    QString writeFile(const QString &name, const QStringList &lines);
    std::unique_ptr<PanelFixture> f;
};

void TestScriptWindow::init()
{
    f = std::make_unique<PanelFixture>();
    QVERIFY(f->load(QLatin1String(panelBody)));
    f->window->clearConsole();
    f->clearConsole();
    f->clearErrors();
}

void TestScriptWindow::cleanup()
{
    f.reset();
}

QString TestScriptWindow::writeFile(const QString &name, const QStringList &lines)
{
    QFile file(f->env->path(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(lines.join('\n').toUtf8() + '\n');
    return file.fileName();
}

void TestScriptWindow::scriptTabRunsTheTypedLine()
{
    auto *input = f->window->findChild<QTextEdit *>("scriptInput");
    QVERIFY(input);
    QTest::keyClicks(input, "assert(SB, value, 5)");
    QTest::keyClick(input, Qt::Key_Return);
    QVERIFY2(consoleText().contains("Assert(SB(5) == 5) OK"), qPrintable(consoleText()));
    QTest::keyClicks(input, "Nothing(1)");
    QTest::keyClick(input, Qt::Key_Return);
    QVERIFY(f->consoleLines().last().contains("Unknown command: Nothing(1) in line Nothing(1) "));
    QVERIFY(f->consoleLines().last().endsWith("line -1</b><b><br>"));
}

void TestScriptWindow::batchFileFromTheMenuRunsWithItsFolderCurrent()
{
    QDir(f->env->path("batch")).mkpath(".");
    const QString script = writeFile("batch/run.script", {"ASSERT(ED, value, start)", "DUMPALL(dump.txt)"});
    f->env->installPrompt({script});
    f->window->runBatchfile();
    QCOMPARE(f->window->scripts().failedAssertCount(), 1); // line edits compare with case
    QVERIFY(QFileInfo::exists(f->env->path("batch/dump.txt")));
    QCOMPARE(QDir::currentPath(), QFileInfo(script).absolutePath());
}

void TestScriptWindow::actionTextsRunEveryPart()
{
    f->window->panelShell().runScript("ASSERT(CB, value, 1);;ASSERT(CB, value, 0);NOSUCH");
    QVERIFY(consoleText().contains("Assert(CB(1) == 1) OK"));
    QVERIFY(consoleText().contains("Assert(CB(1) == 0) FAILED"));
    QVERIFY(f->consoleLines().last().contains("Unknown command: NOSUCH in line NOSUCH <b><a href=\"$xmlopen$$-n3$-c1\">"));
}

void TestScriptWindow::programOutputReachesTheConsole()
{
    f->window->panelShell().startProgram("/usr/bin/printf one\\ntwo\\n");
    QCOMPARE(f->consoleLines(), (QStringList{"one<br>", "two<br>"}));
    f->clearConsole();
    f->window->panelShell().startProgram(f->env->path("no-such-program") + " x");
    QVERIFY(f->consoleLines().isEmpty());
}

void TestScriptWindow::directoryLoopSetsTheDirElement()
{
    QDir(f->env->path("dirs")).mkpath(".");
    for (const char *name : {"b.txt", "A.txt"})
        QVERIFY(QFile(f->env->path(QString("dirs/") + name)).open(QIODevice::WriteOnly));
    const QString script = writeFile("dirs/loop.script", {"DIRLOOPSTART(*.txt)", "ASSERT($DIR$, value, A.txt)",
                                                          "DIRLOOPSTOP"});
    QVERIFY(f->window->runScriptFile(script));
    // The second pass saw b.txt, which fails the assertion written for A.txt.
    QCOMPARE(f->window->scripts().failedAssertCount(), 1);
    QCOMPARE(f->value("$DIR$"), QStringLiteral("b.txt"));
}

void TestScriptWindow::recordingWritesHeaderAndTrailer()
{
    const QString file = f->env->path("rec.script");
    f->env->installPrompt({file});
    f->window->startStopRecording();
    QVERIFY(f->window->panelShell().isRecording());
    f->window->panelShell().recordScriptLine("Set(SB, 7)", "Set(SB, 7)");
    f->window->startStopRecording();
    QVERIFY(!f->window->panelShell().isRecording());
    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(in.readAll()), "//Macro recorded with XML " + f->window->panel()->getXMLFile()
                                                  + "\nSetWaitTime(10)\nSet(SB, 7)\n//Exit(2)\n");
    QVERIFY(consoleText().contains("Starting macro recording"));
    QVERIFY(consoleText().contains("Macro recording stopped"));
}

void TestScriptWindow::recordFileThatCannotBeOpenedLeavesRecordingOff()
{
    f->env->installPrompt({f->env->path("no/such/dir/rec.script")});
    f->window->startStopRecording();
    QVERIFY(!f->window->panelShell().isRecording());
    QCOMPARE(f->env->prompt()->transcript().filter("Cannot open file").size(), 1);
    QVERIFY(!consoleText().contains("Starting macro recording"));
    // Cancelling the file dialog leaves it off as well.
    f->env->installPrompt({});
    f->window->startStopRecording();
    QVERIFY(!f->window->panelShell().isRecording());
}

void TestScriptWindow::addCommandDialogInsertsTheCheckedCommand()
{
    MacroRecorder &recorder = f->window->scripts().recorder();
    const QString file = f->env->path("dialog.script");
    QVERIFY(recorder.startFile(file, "p.xml", nullptr));
    AddScriptCommandDialog dialog(recorder, f->window.get());
    const QStringList names{"MessageBox", "Comment", "SetWaitTime", "Wait", "SetSingleStep", "Clear"};
    auto *insert = dialog.findChild<QPushButton *>("insertButton");
    QVERIFY(insert);
    for (int row = 0; row < names.size(); ++row) {
        auto *radio = dialog.findChild<QRadioButton *>(names.at(row));
        QVERIFY(radio);
        if (auto *edit = dialog.findChild<QLineEdit *>(names.at(row) + "Text")) {
            QTest::keyClicks(edit, QString::number(row)); // typing selects the row
            QVERIFY(radio->isChecked());
        } else {
            radio->setChecked(true);
        }
        QTest::mouseClick(insert, Qt::LeftButton);
    }
    auto *comment = dialog.findChild<QLineEdit *>("commentForNextLine");
    comment->setText("note");
    QTest::mouseClick(insert, Qt::LeftButton); // Clear again, and the comment for the next line
    QCOMPARE(recorder.comment(), QStringLiteral("note"));
    recorder.record("Set(SB, 1)", "Set(SB, 1)");
    recorder.stopFile();
    QFile in(file);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(in.readAll()),
             QStringLiteral("//Macro recorded with XML p.xml\nSetWaitTime(10)\nMessageBox(0)\n//1\nSetWaitTime(2)\n"
                            "Wait(3)\nSetSingleStep(4)\nClear()\nClear()\nSet(SB, 1)//note\n//Exit(2)\n"));
}

void TestScriptWindow::registerValueAssertions()
{
    // The sum of the register's bit fields: 2 + (1 << 4).
    QVERIFY(f->window->executeScriptLine("ASSERT(CLK.CTRL[3:0], registervalue, 18)", 1));
    QVERIFY(f->window->executeScriptLine("ASSERT(CLK.CTRL[7:4], 5, 19)", 2));
    // An element of no register cannot pass.
    QVERIFY(f->window->executeScriptLine("ASSERT(SB, registervalue, 0)", 3));
    QCOMPARE(consoleText(), QStringLiteral("Assert(CLK.CTRL[3:0](18) == 18) OK\nAssert(CLK.CTRL[7:4](18) == 19) FAILED\n"
                                           "Assert(SB() == 0) FAILED (no register for SB, line 3)\n"));
    QCOMPARE(f->window->scripts().failedAssertCount(), 2);
}

void TestScriptWindow::tableAssertionsCheckTheirIndexes_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QString>("error");

    QTest::newRow("hex against the cell") << "ASSERTTABLEVALUE(TBL, 0, 0, 0x10)" << "AssertTableValue(TBL, 0, 0, 16) == 16) OK"
                               << "";
    QTest::newRow("numeric column") << "ASSERTTABLEVALUE(TBL, 1, 0, 16)" << "AssertTableValue(TBL, 1, 0, 16) == 16) OK"
                                    << "";
    QTest::newRow("wrong value") << "ASSERTTABLEVALUE(TBL, 1, 0, 17)" << "AssertTableValue(TBL, 1, 0, 17) == 16) FAILED"
                                 << "";
    QTest::newRow("row out of range") << "ASSERTTABLEVALUE(TBL, 5, 0, 1)" << "AssertTableValue(TBL, 5, 0, 1) == ) FAILED (no cell 5, 0 in TBL, line 1)"
                                      << "Index for TBL.AssertTableValue (5) is out of allowed range: 0..1";
    QTest::newRow("negative column") << "ASSERTTABLEVALUE(TBL, 0, -1, 1)"
                                     << "AssertTableValue(TBL, 0, -1, 1) == ) FAILED (no cell 0, -1 in TBL, line 1)"
                                     << "Index for TBL.AssertTableValue (-1) is out of allowed range: 0..1";
    // A name that is no table cannot hold the value: a failure, not silence.
    QTest::newRow("no table") << "ASSERTTABLEVALUE(SB, 0, 0, 1)"
                              << "AssertTableValue(SB, 0, 0, 1) == ) FAILED (no table SB, line 1)" << "";
}

void TestScriptWindow::tableAssertionsCheckTheirIndexes()
{
    QFETCH(QString, line);
    QFETCH(QString, verdict);
    QFETCH(QString, error);
    QVERIFY(f->window->executeScriptLine(line, 1));
    if (verdict.isEmpty())
        QVERIFY(consoleText().isEmpty());
    else
        QCOMPARE(consoleText().trimmed(), verdict);
    if (error.isEmpty())
        QVERIFY(f->errors().isEmpty());
    else
        QVERIFY2(f->errors().join('\n').contains(error), qPrintable(f->errors().join('\n')));
}

QTEST_MAIN(TestScriptWindow)
#include "tst_scriptwindow.moc"
