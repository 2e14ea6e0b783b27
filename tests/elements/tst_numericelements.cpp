// The numeric elements beside the spin box: the hexadecimal spin box, the
// slider, the double spin box and the knob.
#include "doublespinbox.h"
#include "elementfixture.h"
#include "eventfilters.h"
#include "hexspinbox.h"
#include "knob.h"
#include "slider.h"
#include "spinbox.h"
#include "widgets.h"

#include <QLineEdit>
#include <QPointer>
#include <QtTest>

#include <cmath>

class TestNumericElements : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Every kind
    void newElementsAreWheelGuarded();
    void valueCases_data();
    void valueCases();
    void keywordAnswers();
    void initializeRefreshesFormulasAndAsksWhereItShould_data();
    void initializeRefreshesFormulasAndAsksWhereItShould();
    void programChangeKeepsTheStoredValue_data();
    void programChangeKeepsTheStoredValue();
    void userChangeRunsTheActionsOnce_data();
    void userChangeRunsTheActionsOnce();
    void acceptsBitRange_data();
    void acceptsBitRange();
    void lockAndEnable_data();
    void lockAndEnable();
    void deletedInItsOwnSetValue_data();
    void deletedInItsOwnSetValue();

    // Defaults
    void integerDefaults_data();
    void integerDefaults();
    void doubleDefaults_data();
    void doubleDefaults();

    // HexSpinBox
    void hexTexts_data();
    void hexTexts();
    void hexTyping_data();
    void hexTyping();
    void hexValidation_data();
    void hexValidation();
    void settingTheSameValueShowsItAgain_data();
    void settingTheSameValueShowsItAgain();
    void textIsLaidOutWhenShown_data();
    void textIsLaidOutWhenShown();

    // DoubleSpinBox
    void doubleSpinBoxIgnoresTheSystemLocale();

private:
    // An element of the kind ("SpinBox", "HexSpinBox", "Slider",
    // "DoubleSpinBox", "Knob") named E, range [min, max], with actions.
    QWidget *element(const QString &kind, double min = -100, double max = 2000000,
                     const QVariantList &actions = {});
    ActiveElement *active(QWidget *widget) { return activeElementOf(widget); }
    // Sets the widget's own value, as the user's typing or dragging does.
    static void setWidgetValue(QWidget *widget, double value);
    static double widgetValue(QWidget *widget);

    std::unique_ptr<ElementFixture> fx;
    std::unique_ptr<QWidget> top;
};

const QStringList allKinds{"SpinBox", "HexSpinBox", "Slider", "DoubleSpinBox", "Knob"};

// One row per kind: the column "kind" and, when named, a flag column that
// is set for the kinds flagged.
static void kindRows(const char *flagColumn = nullptr, const QStringList &flagged = {})
{
    QTest::addColumn<QString>("kind");
    if (flagColumn)
        QTest::addColumn<bool>(flagColumn);
    for (const QString &kind : allKinds) {
        QTestData &row = QTest::newRow(qPrintable(kind)) << kind;
        if (flagColumn)
            row << flagged.contains(kind);
    }
}

void TestNumericElements::initTestCase()
{
    fx = std::make_unique<ElementFixture>();
}

void TestNumericElements::init()
{
    fx->reset();
    top = std::make_unique<QWidget>();
}

void TestNumericElements::cleanup()
{
    top.reset();
}

QWidget *TestNumericElements::element(const QString &kind, double min, double max, const QVariantList &actions)
{
    const QString name = QStringLiteral("E");
    QWidget *widget = nullptr;
    if (kind == QLatin1String("SpinBox") || kind == QLatin1String("HexSpinBox")) {
        auto *spin = kind == QLatin1String("SpinBox") ? new SpinBox(name, top.get()) : new HexSpinBox(name, top.get());
        spin->setHost(&fx->panel);
        spin->setRange(int(min), int(max));
        widget = spin;
    } else if (kind == QLatin1String("Slider")) {
        auto *slider = new Slider(name, top.get());
        slider->setHost(&fx->panel);
        slider->setRange(int(min), int(max));
        widget = slider;
    } else if (kind == QLatin1String("DoubleSpinBox")) {
        auto *spin = new DoubleSpinBox(name, top.get());
        spin->setHost(&fx->panel);
        spin->setRange(min, max);
        widget = spin;
    } else {
        auto *knob = new Knob(name, top.get());
        knob->setHost(&fx->panel);
        knob->setScale(min, max);
        widget = knob;
    }
    active(widget)->setElementProperty("header", QStringLiteral("cfg.h"));
    if (!actions.isEmpty())
        active(widget)->setElementProperty("data", actionData(actions));
    return widget;
}

void TestNumericElements::setWidgetValue(QWidget *widget, double value)
{
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        spin->setValue(int(value));
    else if (auto *slider = qobject_cast<QSlider *>(widget))
        slider->setValue(int(value));
    else if (auto *floating = qobject_cast<QDoubleSpinBox *>(widget))
        floating->setValue(value);
    else
        qobject_cast<Knob *>(widget)->setValue(value);
}

double TestNumericElements::widgetValue(QWidget *widget)
{
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        return spin->value();
    if (auto *slider = qobject_cast<QSlider *>(widget))
        return slider->value();
    if (auto *floating = qobject_cast<QDoubleSpinBox *>(widget))
        return floating->value();
    return qobject_cast<Knob *>(widget)->value();
}

// ---------------------------------------------------------------------------
// Every kind

void TestNumericElements::newElementsAreWheelGuarded()
{
    Slider slider(QStringLiteral("S"));
    QCOMPARE(slider.objectName(), QStringLiteral("S"));
    QCOMPARE(slider.minimum(), -0x40000000);
    QCOMPARE(slider.maximum(), 0x40000000);

    DoubleSpinBox spin(QStringLiteral("D"));
    QCOMPARE(spin.minimum(), -9999999999999.0);
    QCOMPARE(spin.maximum(), 9999999999999.0);
    QCOMPARE(spin.decimals(), 5);
    QVERIFY(!spin.keyboardTracking());

    Knob knob(QStringLiteral("K"));
    QCOMPARE(knob.lowerBound(), 0.0);
    QCOMPARE(knob.upperBound(), 100.0);

    HexSpinBox hex(QStringLiteral("H"));
    QCOMPARE(hex.shownPrefix(), QStringLiteral("0x"));
    hex.layOutText();
    QCOMPARE(hex.prefix(), QStringLiteral("0x"));
    QVERIFY(!hex.keyboardTracking());

    for (QWidget *widget : {static_cast<QWidget *>(&slider), static_cast<QWidget *>(&spin),
                            static_cast<QWidget *>(&knob), static_cast<QWidget *>(&hex)}) {
        QCOMPARE(widget->focusPolicy(), Qt::StrongFocus);
        QVERIFY2(!wheelTaken(widget), qPrintable(widget->objectName()));
    }
}

// How an input reaches the element: a project value, a program's value
// (script, setDef, lock) or the user's change of the focused widget.
void TestNumericElements::valueCases_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("defineValue");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("recorded");
    QTest::addColumn<QString>("error");

    const QString setError = QStringLiteral("Trying to set \"E\" to invalid value \"%1\"");
    const QString loadError = QStringLiteral("Trying to load \"E\" with invalid value \"%1\"");

    QTest::newRow("spin box, project") << "SpinBox" << "load" << "42" << 4 << "42" << "672" << "42" << "" << "";
    QTest::newRow("spin box, negative field") << "SpinBox" << "load" << "-1" << 28 << "-1" << "4026531840" << "-1"
                                              << "" << "";
    QTest::newRow("hex, user") << "HexSpinBox" << "user" << "255" << -1 << "255" << "255" << "255"
                               << "Set(E, 255)\n" << "";
    QTest::newRow("hex, program value is decimal") << "HexSpinBox" << "set" << "32" << -1 << "32" << "32" << "0"
                                                   << "" << "";
    QTest::newRow("hex, program value in hex") << "HexSpinBox" << "set" << "0x20" << -1 << "0" << "0" << "0" << ""
                                               << setError.arg("0x20");
    QTest::newRow("slider, user") << "Slider" << "user" << "12" << 8 << "12" << "3072" << "12" << "Set(E, 12)\n"
                                  << "";
    QTest::newRow("slider, program") << "Slider" << "set" << "7" << -1 << "7" << "7" << "0" << "" << "";
    QTest::newRow("slider, project out of range") << "Slider" << "load" << "2000001" << -1 << "0" << "0" << "0"
                                                  << "" << loadError.arg("2000001");
    QTest::newRow("double, project keeps every digit")
        << "DoubleSpinBox" << "load" << "1234567.891" << -1 << "1234567.89100" << "1234567.89100" << "1234567.891"
        << "" << "";
    QTest::newRow("double, shortest exact text")
        << "DoubleSpinBox" << "load" << "0.30000000000000004" << -1 << "0.30000" << "0.30000"
        << "0.30000000000000004" << "" << "";
    QTest::newRow("double, user") << "DoubleSpinBox" << "user" << "0.5" << -1 << "0.50000" << "0.50000" << "0.5"
                                  << "Set(E, 0.5)\n" << "";
    QTest::newRow("double, user, large") << "DoubleSpinBox" << "user" << "1234567.5" << -1 << "1234567.50000"
                                         << "1234567.50000" << "1234567.5" << "Set(E, 1234567.5)\n" << "";
    QTest::newRow("double, program") << "DoubleSpinBox" << "set" << "2.25" << -1 << "2.25000" << "2.25000" << "0"
                                     << "" << "";
    QTest::newRow("double, NaN") << "DoubleSpinBox" << "set" << "nan" << -1 << "0.00000" << "0.00000" << "0" << ""
                                 << setError.arg("nan");
    QTest::newRow("double, infinite project value") << "DoubleSpinBox" << "load" << "inf" << -1 << "0.00000"
                                                    << "0.00000" << "0" << "" << loadError.arg("inf");
    QTest::newRow("knob, program value cut to an integer")
        << "Knob" << "set" << "42.9" << -1 << "42" << "42" << "0" << "" << "";
    QTest::newRow("knob, negative value cut toward zero") << "Knob" << "set" << "-42.9" << -1 << "-42" << "-42"
                                                          << "0" << "" << "";
    QTest::newRow("knob, project value kept whole") << "Knob" << "load" << "42.9" << 8 << "42.9" << "10752"
                                                    << "42.9" << "" << "";
    QTest::newRow("knob, user, every digit") << "Knob" << "user" << "1234567.5" << -1 << "1234567.5" << "1234567"
                                             << "1234567.5" << "Set(E, 1234567.5)\n" << "";
    QTest::newRow("knob, off the scale") << "Knob" << "set" << "2000001" << -1 << "0" << "0" << "0" << ""
                                         << setError.arg("2000001");
    QTest::newRow("knob, no number") << "Knob" << "set" << "fast" << -1 << "0" << "0" << "0" << ""
                                     << setError.arg("fast");
}

void TestNumericElements::valueCases()
{
    QFETCH(QString, kind);
    QFETCH(QString, how);
    QFETCH(QString, input);
    QFETCH(int, lsb);
    QFETCH(QString, value);
    QFETCH(QString, defineValue);
    QFETCH(QString, stored);
    QFETCH(QString, recorded);
    QFETCH(QString, error);

    QWidget *widget = element(kind);
    ActiveElement *e = active(widget);
    e->setElementProperty("lsb", lsb);
    e->initialize();
    {
        // Every kind starts at 0, in value and stored value.
        const QSignalBlocker blocker(widget);
        setWidgetValue(widget, 0);
    }
    QString line;
    if (how == QLatin1String("user")) {
        QVERIFY(showAndActivate(top.get()));
        fx->shell.recorder.stream().setString(&line);
        widget->setFocus();
        setWidgetValue(widget, input.toDouble());
    } else if (how == QLatin1String("set")) {
        e->setValue(input, KeywordValue);
    } else {
        e->loadValue(input);
    }
    QCOMPARE(e->value(KeywordValue, 0), value);
    QCOMPARE(e->value(KeywordDefineValue, 0), defineValue);
    QCOMPARE(e->storedValueText(), stored);
    QCOMPARE(line, recorded);
    QCOMPARE(fx->transcript().join('\n'), error);
    // The stored text reads back to the very same number.
    if (error.isEmpty() && how != QLatin1String("set"))
        QVERIFY(e->storedValueText().toDouble() == input.toDouble());
}

void TestNumericElements::keywordAnswers()
{
    const QStringList typeNames{"SpinBox", "SpinBox", "Slider", "DoubleSpinBox", "Knob"};
    for (int i = 0; i < allKinds.size(); ++i) {
        fx->reset();
        ActiveElement *e = active(element(allKinds.at(i)));
        QCOMPARE(e->value(KeywordTypeInfo, 0), typeNames.at(i));
        QCOMPARE(e->value(KeywordLabel, 0), QString());
        QCOMPARE(e->value(KeywordIndex, 0), QString());
        QCOMPARE(fx->transcript(), QStringList({"Can not return value of type \"label\" from \"E\"",
                                                "Can not return value of type \"index\" from \"E\""}));
        // Only plain values are set.
        e->setValue(QStringLiteral("5"), KeywordDefineValue);
        QVERIFY2(fx->reported(QStringLiteral("Trying to set \"E\" to invalid value \"5\"")), qPrintable(allKinds.at(i)));
    }
}

void TestNumericElements::initializeRefreshesFormulasAndAsksWhereItShould_data()
{
    kindRows("asks", {"SpinBox", "HexSpinBox", "Slider", "Knob"});
}

void TestNumericElements::initializeRefreshesFormulasAndAsksWhereItShould()
{
    QFETCH(QString, kind);
    QFETCH(bool, asks);

    fx->panel.addMathLabel({QStringLiteral("E")}, nullptr);
    QWidget *widget = element(kind);
    active(widget)->setElementProperty("confirmation", QStringLiteral("Sure?"));
    SignalLog log(widget);
    active(widget)->initialize();
    QCOMPARE(log.entries, QStringList{"updateMathLabels()"});
    QCOMPARE(widget->findChild<QInputEventRecorder *>() != nullptr, asks);
    QVERIFY(toolTipShown(widget).startsWith(QStringLiteral("E = 0")));
}

void TestNumericElements::programChangeKeepsTheStoredValue_data()
{
    kindRows("copiesReferences", {"SpinBox", "HexSpinBox", "DoubleSpinBox"});
}

void TestNumericElements::programChangeKeepsTheStoredValue()
{
    QFETCH(QString, kind);
    QFETCH(bool, copiesReferences);

    QWidget *widget = element(kind, 0, 255, {"changed_setDef", "", "A"});
    ActiveElement *e = active(widget);
    e->initialize();
    e->loadValue(QStringLiteral("3"));
    SignalLog log(widget);

    e->setValue(QStringLiteral("7"), KeywordValue);
    QCOMPARE(widgetValue(widget), 7.0);
    QCOMPARE(e->storedValueText(), QStringLiteral("3"));
    // Its signals are blocked while the value and the actions are set: only
    // the formula refresh after unblocking gets out.
    QCOMPARE(log.entries, QStringList{"updateMathLabels()"});
    QVERIFY(fx->shell.modified);
    QVERIFY(toolTipShown(widget).startsWith(QStringLiteral("E = 7")));

    // The last lock gone, the stored value is shown again.
    e->reapplyStoredValue();
    QCOMPARE(widgetValue(widget), 3.0);

    // A reference copies another element's value, except on a slider or a knob.
    auto *other = new SpinBox(QStringLiteral("OTHER"), top.get());
    other->setHost(&fx->panel);
    other->setValue(42);
    fx->panel.registerElement(QStringLiteral("OTHER"), other);
    e->setValue(QStringLiteral("OTHER"), KeywordValue);
    QCOMPARE(widgetValue(widget), copiesReferences ? 42.0 : 3.0);
    QCOMPARE(fx->reported(QStringLiteral("Trying to set \"E\" to invalid value \"OTHER\"")), !copiesReferences);
}

void TestNumericElements::userChangeRunsTheActionsOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("entries");

    const QStringList withScripts{"changedByUser()", "changed_setDef(A)", "changed_setDef(B)",
                                  "changed_runScript(S)", "changed_sendUSB(01)", "changed_recData(r)",
                                  "updateMathLabels()"};
    QStringList withoutScripts = withScripts;
    withoutScripts.removeAll(QStringLiteral("changed_runScript(S)"));
    for (const QString &kind : allKinds)
        QTest::newRow(qPrintable(kind)) << kind << (kind == QLatin1String("DoubleSpinBox") ? withoutScripts : withScripts);
}

void TestNumericElements::userChangeRunsTheActionsOnce()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, entries);

    // The event is not compared; the condition is; kinds the element does
    // not run are skipped with their items.
    QWidget *widget = element(kind, 0, 255,
                              {"changed_setDef", "", "A", "selected_setDef", "", "B", "changed_runScript", "", "S",
                               "changed_loadFile", "", "f", "changed_sendUSB", "E>4", "01", "r", "",
                               "changed_setDef", "0", "C"});
    fx->panel.registerElement(QStringLiteral("E"), active(widget));
    // A panel reset initializes again: the connection stays single.
    active(widget)->initialize();
    active(widget)->initialize();
    SignalLog log(widget);
    setWidgetValue(widget, 5);
    QCOMPARE(log.entries, entries);
    QCOMPARE(active(widget)->storedValueText(), QStringLiteral("5"));
    QVERIFY(fx->shell.modified);
    QCOMPARE(fx->panel.header().changedHeaders.value(QStringLiteral("cfg.h")), true);
}

void TestNumericElements::acceptsBitRange_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("msb");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("newMax");

    const double open = 0x40000000;
    for (const char *kind : {"Slider", "Knob"}) {
        const QByteArray name(kind);
        QTest::newRow(name + ", 3 bits narrow an open range") << kind << -open << open << 6 << 4 << true << 7.0;
        QTest::newRow(name + ", maximum still open") << kind << 0.0 << open << 7 << 4 << true << 15.0;
        QTest::newRow(name + ", 0..10 refuses 3 bits") << kind << 0.0 << 10.0 << 2 << 0 << false << 10.0;
        QTest::newRow(name + ", 0..7 takes 3 bits") << kind << 0.0 << 7.0 << 2 << 0 << true << 7.0;
        QTest::newRow(name + ", negative minimum") << kind << -1.0 << 7.0 << 2 << 0 << false << 7.0;
        QTest::newRow(name + ", whole define") << kind << 0.0 << 10.0 << -1 << -1 << true << 10.0;
        QTest::newRow(name + ", 32 bits") << kind << -open << open << 31 << 0 << true << open;
    }
    QTest::newRow("knob 0..100 refuses 4 bits") << "Knob" << 0.0 << 100.0 << 7 << 4 << false << 100.0;
    QTest::newRow("hex spin box narrows too") << "HexSpinBox" << -open << open << 7 << 0 << true << 255.0;
    QTest::newRow("double: a whole define") << "DoubleSpinBox" << 0.0 << 10.0 << -1 << -1 << true << 10.0;
    QTest::newRow("double: only msb -1") << "DoubleSpinBox" << 0.0 << 10.0 << -1 << 3 << true << 10.0;
    QTest::newRow("double: never a field") << "DoubleSpinBox" << 0.0 << 10.0 << 3 << 0 << false << 10.0;
}

void TestNumericElements::acceptsBitRange()
{
    QFETCH(QString, kind);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, msb);
    QFETCH(int, lsb);
    QFETCH(bool, accepted);
    QFETCH(double, newMax);

    QWidget *widget = element(kind, min, max);
    QCOMPARE(active(widget)->acceptsBitRange(msb, lsb), accepted);
    const double maximum = kind == QLatin1String("Knob") ? qobject_cast<Knob *>(widget)->upperBound()
        : kind == QLatin1String("Slider")                ? qobject_cast<QSlider *>(widget)->maximum()
        : kind == QLatin1String("DoubleSpinBox")         ? qobject_cast<QDoubleSpinBox *>(widget)->maximum()
                                                         : qobject_cast<QSpinBox *>(widget)->maximum();
    QCOMPARE(maximum, newMax);
}

void TestNumericElements::lockAndEnable_data()
{
    kindRows("enabledWhileLocked", {"SpinBox", "HexSpinBox", "Slider", "Knob"});
}

void TestNumericElements::lockAndEnable()
{
    QFETCH(QString, kind);
    QFETCH(bool, enabledWhileLocked);

    QWidget *widget = element(kind, 0, 255);
    ActiveElement *e = active(widget);
    e->loadValue(QStringLiteral("9"));
    e->addLock(QStringLiteral("A"), QStringLiteral("4"), KeywordValue);
    QCOMPARE(widgetValue(widget), 4.0);
    QVERIFY(!widget->isEnabled());
    e->enable(true);
    QCOMPARE(widget->isEnabled(), enabledWhileLocked);
    e->removeLock(QStringLiteral("A"));
    QVERIFY(widget->isEnabled());
    QCOMPARE(widgetValue(widget), 9.0);
    // No kind sends locks of its own.
    SignalLog log(widget);
    e->applyLocks();
    QVERIFY(log.entries.isEmpty());
}

void TestNumericElements::deletedInItsOwnSetValue_data()
{
    kindRows();
}

void TestNumericElements::deletedInItsOwnSetValue()
{
    QFETCH(QString, kind);

    // A sendUSB wait runs the event loop with the element's signals blocked;
    // the panel may go meanwhile.
    QPointer<QWidget> widget = element(kind, 0, 255, {"changed_sendUSB", "", "01", "r", "30"});
    active(widget)->initialize();
    QTimer::singleShot(5, this, [&] { delete widget.data(); });
    active(widget)->setValue(QStringLiteral("5"), KeywordValue);
    QVERIFY(widget.isNull());
    QVERIFY(!fx->shell.modified);
}

// ---------------------------------------------------------------------------
// Defaults

void TestNumericElements::integerDefaults_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<double>("shown"); // 3 before
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("error");

    for (const char *kind : {"HexSpinBox", "Slider", "Knob"}) {
        const QByteArray name(kind);
        QTest::newRow(name + ", hex literal") << kind << 0.0 << 100.0 << "0x20" << 32.0 << "32" << false;
        QTest::newRow(name + ", value prefix") << kind << 0.0 << 100.0 << "value=5" << 5.0 << "5" << false;
        QTest::newRow(name + ", clamped") << kind << 0.0 << 100.0 << "200" << 100.0 << "100" << false;
        QTest::newRow(name + ", beyond 64 bits") << kind << 0.0 << 100.0 << "0xFFFFFFFFFFFFFFFF" << 100.0 << "100"
                                                 << false;
        QTest::newRow(name + ", empty, minimum 10") << kind << 10.0 << 20.0 << "" << 10.0 << "10" << false;
        QTest::newRow(name + ", empty, all negative") << kind << -10.0 << -5.0 << "" << -5.0 << "-5" << false;
        QTest::newRow(name + ", label prefix") << kind << 0.0 << 100.0 << "label=5" << 3.0 << "0" << true;
        QTest::newRow(name + ", no literal") << kind << 0.0 << 100.0 << "abc" << 3.0 << "0" << true;
        QTest::newRow(name + ", no literal, minimum 10") << kind << 10.0 << 20.0 << "abc" << 10.0 << "10" << true;
    }
}

void TestNumericElements::integerDefaults()
{
    QFETCH(QString, kind);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(QString, defaultText);
    QFETCH(double, shown);
    QFETCH(QString, stored);
    QFETCH(bool, error);

    QWidget *widget = element(kind, min, max);
    setWidgetValue(widget, qBound(min, 3.0, max));
    active(widget)->setElementProperty("my_default", defaultText);
    active(widget)->resetToDefault();
    QCOMPARE(widgetValue(widget), shown);
    QCOMPARE(active(widget)->storedValueText(), stored);
    QCOMPARE(fx->reported(QStringLiteral("Trying to set \"E\" to invalid value \"%1\"").arg(defaultText)), error);
}

void TestNumericElements::doubleDefaults_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored");

    QTest::newRow("two decimals") << 0.0 << 10.0 << "2.50" << 2 << "2.50" << "2.5";
    QTest::newRow("no point keeps 5") << 0.0 << 10.0 << "3" << 5 << "3.00000" << "3";
    QTest::newRow("point without decimals") << 0.0 << 10.0 << "3." << 0 << "3" << "3";
    QTest::newRow("rounded to the decimals shown") << 0.0 << 10.0 << "2.125" << 3 << "2.125" << "2.125";
    // The stored value is what the spin box can hold, so it loads again.
    QTest::newRow("clamped into the range") << 0.0 << 10.0 << "200.5" << 1 << "10.0" << "10";
    QTest::newRow("no number counts 0") << 1.5 << 10.0 << "fast" << 5 << "1.50000" << "1.5";
    QTest::newRow("infinite counts 0") << 0.0 << 10.0 << "inf" << 5 << "0.00000" << "0";
    QTest::newRow("empty, minimum above 0") << 1.5 << 10.0 << "" << 5 << "1.50000" << "1.5";
    QTest::newRow("empty, minimum below 0") << -1.5 << 10.0 << "" << 5 << "0.00000" << "0";
}

void TestNumericElements::doubleDefaults()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(QString, defaultText);
    QFETCH(int, decimals);
    QFETCH(QString, value);
    QFETCH(QString, stored);

    auto *spin = qobject_cast<DoubleSpinBox *>(element(QStringLiteral("DoubleSpinBox"), min, max,
                                                       {"changed_setDef", "", "A"}));
    spin->setValue(7.0);
    spin->initialize();
    spin->setElementProperty("my_default", defaultText);
    SignalLog log(spin);
    spin->resetToDefault();
    QCOMPARE(spin->decimals(), decimals);
    QCOMPARE(spin->value(KeywordValue, 0), value);
    QCOMPARE(spin->storedValueText(), stored);
    // Not blocked: the user's path runs, actions included; nothing is reported.
    QVERIFY(log.entries.contains(QStringLiteral("changed_setDef(A)")));
    QCOMPARE(fx->transcript(), QStringList());
}

// ---------------------------------------------------------------------------
// HexSpinBox

void TestNumericElements::hexTexts_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("read");

    QTest::newRow("upper case") << 255 << "0xFF" << "0xff" << 255;
    QTest::newRow("zero") << 0 << "0x0" << "0x0" << 0;
    QTest::newRow("negative keeps its sign") << -26 << "0x-1A" << "0x-1A" << -26;
    QTest::newRow("without prefix") << 26 << "0x1A" << "1A" << 26;
    QTest::newRow("largest int") << 0x7FFFFFFF << "0x7FFFFFFF" << "0xFFFFFFFF" << 0x7FFFFFFF;
    QTest::newRow("no number") << 1 << "0x1" << "0xZZ" << 0;
    QTest::newRow("prefix only") << 1 << "0x1" << "0x" << 0;
}

void TestNumericElements::hexTexts()
{
    QFETCH(int, value);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(int, read);

    HexSpinBox hex(QStringLiteral("H"));
    hex.setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    hex.setValue(value);
    hex.show();
    QCOMPARE(hex.text(), shown);
    QCOMPARE(hex.valueFromText(typed), read);
    // Value texts stay decimal.
    QCOMPARE(hex.value(KeywordValue, 0), QString::number(value));
}

void TestNumericElements::hexTyping_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("recorded");

    // The spin box keeps its prefix: the user types the digits.
    QTest::newRow("hex digits") << "1F" << 31 << "Set(E, 31)\n";
    QTest::newRow("lower case") << "ab" << 171 << "Set(E, 171)\n";
    QTest::newRow("ninth digit refused") << "123456789" << 0x12345678 << "Set(E, 305419896)\n";
    QTest::newRow("no decimal point") << "1.5" << 0x15 << "Set(E, 21)\n";
    QTest::newRow("no minus sign") << "-7" << 7 << "Set(E, 7)\n";
}

// What the hexadecimal spin box accepts while typing: "0x" and one to eight
// digits; a beginning of that form waits for more; anything else is refused.
void TestNumericElements::hexValidation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    QTest::newRow("empty") << "" << int(QValidator::Intermediate);
    QTest::newRow("0") << "0" << int(QValidator::Intermediate);
    QTest::newRow("prefix only") << "0x" << int(QValidator::Intermediate);
    QTest::newRow("one digit") << "0xf" << int(QValidator::Acceptable);
    QTest::newRow("eight mixed-case digits") << "0xaBcD1234" << int(QValidator::Acceptable);
    QTest::newRow("nine digits") << "0x123456789" << int(QValidator::Invalid);
    QTest::newRow("upper-case X") << "0X1" << int(QValidator::Invalid);
    QTest::newRow("no prefix") << "12" << int(QValidator::Invalid);
    QTest::newRow("not a digit") << "0x1g" << int(QValidator::Invalid);
    QTest::newRow("blank") << "0x 1" << int(QValidator::Invalid);
    QTest::newRow("minus") << "-0x1" << int(QValidator::Invalid);
}

void TestNumericElements::hexValidation()
{
    QFETCH(QString, text);
    QFETCH(int, state);
    HexSpinBox hex(QStringLiteral("H"));
    int pos = 0;
    QCOMPARE(int(hex.validate(text, pos)), state);
    if (state == QValidator::Invalid)
        QCOMPARE(pos, text.size());
}

void TestNumericElements::hexTyping()
{
    QFETCH(QString, keys);
    QFETCH(int, value);
    QFETCH(QString, recorded);

    auto *hex = qobject_cast<HexSpinBox *>(element(QStringLiteral("HexSpinBox"), 0, 0x40000000));
    int pos = 0;
    QString text = QStringLiteral("0x123456789");
    QCOMPARE(hex->validate(text, pos), QValidator::Invalid);
    text = QStringLiteral("0x");
    QCOMPARE(hex->validate(text, pos), QValidator::Intermediate);
    text = QStringLiteral("0x00FF");
    QCOMPARE(hex->validate(text, pos), QValidator::Acceptable);

    hex->initialize();
    QVERIFY(showAndActivate(top.get()));
    QString line;
    fx->shell.recorder.stream().setString(&line);
    hex->setFocus();
    auto *edit = hex->findChild<QLineEdit *>();
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClicks(edit, keys);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(hex->QSpinBox::value(), value);
    QCOMPARE(line, recorded);
    QCOMPARE(hex->storedValueText(), QString::number(value));
}

void TestNumericElements::textIsLaidOutWhenShown_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("shown");
    QTest::newRow("spin box") << QStringLiteral("SpinBox") << QStringLiteral("1234");
    QTest::newRow("hex spin box") << QStringLiteral("HexSpinBox") << QStringLiteral("0x4D2");
}

// A box built and set while hidden lays no text out; its value, signals and
// measured sizes are there all along. Its first show gives the text.
void TestNumericElements::textIsLaidOutWhenShown()
{
    QFETCH(QString, kind);
    QFETCH(QString, shown);
    auto *measured = qobject_cast<SpinBox *>(element(kind, 0, 100000));
    auto *reference = qobject_cast<SpinBox *>(element(kind, 0, 100000));
    QVERIFY(measured && reference);
    reference->layOutText();
    QSignalSpy changes(measured, QOverload<int>::of(&QSpinBox::valueChanged));

    for (SpinBox *box : {measured, reference})
        active(box)->setValue(QStringLiteral("1234"), KeywordValue);
    QCOMPARE(measured->QSpinBox::value(), 1234);
    measured->stepBy(1);
    measured->stepBy(-1);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(measured->QSpinBox::value(), 1234);
    QCOMPARE(measured->text(), QString());
    QCOMPARE(reference->text(), shown);
    QCOMPARE(measured->shownPrefix(), reference->prefix());

    // Measured before: the sizes of the box laid out, no text laid out.
    QCOMPARE(measured->sizeHint(), reference->sizeHint());
    QCOMPARE(measured->minimumSizeHint(), reference->minimumSizeHint());
    QCOMPARE(measured->text(), QString());
    measured->layOutText();
    QCOMPARE(measured->text(), shown);
    QCOMPARE(measured->prefix(), reference->prefix());
    QCOMPARE(measured->sizeHint(), reference->sizeHint());
    QCOMPARE(measured->minimumSizeHint(), reference->minimumSizeHint());

    // Shown (a fixed size asks for no measure).
    auto *fixed = qobject_cast<SpinBox *>(element(kind, 0, 100000));
    QVERIFY(fixed);
    active(fixed)->setValue(QStringLiteral("1234"), KeywordValue);
    fixed->setParent(nullptr);
    fixed->setFixedSize(120, 30);
    fixed->show();
    QCOMPARE(fixed->text(), shown);
    fixed->stepBy(1);
    QCOMPARE(fixed->QSpinBox::value(), 1235);
    QVERIFY(fixed->text().endsWith(kind == QLatin1String("SpinBox") ? QStringLiteral("1235") : QStringLiteral("4D3")));
    delete fixed;
}

void TestNumericElements::settingTheSameValueShowsItAgain_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("spin box") << QStringLiteral("SpinBox");
    QTest::newRow("hex spin box") << QStringLiteral("HexSpinBox");
}

// A value set again that the box holds already leaves its text alone, unless
// the text shows something else: typing not yet taken gives way to it.
void TestNumericElements::settingTheSameValueShowsItAgain()
{
    QFETCH(QString, kind);
    QWidget *widget = element(kind, 0, 100);
    auto *box = qobject_cast<QSpinBox *>(widget);
    QVERIFY(box);
    ActiveElement *e = active(widget);
    e->setValue(QStringLiteral("5"), KeywordValue);
    QCOMPARE(box->value(), 5);
    widget->window()->show();
    const QString shown = box->text();
    QVERIFY(shown.endsWith(QLatin1Char('5')));

    auto *edit = widget->findChild<QLineEdit *>();
    QVERIFY(edit);
    edit->setText(box->prefix() + QStringLiteral("7"));
    QCOMPARE(box->value(), 5);
    e->setValue(QStringLiteral("5"), KeywordValue);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(box->value(), 5);
    e->setValue(QStringLiteral("5"), KeywordValue);
    QCOMPARE(edit->text(), shown);
}

// ---------------------------------------------------------------------------
// DoubleSpinBox

void TestNumericElements::doubleSpinBoxIgnoresTheSystemLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    DoubleSpinBox spin(QStringLiteral("D"));
    QLocale::setDefault(previous);
    spin.setValue(QStringLiteral("1.25"), KeywordValue);
    QCOMPARE(spin.QDoubleSpinBox::value(), 1.25);
    QCOMPARE(spin.text(), QStringLiteral("1.25000"));
    QCOMPARE(spin.valueFromText(QStringLiteral("2.5")), 2.5);
    QCOMPARE(fx->transcript(), QStringList());
}

QTEST_MAIN(TestNumericElements)
#include "tst_numericelements.moc"
