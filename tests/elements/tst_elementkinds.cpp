// The element kind table: which kind an element object is, and the facts the
// reader, the project file, the locks and setting by define take from it.
#include "buttongroup.h"
#include "checkbox.h"
#include "combobox.h"
#include "doublespinbox.h"
#include "elementkinds.h"
#include "hexspinbox.h"
#include "knob.h"
#include "lineedit.h"
#include "mathlabel.h"
#include "pushbutton.h"
#include "slider.h"
#include "spinbox.h"
#include "textedit.h"
#include "timerlabel.h"
#include "togglebutton.h"

#include <QLabel>
#include <QRadioButton>
#include <QtTest>

#include <functional>
#include <memory>

// A check box of a later kind that has no row of its own.
class LabelledCheckBox : public CheckBox
{
    Q_OBJECT
public:
    using CheckBox::CheckBox;
};

using Factory = std::function<QObject *()>;
Q_DECLARE_METATYPE(Factory)
Q_DECLARE_METATYPE(DefineSetRule)

class TestElementKinds : public QObject
{
    Q_OBJECT

private slots:
    void kindOfAnElement_data();
    void kindOfAnElement();
    void everyClassHasOneRowAndEveryXmlNameOneKind();
    void xmlNamesFindTheirKind();
    void everyKindHasAWrittenName();
    void settableKindsApplyTheirRule_data();
    void settableKindsApplyTheirRule();
};

void TestElementKinds::kindOfAnElement_data()
{
    QTest::addColumn<Factory>("make");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("sendsLocks");
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<DefineSetRule>("rule");

    const QString n = QStringLiteral("N");
    QTest::newRow("check box") << Factory([n] { return new CheckBox(n, n); }) << "CheckBox" << true << true
                               << DefineSetRule::Bit;
    QTest::newRow("subclass counts as its base kind")
        << Factory([n] { return new LabelledCheckBox(n, n); }) << "CheckBox" << true << true << DefineSetRule::Bit;
    QTest::newRow("toggle button") << Factory([n] { return new ToggleButton(n, n); }) << "ToggleButton" << true
                                   << true << DefineSetRule::QueuedCheck;
    QTest::newRow("combo box") << Factory([n] { return new ComboBox(n); }) << "ComboBox" << true << true
                               << DefineSetRule::Index;
    QTest::newRow("radio group") << Factory([n] { return new ButtonGroup(n, nullptr); }) << "ButtonGroup" << true << true
                                 << DefineSetRule::Button;
    QTest::newRow("spin box") << Factory([n] { return new SpinBox(n); }) << "SpinBox" << false << true
                              << DefineSetRule::Integer;
    QTest::newRow("hex spin box is a kind of its own")
        << Factory([n] { return new HexSpinBox(n); }) << "HexSpinBox" << false << true << DefineSetRule::Integer;
    QTest::newRow("double spin box") << Factory([n] { return new DoubleSpinBox(n); }) << "DoubleSpinBox" << false
                                     << true << DefineSetRule::Double;
    QTest::newRow("slider") << Factory([n] { return new Slider(n); }) << "Slider" << false << true
                            << DefineSetRule::Slider;
    QTest::newRow("knob") << Factory([n] { return new Knob(n); }) << "Knob" << false << true << DefineSetRule::Knob;
    QTest::newRow("line edit") << Factory([n] { return new LineEdit(n); }) << "LineEdit" << false << true
                               << DefineSetRule::LineText;
    QTest::newRow("text edit") << Factory([n] { return new TextEdit(n); }) << "TextEdit" << false << true
                               << DefineSetRule::RichText;
    QTest::newRow("push button") << Factory([n] { return new PushButton(n, n); }) << "PushButton" << false
                                 << false << DefineSetRule::None;
    QTest::newRow("radio button") << Factory([] { return new QRadioButton; }) << "QRadioButton" << false << false
                                  << DefineSetRule::None;
    QTest::newRow("formula") << Factory([n] { return new MathLabel(n); }) << "MathLabel" << false << false
                             << DefineSetRule::None;
    QTest::newRow("timer") << Factory([n] { return new TimerLabel(n); }) << "TimerLabel" << false << false
                           << DefineSetRule::None;
    QTest::newRow("no element") << Factory([] { return new QLabel; }) << "" << false << false
                                << DefineSetRule::None;
}

void TestElementKinds::kindOfAnElement()
{
    QFETCH(Factory, make);
    QFETCH(QString, kind);
    QFETCH(bool, sendsLocks);
    QFETCH(bool, recorded);
    QFETCH(DefineSetRule, rule);

    const std::unique_ptr<QObject> object(make());
    const ElementKind *found = elementKindOf(object.get());
    QCOMPARE(found ? QString::fromLatin1(found->className) : QString(), kind);
    QCOMPARE(found && found->sendsLocks, sendsLocks);
    QCOMPARE(found && found->recorded, recorded);
    QVERIFY((found ? found->setRule : DefineSetRule::None) == rule);
    // A project expects every define but those of formulas and timers.
    const bool counted = !found || found->countsAsDefine;
    QCOMPARE(counted, kind != QLatin1String("MathLabel") && kind != QLatin1String("TimerLabel"));
}

void TestElementKinds::everyClassHasOneRowAndEveryXmlNameOneKind()
{
    QSet<QString> classes;
    QSet<QString> xmlNames;
    for (const ElementKind &kind : elementKinds()) {
        QVERIFY2(!classes.contains(QLatin1String(kind.className)), kind.className);
        classes.insert(QLatin1String(kind.className));
        for (const QString &name : kind.xmlNames) {
            QVERIFY2(!xmlNames.contains(name), qPrintable(name));
            xmlNames.insert(name);
        }
        // A kind that sends locks has actions to lock with.
        QVERIFY2(!kind.sendsLocks || !kind.events.isEmpty(), kind.className);
    }
}

void TestElementKinds::xmlNamesFindTheirKind()
{
    QCOMPARE(QString::fromLatin1(elementKindForXml(QStringLiteral("hexspinbox"))->className),
             QStringLiteral("HexSpinBox"));
    QCOMPARE(QString::fromLatin1(elementKindForXml(QStringLiteral("radio"))->className),
             QStringLiteral("ButtonGroup"));
    QCOMPARE(QString::fromLatin1(elementKindForXml(QStringLiteral("stretch"))->className), QStringLiteral("Text"));
    QVERIFY(!elementKindForXml(QStringLiteral("verticalcontainer")));
    QVERIFY(!elementKindForXml(QStringLiteral("CheckBox"))); // class names are no XML names
}

void TestElementKinds::everyKindHasAWrittenName()
{
    // The panel writer writes each kind under this name: without one the
    // element would be left out of a saved panel.
    for (const ElementKind &kind : elementKinds())
        QVERIFY2(!kind.xmlName().isEmpty(), kind.className);
    const auto writtenName = [](const char *className) {
        for (const ElementKind &kind : elementKinds()) {
            if (QLatin1String(kind.className) == QLatin1String(className))
                return kind.xmlName();
        }
        return QString();
    };
    QCOMPARE(writtenName("HexSpinBox"), QStringLiteral("hexspinbox"));
    QCOMPARE(writtenName("GroupBox"), QStringLiteral("groupcontainer"));
}

void TestElementKinds::settableKindsApplyTheirRule_data()
{
    QTest::addColumn<Factory>("make");
    QTest::addColumn<int>("defineOutcome"); // of a text that is no number
    const QString n = QStringLiteral("E");
    const int invalid = ApplyResult::InvalidValue;
    const int notSettable = ApplyResult::NotSettable;
    QTest::newRow("check box") << Factory([n] { return new CheckBox(n, n); }) << invalid;
    QTest::newRow("toggle button") << Factory([n] { return new ToggleButton(n, n); }) << invalid;
    QTest::newRow("combo box") << Factory([n] { return new ComboBox(n); }) << invalid;
    QTest::newRow("radio group") << Factory([n] { return new ButtonGroup(n, nullptr); }) << invalid;
    QTest::newRow("spin box") << Factory([n] { return new SpinBox(n); }) << invalid;
    QTest::newRow("hex spin box") << Factory([n] { return new HexSpinBox(n); }) << invalid;
    QTest::newRow("double spin box") << Factory([n] { return new DoubleSpinBox(n); }) << invalid;
    QTest::newRow("slider") << Factory([n] { return new Slider(n); }) << invalid;
    QTest::newRow("knob") << Factory([n] { return new Knob(n); }) << invalid;
    QTest::newRow("formula") << Factory([n] { return new MathLabel(n); }) << notSettable;
    QTest::newRow("timer") << Factory([n] { return new TimerLabel(n); }) << notSettable;
}

void TestElementKinds::settableKindsApplyTheirRule()
{
    // A kind whose row says it is set by define or by a script command
    // implements applyText; one that is not keeps the refusal.
    QFETCH(Factory, make);
    QFETCH(int, defineOutcome);
    const std::unique_ptr<QObject> object(make());
    ActiveElement *element = activeElementOf(object.get());
    QVERIFY(element);
    const ElementKind *kind = elementKindOf(object.get());
    QVERIFY(kind);
    const bool settable = kind->setRule != DefineSetRule::None;
    QCOMPARE(settable, defineOutcome != ApplyResult::NotSettable);
    QCOMPARE(kind->userForm != UserSetForm::None, settable);

    bool announced = false;
    const ApplyResult refused = element->applyText(QStringLiteral("text"), ApplyRule::Define, [&] { announced = true; });
    QCOMPARE(int(refused.outcome), defineOutcome);
    QVERIFY(!announced); // nothing changed, so nothing was shown first
    if (!settable) {
        QCOMPARE(int(element->applyText(QStringLiteral("1"), ApplyRule::User, {}).outcome),
                 int(ApplyResult::NotSettable));
    }
}

QTEST_MAIN(TestElementKinds)
#include "tst_elementkinds.moc"
