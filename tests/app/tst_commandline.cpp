#include "commandline.h"

#include <QDir>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parsesOptions_data();
    void parsesOptions();
    void usageIsShownForEveryQuestionMarkAndParsingGoesOn();
    void usageTextIsExact();
    void nonInteractiveRunsAreRecognised_data();
    void nonInteractiveRunsAreRecognised();
    void relativePathsResolveAgainstTheStartDirectory();
};

// Expected values as one compact text per field group so that rows stay readable.
static QString summary(const CommandLineOptions &o)
{
    QStringList flags;
    if (o.generate) flags << "g";
    if (o.save) flags << "s";
    if (o.keil) flags << "k";
    if (o.quiet) flags << "q";
    if (o.exitAfterKeil) flags << "x";
    return QStringList{
        "file=" + o.file, "b=" + o.batchFile, "o=" + o.outputLog, "flags=" + flags.join(','),
        "sf=" + o.saveFile, "c=" + o.consoleLog, "d=" + o.defines, "i=" + o.includePaths}
        .join('|');
}

void TestCommandLine::parsesOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");

    // plain runs
    QTest::newRow("no arguments") << QStringList{}
        << "file=|b=|o=|flags=|sf=|c=|d=|i=";
    QTest::newRow("file only") << QStringList{"panel.xml"}
        << "file=panel.xml|b=|o=|flags=|sf=|c=|d=|i=";
    QTest::newRow("last file wins") << QStringList{"a.xml", "b.qlmp"}
        << "file=b.qlmp|b=|o=|flags=|sf=|c=|d=|i=";
    QTest::newRow("lone dash is the file") << QStringList{"-"}
        << "file=-|b=|o=|flags=|sf=|c=|d=|i=";
    QTest::newRow("arguments are trimmed") << QStringList{"  p.xml ", " -g "}
        << "file=p.xml|b=|o=|flags=g|sf=|c=|d=|i=";

    // flags
    QTest::newRow("flags ignore their rest") << QStringList{"-gx", "-qq", "-kfoo", "-x"}
        << "file=|b=|o=|flags=g,k,q,x|sf=|c=|d=|i=";
    QTest::newRow("upper case letters are ignored") << QStringList{"-G", "-S", "-X", "-Z"}
        << "file=|b=|o=|flags=|sf=|c=|d=|i=";

    // values
    QTest::newRow("values follow the letter") << QStringList{"-bbatch.script", "-oout.log", "-cerr.log"}
        << "file=|b=batch.script|o=out.log|flags=|sf=|c=err.log|d=|i=";
    QTest::newRow("later values replace earlier ones") << QStringList{"-ba", "-bb", "-c1", "-c2", "-o1", "-o2"}
        << "file=|b=b|o=2|flags=|sf=|c=2|d=|i=";
    QTest::newRow("-s alone saves over the default name") << QStringList{"-s"}
        << "file=|b=|o=|flags=s|sf=|c=|d=|i=";
    QTest::newRow("-s with a name, later -s replaces it") << QStringList{"-sa.qlmp", "-sb.qlmp"}
        << "file=|b=|o=|flags=s|sf=b.qlmp|c=|d=|i=";
    QTest::newRow("-s replaced by an empty -s") << QStringList{"-sa.qlmp", "-s"}
        << "file=|b=|o=|flags=s|sf=|c=|d=|i=";

    // lists
    QTest::newRow("-d twice joins with ;") << QStringList{"-dA=1", "-dB=2"}
        << "file=|b=|o=|flags=|sf=|c=|d=A=1;B=2|i=";
    QTest::newRow("-d with a list") << QStringList{"-dA=1;B=2"}
        << "file=|b=|o=|flags=|sf=|c=|d=A=1;B=2|i=";
    QTest::newRow("empty -d still adds a separator") << QStringList{"-d", "-dB=2"}
        << "file=|b=|o=|flags=|sf=|c=|d=;B=2|i=";
    QTest::newRow("-i joins like -d") << QStringList{"-iinc", "-iother;third"}
        << "file=|b=|o=|flags=|sf=|c=|d=|i=inc;other;third";
}

void TestCommandLine::parsesOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    args.prepend("quillmate");
    QCOMPARE(summary(parseCommandLine(args, {})), expected);
}

void TestCommandLine::usageIsShownForEveryQuestionMarkAndParsingGoesOn()
{
    int shown = 0;
    const CommandLineOptions o = parseCommandLine({"quillmate", "-?", "-g", "-?", "p.xml"},
                                                  [&shown] { ++shown; });
    QCOMPARE(shown, 2);
    QVERIFY(o.generate);
    QCOMPARE(o.file, QString("p.xml"));
}

void TestCommandLine::usageTextIsExact()
{
    const QString text = QString::fromLatin1(usageText);
    QVERIFY(text.startsWith("Quillmate <Filename.xml | Filename.qlmp> [options]\nOptions:\n  -g\t\tGenerate header files (non-interactive)\n"));
    QVERIFY(text.contains("\n  -d<Define>=<Value>;...\tSet GUI element to value\n  -iIncludePath;...\tSet include paths\n"));
    QVERIFY(text.contains("  -s[<qlmpFile>]\tSave configuration file, with correct Hash, and generate header files\n"));
    QVERIFY(text.endsWith("  -x\t\tTerminate program after Keil integration\n  -?\t\tHelp\n"));
    QCOMPARE(text.count('\n'), 13);
}

void TestCommandLine::nonInteractiveRunsAreRecognised_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("nonInteractive");
    QTest::newRow("-g") << QStringList{"p.xml", "-g"} << true;
    QTest::newRow("-s with value") << QStringList{"-sx.qlmp"} << true;
    QTest::newRow("-x") << QStringList{"-x"} << true;
    QTest::newRow("interactive") << QStringList{"p.xml", "-q", "-k"} << false;
    QTest::newRow("upper case") << QStringList{"-G", "-S"} << false;
    QTest::newRow("file named like an option letter") << QStringList{"g"} << false;
}

void TestCommandLine::nonInteractiveRunsAreRecognised()
{
    QFETCH(QStringList, args);
    QFETCH(bool, nonInteractive);
    args.prepend("quillmate");
    QCOMPARE(isNonInteractiveRun(args), nonInteractive);
}

void TestCommandLine::relativePathsResolveAgainstTheStartDirectory()
{
    CommandLineOptions o = parseCommandLine(
        {"quillmate", "sub/p.xml", "-bb.script", "-sout.qlmp", "-c/abs/err.log", "-o../o.log"}, {});
    resolveCommandLinePaths(o, QDir("/home/user/project"));
    QCOMPARE(o.file, QString("/home/user/project/sub/p.xml"));
    QCOMPARE(o.batchFile, QString("/home/user/project/b.script"));
    QCOMPARE(o.saveFile, QString("/home/user/project/out.qlmp"));
    QCOMPARE(o.consoleLog, QString("/abs/err.log"));
    QCOMPARE(o.outputLog, QString("/home/user/o.log"));

    CommandLineOptions empty;
    resolveCommandLinePaths(empty, QDir("/x"));
    QVERIFY(empty.file.isEmpty());
    QVERIFY(empty.saveFile.isEmpty());
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
