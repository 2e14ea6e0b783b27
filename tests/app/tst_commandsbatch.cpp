// Batch runs of the real program with the script commands on files,
// elements, tables, the window and the target: the example script on a copy
// of the examples, and nested scripts that keep the failure count.
#include "programrun.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestCommandsBatch : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exampleScriptPasses();
    void nestedScriptKeepsEarlierFailures();

private:
    QString writeScript(const QString &name, const QStringList &lines);
    QString fileText(const QString &name) const;
    ProgramRun run(const QString &script);
    QTemporaryDir dir;
};

void TestCommandsBatch::initTestCase()
{
    QVERIFY(dir.isValid());
    QDir(dir.path()).mkpath(QStringLiteral("config"));
    for (const char *name : {"demo.xml", "registers.xml", "table_registers.xml", "demo.svd", "commands.script"}) {
        const QString target = dir.filePath(QLatin1String(name));
        QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/") + QLatin1String(name), target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    }
}

QString TestCommandsBatch::writeScript(const QString &name, const QStringList &lines)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(lines.join('\n').toUtf8() + '\n');
    return file.fileName();
}

QString TestCommandsBatch::fileText(const QString &name) const
{
    QFile file(dir.filePath(name));
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString("<none>");
}

ProgramRun TestCommandsBatch::run(const QString &script)
{
    QFile::remove(dir.filePath(QStringLiteral("out.log")));
    const QStringList arguments{dir.filePath(QStringLiteral("demo.xml")), "-b" + script,
                                "-o" + dir.filePath(QStringLiteral("out.log")), "-q"};
    return runProgram(QStringLiteral(QUILLMATE_BINARY), arguments, dir.path(), dir.filePath(QStringLiteral("config")),
                      60000);
}

void TestCommandsBatch::exampleScriptPasses()
{
    const ProgramRun result = run(dir.filePath(QStringLiteral("commands.script")));
    QVERIFY2(result.finished, "the run did not end");
    const QString log = fileText(QStringLiteral("out.log"));
    QVERIFY2(result.exitCode == 0, qPrintable(log + result.stdErr));
    QVERIFY(!log.contains(QLatin1String("FAILED")));
    QCOMPARE(log.count(QLatin1String(" OK\n")), 10);
    QVERIFY(log.contains(QLatin1String("AssertTableValue")));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("commands-demo.qlmp"))));
}

void TestCommandsBatch::nestedScriptKeepsEarlierFailures()
{
    writeScript(QStringLiteral("inner.script"), {"ASSERT(DEMO_PLL_MULT, value, 99)", "SET(DEMO_PLL_MULT, 6)"});
    const QString outer = writeScript(QStringLiteral("outer.script"),
                                      {"ASSERT(DEMO_PLL_MULT, value, 5)", "LOAD(inner.script)",
                                       "ASSERT(DEMO_PLL_MULT, value, 6)", "ASSERT(DEMO_GAIN, value, 0)", "EXIT(2)"});
    const ProgramRun result = run(outer);
    QVERIFY(result.finished);
    // Two failures before and inside the inner script, one after it.
    QCOMPARE(result.exitCode, 3);
}

QTEST_GUILESS_MAIN(TestCommandsBatch)
#include "tst_commandsbatch.moc"
