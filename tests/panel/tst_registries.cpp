// The panel's registries, formula values, header values and change
// bookkeeping on a Panel with a test shell in place of the window.
#include "activeelement.h"
#include "dataclass.h"
#include "fakeelement.h"
#include "errorreporter.h"
#include "led.h"
#include "quillpanel.h"
#include "mathlabel.h"
#include "pollentries.h"
#include "registermodel.h"
#include "tabwidget.h"
#include "testenvironment.h"
#include "testshell.h"

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
    void removedElementLeavesEveryRegistry();
    void unregisterElementUndoesRegisterElement();
    void renamesFollowTheDefine();
    void readStateIsKeptAcrossAFragmentRead();

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<TestShell> shell;
    std::unique_ptr<Panel> panel;
};

void TestRegistries::initTestCase()
{
    env = std::make_unique<TestEnvironment>();
    shell = std::make_unique<TestShell>();
}

void TestRegistries::init()
{
    env->installPrompt({});
    ErrorReporter::instance().setReportToMessageBox(true);
    ErrorReporter::instance().setReportToConsole(false);
    // A fresh panel: the last test's elements went with its stack.
    panel = std::make_unique<Panel>(shell.get());
}

void TestRegistries::cleanupTestCase()
{
    panel.reset();
    shell.reset();
}

void TestRegistries::lookupsNeverInsert()
{
    QVERIFY(!panel->getActiveElement("NOPE"));
    QVERIFY(!panel->elementExists("NOPE"));
    QVERIFY(!panel->getModule("NOMOD"));
    QVERIFY(!panel->getRegister("NOMOD", "R"));
    QVERIFY(panel->registries().elementsByDefine.isEmpty());
    QVERIFY(panel->registries().moduleTable.isEmpty());
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
    panel->registerElement("CHECK", &check);
    TabWidget tabs;
    for (int i = 0; i < 3; ++i)
        tabs.addTab(new QWidget, QString::number(i));
    tabs.setCurrentIndex(2);
    panel->setTabWidget("PAGES", &tabs);
    DataClass var("VAR");
    var.setValue(0xFFFFFFFFu);
    DataClass fvar("FVAR");
    fvar.isFloat = 1;
    fvar.setFloatValue(0.25f);
    panel->setDataClass("VAR", &var);
    panel->setDataClass("FVAR", &fvar);

    QCOMPARE(panel->getValue(text), expected);
    QVERIFY(env->prompt()->transcript().isEmpty());
}

void TestRegistries::unknownReferenceIsReportedOnce()
{
    FakeElement check("CHECK");
    panel->registerElement("CHECK", &check);
    QCOMPARE(panel->getValue("CHECK.typeinfo"), 0.0f);
    QCOMPARE(panel->getValue("NOBODY"), 0.0f);
    QCOMPARE(env->prompt()->transcript(),
             (QStringList{"Invalid value in formula: \"CHECK.typeinfo\"", "Invalid value in formula: \"NOBODY\""}));
}

void TestRegistries::setAndAddSemantics()
{
    TabWidget first, second;
    panel->setTabWidget("T", &first);
    panel->setTabWidget("T", &second);
    QCOMPARE(panel->registries().tabWidgetsByName.value("T"), &second);

    Led a("A"), b("B");
    panel->addLed("D", &a);
    panel->addLed("D", &b);
    QCOMPARE(panel->registries().ledsByData.value("D"), (QList<Led *>{&a, &b}));
}

void TestRegistries::mathLabelsListenToTheirNamesOnly()
{
    MathLabel label("SUM");
    panel->addMathLabel({"A.value", "SUM", "B.label", "C"}, &label);
    MathLabel constant("CONST");
    panel->addMathLabel({}, &constant);
    QCOMPARE(panel->registries().mathLabelsByDefine.value("A"), QList<MathLabel *>{&label});
    QCOMPARE(panel->registries().mathLabelsByDefine.value("B"), QList<MathLabel *>{&label});
    QCOMPARE(panel->registries().mathLabelsByDefine.value("C"), QList<MathLabel *>{&label});
    QVERIFY(!panel->registries().mathLabelsByDefine.contains("SUM"));
    QCOMPARE(panel->registries().mathLabelsByDefine.value("dummy_define"), QList<MathLabel *>{&constant});
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
    panel->editHeader().setFWVersionRange(min, max);
    QCOMPARE(panel->header().fwVersionRangeText(), expected);
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
    QCOMPARE(PanelNames::getModuleName(path), module);
    QCOMPARE(PanelNames::getRegisterName(path), reg);
    QCOMPARE(PanelNames::getFieldName(path), field);
}

void TestRegistries::addModuleKeepsTheFirst()
{
    ModuleRecord *first = nullptr;
    QVERIFY(panel->addModule(&first, "UART"));
    QVERIFY(first);
    ModuleRecord *second = nullptr;
    QVERIFY(!panel->addModule(&second, "UART"));
    QVERIFY(!second);
    QCOMPARE(panel->getModule("UART"), first);
}

void TestRegistries::enumeratedValuesReachTheElement()
{
    FakeElement mode("MODE");
    panel->registerElement("MODE", &mode);
    QVERIFY(panel->setEnumeratedValue("MODE", "Fast", "1", 1));
    QVERIFY(!panel->setEnumeratedValue("OTHER", "Slow", "0", 0));
    QCOMPARE(mode.items.value(1).text, QString("Fast"));
    QVERIFY(!panel->elementExists("OTHER"));
}

void TestRegistries::changedMovesTheElementToTheEnd()
{
    FakeElement a("A"), b("B"), timer("TIMER");
    a.setProperty("header", "cfg.h");
    timer.values[4] = "TimerLabel";
    panel->registerElement("A", &a);
    panel->registerElement("B", &b);
    panel->registerElement("TIMER", &timer);
    shell->modified = false;
    panel->editHeader().changedHeaders.clear();

    connect(&a, &QLabel::linkActivated, panel.get(), &Panel::changed);
    emit a.linkActivated(QString());
    QCOMPARE(panel->getAllElements(), (QList<ActiveElement *>{&b, &timer, &a}));
    QVERIFY(panel->header().changedHeaders.value("cfg.h"));
    QVERIFY(shell->modified);

    shell->modified = false;
    connect(&timer, &QLabel::linkActivated, panel.get(), &Panel::changed);
    emit timer.linkActivated(QString());
    QVERIFY(!shell->modified);
    QCOMPARE(panel->getAllElements(), (QList<ActiveElement *>{&b, &timer, &a}));
}

void TestRegistries::headerValues()
{
    panel->editHeader().xmlVersion = "1.2.3";
    panel->setXMLFile(env->path("panel.xml"));
    QCOMPARE(panel->header().xmlFileName(), QString("panel.xml"));
    panel->setDisclaimerFile("mine.txt");
    QVERIFY(panel->header().hasOwnDisclaimer);
}

// An element, a formula label, a variable and an LED leave every list that
// names them; what names others stays.
void TestRegistries::removedElementLeavesEveryRegistry()
{
    FakeElement a("A"), b("B");
    panel->registerElement("A", &a);
    panel->registerElement("B", &b);
    panel->setElementNames({"A", "B"});
    panel->locks().addWaitingLock("A", "X");
    panel->locks().addWaitingLock("B", "A");
    panel->locks().addWaitingLock("B", "C");
    MathLabel label("SUM");
    panel->addMathLabel({"A", "B"}, &label);
    panel->locks().consoleOverflowWarning(&label, 10, "A", true);
    DataClass variable("V");
    panel->setDataClass("V", &variable);
    VarPollEntry entry, other;
    entry.target = &variable;
    panel->addVarPoll(&entry);
    panel->addVarPoll(&other);
    Led led("L");
    panel->addLed("A", &led);
    panel->setLED("L", &led);
    ModuleRecord *module = nullptr;
    QVERIFY(panel->addModule(&module, "M"));
    RegisterRecord *onlyA = module->addRegister(QString(), "ONLY_A");
    QVERIFY(onlyA->assignBits(&a, 3, 0));
    RegisterRecord *shared = module->addRegister(QString(), "SHARED");
    QVERIFY(shared->assignBits(&a, 3, 0));
    QVERIFY(shared->assignBits(&b, 7, 4));

    for (QObject *object : std::initializer_list<QObject *>{&a, &label, &variable, &led})
        panel->removeElement(object);

    QCOMPARE(panel->registries().elementsByDefine.keys(), QStringList{"B"});
    QCOMPARE(panel->getAllElements(), QList<ActiveElement *>{&b});
    QCOMPARE(panel->registries().elementNames, QStringList{"B"});
    QCOMPARE(panel->locks().waitingLocks(), (QHash<QString, QStringList>{{"B", {"C"}}}));
    QVERIFY(panel->registries().mathLabelsByDefine.value("A").isEmpty());
    QVERIFY(panel->registries().mathLabelsByDefine.value("B").isEmpty());
    QVERIFY(panel->locks().overflowConflicts().isEmpty());
    QVERIFY(panel->locks().overflowCauses().isEmpty());
    QVERIFY(panel->registries().variablesByName.isEmpty());
    QCOMPARE(panel->registries().varPollList, QList<VarPollEntry *>{&other});
    QVERIFY(panel->registries().ledsByData.value("A").isEmpty());
    QVERIFY(panel->registries().ledsByName.isEmpty());
    QVERIFY(!module->registers.contains("ONLY_A"));
    QVERIFY(module->registers.contains("SHARED"));
    delete onlyA;
    // Nothing at all: nothing happens.
    panel->removeElement(nullptr);
}

void TestRegistries::unregisterElementUndoesRegisterElement()
{
    FakeElement a("A"), b("B");
    panel->registerElement("A", &a);
    panel->registerElement("B", &b);
    panel->unregisterElement("A");
    panel->unregisterElement("NOPE");
    QCOMPARE(panel->registries().elementsByDefine.keys(), QStringList{"B"});
    QCOMPARE(panel->getAllElements(), QList<ActiveElement *>{&b});
    panel->forgetAllElements();
    QVERIFY(panel->registries().elementsByDefine.isEmpty());
    QVERIFY(panel->getAllElements().isEmpty());
}

void TestRegistries::renamesFollowTheDefine()
{
    ModuleRecord *module = nullptr;
    QVERIFY(panel->addModule(&module, "OLD"));
    panel->renameModule("OLD", "NEW");
    QCOMPARE(panel->getModule("NEW"), module);
    QVERIFY(!panel->getModule("OLD"));
    // A name not in the table leaves it as it is.
    panel->renameModule("NONE", "OTHER");
    QCOMPARE(panel->registries().moduleTable.keys(), QStringList{"NEW"});
    // The ordered list follows the table: a module renamed over another
    // takes its name, and the one pushed out leaves the list.
    ModuleRecord *other = nullptr;
    QVERIFY(panel->addModule(&other, "OTHER"));
    QCOMPARE(panel->registries().moduleOrder.size(), 2);
    QCOMPARE(panel->registries().moduleOrder.at(1).name, QStringLiteral("OTHER"));
    panel->renameModule("OTHER", "NEW");
    QCOMPARE(panel->getModule("NEW"), other);
    QCOMPARE(panel->registries().moduleOrder.size(), 1);
    QCOMPARE(panel->registries().moduleOrder.at(0).module, other);
    QCOMPARE(panel->registries().moduleOrder.at(0).name, QStringLiteral("NEW"));

    panel->setElementNames({"OLD", "OLDER", "X"});
    panel->renameElementName("OLD", "NEW");
    QCOMPARE(panel->registries().elementNames, (QStringList{"NEW", "OLDER", "X"}));

    MathLabel label("SUM");
    panel->addMathLabel({"OLD"}, &label);
    panel->forgetUnreadOperand("OLD");
    QVERIFY(panel->feedsFormula("OLD"));
    panel->removeMathLabel(&label);
    QVERIFY(panel->feedsFormula("OLD"));
    panel->forgetUnreadOperand("OLD");
    QVERIFY(!panel->feedsFormula("OLD"));
}

// A paste reads a fragment with a reader that starts from an empty read
// state; the panel's own comes back whole, its exchange entries not deleted.
void TestRegistries::readStateIsKeptAcrossAFragmentRead()
{
    panel->editHeader().toolTipSectionMask = 0x5;
    panel->editHeader().ioPortName = "COM3";
    panel->editHeader().ioPortSettings = "9600";
    panel->editHeader().forumUrl = "https://forum.example.org/";
    auto *exchange = new ComPollEntry;
    exchange->sendData = "1";
    panel->addComPoll(exchange);
    VarPollEntry poll;
    panel->addVarPoll(&poll);
    QObject hidden;
    panel->addInvisibleElement(&hidden);

    const PanelReadState kept = panel->takeReadState();
    QCOMPARE(panel->toolTipSections(), 0xffffu);
    QVERIFY(panel->header().ioPortName.isEmpty());
    QVERIFY(panel->header().ioPortSettings.isEmpty());
    QVERIFY(panel->header().forumUrl.isEmpty());
    QVERIFY(panel->registries().comPollList.isEmpty());
    QVERIFY(panel->registries().varPollList.isEmpty());
    QVERIFY(panel->registries().invisibleElements.isEmpty());
    // The reader's own reset finds no entry of the panel's to delete.
    panel->resetReadState();

    panel->restoreReadState(kept);
    QCOMPARE(panel->toolTipSections(), 0x5u);
    QCOMPARE(panel->header().ioPortName, QString("COM3"));
    QCOMPARE(panel->header().ioPortSettings, QString("9600"));
    QCOMPARE(panel->header().forumUrl, QString("https://forum.example.org/"));
    QCOMPARE(panel->registries().comPollList, QList<ComPollEntry *>{exchange});
    QCOMPARE(exchange->sendData, QString("1"));
    QCOMPARE(panel->registries().varPollList, QList<VarPollEntry *>{&poll});
    QCOMPARE(panel->registries().invisibleElements, QList<QObject *>{&hidden});

    // A whole read deletes the exchange entries of the panel before.
    panel->resetReadState();
    QVERIFY(panel->registries().comPollList.isEmpty());
    QVERIFY(panel->registries().invisibleElements.isEmpty());
}

QTEST_MAIN(TestRegistries)
#include "tst_registries.moc"
