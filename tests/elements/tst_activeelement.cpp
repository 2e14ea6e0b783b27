#include "activeelement.h"
#include "checkbox.h"
#include "doublespinbox.h"
#include "elementconditions.h"
#include "elementfixture.h"
#include "eventfilters.h"
#include "hexspinbox.h"
#include "knob.h"
#include "lineedit.h"
#include "slider.h"
#include "spinbox.h"
#include "textedit.h"
#include "treewidget.h"
#include "treewidgetitem.h"
#include "widgets.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

// An element that notes what the lock operations ask of it, and whether the
// lock flag was already set when enable() arrived.
class LockProbe : public QWidget, public ActiveElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)
public:
    QObject *elementObject() const override { return const_cast<LockProbe *>(this); }
    explicit LockProbe(const QString &name) { setObjectName(name); }
    void setValue(const QString &text, int keyword) override
    {
        calls << QStringLiteral("setValue(%1,%2)").arg(text).arg(keyword);
        current = text;
    }
    void loadValue(const QString &) override {}
    QString value(int, int) override { return current; }
    QString storedValueText() override { return stored; }
    void initialize() override {}
    void enable(bool on) override
    {
        calls << QStringLiteral("enable(%1) locked=%2").arg(int(on)).arg(int(locked));
        setEnabled(on);
    }
    void reapplyStoredValue() override
    {
        calls << QStringLiteral("reapply");
        current = stored;
    }
    void setElementProperty(const char *name, const QVariant &value) override { setProperty(name, value); }
    QVariant elementProperty(const char *name) override { return property(name); }
    bool acceptsBitRange(int, int) override { return true; }

    QStringList calls;
    QString current = QStringLiteral("0");
    QString stored = QStringLiteral("0");
signals:
    void updateMathLabels() override;
};

// Counts the presses and releases that get past the filters installed after it.
class MouseCounter : public QObject
{
public:
    int presses = 0;
    int releases = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        presses += event->type() == QEvent::MouseButtonPress;
        releases += event->type() == QEvent::MouseButtonRelease;
        return false;
    }
};

class TestActiveElement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void keywordParsing_data();
    void keywordParsing();

    void firstLockSetsValueThenDisablesThenFlags();
    void furtherLocksQueueBehindTheFirst();
    void removeLockDropsEveryRecordOfTheName();
    void branchKeepsAnUnlockedElementDisabled();
    void lockListQueries();
    void takeOperationsOnEmptyListsGiveEmptyRecords();

    void toolTipShowsSelectedSections_data();
    void toolTipShowsSelectedSections();
    void toolTipOfACheckBoxWithHeaderOnly();
    void toolTipRangeOfEachRangedKind_data();
    void toolTipRangeOfEachRangedKind();
    void defineBitsSpellTheDefineValue_data();
    void defineBitsSpellTheDefineValue();

    void conditions_data();
    void conditions();

    void wheelOnlyReachesAFocusedWidget();
    void confirmation_data();
    void confirmation();
    void replayedPressIsNotAskedAgain();
    void radioButtonAsksWithItsGroupsText();

private:
    std::unique_ptr<ElementFixture> fx;
    std::unique_ptr<QWidget> top;
};

void TestActiveElement::initTestCase()
{
    fx = std::make_unique<ElementFixture>();
}

void TestActiveElement::init()
{
    fx->reset();
    fx->panel.editHeader().toolTipSectionMask = 0xffff;
    top = std::make_unique<QWidget>();
}

void TestActiveElement::cleanup()
{
    top.reset();
}

// ---------------------------------------------------------------------------
// Keywords

void TestActiveElement::keywordParsing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("suffix");
    QTest::addColumn<int>("keyword");
    QTest::addColumn<QString>("stripped");

    // prefixes: keyword=text
    QTest::newRow("loadat is not load") << "loadat=5" << false << 21 << "5";
    QTest::newRow("index prefix") << "index=3" << false << 2 << "3";
    QTest::newRow("label prefix") << "label=Fast" << false << 1 << "Fast";
    QTest::newRow("no prefix") << "5" << false << 0 << "5";
    QTest::newRow("prefix needs =") << "index3" << false << 0 << "index3";
    QTest::newRow("prefix is case-sensitive") << "Index=3" << false << 0 << "Index=3";
    // suffixes: name.keyword
    QTest::newRow("deleteall is not delete") << "X.deleteall" << true << 18 << "X";
    QTest::newRow("max") << "PLL.max" << true << 31 << "PLL";
    QTest::newRow("no suffix") << "MODE" << true << 0 << "MODE";
    QTest::newRow("suffix needs the dot") << "MODElabel" << true << 0 << "MODElabel";
    QTest::newRow("every occurrence goes") << "A.label.label" << true << 1 << "A";
    QTest::newRow("last keyword") << "R.update" << true << 33 << "R";
}

void TestActiveElement::keywordParsing()
{
    QFETCH(QString, text);
    QFETCH(bool, suffix);
    QFETCH(int, keyword);
    QFETCH(QString, stripped);

    QCOMPARE(elementKeywords.size(), 34);
    const int found = suffix ? keywordSuffixIndexOf(text) : keywordIndexOf(text);
    QCOMPARE(found, keyword);
    QString rest = text;
    QCOMPARE(suffix ? stripKeywordSuffix(rest, found) : stripKeyword(rest, found), stripped);
}

// ---------------------------------------------------------------------------
// Lock lists

void TestActiveElement::firstLockSetsValueThenDisablesThenFlags()
{
    LockProbe element(QStringLiteral("B"));
    element.addLock(QStringLiteral("A"), QStringLiteral("Fast"), KeywordLabel);

    // enable(false) must still find the flag clear, or an element that
    // honours the flag would ignore it and stay enabled.
    QCOMPARE(element.calls, QStringList({"setValue(Fast,1)", "enable(0) locked=0"}));
    QVERIFY(element.locked);
    QVERIFY(element.isLocked());
    QVERIFY(!element.isEnabled());
}

void TestActiveElement::furtherLocksQueueBehindTheFirst()
{
    LockProbe element(QStringLiteral("B"));
    element.addLock(QStringLiteral("A"), QStringLiteral("1"), 0);
    element.addLock(QStringLiteral("C"), QStringLiteral("2"), 0);
    QCOMPARE(element.calls.size(), 2); // the second lock neither sets nor disables
    QCOMPARE(element.current, QStringLiteral("1"));
    QVERIFY(element.isLockedToOtherValue(QStringLiteral("2")));
    QVERIFY(!element.isLockedToOtherValue(QStringLiteral("1")));

    element.removeLock(QStringLiteral("A"));
    QVERIFY(element.locked);
    QVERIFY(!element.isEnabled());
    QCOMPARE(element.current, QStringLiteral("1"));
    QCOMPARE(element.lockedByNames(), QStringList{"C"});
    QCOMPARE(element.calls.size(), 2);
}

void TestActiveElement::removeLockDropsEveryRecordOfTheName()
{
    LockProbe element(QStringLiteral("B"));
    element.stored = QStringLiteral("7");
    element.addLock(QStringLiteral("A"), QStringLiteral("1"), 0);
    element.addLock(QStringLiteral("A"), QStringLiteral("1"), 0);
    element.calls.clear();

    element.removeLock(QStringLiteral("A"));
    QVERIFY(!element.locked);
    QVERIFY(!element.isLocked());
    QVERIFY(element.isEnabled());
    QCOMPARE(element.calls, QStringList({"enable(1) locked=0", "reapply"}));
    QCOMPARE(element.current, QStringLiteral("7"));

    element.calls.clear();
    element.removeLock(QStringLiteral("nobody")); // an unlocked element: nothing is listed
    QCOMPARE(element.calls, QStringList({"enable(1) locked=0", "reapply"}));
}

void TestActiveElement::branchKeepsAnUnlockedElementDisabled()
{
    LockProbe element(QStringLiteral("B"));
    element.addLock(QStringLiteral("A"), QStringLiteral("1"), 0);
    element.disabledByBranch = true;
    element.calls.clear();

    element.removeLock(QStringLiteral("A"));
    QCOMPARE(element.calls, QStringList{"reapply"});
    QVERIFY(!element.isEnabled());
    QVERIFY(!element.locked);
}

void TestActiveElement::lockListQueries()
{
    LockProbe element(QStringLiteral("B"));
    element.addLocking(QStringLiteral("X"), QStringLiteral("1"), 0);
    element.addLocking(QStringLiteral("Y"), QStringLiteral("1"), 0);
    element.addLocking(QStringLiteral("X"), QStringLiteral("2"), 2);
    QCOMPARE(element.lockingNames(), QStringList({"X", "Y", "X"}));
    QVERIFY(element.removeLocking(QStringLiteral("X")));
    QCOMPARE(element.lockingNames(), QStringList({"Y", "X"}));
    QCOMPARE(element.locking.last().kind, 2);
    QVERIFY(!element.removeLocking(QStringLiteral("x"))); // case-sensitive

    element.addWaitingToLock(QStringLiteral("T"), QStringLiteral("1"), 0);
    element.addWaitingToLock(QStringLiteral("T"), QStringLiteral("2"), 1);
    element.addWaitingToLock(QStringLiteral("U"), QStringLiteral("3"), 0);
    const LockRecord taken = element.takeWaitingToLock(QStringLiteral("T"));
    QCOMPARE(taken.value, QStringLiteral("1"));
    element.removeWaitingToLock(QStringLiteral("T"));
    QCOMPARE(element.waitingToLock.size(), 1);
    QCOMPARE(element.waitingToLock.first().name, QStringLiteral("U"));

    element.addWaitingToBeLockedBy(QStringLiteral("C"), QStringLiteral("2"));
    element.addWaitingToBeLockedBy(QStringLiteral("F"), QStringLiteral("3"));
    element.addWaitingToBeLockedBy(QStringLiteral("E"), QStringLiteral("2"));
    element.addWaitingToBeLockedBy(QStringLiteral("G"), QStringLiteral("2"));
    element.removeWaitingToBeLockedBy(QStringLiteral("G"));
    const LockRecord first = element.takeFirstWaitingToBeLockedBy();
    QCOMPARE(first.name, QStringLiteral("C"));
    const QList<LockRecord> same = element.takeWaitingToBeLockedByValue(first.value);
    QCOMPARE(same.size(), 1);
    QCOMPARE(same.first().name, QStringLiteral("E"));
    QCOMPARE(element.waitingToBeLockedBy.size(), 1);
    QCOMPARE(element.waitingToBeLockedBy.first().name, QStringLiteral("F"));

    element.addLock(QStringLiteral("A"), QStringLiteral("1"), 0);
    QVERIFY(element.isLockedBy(QStringLiteral("A")));
    QVERIFY(!element.isLockedBy(QStringLiteral("a")));
    element.disabledByBranch = true;
    element.calls.clear();
    element.clearLocks();
    QVERIFY(!element.locked && !element.disabledByBranch);
    QVERIFY(element.lockedBy.isEmpty() && element.locking.isEmpty() && element.waitingToLock.isEmpty()
            && element.waitingToBeLockedBy.isEmpty());
    QVERIFY(element.calls.isEmpty()); // the widget is not touched
    QVERIFY(!element.isEnabled());
}

void TestActiveElement::takeOperationsOnEmptyListsGiveEmptyRecords()
{
    LockProbe element(QStringLiteral("B"));
    for (const LockRecord &record :
         {element.takeFirstWaitingToBeLockedBy(), element.takeWaitingToLock(QStringLiteral("A"))}) {
        QVERIFY(record.name.isEmpty());
        QVERIFY(record.value.isEmpty());
        QCOMPARE(record.kind, 0);
    }
    QVERIFY(element.takeWaitingToBeLockedByValue(QStringLiteral("1")).isEmpty());
    QVERIFY(!element.isLockedToOtherValue(QStringLiteral("1")));
}

// ---------------------------------------------------------------------------
// Tool tip

void TestActiveElement::toolTipShowsSelectedSections_data()
{
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing") << quint32(0) << "\n";
    QTest::newRow("value") << quint32(0x1) << "PLL = 5\n";
    QTest::newRow("svd without value") << quint32(0x80) << " (RCC.CFGR.PLL)\n";
    QTest::newRow("value and svd") << quint32(0x81) << "PLL = 5 (RCC.CFGR.PLL)\n";
    QTest::newRow("locked by") << quint32(0x2) << "\nLocked by: \nA\nB\n";
    QTest::newRow("locking") << quint32(0x4) << "\nLocking: \nC\n";
    QTest::newRow("waiting to lock") << quint32(0x8) << "\nWaiting to lock: \nD\n";
    QTest::newRow("waiting to be locked by") << quint32(0x10) << "\nWaiting to be locked by: \nE\n";
    QTest::newRow("header") << quint32(0x100) << "\nHeader: cfg.h\n";
    QTest::newRow("default") << quint32(0x200) << "\nDefault: 4\n";
    QTest::newRow("enumerated values by key") << quint32(0x20)
                                              << "\nEnumerated Values: \n0x0 Off 0\n0x1 Slow 1\n0x2 Fast 2\n";
    QTest::newRow("containers") << quint32(0x40) << "\nContainers: Clocks->PLL settings\n";
    QTest::newRow("range with unit") << quint32(0x400) << "\nRange: 0..255 MHz\n";
    QTest::newRow("tooltip text") << quint32(0x800) << "\nMultiplier\n";
    QTest::newRow("bits above 0xfff do nothing") << quint32(0xffff0000) << "\n";
    QTest::newRow("all, in order") << quint32(0xffff)
                                   << "PLL = 5 (RCC.CFGR.PLL)\n"
                                      "Locked by: \nA\nB\n"
                                      "Locking: \nC\n"
                                      "Waiting to lock: \nD\n"
                                      "Waiting to be locked by: \nE\n"
                                      "Header: cfg.h\n"
                                      "Default: 4\n"
                                      "Enumerated Values: \n0x0 Off 0\n0x1 Slow 1\n0x2 Fast 2\n"
                                      "Containers: Clocks->PLL settings\n"
                                      "Range: 0..255 MHz\n"
                                      "Multiplier\n";
}

void TestActiveElement::toolTipShowsSelectedSections()
{
    QFETCH(quint32, mask);
    QFETCH(QString, expected);

    // A spin box on a tree branch, on a tab page.
    auto *tabs = new QTabWidget(top.get());
    auto *tree = new TreeWidget;
    tabs->addTab(tree, QStringLiteral("Clocks"));
    auto *branch = new TreeWidgetItem(tree->view());
    branch->setName(QStringLiteral("PLL settings"));
    auto *plain = new TreeWidget(top.get()); // not on a tab page: no name

    auto *spin = new SpinBox(QStringLiteral("PLL"), top.get());
    spin->setRange(0, 255);
    spin->QSpinBox::setValue(5);
    spin->setElementProperty("svd", QStringLiteral("RCC.CFGR.PLL"));
    spin->setElementProperty("header", QStringLiteral("cfg.h"));
    spin->setElementProperty("my_default", QStringLiteral("4"));
    spin->setElementProperty("unit", QStringLiteral("MHz"));
    spin->setElementProperty("tooltip", QStringLiteral("Multiplier"));
    spin->lockedBy = {{"A", "1", 0}, {"B", "1", 0}};
    spin->locking = {{"C", "2", 0}};
    spin->waitingToLock = {{"D", "3", 0}};
    spin->waitingToBeLockedBy = {{"E", "4", 0}};
    spin->addItem(QStringLiteral("Fast"), QStringLiteral("0x2"), 2);
    spin->addItem(QStringLiteral("Off"), QStringLiteral("0x0"), 0);
    spin->addItem(QStringLiteral("Slow"), QStringLiteral("0x1"), 1);
    spin->containerChain = {plain, tree, branch};

    fx->panel.editHeader().toolTipSectionMask = mask;
    spin->setHost(&fx->panel);
    QCOMPARE(buildToolTip(spin, mask), expected);
    spin->updateToolTip();
    QCOMPARE(toolTipShown(spin), expected);
}

void TestActiveElement::toolTipOfACheckBoxWithHeaderOnly()
{
    CheckBox box(QStringLiteral("LOW_POWER"), QStringLiteral("Low power"));
    box.setChecked(true);
    box.setElementProperty("header", QStringLiteral("cfg.h"));
    QCOMPARE(buildToolTip(&box, 0xffff), QStringLiteral("LOW_POWER = 1\nHeader: cfg.h\n"));
    QCOMPARE(box.header(), QStringLiteral("cfg.h"));

    // Without a range a unit stands alone on its line.
    box.setElementProperty("unit", QStringLiteral("V"));
    QCOMPARE(buildToolTip(&box, ToolTipRange), QStringLiteral("\n V\n"));
}

void TestActiveElement::toolTipRangeOfEachRangedKind_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");

    QTest::newRow("spin box") << "SpinBox" << "\nRange: -5..300\n";
    QTest::newRow("hex spin box, in decimal") << "HexSpinBox" << "\nRange: 16..255\n";
    QTest::newRow("slider") << "Slider" << "\nRange: -20..40\n";
    QTest::newRow("double spin box, six digits") << "DoubleSpinBox" << "\nRange: -0.5..1.23457e+06\n";
    QTest::newRow("knob, six digits") << "Knob" << "\nRange: 0.25..3.14159\n";
    QTest::newRow("line edit: none") << "LineEdit" << "\n";
}

void TestActiveElement::toolTipRangeOfEachRangedKind()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);

    std::unique_ptr<QWidget> widget;
    if (kind == "SpinBox") {
        auto *spin = new SpinBox("R");
        spin->setRange(-5, 300);
        widget.reset(spin);
    } else if (kind == "HexSpinBox") {
        auto *spin = new HexSpinBox("R");
        spin->setRange(16, 255);
        widget.reset(spin);
    } else if (kind == "Slider") {
        auto *slider = new Slider("R");
        slider->setRange(-20, 40);
        widget.reset(slider);
    } else if (kind == "DoubleSpinBox") {
        auto *spin = new DoubleSpinBox("R");
        spin->setRange(-0.5, 1234567.25);
        widget.reset(spin);
    } else if (kind == "Knob") {
        auto *knob = new Knob("R");
        knob->setScale(0.25, 3.14159265);
        widget.reset(knob);
    } else {
        widget.reset(new LineEdit("R"));
    }
    QCOMPARE(buildToolTip(activeElementOf(widget.get()), ToolTipRange), expected);
}

// A register's sum takes an element's define value as a number where the
// kind gives one: the number is the one the define value's text spells.
void TestActiveElement::defineBitsSpellTheDefineValue_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<bool>("numeric");

    QTest::newRow("spin box, whole register") << "SpinBox" << 7 << -1 << true;
    QTest::newRow("spin box, shifted") << "SpinBox" << 5 << 4 << true;
    QTest::newRow("spin box, negative") << "SpinBox" << -3 << 2 << true;
    QTest::newRow("spin box, shifted out") << "SpinBox" << 3 << 31 << true;
    QTest::newRow("hex spin box, shifted") << "HexSpinBox" << 0xA << 8 << true;
    QTest::newRow("slider") << "Slider" << 12 << 1 << true;
    QTest::newRow("check box, set") << "CheckBox" << 1 << 40 << true;
    QTest::newRow("check box, clear") << "CheckBox" << 0 << 3 << true;
    QTest::newRow("double spin box: text only") << "DoubleSpinBox" << 2 << -1 << false;
    QTest::newRow("line edit: text only") << "LineEdit" << 9 << -1 << false;
}

void TestActiveElement::defineBitsSpellTheDefineValue()
{
    QFETCH(QString, kind);
    QFETCH(int, value);
    QFETCH(int, lsb);
    QFETCH(bool, numeric);

    std::unique_ptr<QWidget> widget;
    if (kind == "SpinBox" || kind == "HexSpinBox") {
        auto *spin = kind == "SpinBox" ? new SpinBox("R") : new HexSpinBox("R");
        spin->setRange(-10, 100);
        spin->setValue(value);
        widget.reset(spin);
    } else if (kind == "Slider") {
        auto *slider = new Slider("R");
        slider->setRange(0, 40);
        slider->setValue(value);
        widget.reset(slider);
    } else if (kind == "CheckBox") {
        auto *box = new CheckBox("R", "r");
        box->setChecked(value != 0);
        widget.reset(box);
    } else if (kind == "DoubleSpinBox") {
        auto *spin = new DoubleSpinBox("R");
        spin->setValue(value);
        widget.reset(spin);
    } else {
        widget.reset(new LineEdit("R"));
    }
    ActiveElement *element = activeElementOf(widget.get());
    QVERIFY(element);
    if (lsb >= 0)
        element->setElementProperty("lsb", lsb);
    quint64 bits = 0;
    QCOMPARE(element->defineBits(&bits), numeric);
    if (numeric)
        QCOMPARE(QString::number(bits), element->value(KeywordDefineValue, 1));
}

// ---------------------------------------------------------------------------
// Conditions

void TestActiveElement::conditions_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<bool>("holds");

    QTest::newRow("empty") << "" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("1") << "1" << true;
    QTest::newRow("element value") << "PLL == 5" << true;
    QTest::newRow("element value differs") << "PLL==6" << false;
    QTest::newRow("arithmetic") << "PLL*2-10" << false;
    // text comparisons
    QTest::newRow("text equal") << "MODE==\"abc\"" << true;
    QTest::newRow("text equal, blanks") << "MODE == \"abc\"" << true;
    QTest::newRow("text not equal") << "MODE!=\"abc\"" << false;
    QTest::newRow("other text") << "MODE==\"xyz\"" << false;
    QTest::newRow("other text not equal") << "MODE!=\"xyz\"" << true;
    QTest::newRow("case-sensitive") << "MODE==\"ABC\"" << false;
    QTest::newRow("other operator") << "MODE<\"abc\"" << false;
    QTest::newRow("text edit equal") << "NOTE==\"hello\"" << true;
    QTest::newRow("text edit not equal") << "NOTE!=\"hello\"" << false;
    QTest::newRow("no line edit") << "PLL==\"5\"" << false;
    QTest::newRow("unknown element") << "NONE==\"abc\"" << false;
}

void TestActiveElement::conditions()
{
    QFETCH(QString, condition);
    QFETCH(bool, holds);

    SpinBox spin(QStringLiteral("PLL"));
    spin.QSpinBox::setValue(5);
    LineEdit edit(QStringLiteral("MODE"));
    edit.setText(QStringLiteral("abc"));
    TextEdit note(QStringLiteral("NOTE"));
    note.setPlainText(QStringLiteral("hello"));
    fx->panel.registerElement(QStringLiteral("PLL"), &spin);
    fx->panel.registerElement(QStringLiteral("MODE"), &edit);
    fx->panel.registerElement(QStringLiteral("NOTE"), &note);

    QCOMPARE(evaluateCondition(condition, &fx->panel), holds);
    fx->panel.forgetAllElements();
}

// ---------------------------------------------------------------------------
// Event filters

static QWheelEvent wheelUp(QWidget *widget)
{
    const QPointF pos(widget->width() / 2.0, widget->height() / 2.0);
    return QWheelEvent(pos, widget->mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, 120), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
}

void TestActiveElement::wheelOnlyReachesAFocusedWidget()
{
    auto *other = new QLineEdit(top.get());
    auto *spin = new SpinBox(QStringLiteral("PLL"), top.get());
    spin->move(0, 40);
    spin->setRange(0, 100);
    top->show();
    QApplication::setActiveWindow(top.get());
    QVERIFY(QTest::qWaitForWindowActive(top.get()));
    other->setFocus();
    QVERIFY(!spin->hasFocus());

    QWheelEvent unfocused = wheelUp(spin);
    QApplication::sendEvent(spin, &unfocused);
    QCOMPARE(spin->value(), 0);
    QVERIFY(!unfocused.isAccepted());

    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, QPoint(5, spin->height() / 2));
    QVERIFY(spin->hasFocus());
    QWheelEvent focused = wheelUp(spin);
    QApplication::sendEvent(spin, &focused);
    QCOMPARE(spin->value(), 1);
}

void TestActiveElement::confirmation_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("releases");

    QTest::newRow("cancel") << "cancel" << false << 0 << 0;
    QTest::newRow("no answer is cancel") << "" << false << 0 << 0;
    QTest::newRow("ok") << "ok" << true << 1 << 1;
}

void TestActiveElement::confirmation()
{
    QFETCH(QString, answer);
    QFETCH(bool, checked);
    QFETCH(int, presses);
    QFETCH(int, releases);

    fx->reset(answer.isEmpty() ? QStringList() : QStringList{answer});
    auto *box = new CheckBox(QStringLiteral("ERASE"), QStringLiteral("Erase"), top.get());
    MouseCounter counter; // installed first, so it sees what passes the recorder
    box->installEventFilter(&counter);
    box->setElementProperty("confirmation", QStringLiteral("Erase the flash?"));
    box->initialize();
    top->show();

    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, QPoint(5, box->height() / 2));
    QCOMPARE(fx->transcript(), QStringList{"Quillmate: Erase the flash?"});
    QCOMPARE(counter.presses, 0);
    QCoreApplication::processEvents();
    QCOMPARE(box->isChecked(), checked);
    QCOMPARE(counter.presses, presses);
    QCOMPARE(counter.releases, releases);
}

void TestActiveElement::replayedPressIsNotAskedAgain()
{
    fx->reset({QStringLiteral("ok"), QStringLiteral("ok")});
    auto *box = new CheckBox(QStringLiteral("ERASE"), QStringLiteral("Erase"), top.get());
    box->setElementProperty("confirmation", QStringLiteral("Sure?"));
    box->initialize();
    top->show();

    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, QPoint(5, box->height() / 2));
    // Other events reach the box before the replayed press does.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(box, &enter);
    QCoreApplication::processEvents();
    QVERIFY(box->isChecked());
    QCOMPARE(fx->transcript().size(), 1);

    // The next press of the user is asked about again.
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, QPoint(5, box->height() / 2));
    QCoreApplication::processEvents();
    QCOMPARE(fx->transcript().size(), 2);
    QVERIFY(!box->isChecked());
}

void TestActiveElement::radioButtonAsksWithItsGroupsText()
{
    fx->reset({QStringLiteral("cancel")});
    auto *radio = new QRadioButton(QStringLiteral("Fast"), top.get());
    auto *group = new QButtonGroup(top.get());
    group->addButton(radio);
    setElementPropertyOf(group, "confirmation", QStringLiteral("Switch the clock?"));
    radio->installEventFilter(new QInputEventRecorder(radio));
    top->show();

    QTest::mousePress(radio, Qt::LeftButton, Qt::NoModifier, QPoint(5, radio->height() / 2));
    QCoreApplication::processEvents();
    QCOMPARE(fx->transcript(), QStringList{"Quillmate: Switch the clock?"});
    QVERIFY(!radio->isChecked());
}

QTEST_MAIN(TestActiveElement)
#include "tst_activeelement.moc"
