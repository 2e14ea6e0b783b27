// The table and register-view commands on the example panels: the register
// sequence of table_registers.xml and the register view of registers.xml.
#include "panelfixture.h"
#include "registerview.h"
#include "table.h"

#include <QStandardItemModel>
#include <QtTest>

class TstScriptCommandsTables : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void cellsAndLinesWithinTheTable_data();
    void cellsAndLinesWithinTheTable();
    void valueColumnIsFoundByItsType();
    void saveAndLoadThroughTheScriptsDirectory();
    void otherClassesOfTheSameNameArePassedOver();
    void registerViewTakesValueAndSource();

private:
    void open(const QString &example);
    Table *table() const { return f->widget<Table>(QStringLiteral("REG_SEQUENCE")); }
    std::unique_ptr<PanelFixture> f;
    QTemporaryDir m_dir;
};

void TstScriptCommandsTables::init()
{
    QVERIFY(m_dir.isValid());
    f = std::make_unique<PanelFixture>();
}

void TstScriptCommandsTables::cleanup()
{
    f.reset();
}

void TstScriptCommandsTables::open(const QString &example)
{
    for (const QString &name : {example, QStringLiteral("demo.svd")}) {
        QFile::remove(m_dir.filePath(name));
        QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/") + name, m_dir.filePath(name)));
    }
    QVERIFY(f->window->open(m_dir.filePath(example)));
    f->window->initLoadedConfiguration(true);
    f->clearConsole();
    f->clearErrors();
}

void TstScriptCommandsTables::cellsAndLinesWithinTheTable_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("cell"); // text of column 3 (value) in row
    QTest::addColumn<QString>("report");

    QTest::newRow("value cell, literal converted by the table")
        << "SETTABLEVALUE(REG_SEQUENCE, 2, 3, 0x10)" << 2 << "0x10" << "";
    QTest::newRow("row beyond the table")
        << "SETTABLEVALUE(REG_SEQUENCE, 8, 3, 1)" << 0 << "0x00000000"
        << "Index for REG_SEQUENCE.SetTableValue (8) is out of allowed range: 0..7";
    QTest::newRow("negative row") << "SETTABLEVALUE(REG_SEQUENCE, -1, 3, 1)" << 0 << "0x00000000"
                                  << "Index for REG_SEQUENCE.SetTableValue (-1) is out of allowed range: 0..7";
    // The column is a column type: 0 to 8, whatever the table's width.
    QTest::newRow("column beyond the types")
        << "SETTABLEVALUE(REG_SEQUENCE, 1, 9, 1)" << 1 << "0x00000000"
        << "Index for REG_SEQUENCE.SetTableValue (9) is out of allowed range: 0..8";
    QTest::newRow("line beyond the table") << "SETTABLELINE(REG_SEQUENCE, 70000)" << 0 << "0x00000000"
                                           << "Index for REG_SEQUENCE.SetTableLine (70000) is out of allowed "
                                              "range: 0..7";
}

void TstScriptCommandsTables::cellsAndLinesWithinTheTable()
{
    QFETCH(QString, command);
    QFETCH(int, row);
    QFETCH(QString, cell);
    QFETCH(QString, report);
    open(QStringLiteral("table_registers.xml"));
    QVERIFY(table());
    QVERIFY(f->window->executeScriptLine(command, 1));
    QCOMPARE(table()->tableModel()->rowCount(), 8);
    QCOMPARE(table()->cellText(quint16(row), 3), cell);
    const QString reports = f->errors().join(QLatin1Char('\n'));
    if (report.isEmpty())
        QVERIFY2(reports.isEmpty(), qPrintable(reports));
    else
        QVERIFY2(reports.contains(report), qPrintable(reports));

    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTABLELINE(REG_SEQUENCE, 5)"), 2));
    QCOMPARE(int(table()->currentRowIndex()), 5);
}

// A table narrower than the type numbers: its value column is model column
// 2, and SETTABLEVALUE names it by the value type 3, as recorded lines do.
void TstScriptCommandsTables::valueColumnIsFoundByItsType()
{
    QVERIFY(f->load(QStringLiteral("<verticalcontainer><table define=\"NARROW\" numrows=\"2\">"
                                   "<column type=\"regname\" label=\"Register\"/>"
                                   "<column type=\"comment\" label=\"Comment\"/>"
                                   "<column type=\"value\" label=\"Value\"/>"
                                   "</table></verticalcontainer>")));
    f->clearErrors();
    auto *narrow = f->widget<Table>(QStringLiteral("NARROW"));
    QVERIFY(narrow);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTABLEVALUE(NARROW, 1, 3, 0x10)"), 1));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTABLEVALUE(NARROW, 1, 6, note)"), 2));
    QCOMPARE(narrow->cellText(1, 2), QStringLiteral("0x10"));
    QCOMPARE(narrow->cellText(1, 1), QStringLiteral("note"));
    const QString reports = f->errors().join(QLatin1Char('\n'));
    QVERIFY2(reports.isEmpty(), qPrintable(reports));
}

void TstScriptCommandsTables::saveAndLoadThroughTheScriptsDirectory()
{
    open(QStringLiteral("table_registers.xml"));
    const QString scripts = m_dir.filePath(QStringLiteral("scripts"));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("scripts")));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETSCRIPTSDIR(%1)").arg(scripts), 1));
    // A row is kept in the file once it names its register.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTABLEVALUE(REG_SEQUENCE, 0, 0, CLK.CTRL)"), 2));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTABLEVALUE(REG_SEQUENCE, 0, 3, 7)"), 2));
    // Inner blanks fold into one: the file is "seq one.txt".
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SAVETABLE(REG_SEQUENCE,  seq   one.txt )"), 3));
    QVERIFY(QFile::exists(QDir(scripts).filePath(QStringLiteral("seq one.txt"))));

    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTABLEVALUE(REG_SEQUENCE, 0, 3, 9)"), 4));
    QCOMPARE(table()->cellText(0, 3).toUInt(nullptr, 0), 9u);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("LOADTABLE(REG_SEQUENCE, seq one.txt)"), 5));
    QCOMPARE(table()->cellText(0, 3).toUInt(nullptr, 0), 7u);
    QVERIFY(f->errors().isEmpty());
    QVERIFY(!f->window->executeScriptLine(QStringLiteral("LOADTABLE(REG_SEQUENCE)"), 6));
}

void TstScriptCommandsTables::otherClassesOfTheSameNameArePassedOver()
{
    open(QStringLiteral("table_registers.xml"));
    const QString file = m_dir.filePath(QStringLiteral("never.txt"));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SAVETABLE(SEQ_GAIN, %1)").arg(file), 1));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTABLEVALUE(SEQ_GAIN, 0, 3, 1)"), 2));
    QVERIFY(!QFile::exists(file));
    QVERIFY(f->errors().isEmpty());
    QCOMPARE(f->value("SEQ_GAIN"), QStringLiteral("4"));
}

void TstScriptCommandsTables::registerViewTakesValueAndSource()
{
    open(QStringLiteral("registers.xml"));
    auto *view = f->widget<RegisterView>(QStringLiteral("DEMO_REGISTER_VIEW"));
    QVERIFY(view);
    auto *select = f->element(QStringLiteral("DEMO_REGISTER_SELECT"));
    QVERIFY(select);
    const QString shown = view->value(KeywordRegister, 0);
    QVERIFY(f->window->executeScriptLine(
        QStringLiteral("SETREGVIEWVALUE(DEMO_REGISTER_VIEW, 5, DEMO_REGISTER_SELECT)"), 1));
    QCOMPARE(view->value(KeywordValue, 0).toUInt(nullptr, 0), 5u);
    QCOMPARE(view->value(KeywordRegister, 0), shown);
}

QTEST_MAIN(TstScriptCommandsTables)
#include "tst_scriptcommands_tables.moc"
