// Guards the demo output against unintended changes: the real program runs
// headless on a copy of the demo panel, as run.sh does without a display, and
// every file it writes must match the fixture in demo-output byte for byte.
#include "programrun.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class TestDemoOutput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void filesMatchTheFixtures_data();
    void filesMatchTheFixtures();
    void noOtherHeaderIsWritten();

private:
    static QByteArray fileBytes(const QString &path);
    static QString firstDifference(const QByteArray &expected, const QByteArray &actual);

    QTemporaryDir dir;
    QString out; // the folder of the panel copy, the project and the headers
};

static const QStringList goldenFiles{"demo.qlmp",          "demo_clock.h",    "demo_levels.h",
                                     "demo_peripherals.h", "demo_pins.h",     "demo_sequence.h",
                                     "demo_texts.h"};

void TestDemoOutput::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath("config"));
    QVERIFY(QDir(dir.path()).mkpath("out"));
    out = dir.filePath("out");
    for (const char *name : {"demo.xml", "demo_parameters.xml", "demo_catalog.xml", "pins_chip.xml"})
        QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/") + name, QDir(out).filePath(name)));

    // Exactly the headless run of run.sh. Nothing may wait on a dialog: a run
    // that does not end is a failure.
    const ProgramRun run = runProgram(QStringLiteral(QUILLMATE_BINARY),
                                      {"-q", "-c" + QDir(out).filePath("console.log"),
                                       "-s" + QDir(out).filePath("demo.qlmp"), QDir(out).filePath("demo.xml")},
                                      dir.path(), dir.filePath("config"));
    QVERIFY2(run.finished, "the demo run did not end by itself");
    const QByteArray report = run.stdErr.toLocal8Bit() + fileBytes(QDir(out).filePath("console.log"));
    QVERIFY2(run.exitCode == 0, report.constData());
}

void TestDemoOutput::filesMatchTheFixtures_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : goldenFiles)
        QTest::newRow(qPrintable(name)) << name;
}

void TestDemoOutput::filesMatchTheFixtures()
{
    QFETCH(QString, name);
    const QString written = QDir(out).filePath(name);
    QVERIFY2(QFile::exists(written), qPrintable(name + " was not written"));
    const QByteArray expected = fileBytes(QStringLiteral(QUILLMATE_FIXTURES "/demo-output/") + name);
    QVERIFY2(!expected.isEmpty(), qPrintable("the fixture " + name + " is missing or empty"));
    const QByteArray actual = fileBytes(written);
    if (actual != expected)
        QFAIL(qPrintable(name + " differs from its fixture " + firstDifference(expected, actual)));
}

void TestDemoOutput::noOtherHeaderIsWritten()
{
    const QStringList headers = QDir(out).entryList({"*.h"}, QDir::Files, QDir::Name);
    const QStringList expected = goldenFiles.filter(QRegularExpression("\\.h$"));
    QCOMPARE(headers, expected);
}

QByteArray TestDemoOutput::fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Where two texts part, as "in line N:" with both lines; line ends are shown
// escaped, so a lost CR is visible too.
QString TestDemoOutput::firstDifference(const QByteArray &expected, const QByteArray &actual)
{
    const QList<QByteArray> expectedLines = expected.split('\n');
    const QList<QByteArray> actualLines = actual.split('\n');
    const auto shown = [](const QList<QByteArray> &lines, int i) {
        if (i >= lines.size() || (i + 1 == lines.size() && lines.at(i).isEmpty()))
            return QString("(end of file)");
        QByteArray line = lines.at(i);
        line.replace('\r', "\\r");
        return QString::fromUtf8(i + 1 < lines.size() ? line + "\\n" : line);
    };
    int i = 0;
    while (i < expectedLines.size() && i < actualLines.size() && expectedLines.at(i) == actualLines.at(i))
        ++i;
    return QStringLiteral("in line %1:\n   expected: %2\n   actual:   %3")
        .arg(i + 1)
        .arg(shown(expectedLines, i), shown(actualLines, i));
}

QTEST_GUILESS_MAIN(TestDemoOutput)
#include "tst_demooutput.moc"
