// Every way of writing a file, aimed where it must not write: the loaded
// panel, the running script, a file of another kind, a path that leads out of
// its folder, a broken or oversized SVD file, a write cut short. Run as child
// processes of the real program; the files must stay byte for byte.
#include "programrun.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <atomic>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray panelText = R"(<?xml version="1.0" encoding="UTF-8"?>
<zelmlcfg version="2.0.0">
    <version label="V1.2.3"/>
    <verticalcontainer>
        <checkbox define="ENABLE" header="cfg.h" default="1" label="Enable"/>
        <spinbox define="LEVEL" header="cfg.h" range="0;100" default="42"/>
        <table define="SEQ" numrows="2"/>
    </verticalcontainer>
</zelmlcfg>
)";

// A panel of one header in a subfolder.
const QByteArray subfolderPanel = R"(<?xml version="1.0" encoding="UTF-8"?>
<zelmlcfg version="2.0.0">
    <verticalcontainer>
        <spinbox define="LEVEL" header="inc/cfg.h" range="0;100" default="42"/>
    </verticalcontainer>
</zelmlcfg>
)";

// A panel bound to the SVD file chip.svd.
const QByteArray svdPanel = R"(<?xml version="1.0" encoding="UTF-8"?>
<zelmlcfg version="2.0.0">
    <svd file="chip.svd"/>
    <verticalcontainer>
        <spinbox define="CLK.CTRL" header="cfg.h" range="0;100" default="3"/>
        <spinbox define="LEVEL" header="cfg.h" range="0;100" default="42"/>
    </verticalcontainer>
</zelmlcfg>
)";

const QByteArray goodSvd = R"(<?xml version="1.0" encoding="utf-8"?>
<device><name>CHIP</name><peripherals>
<peripheral><name>CLK</name><baseAddress>0x40000000</baseAddress><registers>
<register><name>CTRL</name><addressOffset>0</addressOffset><size>32</size></register>
</registers></peripheral>
</peripherals></device>
)";

// One peripheral of 983040 registers and 200 derived from it: some 21 KB
// that would expand to about 197 million registers.
QByteArray svdBomb()
{
    QByteArray text = "<?xml version=\"1.0\"?>\n<device><name>BOMB</name><peripherals>\n"
                      "<peripheral><name>P0</name><baseAddress>0</baseAddress><registers>\n"
                      "<cluster><name>C%s</name><dim>15</dim><dimIncrement>0x100000</dimIncrement>"
                      "<addressOffset>0</addressOffset>\n"
                      "<register><name>R%s</name><dim>65536</dim><dimIncrement>4</dimIncrement>"
                      "<addressOffset>0</addressOffset><size>32</size></register>\n"
                      "</cluster></registers></peripheral>\n";
    for (int i = 1; i <= 200; ++i)
        text += "<peripheral derivedFrom=\"P0\"><name>P" + QByteArray::number(i)
            + "</name><baseAddress>0</baseAddress></peripheral>\n";
    return text + "</peripherals></device>\n";
}

const QByteArray oldHeader = "/* kept */\r\n#define LEVEL (0x1)\r\n";

} // namespace

class TestFileWrites : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void scriptWritesAimedWhereTheyMustNot_data();
    void scriptWritesAimedWhereTheyMustNot();
    void signingKeepsTheEncoding_data();
    void signingKeepsTheEncoding();
    void shortWritesLeaveTheOldFile_data();
    void shortWritesLeaveTheOldFile();
    void writesThroughSymbolicLinks_data();
    void writesThroughSymbolicLinks();
    void damagedSvdFailsUnattendedRuns_data();
    void damagedSvdFailsUnattendedRuns();
    void oversizedSvdEndsWithAnError_data();
    void oversizedSvdEndsWithAnError();
    void everyHeaderRefusedFailsTheRun();
    void projectFilesAreRecognisedByTheirContent_data();
    void projectFilesAreRecognisedByTheirContent();
    void tablesReplaceOnlyTableFiles_data();
    void tablesReplaceOnlyTableFiles();
    void logsNeverReplaceWhatTheRunReads_data();
    void logsNeverReplaceWhatTheRunReads();
    void relativeNamesAreTakenOnce_data();
    void relativeNamesAreTakenOnce();
    void nonRegularTargetsAreRefusedAtOnce_data();
    void nonRegularTargetsAreRefusedAtOnce();
    void linkSwappedInDuringSavesIsNeverFollowed_data();
    void linkSwappedInDuringSavesIsNeverFollowed();
    void scriptLogsNeverReplaceWhatIsLoaded_data();
    void scriptLogsNeverReplaceWhatIsLoaded();

private:
    QString path(const QString &name) const { return m_dir->filePath(QStringLiteral("work/") + name); }
    void write(const QString &name, const QByteArray &bytes);
    // Every file below the folder with its bytes (links as their targets).
    QMap<QString, QByteArray> contents() const;
    // Runs the program in the work folder; shell lines run before it (ulimit).
    ProgramRun run(QStringList arguments, const QString &shellSetup = QString());

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileWrites::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath("config"));
    QVERIFY(QDir(m_dir->path()).mkpath("work"));
    QVERIFY(QDir(m_dir->path()).mkpath("elsewhere"));
    write("panel.xml", panelText);
    write("disclaimer.txt", "/* test */\n");
}

void TestFileWrites::write(const QString &name, const QByteArray &bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QMap<QString, QByteArray> TestFileWrites::contents() const
{
    QMap<QString, QByteArray> files;
    QDirIterator it(m_dir->path(), QDir::Files | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (file.contains(QLatin1String("/config/")))
            continue;
        QFile device(file);
        files.insert(QDir(m_dir->path()).relativeFilePath(file),
                     device.open(QIODevice::ReadOnly) ? device.readAll() : QByteArray("?"));
    }
    return files;
}

ProgramRun TestFileWrites::run(QStringList arguments, const QString &shellSetup)
{
    // The console log holds what a batch run says; it comes with stderr.
    const QString log = m_dir->filePath(QStringLiteral("config/console.log"));
    QFile::remove(log);
    arguments << QStringLiteral("-c") + log;
    ProgramRun result;
    if (shellSetup.isEmpty()) {
        result = runProgram(QStringLiteral(QUILLMATE_BINARY), arguments, path(QString()), m_dir->filePath("config"));
    } else {
        // The limits go to the program through the shell that sets them.
        const QStringList shell{QStringLiteral("-c"), shellSetup + QStringLiteral("; exec \"$0\" \"$@\""),
                                QStringLiteral(QUILLMATE_BINARY)};
        result = runProgram(QStringLiteral("/bin/sh"), shell + arguments, path(QString()), m_dir->filePath("config"),
                            60000);
    }
    QFile console(log);
    if (console.open(QIODevice::ReadOnly))
        result.stdErr += QString::fromUtf8(console.readAll());
    return result;
}

// ---------------------------------------------------------------------------
// Script commands

void TestFileWrites::scriptWritesAimedWhereTheyMustNot_data()
{
    QTest::addColumn<QString>("scriptName");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("stdErrContains");

    // The loaded panel.
    QTest::newRow("SAVE onto the loaded panel") << "run.script" << QStringList{"SAVE(panel.xml)"}
                                                << "it is the panel the project is made from";
    QTest::newRow("SAVESORTED onto the loaded panel")
        << "run.script" << QStringList{"SAVESORTED(WORK/panel.xml)"} << "it is the panel the project is made from";
    QTest::newRow("SAVETABLE onto the loaded panel") << "run.script" << QStringList{"SAVETABLE(SEQ, WORK/panel.xml)"}
                                                     << "it is the panel the project is made from";
    QTest::newRow("SIGN of the loaded panel") << "run.script" << QStringList{"SIGN(WORK/panel.xml)"}
                                              << "it is the panel the project is made from";
    // The running script.
    QTest::newRow("SAVE onto the running script") << "run.script" << QStringList{"SAVE(run.script)"}
                                                  << "it is the script that is running";
    QTest::newRow("SAVETABLE onto the running script")
        << "run.script" << QStringList{"SAVETABLE(SEQ, WORK/run.script)"} << "it is the script that is running";
    QTest::newRow("EXPORT onto the running script") << "cfg.h" << QStringList{"EXPORT"}
                                                    << "it is the script that is running";
    QTest::newRow("SIGN of the running script") << "run.script" << QStringList{"SIGN(WORK/run.script)"}
                                                << "it is the script that is running";
    // Files of another kind.
    QTest::newRow("SAVE onto a text file") << "run.script" << QStringList{"SAVE(notes.txt)"}
                                           << "not a project file (root element qlmpxml)";
    QTest::newRow("SAVE onto another panel") << "run.script" << QStringList{"SAVE(other.xml)"}
                                             << "not a project file (root element qlmpxml)";
    QTest::newRow("SAVETABLE onto a text file") << "run.script" << QStringList{"SAVETABLE(SEQ, WORK/notes.txt)"}
                                                << "not a table file (root element qlmpxml";
    QTest::newRow("SAVE onto a header the panel writes") << "run.script" << QStringList{"SAVE(cfg.h)"}
                                           << "the panel writes its header file cfg.h there";
    QTest::newRow("EXPORT over a binary header") << "run.script" << QStringList{"COPYBLOB(cfg.h)", "EXPORT"}
                                                 << "not a text file of that kind";
    QTest::newRow("SIGN of a binary file") << "run.script" << QStringList{"SIGN(WORK/blob.bin)"}
                                           << "not a panel file (root element zelmlcfg)";
    QTest::newRow("SIGN of a project") << "run.script" << QStringList{"SIGN(WORK/old.qlmp)"}
                                       << "not a panel file (root element zelmlcfg)";
    // The generator.
    QTest::newRow("GENERATEXMLFROMSVD of a broken SVD file")
        << "run.script" << QStringList{"GENERATEXMLFROMSVD(broken.svd, 1)"} << "No panel was generated";
    QTest::newRow("GENERATEXMLFROMSVD onto the loaded panel")
        << "run.script" << QStringList{"LOAD(WORK/good_Generated.xml)", "GENERATEXMLFROMSVD(good.svd, 1)"}
        << "it is the panel the project is made from";
    QTest::newRow("GENERATEXMLFROMSVD onto a project")
        << "run.script" << QStringList{"COPYPROJECT(good_Generated.xml)", "GENERATEXMLFROMSVD(good.svd, 0)"}
        << "not a panel file (root element zelmlcfg)";
}

void TestFileWrites::scriptWritesAimedWhereTheyMustNot()
{
    QFETCH(QString, scriptName);
    QFETCH(QStringList, lines);
    QFETCH(QString, stdErrContains);

    QByteArray blob(3000, '\0');
    for (int i = 0; i < blob.size(); ++i)
        blob[i] = char((i * 7 + 3) % 251);
    blob[7] = '\0';
    write("blob.bin", blob);
    write("notes.txt", "notes, not a project\n");
    write("other.xml", panelText);
    const QByteArray project = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<qlmpxml version=\"2.5.0\">\r\n"
                               "<XmlFile>panel.xml</XmlFile>\r\n</qlmpxml>";
    write("old.qlmp", project);
    write("broken.svd", "<device><name>X</name><peripherals><peripheral>");
    write("good.svd", goodSvd);
    write("good_Generated.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<zelmlcfg version=\"2.0.2\">\n"
                                "<verticalcontainer/>\n</zelmlcfg>\n");
    // Two steps done by the test, not by the program.
    for (int i = 0; i < lines.size(); ++i) {
        if (lines.at(i).startsWith("COPYBLOB(")) {
            write(lines.at(i).mid(9).chopped(1), blob);
            lines.removeAt(i--);
        } else if (lines.at(i).startsWith("COPYPROJECT(")) {
            write(lines.at(i).mid(12).chopped(1), project);
            lines.removeAt(i--);
        }
    }
    lines.replaceInStrings("WORK", path(QString()).chopped(1));
    write(scriptName, (lines + QStringList{"EXIT(2)"}).join("\n").toUtf8() + "\n");

    const QMap<QString, QByteArray> before = contents();
    const ProgramRun result = run({path("panel.xml"), "-q", "-b" + path(scriptName)});
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode >= 1, qPrintable(result.stdErr));
    QVERIFY2(result.stdErr.contains(stdErrContains), qPrintable(result.stdErr));
    // Nothing that was there changed; nothing but the headers of the panel came.
    const QMap<QString, QByteArray> after = contents();
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY2(after.value(it.key()) == it.value(), qPrintable(it.key()));
    for (const QString &name : after.keys())
        QVERIFY2(before.contains(name) || name == "work/cfg.h", qPrintable(name));
}

// ---------------------------------------------------------------------------
// Signing

void TestFileWrites::signingKeepsTheEncoding_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<QByteArray>("declaration");
    QTest::addColumn<bool>("readBack");

    QTest::newRow("ISO-8859-1") << QByteArray("ISO-8859-1") << QByteArray()
                                << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>") << true;
    QTest::newRow("UTF-8") << QByteArray("UTF-8") << QByteArray() << QByteArray("<?xml version=\"1.0\"?>") << true;
    QTest::newRow("UTF-16 with its mark") << QByteArray("UTF-16LE") << QByteArray("\xFF\xFE")
                                          << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") << true;
}

void TestFileWrites::signingKeepsTheEncoding()
{
    QFETCH(QByteArray, codec);
    QFETCH(QByteArray, mark);
    QFETCH(QByteArray, declaration);
    QFETCH(bool, readBack);
    const QString text = QString::fromUtf8(declaration) + QString::fromUtf8(R"(
<zelmlcfg version="2.0.0">
    <verticalcontainer>
        <spinbox define="LEVEL" header="cfg.h" range="0;100" default="42" label="Größe é ü ß"/>
    </verticalcontainer>
</zelmlcfg>
)");
    QTextCodec *encoding = QTextCodec::codecForName(codec);
    QVERIFY(encoding);
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QByteArray bytes = mark + encoding->fromUnicode(text.constData(), text.size(), &state);
    write("encoded.xml", bytes);
    write("sign.script", "SIGN(" + path("encoded.xml").toUtf8() + ")\nEXIT(2)\n");

    const ProgramRun signing = run({"-q", "-b" + path("sign.script")});
    QVERIFY(signing.finished);
    QVERIFY2(signing.exitCode == 0, qPrintable(signing.stdErr));
    QFile file(path("encoded.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray signedBytes = file.readAll();
    QVERIFY(signedBytes.startsWith(mark));
    const QString signedText = encoding->toUnicode(signedBytes.mid(mark.size()));
    QVERIFY2(signedText.contains(QString::fromUtf8("Größe é ü ß")), qPrintable(signedText));
    QVERIFY(signedText.contains("<checksum>"));
    QVERIFY(!signedText.contains(QString(64, '0')));

    // The program reads its own signature back.
    if (!readBack)
        return;
    const ProgramRun reading = run({path("encoded.xml"), "-q", "-g"});
    QVERIFY(reading.finished);
    QVERIFY2(reading.exitCode == 0, qPrintable(reading.stdErr));
    QVERIFY2(!reading.stdErr.contains("manipulated"), qPrintable(reading.stdErr));
    QVERIFY2(!reading.stdErr.contains("No checksum"), qPrintable(reading.stdErr));
}

// ---------------------------------------------------------------------------
// Writes cut short

void TestFileWrites::shortWritesLeaveTheOldFile_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("target");

    QTest::newRow("SAVE") << QStringList{"SAVE(old.qlmp)"} << "old.qlmp";
    QTest::newRow("EXPORT") << QStringList{"EXPORT"} << "cfg.h";
    QTest::newRow("SIGN") << QStringList{"SIGN(WORK/other.xml)"} << "other.xml";
    QTest::newRow("GENERATEXMLFROMSVD") << QStringList{"GENERATEXMLFROMSVD(big.svd, 1)"} << "big_Generated.xml";
}

void TestFileWrites::shortWritesLeaveTheOldFile()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, target);
    // Old files of their kind.
    const QByteArray padding = "<!--" + QByteArray(6000, 'x') + "-->\n";
    write("old.qlmp", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<qlmpxml version=\"2.5.0\">\r\n" + padding
                          + "</qlmpxml>");
    write("cfg.h", oldHeader);
    write("other.xml", QByteArray(panelText).replace("</zelmlcfg>", padding + "</zelmlcfg>"));
    write("big_Generated.xml", panelText);
    QByteArray svd = "<device><name>BIG</name><peripherals><peripheral><name>P</name><registers>";
    for (int i = 0; i < 60; ++i)
        svd += "<register><name>R" + QByteArray::number(i) + "</name><addressOffset>" + QByteArray::number(4 * i)
            + "</addressOffset><size>32</size></register>";
    write("big.svd", svd + "</registers></peripheral></peripherals></device>");
    lines.replaceInStrings("WORK", path(QString()).chopped(1));
    write("run.script", (lines + QStringList{"EXIT(2)"}).join("\n").toUtf8() + "\n");

    QFile old(path(target));
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray oldBytes = old.readAll();
    old.close();

    // No file may grow: every write here is cut short.
    const ProgramRun result = run({path("panel.xml"), "-q", "-b" + path("run.script")},
                                  QStringLiteral("trap '' XFSZ; ulimit -f 0"));
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode >= 1, qPrintable(result.stdErr));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), oldBytes);
}

// ---------------------------------------------------------------------------
// Where a write leads

void TestFileWrites::writesThroughSymbolicLinks_data()
{
    QTest::addColumn<QByteArray>("panel");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("link");    // in work/
    QTest::addColumn<QString>("target");  // in elsewhere/, relative to the link's folder
    QTest::addColumn<QString>("victim");  // the file elsewhere that must stay

    QTest::newRow("header that is a link into another folder")
        << panelText << QStringList{"-g"} << "cfg.h" << "../elsewhere/cfg.h" << "elsewhere/cfg.h";
    QTest::newRow("header that is a dangling link into another folder")
        << panelText << QStringList{"-g"} << "cfg.h" << "../elsewhere/new.h" << "elsewhere/new.h";
    QTest::newRow("header through a linked folder")
        << subfolderPanel << QStringList{"-g"} << "inc" << "../elsewhere" << "elsewhere/cfg.h";
    QTest::newRow("project that is a link into another folder")
        << panelText << QStringList{"-sWORK/out.qlmp"} << "out.qlmp" << "../elsewhere/out.qlmp"
        << "elsewhere/out.qlmp";
}

void TestFileWrites::writesThroughSymbolicLinks()
{
    QFETCH(QByteArray, panel);
    QFETCH(QStringList, options);
    QFETCH(QString, link);
    QFETCH(QString, target);
    QFETCH(QString, victim);
    write("panel.xml", panel);
    const QString victimPath = m_dir->filePath(victim);
    if (!victim.endsWith("new.h")) {
        QFile file(victimPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(victim.endsWith(".qlmp") ? "<?xml version=\"1.0\"?><qlmpxml/>" : oldHeader.constData());
    }
    QVERIFY(QFile::link(target, path(link)));
    const QByteArray before = QFile::exists(victimPath) ? [&] {
        QFile file(victimPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }() : QByteArray();

    options.replaceInStrings("WORK", path(QString()).chopped(1));
    const ProgramRun result = run(QStringList{path("panel.xml"), "-q"} + options);
    QVERIFY2(result.finished, "the run did not end by itself");
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.stdErr.contains("outside the folder"), qPrintable(result.stdErr));
    if (before.isNull()) {
        QVERIFY(!QFile::exists(victimPath));
    } else {
        QFile file(victimPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }
}

// ---------------------------------------------------------------------------
// SVD files

void TestFileWrites::damagedSvdFailsUnattendedRuns_data()
{
    QTest::addColumn<QByteArray>("svd");
    QTest::addColumn<QString>("option");

    const QByteArray cut = goodSvd.left(goodSvd.size() / 2);
    QTest::newRow("-g, SVD cut short") << cut << "-g";
    QTest::newRow("-s, SVD cut short") << cut << "-sWORK/panel.qlmp";
    QTest::newRow("-x, SVD cut short") << cut << "-x";
    QTest::newRow("-g, SVD not well-formed") << QByteArray(goodSvd).replace("</registers>", "</register>") << "-g";
    QTest::newRow("-g, empty SVD") << QByteArray() << "-g";
    QTest::newRow("-s, empty SVD") << QByteArray() << "-sWORK/panel.qlmp";
}

void TestFileWrites::damagedSvdFailsUnattendedRuns()
{
    QFETCH(QByteArray, svd);
    QFETCH(QString, option);
    write("panel.xml", svdPanel);
    write("chip.svd", svd);
    write("cfg.h", oldHeader);
    write("panel.qlmp", "<?xml version=\"1.0\"?><qlmpxml><XmlFile>panel.xml</XmlFile></qlmpxml>");
    const QMap<QString, QByteArray> before = contents();

    const ProgramRun result = run({path("panel.xml"), "-q", option.replace("WORK", path(QString()).chopped(1))});
    QVERIFY2(result.finished, "the run did not end by itself");
    QCOMPARE(result.exitCode, 1);
    // The console link leads into the SVD file.
    QVERIFY2(result.stdErr.contains("chip.svd"), qPrintable(result.stdErr));
    QCOMPARE(contents(), before);
}

void TestFileWrites::oversizedSvdEndsWithAnError_data()
{
    QTest::addColumn<QStringList>("arguments"); // PANEL and SCRIPT stand for the files
    QTest::newRow("-g on a panel bound to it") << QStringList{"PANEL", "-q", "-g"};
    QTest::newRow("generated from it") << QStringList{"-q", "-bSCRIPT"};
}

void TestFileWrites::oversizedSvdEndsWithAnError()
{
    QFETCH(QStringList, arguments);
    const QByteArray bomb = svdBomb();
    QVERIFY(bomb.size() < 24 * 1024);
    write("panel.xml", svdPanel);
    write("chip.svd", bomb);
    write("cfg.h", oldHeader);
    write("run.script", "GENERATEXMLFROMSVD(chip.svd, 1)\nEXIT(2)\n");
    arguments.replaceInStrings("PANEL", path("panel.xml"));
    arguments.replaceInStrings("SCRIPT", path("run.script"));
    const QMap<QString, QByteArray> before = contents();

    // Far less memory than the expansion would take; an error, not a signal.
    const ProgramRun result = run(arguments, QStringLiteral("ulimit -v 2000000"));
    QVERIFY2(result.finished, "the run did not end by itself");
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.stdErr.contains("more than 1048576 registers and fields"), qPrintable(result.stdErr));
    QVERIFY2(result.stdErr.contains("chip.svd"), qPrintable(result.stdErr));
    QCOMPARE(contents(), before);
}

// ---------------------------------------------------------------------------
// Headers refused

void TestFileWrites::everyHeaderRefusedFailsTheRun()
{
    write("panel.xml", QByteArray(panelText).replace("header=\"cfg.h\"", "header=\"../cfg.h\""));
    const ProgramRun result = run({path("panel.xml"), "-q", "-g"});
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.stdErr.contains("No header file is written"), qPrintable(result.stdErr));
    QVERIFY(!QFile::exists(m_dir->filePath("cfg.h")));
}

// ---------------------------------------------------------------------------
// Project files

void TestFileWrites::projectFilesAreRecognisedByTheirContent_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray body = "<qlmpxml version=\"2.5.0\">\n<XmlFile>panel.xml</XmlFile>\n<ActiveElements>\n"
                            "<SpinBox><define>LEVEL</define><value>7</value></SpinBox>\n"
                            "</ActiveElements>\n</qlmpxml>\n";
    QTest::newRow("declaration in single quotes") << "<?xml version='1.0' encoding='UTF-8'?>\n" + body;
    QTest::newRow("no declaration") << body;
    QTest::newRow("a blank first line") << "\n<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body;
    QTest::newRow("CR line ends") << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body).replace('\n', '\r');
    QTest::newRow("CR LF line ends")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body).replace("\n", "\r\n");
    const QString text = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n" + QString::fromUtf8(body);
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    QTest::newRow("UTF-16 with its mark")
        << QByteArray("\xFF\xFE") + QTextCodec::codecForName("UTF-16LE")->fromUnicode(text.constData(), text.size(),
                                                                                      &state);
}

void TestFileWrites::projectFilesAreRecognisedByTheirContent()
{
    QFETCH(QByteArray, bytes);
    write("old.qlmp", bytes);
    const ProgramRun result = run({path("old.qlmp"), "-q", "-g"});
    QVERIFY(result.finished);
    QVERIFY2(result.exitCode == 0, qPrintable(result.stdErr));
    QVERIFY2(!result.stdErr.contains("Config_File"), qPrintable(result.stdErr));
    QFile header(path("cfg.h"));
    QVERIFY(header.open(QIODevice::ReadOnly));
    const QByteArray written = header.readAll();
    QVERIFY2(written.contains("#define LEVEL (0x7)"), written.constData());
}

// ---------------------------------------------------------------------------
// Table files

namespace {

QByteArray projectOf(const QByteArray &panel, const QByteArray &entries)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<qlmpxml version=\"2.5.0\">\r\n<XmlFile>" + panel
        + "</XmlFile>\r\n<XmlVersion>V1.2.3</XmlVersion>\r\n<ActiveElements>\r\n" + entries
        + "</ActiveElements>\r\n</qlmpxml>\r\n";
}

const QByteArray tableEntry = "<Table><define>SEQ</define><value>R,0,0,1,0,;</value></Table>\r\n";
const QByteArray spinEntry = "<SpinBox><define>LEVEL</define><value>7</value><dispValue>7</dispValue></SpinBox>\r\n";

} // namespace

// A table file is the project layout with one Table entry and nothing else;
// SAVETABLE writes a new file or replaces such a file, never a project.
void TestFileWrites::tablesReplaceOnlyTableFiles_data()
{
    QTest::addColumn<QByteArray>("existing"); // empty: no file yet
    QTest::addColumn<bool>("written");

    QTest::newRow("over another panel's project") << projectOf("other.xml", spinEntry) << false;
    QTest::newRow("over the loaded panel's own project")
        << projectOf("panel.xml", "<CheckBox><define>ENABLE</define><value>1</value></CheckBox>\r\n" + spinEntry
                                      + tableEntry)
        << false;
    QTest::newRow("over a project of a table and one more entry") << projectOf("panel.xml", tableEntry + spinEntry)
                                                                  << false;
    QTest::newRow("over a project without elements") << projectOf("panel.xml", QByteArray()) << false;
    QTest::newRow("over a table file cut short") << projectOf("panel.xml", tableEntry).left(150) << false;
    QTest::newRow("over a table file") << projectOf("panel.xml", tableEntry) << true;
    QTest::newRow("over a table file of another panel") << projectOf("other.xml", tableEntry) << true;
    QTest::newRow("a new file") << QByteArray() << true;
}

void TestFileWrites::tablesReplaceOnlyTableFiles()
{
    QFETCH(QByteArray, existing);
    QFETCH(bool, written);
    if (!existing.isEmpty())
        write("rows.qlmp", existing);
    write("run.script", "SAVETABLE(SEQ, " + path("rows.qlmp").toUtf8() + ")\nEXIT(2)\n");
    const QMap<QString, QByteArray> before = contents();

    const ProgramRun result = run({path("panel.xml"), "-q", "-b" + path("run.script")});
    QVERIFY2(result.finished, "the run did not end by itself");
    QFile file(path("rows.qlmp"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    if (written) {
        QVERIFY2(result.exitCode == 0, qPrintable(result.stdErr));
        QVERIFY2(after != existing && after.contains("<define>SEQ</define>"), after.constData());
        QCOMPARE(after.count("<Table>"), 1);
    } else {
        QVERIFY2(result.exitCode >= 1, qPrintable(result.stdErr));
        QVERIFY2(result.stdErr.contains("not a table file"), qPrintable(result.stdErr));
        QCOMPARE(contents(), before);
    }
}

// ---------------------------------------------------------------------------
// Logs

// -o and -c are checked before anything is opened: never the file argument,
// the panel a project argument names, the -b script; a refused log fails the
// run with 1 and leaves every file as it was. An earlier log, a new file, a
// character device are fine.
void TestFileWrites::logsNeverReplaceWhatTheRunReads_data()
{
    QTest::addColumn<QString>("file");     // the file argument
    QTest::addColumn<QString>("option");   // the log option and its file
    QTest::addColumn<bool>("refused");

    QTest::newRow("-o onto the script") << "panel.xml" << "-oWORK/run.script" << true;
    QTest::newRow("-c onto the script") << "panel.xml" << "-cWORK/run.script" << true;
    QTest::newRow("-o onto the panel") << "panel.xml" << "-oWORK/panel.xml" << true;
    QTest::newRow("-c onto the panel") << "panel.xml" << "-cWORK/panel.xml" << true;
    QTest::newRow("-c onto the panel through a link") << "panel.xml" << "-cWORK/panel-link.xml" << true;
    QTest::newRow("-o onto the project argument") << "old.qlmp" << "-oWORK/old.qlmp" << true;
    QTest::newRow("-c onto the panel the project names") << "old.qlmp" << "-cWORK/panel.xml" << true;
    QTest::newRow("-o onto another script") << "panel.xml" << "-oWORK/other.script" << true;
    QTest::newRow("-c onto a header") << "panel.xml" << "-cWORK/old.h" << true;
    QTest::newRow("-o onto another project") << "panel.xml" << "-oWORK/other.qlmp" << true;
    QTest::newRow("-o onto a folder") << "panel.xml" << "-oWORK/sub" << true;
    QTest::newRow("-o onto an earlier log") << "panel.xml" << "-oWORK/earlier.log" << false;
    QTest::newRow("-c onto an earlier log") << "panel.xml" << "-cWORK/earlier.log" << false;
    QTest::newRow("-o onto a new file") << "panel.xml" << "-oWORK/new.log" << false;
    QTest::newRow("-c onto a character device") << "panel.xml" << "-c/dev/null" << false;
}

void TestFileWrites::logsNeverReplaceWhatTheRunReads()
{
    QFETCH(QString, file);
    QFETCH(QString, option);
    QFETCH(bool, refused);
    write("old.qlmp", projectOf("panel.xml", spinEntry));
    write("other.qlmp", projectOf("panel.xml", spinEntry));
    write("run.script", "// the run ran\nEXIT(2)\n");
    write("other.script", "// setup\nSETOUTPUTOPTIONS(1,)\nLOAD(x.qlmp)\nEND\n");
    write("old.h", oldHeader);
    write("earlier.log", "Assert(LEVEL(42) == 42) OK\n");
    QVERIFY(QDir(path(QString())).mkpath("sub"));
    QVERIFY(QFile::link("panel.xml", path("panel-link.xml")));
    const QMap<QString, QByteArray> before = contents();

    option.replace("WORK", path(QString()).chopped(1));
    // No other -c: the option is the run's only log of its kind.
    const ProgramRun result = runProgram(QStringLiteral(QUILLMATE_BINARY),
                                         {path(file), "-q", "-b" + path("run.script"), option}, path(QString()),
                                         m_dir->filePath("config"));
    QVERIFY2(result.finished, "the run did not end by itself");
    if (refused) {
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.stdErr.contains("Cannot write the log file"), qPrintable(result.stdErr));
        QVERIFY2(!result.stdErr.contains("the run ran"), qPrintable(result.stdErr)); // nothing ran
        QCOMPARE(contents(), before);
    } else {
        QVERIFY2(result.exitCode == 0, qPrintable(result.stdErr));
        const QString log = option.mid(2);
        if (log.startsWith(path(QString()))) {
            QFile written(log);
            QVERIFY(written.open(QIODevice::ReadOnly));
            const QByteArray text = written.readAll();
            // Emptied, then written: the -o log gets the script's comments.
            QVERIFY2(!text.contains("Assert(LEVEL(42) == 42) OK"), text.constData());
            QVERIFY2(option.startsWith("-c") ? !text.isEmpty() : text.contains("the run ran"), text.constData());
        }
    }
}

// ---------------------------------------------------------------------------
// Relative names

// A relative name is the current folder's, taken once: the save moving the
// working folder into sub/ must not make it sub/sub/.
void TestFileWrites::relativeNamesAreTakenOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer"); // to the Save-as question
    QTest::newRow("SAVESORTED") << "SAVESORTED(sub/x.qlmp)" << QString();
    QTest::newRow("SAVE") << "SAVE(sub/x.qlmp)" << QString();
    // EXIT(1) saves the project; without a name it asks for one.
    QTest::newRow("a relative Save-as answer") << "EXIT(1)" << "sub/x.qlmp";
}

void TestFileWrites::relativeNamesAreTakenOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QVERIFY(QDir(path(QString())).mkpath("sub/sub"));
    const QByteArray other = projectOf("other.xml", spinEntry);
    write("sub/sub/x.qlmp", other);
    write("run.script", command.toUtf8() + "\nEXIT(2)\n");

    const ProgramRun result = runProgram(QStringLiteral(QUILLMATE_BINARY),
                                         {path("panel.xml"), "-q", "-b" + path("run.script")}, path(QString()),
                                         m_dir->filePath("config"), 30000, [&](QProcessEnvironment &environment) {
                                             if (!answer.isEmpty())
                                                 environment.insert("QUILLMATE_PROMPT_ANSWERS", answer);
                                         });
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode == 0, qPrintable(result.stdErr));
    QFile written(path("sub/x.qlmp"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    QVERIFY(written.readAll().contains("<XmlFile>panel.xml</XmlFile>"));
    QFile untouched(path("sub/sub/x.qlmp"));
    QVERIFY(untouched.open(QIODevice::ReadOnly));
    QCOMPARE(untouched.readAll(), other);
}

// ---------------------------------------------------------------------------
// FIFOs and other files that are not regular

// Every save onto a FIFO is refused without the FIFO being opened (which
// would wait for a writer for ever); CHECKXSD of a FIFO ends as well.
void TestFileWrites::nonRegularTargetsAreRefusedAtOnce_data()
{
    QTest::addColumn<QString>("fifo");
    QTest::addColumn<QStringList>("arguments"); // WORK: the work folder
    QTest::addColumn<QStringList>("lines");     // of the -b script, when there is one
    QTest::addColumn<QString>("stdErrContains");

    const QString notRegular = "it is not a regular file";
    const QStringList batch{"WORK/panel.xml", "-q", "-bWORK/run.script"};
    QTest::newRow("SAVE") << "fifo.qlmp" << batch << QStringList{"SAVE(fifo.qlmp)"} << notRegular;
    QTest::newRow("SAVESORTED") << "fifo.qlmp" << batch << QStringList{"SAVESORTED(fifo.qlmp)"} << notRegular;
    QTest::newRow("SAVETABLE") << "fifo.qlmp" << batch << QStringList{"SAVETABLE(SEQ, WORK/fifo.qlmp)"} << notRegular;
    QTest::newRow("SIGN") << "fifo.xml" << batch << QStringList{"SIGN(WORK/fifo.xml)"} << notRegular;
    QTest::newRow("EXPORT") << "cfg.h" << batch << QStringList{"EXPORT"} << notRegular;
    QTest::newRow("GENERATEXMLFROMSVD") << "good_Generated.xml" << batch
                                        << QStringList{"GENERATEXMLFROMSVD(good.svd, 1)"} << notRegular;
    QTest::newRow("CHECKXSD") << "fifo.xml" << batch << QStringList{"CHECKXSD(WORK/fifo.xml)"}
                              << "Not a regular file";
    QTest::newRow("-g onto a header") << "cfg.h" << QStringList{"WORK/panel.xml", "-q", "-g"} << QStringList()
                                      << notRegular;
    QTest::newRow("-s") << "fifo.qlmp" << QStringList{"WORK/panel.xml", "-q", "-sWORK/fifo.qlmp"} << QStringList()
                        << notRegular;
}

void TestFileWrites::nonRegularTargetsAreRefusedAtOnce()
{
    QFETCH(QString, fifo);
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, lines);
    QFETCH(QString, stdErrContains);
    write("good.svd", goodSvd);
    QVERIFY(::mkfifo(QFile::encodeName(path(fifo)).constData(), 0600) == 0);
    const QString work = path(QString()).chopped(1);
    lines.replaceInStrings("WORK", work);
    if (!lines.isEmpty())
        write("run.script", (lines + QStringList{"EXIT(2)"}).join("\n").toUtf8() + "\n");
    arguments.replaceInStrings("WORK", work);

    const ProgramRun result = run(arguments);
    QVERIFY2(result.finished, "the run waited on the FIFO");
    // A schema check reports what it finds and fails nothing.
    if (!lines.join(QString()).startsWith("CHECKXSD"))
        QVERIFY2(result.exitCode >= 1, qPrintable(result.stdErr));
    QVERIFY2(result.stdErr.contains(stdErrContains), qPrintable(result.stdErr));
    struct stat status {};
    QVERIFY(::lstat(QFile::encodeName(path(fifo)).constData(), &status) == 0 && S_ISFIFO(status.st_mode));
}

// ---------------------------------------------------------------------------
// A link swapped in while the program saves

// While a script saves 50 times, a second thread keeps swapping the target's
// name between a file of its own and a link to a file of the same name in
// another folder. Some saves are refused; the file in the other folder is
// never written.
void TestFileWrites::linkSwappedInDuringSavesIsNeverFollowed_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("victimBytes");
    QTest::newRow("project") << "out.qlmp" << "SAVE(out.qlmp)" << projectOf("other.xml", spinEntry);
    QTest::newRow("header") << "cfg.h" << "EXPORT" << oldHeader;
    QTest::newRow("table file") << "out.qlmp" << "SAVETABLE(SEQ, WORK/out.qlmp)" << projectOf("other.xml", tableEntry);
}

void TestFileWrites::linkSwappedInDuringSavesIsNeverFollowed()
{
    QFETCH(QString, target);
    QFETCH(QString, command);
    QFETCH(QByteArray, victimBytes);
    const QString victim = m_dir->filePath("elsewhere/" + target);
    {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(victimBytes);
    }
    write(target, victimBytes);
    command.replace("WORK", path(QString()).chopped(1));
    QStringList lines;
    for (int i = 0; i < 50; ++i)
        lines << command;
    write("run.script", (lines + QStringList{"EXIT(2)"}).join("\n").toUtf8() + "\n");

    // Each swap is one rename: the name is always either a file or a link.
    const QByteArray name = QFile::encodeName(path(target));
    const QByteArray fileTemp = QFile::encodeName(path(".swap-file"));
    const QByteArray linkTemp = QFile::encodeName(path(".swap-link"));
    const QByteArray linkTarget = QFile::encodeName("../elsewhere/" + target);
    std::atomic<bool> stop{false};
    std::atomic<int> swaps{0};
    std::thread swapper([&] {
        while (!stop.load()) {
            ::unlink(linkTemp.constData());
            if (::symlink(linkTarget.constData(), linkTemp.constData()) == 0
                && ::rename(linkTemp.constData(), name.constData()) == 0)
                ++swaps;
            std::this_thread::sleep_for(std::chrono::microseconds(300));
            QFile file(QFile::decodeName(fileTemp));
            if (file.open(QIODevice::WriteOnly)) {
                file.write(victimBytes);
                file.close();
                if (::rename(fileTemp.constData(), name.constData()) == 0)
                    ++swaps;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    const ProgramRun result = run({path("panel.xml"), "-q", "-b" + path("run.script")});
    stop = true;
    swapper.join();
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY(swaps.load() > 10);
    QFile file(victim);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), victimBytes);
    struct stat status {};
    QVERIFY(::lstat(QFile::encodeName(victim).constData(), &status) == 0 && S_ISREG(status.st_mode));
}

// ---------------------------------------------------------------------------
// A log named by the script

// SETOUTPUTOPTIONS checks its log against what is loaded when it runs: the
// panel, the project, the running scripts, and files of those kinds. A
// refused log is reported, counts as a script error and changes nothing.
void TestFileWrites::scriptLogsNeverReplaceWhatIsLoaded_data()
{
    QTest::addColumn<QString>("file"); // the file argument
    QTest::addColumn<QString>("log");
    QTest::addColumn<bool>("refused");
    QTest::newRow("the loaded panel") << "panel.xml" << "WORK/panel.xml" << true;
    QTest::newRow("the loaded project") << "old.qlmp" << "WORK/old.qlmp" << true;
    QTest::newRow("the running script") << "panel.xml" << "WORK/run.script" << true;
    QTest::newRow("a header") << "panel.xml" << "WORK/old.h" << true;
    QTest::newRow("another panel") << "panel.xml" << "WORK/other.xml" << true;
    QTest::newRow("a new log") << "panel.xml" << "WORK/run.log" << false;
}

void TestFileWrites::scriptLogsNeverReplaceWhatIsLoaded()
{
    QFETCH(QString, file);
    QFETCH(QString, log);
    QFETCH(bool, refused);
    const QString work = path(QString()).chopped(1);
    log.replace("WORK", work);
    write("old.qlmp", projectOf("panel.xml", spinEntry));
    write("old.h", oldHeader);
    write("other.xml", panelText);
    write("run.script", "SETOUTPUTOPTIONS(1," + log.toUtf8() + ")\n// logged\nEXIT(2)\n");
    const QMap<QString, QByteArray> before = contents();

    const ProgramRun result = run({path(file), "-q", "-b" + path("run.script")});
    QVERIFY2(result.finished, "the run did not end by itself");
    if (refused) {
        QVERIFY2(result.exitCode >= 1, qPrintable(result.stdErr));
        QVERIFY2(result.stdErr.contains("Cannot write the log file"), qPrintable(result.stdErr));
        QCOMPARE(contents(), before);
    } else {
        QVERIFY2(result.exitCode == 0, qPrintable(result.stdErr));
        QVERIFY(QFileInfo(log).isFile());
    }
}

QTEST_GUILESS_MAIN(TestFileWrites)
#include "tst_filewrites.moc"
