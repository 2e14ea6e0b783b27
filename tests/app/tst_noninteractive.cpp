// The runs that end inside start-up (-g, -s, -x), run as child processes of
// the real program.
#include "panelmistakes.h"
#include "panelxml.h"
#include "programrun.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

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
    void projectAndHeadersFromAPanel_data();
    void projectAndHeadersFromAPanel();
    void failedWritesExitWithOne_data();
    void failedWritesExitWithOne();
    void runsOnDoubtfulInput_data();
    void runsOnDoubtfulInput();
    void fragmentIncludeIsReadWhole();
    // Batch runs nobody can close: they end by themselves and count every failure.
    void unattendedBatchRuns_data();
    void unattendedBatchRuns();
    // Without a display: runs that end by themselves take the offscreen
    // platform, an interactive start says so in one line.
    void runsWithoutADisplay_data();
    void runsWithoutADisplay();
    // Nothing but what the user needs on standard error.
    void noDebugTracesOnStandardError();
    // A -d item no element takes fails a header run before anything is written.
    void refusedDefineItemsFailTheRun_data();
    void refusedDefineItemsFailTheRun();
    // An include without a file name is named as such, with its place.
    void emptyIncludeIsNamed();
    // A mistake in the panel fails a header run: reported with its place,
    // nothing written, exit 1; a batch run counts it and writes nothing.
    void panelMistakesFailAHeaderRun_data();
    void panelMistakesFailAHeaderRun();
    void savesAtExitCount_data();
    void savesAtExitCount();

private:
    // A fresh directory holding copies of the panel and project fixtures.
    QString fixtureCopy(const QString &name);
    static QByteArray fileBytes(const QString &path);

    struct Result {
        bool finished = false;
        int exitCode = -1;
        QString stdErr;
    };
    Result run(const QStringList &arguments, const QString &workingDir = QString(),
               const std::function<void(QProcessEnvironment &)> &adjust = {});

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

TestNonInteractive::Result TestNonInteractive::run(const QStringList &arguments, const QString &workingDir,
                                                   const std::function<void(QProcessEnvironment &)> &adjust)
{
    // Nothing may wait on a dialog: a run that does not end is a failure.
    const ProgramRun run = runProgram(QStringLiteral(QUILLMATE_BINARY), arguments,
                                      workingDir.isEmpty() ? dir.path() : workingDir, dir.filePath("config"), 30000,
                                      adjust);
    Result result;
    result.finished = run.finished;
    result.exitCode = run.exitCode;
    result.stdErr = run.stdErr;
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
    // -q: no message box; a run that ends by itself still shows its errors
    // on standard error, once.
    QCOMPARE(result.stdErr.count("Cannot open file " + dir.filePath("missing.script") + ":"), 1);

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
    // The unknown command counts: the script's failures are the run's too.
    QCOMPARE(result.exitCode, 1);
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

QString TestNonInteractive::fixtureCopy(const QString &name)
{
    static int count = 0;
    const QString sub = dir.filePath(QStringLiteral("fixtures%1").arg(++count));
    QDir().mkpath(sub);
    for (const char *file : {"panel.xml", "reordered.qlmp"})
        QFile::copy(QStringLiteral(QUILLMATE_FIXTURES "/project/") + file, QDir(sub).filePath(file));
    return QDir(sub).filePath(name);
}

QByteArray TestNonInteractive::fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestNonInteractive::projectAndHeadersFromAPanel_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("projectLine"); // in out.qlmp; empty: no project expected
    QTest::addColumn<QByteArray>("headerLine");  // in cfg.h

    QTest::newRow("-s: project and headers") << "panel.xml" << QStringList{"-sOUT"}
                                             << QByteArray("<value>42</value>") << QByteArray("#define LEVEL (0x2A)");
    QTest::newRow("-g: headers of a panel") << "panel.xml" << QStringList{"-g"} << QByteArray()
                                            << QByteArray("#define LEVEL (0x2A)");
    QTest::newRow("-g: headers of a project") << "reordered.qlmp" << QStringList{"-g"} << QByteArray()
                                              << QByteArray("#define LEVEL (0x7)");
    QTest::newRow("-d reaches -s") << "panel.xml" << QStringList{"-sOUT", "-dLEVEL=7;ENABLE=0"}
                                   << QByteArray("<define>LEVEL</define>\r\n            <value>7</value>")
                                   << QByteArray("#define ENABLE (0x0)");
    QTest::newRow("-d reaches -g") << "panel.xml" << QStringList{"-g", "-dLEVEL=16", "-dENABLE=0"}
                                   << QByteArray() << QByteArray("#define LEVEL (0x10) /*decimal 16*/");
}

void TestNonInteractive::projectAndHeadersFromAPanel()
{
    QFETCH(QString, input);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, projectLine);
    QFETCH(QByteArray, headerLine);
    const QString file = fixtureCopy(input);
    const QString folder = QFileInfo(file).path();
    const QString project = QDir(folder).filePath("out.qlmp");
    options.replaceInStrings("OUT", project);
    const Result result = run(QStringList{file} + options);
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode == 0, qPrintable(result.stdErr));
    if (!projectLine.isEmpty()) {
        const QByteArray bytes = fileBytes(project);
        QVERIFY2(bytes.contains(projectLine), bytes.constData());
        QVERIFY(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    } else {
        QVERIFY(!QFile::exists(project));
    }
    const QByteArray header = fileBytes(QDir(folder).filePath("cfg.h"));
    QVERIFY2(header.contains(headerLine), header.constData());
    QVERIFY(header.contains("#endif /* CFG_H */\r\n"));
    QVERIFY(QFile::exists(QDir(folder).filePath("adc_setup.h")));
}

void TestNonInteractive::failedWritesExitWithOne_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("stdErrContains");
    // A path below a plain file cannot be created.
    QTest::newRow("-s into a path that cannot exist")
        << QStringList{"-s" + QStringLiteral("FOLDER/panel.xml/out.qlmp")} << "Cannot open file";
    // cfg.h is a directory here: that header cannot be written, the others are.
    QTest::newRow("-g with a header that cannot be written") << QStringList{"-g", "MKDIR"} << "";
    QTest::newRow("-s with a header that cannot be written") << QStringList{"-sFOLDER/out.qlmp", "MKDIR"} << "";
}

void TestNonInteractive::failedWritesExitWithOne()
{
    QFETCH(QStringList, options);
    QFETCH(QString, stdErrContains);
    const QString file = fixtureCopy("panel.xml");
    const QString folder = QFileInfo(file).path();
    if (options.removeAll("MKDIR") > 0)
        QVERIFY(QDir(folder).mkdir("cfg.h"));
    options.replaceInStrings("FOLDER", folder);
    const Result result = run(QStringList{file} + options);
    QVERIFY2(result.finished, "the run did not end by itself");
    QCOMPARE(result.exitCode, 1);
    if (!stdErrContains.isEmpty())
        QVERIFY2(result.stdErr.contains(stdErrContains), qPrintable(result.stdErr));
    QVERIFY(!QFileInfo(QDir(folder).filePath("cfg.h")).isFile());
}

// Every file below folder with its bytes, by path relative to folder.
static QMap<QString, QByteArray> folderContents(const QString &folder)
{
    QMap<QString, QByteArray> contents;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        contents.insert(QDir(folder).relativeFilePath(path), file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                                          : QByteArray("?"));
    }
    return contents;
}

// The folder as it was but for newFiles, each of them written: no other
// file added or changed.
static void verifyOnlyNewFiles(const QMap<QString, QByteArray> &before, const QMap<QString, QByteArray> &after,
                               const QStringList &newFiles)
{
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (newFiles.contains(it.key()))
            continue;
        QVERIFY2(before.contains(it.key()), qPrintable("unexpected file " + it.key()));
        QVERIFY2(before.value(it.key()) == it.value(), qPrintable(it.key() + " changed"));
    }
    for (const QString &name : newFiles)
        QVERIFY2(after.contains(name), qPrintable(name + " was not written"));
}

void TestNonInteractive::runsOnDoubtfulInput_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("options");   // "FOLDER" stands for the run's folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdErrContains");
    QTest::addColumn<QStringList>("newFiles");  // every file the run may add; the others stay as they were

    const QStringList written{"out.qlmp", "cfg.h", "adc_setup.h"};
    const QStringList headers{"cfg.h", "adc_setup.h"};
    // A panel read that stopped early fails the run, and nothing is written.
    QTest::newRow("-s on a panel cut short") << "cut.xml" << QStringList{"-q", "-sFOLDER/out.qlmp"} << 1
                                             << "XML not well-formed" << QStringList();
    QTest::newRow("-g on a panel cut short") << "cut.xml" << QStringList{"-g"} << 1 << "XML not well-formed"
                                             << QStringList();
    QTest::newRow("-s on a panel cut short after its root container")
        << "tail.xml" << QStringList{"-sFOLDER/out.qlmp"} << 1 << "XML not well-formed" << QStringList();
    QTest::newRow("-s on a panel nested beyond the limit") << "deep.xml" << QStringList{"-q", "-sFOLDER/out.qlmp"}
                                                           << 1 << "nested deeper than 64" << QStringList();
    QTest::newRow("-s on a panel with a broken include") << "include.xml" << QStringList{"-sFOLDER/out.qlmp"} << 1
                                                         << "half.xml" << QStringList();
    QTest::newRow("-s on an entity bomb") << "bomb.xml" << QStringList{"-q", "-sFOLDER/out.qlmp"} << 1
                                          << "XML not well-formed" << QStringList();
    QTest::newRow("-g on a project of a panel cut short") << "cut.qlmp" << QStringList{"-q", "-g"} << 1
                                                          << "XML not well-formed" << QStringList();
    // Warnings only warn.
    // An element name no kind has is a mistake in the panel: nothing is written.
    QTest::newRow("-s on a panel with unknown elements and a stale checksum")
        << "stale.xml" << QStringList{"-q", "-sFOLDER/out.qlmp"} << 1 << "Unknown element, not read: <gadget>"
        << QStringList();
    QTest::newRow("-s on an unsigned panel that starts with its version")
        << "unsigned.xml" << QStringList{"-q", "-sFOLDER/out.qlmp"} << 0 << "No checksum element found" << written;
    // -s writes projects only.
    QTest::newRow("-s onto the panel itself") << "panel.xml" << QStringList{"-q", "-sFOLDER/panel.xml"} << 1
                                              << "it is the panel" << QStringList();
    QTest::newRow("-s onto a file that is no project") << "panel.xml" << QStringList{"-sFOLDER/notes.txt"} << 1
                                                       << "not a project file" << QStringList();
    QTest::newRow("-s onto a header") << "panel.xml" << QStringList{"-q", "-sFOLDER/old.h"} << 1
                                      << "not a project file" << QStringList();
    QTest::newRow("-s onto a header the run writes") << "panel.xml" << QStringList{"-q", "-sFOLDER/cfg.h"} << 1
                                                    << "writes its header file cfg.h there" << QStringList();
    QTest::newRow("-s over a project") << "panel.xml" << QStringList{"-q", "-sFOLDER/old.qlmp"} << 0
                                       << "Saved project" << QStringList{"old.qlmp", "cfg.h", "adc_setup.h"};
    // What a build script is told.
    QTest::newRow("-c log that cannot be opened") << "panel.xml" << QStringList{"-q", "-cFOLDER/no/log.txt", "-g"}
                                                  << 1 << "Cannot open file" << QStringList();
    QTest::newRow("-b script that does not exist") << "panel.xml" << QStringList{"-q", "-bFOLDER/none.script", "-g"}
                                                   << 1 << "none.script" << QStringList();
    QTest::newRow("-q failure without -c") << "missing.qlmp" << QStringList{"-q", "-g"} << 1 << "Cannot open file"
                                           << QStringList();
    QTest::newRow("project entries without an element") << "unknown.qlmp" << QStringList{"-q", "-g"} << 0
                                                        << "Project entry matches no element: GONE = 1" << headers;
    QTest::newRow("project saved away from its panel") << "panel.xml" << QStringList{"-q", "-sFOLDER/sub/out.qlmp"}
                                                       << 0 << "its panel panel.xml must be at"
                                                       << QStringList{"sub/out.qlmp", "sub/cfg.h", "sub/adc_setup.h"};
    // A batch run uses a panel only when it was read to its end: the home
    // panel takes its place, the failed open counts, and no export or save
    // writes from what was built (writes.script: EXPORT, SAVE over old.qlmp,
    // SAVESORTED to out.qlmp, EXIT(2); the refused export and each refused
    // save count too).
    QTest::newRow("-b: LOAD of a panel cut short writes nothing")
        << "panel.xml" << QStringList{"-q", "-bFOLDER/loadcut.script"} << 4 << "XML not well-formed" << QStringList();
    QTest::newRow("-b: the run's own panel cut short writes nothing")
        << "cut.xml" << QStringList{"-q", "-bFOLDER/writes.script"} << 4 << "XML not well-formed" << QStringList();
    QTest::newRow("-b: the run's own project of a panel cut short writes nothing")
        << "cut.qlmp" << QStringList{"-q", "-bFOLDER/writes.script"} << 4 << "XML not well-formed" << QStringList();
    QTest::newRow("-b: LOAD of a panel with a broken include writes nothing")
        << "panel.xml" << QStringList{"-q", "-bFOLDER/loadinclude.script"} << 4 << "half.xml" << QStringList();
    QTest::newRow("-b: a button's loadFile of a panel cut short writes nothing")
        << "loader.xml" << QStringList{"-q", "-bFOLDER/clickcut.script"} << 4 << "XML not well-formed"
        << QStringList();
    QTest::newRow("-b: a whole panel after a cut one is used again")
        << "cut.xml" << QStringList{"-q", "-bFOLDER/reload.script"} << 1 << "Saved project"
        << QStringList{"out.qlmp", "cfg.h", "adc_setup.h"};
    // An include found in none of the folders names them, in search order.
    QTest::newRow("an include found in no -i folder names the folders searched")
        << "nowhere.xml" << QStringList{"-q", "-iFOLDER/sub;FOLDER/other", "-g"} << 1
        << "Folders searched for gone-part.xml, in this order: FOLDER; FOLDER/sub; FOLDER/other" << QStringList();
}

void TestNonInteractive::runsOnDoubtfulInput()
{
    QFETCH(QString, input);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, stdErrContains);
    QFETCH(QStringList, newFiles);

    const QString folder = QFileInfo(fixtureCopy("panel.xml")).path();
    QVERIFY(QDir(folder).mkpath("sub"));
    const QByteArray panel = fileBytes(QDir(folder).filePath("panel.xml"));
    const QByteArray body = panel.mid(panel.indexOf("<verticalcontainer>"),
                                      panel.indexOf("</zelmlcfg>") - panel.indexOf("<verticalcontainer>"));
    QByteArray nested;
    for (int i = 0; i < 70; ++i)
        nested += "<verticalcontainer>";
    nested += "<checkbox define=\"DEEP\"/>";
    for (int i = 0; i < 70; ++i)
        nested += "</verticalcontainer>";
    QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE zelmlcfg [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaa\">";
    for (char level = 'b'; level <= 'k'; ++level)
        bomb += QByteArray("<!ENTITY ") + level + " \"" + QByteArray("&").append(char(level - 1)).append(';').repeated(10)
            + "\">";
    bomb += "]>\n" + QByteArray(panel).replace("<verticalcontainer>", "<verticalcontainer><edit define=\"T\" default=\"&k;\"/>")
                          .mid(panel.indexOf("<zelmlcfg"));
    const QByteArray project = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<qlmpxml version=\"2.5.0\">"
                               "<XmlFile>XML</XmlFile><XmlVersion>V1.2.3</XmlVersion><ActiveElements>"
                               "<CheckBox><define>GONE</define><value>1</value><dispValue>1</dispValue></CheckBox>"
                               "<SpinBox><define>LEVEL</define><value>7</value><dispValue>7</dispValue></SpinBox>"
                               "</ActiveElements></qlmpxml>";
    const QMap<QString, QByteArray> files{
        {"cut.xml", panel.left(panel.indexOf("<spinbox define=\"LEVEL\"") + 20)},
        {"tail.xml", panel.left(panel.indexOf("</zelmlcfg>") + 3)},
        {"deep.xml", QByteArray(panel).replace("</verticalcontainer>", nested + "</verticalcontainer>")},
        {"include.xml", QByteArray(panel).replace("</verticalcontainer>",
                                                  "<include x=\"1\">half.xml</include></verticalcontainer>")},
        {"half.xml", "<groupcontainer><checkbox define=\"FIRST\"/><checkbox define=\"SECOND\""},
        {"bomb.xml", bomb},
        {"stale.xml", QByteArray(panel).replace("<verticalcontainer>", "<verticalcontainer><gadget colour=\"1\"/>")},
        {"unsigned.xml", "<zelmlcfg version=\"2.0.0\"><version label=\"V1.2.3\"/>" + body + "</zelmlcfg>"},
        {"notes.txt", "notes\n"},
        {"old.h", "#define OLD 1\n"},
        {"old.qlmp", QByteArray(project).replace("XML", "panel.xml")},
        {"cut.qlmp", QByteArray(project).replace("XML", "cut.xml")},
        {"unknown.qlmp", QByteArray(project).replace("XML", "panel.xml")},
        {"writes.script", "EXPORT\nSAVE(FOLDER/old.qlmp)\nSAVESORTED(FOLDER/out.qlmp)\nEXIT(2)\n"},
        {"loadcut.script", "LOAD(cut.xml)\nEXPORT\nSAVE(FOLDER/old.qlmp)\nSAVESORTED(FOLDER/out.qlmp)\nEXIT(2)\n"},
        {"loadinclude.script", "LOAD(include.xml)\nEXPORT\nSAVE(FOLDER/old.qlmp)\nSAVESORTED(FOLDER/out.qlmp)\nEXIT(2)\n"},
        {"reload.script", "LOAD(panel.xml)\nSAVE(FOLDER/out.qlmp)\nEXIT(2)\n"},
        {"clickcut.script", "CLICKED(GO)\nEXPORT\nSAVE(FOLDER/old.qlmp)\nSAVESORTED(FOLDER/out.qlmp)\nEXIT(2)\n"},
        {"loader.xml", QByteArray(panel).replace("</verticalcontainer>",
                                                 "<button define=\"GO\" label=\"Go\"><action event=\"clicked\" "
                                                 "cmd=\"loadFile\" data=\"cut.xml\"/></button></verticalcontainer>")},
        {"nowhere.xml", QByteArray(panel).replace("</verticalcontainer>",
                                                  "<include x=\"1\">gone-part.xml</include></verticalcontainer>")},
    };
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile file(QDir(folder).filePath(it.key()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(it.value()).replace("FOLDER", QFile::encodeName(folder)));
    }
    const QMap<QString, QByteArray> before = folderContents(folder);

    options.replaceInStrings("FOLDER", folder);
    stdErrContains.replace("FOLDER", folder);
    // Each run has its time limit: one that waits on anything fails.
    const Result result = run(QStringList{QDir(folder).filePath(input)} + options);
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode == exitCode,
             qPrintable(QStringLiteral("exit code %1\n%2").arg(result.exitCode).arg(result.stdErr)));
    QVERIFY2(result.stdErr.contains(stdErrContains), qPrintable(result.stdErr));
    // No window is ever shown, so nothing is brought to the front either.
    QVERIFY2(!result.stdErr.contains("does not support"), qPrintable(result.stdErr));

    verifyOnlyNewFiles(before, folderContents(folder), newFiles);
}

// ---------------------------------------------------------------------------
// Unattended batch runs (offscreen, no -g/-s/-x): each row is a panel, a
// script (bytes as written; empty: no -b), the options, the exit code, and
// lines the -o log, standard error and the -c log must hold (a row with -c
// lines runs with -c). A row whose process does not end within its time
// limit fails.

void TestNonInteractive::unattendedBatchRuns_data()
{
    QTest::addColumn<QString>("panel");        // in the row's folder
    QTest::addColumn<QByteArray>("script");    // FOLDER stands for the row's folder
    QTest::addColumn<QStringList>("options");  // besides -b and -o
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("logLines");   // in the -o log
    QTest::addColumn<QStringList>("stdErrLines"); // on standard error
    QTest::addColumn<QStringList>("consoleLogLines"); // in the -c log

    const QStringList quiet{"-q"};
    QTest::newRow("a missing parameter stops the run and counts")
        << "panel.xml" << QByteArray("ASSERT(LEVEL, value, 42)\nLOAD()\nASSERT(LEVEL, value, 42)\n") << quiet << 1
        << QStringList{"Assert(LEVEL(42) == 42) OK"} << QStringList{"Missing parameter: LOAD() in FOLDER/run.script line 2"}
        << QStringList();
    QTest::newRow("LOAD of a generated header: home panel, the run goes on")
        << "panel.xml" << QByteArray("LOAD(FOLDER/old.h)\n// after the load\n") << quiet << 1 << QStringList{"// after the load"}
        << QStringList{"Cannot read file FOLDER/old.h", "Could not load FOLDER/old.h in FOLDER/run.script line 1", "// after the load"}
        << QStringList();
    QTest::newRow("LOAD of a FIFO is refused")
        << "panel.xml" << QByteArray("LOAD(FOLDER/fifo.xml)\nVERSION()\n") << quiet << 1 << QStringList()
        << QStringList{"Cannot open file FOLDER/fifo.xml:\nNot a regular file", "Version    : "}
        << QStringList();
    QTest::newRow("-o into a missing folder")
        << "panel.xml" << QByteArray("ASSERT(LEVEL, value, 42)\n") << QStringList{"-q", "-oFOLDER/no/out.log"} << 1
        << QStringList() << QStringList{"Cannot open file FOLDER/no/out.log"}
        << QStringList();
    QTest::newRow("a missing -b file")
        << "panel.xml" << QByteArray() << QStringList{"-q", "-bFOLDER/none.script"} << 1 << QStringList()
        << QStringList{"Cannot open file FOLDER/none.script", "exit code 1"}
        << QStringList();
    QTest::newRow("CR-only line ends")
        << "panel.xml" << QByteArray("ASSERT(LEVEL, value, 42)\rASSERT(ENABLE, value, 0)\rEXIT(2)\r") << quiet << 1
        << QStringList{"Assert(LEVEL(42) == 42) OK", "Assert(ENABLE(1) == 0) FAILED"} << QStringList()
        << QStringList();
    // The run's own panel that does not open counts, as a failed LOAD does.
    QTest::newRow("a FIFO panel is refused")
        << "fifo.xml" << QByteArray("ASSERT(LEVEL, value, 42)\n") << quiet << 2
        << QStringList{"Assert(LEVEL() == 42) FAILED (no element or variable LEVEL, line 1)"}
        << QStringList{"Cannot open file FOLDER/fifo.xml:\nNot a regular file"}
        << QStringList();
    QTest::newRow("an unsigned panel without -q")
        << "unsigned.xml" << QByteArray("ASSERT(LEVEL, value, 42)\n") << QStringList() << 0
        << QStringList{"Assert(LEVEL(42) == 42) OK"} << QStringList{"No checksum element found"}
        << QStringList();
    QTest::newRow("SELECTDATA shows no catalog")
        << "panel.xml" << QByteArray("SELECTDATA(catalog.xml)\nASSERT(LEVEL, value, 42)\n") << quiet << 0
        << QStringList{"Assert(LEVEL(42) == 42) OK"} << QStringList{"Catalog not shown: FOLDER/catalog.xml"}
        << QStringList();
    QTest::newRow("assertions on names that do not exist fail")
        << "panel.xml"
        << QByteArray("ASSERT(NO_SUCH, value, 1)\nASSERTLOCK(NO_SUCH, 0)\nASSERTTABLEVALUE(NO_SUCH, 0, 0, 1)\n"
                      "ASSERT(LEVEL, registervalue, 42)\n")
        << quiet << 4
        << QStringList{"Assert(NO_SUCH() == 1) FAILED (no element or variable NO_SUCH, line 1)",
                       "AssertLock(NO_SUCH ==  0) FAILED (no element NO_SUCH, line 2)",
                       "AssertTableValue(NO_SUCH,  0,  0,  1) ==  FAILED (no table NO_SUCH, line 3)",
                       "Assert(LEVEL() == 42) FAILED (no register for LEVEL, line 4)"}
        << QStringList{"exit code 4"}
        << QStringList();
    QTest::newRow("a mistyped command counts")
        << "panel.xml" << QByteArray("ASERT(LEVEL, value, 42)\nASSERT(LEVEL, value, 42)\n") << quiet << 1
        << QStringList{"Assert(LEVEL(42) == 42) OK"} << QStringList{"Unknown command: ASERT(LEVEL, value, 42)"}
        << QStringList();
    QTest::newRow("script errors count in EXIT's code")
        << "panel.xml" << QByteArray("NOSUCH()\nSETVALUE(NOPE, 1)\nASSERT(LEVEL, value, 1)\nEXIT(2)\n") << quiet << 3
        << QStringList{"Assert(LEVEL(42) == 1) FAILED"} << QStringList{"Unknown element: NOPE in line SETVALUE(NOPE, 1)"}
        << QStringList();
    QTest::newRow("CLICKED has acted when the next line runs")
        << "button.xml" << QByteArray("CLICKED(GO)\nASSERT(LEVEL, value, 7)\nSETCHECKED(TOGGLE, 1)\n"
                                      "ASSERT(ENABLE, value, 0)\n")
        << quiet << 0 << QStringList{"Assert(LEVEL(7) == 7) OK", "Assert(ENABLE(0) == 0) OK"} << QStringList()
        << QStringList();
    QTest::newRow("CLICKED of a name that does not exist")
        << "button.xml" << QByteArray("CLICKED(NOPE)\n") << quiet << 1 << QStringList()
        << QStringList{"Unknown element: NOPE in line CLICKED(NOPE)"}
        << QStringList();
    QTest::newRow("console output of a quiet run reaches standard error")
        << "panel.xml" << QByteArray("VERSION()\n// a note\nASSERT(LEVEL, value, 42)\n") << quiet << 0
        << QStringList{"// a note"} << QStringList{"Version    : 2.5.0", "// a note", "Assert(LEVEL(42) ==  42) OK"}
        << QStringList();
    QTest::newRow("a parameter map of another kind is reported")
        << "parammap.xml" << QByteArray("ASSERT(LEVEL, value, 42)\n") << quiet << 0 << QStringList()
        << QStringList{"not a parameter map"}
        << QStringList();
    QTest::newRow("a project with many unknown entries logs a bounded list")
        << "many.qlmp" << QByteArray() << QStringList{"-q", "-g"} << 0 << QStringList()
        << QStringList{"Project entry matches no element: GONE199 = 1", "Project entries matching no element: 100 more"}
        << QStringList();
    // A COM port that cannot be opened fails each script line whose send
    // needed it, once however often the send retried.
    const QString noPort = "Tyk: Serial port FOLDER/noport: cannot open (No such file or directory)";
    QTest::newRow("a COM port that does not exist counts")
        << "tyk.xml" << QByteArray("CLICKED(GO)\nASSERT(LEVEL, value, 42)\n") << quiet << 1
        << QStringList{"Assert(LEVEL(42) == 42) OK"} << QStringList{noPort, "1 script error(s)"}
        << QStringList{noPort};
    QTest::newRow("a COM port that is no terminal counts on each line that needs it")
        << "notty.xml" << QByteArray("CLICKED(GO)\nCLICKED(GO)\nEXIT(0)\n") << quiet << 2 << QStringList()
        << QStringList{"Tyk: Serial port FOLDER/old.h: cannot open"}
        << QStringList{"Tyk: Serial port FOLDER/old.h: cannot open"};
    // Header generation does not need the adapter: said, not failed.
    QTest::newRow("-g reports a COM port that cannot be opened")
        << "tykcheck.xml" << QByteArray() << QStringList{"-q", "-g"} << 0 << QStringList() << QStringList{noPort}
        << QStringList{noPort};
    QTest::newRow("SETDEF of an unknown define counts")
        << "panel.xml" << QByteArray("SETDEF(NOPE=1)\nSETDEF(LEVEL=7;GONE=2)\nASSERT(LEVEL, value, 7)\n") << quiet << 2
        << QStringList{"Assert(LEVEL(7) == 7) OK"}
        << QStringList{"Invalid value in setdef: \"NOPE=1\"", "Invalid value in setdef: \"GONE=2\"", "2 script error(s)"}
        << QStringList{"Invalid value in setdef: \"NOPE=1\"", "Invalid value in setdef: \"GONE=2\""};
    QTest::newRow("SELECTDATA of a missing catalog counts")
        << "panel.xml" << QByteArray("SELECTDATA(none.xml)\nASSERT(LEVEL, value, 42)\n") << quiet << 1
        << QStringList{"Assert(LEVEL(42) == 42) OK"} << QStringList{"Cannot open file FOLDER/none.xml", "1 script error(s)"}
        << QStringList{"Cannot open file FOLDER/none.xml"};
    QTest::newRow("SELECTDATA of a catalog cut short counts")
        << "panel.xml" << QByteArray("SELECTDATA(cut.xml)\n") << quiet << 1 << QStringList()
        << QStringList{"Cannot read file FOLDER/cut.xml"} << QStringList{"Cannot read file FOLDER/cut.xml"};
    // An empty header name is refused like a header outside the working
    // directory: said, and a failure when no header is left to write.
    QTest::newRow("an empty header name is reported")
        << "emptyheader.xml" << QByteArray() << QStringList{"-q", "-g"} << 0 << QStringList()
        << QStringList{"XML Error: Empty header file name, the define is not written: ENABLE", "Exported headerfile"}
        << QStringList{"Empty header file name, the define is not written: <a href=\"ENABLE\">ENABLE</a>"};
    QTest::newRow("-g fails when every header name is empty")
        << "noheader.xml" << QByteArray() << QStringList{"-q", "-g"} << 1 << QStringList()
        << QStringList{"XML Error: Header group without a file name",
                       "No header file is written: every header file name the panel gives is empty"}
        << QStringList{"No header file is written: every header file name the panel gives is empty"};
    // A run that stops before its end fails, whatever it counted until then:
    // the single-step question has no one to say "Yes".
    QTest::newRow("SETSINGLESTEP without a user stops the run and fails")
        << "panel.xml" << QByteArray("SETSINGLESTEP(1)\nASSERT(LEVEL, value, 1)\nASSERT(ENABLE, value, 0)\n")
        << QStringList() << 1 << QStringList() << QStringList{"SingleStep: Continue with next command ?", "exit code 1"}
        << QStringList();
    QTest::newRow("SETSINGLESTEP in a quiet run asks nothing and counts the assertions")
        << "panel.xml" << QByteArray("SETSINGLESTEP(1)\nASSERT(LEVEL, value, 1)\nASSERT(ENABLE, value, 0)\n") << quiet
        << 2 << QStringList{"Assert(LEVEL(42) == 1) FAILED", "Assert(ENABLE(1) == 0) FAILED"}
        << QStringList{"exit code 2"} << QStringList();
    QTest::newRow("a stopping error after failed assertions keeps their count")
        << "panel.xml" << QByteArray("ASSERT(LEVEL, value, 1)\nASSERT(ENABLE, value, 0)\nSETOUTPUTOPTIONS()\n"
                                     "ASSERT(LEVEL, value, 2)\n")
        << quiet << 3 << QStringList{"Assert(ENABLE(1) == 0) FAILED"} << QStringList{"exit code 3"} << QStringList();
    QTest::newRow("END ends the run as its last line would")
        << "panel.xml" << QByteArray("ASSERT(LEVEL, value, 42)\nEND\nASSERT(LEVEL, value, 1)\n") << quiet << 0
        << QStringList{"Assert(LEVEL(42) == 42) OK"} << QStringList{"exit code 0"} << QStringList();
    // Where a missing file was looked for: the message as it stands, then
    // the folders in the order they were searched (a script runs in its own
    // folder, which is its working folder too).
    const QString scripts = QFileInfo(QStringLiteral(QUILLMATE_BINARY)).absolutePath() + "/scripts";
    QTest::newRow("a project whose panel is missing names the folders searched")
        << "gone.qlmp" << QByteArray("VERSION()\n") << quiet << 1 << QStringList()
        << QStringList{"Could not find \"" + scripts + "/gone.xml\".\nPlease check script folder settings.",
                       "Folders searched for gone.xml, in this order: FOLDER; " + scripts}
        << QStringList();
    QTest::newRow("LOAD of a missing file names the folders searched")
        << "panel.xml" << QByteArray("LOAD(nothere.xml)\n") << quiet << 1 << QStringList()
        << QStringList{"Could not find nothere.xml!",
                       "Folders searched for nothere.xml, in this order: FOLDER; " + scripts,
                       "Could not load nothere.xml in FOLDER/run.script line 1"}
        << QStringList();
    QTest::newRow("LOADTABLE of a missing file names the folders searched")
        << "table.xml" << QByteArray("LOADTABLE(REGS, nothere.csv)\n") << quiet << 1 << QStringList()
        << QStringList{"Cannot open file " + scripts + "/nothere.csv",
                       "Folders searched for nothere.csv, in this order: FOLDER; " + scripts}
        << QStringList();
}

void TestNonInteractive::unattendedBatchRuns()
{
    QFETCH(QString, panel);
    QFETCH(QByteArray, script);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QStringList, logLines);
    QFETCH(QStringList, stdErrLines);
    QFETCH(QStringList, consoleLogLines);

    const QString folder = QFileInfo(fixtureCopy("panel.xml")).path();
    const QByteArray signedPanel = fileBytes(QDir(folder).filePath("panel.xml"));
    const QByteArray body = signedPanel.mid(signedPanel.indexOf("<verticalcontainer>"),
                                            signedPanel.indexOf("</zelmlcfg>") - signedPanel.indexOf("<verticalcontainer>"));
    const auto tykPanel = [](const QByteArray &port, const QByteArray &check) {
        return "<zelmlcfg version=\"2.0.0\"><version label=\"V1.2.3\"/><ioconfig port=\"" + port + "\"/>" + check
            + "<verticalcontainer><spinbox define=\"LEVEL\" range=\"0;100\" default=\"42\"/>"
              "<button define=\"GO\" label=\"Go\"><action event=\"clicked\" cmd=\"sendUSB\" data=\"0xA5\" "
              "recdata=\"LEVEL\"/></button></verticalcontainer></zelmlcfg>";
    };
    QByteArray entries;
    for (int i = 0; i < 300; ++i)
        entries += "<CheckBox><define>GONE" + QByteArray::number(i) + "</define><value>1</value></CheckBox>";
    const QMap<QString, QByteArray> files{
        {"old.h", "#ifndef CFG_H\n#define CFG_H\n#define LEVEL (0x2A)\n#endif\n"},
        {"unsigned.xml", "<zelmlcfg version=\"2.0.0\"><version label=\"V1.2.3\"/>" + body + "</zelmlcfg>"},
        {"button.xml", "<zelmlcfg version=\"2.0.0\"><version label=\"V1.2.3\"/><verticalcontainer>"
                       "<checkbox define=\"ENABLE\" default=\"1\"/><spinbox define=\"LEVEL\" range=\"0;100\" default=\"42\"/>"
                       "<button define=\"GO\" label=\"Go\"><action event=\"clicked\" cmd=\"setDef\" data=\"LEVEL=7\"/></button>"
                       "<togglebutton define=\"TOGGLE\" label=\"Toggle\">"
                       "<action event=\"checked\" cmd=\"setDef\" data=\"ENABLE=0\"/></togglebutton>"
                       "</verticalcontainer></zelmlcfg>"},
        {"parammap.xml", "<zelmlcfg version=\"2.0.0\"><version label=\"V1.2.3\"/>"
                         "<parametermap file=\"panel.xml\"/>" + body + "</zelmlcfg>"},
        {"many.qlmp", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<qlmpxml version=\"2.5.0\"><XmlFile>panel.xml</XmlFile>"
                      "<XmlVersion>V1.2.3</XmlVersion><ActiveElements>" + entries + "</ActiveElements></qlmpxml>"},
        {"catalog.xml", "<catalog/>"},
        {"cut.xml", "<catalog><record"},
        {"tyk.xml", tykPanel("FOLDER/noport", "<iocheck mode=\"0\"/>")},
        {"notty.xml", tykPanel("FOLDER/old.h", "<iocheck mode=\"0\"/>")},
        {"tykcheck.xml", tykPanel("FOLDER/noport", "<iocheck mode=\"2\"/>")},
        {"emptyheader.xml", QByteArray(signedPanel).replace("header=\"cfg.h\" default=\"1\"", "header=\"\" default=\"1\"")},
        {"noheader.xml", "<zelmlcfg version=\"2.0.0\"><version label=\"V1.2.3\"/><verticalcontainer>"
                         "<checkbox define=\"ENABLE\" header=\" \" default=\"1\"/><header file=\"\">"
                         "<spinbox define=\"LEVEL\" range=\"0;100\" default=\"42\"/></header>"
                         "</verticalcontainer></zelmlcfg>"},
        {"gone.qlmp", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<qlmpxml version=\"2.5.0\"><XmlFile>gone.xml</XmlFile>"
                      "<XmlVersion>V1.2.3</XmlVersion><ActiveElements/></qlmpxml>"},
        {"table.xml", "<zelmlcfg version=\"2.0.0\"><version label=\"V1.2.3\"/><verticalcontainer>"
                      "<table define=\"REGS\" numrows=\"2\"/></verticalcontainer></zelmlcfg>"},
    };
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        QFile file(QDir(folder).filePath(it.key()));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(it.value()).replace("FOLDER", QFile::encodeName(folder)));
    }
    QCOMPARE(mkfifo(QFile::encodeName(QDir(folder).filePath("fifo.xml")).constData(), 0600), 0);

    const QString log = QDir(folder).filePath("out.log");
    QStringList arguments{QDir(folder).filePath(panel), "-o" + log};
    if (!script.isEmpty()) {
        QFile file(QDir(folder).filePath("run.script"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(script).replace("FOLDER", QFile::encodeName(folder)));
        arguments << "-b" + file.fileName();
    }
    const QString consoleLog = QDir(folder).filePath("console.log");
    if (!consoleLogLines.isEmpty())
        arguments << "-c" + consoleLog;
    options.replaceInStrings("FOLDER", folder);
    // A -o or -b of the row replaces the default one.
    for (const QString &option : qAsConst(options)) {
        if (option.startsWith("-o") || option.startsWith("-b"))
            arguments.erase(std::remove_if(arguments.begin(), arguments.end(),
                                           [&option](const QString &a) { return a.startsWith(option.left(2)); }),
                            arguments.end());
    }
    const ProgramRun result = runProgram(QStringLiteral(QUILLMATE_BINARY), arguments + options, dir.path(),
                                         dir.filePath("config"), 20000);
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode == exitCode,
             qPrintable(QStringLiteral("exit code %1\n%2").arg(result.exitCode).arg(result.stdErr)));
    const QString logText = QString::fromUtf8(fileBytes(log));
    for (QString line : qAsConst(logLines))
        QVERIFY2(logText.contains(line.replace("FOLDER", folder)), qPrintable(logText));
    for (QString line : qAsConst(stdErrLines))
        QVERIFY2(result.stdErr.contains(line.replace("FOLDER", folder)), qPrintable(result.stdErr));
    const QString consoleLogText = QString::fromUtf8(fileBytes(consoleLog));
    for (QString line : qAsConst(consoleLogLines))
        QVERIFY2(consoleLogText.contains(line.replace("FOLDER", folder)), qPrintable(consoleLogText));
}


// A panel that takes part of its elements from a fragment with placeholders
// runs as the same panel written out whole: same exit, same console, same
// header.
void TestNonInteractive::fragmentIncludeIsReadWhole()
{
    const QString channel = QStringLiteral("<groupcontainer label=\"%1\"><checkbox define=\"CH%2_EN\" "
                                           "header=\"cfg.h\" default=\"1\" label=\"%1\"/></groupcontainer>");
    const QString before = QStringLiteral("<verticalcontainer>"
                                          "<spinbox define=\"LEVEL\" header=\"cfg.h\" range=\"0;100\" default=\"42\"/>");
    const QString after = QStringLiteral("<spinbox define=\"LAST\" header=\"cfg.h\" range=\"0;9\" default=\"3\"/>"
                                         "</verticalcontainer>");
    const QString version = QStringLiteral("<version label=\"V1.0\"/>");
    const QMap<QString, QByteArray> panels{
        {"whole", signedPanelText(before + channel.arg("Channel", "3") + after, version)},
        {"included", signedPanelText(before + "<include name=\"Channel\" port=\"3\">parts/channel.xml</include>" + after,
                                     version)},
    };
    QMap<QString, QString> consoles;
    QMap<QString, QByteArray> headers;
    for (auto it = panels.cbegin(); it != panels.cend(); ++it) {
        const QString folder = dir.filePath(it.key());
        QVERIFY(QDir().mkpath(folder + "/parts"));
        QFile part(folder + "/parts/channel.xml");
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write(channel.arg("$name$", "$port$").toUtf8());
        part.close();
        QFile panel(folder + "/panel.xml");
        QVERIFY(panel.open(QIODevice::WriteOnly));
        panel.write(it.value());
        panel.close();

        const Result result = run({folder + "/panel.xml", "-g"}, folder);
        QVERIFY2(result.finished, "the run did not end by itself");
        QVERIFY2(result.exitCode == 0, qPrintable(it.key() + ":\n" + result.stdErr));
        consoles[it.key()] = QString(result.stdErr).replace(folder, "FOLDER");
        headers[it.key()] = fileBytes(folder + "/cfg.h");
    }
    QVERIFY2(!consoles["included"].contains("not well-formed"), qPrintable(consoles["included"]));
    QCOMPARE(consoles["included"], consoles["whole"]);
    QVERIFY2(headers["included"].contains("#define CH3_EN (0x1)"), headers["included"].constData());
    QCOMPARE(headers["included"], headers["whole"]);
}

void TestNonInteractive::runsWithoutADisplay_data()
{
    QTest::addColumn<QString>("display"); // DISPLAY; empty: unset
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdErrLine"); // a line standard error must hold; empty: none asked

    const QString noVariable = QStringLiteral(
        "Quillmate: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
        "run headless with -g, -s, -x or -b, or set QT_QPA_PLATFORM=offscreen.");
    const QString unreachable = QStringLiteral(
        "Quillmate: no display to show the window on (cannot connect to the display); "
        "run headless with -g, -s, -x or -b, or set QT_QPA_PLATFORM=offscreen.");
    // A display number nobody serves on this machine.
    const QString nobody = QStringLiteral(":917");
    QTest::newRow("-g, no display variable") << QString() << QStringList{"-g"} << 0 << QString();
    QTest::newRow("-s, no display variable") << QString() << QStringList{"-sOUT"} << 0 << QString();
    QTest::newRow("-b, no display variable") << QString() << QStringList{"-bSCRIPT"} << 0 << QString();
    QTest::newRow("-g, a display that cannot be reached") << nobody << QStringList{"-g"} << 0 << QString();
    QTest::newRow("interactive, no display variable") << QString() << QStringList() << 1 << noVariable;
    QTest::newRow("interactive, a display that cannot be reached") << nobody << QStringList() << 1 << unreachable;
}

void TestNonInteractive::runsWithoutADisplay()
{
    QFETCH(QString, display);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, stdErrLine);
    const QString file = fixtureCopy("panel.xml");
    const QString folder = QFileInfo(file).path();
    const QString project = QDir(folder).filePath("out.qlmp");
    const QString script = QDir(folder).filePath("run.script");
    {
        QFile batch(script);
        QVERIFY(batch.open(QIODevice::WriteOnly));
        batch.write("ASSERT(LEVEL, value, 42)\n");
    }
    options.replaceInStrings("OUT", project);
    options.replaceInStrings("SCRIPT", script);
    const Result result = run(QStringList{file} + options, QString(), [&display](QProcessEnvironment &environment) {
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("DISPLAY"));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
    });
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode == exitCode, qPrintable(result.stdErr));
    QVERIFY2(!result.stdErr.contains(QLatin1String("could not be initialized")), qPrintable(result.stdErr));
    if (!stdErrLine.isEmpty())
        QVERIFY2(result.stdErr.split(QLatin1Char('\n')).contains(stdErrLine), qPrintable(result.stdErr));
    if (exitCode != 0) {
        // An interactive start that could not show its window wrote nothing.
        QVERIFY(!QFile::exists(QDir(folder).filePath("cfg.h")));
        return;
    }
    if (options.first().startsWith(QLatin1String("-b")))
        return;
    const QByteArray header = fileBytes(QDir(folder).filePath("cfg.h"));
    QVERIFY2(header.contains("#define LEVEL (0x2A)"), header.constData());
    if (options.first().startsWith(QLatin1String("-s")))
        QVERIFY(QFile::exists(project));
}

void TestNonInteractive::noDebugTracesOnStandardError()
{
    const QString file = fixtureCopy("panel.xml");
    const QString folder = QFileInfo(file).path();
    const QString runtime = QDir(folder).filePath("runtime");
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const auto environment = [&runtime](QProcessEnvironment &env) {
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.remove(QStringLiteral("QT_LOGGING_RULES"));
    };
    const Result result = run(QStringList{file, "-g", "-q", "-dLEVEL=16", "-dENABLE=0"}, QString(), environment);
    QVERIFY2(result.finished && result.exitCode == 0, qPrintable(result.stdErr));
    QVERIFY2(!result.stdErr.contains(QLatin1String("LEVEL / 16")), qPrintable(result.stdErr));
    QVERIFY2(!result.stdErr.contains(QLatin1String("ENABLE / 0")), qPrintable(result.stdErr));
    QVERIFY(fileBytes(QDir(folder).filePath("cfg.h")).contains("#define LEVEL (0x10)"));

    // The traces are there for whoever switches their category on.
    const Result traced = run(QStringList{file, "-g", "-q", "-dLEVEL=16"}, QString(),
                              [&](QProcessEnvironment &env) {
                                  environment(env);
                                  env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("quillmate.app.debug=true"));
                              });
    QVERIFY2(traced.finished && traced.exitCode == 0, qPrintable(traced.stdErr));
    QVERIFY2(traced.stdErr.contains(QLatin1String("LEVEL / 16")), qPrintable(traced.stdErr));
}

void TestNonInteractive::refusedDefineItemsFailTheRun_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("stdErrLines"); // each a line of standard error

    QTest::newRow("-g, unknown define") << QStringList{"-g", "-dNOPE=1"}
                                        << QStringList{"-d item NOPE=1: no element or variable has the define NOPE"};
    QTest::newRow("-s, unknown define among good ones")
        << QStringList{"-sOUT", "-dLEVEL=7;NOPE = 3;ENABLE=0"}
        << QStringList{"-d item NOPE = 3: no element or variable has the define NOPE"};
    QTest::newRow("-g, value out of range") << QStringList{"-g", "-dLEVEL=999"} << QStringList();
    QTest::newRow("-x, check box takes 0 or 1") << QStringList{"-x", "-dENABLE=2"} << QStringList();
}

void TestNonInteractive::refusedDefineItemsFailTheRun()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, stdErrLines);
    const QString file = fixtureCopy("panel.xml");
    const QString folder = QFileInfo(file).path();
    const QString project = QDir(folder).filePath("out.qlmp");
    options.replaceInStrings("OUT", project);
    const Result result = run(QStringList{file} + options);
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode == 1, qPrintable(result.stdErr));
    QVERIFY(!QFile::exists(QDir(folder).filePath("cfg.h")));
    QVERIFY(!QFile::exists(QDir(folder).filePath("adc_setup.h")));
    QVERIFY(!QFile::exists(project));
    const QStringList lines = result.stdErr.split(QLatin1Char('\n'));
    for (const QString &line : qAsConst(stdErrLines))
        QVERIFY2(lines.contains(line), qPrintable(result.stdErr));
    if (!stdErrLines.isEmpty()) {
        // The line of the script form stays beside it.
        QVERIFY2(result.stdErr.contains(QLatin1String("Script Error: Unknown define: NOPE in line")),
                 qPrintable(result.stdErr));
    }
}

void TestNonInteractive::emptyIncludeIsNamed()
{
    const QString folder = QFileInfo(fixtureCopy("panel.xml")).path();
    const QString file = QDir(folder).filePath("inc.xml");
    {
        QFile panel(file);
        QVERIFY(panel.open(QIODevice::WriteOnly));
        panel.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.0\">\n"
                    "    <verticalcontainer>\n"
                    "        <spinbox define=\"LEVEL\" header=\"cfg.h\" range=\"0;100\" default=\"42\"/>\n"
                    "        <include file=\"part.xml\"/>\n"
                    "    </verticalcontainer>\n</zelmlcfg>\n");
    }
    const Result result = run(QStringList{file, "-g"});
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode == 1, qPrintable(result.stdErr));
    QVERIFY(!QFile::exists(QDir(folder).filePath("cfg.h")));
    QVERIFY2(result.stdErr.contains(QStringLiteral("The include names no file (the file name is the text of the "
                                                   "include element)  (%1 line 5,")
                                        .arg(file)),
             qPrintable(result.stdErr));
    // Nothing was opened in its place.
    QVERIFY2(!result.stdErr.contains(QLatin1String("Not a regular file")), qPrintable(result.stdErr));
}

// ---------------------------------------------------------------------------
// EXIT(1) saves as the window's close does: a save it makes that is refused
// or fails is no success, and the exit code counts it. Each row is a script
// run unattended on the panel, the answers the prompt gives, the exit code, a
// text on standard error, and every file the run may add or change.

void TestNonInteractive::savesAtExitCount_data()
{
    QTest::addColumn<QByteArray>("script");    // FOLDER stands for the row's folder
    QTest::addColumn<QString>("answers");      // the prompt's answers, ";"-separated
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdErrContains");
    QTest::addColumn<QStringList>("newFiles"); // the others stay as they were

    QTest::newRow("a save that succeeds")
        << QByteArray("SETFILENAME(FOLDER/good.qlmp)\nEXIT(1)\n") << "" << 0 << "Saved project"
        << QStringList{"good.qlmp", "cfg.h", "adc_setup.h"};
    QTest::newRow("EXIT(2) saves nothing") << QByteArray("SETFILENAME(FOLDER/panel.xml)\nEXIT(2)\n") << "" << 0 << ""
                                           << QStringList();
    QTest::newRow("the panel as the project is refused")
        << QByteArray("SETFILENAME(FOLDER/panel.xml)\nEXIT(1)\n") << "" << 1 << "it is the panel" << QStringList();
    QTest::newRow("a header refused")
        << QByteArray("SETFILENAME(FOLDER/hdr/out.qlmp)\nEXIT(1)\n") << "" << 1 << "FOLDER/hdr/cfg.h"
        << QStringList{"hdr/out.qlmp", "hdr/adc_setup.h"};
    QTest::newRow("a refused Save-as name") << QByteArray("EXIT(1)\n") << "FOLDER/panel.xml" << 1 << "it is the panel"
                                            << QStringList();
    QTest::newRow("no Save-as name") << QByteArray("EXIT(1)\n") << "" << 1 << "Save Configuration" << QStringList();
    QTest::newRow("a save that cannot be written")
        << QByteArray("SETFILENAME(FOLDER/none/out.qlmp)\nEXIT(1)\n") << "" << 1 << "FOLDER/none/out.qlmp"
        << QStringList();
    QTest::newRow("a save onto a full device") << QByteArray("SETFILENAME(/dev/full)\nEXIT(1)\n") << "" << 1
                                               << "/dev/full" << QStringList();
    QTest::newRow("failed assertions and a refused save")
        << QByteArray("ASSERT(LEVEL, value, 1)\nASSERT(ENABLE, value, 0)\nSETFILENAME(FOLDER/panel.xml)\nEXIT(1)\n")
        << "" << 3 << "it is the panel" << QStringList();
}

void TestNonInteractive::savesAtExitCount()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, answers);
    QFETCH(int, exitCode);
    QFETCH(QString, stdErrContains);
    QFETCH(QStringList, newFiles);

    const QString folder = QFileInfo(fixtureCopy("panel.xml")).path();
    QVERIFY(QDir(folder).mkpath("hdr"));
    // A header name taken by a file of another kind: that header is refused.
    QFile taken(QDir(folder).filePath("hdr/cfg.h"));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.write("<qlmpxml version=\"2.5.0\"/>\n");
    taken.close();
    QFile file(QDir(folder).filePath("run.script"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(script.replace("FOLDER", QFile::encodeName(folder)));
    file.close();
    const QMap<QString, QByteArray> before = folderContents(folder);

    answers.replace("FOLDER", folder);
    const ProgramRun result =
        runProgram(QStringLiteral(QUILLMATE_BINARY), {QDir(folder).filePath("panel.xml"), "-b" + file.fileName()},
                   dir.path(), dir.filePath("config"), 20000, [&answers](QProcessEnvironment &environment) {
                       environment.insert("QUILLMATE_PROMPT_ANSWERS", answers);
                   });
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode == exitCode,
             qPrintable(QStringLiteral("exit code %1\n%2").arg(result.exitCode).arg(result.stdErr)));
    QVERIFY2(result.stdErr.contains(stdErrContains.replace("FOLDER", folder)), qPrintable(result.stdErr));

    verifyOnlyNewFiles(before, folderContents(folder), newFiles);
}

void TestNonInteractive::panelMistakesFailAHeaderRun_data()
{
    addPanelMistakeRows();
}

void TestNonInteractive::panelMistakesFailAHeaderRun()
{
    QFETCH(QString, element);
    QFETCH(QString, message);
    const QString folder = QFileInfo(fixtureCopy("panel.xml")).path();
    const QString file = QDir(folder).filePath("mistake.xml");
    {
        QFile panel(file);
        QVERIFY(panel.open(QIODevice::WriteOnly));
        panel.write(panelWithMistake(element));
    }
    const QString header = QDir(folder).filePath("t.h");
    const QString where = QStringLiteral("%1 (%2 line 5,").arg(message, file);
    for (const QStringList &options : {QStringList{"-g"}, QStringList{"-s" + QDir(folder).filePath("m.qlmp")},
                                       QStringList{"-x"}}) {
        const Result result = run(QStringList{file} + options);
        QVERIFY2(result.finished, "the run did not end by itself");
        QVERIFY2(result.exitCode == 1, qPrintable(options.first() + ": " + result.stdErr));
        QVERIFY2(result.stdErr.contains(where), qPrintable(result.stdErr));
        QVERIFY(!QFile::exists(header));
        QVERIFY(!QFile::exists(QDir(folder).filePath("m.qlmp")));
    }

    // A batch run: the LOAD counts as a script error; EXPORT, SAVE and SIGN
    // are refused, write nothing, and count as well.
    const QString script = QDir(folder).filePath("mistake.script");
    {
        QFile batch(script);
        QVERIFY(batch.open(QIODevice::WriteOnly));
        batch.write(QStringLiteral("LOAD(%1)\nEXPORT()\nSAVE(%2)\nSIGN(%1)\n")
                        .arg(file, QDir(folder).filePath("m.qlmp"))
                        .toUtf8());
    }
    const QByteArray panelBytes = fileBytes(file);
    const Result batch = run(QStringList{"-q", "-b" + script});
    QVERIFY2(batch.finished, "the batch run did not end by itself");
    QVERIFY2(batch.exitCode == 4, qPrintable(batch.stdErr));
    QVERIFY2(batch.stdErr.contains(where), qPrintable(batch.stdErr));
    for (const QString &refused : {QStringLiteral("Could not load %1").arg(file),
                                   QStringLiteral("Cannot export the header files:\nno panel is open."),
                                   QStringLiteral("Cannot save the project to %1").arg(QDir(folder).filePath("m.qlmp"))})
        QVERIFY2(batch.stdErr.contains(refused), qPrintable(batch.stdErr));
    QVERIFY2(batch.stdErr.contains(QStringLiteral("File %1 is not signed: The panel has ").arg(file)),
             qPrintable(batch.stdErr));
    QVERIFY(!QFile::exists(header));
    QVERIFY(!QFile::exists(QDir(folder).filePath("m.qlmp")));
    QCOMPARE(fileBytes(file), panelBytes);
}

QTEST_GUILESS_MAIN(TestNonInteractive)
#include "tst_noninteractive.moc"
