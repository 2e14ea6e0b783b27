// A register table in the main window: built from a panel, driven by setDef,
// kept by the panel reset, saved in and loaded from a project file, and
// the example panel of register tables.
#include "mathlabel.h"
#include "quillpanel.h"
#include "panelfixture.h"
#include "table.h"

#include <QFile>
#include <QtTest>

class TestTableProject : public QObject
{
    Q_OBJECT

private slots:
    void setDefResetAndProjectRoundTrip();
    void examplePanelLoads();
};

void TestTableProject::setDefResetAndProjectRoundTrip()
{
    PanelFixture fixture;
    QVERIFY(fixture.load(QStringLiteral(
        "<verticalcontainer>"
        "<spinbox define=\"GAIN\" min=\"0\" max=\"100\" default=\"3\"/>"
        "<math define=\"DOUBLE\" formula=\"GAIN*2\" format=\"%d\"/>"
        "<table define=\"SEQ\" numrows=\"2\">"
        "<column type=\"regname\" label=\"Register\"/>"
        "<column type=\"address\" label=\"Address\" format=\"0x%02X\"/>"
        "<column type=\"value\" label=\"Value\" format=\"0x%04X\"/>"
        "<column type=\"comment\" label=\"Comment\"/>"
        "<column type=\"math.double\" label=\"Double\" source=\"DOUBLE\"/>"
        "</table>"
        "</verticalcontainer>")));
    Panel *panel = fixture.window->panel();
    auto *table = fixture.widget<Table>(QStringLiteral("SEQ"));
    QVERIFY(table);

    // setDef hands the table its value text unchanged; each keyword is a command.
    panel->setDef(QStringLiteral("SEQ.value=0x10;SEQ.registername=M.R;SEQ.address=32;SEQ.value=5;"
                                 "SEQ.registername=M.S;SEQ.address=0x24"));
    QCOMPARE(table->cellText(0, 0), QStringLiteral("M.R"));
    QCOMPARE(table->cellText(0, 1), QStringLiteral("0x20"));
    QCOMPARE(table->cellText(0, 2), QStringLiteral("0x0010"));
    QCOMPARE(table->cellText(0, 4), QStringLiteral("6"));
    QCOMPARE(table->cellText(1, 1), QStringLiteral("0x24"));
    table->setCellValue(1, TableColumnComment, QStringLiteral("a, b; <c>"));

    // The reset keeps the rows.
    panel->resetGUI();
    QCOMPARE(table->cellText(1, 0), QStringLiteral("M.S"));

    const QString path = fixture.env->path(QStringLiteral("project.qlmp"));
    QVERIFY(fixture.window->saveProjectFile(path, false));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains("<Table>\r\n            <define>SEQ</define>\r\n"
                           "            <value>M.R,0x20,,0x0010,,;M.S,0x24,,0x0005,,a\\, b\\; &lt;c&gt;;</value>"));

    panel->setDef(QStringLiteral("SEQ.deleteall=1"));
    QCOMPARE(table->cellText(0, 0), QString());
    QVERIFY(fixture.window->load(path));
    table = fixture.widget<Table>(QStringLiteral("SEQ"));
    QVERIFY(table);
    QCOMPARE(table->cellText(1, 3), QStringLiteral("a, b; <c>"));
    QCOMPARE(table->cellText(0, 2), QStringLiteral("0x0010"));
}

void TestTableProject::examplePanelLoads()
{
    PanelFixture fixture;
    QFile example(QStringLiteral(QUILLMATE_EXAMPLES "/table_registers.xml"));
    QVERIFY(example.open(QIODevice::ReadOnly));
    const QString path = writeTestFile(fixture.env->path(QStringLiteral("table_registers.xml")), example.readAll());
    QVERIFY(fixture.window->open(path));
    auto *table = fixture.widget<Table>(QStringLiteral("REG_SEQUENCE"));
    QVERIFY(table);
    QVERIFY(table->hasColumnOfType(TableColumnMath));
    QVERIFY(fixture.errors().isEmpty());
}

QTEST_MAIN(TestTableProject)
#include "tst_tableproject.moc"
