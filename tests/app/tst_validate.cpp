// The window's validation commands: the "Validate XML File" command over
// several files, the entry points of the script commands, the schema beside
// the program, the loaded panel left alone, and the version comparison.
#include "errorreporter.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "programversion.h"
#include "testenvironment.h"
#include "windowoptions.h"

#include <QAction>
#include <QFile>
#include <QtTest>

#include <memory>

class TstValidate : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void versionCompareTable_data();
    void versionCompareTable();
    void filesRunBothChecksInTurn();
    void commandAsksForFiles();
    void entryPointsRunOneCheckEach();
    void missingSchemaBesideTheProgram();
    void loadedPanelIsLeftAlone();

private:
    void installSchema();
    QString panelFile(const QString &name, const QString &elements);
    // The console lines that name a run's start or its verdict.
    QStringList milestones() const;

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_console;
};

void TstValidate::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_env->writeSettingsIni(QStringLiteral("[General]\nenablevalidate=1\n"));
    m_window = std::make_unique<MainWindow>(quietOptions());
    m_console.clear();
    ErrorReporter::instance().setConsoleSink([this](const QString &html) { m_console << html; });
}

void TstValidate::cleanup()
{
    ErrorReporter::instance().setConsoleSink(nullptr);
    m_window.reset();
    m_env.reset();
}

void TstValidate::installSchema()
{
    QFile::remove(m_env->appDir() + QStringLiteral("/QLM.xsd"));
    QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_SOURCE_DIR "/resources/QLM.xsd"),
                        m_env->appDir() + QStringLiteral("/QLM.xsd")));
}

QString TstValidate::panelFile(const QString &name, const QString &elements)
{
    return writeTestFile(m_env->path(name), verticalPanelText(elements));
}

QStringList TstValidate::milestones() const
{
    QStringList found;
    for (const QString &line : m_console) {
        for (const char *mark : {"Starting validation:", "Finished validation:", "Starting xsd check:",
                                 "Document is valid.", "xsd-ERROR", "XSD is not valid.", "Finished xsd check."}) {
            if (line.contains(QLatin1String(mark)))
                found << QLatin1String(mark) + QStringLiteral(" ") + line.section(QStringLiteral("File: "), 1).remove(QStringLiteral("<br>"));
        }
    }
    for (QString &line : found)
        line = line.trimmed();
    return found;
}

void TstValidate::versionCompareTable_data()
{
    QTest::addColumn<QList<int>>("a");
    QTest::addColumn<QList<int>>("b");
    QTest::addColumn<int>("result");
    QTest::newRow("equal") << QList<int>{1, 2, 3} << QList<int>{1, 2, 3} << 0;
    QTest::newRow("patch higher") << QList<int>{1, 2, 4} << QList<int>{1, 2, 3} << 1;
    QTest::newRow("minor lower") << QList<int>{1, 2, 3} << QList<int>{1, 3, 0} << -1;
    // Packed into one number these two would be equal.
    QTest::newRow("two-digit minor") << QList<int>{1, 10, 0} << QList<int>{2, 0, 0} << -1;
    // Packed and read as a signed 16-bit number this one would be negative.
    QTest::newRow("large major") << QList<int>{327, 6, 8} << QList<int>{0, 0, 1} << 1;
    QTest::newRow("full 16-bit parts") << QList<int>{65535, 0, 0} << QList<int>{65534, 65535, 65535} << 1;
    QTest::newRow("zeros") << QList<int>{0, 0, 0} << QList<int>{0, 0, 0} << 0;
}

void TstValidate::versionCompareTable()
{
    QFETCH(QList<int>, a);
    QFETCH(QList<int>, b);
    QFETCH(int, result);
    const quint16 left[3] = {quint16(a.at(0)), quint16(a.at(1)), quint16(a.at(2))};
    const quint16 right[3] = {quint16(b.at(0)), quint16(b.at(1)), quint16(b.at(2))};
    QCOMPARE(versionCompare(left, right), result);
    QCOMPARE(versionCompare(right, left), -result);
}

void TstValidate::filesRunBothChecksInTurn()
{
    installSchema();
    const QString a = panelFile(QStringLiteral("a.xml"), QStringLiteral("<checkbox define=\"A\"/>"));
    const QString b = panelFile(QStringLiteral("b.xml"), QStringLiteral("<bogus/>"));
    const QString c = panelFile(QStringLiteral("c.xml"), QStringLiteral("<checkbox define=\"C\" lockon=\"X=1\"/>"));
    m_window->panelValidation().validateFiles({a, b, c});
    QCOMPARE(milestones(), QStringList({"Starting validation: " + a, "Finished validation: " + a,
                                        "Starting xsd check: " + a, "Document is valid.",
                                        "Finished xsd check.",
                                        "Starting validation: " + b, "Finished validation: " + b,
                                        "Starting xsd check: " + b, "xsd-ERROR", "Finished xsd check.",
                                        "Starting validation: " + c, "Finished validation: " + c,
                                        "Starting xsd check: " + c, "Document is valid.",
                                        "Finished xsd check."}));
    QVERIFY(m_console.join(QString()).contains(
        QLatin1String("The following lockon defines could not be found in XML file c.xml")));
}

void TstValidate::commandAsksForFiles()
{
    installSchema();
    const QString a = panelFile(QStringLiteral("a.xml"), QStringLiteral("<checkbox define=\"A\"/>"));
    NonInteractivePrompt *prompt = m_env->installPrompt({a});
    m_window->validateDefines();
    QVERIFY(prompt->transcript().join(QString()).contains(QLatin1String("Validate XML File")));
    QCOMPARE(milestones().size(), 5);

    // Cancelled: nothing runs.
    m_console.clear();
    m_env->installPrompt({});
    m_window->validateDefines();
    QVERIFY(milestones().isEmpty());

    // The menu entry runs the same command.
    QVERIFY(m_window->findChild<QAction *>(QStringLiteral("validateAction")));
    m_env->installPrompt({a});
    m_window->findChild<QAction *>(QStringLiteral("validateAction"))->trigger();
    QCOMPARE(milestones().size(), 5);
}

void TstValidate::entryPointsRunOneCheckEach()
{
    installSchema();
    const QString a = panelFile(QStringLiteral("a.xml"), QStringLiteral("<checkbox define=\"A\"/>"));
    m_window->panelValidation().validateXmlFile(a);
    QCOMPARE(milestones(), QStringList({"Starting validation: " + a, "Finished validation: " + a}));
    m_console.clear();
    PanelValidation::checkXsd(a);
    QCOMPARE(milestones(), QStringList({"Starting xsd check: " + a, "Document is valid.", "Finished xsd check."}));
}

void TstValidate::missingSchemaBesideTheProgram()
{
    QFile::remove(m_env->appDir() + QStringLiteral("/QLM.xsd"));
    const QString a = panelFile(QStringLiteral("a.xml"), QStringLiteral("<checkbox define=\"A\"/>"));
    PanelValidation::checkXsd(a);
    QCOMPARE(m_console,
             QStringList({QStringLiteral("<font color=\"blue\">  <b>Starting xsd check:</b></font> File: %1<br>").arg(a),
                          QStringLiteral("<font color=\"red\"> <b>XSD is not valid.</b></font> <br>")}));
}

void TstValidate::loadedPanelIsLeftAlone()
{
    // What a panel reader's constructor resets belongs to the loaded panel:
    // a validation must not take it away (the exchange thread reads the poll
    // lists while it runs).
    Panel *panel = m_window->panel();
    QVERIFY(m_window->open(QStringLiteral(QUILLMATE_SOURCE_DIR "/examples/demo.xml")));
    const int elements = panel->getAllElements().size();
    const QStringList defines = panel->registries().elementsByDefine.keys();
    QVERIFY(elements > 10);
    panel->editHeader().ioPortName = QStringLiteral("/dev/ttyX");
    panel->editHeader().ioPortSettings = QStringLiteral("115200");
    panel->editHeader().toolTipSectionMask = 0x5;
    panel->editHeader().forumUrl = QStringLiteral("http://127.0.0.1/forum");
    const QString a = panelFile(QStringLiteral("a.xml"), QStringLiteral("<checkbox define=\"A\"/>"));
    m_window->panelValidation().validateXmlFile(a);
    QCOMPARE(panel->header().ioPortName, QStringLiteral("/dev/ttyX"));
    QCOMPARE(panel->header().ioPortSettings, QStringLiteral("115200"));
    QCOMPARE(panel->toolTipSections(), 0x5u);
    QCOMPARE(panel->header().forumUrl, QStringLiteral("http://127.0.0.1/forum"));
    QVERIFY(!panel->registries().elementsByDefine.contains(QStringLiteral("A")));
    QCOMPARE(panel->getAllElements().size(), elements);
    QCOMPARE(panel->registries().elementsByDefine.keys(), defines);
}

QTEST_MAIN(TstValidate)
#include "tst_validate.moc"
