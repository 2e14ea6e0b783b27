// The two choice elements: the radio group (ButtonGroup) and the combo box.

#include "buttongroup.h"
#include "checkbox.h"
#include "combobox.h"
#include "elementfixture.h"
#include "eventfilters.h"
#include "registermodel.h"
#include "widgets.h"

#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QtTest>

class TestChoiceElements : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Shared literal rules
    void integerLiterals_data();
    void integerLiterals();
    void defineValueTexts_data();
    void defineValueTexts();

    // Radio group: buttons, values and labels
    void buttonsJoinInOrderOfAddition();
    void groupFindsButtons_data();
    void groupFindsButtons();
    void unknownLabelAddsNothing();
    void groupFollowsAReference();
    void groupValues();
    void groupWithoutValuesReportsTheIndex();
    void groupSetValueRunsTheProgramsChange();
    void groupLoadValue_data();
    void groupLoadValue();
    void groupResetToDefault_data();
    void groupResetToDefault();
    void groupReappliesItsStoredValue();

    // Radio group: actions and locks
    void switchingButtonsRunsBothButtonsActions();
    void sameButtonReportedAgain();
    void disabledGroupOnlyRefreshesFormulas();
    void groupSendLocksOfOneButton();
    void lockedGroupRemembersEnableRequests();
    void groupInitializeAndToolTips();
    void groupSetByDefineKeepsTheValue();
    void groupDeletedInItsOwnAction();

    // Combo box: items and values
    void comboStartsFocusedAndWheelGuarded();
    void hiddenItemsAreNotAppended();
    void comboFindsItems_data();
    void comboFindsItems();
    void comboValues();
    void comboLoadValue_data();
    void comboLoadValue();
    void comboResetToDefault_data();
    void comboResetToDefault();
    void comboReappliesItsStoredValue();
    void duplicateWarnings_data();
    void duplicateWarnings();

    // Combo box: enumerated values of an SVD field
    void enumeratedValuesFillPlaceholders();
    void hiddenEnumeratedValues();

    // Combo box: module listing
    void moduleListing();
    void moduleListingFromAnotherList();
    void registerDefaultListsTheModule();
    void referencedListingWithNothingListedChangesNothing();

    // Combo box: actions and locks
    void choosingAnItemRunsBothItemsActions();
    void emptiedListIsIgnored();
    void disabledComboOnlyRefreshesFormulas();
    void comboUserChangeIsRecorded();
    void comboLocks();
    void lockedComboStaysDisabled();
    void branchReachesBothByName();

private:
    ButtonGroup *group(int count, const QStringList &labels = {}, const QStringList &values = {});
    ComboBox *combo(const QStringList &texts, const QStringList &values = {});

    std::unique_ptr<ElementFixture> fx;
    std::unique_ptr<QWidget> top;
};

void TestChoiceElements::initTestCase()
{
    fx = std::make_unique<ElementFixture>();
}

void TestChoiceElements::init()
{
    fx->reset();
    top = std::make_unique<QWidget>();
}

void TestChoiceElements::cleanup()
{
    top.reset();
}

// A group named G of count radio buttons in the top widget; buttons are
// labelled and valued as far as the lists go.
ButtonGroup *TestChoiceElements::group(int count, const QStringList &labels, const QStringList &values)
{
    auto *result = new ButtonGroup(QStringLiteral("G"), top.get());
    result->setHost(&fx->panel);
    result->setElementProperty("header", QStringLiteral("cfg.h"));
    for (int i = 0; i < count; ++i) {
        auto *button = new QRadioButton(QStringLiteral("Text%1").arg(i), top.get());
        button->move(0, 30 * i);
        result->addRadioButton(button, labels.value(i), values.value(i));
    }
    return result;
}

ComboBox *TestChoiceElements::combo(const QStringList &texts, const QStringList &values)
{
    auto *box = new ComboBox(QStringLiteral("C"), top.get());
    box->setHost(&fx->panel);
    box->setElementProperty("header", QStringLiteral("cfg.h"));
    for (int i = 0; i < texts.size(); ++i)
        box->appendItem(texts.at(i), values.value(i, QString::number(i)));
    return box;
}

// ---------------------------------------------------------------------------
// Shared literal rules

void TestChoiceElements::integerLiterals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<int>("indexOfThree"); // indexFromLiteral(text, 3)

    QTest::newRow("decimal") << "2" << "2" << 2;
    QTest::newRow("hex") << "0x10" << "16" << -1;
    QTest::newRow("hex in C form") << "(0x2u)" << "2" << 2;
    QTest::newRow("negative") << "-1" << "-1" << -1;
    QTest::newRow("at the count") << "3" << "3" << -1;
    QTest::newRow("beyond 64 bits") << "0x1FFFFFFFFFFFFFFFF" << "" << -1;
    QTest::newRow("large decimal") << "18446744073709551615" << "18446744073709551615" << -1;
    QTest::newRow("fraction") << "1.5" << "" << -1;
    QTest::newRow("binary") << "0b1" << "" << -1;
    QTest::newRow("text") << "one" << "" << -1;
    QTest::newRow("empty") << "" << "" << -1;
}

void TestChoiceElements::integerLiterals()
{
    QFETCH(QString, text);
    QFETCH(QString, decimal);
    QFETCH(int, indexOfThree);
    QCOMPARE(integerLiteralText(text), decimal);
    QCOMPARE(indexFromLiteral(text, 3), indexOfThree);
}

void TestChoiceElements::defineValueTexts_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<QString>("define");

    QTest::newRow("whole define") << "5" << -1 << "5";
    QTest::newRow("shifted") << "3" << 4 << "48";
    QTest::newRow("low half only") << "1" << 32 << "0";
    QTest::newRow("beyond 64 bits of shift") << "1" << 64 << "0";
    QTest::newRow("negative as two's complement") << "-1" << 4 << "4294967280";
    QTest::newRow("no number") << "x" << -1 << "0";
    QTest::newRow("empty") << "" << 2 << "0";
}

void TestChoiceElements::defineValueTexts()
{
    QFETCH(QString, value);
    QFETCH(int, lsb);
    QFETCH(QString, define);
    QCOMPARE(defineValueText(value, lsb), define);
}

// ---------------------------------------------------------------------------
// Radio group: buttons, values and labels

void TestChoiceElements::buttonsJoinInOrderOfAddition()
{
    ButtonGroup *g = group(3, {"Slow", "", "Fast"}, {"0x10", "", "7"});
    QCOMPARE(g->buttons().size(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(g->id(g->buttons().at(i)), i);
    QCOMPARE(g->button(0)->property("userData").toString(), QStringLiteral("0x10"));
    QCOMPARE(g->button(1)->property("userData").toString(), QStringLiteral("1"));
    QCOMPARE(g->button(0)->objectName(), QStringLiteral("GSlow"));
    QCOMPARE(g->button(1)->objectName(), QStringLiteral("G"));
    QCOMPARE(g->buttonForLabel(QStringLiteral("Fast")), g->button(2));

    QCOMPARE(g->buttonValue(0), QStringLiteral("16"));
    QCOMPARE(g->buttonValue(1), QStringLiteral("1"));
    QCOMPARE(g->buttonValue(3), QString());
    QCOMPARE(g->buttonValue(-1), QString());
    QCOMPARE(g->buttonLabel(0), QStringLiteral("Slow"));
    QCOMPARE(g->buttonLabel(1), QStringLiteral("Text1")); // no label: the text
    QCOMPARE(g->buttonLabel(3), QString());
}

void TestChoiceElements::groupFindsButtons_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("keyword");
    QTest::addColumn<int>("index");

    // Buttons: Slow = 0x10, (Text1) = 1, Fast = abc
    QTest::newRow("hex value by its number") << "16" << 0 << 0;
    QTest::newRow("hex value as written") << "0x10" << 0 << 0;
    QTest::newRow("hex value in C form") << "(0x10u)" << 0 << 0;
    QTest::newRow("default value is the id") << "1" << 0 << 1;
    QTest::newRow("text value") << "abc" << 0 << 2;
    QTest::newRow("unknown value") << "5" << 0 << -1;
    QTest::newRow("label") << "Fast" << 1 << 2;
    QTest::newRow("button text without label") << "Text1" << 1 << 1;
    QTest::newRow("unknown label") << "Medium" << 1 << -1;
    QTest::newRow("index") << "1" << 2 << 1;
    QTest::newRow("hex index") << "0x2" << 2 << 2;
    QTest::newRow("index at the count") << "3" << 2 << -1;
    QTest::newRow("negative index") << "-1" << 2 << -1;
    QTest::newRow("index no number") << "one" << 2 << -1;
    QTest::newRow("other keyword") << "1" << 3 << -1;
}

void TestChoiceElements::groupFindsButtons()
{
    QFETCH(QString, text);
    QFETCH(int, keyword);
    QFETCH(int, index);

    ButtonGroup *g = group(3, {"Slow", "", "Fast"}, {"0x10", "", "abc"});
    QCOMPARE(g->indexFromText(text, keyword), index);
    if (keyword == KeywordValue)
        QCOMPARE(g->indexOfUserData(text) >= 0, index >= 0 && text != QLatin1String("(0x10u)"));
}

void TestChoiceElements::unknownLabelAddsNothing()
{
    ButtonGroup *g = group(2, {"A", "B"});
    QCOMPARE(g->indexOfLabel(QStringLiteral("Z")), -1);
    QCOMPARE(g->indexFromText(QStringLiteral("Z"), KeywordLabel), -1);
    // An empty label finds no labelled button, also after the lookups above.
    QCOMPARE(g->indexOfLabel(QString()), -1);
    QCOMPARE(g->indexOfLabel(QStringLiteral("B")), 1);
}

void TestChoiceElements::groupFollowsAReference()
{
    ButtonGroup *g = group(3, {"Off", "On", "Auto"}, {"0", "1", "2"});
    auto *other = new ComboBox(QStringLiteral("OTHER"), top.get());
    other->setHost(&fx->panel);
    other->appendItem(QStringLiteral("Auto"), QStringLiteral("1"));
    fx->panel.registerElement(QStringLiteral("OTHER"), other);

    g->setValue(QStringLiteral("OTHER"), KeywordValue);
    QCOMPARE(g->checkedId(), 1);
    g->setValue(QStringLiteral("OTHER.label"), KeywordLabel);
    QCOMPARE(g->checkedId(), 2);
    g->setValue(QStringLiteral("OTHER.index"), KeywordIndex);
    QCOMPARE(g->checkedId(), 0);
}

void TestChoiceElements::groupValues()
{
    ButtonGroup *g = group(3, {"Slow", "", "Fast"}, {"3", "", "-1"});
    QCOMPARE(g->value(KeywordValue, 0), QString());
    QCOMPARE(g->value(KeywordLabel, 0), QString());
    QCOMPARE(g->value(KeywordIndex, 0), QStringLiteral("-1"));
    QCOMPARE(g->value(KeywordTypeInfo, 0), QStringLiteral("ButtonGroup"));

    g->button(0)->setChecked(true);
    g->setElementProperty("lsb", 4);
    QCOMPARE(g->value(KeywordValue, 0), QStringLiteral("3"));
    QCOMPARE(g->value(KeywordLabel, 0), QStringLiteral("Slow"));
    QCOMPARE(g->value(KeywordIndex, 0), QStringLiteral("0"));
    QCOMPARE(g->value(KeywordDefineValue, 0), QStringLiteral("48"));
    g->button(1)->setChecked(true);
    QCOMPARE(g->value(KeywordLabel, 0), QStringLiteral("Text1"));

    QCOMPARE(g->value(5, 0), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type")));
    QVERIFY(g->acceptsBitRange(31, 0));
    QVERIFY(g->acceptsBitRange(-1, -1));
}

void TestChoiceElements::groupWithoutValuesReportsTheIndex()
{
    ButtonGroup *g = group(3);
    g->initialize();
    QVERIFY(showAndActivate(top.get()));
    QString recorded;
    fx->shell.recorder.stream().setString(&recorded);
    fx->shell.console.clear();

    g->button(2)->setFocus();
    g->button(2)->click();
    QCOMPARE(g->value(KeywordValue, 0), QStringLiteral("2"));
    QCOMPARE(recorded, QStringLiteral("Set(G, 2)\n"));
    QVERIFY(fx->consoleText().contains(QStringLiteral("Set(G, 2)")));
    QCOMPARE(g->storedValueText(), QStringLiteral("2"));

    // Without the focus (a script, a setDef) nothing is recorded.
    recorded.clear();
    auto *other = new QLineEdit(top.get());
    other->setFocus();
    g->button(0)->click();
    QCOMPARE(recorded, QString());
}

void TestChoiceElements::groupSetValueRunsTheProgramsChange()
{
    ButtonGroup *g = group(2, {}, {"5", "6"});
    g->setElementProperty("data", QVariantMap{{"1", QVariantList{"selected_setDef", "", "X=1"}}});
    g->initialize();
    SignalLog log(g);
    g->setValue(QStringLiteral("6"), KeywordValue);
    QCOMPARE(log.actions(), QStringList{"selected_setDef(X=1)"});
    QVERIFY(log.entries.contains(QStringLiteral("updateMathLabels()")));
    QVERIFY(!log.entries.contains(QStringLiteral("changedByUser()")));
    QVERIFY(fx->shell.modified);
    // The program's change does not become the stored value.
    QCOMPARE(g->storedValueText(), QStringLiteral("5"));

    log.clear();
    g->setValue(QStringLiteral("7"), KeywordValue);
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(g->checkedId(), 1);
    QVERIFY(fx->reported(QStringLiteral("Trying to set \"G\" to invalid value \"7\"")));
}

void TestChoiceElements::groupLoadValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("checked"); // -1: reported, button 1 stays checked

    // Buttons: 0x10, 5, 9
    QTest::newRow("value") << "5" << 1;
    QTest::newRow("hex value by its number") << "16" << 0;
    QTest::newRow("index when no value matches") << "2" << 2;
    QTest::newRow("index at the count") << "3" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("no number") << "fast" << -1;
}

void TestChoiceElements::groupLoadValue()
{
    QFETCH(QString, text);
    QFETCH(int, checked);

    ButtonGroup *g = group(3, {}, {"0x10", "5", "9"});
    g->setElementProperty("data", QVariantMap{{"0", QVariantList{"selected_setDef", "", "X=1"}},
                                              {"2", QVariantList{"selected_setDef", "", "Y=1"}}});
    g->initialize();
    g->loadValue(QStringLiteral("5"));
    SignalLog log(g);
    g->loadValue(text);
    QVERIFY(log.entries.isEmpty()); // a load runs no actions
    if (checked < 0) {
        QCOMPARE(g->checkedId(), 1);
        QCOMPARE(g->storedValueText(), QStringLiteral("5"));
        QVERIFY(fx->reported(QStringLiteral("Trying to load \"G\" with invalid value \"%1\"").arg(text)));
    } else {
        QCOMPARE(g->checkedId(), checked);
        QCOMPARE(g->storedValueText(), g->buttonValue(checked));
        QVERIFY(fx->transcript().isEmpty());
    }
}

void TestChoiceElements::groupResetToDefault_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<int>("checked"); // button 1 is checked before
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("error");

    // Buttons: Slow = 0x10, Medium = 1, Fast = 2
    QTest::newRow("empty") << "" << 0 << "16" << false;
    QTest::newRow("value") << "2" << 2 << "2" << false;
    QTest::newRow("value prefix, hex") << "value=0x10" << 0 << "16" << false;
    QTest::newRow("label") << "label=Fast" << 2 << "2" << false;
    QTest::newRow("index") << "index=0" << 0 << "16" << false;
    QTest::newRow("index beyond the group") << "index=7" << 1 << "" << true;
    QTest::newRow("unknown label") << "label=Turbo" << 1 << "" << true;
}

void TestChoiceElements::groupResetToDefault()
{
    QFETCH(QString, defaultText);
    QFETCH(int, checked);
    QFETCH(QString, stored);
    QFETCH(bool, error);

    ButtonGroup *g = group(3, {"Slow", "Medium", "Fast"}, {"0x10", "1", "2"});
    g->setElementProperty("data", QVariantMap{{"2", QVariantList{"selected_setDef", "", "X=1"}},
                                              {"0", QVariantList{"selected_setDef", "", "Y=1"}}});
    g->initialize();
    g->loadValue(QStringLiteral("1"));
    g->setElementProperty("my_default", defaultText);
    SignalLog log(g);
    g->resetToDefault();
    QVERIFY(log.actions().isEmpty()); // a reset runs no actions
    QCOMPARE(g->checkedId(), checked);
    QCOMPARE(g->storedValueText(), stored);
    QString shown = defaultText;
    stripKeyword(shown, keywordIndexOf(shown));
    QCOMPARE(fx->reported(QStringLiteral("Trying to set \"G\" to invalid value \"%1\"").arg(shown)), error);

    // After an invalid default there is nothing to show again.
    log.clear();
    g->reapplyStoredValue();
    QCOMPARE(g->checkedId(), checked);
}

void TestChoiceElements::groupReappliesItsStoredValue()
{
    ButtonGroup *g = group(3);
    g->setElementProperty("locks", QVariantMap{{"1", QStringList{"L=1"}}});
    g->initialize();
    g->loadValue(QStringLiteral("1"));
    g->setValue(QStringLiteral("2"), KeywordValue);
    SignalLog log(g);
    g->reapplyStoredValue();
    QCOMPARE(g->checkedId(), 1);
    // The change path runs, then the stored button's locks are sent once more.
    QCOMPARE(log.actions(), QStringList({"sendLock(L=1)", "sendLock(L=1)"}));
    QCOMPARE(log.entries.last(), QStringLiteral("sendLock(L=1)"));
}

// ---------------------------------------------------------------------------
// Radio group: actions and locks

void TestChoiceElements::switchingButtonsRunsBothButtonsActions()
{
    ButtonGroup *g = group(2, {"A", "B"});
    g->setElementProperty(
        "data", QVariantMap{
                    {"0", QVariantList{"selected_setDef", "", "A=on", "unselected_setDef", "", "A=off",
                                       "unselected_sendUSB", "", "0A", "rA", "", "unselected_runScript", "", "s"}},
                    {"1", QVariantList{"selected_sendUSB", "", "0B", "rB", "", "selected_setDef", "0", "never",
                                       "unselected_setDef", "", "B=off", "selected_setDef", "", "B=on"}}});
    g->setElementProperty("locks", QVariantMap{{"0", QStringList{"LA=1", "LA2=1"}}, {"1", QStringList{"LB=1"}}});
    g->setElementProperty("default_setdef", QStringList{"D=1", "E=2"});
    g->loadValue(QStringLiteral("0"));
    g->initialize();
    SignalLog log(g);

    g->button(1)->click();
    // The group reports the unchecked old button too; only the new one counts.
    QCOMPARE(log.actions(), QStringList({"selected_sendUSB(0B)", "selected_recData(rB)", "selected_setDef(B=on)",
                                         "unselected_setDef(A=off)", "unselected_sendUSB(0A)",
                                         "selected_recData(rA)", "sendUnlock(LA=1)", "sendUnlock(LA2=1)",
                                         "sendLock(LB=1)", "selected_setDef(D=1)", "selected_setDef(E=2)"}));
    QCOMPARE(log.entries.count(QStringLiteral("updateMathLabels()")), 1);
    QCOMPARE(g->storedValueText(), QStringLiteral("1"));

    // And back.
    log.clear();
    g->button(0)->click();
    QCOMPARE(log.actions(), QStringList({"selected_setDef(A=on)", "unselected_setDef(B=off)", "sendUnlock(LB=1)",
                                         "sendLock(LA=1)", "sendLock(LA2=1)", "selected_setDef(D=1)",
                                         "selected_setDef(E=2)"}));
}

void TestChoiceElements::sameButtonReportedAgain()
{
    ButtonGroup *g = group(2);
    g->setElementProperty("data", QVariantMap{{"1", QVariantList{"selected_setDef", "", "on",
                                                                 "unselected_setDef", "", "off"}}});
    g->setElementProperty("locks", QVariantMap{{"1", QStringList{"L=1"}}});
    g->loadValue(QStringLiteral("1"));
    SignalLog log(g);
    g->sendData(1);
    QCOMPARE(log.actions(), QStringList({"selected_setDef(on)", "unselected_setDef(off)", "sendUnlock(L=1)",
                                         "sendLock(L=1)"}));
}

void TestChoiceElements::disabledGroupOnlyRefreshesFormulas()
{
    ButtonGroup *g = group(2);
    g->setElementProperty("data", QVariantMap{{"1", QVariantList{"selected_setDef", "", "on"}}});
    g->setElementProperty("locks", QVariantMap{{"1", QStringList{"L=1"}}});
    g->enable(false);
    QVERIFY(!g->button(0)->isEnabled());
    SignalLog log(g);
    g->sendData(1);
    QCOMPARE(log.entries, QStringList{"updateMathLabels()"});

    // Indexes outside the group do the same.
    g->enable(true);
    log.clear();
    g->sendData(2);
    g->sendData(-1);
    QCOMPARE(log.entries, QStringList({"updateMathLabels()", "updateMathLabels()"}));
}

void TestChoiceElements::groupSendLocksOfOneButton()
{
    ButtonGroup *g = group(2);
    g->setElementProperty("locks", QVariantMap{{"0", QStringList{"L0=1"}}, {"1", QStringList{"L1=1"}}});
    g->loadValue(QStringLiteral("1"));
    SignalLog log(g);

    g->sendLocks(true, nullptr);
    QVERIFY(log.entries.isEmpty());
    g->sendLocks(true, g->button(0)); // unchecked: nothing to lock
    QCOMPARE(log.entries, QStringList{"changedByUser()"});
    log.clear();
    g->sendLocks(true, g->button(1));
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendLock(L1=1)"}));
    log.clear();
    g->sendLocks(false, g->button(0));
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendUnlock(L0=1)"}));

    log.clear();
    g->applyLocks();
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendLock(L1=1)"}));
    log.clear();
    g->emitSendLock(QStringLiteral("W=2"));
    QCOMPARE(log.entries, QStringList{"sendLock(W=2)"});
}

void TestChoiceElements::lockedGroupRemembersEnableRequests()
{
    ButtonGroup *g = group(2, {}, {"0", "1"});
    g->setElementProperty("locks", QVariantMap{{"1", QStringList{"L=1"}}});
    g->initialize();
    g->addLock(QStringLiteral("A"), QStringLiteral("1"), KeywordValue);
    QCOMPARE(g->checkedId(), 1);
    QVERIFY(g->locked);
    QVERIFY(!g->button(0)->isEnabled());
    QVERIFY(!g->button(1)->isEnabled());

    SignalLog log(g);
    g->enable(true);
    QVERIFY(!g->button(0)->isEnabled()); // still locked
    g->applyLocks();                       // but the request counts
    QCOMPARE(log.actions(), QStringList{"sendLock(L=1)"});

    log.clear();
    g->enable(false);
    g->applyLocks();
    QVERIFY(log.entries.isEmpty());

    g->enable(true);
    g->removeLock(QStringLiteral("A"));
    QVERIFY(!g->locked);
    QVERIFY(g->button(0)->isEnabled());
    QVERIFY(g->button(1)->isEnabled());
}

void TestChoiceElements::groupInitializeAndToolTips()
{
    ButtonGroup *g = group(3, {"A", "B", "C"});
    g->button(1)->setChecked(true);
    g->button(2)->setEnabled(false);
    QSignalSpy toggled0(g->button(0), &QAbstractButton::toggled);
    QSignalSpy toggled1(g->button(1), &QAbstractButton::toggled);
    QSignalSpy toggled2(g->button(2), &QAbstractButton::toggled);
    g->setElementProperty("confirmation", QStringLiteral("Sure?"));
    fx->panel.addMathLabel({QStringLiteral("G")}, nullptr);
    SignalLog log(g);
    g->initialize();
    // Only enabled, unchecked buttons report their unchecked state at start.
    QCOMPARE(toggled0.count(), 1);
    QCOMPARE(toggled1.count(), 0);
    QCOMPARE(toggled2.count(), 0);
    QCOMPARE(log.entries, QStringList{"updateMathLabels()"});
    for (QAbstractButton *button : g->buttons()) {
        QCOMPARE(toolTipShown(button), QStringLiteral("G = 1\nHeader: cfg.h\n"));
        QVERIFY(button->findChild<QInputEventRecorder *>());
    }
    // Initializing twice connects once.
    g->initialize();
    log.clear();
    g->button(0)->click();
    QCOMPARE(log.entries.count(QStringLiteral("changedByUser()")), 1);
    QCOMPARE(toolTipShown(g->button(2)), QStringLiteral("G = 0\nHeader: cfg.h\n"));
}

void TestChoiceElements::groupSetByDefineKeepsTheValue()
{
    // A -d define value, as the saved project must hold it.
    ButtonGroup *g = group(3, {}, {"5", "6", "7"});
    g->setElementProperty("data", QVariantMap{{"2", QVariantList{"selected_setDef", "", "X=1"}}});
    g->initialize();
    fx->panel.registerElement(QStringLiteral("G"), g);
    SignalLog log(g);
    QVERIFY(fx->panel.setElementByDefine(QStringLiteral("G"), QStringLiteral("2")));
    QCOMPARE(g->checkedId(), 2);
    QCOMPARE(g->storedValueText(), QStringLiteral("7"));
    QCOMPARE(log.actions(), QStringList{"selected_setDef(X=1)"});
    QCOMPARE(log.entries.count(QStringLiteral("changedByUser()")), 1);
}

void TestChoiceElements::groupDeletedInItsOwnAction()
{
    QPointer<ButtonGroup> g = group(2);
    g->setElementProperty("data", QVariantMap{{"1", QVariantList{"selected_setDef", "", "A", "selected_setDef", "", "B"}},
                                              {"0", QVariantList{"unselected_setDef", "", "C"}}});
    g->setElementProperty("locks", QVariantMap{{"1", QStringList{"L=1"}}});
    g->initialize();
    QStringList seen;
    connect(signalsOf(g.data()), &ElementSignals::selected_setDef, this, [&](const QString &data) {
        seen << data;
        delete g.data();
    });
    connect(signalsOf(g.data()), &ElementSignals::unselected_setDef, this, [&](const QString &data) { seen << data; });
    connect(signalsOf(g.data()), &ElementSignals::sendLock, this, [&](const QString &data) { seen << data; });
    {
        const QSignalBlocker blocker(g.data());
        g->button(1)->setChecked(true);
    }
    // Entered at the group's own slot, as the group reports the button.
    g->valueChanged(g->button(1));
    QVERIFY(g.isNull());
    QCOMPARE(seen, QStringList{"A"});
    QVERIFY(!fx->shell.modified);
}

// ---------------------------------------------------------------------------
// Combo box: items and values

void TestChoiceElements::comboStartsFocusedAndWheelGuarded()
{
    ComboBox *box = combo({"A", "B", "C"});
    QCOMPARE(box->objectName(), QStringLiteral("C"));
    QCOMPARE(box->focusPolicy(), Qt::StrongFocus);
    // The wheel over a closed combo without the focus leaves its item.
    box->setCurrentIndex(1);
    QVERIFY(!wheelTaken(box));
    QVERIFY(!wheelTaken(box, -1));
    QCOMPARE(box->currentIndex(), 1);
}

void TestChoiceElements::hiddenItemsAreNotAppended()
{
    ComboBox *box = combo({"A", "$$$HIDE$$$3", "B", "$$$hide$$$"}, {"0", "3", "1", "2"});
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->itemText(1), QStringLiteral("B"));
    QCOMPARE(box->itemData(1).toString(), QStringLiteral("1"));
    QCOMPARE(box->itemText(2), QStringLiteral("$$$hide$$$")); // the mark is case-sensitive

    box->setLastItemToolTip(QString());
    QCOMPARE(box->itemData(2, Qt::ToolTipRole), QVariant());
    box->setLastItemToolTip(QStringLiteral("tip"));
    QCOMPARE(box->itemData(2, Qt::ToolTipRole).toString(), QStringLiteral("tip"));
    QCOMPARE(box->itemData(1, Qt::ToolTipRole), QVariant());
}

void TestChoiceElements::comboFindsItems_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("keyword");
    QTest::addColumn<int>("index");

    // Items: One = 1, Sixteen = 0x10 (as written), Seventeen = 17, Four = 4, Last = -2
    QTest::newRow("value") << "1" << 0 << 0;
    QTest::newRow("values compare as text") << "16" << 0 << -1;
    QTest::newRow("hex text read as its number") << "0x11" << 0 << 2;
    QTest::newRow("negative value") << "-2" << 0 << 4;
    QTest::newRow("value no literal") << "Four" << 0 << -1;
    QTest::newRow("label") << "Four" << 1 << 3;
    QTest::newRow("label is case-sensitive") << "four" << 1 << -1;
    QTest::newRow("last index") << "4" << 2 << 4;
    QTest::newRow("index at the count") << "5" << 2 << -1;
    QTest::newRow("hex index") << "0x1" << 2 << 1;
    QTest::newRow("negative index") << "-1" << 2 << -1;
    QTest::newRow("other keyword") << "1" << 3 << -1;
}

void TestChoiceElements::comboFindsItems()
{
    QFETCH(QString, text);
    QFETCH(int, keyword);
    QFETCH(int, index);

    ComboBox *box = combo({"One", "Sixteen", "Seventeen", "Four", "Last"}, {"1", "0x10", "17", "4", "-2"});
    QCOMPARE(box->indexFromText(text, keyword), index);
    box->setCurrentIndex(1);
    box->setValue(text, keyword);
    QCOMPARE(box->currentIndex(), index < 0 ? 1 : index);
    QCOMPARE(fx->reported(QStringLiteral("Trying to set \"C\" to invalid value \"%1\"").arg(text)), index < 0);
}

void TestChoiceElements::comboValues()
{
    ComboBox *box = combo({});
    QCOMPARE(box->value(KeywordValue, 0), QString());
    QCOMPARE(box->value(KeywordLabel, 0), QString());
    QCOMPARE(box->value(KeywordIndex, 0), QStringLiteral("-1"));
    QCOMPARE(box->value(KeywordModule, 0), QString());

    box->appendItem(QStringLiteral("Off"), QStringLiteral("0"));
    box->appendItem(QStringLiteral("High"), QStringLiteral("3"));
    box->setCurrentIndex(1);
    box->setElementProperty("lsb", 2);
    QCOMPARE(box->value(KeywordValue, 0), QStringLiteral("3"));
    QCOMPARE(box->value(KeywordLabel, 0), QStringLiteral("High"));
    QCOMPARE(box->value(KeywordIndex, 0), QStringLiteral("1"));
    QCOMPARE(box->value(KeywordDefineValue, 0), QStringLiteral("12"));
    QCOMPARE(box->value(KeywordTypeInfo, 0), QStringLiteral("ComboBox"));
    QVERIFY(!fx->reported(QStringLiteral("Can not return")));
    QCOMPARE(box->value(KeywordRegisterName, 0), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type")));
    QVERIFY(box->acceptsBitRange(3, 0));
}

void TestChoiceElements::comboLoadValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index"); // -1: reported, item 1 stays current

    // Items: A = 10, B = 20, C = 2
    QTest::newRow("value") << "20" << 1;
    QTest::newRow("value before index") << "2" << 2;
    QTest::newRow("index") << "0" << 0;
    QTest::newRow("index at the count") << "3" << -1;
    QTest::newRow("negative index") << "-1" << -1;
    QTest::newRow("no number") << "A" << -1;
}

void TestChoiceElements::comboLoadValue()
{
    QFETCH(QString, text);
    QFETCH(int, index);

    ComboBox *box = combo({"A", "B", "C"}, {"10", "20", "2"});
    box->setElementProperty("data", QVariantMap{{"0", QVariantList{"selected_setDef", "", "X"}},
                                                {"2", QVariantList{"selected_setDef", "", "Y"}}});
    box->initialize();
    box->loadValue(QStringLiteral("20"));
    SignalLog log(box);
    box->loadValue(text);
    QVERIFY(log.entries.isEmpty());
    if (index < 0) {
        QCOMPARE(box->currentIndex(), 1);
        QCOMPARE(box->storedValueText(), QStringLiteral("20"));
        QVERIFY(fx->reported(QStringLiteral("Trying to load \"C\" with invalid value \"%1\"").arg(text)));
    } else {
        QCOMPARE(box->currentIndex(), index);
        QCOMPARE(box->storedValueText(), box->itemData(index).toString());
    }
}

void TestChoiceElements::comboResetToDefault_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<int>("index"); // item 1 is current before
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("error");

    // Items: Off = 0, Low = 5, High = 0x10 as 16
    QTest::newRow("empty") << "" << 0 << "0" << false;
    QTest::newRow("value") << "16" << 2 << "16" << false;
    QTest::newRow("hex value") << "value=0x10" << 2 << "16" << false;
    QTest::newRow("label") << "label=Off" << 0 << "0" << false;
    QTest::newRow("index") << "index=2" << 2 << "16" << false;
    QTest::newRow("index beyond the list") << "index=3" << 1 << "" << true;
    QTest::newRow("value not in the list") << "7" << 1 << "" << true;
}

void TestChoiceElements::comboResetToDefault()
{
    QFETCH(QString, defaultText);
    QFETCH(int, index);
    QFETCH(QString, stored);
    QFETCH(bool, error);

    ComboBox *box = combo({"Off", "Low", "High"}, {"0", "5", "16"});
    box->setElementProperty("data", QVariantMap{{"0", QVariantList{"selected_setDef", "", "X"}},
                                                {"2", QVariantList{"selected_setDef", "", "Y"}}});
    box->initialize();
    box->loadValue(QStringLiteral("5"));
    box->setElementProperty("my_default", defaultText);
    SignalLog log(box);
    box->resetToDefault();
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(box->currentIndex(), index);
    QCOMPARE(box->storedValueText(), stored);
    QString shown = defaultText;
    stripKeyword(shown, keywordIndexOf(shown));
    QCOMPARE(fx->reported(QStringLiteral("Trying to set \"C\" to invalid value \"%1\"").arg(shown)), error);
}

void TestChoiceElements::comboReappliesItsStoredValue()
{
    ComboBox *box = combo({"A", "B", "C"});
    box->setElementProperty("data", QVariantMap{{"1", QVariantList{"selected_setDef", "", "back"}}});
    box->initialize();
    box->loadValue(QStringLiteral("1"));
    box->setValue(QStringLiteral("2"), KeywordIndex);
    SignalLog log(box);
    box->reapplyStoredValue();
    QCOMPARE(box->currentIndex(), 1);
    QCOMPARE(log.actions(), QStringList{"selected_setDef(back)"});
    QCOMPARE(box->storedValueText(), QStringLiteral("1"));
}

void TestChoiceElements::duplicateWarnings_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("warnings");

    QTest::newRow("none") << QStringList{"A", "B"} << QStringList{"0", "1"} << QStringList{};
    QTest::newRow("texts") << QStringList{"A", "A", "B"} << QStringList{"0", "1", "2"} << QStringList{"texts"};
    QTest::newRow("values") << QStringList{"A", "B"} << QStringList{"1", "1"} << QStringList{"values"};
    QTest::newRow("both") << QStringList{"A", "A"} << QStringList{"1", "1"} << QStringList{"values", "texts"};
}

void TestChoiceElements::duplicateWarnings()
{
    QFETCH(QStringList, texts);
    QFETCH(QStringList, values);
    QFETCH(QStringList, warnings);

    fx->shell.console.clear();
    auto *box = new ComboBox(QStringLiteral("P:Q"), top.get());
    box->setHost(&fx->panel);
    for (int i = 0; i < texts.size(); ++i)
        box->appendItem(texts.at(i), values.at(i));
    box->initialize();
    const QString html = fx->consoleHtml();
    const QString plain = fx->consoleText();
    for (const QString &what : {QStringLiteral("values"), QStringLiteral("texts")}) {
        const QString line = QStringLiteral("XML Warning: Combobox P:Q has duplicate %1.").arg(what);
        QCOMPARE(plain.count(line), warnings.contains(what) ? 1 : 0);
    }
    if (!warnings.isEmpty())
        QVERIFY(html.contains(QStringLiteral("P$$$COLON$$$Q")));
}

// ---------------------------------------------------------------------------
// Combo box: enumerated values of an SVD field

void TestChoiceElements::enumeratedValuesFillPlaceholders()
{
    // The panel's items: a plain one, a placeholder by name, one by value with
    // and one without an override text, and one no value fills.
    ComboBox *box = combo({"First", "$$$OVERRIDE$$$FAST", "$$$OVERRIDE$$$2", "$$$OVERRIDE$$$3", "$$$OVERRIDE$$$9"},
                          {"100", "101", "102", "103", "109"});
    box->setElementProperty("override", QVariantMap{{"FAST", "Quick"}, {"2", "Two"}, {"3", ""}, {"9", "Nine"}});
    box->setElementProperty("data", QVariantMap{{"1", QVariantList{"selected_setDef", "", "fast"}}});

    box->addItem(QStringLiteral("FAST"), QStringLiteral("Fast clock"), 1);
    box->addItem(QStringLiteral("MEDIUM"), QStringLiteral("Medium clock"), 2);
    box->addItem(QStringLiteral("SLOW"), QStringLiteral("Slow clock"), 3);
    box->addItem(QStringLiteral("OFF"), QStringLiteral("Turned off"), 0);

    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i) + QLatin1Char('=') + box->itemData(i).toString();
    // Each placeholder is filled in its own place, so its actions stay with it.
    QCOMPARE(shown, QStringList({"First=100", "Quick=1", "Two=2", "Slow clock=3", "$$$OVERRIDE$$$9=109",
                                 "Turned off=0"}));
    QCOMPARE(box->items.size(), 4);
    QCOMPARE(box->items.value(1).text, QStringLiteral("FAST"));
    QCOMPARE(box->items.value(1).value, QStringLiteral("Fast clock"));
    QCOMPARE(box->items.value(0).key, 0);

    box->initialize();
    SignalLog log(box);
    box->setValue(QStringLiteral("1"), KeywordValue);
    QCOMPARE(log.actions(), QStringList{"selected_setDef(fast)"});
}

void TestChoiceElements::hiddenEnumeratedValues()
{
    ComboBox *box = combo({"Shown"}, {"7"});
    box->setElementProperty("override", QVariantMap{{"RESERVED", "$$$HIDE$$$"}, {"5", "$$$HIDE$$$"}});
    box->addItem(QStringLiteral("RESERVED"), QStringLiteral("Do not use"), 4);
    box->addItem(QStringLiteral("SPARE"), QStringLiteral("Spare"), 5);
    box->addItem(QStringLiteral("ON"), QStringLiteral("On"), 1);
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->itemText(1), QStringLiteral("On"));
    QCOMPARE(box->items.keys(), QList<int>{1});
    box->updateToolTip();
    QVERIFY(toolTipShown(box).contains(QStringLiteral("Enumerated Values: \nOn ON 1\n")));
    QVERIFY(!toolTipShown(box).contains(QStringLiteral("RESERVED")));
}

// ---------------------------------------------------------------------------
// Combo box: module listing

// A module GPIO with registers at offsets 8 and 4, one without size, and a
// module combo box MODS showing GPIO.
static ComboBox *moduleSetUp(Panel *panel, QWidget *top)
{
    ModuleRecord *module = nullptr;
    panel->addModule(module, QStringLiteral("GPIO"));
    const auto add = [module](const char *name, int address, int bits, const char *description) {
        RegisterRecord *reg = module->addRegister(QStringLiteral("gpio.h"), QLatin1String(name));
        reg->address = address;
        if (bits)
            reg->setSize(bits);
        reg->description = QLatin1String(description);
    };
    add("CTRL", 8, 32, "Control");
    add("DATA", 4, 32, "Data");
    add("SHADOW", 4, 16, "Shadow of data");
    add("GHOST", 0, 0, "Not sized");
    auto *modules = new ComboBox(QStringLiteral("MODS"), top);
    modules->appendItem(QStringLiteral("UART"), QStringLiteral("0"));
    modules->appendItem(QStringLiteral("GPIO"), QStringLiteral("1"));
    modules->setCurrentIndex(1);
    panel->registerElement(QStringLiteral("MODS"), modules);
    return modules;
}

void TestChoiceElements::moduleListing()
{
    moduleSetUp(&fx->panel, top.get());
    ComboBox *box = combo({"old"});
    box->setValue(QStringLiteral("MODS"), KeywordRegister);
    QStringList listed;
    for (int i = 0; i < box->count(); ++i) {
        listed << box->itemText(i) + QLatin1Char('=') + box->itemData(i).toString() + QLatin1Char('/')
                + box->itemData(i, Qt::ToolTipRole).toString();
    }
    QCOMPARE(listed, QStringList({"DATA=4/Data", "SHADOW=4/Shadow of data", "CTRL=8/Control"}));
    QCOMPARE(box->moduleName(), QStringLiteral("GPIO"));
    QCOMPARE(box->value(KeywordModule, 0), QStringLiteral("GPIO"));
    QVERIFY(fx->transcript().isEmpty());

    // Keyword 8 sets nothing; unknown elements and modules change nothing.
    box->setValue(QStringLiteral("UART"), KeywordModule);
    box->setValue(QStringLiteral("NOBODY"), KeywordRegister);
    auto *other = combo({"UART"});
    other->setObjectName(QStringLiteral("OTHER"));
    fx->panel.registerElement(QStringLiteral("OTHER"), other);
    box->setValue(QStringLiteral("OTHER"), KeywordRegister);
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->moduleName(), QStringLiteral("GPIO"));
    QVERIFY(fx->transcript().isEmpty());
}

void TestChoiceElements::moduleListingFromAnotherList()
{
    moduleSetUp(&fx->panel, top.get());
    ComboBox *first = combo({});
    first->setValue(QStringLiteral("MODS"), KeywordRegister);
    fx->panel.registerElement(QStringLiteral("C"), first);
    auto *second = new ComboBox(QStringLiteral("SECOND"), top.get());
    second->setHost(&fx->panel);
    second->setValue(QStringLiteral("C.module"), KeywordRegister);
    QCOMPARE(second->count(), 3);
    QCOMPARE(second->moduleName(), QStringLiteral("GPIO"));

    // A label copied from the other list.
    first->setCurrentIndex(2);
    second->setValue(QStringLiteral("C.label"), KeywordLabel);
    QCOMPARE(second->currentText(), QStringLiteral("CTRL"));
    QVERIFY(fx->transcript().isEmpty());
}

void TestChoiceElements::registerDefaultListsTheModule()
{
    moduleSetUp(&fx->panel, top.get());
    ComboBox *box = combo({});
    box->setElementProperty("my_default", QStringLiteral("register=MODS"));
    box->setElementProperty("data", QVariantMap{{"0", QVariantList{"selected_setDef", "", "first"}}});
    box->initialize();
    SignalLog log(box);
    box->resetToDefault();
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->currentIndex(), 0);
    // The refill reports item 0, and the default sends it once more.
    QCOMPARE(log.actions(), QStringList({"selected_setDef(first)", "selected_setDef(first)"}));
    QVERIFY(fx->transcript().isEmpty());
}

void TestChoiceElements::referencedListingWithNothingListedChangesNothing()
{
    ComboBox *lister = combo({});
    fx->panel.registerElement(QStringLiteral("C"), lister);
    auto *box = new ComboBox(QStringLiteral("B"), top.get());
    box->setHost(&fx->panel);
    box->appendItem(QStringLiteral("x"), QStringLiteral("0"));
    box->setValue(QStringLiteral("C.module"), KeywordLabel);
    QVERIFY(fx->transcript().isEmpty());
    QCOMPARE(box->currentIndex(), 0);
}

// ---------------------------------------------------------------------------
// Combo box: actions and locks

void TestChoiceElements::choosingAnItemRunsBothItemsActions()
{
    ComboBox *box = combo({"A", "B", "C"});
    box->setElementProperty(
        "data",
        QVariantMap{{"0", QVariantList{"selected_setDef", "", "A=on", "unselected_setDef", "", "A=off",
                                       "unselected_sendUSB", "", "0A", "rA", "", "unselected_runScript", "", "sA",
                                       "unselected_loadFile", "", "fA", "unselected_startProgram", "", "p"}},
                    {"2", QVariantList{"selected_sendUSB", "", "0C", "rC", "", "selected_setDef", "0", "never",
                                       "selected_runScript", "", "sC", "selected_loadFile", "", "fC",
                                       "selected_resetGUI", "", "", "unselected_setDef", "", "C=off"}}});
    box->setElementProperty("locks", QVariantMap{{"0", QStringList{"LA=1"}}, {"2", QStringList{"LC=1", "LC2=2"}}});
    box->setElementProperty("default_setdef", QStringList{"D=1"});
    box->initialize();
    SignalLog log(box);

    box->setCurrentIndex(2);
    QCOMPARE(log.actions(),
             QStringList({"selected_sendUSB(0C)", "selected_recData(rC)", "selected_runScript(sC)",
                          "selected_loadFile(fC)", "unselected_setDef(A=off)", "unselected_sendUSB(0A)",
                          "selected_recData(rA)", "selected_runScript(sA)", "selected_loadFile(fA)",
                          "sendUnlock(LA=1)", "sendLock(LC=1)", "sendLock(LC2=2)", "selected_setDef(D=1)"}));
    QCOMPARE(log.entries.last(), QStringLiteral("updateMathLabels()"));
    QVERIFY(fx->shell.modified);
    // A program's change is not stored.
    QCOMPARE(box->storedValueText(), QStringLiteral("0"));
}

void TestChoiceElements::emptiedListIsIgnored()
{
    ComboBox *box = combo({"A", "B"});
    box->setElementProperty("locks", QVariantMap{{"1", QStringList{"L=1"}}});
    box->initialize();
    box->setCurrentIndex(1);
    SignalLog log(box);
    box->clear();
    QVERIFY(log.entries.isEmpty());
    // The list filled again reports item 0 after the item chosen before.
    box->appendItem(QStringLiteral("X"), QStringLiteral("0"));
    QCOMPARE(log.actions(), QStringList{"sendUnlock(L=1)"});
}

void TestChoiceElements::disabledComboOnlyRefreshesFormulas()
{
    ComboBox *box = combo({"A", "B"});
    box->setElementProperty("data", QVariantMap{{"1", QVariantList{"selected_setDef", "", "on"}}});
    box->setElementProperty("locks", QVariantMap{{"1", QStringList{"L=1"}}});
    box->initialize();
    box->enable(false);
    SignalLog log(box);
    box->setCurrentIndex(1);
    QCOMPARE(log.entries, QStringList{"updateMathLabels()"});
    log.clear();
    box->applyLocks();
    QVERIFY(log.entries.isEmpty());
}

void TestChoiceElements::comboUserChangeIsRecorded()
{
    ComboBox *box = combo({"A", "B", "C"});
    box->initialize();
    QVERIFY(showAndActivate(top.get()));
    QString recorded;
    fx->shell.recorder.stream().setString(&recorded);
    fx->shell.recorder.setComment(QStringLiteral("note"));
    box->setFocus();
    SignalLog log(box);
    // The user's choice: the widget changes, then reports the activation.
    box->setCurrentIndex(2);
    emit box->activated(2);
    QCOMPARE(recorded, QStringLiteral("Set(C, 2)//note\n"));
    QCOMPARE(log.entries.count(QStringLiteral("changedByUser()")), 1);
    QCOMPARE(box->storedValueText(), QStringLiteral("2"));

    recorded.clear();
    box->clearFocus();
    emit box->activated(1);
    QCOMPARE(recorded, QString());
}

void TestChoiceElements::comboLocks()
{
    ComboBox *box = combo({"A", "B"});
    box->setElementProperty("locks", QVariantMap{{"0", QStringList{"L0=1"}}, {"1", QStringList{"L1=1"}}});
    box->loadValue(QStringLiteral("1"));
    SignalLog log(box);
    box->sendLocks(true);
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendLock(L1=1)"}));
    log.clear();
    box->sendLocks(false);
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendUnlock(L1=1)"}));
    log.clear();
    box->applyLocks();
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendLock(L1=1)"}));
    log.clear();
    box->emitSendLock(QStringLiteral("W=1"));
    QCOMPARE(log.entries, QStringList{"sendLock(W=1)"});
}

void TestChoiceElements::lockedComboStaysDisabled()
{
    ComboBox *box = combo({"A", "B"}, {"0", "1"});
    box->initialize();
    box->addLock(QStringLiteral("X"), QStringLiteral("1"), KeywordValue);
    QCOMPARE(box->currentIndex(), 1);
    QVERIFY(!box->isEnabled());
    box->enable(true);
    QVERIFY(!box->isEnabled());
    box->removeLock(QStringLiteral("X"));
    QVERIFY(box->isEnabled());
    QCOMPARE(box->currentIndex(), 0); // the stored value again
}

void TestChoiceElements::branchReachesBothByName()
{
    // The tree branch switch finds these methods through the meta-object.
    ButtonGroup *g = group(2);
    g->setElementProperty("locks", QVariantMap{{"1", QStringList{"G=1"}}});
    g->loadValue(QStringLiteral("1"));
    ComboBox *box = combo({"A"});
    box->setElementProperty("locks", QVariantMap{{"0", QStringList{"C=1"}}});
    SignalLog groupLog(g);
    SignalLog boxLog(box);
    QAbstractButton *button = g->button(1);
    QVERIFY(QMetaObject::invokeMethod(g, "sendLocks", Qt::DirectConnection, Q_ARG(bool, false),
                                      Q_ARG(QAbstractButton *, button)));
    QVERIFY(QMetaObject::invokeMethod(box, "sendLocks", Qt::DirectConnection, Q_ARG(bool, true)));
    QCOMPARE(groupLog.actions(), QStringList{"sendUnlock(G=1)"});
    QCOMPARE(boxLog.actions(), QStringList{"sendLock(C=1)"});
    QVERIFY(g->metaObject()->indexOfMethod("emitSendLock(QString)") >= 0);
    QVERIFY(box->metaObject()->indexOfMethod("emitSendLock(QString)") >= 0);
}

QTEST_MAIN(TestChoiceElements)
#include "tst_choiceelements.moc"
