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
                                                << "not a project file (root element qlmpxml)";
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

QTEST_GUILESS_MAIN(TestFileWrites)
#include "tst_filewrites.moc"
