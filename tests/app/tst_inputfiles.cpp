// Files the program reads, in the forms they come in: panels in four
// encodings with three kinds of line ends, signed and read again; files of
// every kind larger than any file read; a project holding a byte that is not
// text in its encoding. Run as child processes of the real program.
#include "programrun.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

namespace {

// Attributes on lines of their own: a line end dropped joins them
// ("<checkboxdefine=").
const QString signedPanel = QStringLiteral(R"(DECLARATION
<zelmlcfg version="2.0.0">
    <version label="V1.2.3"/>
    <verticalcontainer>
        <checkbox
            define="ENABLE"
            header="cfg.h" default="1"
            label="Größe é ü ß"/>
        <spinbox define="LEVEL" header="cfg.h"
            range="0;100" default="42"/>
    </verticalcontainer>
</zelmlcfg>
)");

// Every line end made LF.
QString withLineFeeds(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// The limit of every file read, 512 MiB, and one byte more.
constexpr qint64 overLimit = 512LL * 1024 * 1024 + 1;

} // namespace

class TestInputFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void signedPanelsStayReadable_data();
    void signedPanelsStayReadable();
    void filesOverTheLimitAreRefused_data();
    void filesOverTheLimitAreRefused();
    void projectWithAnInvalidByteIsKept();

private:
    QString path(const QString &name) const { return m_dir->filePath(QStringLiteral("work/") + name); }
    void write(const QString &name, const QByteArray &bytes);
    QByteArray read(const QString &name) const;
    // Runs the program in the work folder; the console log comes with stderr.
    ProgramRun run(QStringList arguments);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestInputFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath("config"));
    QVERIFY(QDir(m_dir->path()).mkpath("work"));
    write("disclaimer.txt", "/* test */\n");
}

void TestInputFiles::write(const QString &name, const QByteArray &bytes)
{
    QFile file(path(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

QByteArray TestInputFiles::read(const QString &name) const
{
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ProgramRun TestInputFiles::run(QStringList arguments)
{
    const QString log = m_dir->filePath(QStringLiteral("config/console.log"));
    QFile::remove(log);
    arguments << QStringLiteral("-c") + log;
    ProgramRun result =
        runProgram(QStringLiteral(QUILLMATE_BINARY), arguments, path(QString()), m_dir->filePath("config"), 60000);
    QFile console(log);
    if (console.open(QIODevice::ReadOnly))
        result.stdErr += QString::fromUtf8(console.readAll());
    return result;
}

// ---------------------------------------------------------------------------
// Signing

void TestInputFiles::signedPanelsStayReadable_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<QString>("declaration");
    QTest::addColumn<QString>("lineEnd");

    const struct {
        const char *name;
        const char *codec;
        const char *mark;
        const char *declaration;
    } encodings[] = {
        {"UTF-8", "UTF-8", "", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"},
        {"ISO-8859-1", "ISO-8859-1", "", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"},
        {"UTF-16 LE", "UTF-16LE", "\xFF\xFE", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"},
        {"UTF-16 BE", "UTF-16BE", "\xFE\xFF", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"},
    };
    const struct {
        const char *name;
        const char *text;
    } lineEnds[] = {{"LF", "\n"}, {"CR LF", "\r\n"}, {"CR", "\r"}};
    for (const auto &encoding : encodings) {
        for (const auto &lineEnd : lineEnds) {
            QTest::newRow(qPrintable(QStringLiteral("%1, %2").arg(encoding.name, lineEnd.name)))
                << QByteArray(encoding.codec) << QByteArray(encoding.mark) << QString::fromLatin1(encoding.declaration)
                << QString::fromLatin1(lineEnd.text);
        }
    }
}

// Signed, a panel keeps its encoding, byte-order mark and declaration, and
// its text but for its line ends (CR LF now) and the checksum; it gives the
// header it gave before and is read as signed.
void TestInputFiles::signedPanelsStayReadable()
{
    QFETCH(QByteArray, codec);
    QFETCH(QByteArray, mark);
    QFETCH(QString, declaration);
    QFETCH(QString, lineEnd);
    QTextCodec *encoding = QTextCodec::codecForName(codec);
    QVERIFY(encoding);
    const QString text = QString(signedPanel).replace("DECLARATION", declaration).replace("\n", lineEnd);
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    write("panel.xml", mark + encoding->fromUnicode(text.constData(), text.size(), &state));
    QCOMPARE(state.invalidChars, 0);

    // The header the unsigned panel gives.
    const ProgramRun unsignedRun = run({path("panel.xml"), "-q", "-g"});
    QVERIFY2(unsignedRun.finished, "the run did not end by itself");
    QVERIFY2(unsignedRun.exitCode == 0, qPrintable(unsignedRun.stdErr));
    const QByteArray header = read("cfg.h");
    QVERIFY2(header.contains("ENABLE") && header.contains("LEVEL"), header.constData());
    QVERIFY(QFile::remove(path("cfg.h")));

    write("sign.script", "SIGN(" + path("panel.xml").toUtf8() + ")\nEXIT(2)\n");
    const ProgramRun signing = run({"-q", "-b" + path("sign.script")});
    QVERIFY2(signing.finished, "the run did not end by itself");
    QVERIFY2(signing.exitCode == 0, qPrintable(signing.stdErr));
    QVERIFY2(signing.stdErr.contains("Successfully signed"), qPrintable(signing.stdErr));

    const QByteArray signedBytes = read("panel.xml");
    QVERIFY(signedBytes.startsWith(mark));
    QTextCodec::ConverterState decodeState(QTextCodec::IgnoreHeader);
    const QString signedText =
        encoding->toUnicode(signedBytes.constData() + mark.size(), signedBytes.size() - mark.size(), &decodeState);
    QCOMPARE(decodeState.invalidChars, 0);
    // Every line ends in CR LF, no CR or LF stands alone.
    QCOMPARE(signedText.count(QLatin1String("\r\n")), signedText.count(QLatin1Char('\n')));
    QCOMPARE(signedText.count(QLatin1String("\r\n")), signedText.count(QLatin1Char('\r')));
    QVERIFY(signedText.startsWith(declaration + "\r\n"));
    // The text but for the checksum element placed after the root tag.
    QString plain = withLineFeeds(signedText);
    static const QRegularExpression checksumLine(QStringLiteral("\n\t<checksum>([0-9a-f]{64})</checksum>"));
    const QRegularExpressionMatch match = checksumLine.match(plain);
    QVERIFY2(match.hasMatch(), qPrintable(plain));
    // The digest: SHA-256 over the text as UTF-8 with LF line ends, from the
    // checksum's end tag on.
    const QByteArray utf8 = plain.toUtf8();
    const QByteArray covered = utf8.mid(utf8.indexOf("</checksum>"));
    QCOMPARE(match.captured(1).toLatin1(), QCryptographicHash::hash(covered, QCryptographicHash::Sha256).toHex());
    plain.remove(match.capturedStart(), match.capturedLength());
    QCOMPARE(plain, withLineFeeds(text));

    // Read again: the same header, no word of a missing or wrong checksum.
    const ProgramRun signedRun = run({path("panel.xml"), "-q", "-g"});
    QVERIFY2(signedRun.finished, "the run did not end by itself");
    QVERIFY2(signedRun.exitCode == 0, qPrintable(signedRun.stdErr));
    QVERIFY2(!signedRun.stdErr.contains("manipulated"), qPrintable(signedRun.stdErr));
    QVERIFY2(!signedRun.stdErr.contains("No checksum"), qPrintable(signedRun.stdErr));
    QCOMPARE(read("cfg.h"), header);

    // Signed twice, the file stays byte for byte.
    const ProgramRun again = run({"-q", "-b" + path("sign.script")});
    QVERIFY2(again.finished && again.exitCode == 0, qPrintable(again.stdErr));
    QCOMPARE(read("panel.xml"), signedBytes);
}

// ---------------------------------------------------------------------------
// Sizes

void TestInputFiles::filesOverTheLimitAreRefused_data()
{
    // The oversized file is "big" with the given ending; the run's arguments
    // and script name it. exitCode -1: a script error that does not end the
    // run, so only the message and a clean end count.
    QTest::addColumn<QString>("bigFile");
    QTest::addColumn<QByteArray>("panel");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("exitCode");

    const QByteArray plainPanel = R"(<?xml version="1.0" encoding="UTF-8"?>
<zelmlcfg version="2.0.0">
    <verticalcontainer>
        <spinbox define="LEVEL" header="cfg.h" range="0;100" default="42"/>
        <table define="SEQ" numrows="2"/>
        <edit define="HEXFILE" default="WORK/big.hex"/>
    </verticalcontainer>
</zelmlcfg>
)";
    const QByteArray svdPanel = R"(<?xml version="1.0" encoding="UTF-8"?>
<zelmlcfg version="2.0.0">
    <svd file="big.svd"/>
    <verticalcontainer>
        <spinbox define="LEVEL" header="cfg.h" range="0;100" default="42"/>
    </verticalcontainer>
</zelmlcfg>
)";
    const QByteArray pinPanel = R"(<?xml version="1.0" encoding="UTF-8"?>
<zelmlcfg version="2.0.0">
    <pinmapping file="big.xml"/>
    <verticalcontainer>
        <spinbox define="LEVEL" header="cfg.h" range="0;100" default="42"/>
    </verticalcontainer>
</zelmlcfg>
)";

    QTest::newRow("panel, -g") << "big.xml" << plainPanel << QStringList{"BIG", "-q", "-g"} << QByteArray() << 1;
    QTest::newRow("panel, LOAD") << "big.xml" << plainPanel << QStringList{"PANEL", "-q", "-g", "-bSCRIPT"}
                                 << QByteArray("LOAD(big.xml)\n") << -1;
    QTest::newRow("project, -s") << "big.qlmp" << plainPanel << QStringList{"BIG", "-q", "-s"} << QByteArray() << 1;
    QTest::newRow("project, LOAD") << "big.qlmp" << plainPanel << QStringList{"PANEL", "-q", "-g", "-bSCRIPT"}
                                   << QByteArray("LOAD(big.qlmp)\n") << -1;
    QTest::newRow("script, -b") << "big.script" << plainPanel << QStringList{"PANEL", "-q", "-g", "-bBIG"}
                                << QByteArray() << 1;
    QTest::newRow("table, LOADTABLE") << "big.xml" << plainPanel << QStringList{"PANEL", "-q", "-g", "-bSCRIPT"}
                                      << QByteArray("LOADTABLE(SEQ, big.xml)\n") << -1;
    QTest::newRow("HEX, WRITEBSL") << "big.hex" << plainPanel << QStringList{"PANEL", "-q", "-g", "-bSCRIPT"}
                                   << QByteArray("WRITEBSL(HEXFILE)\n") << -1;
    QTest::newRow("SVD of the panel, -g") << "big.svd" << svdPanel << QStringList{"PANEL", "-q", "-g"} << QByteArray()
                                          << 1;
    QTest::newRow("SVD, GENERATEXMLFROMSVD") << "big.svd" << plainPanel << QStringList{"-q", "-bSCRIPT"}
                                             << QByteArray("GENERATEXMLFROMSVD(big.svd, 1)\nEXIT(2)\n") << -1;
    QTest::newRow("pin mapping, -g") << "big.xml" << pinPanel << QStringList{"PANEL", "-q", "-g"} << QByteArray()
                                     << -1;
}

// A sparse file one byte over the limit (no disk space taken) is refused
// before it is read, with its size; the run ends by itself, without a signal.
void TestInputFiles::filesOverTheLimitAreRefused()
{
    QFETCH(QString, bigFile);
    QFETCH(QByteArray, panel);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, script);
    QFETCH(int, exitCode);
    const QByteArray work = path(QString()).chopped(1).toUtf8();
    write("panel.xml", QByteArray(panel).replace("WORK", work));
    {
        QFile big(path(bigFile));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(overLimit));
    }
    if (!script.isEmpty())
        write("run.script", script);
    arguments.replaceInStrings("BIG", path(bigFile));
    arguments.replaceInStrings("PANEL", path("panel.xml"));
    arguments.replaceInStrings("SCRIPT", path("run.script"));

    const ProgramRun result = run(arguments);
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode >= 0, qPrintable(result.stdErr));
    if (exitCode >= 0)
        QVERIFY2(result.exitCode == exitCode, qPrintable(QString::number(result.exitCode) + result.stdErr));
    QVERIFY2(result.stdErr.contains("file too large"), qPrintable(result.stdErr));
    QVERIFY2(result.stdErr.contains(QString::number(overLimit)), qPrintable(result.stdErr));
    QCOMPARE(QFileInfo(path(bigFile)).size(), overLimit);
}

// ---------------------------------------------------------------------------
// Encoding

// A project byte that is not UTF-8 refuses the file, with its line and
// column: the value is not replaced by the element's default, and -s keeps
// the file as it is.
void TestInputFiles::projectWithAnInvalidByteIsKept()
{
    write("panel.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<zelmlcfg version="2.0.0">
    <verticalcontainer>
        <edit define="NAME" header="cfg.h" default="none"/>
        <spinbox define="LEVEL" header="cfg.h" range="0;100" default="42"/>
    </verticalcontainer>
</zelmlcfg>
)");
    const QByteArray project = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<qlmpxml version=\"2.5.0\">\r\n"
                               "    <XmlFile>panel.xml</XmlFile>\r\n    <ActiveElements>\r\n"
                               "        <SpinBox><define>LEVEL</define><value>7</value></SpinBox>\r\n"
                               "        <LineEdit><define>NAME</define><value>Gr\xF6\xDF" "e</value></LineEdit>\r\n"
                               "    </ActiveElements>\r\n</qlmpxml>\r\n";
    write("old.qlmp", project);

    const ProgramRun result = run({path("old.qlmp"), "-q", "-s"});
    QVERIFY2(result.finished, "the run did not end by itself");
    QVERIFY2(result.exitCode == 1, qPrintable(QString::number(result.exitCode) + result.stdErr));
    QCOMPARE(read("old.qlmp"), project);
    QVERIFY(!QFile::exists(path("cfg.h")));
    QVERIFY2(result.stdErr.contains("incorrectly encoded"), qPrintable(result.stdErr));
    // Line 6, the byte after "<value>Gr" (column 49).
    QVERIFY2(result.stdErr.contains("Line 6, column 49"), qPrintable(result.stdErr));
    QVERIFY2(!result.stdErr.contains("manipulated"), qPrintable(result.stdErr));
}

QTEST_GUILESS_MAIN(TestInputFiles)
#include "tst_inputfiles.moc"
