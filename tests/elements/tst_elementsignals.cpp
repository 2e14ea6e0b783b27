// The signal set every element emits through: the name tables, which signals
// each element class raises, the element behind a sender, and blocking.
#include "checkbox.h"
#include "combobox.h"
#include "doublespinbox.h"
#include "elementsignals.h"
#include "pushbutton.h"
#include "spinbox.h"
#include "textedit.h"
#include "togglebutton.h"

#include <QMetaMethod>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <utility>
#include <memory>

using ElementFactory = std::function<QObject *()>;
Q_DECLARE_METATYPE(ElementFactory)

class TestElementSignals : public QObject
{
    Q_OBJECT

private slots:
    void actionNamesFindTheirSignals();
    void otherNamesFindNone_data();
    void otherNamesFindNone();
    void elementsRaiseTheSignalsOfTheirClass_data();
    void elementsRaiseTheSignalsOfTheirClass();
    void sendersMapToTheirElements();
    void blockedElementsEmitNothing();
    void refreshCodesKeepTheirOrderOnceEach();
    void theListenerHearsAnElementWithoutASignalObject();
    void aListenerMayDeleteTheElement();
};

namespace {

// A listener that counts its calls and may delete the element on a call.
class CountingListener : public QObject, public ElementSignalsListener
{
public:
    int changes = 0;
    int refreshes = 0;
    QObject *lastElement = nullptr;
    QObject *deleteOnCall = nullptr;

    void elementChangedByUser(ElementSignalState *state) override { heard(state, &changes); }
    void elementRefreshRequested(ElementSignalState *state) override { heard(state, &refreshes); }

private:
    void heard(ElementSignalState *state, int *count)
    {
        ++*count;
        lastElement = state->element();
        delete std::exchange(deleteOnCall, nullptr);
    }
};

ElementSignals *signalChildOf(const QObject *element)
{
    return element->findChild<ElementSignals *>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

void TestElementSignals::actionNamesFindTheirSignals()
{
    const QStringList events = {"checked", "unchecked", "selected", "unselected",
                                "changed", "clicked", "pressed", "released"};
    const QStringList kinds = {"sendUSB", "recData", "setDef", "runScript", "loadFile", "startProgram", "resetGUI"};
    QStringList names;
    for (const QString &event : events) {
        for (const QString &kind : kinds)
            names << event + QLatin1Char('_') + kind;
    }
    QSet<QByteArray> seen;
    for (const QString &name : names) {
        const ElementSignals::TextSignal signal = ElementSignals::actionSignal(name);
        QVERIFY2(signal, qPrintable(name));
        const QMetaMethod method = QMetaMethod::fromSignal(signal);
        QCOMPARE(QString::fromLatin1(method.name()), name);
        seen.insert(method.methodSignature());
        QCOMPARE(ElementSignals::textSignal(name), signal);
    }
    QCOMPARE(seen.size(), names.size());
    QCOMPARE(ElementSignals::textSignal("sendLock"), &ElementSignals::sendLock);
    QCOMPARE(ElementSignals::textSignal("sendUnlock"), &ElementSignals::sendUnlock);
}

void TestElementSignals::otherNamesFindNone_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << "";
    QTest::newRow("event only") << "checked";
    QTest::newRow("other case") << "checked_setdef";
    QTest::newRow("signature") << "checked_setDef(QString)";
    QTest::newRow("unknown event") << "hovered_setDef";
    QTest::newRow("unknown kind") << "clicked_openFile";
    QTest::newRow("lock") << "sendLock";
    QTest::newRow("notification") << "changedByUser";
}

void TestElementSignals::otherNamesFindNone()
{
    QFETCH(QString, name);
    QVERIFY(!ElementSignals::actionSignal(name));
    if (name != QLatin1String("sendLock"))
        QVERIFY(!ElementSignals::textSignal(name));
}

void TestElementSignals::elementsRaiseTheSignalsOfTheirClass_data()
{
    QTest::addColumn<ElementFactory>("make");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("raised");
    const ElementFactory check = [] { return new CheckBox("C", "c"); };
    const ElementFactory toggle = [] { return new ToggleButton("T", "t"); };
    const ElementFactory combo = [] { return new ComboBox("M"); };
    const ElementFactory spin = [] { return new SpinBox("S"); };
    const ElementFactory doubleSpin = [] { return new DoubleSpinBox("D"); };
    const ElementFactory text = [] { return new TextEdit("E"); };
    const ElementFactory push = [] { return new PushButton("P", "p"); };
    QTest::newRow("check box setDef") << check << "unchecked_setDef" << true;
    QTest::newRow("check box locks") << check << "sendLock" << true;
    QTest::newRow("check box no selection") << check << "selected_setDef" << false;
    QTest::newRow("check box no script") << check << "checked_runScript" << false;
    QTest::newRow("toggle script when checked") << toggle << "checked_runScript" << true;
    QTest::newRow("toggle no script when unchecked") << toggle << "unchecked_runScript" << false;
    QTest::newRow("toggle reset") << toggle << "unchecked_resetGUI" << true;
    QTest::newRow("combo loads files") << combo << "selected_loadFile" << true;
    QTest::newRow("combo no unselected script") << combo << "unselected_runScript" << false;
    QTest::newRow("combo locks") << combo << "sendUnlock" << true;
    QTest::newRow("spin box script") << spin << "changed_runScript" << true;
    QTest::newRow("spin box no locks") << spin << "sendLock" << false;
    QTest::newRow("spin box user change") << spin << "changedByUser" << true;
    QTest::newRow("double spin box no script") << doubleSpin << "changed_runScript" << false;
    QTest::newRow("text edit no receive") << text << "changed_recData" << false;
    QTest::newRow("push button pressed receive") << push << "pressed_recData" << true;
    QTest::newRow("push button no pressed script") << push << "pressed_runScript" << false;
    QTest::newRow("push button no user change") << push << "changedByUser" << false;
    QTest::newRow("push button no formulas") << push << "updateMathLabels" << false;
}

void TestElementSignals::elementsRaiseTheSignalsOfTheirClass()
{
    QFETCH(ElementFactory, make);
    QFETCH(QString, name);
    QFETCH(bool, raised);
    const std::unique_ptr<QObject> element(make());
    ElementSignals *signalSet = signalsOf(element.get());
    QVERIFY(signalSet);
    QCOMPARE(signalSet->raises(name), raised);

    // emitText keeps to the raised signals.
    if (const ElementSignals::TextSignal signal = ElementSignals::textSignal(name)) {
        QSignalSpy spy(signalSet, signal);
        signalSet->emitText(name, "X=1");
        QCOMPARE(spy.count(), raised ? 1 : 0);
    }
}

void TestElementSignals::sendersMapToTheirElements()
{
    CheckBox box("C", "c");
    PushButton button("P", "p");
    QObject plain;
    for (QObject *element : {static_cast<QObject *>(&box), static_cast<QObject *>(&button)}) {
        ElementSignals *signalSet = signalsOf(element);
        QVERIFY(signalSet);
        QCOMPARE(signalSet->element(), element);
        QCOMPARE(signalsOf(signalSet), signalSet);
        QCOMPARE(elementOf(signalSet), element);
    }
    QCOMPARE(box.elementSignals(), signalsOf(&box));
    QCOMPARE(button.elementSignals(), signalsOf(&button));
    QCOMPARE(signalsOf(&plain), nullptr);
    QCOMPARE(signalsOf(nullptr), nullptr);
    QCOMPARE(elementOf(&plain), &plain);
    QCOMPARE(elementOf(nullptr), nullptr);
}

void TestElementSignals::blockedElementsEmitNothing()
{
    SpinBox spin("S");
    ElementSignals *signalSet = signalsOf(&spin);
    QSignalSpy setDefs(signalSet, &ElementSignals::changed_setDef);
    QSignalSpy updates(signalSet, &ElementSignals::updateMathLabels);
    {
        const QSignalBlocker blocker(&spin);
        signalSet->emitText("changed_setDef", "A=1");
        signalSet->raise(&ElementSignals::changed_setDef, "A=2");
        spin.updateMathLabels();
    }
    QCOMPARE(setDefs.count(), 0);
    QCOMPARE(updates.count(), 0);
    signalSet->emitText("changed_setDef", "A=3");
    spin.updateMathLabels();
    QCOMPARE(setDefs.count(), 1);
    QCOMPARE(setDefs.first().first().toString(), QStringLiteral("A=3"));
    QCOMPARE(updates.count(), 1);
}

void TestElementSignals::refreshCodesKeepTheirOrderOnceEach()
{
    QObject owner;
    ElementSignals signalSet(&owner, {});
    QCOMPARE(signalSet.refreshCodes(), 0u);
    QVERIFY(signalSet.addRefreshCode(3));
    QVERIFY(signalSet.addRefreshCode(1));
    // A refresh asked for again stays where it was, once.
    QVERIFY(!signalSet.addRefreshCode(3));
    QVERIFY(signalSet.addRefreshCode(7));
    QCOMPARE(signalSet.refreshCodes(), 0x713u);
    // Codes outside 1..15 are no refreshes.
    QVERIFY(!signalSet.addRefreshCode(0));
    QVERIFY(!signalSet.addRefreshCode(16));
    QCOMPARE(signalSet.refreshCodes(), 0x713u);
    // Eight codes fill the list; a ninth is refused and changes nothing.
    for (int code : {2, 4, 5, 6, 8})
        QVERIFY(signalSet.addRefreshCode(code));
    QCOMPARE(signalSet.refreshCodes(), 0x86542713u);
    QVERIFY(!signalSet.addRefreshCode(9));
    QCOMPARE(signalSet.refreshCodes(), 0x86542713u);
}

void TestElementSignals::theListenerHearsAnElementWithoutASignalObject()
{
    CountingListener listener;
    SpinBox spin("S");
    ElementSignalState *state = signalStateOf(&spin);
    QVERIFY(state);
    QCOMPARE(state->element(), &spin);
    QVERIFY(state->raises("changedByUser"));
    state->setListener(&listener, &listener);
    state->reportChangesByUser();
    QVERIFY(state->addRefreshCode(2));

    // Raising tells the listener and makes no signal object.
    state->raise(&ElementSignals::changedByUser);
    spin.updateMathLabels();
    QCOMPARE(listener.changes, 1);
    QCOMPARE(listener.refreshes, 1);
    QCOMPARE(listener.lastElement, &spin);
    QCOMPARE(signalChildOf(&spin), nullptr);

    // The object made later carries the same state and emits after the listener.
    ElementSignals *signalSet = signalsOf(&spin);
    QVERIFY(signalSet);
    QCOMPARE(signalChildOf(&spin), signalSet);
    QCOMPARE(signalSet->state(), state);
    QCOMPARE(signalStateOf(signalSet), state);
    QCOMPARE(spin.elementSignals(), signalSet);
    QCOMPARE(signalSet->listener(), &listener);
    QVERIFY(signalSet->reportsChangesByUser());
    QCOMPARE(signalSet->refreshCodes(), 2u);
    QSignalSpy changes(signalSet, &ElementSignals::changedByUser);
    signalSet->raise(&ElementSignals::changedByUser);
    QCOMPARE(listener.changes, 2);
    QCOMPARE(changes.count(), 1);

    // A signal object deleted on its own is made again on the next request.
    delete signalSet;
    QCOMPARE(signalChildOf(&spin), nullptr);
    state->raise(&ElementSignals::changedByUser);
    QCOMPARE(listener.changes, 3);
    QVERIFY(signalsOf(&spin));
    QCOMPARE(signalsOf(&spin)->listener(), &listener);
}

void TestElementSignals::aListenerMayDeleteTheElement()
{
    // With and without a signal object: the raise stops when its element goes.
    for (const bool withObject : {false, true}) {
        CountingListener listener;
        auto *box = new CheckBox("C", "c");
        QPointer<QObject> watch = box;
        ElementSignalState *state = signalStateOf(box);
        state->setListener(&listener, &listener);
        state->reportChangesByUser();
        QPointer<ElementSignals> signalSet = withObject ? signalsOf(box) : nullptr;
        listener.deleteOnCall = box;
        state->raise(&ElementSignals::changedByUser);
        QCOMPARE(listener.changes, 1);
        QVERIFY(!watch);
        QVERIFY(!signalSet);
    }
}

QTEST_MAIN(TestElementSignals)
#include "tst_elementsignals.moc"
