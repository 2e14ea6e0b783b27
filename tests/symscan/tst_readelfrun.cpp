// How ELFReader::Read runs readelf: which program, with which arguments and
// environment, what a missing, slow, failing or crashing readelf gives, and
// that nothing is written to the current directory. Stand-in readelf
// programs are small shell scripts that record what they were given.

#include "elfreader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Symscan;

namespace {

QString fixturePath(const char *name)
{
    return QStringLiteral(READELF_FIXTURE_DIR "/") + QLatin1String(name);
}

// Sets an environment variable for one scope.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

QList<unsigned long> progressSeen;
void recordProgress(unsigned long percent)
{
    progressSeen << percent;
}

} // namespace

class tst_ReadelfRun : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void missingFileStopsBeforeReadelf();
    void missingReadelfIsAnExecError();
    void argumentsReachReadelfUnchanged_data();
    void argumentsReachReadelfUnchanged();
    void lowerRangesAskForLess();
    void exitStatusIsChecked_data();
    void exitStatusIsChecked();
    void slowReadelfTimesOut();
    void readelfBesideTheProgramComesFirst();
    void writesNothingToTheCurrentDirectory();
    void realReadelfOnOtherFiles();
    void reportsProgress();

private:
    // A stand-in readelf: records its arguments and LC_ALL, then runs body.
    QString fakeReadelf(const QByteArray &body, const QString &where = QString());
    QString elfStandIn(); // any existing file; the stand-ins do not read it

    QTemporaryDir m_dir;
};

void tst_ReadelfRun::init()
{
    QVERIFY(m_dir.isValid());
    QFile::remove(m_dir.filePath(QStringLiteral("args.txt")));
    QFile::remove(m_dir.filePath(QStringLiteral("started")));
}

QString tst_ReadelfRun::fakeReadelf(const QByteArray &body, const QString &where)
{
    const QString path = where.isEmpty() ? m_dir.filePath(QStringLiteral("fake-readelf")) : where;
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    const QByteArray log = QFile::encodeName(m_dir.path());
    script.write("#!/bin/sh\n"
                 "touch '" + log + "/started'\n"
                 "printf '%s\\n' \"$@\" > '" + log + "/args.txt'\n"
                 "printf 'LC_ALL=%s\\n' \"$LC_ALL\" >> '" + log + "/args.txt'\n"
                 + body + "\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return path;
}

QString tst_ReadelfRun::elfStandIn()
{
    const QString path = m_dir.filePath(QStringLiteral("firmware.elf"));
    QFile file(path);
    if (!file.exists() && file.open(QIODevice::WriteOnly))
        file.write("\x7f" "ELF");
    return path;
}

void tst_ReadelfRun::missingFileStopsBeforeReadelf()
{
    ELFReader reader;
    reader.SetReadelfProgram(fakeReadelf("cat '" + QFile::encodeName(fixturePath("firmware32.txt")) + "'"));
    QCOMPARE(reader.Read(QFile::encodeName(m_dir.filePath(QStringLiteral("missing.elf"))).constData()),
             unsigned(CLog::CantOpenBinaryFile));
    QCOMPARE(reader.Read(""), unsigned(CLog::CantOpenBinaryFile));
    QCOMPARE(reader.Read(nullptr), unsigned(CLog::CantOpenBinaryFile));
    QCOMPARE(reader.Read(QFile::encodeName(m_dir.path()).constData()), unsigned(CLog::CantOpenBinaryFile));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("started"))));
}

void tst_ReadelfRun::missingReadelfIsAnExecError()
{
    ELFReader reader;
    reader.SetReadelfProgram(m_dir.filePath(QStringLiteral("no/such/readelf")));
    QCOMPARE(reader.Read(QFile::encodeName(elfStandIn()).constData()), unsigned(CLog::ExecCommandError));
    unsigned long address, size;
    QCOMPARE(reader.GetAddress("counter", address, size), unsigned(CLog::NoDwarfInfo));

    // A file that is there but cannot be run.
    QFile notRunnable(m_dir.filePath(QStringLiteral("not-runnable")));
    QVERIFY(notRunnable.open(QIODevice::WriteOnly));
    notRunnable.close();
    reader.SetReadelfProgram(notRunnable.fileName());
    QCOMPARE(reader.Read(QFile::encodeName(elfStandIn()).constData()), unsigned(CLog::ExecCommandError));
}

void tst_ReadelfRun::argumentsReachReadelfUnchanged_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain") << QStringLiteral("plain.elf");
    QTest::newRow("blanks") << QStringLiteral("with some blanks.elf");
    QTest::newRow("leading dash") << QStringLiteral("-H.elf");
    QTest::newRow("shell characters") << QStringLiteral("q\"uote'$(touch injected);x`y`.elf");
    QTest::newRow("non-ASCII") << QStringLiteral("fürmware.elf");
}

void tst_ReadelfRun::argumentsReachReadelfUnchanged()
{
    QFETCH(QString, fileName);
    // Relative to the current directory, as the program passes it.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    ELFReader reader;
    reader.SetReadelfProgram(fakeReadelf("cat '" + QFile::encodeName(fixturePath("firmware32.txt")) + "'"));
    const unsigned int result = reader.Read(QFile::encodeName(fileName).constData());
    QDir::setCurrent(previous);
    QCOMPARE(result, 0u);

    QFile args(m_dir.filePath(QStringLiteral("args.txt")));
    QVERIFY(args.open(QIODevice::ReadOnly));
    const QStringList got = QString::fromUtf8(args.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(got, (QStringList{QStringLiteral("-a"), QStringLiteral("-wi"), QStringLiteral("-wN"), QStringLiteral("--"),
                               fileName, QStringLiteral("LC_ALL=C")}));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("injected"))));
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.GetAddress("counter", address, size), 0u);
    QCOMPARE(address, 0x20000010ul);
}

void tst_ReadelfRun::lowerRangesAskForLess()
{
    ELFReader reader;
    reader.SetReadelfProgram(fakeReadelf("cat '" + QFile::encodeName(fixturePath("firmware32.txt")) + "'"));
    QCOMPARE(reader.Read(QFile::encodeName(elfStandIn()).constData(), RangeSymbols), 0u);
    QFile args(m_dir.filePath(QStringLiteral("args.txt")));
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(args.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(0, 2),
             (QStringList{QStringLiteral("-a"), QStringLiteral("--")}));
    QCOMPARE(reader.symbols.size(), size_t(4));
    QVERIFY(!reader.root());
}

void tst_ReadelfRun::exitStatusIsChecked_data()
{
    const QByteArray text = "cat '" + QFile::encodeName(fixturePath("firmware32.txt")) + "'";
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<uint>("code");
    QTest::newRow("success") << text << 0u;
    QTest::newRow("noise on standard error") << QByteArray("echo 'readelf: Warning: odd' >&2\n") + text << 0u;
    QTest::newRow("not an ELF file") << QByteArray("echo 'readelf: Error: Not an ELF file' >&2; exit 1") << 13u;
    QTest::newRow("failure after the header") << text + "\nexit 2" << 7u;
    QTest::newRow("crash") << text + "\nkill -SEGV $$" << 7u;
    QTest::newRow("exit 0 without ELF text") << QByteArray("echo hello") << 13u;
}

void tst_ReadelfRun::exitStatusIsChecked()
{
    QFETCH(QByteArray, body);
    QFETCH(uint, code);
    ELFReader reader;
    reader.SetReadelfProgram(fakeReadelf(body));
    QCOMPARE(reader.Read(QFile::encodeName(elfStandIn()).constData()), code);
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.GetAddress("counter", address, size), code == 0 ? 0u : unsigned(CLog::NoDwarfInfo));
}

void tst_ReadelfRun::slowReadelfTimesOut()
{
    ELFReader reader;
    reader.SetTimeout(500);
    const QByteArray bodies[] = {
        "exec sleep 30",
        "head -c 3000 '" + QFile::encodeName(fixturePath("firmware32.txt")) + "'\nexec sleep 30",
    };
    for (const QByteArray &body : bodies) {
        reader.SetReadelfProgram(fakeReadelf(body));
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(reader.Read(QFile::encodeName(elfStandIn()).constData()), unsigned(CLog::ExecCommandError));
        QVERIFY2(timer.elapsed() < 10000, "the time-out was not kept");
        QVERIFY(!reader.isElf);
    }
}

void tst_ReadelfRun::readelfBesideTheProgramComesFirst()
{
    QTemporaryDir programDir;
    QVERIFY(programDir.isValid());
    {
        ScopedEnvironment appDir("QUILLMATE_APPDIR", QFile::encodeName(programDir.path()));
        ELFReader reader;
        const QString fromPath = QStandardPaths::findExecutable(QStringLiteral("readelf"));
        QCOMPARE(reader.ReadelfProgram(), fromPath);
        QVERIFY(fromPath.isEmpty() || QFileInfo(fromPath).isAbsolute());

        QVERIFY(QDir(programDir.path()).mkdir(QStringLiteral("Utils")));
        const QString beside = fakeReadelf("cat '" + QFile::encodeName(fixturePath("firmware32.txt")) + "'",
                                           programDir.filePath(QStringLiteral("Utils/readelf")));
        QCOMPARE(reader.ReadelfProgram(), beside);
        QCOMPARE(reader.Read(QFile::encodeName(elfStandIn()).constData()), 0u);
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("started"))));

        // A program set on the reader wins, and is made absolute.
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        reader.SetReadelfProgram(QStringLiteral("fake-readelf"));
        const QString made = reader.ReadelfProgram();
        QDir::setCurrent(previous);
        QCOMPARE(made, m_dir.filePath(QStringLiteral("fake-readelf")));
    }
}

void tst_ReadelfRun::writesNothingToTheCurrentDirectory()
{
    QTemporaryDir workDir;
    QVERIFY(workDir.isValid());
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workDir.path()));
    ELFReader reader;
    reader.SetReadelfProgram(fakeReadelf("cat '" + QFile::encodeName(fixturePath("firmware32.txt")) + "'"));
    const unsigned int result = reader.Read(QFile::encodeName(elfStandIn()).constData());
    QDir::setCurrent(previous);
    QCOMPARE(result, 0u);
    QVERIFY(QDir(workDir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
}

void tst_ReadelfRun::realReadelfOnOtherFiles()
{
    ELFReader reader;
    if (reader.ReadelfProgram().isEmpty())
        QSKIP("readelf is not installed");
    QCOMPARE(reader.Read(QFile::encodeName(fixturePath("firmware32.txt")).constData()), unsigned(CLog::NoElfFile));

    // A stripped program: sections and symbols of its own, no tree.
    const QString program = QStandardPaths::findExecutable(QStringLiteral("readelf"));
    QCOMPARE(reader.Read(QFile::encodeName(program).constData(), RangeSections), 0u);
    QVERIFY(reader.isElf);
    QVERIFY(reader.numSections > 5);
    QVERIFY(reader.symbols.empty());
    unsigned long address, size;
    QCOMPARE(reader.GetAddress("main", address, size), unsigned(CLog::NoDwarfInfo));
}

void tst_ReadelfRun::reportsProgress()
{
    ELFReader reader;
    reader.SetReadelfProgram(fakeReadelf("cat '" + QFile::encodeName(fixturePath("firmware32.txt")) + "'"));
    progressSeen.clear();
    reader.SetProgressCallback(recordProgress);
    QCOMPARE(reader.Read(QFile::encodeName(elfStandIn()).constData()), 0u);
    QVERIFY(progressSeen.size() >= 3);
    QCOMPARE(progressSeen.first(), 0ul);
    QCOMPARE(progressSeen.last(), 100ul);
    for (unsigned long percent : qAsConst(progressSeen))
        QVERIFY(percent <= 100);
}

QTEST_GUILESS_MAIN(tst_ReadelfRun)
#include "tst_readelfrun.moc"
