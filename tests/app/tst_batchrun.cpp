// Batch runs (-b with -o) of the real program as child processes: the exit
// code of EXIT, the output log, and the demo example script.
#include "programrun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestBatchRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exitCodeCountsFailedAssertions_data();
    void exitCodeCountsFailedAssertions();
    void demoScriptPasses();
    void errorLinesReachTheConsoleLog();

private:
    QString writeScript(const QString &name, const QStringList &lines);
    static QString fileText(const QString &path);
    ProgramRun run(const QString &script, const QStringList &extra = {});

    QTemporaryDir dir;
};

void TestBatchRun::initTestCase()
{
    QVERIFY(dir.isValid());
    QDir(dir.path()).mkpath("config");
}

QString TestBatchRun::writeScript(const QString &name, const QStringList &lines)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(lines.join('\n').toUtf8() + '\n');
    return file.fileName();
}

QString TestBatchRun::fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString("<none>");
}

ProgramRun TestBatchRun::run(const QString &script, const QStringList &extra)
{
    QFile::remove(dir.filePath("out.log"));
    QStringList arguments{QStringLiteral(QUILLMATE_EXAMPLES "/demo.xml"), "-b" + script,
                          "-o" + dir.filePath("out.log"), "-q"};
    arguments += extra;
    return runProgram(QStringLiteral(QUILLMATE_BINARY), arguments, dir.path(), dir.filePath("config"));
}

void TestBatchRun::exitCodeCountsFailedAssertions_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("log");

    QTest::newRow("all pass") << QStringList{"ASSERT(DEMO_PLL_MULT, value, 4)", "EXIT(2)"} << 0
                              << "Assert(DEMO_PLL_MULT(4) == 4) OK\n";
    QTest::newRow("four failures, one on an unknown name") << QStringList{"//three", "ASSERT(DEMO_PLL_MULT, value, 5)",
                                                   "ASSERT(DEMO_BOARD_NAME, value, DEMO-BOARD)",
                                                   "ASSERTENABLED(NO_SUCH_DEFINE, 0)", "ASSERT(NO_SUCH, value, 1)",
                                                   "EXIT(2)", "ASSERT(DEMO_PLL_MULT, value, 6)"}
                                    << 4
                                    << "//three\nAssert(DEMO_PLL_MULT(4) == 5) FAILED\n"
                                       "Assert(DEMO_BOARD_NAME(demo-board) == DEMO-BOARD) FAILED\n"
                                       "AssertEnabled(NO_SUCH_DEFINE ==  0) FAILED (no element NO_SUCH_DEFINE, line 4)\n"
                                       "Assert(NO_SUCH() == 1) FAILED (no element or variable NO_SUCH, line 5)\n";
    QStringList many{"LOOPSTART(NONE, 0, 1, 300)", "ASSERT(DEMO_PLL_MULT, value, 1)", "LOOPSTOP", "EXIT(2)"};
    QTest::newRow("more than 255 failures") << many << 255 << QString();
}

void TestBatchRun::exitCodeCountsFailedAssertions()
{
    QFETCH(QStringList, lines);
    QFETCH(int, exitCode);
    QFETCH(QString, log);
    const ProgramRun result = run(writeScript("run.script", lines));
    QVERIFY2(result.finished, qPrintable(result.stdErr));
    QCOMPARE(result.exitCode, exitCode);
    if (!log.isEmpty())
        QCOMPARE(fileText(dir.filePath("out.log")), log);
    else
        QCOMPARE(fileText(dir.filePath("out.log")).count("FAILED\n"), 300);
}

void TestBatchRun::demoScriptPasses()
{
    const ProgramRun result = run(QStringLiteral(QUILLMATE_EXAMPLES "/demo.script"));
    QVERIFY2(result.finished, qPrintable(result.stdErr));
    const QString log = fileText(dir.filePath("out.log"));
    QCOMPARE(result.exitCode, 0);
    QVERIFY(!log.contains("FAILED"));
    QCOMPARE(log.count(" OK\n"), 12);
}

void TestBatchRun::errorLinesReachTheConsoleLog()
{
    const QString script = writeScript("errors.script", {"NOSUCH(1)", "SET(NO_SUCH, 1)", "EXIT(2)"});
    const ProgramRun result = run(script, {"-c" + dir.filePath("console.log")});
    QVERIFY2(result.finished, qPrintable(result.stdErr));
    // Both script errors count.
    QCOMPARE(result.exitCode, 2);
    const QString link = "$xmlopen$" + QString(script).replace(":", "$$$COLON$$$");
    const QString console = fileText(dir.filePath("console.log"));
    QVERIFY2(console.contains("<font color=\"red\"> <b>Script Error: </b></font><b>Unknown command: NOSUCH(1) in line "
                              "NOSUCH(1) <b><a href=\"" + link + "$-n1$-c1\">file</a> line 1</b><b><br>"),
             qPrintable(console));
    QVERIFY(console.contains("<b>Unknown define: NO_SUCH in line SET(NO_SUCH, 1) <b><a href=\"" + link
                             + "$-n2$-c1\">file</a> line 2</b><b><br>"));
}

QTEST_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
