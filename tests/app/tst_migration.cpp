// Importing an older generated header (loadOld) and the migration map that
// renames defines, for headers and for project files.

#include "oldheader.h"
#include "panelfixture.h"
#include "unresolveddialog.h"

#include <QDir>
#include <QTextBrowser>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestMigration : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void headerTextRules_data();
    void headerTextRules();
    void migrationMapWords_data();
    void migrationMapWords();

    void roundTripOfOurOwnExport();
    void defineMatching_data();
    void defineMatching();
    void unresolvedLinesAndMissingDefines();
    void backupIsMadeOnce();
    void savingAnImportAsksForAProject();
    void panelThatCannotBeFoundStartsANewProject();
    void migrationRenamesDropsAndStops();
    void migrationOfAProjectFile();
    void unreadableMigrationFileKeepsTheLoad();
    void thousandsOfDefines();
    void examplesImport();

private:
    // Writes the header beside the fixture's panel and imports it.
    bool importHeader(const QByteArray &text, const QString &name = QStringLiteral("old.h"));
    UnresolvedDialog *unresolved() const { return m_fixture->window->findChild<UnresolvedDialog *>(); }

    std::unique_ptr<PanelFixture> m_fixture;
};

void TestMigration::init()
{
    m_fixture = std::make_unique<PanelFixture>();
}

void TestMigration::cleanup()
{
    m_fixture.reset();
}

bool TestMigration::importHeader(const QByteArray &text, const QString &name)
{
    const QString path = writeTestFile(m_fixture->env->path(name), text);
    return !path.isEmpty() && m_fixture->window->loadOld(path);
}

void TestMigration::headerTextRules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("panel");
    QTest::newRow("plain") << "/* x */\n#define Config_File panel.xml\n" << "panel.xml";
    QTest::newRow("quoted, CR") << "#define Config_File \"my panel.xml\"\r\n" << "my panel.xml";
    QTest::newRow("first line counts") << "#define Config_File a.xml\n#define Config_File b.xml" << "a.xml";
    // The version marker starts with the same text and is taken as it is.
    QTest::newRow("version marker first") << "#define Config_File_Version 3\n#define Config_File p.xml"
                                          << "Version 3";
    QTest::newRow("none") << "#define ConfigFile p.xml\n" << "";
}

void TestMigration::headerTextRules()
{
    QFETCH(QString, text);
    QTEST(panelFileFromHeaderText(text), "panel");

    // Define lines: name and value, the value's inner blanks kept and an
    // export's trailing comment dropped.
    QCOMPARE(oldHeaderDefineWords("#define A (0x1F) /*decimal 31*/"), (QStringList{"#define", "A", "(0x1F)"}));
    QCOMPARE(oldHeaderDefineWords("#define  B\tsome  text "), (QStringList{"#define", "B", "some  text"}));
    QCOMPARE(oldHeaderDefineWords("#define GUARD_H"), QStringList());
    QCOMPARE(oldHeaderDefineWords("#define C /* only a comment */"), (QStringList{"#define", "C", "/* only a comment */"}));
    QCOMPARE(oldHeaderDefineWords("#undef A 1"), QStringList());
    QVERIFY(isHeaderMarkerDefine("config_file"));
    QVERIFY(isHeaderMarkerDefine("ZELQUILLMATE_VERSION"));
    QVERIFY(!isHeaderMarkerDefine("Config_File_Version"));
}

void TestMigration::migrationMapWords_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("pair") << " OLD\t NEW  extra" << QStringList{"OLD", "NEW", "extra"};
    QTest::newRow("drop") << "GONE" << QStringList{"GONE"};
    QTest::newRow("blank") << "   " << QStringList();
    QTest::newRow("marker") << "zelquillmate_version 2" << QStringList();
    QTest::newRow("version marker") << "CONFIG_FILE_VERSION" << QStringList();
}

void TestMigration::migrationMapWords()
{
    QFETCH(QString, line);
    QTEST(::migrationMapWords(line), "words");
}

void TestMigration::roundTripOfOurOwnExport()
{
    // The demo panel, its values changed from the defaults, exported; the
    // headers then carry the marker define as an older release wrote it.
    const QString dir = m_fixture->env->path("demo");
    QDir().mkpath(dir);
    QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/demo.xml"), dir + "/demo.xml"));
    MainWindow *window = m_fixture->window.get();
    QVERIFY(window->open(dir + "/demo.xml"));
    window->initLoadedConfiguration(true);
    const QList<QPair<QString, QString>> changes = {
        {"DEMO_OSC_ENABLE", "0"}, {"DEMO_PLL_ENABLE", "1"}, {"DEMO_PLL_MULT", "9"},   {"DEMO_OSC_TRIM", "17"},
        {"DEMO_SUPPLY", "2.5"},   {"DEMO_POWER_MODE", "2"}, {"DEMO_UART_BAUD", "19200"}, {"DEMO_LEVEL", "12"},
        {"DEMO_GAIN", "7"},       {"DEMO_COEFF", "0.5"},     {"DEMO_CHANNELS", "4660"},  {"DEMO_BOARD_NAME", "bench_9"},
        {"DEMO_SERIAL", "77"},    {"DEMO_SPI_ENABLE", "1"}};
    for (const auto &change : changes) {
        ActiveElement *element = window->panel()->getActiveElement(change.first);
        QVERIFY2(element, qPrintable(change.first));
        element->loadValue(change.second);
    }
    QStringList headerDefines;
    QStringList expected;
    for (ActiveElement *element : window->panel()->getAllElements()) {
        const QString name = PanelNames::getObjectName(element);
        if (name.startsWith("DEMO_"))
            expected.append(name + "=" + element->value(KeywordValue, 0));
    }
    window->setWorkingDir(dir);
    QVERIFY(window->exportHeaderFiles(true));
    QByteArray older = "#define ZELQuillmate_Version 2.5.0\n#define Config_File demo.xml\n";
    for (const char *header : {"demo_clock.h", "demo_levels.h", "demo_peripherals.h", "demo_texts.h"}) {
        const QByteArray text = readAll(dir + "/" + header);
        QVERIFY2(!text.isEmpty(), header);
        older += text;
    }
    QVERIFY(writeTestFile(dir + "/settings.h", older).size());

    unresolved()->hide();
    QVERIFY(window->loadOld(dir + "/settings.h"));
    QStringList imported;
    for (ActiveElement *element : window->panel()->getAllElements()) {
        const QString name = PanelNames::getObjectName(element);
        if (name.startsWith("DEMO_"))
            imported.append(name + "=" + element->value(KeywordValue, 0));
    }
    // Elements outside the headers went back to their defaults; the rest
    // came back from the header.
    for (const QString &value : qAsConst(expected)) {
        const QString name = value.section('=', 0, 0);
        if (QStringList{"DEMO_INPUT", "DEMO_ALARM", "DEMO_TICKS", "DEMO_SCALED", "DEMO_WAVE", "DEMO_HIGH"}.contains(name))
            continue;
        QVERIFY2(imported.contains(value), qPrintable(value + " not in " + imported.join(", ")));
    }
    // The header is the source of a new project, not the project's file.
    QCOMPARE(window->currentProjectFile(), QString());
    QCOMPARE(readAll(dir + "/settings.h.bak"), older);
    // The version defines of the headers are the only lines left over.
    const QString fileOnly = unresolved()->fileOnlyBrowser()->toPlainText();
    for (const QString &line : fileOnly.split('\n', Qt::SkipEmptyParts))
        QVERIFY2(line.contains("_XML_VERSION"), qPrintable(line));
}

void TestMigration::defineMatching_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("values"); // define=value after the import
    QTest::addColumn<QStringList>("unresolved");

    QTest::newRow("module ADC, register CTRL_REG")
        << "<spinbox define=\"ADC.CTRL_REG\" range=\"0;100\" default=\"1\"/>"
        << "#define ADC_CTRL_REG 5\n" << QStringList{"ADC.CTRL_REG=5"} << QStringList();
    QTest::newRow("module ADC_CTRL, register REG")
        << "<spinbox define=\"ADC_CTRL.REG\" range=\"0;100\" default=\"1\"/>"
        << "#define ADC_CTRL_REG 5\n" << QStringList{"ADC_CTRL.REG=5"} << QStringList();
    QTest::newRow("bit ranges with masks and shifts")
        << "<spinbox define=\"R.CFG[3:0]\" range=\"0;15\"/><spinbox define=\"R.CFG[7:4]\" range=\"0;15\"/>"
        << "#define R_CFG 0x5A\n" << QStringList{"R.CFG[3:0]=10", "R.CFG[7:4]=5"} << QStringList();
    // Plain defines, with and without "_" in the name, are no register of a
    // module: they are still matched.
    QTest::newRow("plain defines")
        << "<spinbox define=\"SPEED\" range=\"0;100\"/><spinbox define=\"LOW_POWER\" range=\"0;100\"/>"
        << "#define SPEED (0x7) /*decimal 7*/\n#define LOW_POWER 3\n"
        << QStringList{"SPEED=7", "LOW_POWER=3"} << QStringList();
    QTest::newRow("text for a whole define")
        << "<edit define=\"NAME\" default=\"x\"/>" << "#define NAME hello there\n"
        << QStringList{"NAME=hello there"} << QStringList();
    QTest::newRow("text for bit fields leaves them")
        << "<spinbox define=\"R.CFG[3:0]\" range=\"0;15\" default=\"2\"/>" << "#define R_CFG abc\n"
        << QStringList{"R.CFG[3:0]=2"} << QStringList();
    QTest::newRow("markers and guards are no defines")
        << "<spinbox define=\"SPEED\" range=\"0;100\" default=\"4\"/>"
        << "#ifndef X_H\n#define X_H\n#define ZELQUILLMATE_VERSION 1\n#define SPEED 9\n#endif\n"
        << QStringList{"SPEED=9"} << QStringList();
    QTest::newRow("unknown define")
        << "<spinbox define=\"SPEED\" range=\"0;100\" default=\"4\"/>" << "#define SPEEDY 9\n#define A_B_C 1\n"
        << QStringList{"SPEED=4"} << QStringList{"#define SPEEDY 9", "#define A_B_C 1"};
    QTest::newRow("value beyond the range")
        << "<spinbox define=\"SPEED\" range=\"0;100\" default=\"4\"/><checkbox define=\"ON\"/>"
        << "#define SPEED 99999999999999999999999\n#define ON 0x1234\n"
        << QStringList() << QStringList();
}

void TestMigration::defineMatching()
{
    QFETCH(QString, body);
    QFETCH(QString, header);
    QFETCH(QStringList, values);
    QVERIFY(m_fixture->load("<verticalcontainer>" + body + "</verticalcontainer>"));
    unresolved()->hide();
    QVERIFY(importHeader("#define Config_File panel.xml\n" + header.toUtf8()));
    for (const QString &value : values)
        QCOMPARE(value.section('=', 0, 0) + "=" + m_fixture->value(value.section('=', 0, 0)), value);
    const QStringList fileOnly = unresolved()->fileOnlyBrowser()->toPlainText().split('\n', Qt::SkipEmptyParts);
    QTEST(fileOnly, "unresolved");
}

void TestMigration::unresolvedLinesAndMissingDefines()
{
    QVERIFY(m_fixture->load("<verticalcontainer><spinbox define=\"A.B[3:0]\" range=\"0;15\"/>"
                            "<spinbox define=\"PLAIN\"/><spinbox define=\"SET\"/></verticalcontainer>"));
    unresolved()->hide();
    m_fixture->clearConsole();
    QVERIFY(importHeader("#define Config_File panel.xml\n#define SET 1\n#define OTHER 2\n"));
    QVERIFY(unresolved()->isVisible() || m_fixture->window->runEndsAfterStartUp());
    QCOMPARE(unresolved()->fileOnlyBrowser()->toPlainText(), QString("#define OTHER 2"));
    const QString links = unresolved()->panelOnlyBrowser()->toHtml();
    QVERIFY2(links.contains("href=\"A.B\""), qPrintable(links));
    QVERIFY(links.contains("A_B"));
    QVERIFY(links.contains("href=\"PLAIN\""));
    QVERIFY(!links.contains("SET"));
    QVERIFY(!links.contains("$DIR$"));
    QVERIFY(m_fixture->consoleLines().join('\n').contains("OTHER"));
}

void TestMigration::backupIsMadeOnce()
{
    QVERIFY(m_fixture->load("<verticalcontainer><spinbox define=\"SPEED\"/></verticalcontainer>"));
    QVERIFY(importHeader("#define Config_File panel.xml\n#define SPEED 1\n"));
    QCOMPARE(readAll(m_fixture->env->path("old.h.bak")), QByteArray("#define Config_File panel.xml\n#define SPEED 1\n"));
    QVERIFY(importHeader("#define Config_File panel.xml\n#define SPEED 2\n"));
    QCOMPARE(m_fixture->value("SPEED"), QString("2"));
    QCOMPARE(readAll(m_fixture->env->path("old.h.bak")), QByteArray("#define Config_File panel.xml\n#define SPEED 1\n"));
}

void TestMigration::savingAnImportAsksForAProject()
{
    QVERIFY(m_fixture->load("<verticalcontainer><spinbox define=\"SPEED\" range=\"0;100\"/></verticalcontainer>"));
    const QByteArray header = "#define Config_File panel.xml\n#define SPEED 7\n";
    QVERIFY(importHeader(header));
    MainWindow *window = m_fixture->window.get();
    QCOMPARE(m_fixture->value("SPEED"), QString("7"));

    // No name given: nothing is written, the header least of all.
    m_fixture->clearErrors();
    QVERIFY(!window->save());
    QCOMPARE(readAll(m_fixture->env->path("old.h")), header);
    QVERIFY2(m_fixture->errors().join('\n').contains("Save Configuration"), qPrintable(m_fixture->errors().join('\n')));

    // A name typed into the dialog is given to the header or another file
    // that is no project: refused, the file kept.
    for (const char *name : {"old.h", "old.h.bak"}) {
        const QByteArray before = readAll(m_fixture->env->path(name));
        m_fixture->env->installPrompt({m_fixture->env->path(name)});
        m_fixture->clearErrors();
        QVERIFY(!window->save());
        QCOMPARE(readAll(m_fixture->env->path(name)), before);
        QVERIFY2(m_fixture->errors().join('\n').contains("not a project file"), qPrintable(m_fixture->errors().join('\n')));
    }

    // A bare name becomes a project beside the header, and the next Save goes there.
    m_fixture->env->installPrompt({m_fixture->env->path("imported")});
    QVERIFY(window->save());
    const QString project = m_fixture->env->path("imported.qlmp");
    QCOMPARE(window->currentProjectFile(), project);
    QVERIFY(readAll(project).contains("<value>7</value>"));
    QCOMPARE(readAll(m_fixture->env->path("old.h")), header);
    m_fixture->element("SPEED")->loadValue("9");
    QVERIFY(window->save());
    QVERIFY(readAll(project).contains("<value>9</value>"));
}

void TestMigration::panelThatCannotBeFoundStartsANewProject()
{
    QVERIFY(m_fixture->load("<verticalcontainer><spinbox define=\"SPEED\"/></verticalcontainer>"));
    m_fixture->clearErrors();
    // The version marker before the panel's line names a panel "Version 3".
    QVERIFY(!importHeader("#define Config_File_Version 3\n#define Config_File panel.xml\n#define SPEED 1\n"));
    QCOMPARE(m_fixture->window->currentProjectFile(), QString());
    QVERIFY2(m_fixture->errors().join('\n').contains("Version 3"), qPrintable(m_fixture->errors().join('\n')));
    QVERIFY(!QFile::exists(m_fixture->env->path("old.h.bak")));

    // No marker at all, and a header that does not open.
    QVERIFY(!importHeader("#define SPEED 1\n"));
    QVERIFY(!m_fixture->window->loadOld(m_fixture->env->path("missing.h")));
    // load() hands whatever is not XML to the import.
    QVERIFY(m_fixture->load("<verticalcontainer><spinbox define=\"SPEED\"/></verticalcontainer>"));
    writeTestFile(m_fixture->env->path("viaload.h"), "#define Config_File panel.xml\n#define SPEED 3\n");
    QVERIFY(m_fixture->window->load(m_fixture->env->path("viaload.h")));
    QCOMPARE(m_fixture->value("SPEED"), QString("3"));
}

void TestMigration::migrationRenamesDropsAndStops()
{
    writeTestFile(m_fixture->env->path("map.txt"),
                  "Config_File_Version 2\n"
                  "OLD_SPEED SPEED\n"           // plain define
                  "OLD_CFG  R.CFG\n"            // register path
                  "OLD_GONE\n"                  // dropped silently
                  "A B\nB A\n"                  // a cycle
                  "OLD_MISSING R.NOPE\n");      // register not there
    QVERIFY(m_fixture->load("<verticalcontainer><spinbox define=\"SPEED\" range=\"0;100\"/>"
                            "<spinbox define=\"R.CFG[7:4]\" range=\"0;15\"/></verticalcontainer>",
                            "<migration file=\"map.txt\"/>"));
    unresolved()->hide();
    QVERIFY(importHeader("#define Config_File panel.xml\n#define OLD_SPEED 12\n#define OLD_CFG 0x30\n"
                         "#define old_gone 1\n#define A 1\n#define B 2\n#define OLD_MISSING 4\n"));
    QCOMPARE(m_fixture->value("SPEED"), QString("12"));
    QCOMPARE(m_fixture->value("R.CFG[7:4]"), QString("3"));
    QStringList fileOnly = unresolved()->fileOnlyBrowser()->toPlainText().split('\n', Qt::SkipEmptyParts);
    fileOnly.sort();
    QCOMPARE(fileOnly, (QStringList{"#define A 1", "#define A 2 B", "#define B 1 A", "#define B 2",
                                    "#define OLD_MISSING 4", "#define R.NOPE 4 OLD_MISSING"}));
    // Every define the panel expects was set: no missing links.
    QVERIFY(!unresolved()->panelOnlyBrowser()->toHtml().contains("href"));
}

void TestMigration::migrationOfAProjectFile()
{
    writeTestFile(m_fixture->env->path("map.txt"), "OLD_SPEED SPEED\nOLD_GONE\n");
    QVERIFY(m_fixture->load("<verticalcontainer><spinbox define=\"SPEED\" range=\"0;100\"/>"
                            "<spinbox define=\"KEEP\" range=\"0;100\"/></verticalcontainer>",
                            "<migration file=\"map.txt\"/>"));
    MainWindow *window = m_fixture->window.get();
    m_fixture->element("SPEED")->loadValue("42");
    m_fixture->element("KEEP")->loadValue("5");
    const QString project = m_fixture->env->path("p.qlmp");
    QVERIFY(window->saveProjectFile(project, false));
    // The project as an older panel wrote it: SPEED under its old name, and a
    // define since dropped.
    QByteArray text = readAll(project);
    text.replace("<define>SPEED</define>", "<define>OLD_SPEED</define>");
    text.replace("</ActiveElements>", "<CheckBox><define>OLD_GONE</define><value>1</value>"
                                      "<dispValue>1</dispValue></CheckBox></ActiveElements>");
    QVERIFY(writeTestFile(project, text).size());
    unresolved()->hide();
    QVERIFY(window->load(project));
    QCOMPARE(m_fixture->value("SPEED"), QString("42"));
    QCOMPARE(m_fixture->value("KEEP"), QString("5"));
    QVERIFY(!unresolved()->isVisible());

    // A rename to a module the panel lacks is listed, not lost.
    writeTestFile(m_fixture->env->path("map.txt"), "OLD_SPEED SPEED\nOLD_GONE NOWHERE.REG\n");
    QVERIFY(window->load(project));
    QStringList fileOnly = unresolved()->fileOnlyBrowser()->toPlainText().split('\n', Qt::SkipEmptyParts);
    fileOnly.sort();
    QCOMPARE(fileOnly, (QStringList{"#define NOWHERE.REG 1 OLD_GONE", "#define OLD_GONE 1"}));
}

void TestMigration::unreadableMigrationFileKeepsTheLoad()
{
    // A folder in the map's place exists but does not read: the load goes on
    // without the map and the panel stays (no new project in mid-read).
    QDir().mkpath(m_fixture->env->path("map.txt"));
    QVERIFY(m_fixture->load("<verticalcontainer><spinbox define=\"SPEED\" range=\"0;100\"/></verticalcontainer>",
                            "<migration file=\"map.txt\"/>"));
    MainWindow *window = m_fixture->window.get();
    m_fixture->element("SPEED")->loadValue("8");
    const QString project = m_fixture->env->path("p.qlmp");
    QVERIFY(window->saveProjectFile(project, false));
    QByteArray text = readAll(project);
    text.replace("<define>SPEED</define>", "<define>OLD_SPEED</define>");
    QVERIFY(writeTestFile(project, text).size());
    m_fixture->clearErrors();
    unresolved()->hide();
    QVERIFY(window->load(project));
    QVERIFY(window->panel()->getActiveElement("SPEED"));
    QCOMPARE(window->currentProjectFile(), project);
    QVERIFY2(m_fixture->errors().join('\n').contains("Cannot open file"), qPrintable(m_fixture->errors().join('\n')));

    // The header import takes the same way.
    QStringList lines{"#define OLD_SPEED 3"};
    QStringList drops;
    QVERIFY(readMigrationFile(&lines, &drops, m_fixture->env->path("map.txt")).isEmpty());
    QVERIFY(window->panel()->getActiveElement("SPEED"));
}

void TestMigration::thousandsOfDefines()
{
    QString body;
    for (int i = 0; i < 500; ++i)
        body += QString("<spinbox define=\"M%1.R\" range=\"0;100000\"/>").arg(i);
    QVERIFY(m_fixture->load("<verticalcontainer>" + body + "</verticalcontainer>", "<migration file=\"map.txt\"/>"));
    QByteArray header = "#define Config_File panel.xml\n";
    QByteArray map;
    for (int i = 0; i < 5000; ++i) {
        header += QString("#define M%1_R %2\n").arg(i % 500).arg(i).toUtf8();
        header += QString("#define OLD_%1_X_Y_Z_W %2\n").arg(i).arg(i).toUtf8();
        map += QString("OLD_%1_X_Y_Z_W OLD_%2_X_Y_Z_W\n").arg(i).arg((i + 1) % 5000).toUtf8();
    }
    writeTestFile(m_fixture->env->path("map.txt"), map);
    unresolved()->hide();
    m_fixture->clearConsole();
    QVERIFY(importHeader(header));
    // The last line of each define wins.
    QCOMPARE(m_fixture->value("M0.R"), QString("4500"));
    QCOMPARE(m_fixture->value("M499.R"), QString("4999"));
    // Each renamed line names a define the panel lacks: it comes back once.
    const QStringList fileOnly = unresolved()->fileOnlyBrowser()->toPlainText().split('\n', Qt::SkipEmptyParts);
    QCOMPARE(fileOnly.size(), 10000);
    // The console gets a bounded list: thousands of lines would freeze it.
    const QStringList console = m_fixture->consoleLines();
    QCOMPARE(console.filter("matches no element").size(), 200);
    QVERIFY(console.join('\n').contains("9800 more"));
}

void TestMigration::examplesImport()
{
    // The older headers beside the example panels: one with today's names,
    // one with names the example's migration map renames.
    const QString dir = m_fixture->env->path("examples");
    QDir().mkpath(dir);
    for (const char *name : {"demo.xml", "demo_old.h", "catalog.xml", "board_old.h", "demo_parameters.xml",
                             "demo_migration.txt"})
        QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/") + name, dir + "/" + name));
    MainWindow *window = m_fixture->window.get();
    unresolved()->hide();
    m_fixture->clearErrors();
    QVERIFY(window->loadOld(dir + "/demo_old.h"));
    QCOMPARE(m_fixture->value("DEMO_PLL_MULT"), QString("8"));
    QCOMPARE(m_fixture->value("DEMO_OSC_TRIM"), QString("40"));
    QCOMPARE(m_fixture->value("DEMO_UART_BAUD"), QString("19200"));
    QCOMPARE(m_fixture->value("DEMO_BOARD_NAME"), QString("bench_7"));
    QCOMPARE(m_fixture->value("DEMO_NOTES").contains("Imported from an older header"), true);
    QVERIFY(unresolved()->fileOnlyBrowser()->toPlainText().isEmpty());
    // A signed panel: no report of a manipulated file.
    QVERIFY2(m_fixture->errors().isEmpty(), qPrintable(m_fixture->errors().join('\n')));

    unresolved()->hide();
    QVERIFY(window->loadOld(dir + "/board_old.h"));
    QCOMPARE(window->panel()->header().parameterMap.size(), 7);
    QCOMPARE(m_fixture->value("DEMO_PLL_MULT"), QString("8"));
    QCOMPARE(m_fixture->value("DEMO_OSC_TRIM"), QString("40"));
    QCOMPARE(m_fixture->value("DEMO_SUPPLY").toDouble(), 3.0);
    QCOMPARE(m_fixture->value("DEMO_BOARD_NAME"), QString("bench_7"));
    // Only the version marker is left: it is no define of the panel.
    QCOMPARE(unresolved()->fileOnlyBrowser()->toPlainText(), QString("#define Config_File_Version 3"));
    QVERIFY2(m_fixture->errors().isEmpty(), qPrintable(m_fixture->errors().join('\n')));
}

QTEST_MAIN(TestMigration)
#include "tst_migration.moc"
