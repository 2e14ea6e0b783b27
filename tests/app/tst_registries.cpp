#include "activeelement.h"
#include "dataclass.h"
#include "fakeelement.h"
#include "errorreporter.h"
#include "led.h"
#include "mainwindow.h"
#include "panel.h"
#include "mathlabel.h"
#include "tabwidget.h"
#include "testenvironment.h"

#include <QLabel>
#include <QtTest>

#include <memory>


class TestRegistries : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void lookupsNeverInsert();
    void getValue_data();
    void getValue();
    void unknownReferenceIsReportedOnce();
    void setAndAddSemantics();
    void mathLabelsListenToTheirNamesOnly();
    void firmwareRange_data();
    void firmwareRange();
    void registerPaths_data();
    void registerPaths();
    void addModuleKeepsTheFirst();
    void enumeratedValuesReachTheElement();
    void changedMovesTheElementToTheEnd();
    void headerValues();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
};

void TestRegistries::initTestCase()
{
    env = std::make_unique<TestEnvironment>();
    window = std::make_unique<MainWindow>(CommandLineOptions());
}

void TestRegistries::init()
{
    env->installPrompt({});
    ErrorReporter::instance().setReportToMessageBox(true);
    ErrorReporter::instance().setReportToConsole(false);
    window->panel()->elementsByDefine.clear();
    window->panel()->allElements.clear();
    window->panel()->variablesByName.clear();
    window->panel()->tabWidgetsByName.clear();
}

void TestRegistries::cleanupTestCase()
{
    window.reset();
}

void TestRegistries::lookupsNeverInsert()
{
    QVERIFY(!window->panel()->getActiveElement("NOPE"));
    QVERIFY(!window->panel()->elementExists("NOPE"));
    QVERIFY(!window->panel()->getModule("NOMOD"));
    QVERIFY(!window->panel()->getRegister("NOMOD", "R"));
    QVERIFY(window->panel()->elementsByDefine.isEmpty());
    QVERIFY(window->panel()->moduleTable.isEmpty());
}

void TestRegistries::getValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("expected");
    QTest::newRow("hex") << "0x10" << 16.0f;
    QTest::newRow("float") << "12.5" << 12.5f;
    QTest::newRow("element value") << "CHECK" << 1.0f;
    QTest::newRow("element label keyword") << "CHECK.label" << 7.0f;
    QTest::newRow("element address keyword") << "CHECK.address" << 4096.0f;
    QTest::newRow("tab page index") << "PAGES.index" << 2.0f;
    QTest::newRow("variable with bit 31 stays positive") << "VAR" << 4294967296.0f;
    QTest::newRow("float variable") << "FVAR" << 0.25f;
}

void TestRegistries::getValue()
{
    QFETCH(QString, text);
    QFETCH(float, expected);
    FakeElement check("CHECK");
    check.values = {{0, "1"}, {1, "7"}, {10, "4096"}};
    window->panel()->registerElement("CHECK", &check);
    TabWidget tabs;
    for (int i = 0; i < 3; ++i)
        tabs.addTab(new QWidget, QString::number(i));
    tabs.setCurrentIndex(2);
    window->panel()->setTabWidget("PAGES", &tabs);
    DataClass var("VAR");
    var.setValue(0xFFFFFFFFu);
    DataClass fvar("FVAR");
    fvar.isFloat = 1;
    fvar.setFloatValue(0.25f);
    window->panel()->setDataClass("VAR", &var);
    window->panel()->setDataClass("FVAR", &fvar);

    QCOMPARE(window->panel()->getValue(text), expected);
    QVERIFY(env->prompt()->transcript().isEmpty());
}

void TestRegistries::unknownReferenceIsReportedOnce()
{
    FakeElement check("CHECK");
    window->panel()->registerElement("CHECK", &check);
    QCOMPARE(window->panel()->getValue("CHECK.typeinfo"), 0.0f);
    QCOMPARE(window->panel()->getValue("NOBODY"), 0.0f);
    QCOMPARE(env->prompt()->transcript(),
             (QStringList{"Invalid value in formula: \"CHECK.typeinfo\"", "Invalid value in formula: \"NOBODY\""}));
}

void TestRegistries::setAndAddSemantics()
{
    TabWidget first, second;
    window->panel()->setTabWidget("T", &first);
    window->panel()->setTabWidget("T", &second);
    QCOMPARE(window->panel()->tabWidgetsByName.value("T"), &second);

    Led a("A"), b("B");
    window->panel()->addLed("D", &a);
    window->panel()->addLed("D", &b);
    QCOMPARE(window->panel()->ledsByData.value("D"), (QList<Led *>{&a, &b}));
    window->panel()->ledsByData.clear();
    window->panel()->tabWidgetsByName.clear();
}

void TestRegistries::mathLabelsListenToTheirNamesOnly()
{
    MathLabel label("SUM");
    window->panel()->addMathLabel({"A.value", "SUM", "B.label", "C"}, &label);
    MathLabel constant("CONST");
    window->panel()->addMathLabel({}, &constant);
    QCOMPARE(window->panel()->mathLabelsByDefine.value("A"), QList<MathLabel *>{&label});
    QCOMPARE(window->panel()->mathLabelsByDefine.value("B"), QList<MathLabel *>{&label});
    QCOMPARE(window->panel()->mathLabelsByDefine.value("C"), QList<MathLabel *>{&label});
    QVERIFY(!window->panel()->mathLabelsByDefine.contains("SUM"));
    QCOMPARE(window->panel()->mathLabelsByDefine.value("dummy_define"), QList<MathLabel *>{&constant});
    window->panel()->mathLabelsByDefine.clear();
}

void TestRegistries::firmwareRange_data()
{
    QTest::addColumn<QString>("min");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("expected");
    QTest::newRow("wildcards and clamping") << "1.*.300" << "*.*.*" << "V.1.0.255..V.255.255.255";
    QTest::newRow("plain") << "2.1.0" << "2.9.9" << "V.2.1.0..V.2.9.9";
    QTest::newRow("missing parts count as wildcards") << "2.2" << "3" << "V.2.2.0..V.3.255.255";
    QTest::newRow("unreadable part is 0") << "x.1.2" << "1.y.3" << "V.0.1.2..V.1.0.3";
    QTest::newRow("empty part reads 0, missing parts are wildcards") << "" << "" << "V.0.0.0..V.0.255.255";
}

void TestRegistries::firmwareRange()
{
    QFETCH(QString, min);
    QFETCH(QString, max);
    QFETCH(QString, expected);
    window->panel()->setFWVersionRange(min, max);
    QCOMPARE(window->panel()->getFWVersionRangeText(), expected);
}

void TestRegistries::registerPaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("reg");
    QTest::addColumn<QString>("field");
    QTest::newRow("module only") << "GPIO" << "GPIO" << "" << "";
    QTest::newRow("register with bits") << "GPIO.CR[3:0]" << "GPIO" << "CR" << "";
    QTest::newRow("field") << "GPIO.CR.EN[2]" << "GPIO" << "CR" << "EN";
    QTest::newRow("four parts have no field") << "A.B.C.D" << "A" << "B" << "";
}

void TestRegistries::registerPaths()
{
    QFETCH(QString, path);
    QFETCH(QString, module);
    QFETCH(QString, reg);
    QFETCH(QString, field);
    QCOMPARE(Panel::getModuleName(path), module);
    QCOMPARE(Panel::getRegisterName(path), reg);
    QCOMPARE(Panel::getFieldName(path), field);
}

void TestRegistries::addModuleKeepsTheFirst()
{
    ModuleRecord *first = nullptr;
    QVERIFY(window->panel()->addModule(&first, "UART"));
    QVERIFY(first);
    ModuleRecord *second = nullptr;
    QVERIFY(!window->panel()->addModule(&second, "UART"));
    QVERIFY(!second);
    QCOMPARE(window->panel()->getModule("UART"), first);
    qDeleteAll(window->panel()->moduleTable);
    window->panel()->moduleTable.clear();
}

void TestRegistries::enumeratedValuesReachTheElement()
{
    FakeElement mode("MODE");
    window->panel()->registerElement("MODE", &mode);
    QVERIFY(window->panel()->setEnumeratedValue("MODE", "Fast", "1", 1));
    QVERIFY(!window->panel()->setEnumeratedValue("OTHER", "Slow", "0", 0));
    QCOMPARE(mode.items.value(1).text, QString("Fast"));
    QVERIFY(!window->panel()->elementExists("OTHER"));
}

void TestRegistries::changedMovesTheElementToTheEnd()
{
    FakeElement a("A"), b("B"), timer("TIMER");
    a.setProperty("header", "cfg.h");
    timer.values[4] = "TimerLabel";
    window->panel()->registerElement("A", &a);
    window->panel()->registerElement("B", &b);
    window->panel()->registerElement("TIMER", &timer);
    window->setWindowModified(false);
    window->panel()->changedHeaders.clear();

    connect(&a, &QLabel::linkActivated, window->panel(), &Panel::changed);
    emit a.linkActivated(QString());
    QCOMPARE(window->panel()->allElements, (QList<ActiveElement *>{&b, &timer, &a}));
    QVERIFY(window->panel()->changedHeaders.value("cfg.h"));
    QVERIFY(window->isWindowModified());

    window->setWindowModified(false);
    connect(&timer, &QLabel::linkActivated, window->panel(), &Panel::changed);
    emit timer.linkActivated(QString());
    QVERIFY(!window->isWindowModified());
    QCOMPARE(window->panel()->allElements, (QList<ActiveElement *>{&b, &timer, &a}));
}

void TestRegistries::headerValues()
{
    window->panel()->setXMLVersion("1.2.3");
    window->panel()->setXMLFile(env->path("panel.xml"));
    QCOMPARE(window->panel()->getXMLFileName(), QString("panel.xml"));
    window->panel()->setDisclaimerFile("mine.txt");
    QVERIFY(window->panel()->hasOwnDisclaimer);
    const QString before = QDir::currentPath();
    window->setCurrentFile(env->path("project.qlmp"));
    QCOMPARE(window->windowTitle(), "Quillmate " + env->path("project.qlmp") + "[*]");
    QCOMPARE(window->getCurrentFileName(), QString("project.qlmp"));
    QCOMPARE(QDir::currentPath(), QDir(env->path(".")).canonicalPath());
    QDir::setCurrent(before);
}

QTEST_MAIN(TestRegistries)
#include "tst_registries.moc"
