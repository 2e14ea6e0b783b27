#include "checkbox.h"
#include "boxcontainers.h"
#include "elementfixture.h"
#include "eventfilters.h"
#include "hexspinbox.h"
#include "mathlabel.h"
#include "spinbox.h"
#include "valueelement.h"
#include "widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QtTest>

// Counts the dynamic-property change events the watched object receives.
class PropertyEventCounter : public QObject
{
public:
    int events = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        events += event->type() == QEvent::DynamicPropertyChange;
        return false;
    }
};

// Stands in for the main window's action slots: notes each request in order.
class ActionSink : public QObject
{
    Q_OBJECT
public:
    QStringList requests;
public slots:
    void setDef(QString items) { requests << QStringLiteral("setDef:") + items; }
    void sendUSB(QString values) { requests << QStringLiteral("sendUSB:") + values; }
    void recData(QString values) { requests << QStringLiteral("recData:") + values; }
    void runScript(QString text) { requests << QStringLiteral("runScript:") + text; }
};

class TestValueElements : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The shared action list
    // The element's attributes
    void attributesAreKeptWithoutPropertyEvents();
    void attributesNamedLikeAQtPropertyOfTheClassStayQts_data();
    void attributesNamedLikeAQtPropertyOfTheClassStayQts();
    void attributesOutsideTheTableAndOfOtherObjectsAreDynamicProperties();

    void actionListIsReadTupleByTuple_data();
    void actionListIsReadTupleByTuple();
    void fieldShifts();

    // CheckBox
    void checkBoxLoadAndValue_data();
    void checkBoxLoadAndValue();
    void checkBoxUserChangeStoresTheValue();
    void checkBoxSetValue_data();
    void checkBoxSetValue();
    void checkBoxCopiesAReferencedElement();
    void checkBoxDefineValue_data();
    void checkBoxDefineValue();
    void checkBoxUnsupportedKeyword();
    void checkBoxResetToDefault_data();
    void checkBoxResetToDefault();
    void checkBoxReappliesItsStoredValue();
    void checkBoxRunsActionsOfItsState_data();
    void checkBoxRunsActionsOfItsState();
    void checkBoxLockPart_data();
    void checkBoxLockPart();
    void disabledCheckBoxOnlyRefreshesFormulas();
    void checkBoxApplyLocks();
    void checkBoxAcceptsOneBit_data();
    void checkBoxAcceptsOneBit();
    void lockedCheckBoxStaysDisabled();

    // SpinBox
    void spinBoxStartsWideAndWheelGuarded();
    void spinBoxValues_data();
    void spinBoxValues();
    void spinBoxSetValueIsTheProgramsChange();
    void spinBoxRejectsValues_data();
    void spinBoxRejectsValues();
    void spinBoxLoadValue();
    void spinBoxResetToDefault_data();
    void spinBoxResetToDefault();
    void spinBoxUserChangeRunsEveryAction();
    void spinBoxAcceptsBitRange_data();
    void spinBoxAcceptsBitRange();
    void lockedSpinBoxIsEnabledOnRequest();

    // Shared paths
    void sendUsbDelayKeepsEventsFlowing();
    void recordsOnlyTheFocusedUsersChange_data();
    void recordsOnlyTheFocusedUsersChange();
    void changeMarksTheHeaderUnlessLoading();
    void initializeRefreshesFormulasAndToolTip();
    void actionsReachTheWindowsSlots();

    // An element that goes away inside its own action
    void deletedInItsOwnActionStopsTheWalk();
    void deletedDuringTheSendUsbWait();
    void spinBoxDeletedInItsOwnAction();
    void replacedPanelStopsTheWalk();

private:
    CheckBox *checkBox(const QVariantList &actions = {});
    SpinBox *spinBox(int min, int max, const QVariantList &actions = {});

    std::unique_ptr<ElementFixture> fx;
    std::unique_ptr<QWidget> top;
};

void TestValueElements::initTestCase()
{
    fx = std::make_unique<ElementFixture>();
}

void TestValueElements::init()
{
    fx->reset();
    top = std::make_unique<QWidget>();
}

void TestValueElements::cleanup()
{
    top.reset();
}

CheckBox *TestValueElements::checkBox(const QVariantList &actions)
{
    auto *box = new CheckBox(QStringLiteral("CB"), QStringLiteral("Check"), top.get());
    box->setHost(&fx->panel);
    box->setElementProperty("header", QStringLiteral("cfg.h"));
    if (!actions.isEmpty())
        box->setElementProperty("data", actionData(actions));
    return box;
}

SpinBox *TestValueElements::spinBox(int min, int max, const QVariantList &actions)
{
    auto *spin = new SpinBox(QStringLiteral("SB"), top.get());
    spin->setHost(&fx->panel);
    spin->setRange(min, max);
    spin->setElementProperty("header", QStringLiteral("cfg.h"));
    if (!actions.isEmpty())
        spin->setElementProperty("data", actionData(actions));
    return spin;
}

// ---------------------------------------------------------------------------
// The element's attributes

void TestValueElements::attributesAreKeptWithoutPropertyEvents()
{
    CheckBox *box = checkBox();
    PropertyEventCounter counter;
    box->installEventFilter(&counter);
    const QVariantMap locks{{QStringLiteral("0"), QStringList{QStringLiteral("A=1")}}};
    box->setElementProperty("my_default", QStringLiteral("1"));
    box->setElementProperty("locks", locks);
    box->setElementProperty("lsb", 3);
    box->setElementProperty("my_default", QStringLiteral("0")); // replaced in place

    QCOMPARE(box->elementProperty("my_default"), QVariant(QStringLiteral("0")));
    QCOMPARE(box->elementProperty("locks"), QVariant(locks));
    QCOMPARE(box->elementProperty("lsb"), QVariant(3));
    QVERIFY(!box->elementProperty("svd").isValid());
    // Kept by the element: no dynamic property, no event, names in the order set.
    QCOMPARE(counter.events, 0);
    QVERIFY(box->dynamicPropertyNames().isEmpty());
    QCOMPARE(box->elementPropertyNames(),
             (QList<QByteArray>{"header", "my_default", "locks", "lsb"}));
    QCOMPARE(elementPropertyOf(box, "lsb"), QVariant(3));

    // An invalid value removes the attribute, as it removes a dynamic property.
    box->setElementProperty("locks", QVariant());
    QVERIFY(!box->elementProperty("locks").isValid());
    QCOMPARE(box->elementPropertyNames(), (QList<QByteArray>{"header", "my_default", "lsb"}));
    setElementPropertyOf(box, "lsb", QVariant());
    QCOMPARE(box->elementPropertyNames(), (QList<QByteArray>{"header", "my_default"}));
    QCOMPARE(counter.events, 0);
}

void TestValueElements::attributesNamedLikeAQtPropertyOfTheClassStayQts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("kept");

    // A spin box's prefix and suffix are its own; a formula label has neither.
    QTest::newRow("spin box suffix") << "spin" << QByteArray("suffix") << false;
    QTest::newRow("spin box prefix") << "spin" << QByteArray("prefix") << false;
    QTest::newRow("math label suffix") << "math" << QByteArray("suffix") << true;
    QTest::newRow("math label prefix") << "math" << QByteArray("prefix") << true;
    QTest::newRow("spin box my_default") << "spin" << QByteArray("my_default") << true;
}

void TestValueElements::attributesNamedLikeAQtPropertyOfTheClassStayQts()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, name);
    QFETCH(bool, kept);

    ValueElement *element = nullptr;
    QWidget *widget = nullptr;
    if (kind == QLatin1String("spin")) {
        SpinBox *spin = spinBox(0, 10);
        element = spin;
        widget = spin;
    } else {
        auto *math = new MathLabel(QStringLiteral("M"), top.get());
        element = math;
        widget = math;
    }
    element->setElementProperty(name.constData(), QStringLiteral(" mV"));
    QCOMPARE(element->elementProperty(name.constData()), QVariant(QStringLiteral(" mV")));
    QCOMPARE(element->elementPropertyNames().contains(name), kept);
    // What Qt sees: the widget's own property, or nothing at all.
    QCOMPARE(widget->property(name.constData()).toString(), kept ? QString() : QStringLiteral(" mV"));
    QVERIFY(!widget->dynamicPropertyNames().contains(name));
}

void TestValueElements::attributesOutsideTheTableAndOfOtherObjectsAreDynamicProperties()
{
    // A name no element keeps stays a dynamic property of the widget, still
    // reached through the element and listed with its attributes.
    CheckBox *box = checkBox();
    box->setElementProperty("sendformat", QStringLiteral("%d"));
    QCOMPARE(box->property("sendformat"), QVariant(QStringLiteral("%d")));
    QCOMPARE(box->elementProperty("sendformat"), QVariant(QStringLiteral("%d")));
    QCOMPARE(elementPropertyNamesOf(box), (QList<QByteArray>{"header", "sendformat"}));

    // An object that is no element keeps every attribute as a dynamic property.
    QLabel text;
    setElementPropertyOf(&text, "tooltip", QStringLiteral("tip"));
    QCOMPARE(text.property("tooltip"), QVariant(QStringLiteral("tip")));
    QCOMPARE(elementPropertyOf(&text, "tooltip"), QVariant(QStringLiteral("tip")));
    QCOMPARE(elementPropertyNamesOf(&text), QList<QByteArray>{"tooltip"});
    QVERIFY(!elementPropertyOf(nullptr, "tooltip").isValid());
}

// ---------------------------------------------------------------------------
// The shared action list

void TestValueElements::actionListIsReadTupleByTuple_data()
{
    QTest::addColumn<QVariantList>("list");
    QTest::addColumn<QStringList>("actions"); // event/kind/cond/data[/recdata/delay]

    QTest::newRow("three and five items")
        << QVariantList{"checked_setDef", "", "A=1", "checked_sendUSB", "X>1", "01", "r", "5", "unchecked_runScript", "", "s"}
        << QStringList{"checked/setDef//A=1", "checked/sendUSB/X>1/01/r/5", "unchecked/runScript//s"};
    QTest::newRow("short last tuple dropped")
        << QVariantList{"checked_setDef", "", "A=1", "checked_setDef", ""} << QStringList{"checked/setDef//A=1"};
    QTest::newRow("short sendUSB dropped")
        << QVariantList{"checked_sendUSB", "", "01", "r"} << QStringList{};
    QTest::newRow("key without kind")
        << QVariantList{"checked", "", "A=1"} << QStringList{"checked///A=1"};
    QTest::newRow("empty") << QVariantList{} << QStringList{};
}

void TestValueElements::actionListIsReadTupleByTuple()
{
    QFETCH(QVariantList, list);
    QFETCH(QStringList, actions);

    QStringList read;
    for (const ElementAction &a : readElementActions(actionData(list), QStringLiteral("0"))) {
        QStringList parts{a.event, a.kind, a.condition, a.data};
        if (a.kind == QLatin1String("sendUSB"))
            parts << a.recData << a.delay;
        read << parts.join(QLatin1Char('/'));
    }
    QCOMPARE(read, actions);
    QVERIFY(readElementActions(actionData(list), QStringLiteral("1")).isEmpty());
    QVERIFY(readElementActions(QVariant(QStringLiteral("junk")), QStringLiteral("0")).isEmpty());
}

void TestValueElements::fieldShifts()
{
    QCOMPARE(defineValueOf(1, -1), quint64(1));
    QCOMPARE(defineValueOf(1, 4), quint64(16));
    QCOMPARE(defineValueOf(1, 63), quint64(1) << 63);
    QCOMPARE(defineValueOf(1, 64), quint64(0));
    QCOMPARE(fieldValueOf(16, 4), quint64(1));
    QCOMPARE(fieldValueOf(1, 4), quint64(0));
    QCOMPARE(fieldValueOf(~quint64(0), 200), quint64(0));
    QCOMPARE(fieldValueOf(5, -1), quint64(5));
}

// ---------------------------------------------------------------------------
// CheckBox values

void TestValueElements::checkBoxLoadAndValue_data()
{
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("error");

    QTest::newRow("1") << false << "1" << true << "1" << "1" << false;
    QTest::newRow("0") << false << "0" << false << "0" << "0" << false;
    QTest::newRow("inverted 1 shows unchecked") << true << "1" << false << "1" << "1" << false;
    QTest::newRow("inverted 0 shows checked") << true << "0" << true << "0" << "0" << false;
    QTest::newRow("2") << false << "2" << false << "0" << "0" << true;
    QTest::newRow("-1") << false << "-1" << false << "0" << "0" << true;
    QTest::newRow("text") << false << "on" << false << "0" << "0" << true;
}

void TestValueElements::checkBoxLoadAndValue()
{
    QFETCH(bool, inverted);
    QFETCH(QString, text);
    QFETCH(bool, checked);
    QFETCH(QString, value);
    QFETCH(QString, stored);
    QFETCH(bool, error);

    CheckBox *box = checkBox({"checked_setDef", "", "A=1", "unchecked_setDef", "", "A=0"});
    box->setElementProperty("inverted", inverted);
    {
        const QSignalBlocker blocker(box);
        box->setChecked(inverted); // value 0
    }
    SignalLog log(box);
    box->loadValue(text);
    QCOMPARE(box->isChecked(), checked);
    QCOMPARE(box->value(KeywordValue, 0), value);
    QCOMPARE(box->storedValueText(), stored);
    QVERIFY(log.entries.isEmpty()); // loaded with signals blocked
    QCOMPARE(fx->reported(QStringLiteral("Trying to load \"CB\" with invalid value \"%1\"").arg(text)), error);
}

void TestValueElements::checkBoxUserChangeStoresTheValue()
{
    CheckBox *box = checkBox();
    box->setElementProperty("inverted", true);
    box->initialize();
    box->loadValue(QStringLiteral("1"));
    QVERIFY(!box->isChecked());

    SignalLog log(box);
    box->click(); // the user checks it: value 0
    QCOMPARE(box->storedValueText(), QStringLiteral("0"));
    QCOMPARE(box->value(KeywordValue, 0), QStringLiteral("0"));
    QCOMPARE(log.entries.count(QStringLiteral("changedByUser()")), 1);

    // A program's change keeps the stored value.
    box->setValue(QStringLiteral("1"), KeywordValue);
    QVERIFY(!box->isChecked());
    QCOMPARE(box->storedValueText(), QStringLiteral("0"));
    QCOMPARE(log.entries.count(QStringLiteral("changedByUser()")), 1);
}

void TestValueElements::checkBoxSetValue_data()
{
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<int>("keyword");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("checked"); // the box starts checked
    QTest::addColumn<bool>("error");

    QTest::newRow("0") << false << -1 << 0 << "0" << false << false;
    QTest::newRow("1") << false << -1 << 0 << "1" << true << false;
    QTest::newRow("inverted 0") << true << -1 << 0 << "0" << true << false;
    QTest::newRow("inverted 1") << true << -1 << 0 << "1" << false << false;
    QTest::newRow("2") << false << -1 << 0 << "2" << true << true;
    QTest::newRow("-1") << false << -1 << 0 << "-1" << true << true;
    QTest::newRow("x") << false << -1 << 0 << "x" << true << true;
    QTest::newRow("define value 1 at bit 4") << false << 4 << 3 << "1" << false << false;
    QTest::newRow("define value 16 at bit 4") << false << 4 << 3 << "16" << true << false;
    QTest::newRow("define value 48 at bit 4") << false << 4 << 3 << "48" << true << true;
    QTest::newRow("define value of a whole define") << false << -1 << 3 << "1" << true << false;
    QTest::newRow("define value at bit 64") << false << 64 << 3 << "1" << false << false;
    QTest::newRow("only the low 32 bits count") << false << -1 << 3 << "4294967297" << true << false;
    QTest::newRow("label") << false << -1 << 1 << "1" << true << true;
    QTest::newRow("index") << false << -1 << 2 << "0" << true << true;
}

void TestValueElements::checkBoxSetValue()
{
    QFETCH(bool, inverted);
    QFETCH(int, lsb);
    QFETCH(int, keyword);
    QFETCH(QString, text);
    QFETCH(bool, checked);
    QFETCH(bool, error);

    CheckBox *box = checkBox({"checked_setDef", "", "A=1", "unchecked_setDef", "", "A=0"});
    box->setElementProperty("inverted", inverted);
    box->setElementProperty("lsb", lsb);
    box->setChecked(true);
    box->initialize();
    SignalLog log(box);

    box->setValue(text, keyword);
    QCOMPARE(box->isChecked(), checked);
    QCOMPARE(fx->reported(QStringLiteral("Trying to set \"CB\" to invalid value \"%1\"").arg(text)), error);
    // Not blocked: a change runs the program's path, never the user's.
    QCOMPARE(log.actions(), checked ? QStringList() : QStringList{"unchecked_setDef(A=0)"});
    QVERIFY(!log.entries.contains(QStringLiteral("changedByUser()")));
}

void TestValueElements::checkBoxCopiesAReferencedElement()
{
    CheckBox *box = checkBox();
    auto *other = new SpinBox(QStringLiteral("OTHER"), top.get());
    other->setHost(&fx->panel);
    other->QSpinBox::setValue(1);
    fx->panel.registerElement(QStringLiteral("OTHER"), other);

    box->setValue(QStringLiteral("OTHER"), KeywordValue);
    QVERIFY(box->isChecked());
    other->QSpinBox::setValue(0);
    box->setValue(QStringLiteral("OTHER.value"), KeywordValue);
    QVERIFY(!box->isChecked());
    // The other element cannot give a label: it reports, and the empty text is invalid here.
    box->setValue(QStringLiteral("OTHER.label"), KeywordValue);
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type \"label\" from \"OTHER\"")));
    QVERIFY(fx->reported(QStringLiteral("Trying to set \"CB\" to invalid value \"\"")));
}

void TestValueElements::checkBoxDefineValue_data()
{
    QTest::addColumn<QVariant>("lsb");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("defineValue");

    QTest::newRow("whole define") << QVariant(-1) << true << "1";
    QTest::newRow("lsb not set") << QVariant() << true << "1";
    QTest::newRow("bit 4") << QVariant(4) << true << "16";
    QTest::newRow("bit 4, unchecked") << QVariant(4) << false << "0";
    QTest::newRow("bit 63") << QVariant(63) << true << "9223372036854775808";
    QTest::newRow("bit 64") << QVariant(64) << true << "0";
}

void TestValueElements::checkBoxDefineValue()
{
    QFETCH(QVariant, lsb);
    QFETCH(bool, checked);
    QFETCH(QString, defineValue);

    CheckBox *box = checkBox();
    box->setElementProperty("lsb", lsb);
    box->setChecked(checked);
    QCOMPARE(box->value(KeywordDefineValue, 0), defineValue);
    QCOMPARE(box->value(KeywordTypeInfo, 0), QStringLiteral("CheckBox"));
}

void TestValueElements::checkBoxUnsupportedKeyword()
{
    CheckBox *box = checkBox();
    QCOMPARE(box->value(KeywordLabel, 0), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type \"label\" from \"CB\"")));
    QCOMPARE(box->value(KeywordIndex, 1), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type \"index\" from \"CB\"")));
}

void TestValueElements::checkBoxResetToDefault_data()
{
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<bool>("checked"); // the box starts checked, stored 1
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("error");

    QTest::newRow("no default") << false << "" << false << "0" << false;
    QTest::newRow("1") << false << "1" << true << "1" << false;
    QTest::newRow("0") << false << "0" << false << "0" << false;
    QTest::newRow("inverted 1") << true << "1" << false << "1" << false;
    QTest::newRow("inverted, no default") << true << "" << true << "0" << false;
    QTest::newRow("no prefix accepted") << false << "value=1" << true << "1" << true;
    QTest::newRow("2") << false << "2" << true << "1" << true;
    QTest::newRow("-1") << false << "-1" << true << "1" << true;
}

void TestValueElements::checkBoxResetToDefault()
{
    QFETCH(bool, inverted);
    QFETCH(QString, defaultText);
    QFETCH(bool, checked);
    QFETCH(QString, stored);
    QFETCH(bool, error);

    CheckBox *box = checkBox({"checked_setDef", "", "A=1", "unchecked_setDef", "", "A=0"});
    box->setElementProperty("inverted", inverted);
    box->loadValue(QStringLiteral("1"));
    box->setChecked(true);
    box->initialize();
    box->setElementProperty("my_default", defaultText);
    SignalLog log(box);

    box->resetToDefault();
    QCOMPARE(box->isChecked(), checked);
    QCOMPARE(box->storedValueText(), stored);
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(fx->reported(QStringLiteral("Trying to set \"CB\" to invalid value \"%1\"").arg(defaultText)), error);
}

void TestValueElements::checkBoxReappliesItsStoredValue()
{
    CheckBox *box = checkBox({"checked_setDef", "", "A=1"});
    box->initialize();
    box->loadValue(QStringLiteral("1"));
    box->setValue(QStringLiteral("0"), KeywordValue);
    SignalLog log(box);

    box->reapplyStoredValue();
    QVERIFY(box->isChecked());
    QCOMPARE(log.actions(), QStringList{"checked_setDef(A=1)"}); // not blocked
}

void TestValueElements::checkBoxRunsActionsOfItsState_data()
{
    QTest::addColumn<QVariantList>("actions");
    QTest::addColumn<QStringList>("onChecking");
    QTest::addColumn<QStringList>("onUnchecking");

    QTest::newRow("one action per state")
        << QVariantList{"checked_setDef", "", "A", "unchecked_setDef", "", "B"}
        << QStringList{"checked_setDef(A)"} << QStringList{"unchecked_setDef(B)"};
    QTest::newRow("only an unchecked action")
        << QVariantList{"unchecked_setDef", "", "B"} << QStringList{} << QStringList{"unchecked_setDef(B)"};
    QTest::newRow("conditions")
        << QVariantList{"checked_setDef", "0", "A", "checked_setDef", "1", "C", "unchecked_setDef", "2>1", "B"}
        << QStringList{"checked_setDef(C)"} << QStringList{"unchecked_setDef(B)"};
    QTest::newRow("kinds a check box does not run are skipped with their items")
        << QVariantList{"checked_runScript", "", "x", "checked_loadFile", "", "f", "checked_setDef", "", "A"}
        << QStringList{"checked_setDef(A)"} << QStringList{};
    QTest::newRow("sendUSB sends, then names its reply")
        << QVariantList{"checked_sendUSB", "", "01 02", "r1", "", "checked_setDef", "", "A"}
        << QStringList{"checked_sendUSB(01 02)", "checked_recData(r1)", "checked_setDef(A)"} << QStringList{};
    QTest::newRow("any other event counts as unchecked")
        << QVariantList{"released_setDef", "", "B"} << QStringList{} << QStringList{};
    QTest::newRow("short list")
        << QVariantList{"checked_setDef", "", "A", "checked_sendUSB", "", "01", "r"}
        << QStringList{"checked_setDef(A)"} << QStringList{};
}

void TestValueElements::checkBoxRunsActionsOfItsState()
{
    QFETCH(QVariantList, actions);
    QFETCH(QStringList, onChecking);
    QFETCH(QStringList, onUnchecking);

    CheckBox *box = checkBox(actions);
    box->initialize();
    SignalLog log(box);
    box->click();
    QCOMPARE(log.actions(), onChecking);
    log.clear();
    box->click();
    QCOMPARE(log.actions(), onUnchecking);
}

void TestValueElements::checkBoxLockPart_data()
{
    QTest::addColumn<bool>("lockInverted");
    QTest::addColumn<bool>("check");
    QTest::addColumn<QStringList>("entries");

    const QStringList locking{"checked_setDef(A)", "sendLock(B=1)", "sendLock(C.label=Fast)",
                              "checked_setDef(X=1)", "updateMathLabels()"};
    const QStringList releasing{"sendUnlock(B=1)", "sendUnlock(C.label=Fast)", "checked_setDef(X=0)",
                                "updateMathLabels()"};
    QTest::newRow("checked locks") << false << true << locking;
    QTest::newRow("unchecked releases") << false << false << releasing;
    QTest::newRow("lock-inverted, unchecked locks")
        << true << false
        << QStringList{"sendLock(B=1)", "sendLock(C.label=Fast)", "checked_setDef(X=1)", "updateMathLabels()"};
    QTest::newRow("lock-inverted, checked releases")
        << true << true
        << QStringList{"checked_setDef(A)", "sendUnlock(B=1)", "sendUnlock(C.label=Fast)",
                       "checked_setDef(X=0)", "updateMathLabels()"};
}

void TestValueElements::checkBoxLockPart()
{
    QFETCH(bool, lockInverted);
    QFETCH(bool, check);
    QFETCH(QStringList, entries);

    CheckBox *box = checkBox({"checked_setDef", "", "A"});
    box->setElementProperty("lockinverted", lockInverted);
    box->setElementProperty("locks", QVariantMap{{"0", QStringList{"B=1", "C.label=Fast"}},
                                                 {"1", QStringList{"D=1"}}});
    box->setElementProperty("default_setdef", QStringList{"X=1"});
    box->setElementProperty("default_setdefinv", QStringList{"X=0"});
    {
        const QSignalBlocker blocker(box);
        box->setChecked(check);
    }
    SignalLog log(box);
    box->sendData(check);
    QCOMPARE(log.entries, entries);

    // The same through the widget.
    {
        const QSignalBlocker blocker(box);
        box->setChecked(!check);
    }
    box->initialize();
    log.clear();
    box->setChecked(check);
    QCOMPARE(log.entries, entries);
}

void TestValueElements::disabledCheckBoxOnlyRefreshesFormulas()
{
    CheckBox *box = checkBox({"checked_setDef", "", "A", "unchecked_setDef", "", "B"});
    box->setElementProperty("locks", QVariantMap{{"0", QStringList{"B=1"}}});
    box->setElementProperty("default_setdefinv", QStringList{"X=0"});
    box->initialize();
    box->setEnabled(false);
    SignalLog log(box);
    box->setChecked(true);
    box->setChecked(false);
    QCOMPARE(log.entries, QStringList({"updateMathLabels()", "updateMathLabels()"}));
}

void TestValueElements::checkBoxApplyLocks()
{
    CheckBox *box = checkBox({"checked_setDef", "", "A"});
    box->setElementProperty("locks", QVariantMap{{"0", QStringList{"B=1", "C=2"}}});
    SignalLog log(box);

    box->applyLocks(); // unchecked: nothing to lock
    QCOMPARE(log.entries, QStringList{"changedByUser()"});
    log.clear();
    box->setChecked(true);
    log.clear();
    box->applyLocks();
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendLock(B=1)", "sendLock(C=2)"}));
    log.clear();
    box->sendLocks(false);
    QCOMPARE(log.entries, QStringList({"changedByUser()", "sendUnlock(B=1)", "sendUnlock(C=2)"}));
    log.clear();
    box->setEnabled(false);
    box->applyLocks();
    QVERIFY(log.entries.isEmpty());

    log.clear();
    box->emitSendLock(QStringLiteral("D=3"));
    QCOMPARE(log.entries, QStringList{"sendLock(D=3)"});
}

void TestValueElements::checkBoxAcceptsOneBit_data()
{
    QTest::addColumn<int>("msb");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("whole define") << -1 << -1 << true;
    QTest::newRow("one bit") << 3 << 3 << true;
    QTest::newRow("two bits") << 4 << 3 << false;
    QTest::newRow("no bit") << 2 << 3 << true;
    QTest::newRow("reversed") << 1 << 3 << false;
}

void TestValueElements::checkBoxAcceptsOneBit()
{
    QFETCH(int, msb);
    QFETCH(int, lsb);
    QFETCH(bool, accepted);
    QCOMPARE(checkBox()->acceptsBitRange(msb, lsb), accepted);
}

void TestValueElements::lockedCheckBoxStaysDisabled()
{
    CheckBox *box = checkBox();
    box->initialize();
    box->addLock(QStringLiteral("A"), QStringLiteral("1"), KeywordValue);
    QVERIFY(box->isChecked());
    QVERIFY(!box->isEnabled());
    box->enable(true);
    QVERIFY(!box->isEnabled());

    // The last lock gone, the box is enabled and shows its stored value again.
    box->removeLock(QStringLiteral("A"));
    QVERIFY(box->isEnabled());
    QVERIFY(!box->isChecked());
    box->enable(false);
    QVERIFY(!box->isEnabled());
}

// ---------------------------------------------------------------------------
// SpinBox

void TestValueElements::spinBoxStartsWideAndWheelGuarded()
{
    SpinBox spin(QStringLiteral("SB"));
    QCOMPARE(spin.objectName(), QStringLiteral("SB"));
    QCOMPARE(spin.minimum(), -0x40000000);
    QCOMPARE(spin.maximum(), 0x40000000);
    QCOMPARE(spin.focusPolicy(), Qt::StrongFocus);
    QVERIFY(!spin.keyboardTracking());

    // The wheel over a box without the focus scrolls the panel; with the
    // focus it steps the value.
    spin.setValue(5);
    QVERIFY(!wheelTaken(&spin));
    QCOMPARE(spin.value(), 5);
    QVERIFY(showAndActivate(&spin));
    spin.setFocus();
    QTRY_VERIFY(spin.hasFocus());
    QVERIFY(wheelTaken(&spin));
    QCOMPARE(spin.value(), 6);
}

void TestValueElements::spinBoxValues_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QVariant>("lsb");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("defineValue");

    QTest::newRow("whole define") << 3 << QVariant(-1) << "3" << "3";
    QTest::newRow("negative") << -5 << QVariant(-1) << "-5" << "4294967291";
    QTest::newRow("field at bit 4") << 3 << QVariant(4) << "3" << "48";
    QTest::newRow("shift modulo 32") << 3 << QVariant(36) << "3" << "48";
    QTest::newRow("bits above 32 go") << 3 << QVariant(31) << "3" << "2147483648";
}

void TestValueElements::spinBoxValues()
{
    QFETCH(int, value);
    QFETCH(QVariant, lsb);
    QFETCH(QString, plain);
    QFETCH(QString, defineValue);

    SpinBox *spin = spinBox(-10, 10);
    spin->setElementProperty("lsb", lsb);
    spin->setValue(value);
    QCOMPARE(spin->value(KeywordValue, 0), plain);
    QCOMPARE(spin->value(KeywordDefineValue, 0), defineValue);
    QCOMPARE(spin->value(KeywordTypeInfo, 0), QStringLiteral("SpinBox"));
    QCOMPARE(HexSpinBox(QStringLiteral("H")).value(KeywordTypeInfo, 0), QStringLiteral("SpinBox"));
    QCOMPARE(spin->value(KeywordLabel, 0), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type \"label\" from \"SB\"")));
}

void TestValueElements::spinBoxSetValueIsTheProgramsChange()
{
    SpinBox *spin = spinBox(0, 255, {"changed_setDef", "", "A"});
    spin->initialize();
    spin->loadValue(QStringLiteral("3"));
    SignalLog log(spin);

    spin->setValue(QStringLiteral("7"), KeywordValue);
    QCOMPARE(spin->value(), 7);
    QCOMPARE(spin->storedValueText(), QStringLiteral("3"));
    // The widget's signals are blocked while its value and actions are set:
    // only the formula refresh after unblocking gets out.
    QCOMPARE(log.entries, QStringList{"updateMathLabels()"});
    QVERIFY(fx->shell.modified);
    QVERIFY(toolTipShown(spin).startsWith(QStringLiteral("SB = 7\n")));
    // The mouse rests on the box's text: the event reaches the line edit
    // first and goes on to the box, which brings its tool tip up to date.
    spin->setValue(QStringLiteral("9"), KeywordValue);
    auto *edit = spin->findChild<QLineEdit *>();
    QVERIFY(edit);
    QVERIFY(toolTipShown(edit).isEmpty());
    QVERIFY(spin->toolTip().startsWith(QStringLiteral("SB = 9\n")));

    // A reference copies another element's value.
    auto *other = new SpinBox(QStringLiteral("OTHER"), top.get());
    other->setHost(&fx->panel);
    other->setValue(42);
    fx->panel.registerElement(QStringLiteral("OTHER"), other);
    spin->setValue(QStringLiteral("OTHER"), KeywordValue);
    QCOMPARE(spin->value(), 42);
}

void TestValueElements::spinBoxRejectsValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("keyword");

    QTest::newRow("above the range") << "256" << 0;
    QTest::newRow("below the range") << "-1" << 0;
    QTest::newRow("no number") << "x" << 0;
    QTest::newRow("hexadecimal") << "0x10" << 0;
    QTest::newRow("define value") << "5" << 3;
    QTest::newRow("label") << "5" << 1;
}

void TestValueElements::spinBoxRejectsValues()
{
    QFETCH(QString, text);
    QFETCH(int, keyword);

    SpinBox *spin = spinBox(0, 255);
    spin->setValue(9);
    SignalLog log(spin);
    spin->setValue(text, keyword);
    QCOMPARE(spin->value(), 9);
    QVERIFY(log.entries.isEmpty());
    QVERIFY(fx->reported(QStringLiteral("Trying to set \"SB\" to invalid value \"%1\"").arg(text)));
}

void TestValueElements::spinBoxLoadValue()
{
    SpinBox *spin = spinBox(0, 255, {"changed_setDef", "", "A"});
    spin->initialize();
    SignalLog log(spin);

    spin->loadValue(QStringLiteral("9"));
    QCOMPARE(spin->value(), 9);
    QCOMPARE(spin->storedValueText(), QStringLiteral("9"));
    QVERIFY(log.entries.isEmpty());

    for (const QString &bad : {QStringLiteral("256"), QStringLiteral("nine"), QStringLiteral("")}) {
        spin->loadValue(bad);
        QCOMPARE(spin->value(), 9);
        QCOMPARE(spin->storedValueText(), QStringLiteral("9"));
        QVERIFY(fx->reported(QStringLiteral("Trying to load \"SB\" with invalid value \"%1\"").arg(bad)));
    }
}

void TestValueElements::spinBoxResetToDefault_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<int>("shown"); // the spin box shows 3 before
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("error");

    QTest::newRow("decimal") << 0 << 255 << "5" << 5 << "5" << false;
    QTest::newRow("value prefix") << 0 << 255 << "value=5" << 5 << "5" << false;
    QTest::newRow("hex clamped") << 0 << 255 << "0x7FFFFFFF" << 255 << "255" << false;
    QTest::newRow("hex in C form") << 0 << 255 << "(0x20u)" << 32 << "32" << false;
    QTest::newRow("negative") << -5 << 5 << "-3" << -3 << "-3" << false;
    QTest::newRow("below the range") << 0 << 255 << "-3" << 0 << "0" << false;
    QTest::newRow("beyond 64 bits clamped") << 0 << 255 << "0xFFFFFFFFFFFFFFFF" << 255 << "255" << false;
    QTest::newRow("empty, minimum 10") << 10 << 20 << "" << 10 << "10" << false;
    QTest::newRow("empty, minimum -5") << -5 << 5 << "" << 0 << "0" << false;
    QTest::newRow("empty, all negative") << -10 << -5 << "" << -5 << "-5" << false;
    QTest::newRow("label prefix") << 0 << 255 << "label=5" << 3 << "0" << true;
    QTest::newRow("no literal") << 0 << 255 << "fast" << 3 << "0" << true;
    QTest::newRow("no literal, minimum 10") << 10 << 20 << "fast" << 10 << "10" << true;
    QTest::newRow("fraction") << 0 << 255 << "2.5" << 3 << "0" << true;
}

void TestValueElements::spinBoxResetToDefault()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(QString, defaultText);
    QFETCH(int, shown);
    QFETCH(QString, stored);
    QFETCH(bool, error);

    SpinBox *spin = spinBox(min, max);
    spin->setValue(3);
    spin->setElementProperty("my_default", defaultText);
    spin->resetToDefault();
    QCOMPARE(spin->value(), shown);
    QCOMPARE(spin->storedValueText(), stored);
    QCOMPARE(fx->reported(QStringLiteral("Trying to set \"SB\" to invalid value \"%1\"").arg(defaultText)), error);
}

void TestValueElements::spinBoxUserChangeRunsEveryAction()
{
    SpinBox *spin = spinBox(0, 255, {"changed_setDef", "", "A", "selected_setDef", "", "B",
                                     "changed_runScript", "", "S", "changed_loadFile", "", "f",
                                     "changed_sendUSB", "SB>4", "01", "r", "", "changed_setDef", "0", "C"});
    fx->panel.registerElement(QStringLiteral("SB"), spin);
    spin->initialize();
    SignalLog log(spin);
    spin->setValue(5); // unblocked: the same path as the user's
    QCOMPARE(log.entries,
             QStringList({"changedByUser()", "changed_setDef(A)", "changed_setDef(B)", "changed_runScript(S)",
                          "changed_sendUSB(01)", "changed_recData(r)", "updateMathLabels()"}));
    QCOMPARE(spin->storedValueText(), QStringLiteral("5"));

    // The reset to the stored value runs the same path.
    spin->setValue(QStringLiteral("9"), KeywordValue);
    log.clear();
    spin->reapplyStoredValue();
    QCOMPARE(spin->value(), 5);
    QCOMPARE(log.entries.first(), QStringLiteral("changedByUser()"));
}

void TestValueElements::spinBoxAcceptsBitRange_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("msb");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("newMax");

    const int wide = 0x40000000;
    QTest::newRow("whole define") << -wide << wide << -1 << -1 << true << wide;
    QTest::newRow("only msb -1") << 0 << 255 << -1 << 3 << true << 255;
    QTest::newRow("8 bits narrow a new range") << -wide << wide << 7 << 0 << true << 255;
    QTest::newRow("31 bits") << -wide << wide << 30 << 0 << true << wide;
    QTest::newRow("32 bits") << -wide << wide << 31 << 0 << true << wide;
    QTest::newRow("maximum still the first") << 5 << wide << 3 << 0 << true << 15;
    QTest::newRow("reversed bits: no room") << -wide << wide << 0 << 3 << true << 0;
    QTest::newRow("range fits") << 0 << 255 << 8 << 1 << true << 255;
    QTest::newRow("range exactly fits") << 0 << 255 << 7 << 0 << true << 255;
    QTest::newRow("range too wide") << 0 << 255 << 3 << 0 << false << 255;
    QTest::newRow("negative minimum") << -1 << 15 << 3 << 0 << false << 15;
}

void TestValueElements::spinBoxAcceptsBitRange()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, msb);
    QFETCH(int, lsb);
    QFETCH(bool, accepted);
    QFETCH(int, newMax);

    SpinBox *spin = spinBox(min, max);
    QCOMPARE(spin->acceptsBitRange(msb, lsb), accepted);
    QCOMPARE(spin->maximum(), newMax);
}

void TestValueElements::lockedSpinBoxIsEnabledOnRequest()
{
    SpinBox *spin = spinBox(0, 255);
    spin->addLock(QStringLiteral("A"), QStringLiteral("4"), KeywordValue);
    QCOMPARE(spin->value(), 4);
    QVERIFY(!spin->isEnabled());
    spin->enable(true);
    QVERIFY(spin->isEnabled());
    QVERIFY(spin->locked);
}

// ---------------------------------------------------------------------------
// Shared paths

void TestValueElements::sendUsbDelayKeepsEventsFlowing()
{
    CheckBox *box = checkBox({"checked_sendUSB", "", "01", "r", "50", "checked_setDef", "", "A"});
    box->initialize();
    SignalLog log(box);
    qint64 timerFiredAt = -1;
    QElapsedTimer clock;
    QTimer::singleShot(10, box, [&] { timerFiredAt = clock.elapsed(); });
    clock.start();
    box->click();

    QCOMPARE(log.actions(), QStringList({"checked_sendUSB(01)", "checked_recData(r)", "checked_setDef(A)"}));
    QVERIFY2(timerFiredAt >= 0 && timerFiredAt < 50, "the wait processes events");
    QVERIFY(log.times.at(log.entries.indexOf(QStringLiteral("checked_setDef(A)"))) >= 50);
}

void TestValueElements::recordsOnlyTheFocusedUsersChange_data()
{
    QTest::addColumn<bool>("recording");
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("inverted");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("line");

    QTest::newRow("focused user change") << true << true << false << "" << "Set(CB, 1)\n";
    QTest::newRow("with the pending comment") << true << true << false << "warm start" << "Set(CB, 1)//warm start\n";
    QTest::newRow("inverted box records its value") << true << true << true << "" << "Set(CB, 0)\n";
    QTest::newRow("not focused") << true << false << false << "" << "";
    QTest::newRow("not recording") << false << true << false << "" << "";
}

void TestValueElements::recordsOnlyTheFocusedUsersChange()
{
    QFETCH(bool, recording);
    QFETCH(bool, focused);
    QFETCH(bool, inverted);
    QFETCH(QString, comment);
    QFETCH(QString, line);

    auto *other = new QLineEdit(top.get());
    CheckBox *box = checkBox();
    box->move(0, 40);
    box->setElementProperty("inverted", inverted);
    box->initialize();
    SpinBox *spin = spinBox(0, 255);
    spin->move(0, 80);
    spin->initialize();
    QVERIFY(showAndActivate(top.get()));
    QString recorded;
    if (recording)
        fx->shell.recorder.stream().setString(&recorded);
    fx->shell.recorder.setComment(comment);
    fx->shell.console.clear();

    (focused ? static_cast<QWidget *>(box) : other)->setFocus();
    box->click();
    QCOMPARE(recorded, line);
    const QString console = fx->consoleText();
    QCOMPARE(console.contains(QStringLiteral("Set(CB")), !line.isEmpty());
    if (!line.isEmpty())
        QVERIFY(console.contains(line.trimmed()));

    // Program changes are never recorded.
    recorded.clear();
    box->setValue(QStringLiteral("0"), KeywordValue);
    box->setFocus();
    box->setValue(QStringLiteral("1"), KeywordValue);
    QCOMPARE(recorded, QString());

    spin->setFocus();
    spin->setValue(12);
    const QString spinLine = QStringLiteral("Set(SB, 12)")
        + (comment.isEmpty() ? QString() : QStringLiteral("//") + comment) + QLatin1Char('\n');
    QCOMPARE(recorded, recording ? spinLine : QString());
}

void TestValueElements::changeMarksTheHeaderUnlessLoading()
{
    CheckBox *box = checkBox();
    box->initialize();
    fx->panel.editFlags().loading = true;
    box->click();
    QVERIFY(!fx->shell.modified);
    QVERIFY(fx->panel.header().changedHeaders.isEmpty());

    fx->panel.editFlags().loading = false;
    box->click();
    QVERIFY(fx->shell.modified);
    QCOMPARE(fx->panel.header().changedHeaders.value(QStringLiteral("cfg.h")), true);
}

void TestValueElements::initializeRefreshesFormulasAndToolTip()
{
    CheckBox *box = checkBox();
    QSignalSpy toggled(box, &QCheckBox::toggled);
    SignalLog log(box);
    box->initialize();
    QCOMPARE(toggled.count(), 1); // the unchecked state at start
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(toolTipShown(box), QStringLiteral("CB = 0\nHeader: cfg.h\n"));

    fx->panel.addMathLabel({QStringLiteral("SB")}, nullptr);
    SpinBox *spin = spinBox(0, 9);
    SignalLog spinLog(spin);
    spin->initialize();
    QCOMPARE(spinLog.entries, QStringList{"updateMathLabels()"});
    QVERIFY(!spin->findChild<QInputEventRecorder *>());

    CheckBox *checked = checkBox();
    checked->setChecked(true);
    QSignalSpy checkedToggled(checked, &QCheckBox::toggled);
    checked->setElementProperty("confirmation", QStringLiteral("Sure?"));
    checked->initialize();
    QCOMPARE(checkedToggled.count(), 0);
    QVERIFY(checked->findChild<QInputEventRecorder *>());
}

void TestValueElements::actionsReachTheWindowsSlots()
{
    CheckBox *box = checkBox({"checked_sendUSB", "", "01", "r", "", "checked_setDef", "", "A=1",
                              "unchecked_setDef", "", "A=0"});
    SpinBox *spin = spinBox(0, 9, {"changed_sendUSB", "", "02", "q", "", "changed_setDef", "", "B=1",
                                   "changed_runScript", "", "Wait(1)"});

    // The panel's wiring finds every signal the actions name.
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { warnings.append(text); });
    const auto wire = [this](QObject *element, const QStringList &signalNames) {
        for (const QString &name : signalNames)
            fx->panel.wiring().connectAction(name, name.section(QLatin1Char('_'), 1), element);
    };
    wire(box, {"checked_sendUSB", "checked_setDef", "unchecked_setDef"});
    wire(spin, {"changed_sendUSB", "changed_setDef", "changed_runScript"});
    qInstallMessageHandler(previous);
    QCOMPARE(warnings, QStringList());

    // The same run-time names reach a receiver's slots, in action order.
    ActionSink receiver;
    for (QObject *element : {static_cast<QObject *>(box), static_cast<QObject *>(spin)}) {
        for (const char *event : {"checked", "unchecked", "changed"}) {
            const QList<QPair<const char *, void (ActionSink::*)(QString)>> kinds = {
                {"setDef", &ActionSink::setDef},
                {"sendUSB", &ActionSink::sendUSB},
                {"recData", &ActionSink::recData},
                {"runScript", &ActionSink::runScript}};
            for (const auto &kind : kinds) {
                const QString name = QLatin1String(event) + QLatin1Char('_') + QLatin1String(kind.first);
                if (signalsOf(element)->raises(name))
                    connect(signalsOf(element), ElementSignals::actionSignal(name), &receiver, kind.second);
            }
        }
    }
    box->initialize();
    spin->initialize();
    box->click();
    box->click();
    spin->setValue(1);
    QCOMPARE(receiver.requests, QStringList({"sendUSB:01", "recData:r", "setDef:A=1", "setDef:A=0",
                                             "sendUSB:02", "recData:q", "setDef:B=1", "runScript:Wait(1)"}));
    // Through the panel, what reaches beyond it goes on to the shell.
    QCOMPARE(fx->shell.sentUSB, QStringList({"01", "02"}));
    QCOMPARE(fx->shell.receivedData, QStringList({"r", "q"}));
    QCOMPARE(fx->shell.scripts, QStringList{"Wait(1)"});
}

// ---------------------------------------------------------------------------
// An element that goes away inside its own action

void TestValueElements::deletedInItsOwnActionStopsTheWalk()
{
    QPointer<CheckBox> box = checkBox({"checked_setDef", "", "A", "checked_setDef", "", "B"});
    box->setElementProperty("locks", QVariantMap{{"0", QStringList{"L=1"}}});
    box->initialize();
    QStringList seen;
    connect(signalsOf(box.data()), &ElementSignals::checked_setDef, this, [&](const QString &data) {
        seen << data;
        if (data == QLatin1String("B"))
            delete box.data(); // a loadFile that opened another panel
    });
    connect(signalsOf(box.data()), &ElementSignals::sendLock, this, [&](const QString &data) { seen << data; });
    {
        const QSignalBlocker blocker(box.data());
        box->setChecked(true);
    }

    // Entered at the element's own slot: Qt's setChecked itself does not
    // survive a deletion inside stateChanged (the window deletes panels later).
    box->valueChanged(Qt::Checked);
    QVERIFY(box.isNull());
    QCOMPARE(seen, QStringList({"A", "B"})); // and no lock from a deleted box
    QVERIFY(!fx->shell.modified);
}

void TestValueElements::deletedDuringTheSendUsbWait()
{
    QPointer<CheckBox> box = checkBox({"checked_sendUSB", "", "01", "r", "40", "checked_setDef", "", "A"});
    box->initialize();
    QStringList seen;
    connect(signalsOf(box.data()), &ElementSignals::checked_setDef, this, [&](const QString &data) { seen << data; });
    {
        const QSignalBlocker blocker(box.data());
        box->setChecked(true);
    }
    QTimer::singleShot(5, this, [&] { delete box.data(); });
    box->valueChanged(Qt::Checked);
    QVERIFY(box.isNull());
    QVERIFY(seen.isEmpty());
    QVERIFY(!fx->shell.modified);
}

void TestValueElements::spinBoxDeletedInItsOwnAction()
{
    QPointer<SpinBox> spin = spinBox(0, 9, {"changed_setDef", "", "A", "changed_runScript", "", "S"});
    spin->initialize();
    QStringList seen;
    connect(signalsOf(spin.data()), &ElementSignals::changed_setDef, this, [&](const QString &data) {
        seen << data;
        delete spin.data();
    });
    connect(signalsOf(spin.data()), &ElementSignals::changed_runScript, this, [&](const QString &data) { seen << data; });
    spin->valueChangedByUser(4);
    QVERIFY(spin.isNull());
    QCOMPARE(seen, QStringList{"A"});
}

void TestValueElements::replacedPanelStopsTheWalk()
{
    // The element sits in the shown panel; the action opens another panel,
    // and Qt deletes the old one only later.
    QWidget *panel = fx->panel.wiring().createVerticalWidget();
    QPointer<CheckBox> box = new CheckBox(QStringLiteral("CB"), QStringLiteral("Check"), panel);
    box->setHost(&fx->panel);
    box->setElementProperty("data", actionData({"checked_setDef", "", "A", "checked_setDef", "", "B"}));
    box->initialize();
    QStringList seen;
    connect(signalsOf(box.data()), &ElementSignals::checked_setDef, this, [&](const QString &data) {
        seen << data;
        fx->panel.wiring().createVerticalWidget();
    });
    SignalLog log(box);

    box->setChecked(true);
    QCOMPARE(seen, QStringList{"A"});
    QVERIFY(!log.entries.contains(QStringLiteral("updateMathLabels()")));
    QVERIFY(!box.isNull()); // still there until the event loop deletes it
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(box.isNull());
}

QTEST_MAIN(TestValueElements)
#include "tst_valueelements.moc"
