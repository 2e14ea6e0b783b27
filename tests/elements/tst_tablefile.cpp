// Register table files (save, load, load at a row, broken files) and the C
// export, compiled and run with gcc.
#include "elementfixture.h"
#include "panelxml.h"
#include "programversion.h"
#include "table.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// A shell that keeps the working directory the tables set.
class FolderShell : public TestShell
{
public:
    QString folder;
    QString tableWorkingDirectory() const override { return folder; }
    void setTableWorkingDirectory(const QString &dir) override { folder = dir; }
};

class TestTableFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveLoadRoundTripIsByteForByte();
    void fileLayout();
    void loadAtCurrentRow();
    void recordForAnotherTable();
    void mismatchesAreReportedAndRowsLoaded();
    void brokenFilesChangeNoRows_data();
    void brokenFilesChangeNoRows();
    void failedSaveIsReported();
    void commandsUseDialogsAndWorkingDir();
    void randomFilesNeverCrash();

    void exportLines();
    void exportCompilesAndReplaysRows();

private:
    std::unique_ptr<Table> makeTable(const QString &name);
    QByteArray readBytes(const QString &path) const;
    bool compileAndRun(const QString &cCode, QString *output, QString *errors);

    std::unique_ptr<ElementFixture> m_fx;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<Table *> m_registered;
};

void TestTableFile::initTestCase()
{
    readProgramVersion();
    m_fx = std::make_unique<ElementFixture>();
}

void TestTableFile::init()
{
    m_fx->reset();
    ErrorReporter::instance().setSinks(false, true, false);
    m_fx->panel.setXMLFile(QStringLiteral("/panels/board.xml"));
    m_fx->panel.editHeader().xmlVersion = QStringLiteral("V1.0.0");
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestTableFile::cleanup()
{
    m_fx->panel.forgetAllElements();
}

std::unique_ptr<Table> TestTableFile::makeTable(const QString &name)
{
    auto table = std::make_unique<Table>(name);
    table->setHost(&m_fx->panel);
    table->setColumn(0, TableColumnRegName, "Register", {}, {}, 120, {}, {});
    table->setColumn(1, TableColumnAddress, "Address", {}, {}, 60, {}, {});
    table->setColumn(2, TableColumnFunc, "Func", {}, {}, 40, {}, {});
    table->setColumn(3, TableColumnValue, "Value", {}, {}, 60, {}, {});
    table->setColumn(4, TableColumnDelay, "Delay", {}, {}, 40, {}, {});
    table->setColumn(5, TableColumnAnswer, "Answer", {}, {}, 80, {}, {});
    table->setColumn(6, TableColumnComment, "Comment", {}, {}, 100, {}, {});
    table->buildModel(7, 2);
    m_fx->panel.registerElement(name, table.get());
    return table;
}

QByteArray TestTableFile::readBytes(const QString &path) const
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestTableFile::saveLoadRoundTripIsByteForByte()
{
    auto table = makeTable(QStringLiteral("SEQ"));
    // The unused row between two rows keeps its place through the file.
    table->loadValue(QStringLiteral("M.R,0x20,1,0x5,10,;M.S,0x24,0,0x1,0,a\\, b\\; c & <d>;,,,,,;"
                                    "N.T,0x28,0,0x2,0,C:\\dir\\\\;"));
    const QString first = m_dir->filePath(QStringLiteral("first.qlmp"));
    const QString second = m_dir->filePath(QStringLiteral("second.qlmp"));
    QVERIFY(table->saveTable(first));

    auto copy = makeTable(QStringLiteral("SEQ"));
    QVERIFY(copy->resetAndLoadTable(first));
    QCOMPARE(copy->cellText(1, 6), QStringLiteral("a, b; c & <d>"));
    QCOMPARE(copy->cellText(2, 0), QString());
    QCOMPARE(copy->cellText(3, 0), QStringLiteral("N.T"));
    QCOMPARE(copy->cellText(3, 6), QStringLiteral("C:\\dir\\"));
    QVERIFY(copy->saveTable(second));
    QCOMPARE(readBytes(second), readBytes(first));
}

void TestTableFile::fileLayout()
{
    auto table = makeTable(QStringLiteral("SEQ"));
    table->loadValue(QStringLiteral("M.R,0x20,1,0x5,10,;M.S,0x24,0,0x1,0,note;"));
    const QString path = m_dir->filePath(QStringLiteral("t.qlmp"));
    QVERIFY(table->saveTable(path));
    const QByteArray expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                "<qlmpxml version=\"1.0\">\r\n"
                                "    <XmlFile>board.xml</XmlFile>\r\n"
                                "    <XmlVersion>V1.0.0</XmlVersion>\r\n"
                                "    <ActiveElements>\r\n"
                                "        <Table>\r\n"
                                "            <define>SEQ</define>\r\n"
                                "            <value>M.R,0x20,1,0x5,10,;M.S,0x24,0,0x1,0,note;</value>\r\n"
                                "        </Table>\r\n"
                                "    </ActiveElements>\r\n"
                                "</qlmpxml>\r\n";
    QCOMPARE(readBytes(path), expected);
}

void TestTableFile::loadAtCurrentRow()
{
    auto source = makeTable(QStringLiteral("SEQ"));
    source->loadValue(QStringLiteral("A.X,1,0,1,0,;A.Y,2,0,2,0,;"));
    const QString path = m_dir->filePath(QStringLiteral("t.qlmp"));
    QVERIFY(source->saveTable(path));

    auto table = makeTable(QStringLiteral("SEQ"));
    table->loadValue(QStringLiteral("B.X,1,0,1,0,;B.Y,2,0,2,0,;"));
    table->selectLine(1);
    QVERIFY(table->loadTable(path));
    QCOMPARE(table->storedValueText(), QStringLiteral("B.X,1,0,1,0,;A.X,1,0,1,0,;A.Y,2,0,2,0,;"));

    // Insert mode: the loaded rows go in between.
    table->setValue(QStringLiteral("1"), 13);
    table->selectLine(1);
    QVERIFY(table->loadTable(path));
    QCOMPARE(table->storedValueText(),
             QStringLiteral("B.X,1,0,1,0,;A.X,1,0,1,0,;A.Y,2,0,2,0,;A.X,1,0,1,0,;A.Y,2,0,2,0,;"));
}

void TestTableFile::recordForAnotherTable()
{
    auto other = makeTable(QStringLiteral("OTHER"));
    other->loadValue(QStringLiteral("O.X,1,0,1,0,;"));
    const QString path = m_dir->filePath(QStringLiteral("other.qlmp"));
    QVERIFY(other->saveTable(path));
    other->setValue(QString(), 18); // delete all

    auto table = makeTable(QStringLiteral("SEQ"));
    QVERIFY(table->loadTable(path));
    QCOMPARE(other->cellText(0, 0), QStringLiteral("O.X"));
    QCOMPARE(table->cellText(0, 0), QString());
}

void TestTableFile::mismatchesAreReportedAndRowsLoaded()
{
    auto table = makeTable(QStringLiteral("SEQ"));
    table->loadValue(QStringLiteral("M.R,0x20,1,0x5,10,;"));
    const QString path = m_dir->filePath(QStringLiteral("t.qlmp"));
    QVERIFY(table->saveTable(path));
    m_fx->panel.setXMLFile(QStringLiteral("/panels/other.xml"));
    m_fx->panel.editHeader().xmlVersion = QStringLiteral("V2.0.0");
    auto copy = makeTable(QStringLiteral("SEQ"));
    QVERIFY(copy->resetAndLoadTable(path));
    // The console shows the message's line breaks as blanks.
    const QString console = m_fx->consoleText();
    QVERIFY(console.contains(QStringLiteral("This table's qlmp was saved from another XML Original xml filename: "
                                            "board.xml Current xml filename: other.xml")));
    QVERIFY(console.contains(QStringLiteral("Tables qlmp version: V1.0.0 Current xml version: V2.0.0")));
    QCOMPARE(copy->cellText(0, 0), QStringLiteral("M.R"));
}

void TestTableFile::brokenFilesChangeNoRows_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    const QByteArray good = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<qlmpxml version=\"1.0\">\n"
                            "<XmlFile>board.xml</XmlFile><XmlVersion>V1.0.0</XmlVersion><ActiveElements>"
                            "<Table><define>SEQ</define><value>Z.Z,1,0,1,0,;</value></Table></ActiveElements>"
                            "</qlmpxml>\n";
    QTest::newRow("other root") << QByteArray("<?xml version=\"1.0\"?>\n<zelmlcfg/>\n")
                                << "Warning: Wrong QLMP Version";
    QTest::newRow("truncated") << good.left(good.size() - 40) << "Cannot read file";
    QTest::newRow("empty file") << QByteArray() << "Cannot read file";
    QTest::newRow("unknown columns and absurd numbers")
        << QByteArray(good).replace("Z.Z,1,0,1,0,;", "Z.Z,1,0,1,0,9,9,9;Y.Y,99999999999999999999,x,1e999,-5,;")
        << QString();
}

void TestTableFile::brokenFilesChangeNoRows()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString path = writeTestFile(m_dir->filePath(QStringLiteral("broken.qlmp")), content);
    QVERIFY(!path.isEmpty());
    for (bool reset : {true, false}) {
        auto table = makeTable(QStringLiteral("SEQ"));
        table->loadValue(QStringLiteral("M.R,0x20,1,0x5,10,;"));
        const bool ok = reset ? table->resetAndLoadTable(path) : table->loadTable(path);
        if (message.isEmpty()) {
            // Read, but only the well-formed row is taken; the broken one
            // keeps its place (a fresh row after a reset, the old row else).
            QVERIFY(ok);
            QCOMPARE(table->cellText(0, 0), reset ? QString() : QStringLiteral("M.R"));
            QCOMPARE(table->cellText(1, 0), QStringLiteral("Y.Y"));
            continue;
        }
        QVERIFY(!ok);
        QCOMPARE(table->cellText(0, 0), QStringLiteral("M.R"));
        QVERIFY2(m_fx->consoleText().contains(message), qPrintable(m_fx->consoleText()));
    }
}

void TestTableFile::failedSaveIsReported()
{
    auto table = makeTable(QStringLiteral("SEQ"));
    const QString blocker = writeTestFile(m_dir->filePath(QStringLiteral("plain")), "x");
    const QString path = blocker + QStringLiteral("/t.qlmp");
    QVERIFY(!table->saveTable(path));
    QVERIFY(!table->exportTable(blocker + QStringLiteral("/t.c")));
    QVERIFY(m_fx->consoleText().contains(QStringLiteral("Cannot open file ") + path));
    QCOMPARE(readBytes(blocker), QByteArray("x"));
}

void TestTableFile::commandsUseDialogsAndWorkingDir()
{
    FolderShell shell;
    Panel panel(&shell);
    panel.setXMLFile(QStringLiteral("/panels/board.xml"));
    auto table = std::make_unique<Table>(QStringLiteral("SEQ"));
    table->setHost(&panel);
    table->setColumn(0, TableColumnRegName, "Register", {}, {}, 120, {}, {});
    table->setColumn(1, TableColumnAddress, "Address", {}, {}, 60, {}, {});
    table->buildModel(2, 2);
    table->loadValue(QStringLiteral("M.R,0x20,,,,;"));
    const QString path = m_dir->filePath(QStringLiteral("sub/t.qlmp"));
    QDir().mkpath(QFileInfo(path).path());

    m_fx->env.installPrompt({path});
    table->setValue(QString(), 22); // save
    QCOMPARE(shell.folder, QFileInfo(path).absolutePath());
    QVERIFY(QFile::exists(path));

    shell.folder.clear();
    m_fx->env.installPrompt({}); // cancelled: nothing happens
    table->setValue(QString(), 20);
    QCOMPARE(shell.folder, QString());

    table->setValue(QString(), 18);
    m_fx->env.installPrompt({path});
    table->setValue(QString(), 20); // load
    QCOMPARE(table->cellText(0, 0), QStringLiteral("M.R"));

    const QString cFile = m_dir->filePath(QStringLiteral("c/out.c"));
    QDir().mkpath(QFileInfo(cFile).path());
    m_fx->env.installPrompt({cFile});
    table->setValue(QString(), 23); // export
    QCOMPARE(shell.folder, QFileInfo(cFile).absolutePath());
    QVERIFY(readBytes(cFile).startsWith("void RegViewCode()\r\n{\r\n"));
}

void TestTableFile::randomFilesNeverCrash()
{
    // Mutations of a good file: each either loads or leaves the rows alone.
    auto source = makeTable(QStringLiteral("SEQ"));
    source->loadValue(QStringLiteral("M.R,0x20,1,0x5,10,a\\,b;M.S,0x24,0,0x1,0,;"));
    const QString text = source->tableFileText();
    QRandomGenerator random(18);
    auto table = makeTable(QStringLiteral("SEQ"));
    for (int i = 0; i < 400; ++i) {
        QString mutated = text;
        const int edits = 1 + int(random.bounded(4));
        for (int e = 0; e < edits; ++e) {
            const int at = int(random.bounded(mutated.size() + 1));
            switch (random.bounded(3)) {
            case 0:
                mutated.remove(at, int(random.bounded(8)));
                break;
            case 1:
                mutated.insert(at, QChar(ushort(random.bounded(32, 127))));
                break;
            default:
                mutated.insert(at, QStringLiteral(",;\\<>&"));
                break;
            }
        }
        QString error;
        const QString before = table->storedValueText();
        if (!table->readTableFileText(mutated, &error))
            QCOMPARE(table->storedValueText(), before);
        QVERIFY(splitTableRows(mutated).size() >= 1);
    }
}

void TestTableFile::exportLines()
{
    auto table = makeTable(QStringLiteral("SEQ"));
    QCOMPARE(table->exportText(), QStringLiteral("void RegViewCode()\n{\n}\n"));
    table->loadValue(QStringLiteral("M.R,20,1,0x5,10,;M.S,24,0,7) evil(,0,ends */ here;"));
    table->tableModel()->item(0, 0)->setToolTip(QStringLiteral("Line one\nline */ two"));
    const QString expected = QStringLiteral(
        "void RegViewCode()\n{\n"
        "\t/*\n\tLine one\n\tline * / two\n\t\tCan't evaluate without valid register.*/\n"
        "  SetRegister(0xa0, 0x5);\n"
        "  Delay(10);\n"
        "\t/*\n\t\n\t\tCan't evaluate without valid register.*/\n"
        "  SetRegister(0x24, 0); /* ends * / here */\n"
        "}\n");
    QCOMPARE(table->exportText(), expected);
}

bool TestTableFile::compileAndRun(const QString &cCode, QString *output, QString *errors)
{
    const QString source = m_dir->filePath(QStringLiteral("replay.c"));
    const QString program = m_dir->filePath(QStringLiteral("replay"));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QByteArray("#include <stdio.h>\n"
                          "void SetRegister(unsigned long a, unsigned long v) { printf(\"S %lx %lx\\n\", a, v); }\n"
                          "void Delay(unsigned long ms) { printf(\"D %lu\\n\", ms); }\n")
               + cCode.toUtf8() + "int main(void) { RegViewCode(); return 0; }\n");
    file.close();
    QProcess gcc;
    gcc.start(QStringLiteral("gcc"), {"-std=c11", "-Wall", "-Werror", "-o", program, source});
    if (!gcc.waitForFinished(60000) || gcc.exitCode() != 0) {
        *errors = QString::fromLocal8Bit(gcc.readAllStandardError());
        return false;
    }
    QProcess run;
    run.start(program, {});
    if (!run.waitForFinished(10000))
        return false;
    *output = QString::fromLocal8Bit(run.readAllStandardOutput());
    return run.exitCode() == 0;
}

void TestTableFile::exportCompilesAndReplaysRows()
{
    auto table = makeTable(QStringLiteral("SEQ"));
    table->loadValue(QStringLiteral("M.R,20,1,0x5,10,set */ mode;M.S,24,0,12,0,;M.T,1F,0,0b11,3,;X.Y,1,1,1,1,;"));
    table->tableModel()->insertRow(3); // the rows end at the first without a name
    table->tableModel()->item(0, 0)->setToolTip(QStringLiteral("closes */ int x = 1; /*"));
    const QString path = m_dir->filePath(QStringLiteral("rows.c"));
    QVERIFY(table->exportTable(path));
    QString output;
    QString errors;
    QVERIFY2(compileAndRun(QString::fromUtf8(readBytes(path)), &output, &errors), qPrintable(errors));
    QCOMPARE(output, QStringLiteral("S a0 5\nD 10\nS 24 c\nS 1f 3\nD 3\n"));
}

QTEST_MAIN(TestTableFile)
#include "tst_tablefile.moc"
