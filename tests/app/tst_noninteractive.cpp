// The runs that end inside start-up (-g, -s, -x), run as child processes of
// the real program.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestNonInteractive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exitCodes_data();
    void exitCodes();
    void usageIsPrintedAndTheRunGoesOn();
    void errorsReachTheConsoleLogWithQuiet();
    void batchFileRunsBeforeTheExit();
    void relativeFileNamesAreTakenFromTheStartDirectory();

private:
    struct Result {
        bool finished = false;
        int exitCode = -1;
        QString stdErr;
    };
    Result run(const QStringList &arguments, const QString &workingDir = QString());

    QTemporaryDir dir;
};

void TestNonInteractive::initTestCase()
{
    QVERIFY(dir.isValid());
    QDir(dir.path()).mkpath("config");
    QDir(dir.path()).mkpath("work/sub");
    QFile panel(dir.filePath("work/sub/not-a-panel.txt"));
    QVERIFY(panel.open(QIODevice::WriteOnly));
}

TestNonInteractive::Result TestNonInteractive::run(const QStringList &arguments,
                                                   const QString &workingDir)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    environment.remove("QUILLMATE_NONINTERACTIVE"); // the options alone must keep it headless
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDir.isEmpty() ? dir.path() : workingDir);
    process.start(QStringLiteral(QUILLMATE_BINARY), arguments);
    Result result;
    // Nothing may wait on a dialog: a run that does not end is a failure.
    result.finished = process.waitForFinished(30000);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.stdErr = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

void TestNonInteractive::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdErrContains");

    QTest::newRow("-x without a file") << QStringList{"-x"} << 0 << "";
    QTest::newRow("-g without a file exports nothing") << QStringList{"-g"} << 0 << "";
    // The "Could not find" dialog is answered with cancel.
    QTest::newRow("-x with a missing panel") << QStringList{"missing.xml", "-x"} << 1
                                             << "Could not find missing.xml!";
    QTest::newRow("-g with a missing panel") << QStringList{"-g", "missing.xml"} << 1
                                             << "Could not find missing.xml!";
    QTest::newRow("-g with a missing project") << QStringList{"-g", "missing.qlmp"} << 1
                                               << "Cannot open file";
    QTest::newRow("-s without any name is refused") << QStringList{"-s"} << 1 << "Cannot save";
    QTest::newRow("-s never overwrites a non-project file")
        << QStringList{"-s", "work/sub/not-a-panel.txt"} << 1 << "Not a panel";
    QTest::newRow("-x with an unknown file type") << QStringList{"-x", "notes.txt"} << 1
                                                   << "Not a panel";
}

void TestNonInteractive::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, stdErrContains);
    const Result result = run(arguments);
    QVERIFY2(result.finished, "the run did not end by itself");
    QCOMPARE(result.exitCode, exitCode);
    if (!stdErrContains.isEmpty())
        QVERIFY2(result.stdErr.contains(stdErrContains), qPrintable(result.stdErr));
    QVERIFY(QFile::exists(dir.filePath("work/sub/not-a-panel.txt")));
    QCOMPARE(QFileInfo(dir.filePath("work/sub/not-a-panel.txt")).size(), 0);
}

void TestNonInteractive::usageIsPrintedAndTheRunGoesOn()
{
    const Result result = run({"-?", "-x"});
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.stdErr.contains("Usage: Quillmate <Filename.xml | Filename.qlmp> [options]\nOptions:\n"),
             qPrintable(result.stdErr));
    QVERIFY(result.stdErr.contains("  -?\t\tHelp\n"));
}

void TestNonInteractive::errorsReachTheConsoleLogWithQuiet()
{
    const QString log = dir.filePath("console.log");
    const Result result = run({"-q", "-c" + log, "-x", "-bmissing.script"});
    QVERIFY(result.finished);
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    QVERIFY2(text.contains("Cannot open file " + dir.filePath("missing.script") + ":"), qPrintable(text));
    // With -q the console sink is on, so the log line carries the console's <br>.
    QVERIFY(text.contains("<br>\n"));
    // -q: no message box, so nothing is printed for a box.
    QVERIFY(!result.stdErr.contains("Cannot open file"));

    // Prompts of the run land in the log too.
    const QString promptLog = dir.filePath("prompts.log");
    run({"-q", "-c" + promptLog, "-x", "missing.xml"});
    QFile prompts(promptLog);
    QVERIFY(prompts.open(QIODevice::ReadOnly));
    const QString promptText = QString::fromLatin1(prompts.readAll());
    QVERIFY2(promptText.contains("Could not find missing.xml!"), qPrintable(promptText));
    QVERIFY(promptText.contains("Could not read missing.xml!"));
}

void TestNonInteractive::batchFileRunsBeforeTheExit()
{
    const QString script = dir.filePath("batch.script");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("// a comment\nNOSUCHCOMMAND(1)\n");
    file.close();
    const QString log = dir.filePath("batch.log");
    const Result result = run({"-q", "-c" + log, "-b" + script, "-x"});
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 0);
    QFile logFile(log);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(logFile.readAll());
    QVERIFY2(text.contains("Unknown command: NOSUCHCOMMAND(1) in line NOSUCHCOMMAND(1)"), qPrintable(text));
    QVERIFY(text.contains("line 2"));
}

void TestNonInteractive::relativeFileNamesAreTakenFromTheStartDirectory()
{
    // Start-up changes to the program directory; the file named relative to the
    // caller's directory must still be the one reported.
    const QString log = dir.filePath("relative.log");
    const Result result = run({"-q", "-c../relative.log", "-x", "-bsub/missing.script"},
                              dir.filePath("work"));
    QVERIFY(result.finished);
    QFile file(log);
    QVERIFY2(file.open(QIODevice::ReadOnly), "the log file was not written where it was asked for");
    const QString text = QString::fromLatin1(file.readAll());
    QVERIFY2(text.contains("Cannot open file " + dir.filePath("work/sub/missing.script")), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestNonInteractive)
#include "tst_noninteractive.moc"
