#include "absolutewidget.h"
#include "activeelement.h"
#include "boxcontainers.h"
#include "checkbox.h"
#include "combobox.h"
#include "doublespinbox.h"
#include "gridwidget.h"
#include "hexspinbox.h"
#include "image.h"
#include "knob.h"
#include "led.h"
#include "lineedit.h"
#include "loglabel.h"
#include "mathlabel.h"
#include "myqwtplot.h"
#include "pinmapping.h"
#include "pushbutton.h"
#include "registerview.h"
#include "slider.h"
#include "spinbox.h"
#include "svdtree.h"
#include "table.h"
#include "tabwidget.h"
#include "text.h"
#include "textedit.h"
#include "timerlabel.h"
#include "togglebutton.h"
#include "treewidget.h"
#include "treewidgetitem.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include "fakehost.h"

#include <QtTest>

#include <qwt_dial.h>
#include <qwt_thermo.h>

#include <functional>
#include <memory>

// What the stand-in elements were asked to do with their locks, in call order.
static QStringList lockRequests;

// An element stand-in: enable() honours the lock flag as the element classes do.
class ElementStub : public ActiveElement
{
public:
    explicit ElementStub(QWidget *widget = nullptr)
        : m_widget(widget)
    {
    }
    QObject *elementObject() const override { return m_widget; }
    void setValue(const QString &, int) override {}
    void loadValue(const QString &) override {}
    QString value(int, int) override { return QString(); }
    QString storedValueText() override { return QString(); }
    void initialize() override {}
    void enable(bool on) override
    {
        if (!locked)
            applyEnabled(on);
    }
    void setElementProperty(const char *, const QVariant &) override {}
    QVariant elementProperty(const char *) override { return QVariant(); }
    bool acceptsBitRange(int, int) override { return true; }
    void updateMathLabels() override {}

    void lock()
    {
        enable(false);
        locked = true;
    }
    // What removing the element's last lock does.
    void unlock()
    {
        locked = false;
        if (!disabledByBranch)
            enable(true);
    }

protected:
    virtual void applyEnabled(bool on) { m_widget->setEnabled(on); }
    static void recordLocks(const QObject *element, bool on, const QString &button = QString())
    {
        lockRequests << QStringList{element->objectName(), on ? "send" : "withdraw", button}.join(' ').trimmed();
    }

private:
    QWidget *m_widget;
};

// A value element without lock requests.
class StubEdit : public QLineEdit, public ElementStub
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)
public:
    explicit StubEdit(const QString &name, QWidget *parent = nullptr)
        : QLineEdit(parent)
        , ElementStub(this)
    {
        setObjectName(name);
    }
};

class StubCheckBox : public QCheckBox, public ElementStub
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)
public:
    explicit StubCheckBox(const QString &name)
        : ElementStub(this)
    {
        setObjectName(name);
    }
    Q_INVOKABLE void sendLocks(bool on) { recordLocks(this, on); }
};

class StubComboBox : public QComboBox, public ElementStub
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)
public:
    explicit StubComboBox(const QString &name)
        : ElementStub(this)
    {
        setObjectName(name);
    }
    Q_INVOKABLE void sendLocks(bool on) { recordLocks(this, on); }
};

// A radio group element: enabling it enables its buttons.
class StubButtonGroup : public QButtonGroup, public ElementStub
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)
public:
    explicit StubButtonGroup(const QString &name, QObject *parent)
        : QButtonGroup(parent)
    {
        setObjectName(name);
    }
    Q_INVOKABLE void sendLocks(bool on, QAbstractButton *button) { recordLocks(this, on, button->objectName()); }

protected:
    void applyEnabled(bool on) override
    {
        const QList<QAbstractButton *> list = buttons();
        for (QAbstractButton *button : list)
            button->setEnabled(on);
    }
};

// Items of the pages' select lists, in the order they were sent.
// The panel the tab pages send their select lists to.
static FakeElementHost host;
static QStringList &setDefItems = host.setDefRequests;

// A container under test, built through the factories of a vertical root.
struct BuiltContainer {
    std::unique_ptr<VerticalWidget> root;
    Container *container = nullptr;
};

static BuiltContainer buildContainer(const QString &kind)
{
    BuiltContainer built{std::make_unique<VerticalWidget>(), nullptr};
    VerticalWidget *root = built.root.get();
    if (kind == "absolute")
        built.container = root->createAbsoluteWidget("L", -1);
    else if (kind == "grid")
        built.container = root->createGridWidget("L", -1);
    else if (kind == "group")
        built.container = root->createGroupBox("L", -1);
    else if (kind == "horizontal")
        built.container = root->createHorizontalWidget("L", -1);
    else if (kind == "vertical")
        built.container = root->createVerticalWidget("L", -1);
    else if (kind == "tab")
        built.container = root->createTabWidget("L", -1);
    else if (kind == "tree")
        built.container = root->createTreeWidget("L", -1);
    else if (kind == "branch")
        built.container = root->createTreeWidget("L", -1)->addBranch("B", nullptr);
    return built;
}

static const QStringList allContainerKinds = {"absolute", "grid", "group", "horizontal",
                                              "vertical", "tab", "tree", "branch"};

using Factory = std::function<QWidget *(Container *, const QString &text)>;

// Every factory with the object name its child gets.
struct FactoryCase {
    QString kind;
    Factory create;
    QString objectName;
};

static const QList<FactoryCase> &factoryCases()
{
    static const QList<FactoryCase> cases = {
        {"PushButton", [](Container *c, const QString &t) -> QWidget * { return c->createPushButton("N", t, -1); }, "N"},
        {"Plot", [](Container *c, const QString &t) -> QWidget * { return c->createPlot("N", t, -1); }, "N"},
        {"Dial", [](Container *c, const QString &t) -> QWidget * { return c->createDial("N", t, -1); }, ""},
        {"Thermo", [](Container *c, const QString &t) -> QWidget * { return c->createThermo("N", t, -1); }, ""},
        {"TimerLabel", [](Container *c, const QString &t) -> QWidget * { return c->createTimerLabel("N", t, -1); }, "N"},
        {"LogLabel", [](Container *c, const QString &t) -> QWidget * { return c->createLogLabel("N", t, -1); }, "N"},
        {"RegisterView", [](Container *c, const QString &t) -> QWidget * { return c->createRegisterView("N", t, -1); }, "N"},
        {"Table", [](Container *c, const QString &t) -> QWidget * { return c->createTable("N", t, -1); }, "N"},
        {"RadioButton", [](Container *c, const QString &t) -> QWidget * { return c->createRadioButton(t, -1); }, ""},
        {"CheckBox", [](Container *c, const QString &t) -> QWidget * { return c->createCheckBox("N", t, -1); }, "N"},
        {"ToggleButton", [](Container *c, const QString &t) -> QWidget * { return c->createToggleButton("N", t, -1); }, "N"},
        {"ComboBox", [](Container *c, const QString &t) -> QWidget * { return c->createComboBox("N", t, -1); }, "N"},
        {"SpinBox", [](Container *c, const QString &t) -> QWidget * { return c->createSpinBox("N", t, -1); }, "N"},
        {"Slider", [](Container *c, const QString &t) -> QWidget * { return c->createSlider("N", t, -1); }, "N"},
        {"Knob", [](Container *c, const QString &t) -> QWidget * { return c->createKnob("N", t, -1); }, "N"},
        {"DoubleSpinBox", [](Container *c, const QString &t) -> QWidget * { return c->createDoubleSpinBox("N", t, -1); }, "N"},
        {"HexSpinBox", [](Container *c, const QString &t) -> QWidget * { return c->createHexSpinBox("N", t, -1); }, "N"},
        {"Image", [](Container *c, const QString &t) -> QWidget * { return c->createImage("pic.png", "N", t, -1); }, "N"},
        {"Led", [](Container *c, const QString &t) -> QWidget * { return c->createLed("N", t, -1); }, "N"},
        {"Text", [](Container *c, const QString &t) -> QWidget * { return c->createText("N", t, -1); }, "N"},
        {"TextEdit", [](Container *c, const QString &t) -> QWidget * { return c->createTextEdit("N", t, -1); }, "N"},
        {"MathLabel", [](Container *c, const QString &t) -> QWidget * { return c->createMathLabel("N", t, -1); }, "N"},
        {"LineEdit", [](Container *c, const QString &t) -> QWidget * { return c->createLineEdit("N", t, -1); }, "N"},
        {"SvdTree", [](Container *c, const QString &t) -> QWidget * { return c->createSvdTree("N", t, -1); }, "N"},
        {"PinMapping", [](Container *c, const QString &t) -> QWidget * { return c->createPinMapping("N", t, -1); }, "N"},
        {"TabWidget", [](Container *c, const QString &t) -> QWidget * { return c->createTabWidget(t, -1); }, ""},
        {"AbsoluteWidget", [](Container *c, const QString &t) -> QWidget * { return c->createAbsoluteWidget(t, -1); }, ""},
        {"GroupBox", [](Container *c, const QString &t) -> QWidget * { return c->createGroupBox(t, -1); }, ""},
        {"HorizontalWidget", [](Container *c, const QString &t) -> QWidget * { return c->createHorizontalWidget(t, -1); }, ""},
        {"GridWidget", [](Container *c, const QString &t) -> QWidget * { return c->createGridWidget(t, -1); }, ""},
        {"VerticalWidget", [](Container *c, const QString &t) -> QWidget * { return c->createVerticalWidget(t, -1); }, ""},
        {"TreeWidget", [](Container *c, const QString &t) -> QWidget * { return c->createTreeWidget(t, -1); }, ""},
    };
    return cases;
}

static Factory factoryFor(const QString &kind)
{
    for (const FactoryCase &fc : factoryCases()) {
        if (fc.kind == kind)
            return fc.create;
    }
    return Factory();
}

// The text a child shows itself (button text, label text, group box title).
static QString captionOf(QWidget *widget)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    if (auto *group = qobject_cast<QGroupBox *>(widget))
        return group->title();
    return QString();
}

// The title of the tab or tree row that holds the widget; empty in a layout.
static QString titleOf(QWidget *widget)
{
    for (QWidget *up = widget->parentWidget(); up; up = up->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(up))
            return tabs->tabText(tabs->indexOf(widget));
        if (auto *view = qobject_cast<QTreeWidget *>(up)) {
            for (QTreeWidgetItemIterator it(view); *it; ++it) {
                if (view->itemWidget(*it, 1) == widget)
                    return (*it)->text(0);
            }
            return QString();
        }
    }
    return QString();
}

static QTreeWidgetItem *rowOf(TreeWidget *tree, QWidget *widget)
{
    for (QTreeWidgetItemIterator it(tree->view()); *it; ++it) {
        if (tree->view()->itemWidget(*it, 1) == widget)
            return *it;
    }
    return nullptr;
}

// The grid's cells in row-major order ("name@row,column"), then the next free cell.
static QString gridPicture(GridWidget *grid)
{
    auto *layout = qobject_cast<QGridLayout *>(grid->layout());
    QMap<QPair<int, int>, QString> cells;
    for (int i = 0; i < layout->count(); ++i) {
        int row, column, rowSpan, columnSpan;
        layout->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        cells.insert({row, column}, layout->itemAt(i)->widget()->objectName());
    }
    QStringList parts;
    for (auto it = cells.cbegin(); it != cells.cend(); ++it)
        parts << QString("%1@%2,%3").arg(it.value()).arg(it.key().first).arg(it.key().second);
    parts << QString("next %1,%2").arg(grid->nextRow()).arg(grid->nextColumn());
    return parts.join(' ');
}

static QString boxOrder(QWidget *box)
{
    QStringList names;
    for (int i = 0; i < box->layout()->count(); ++i)
        names << box->layout()->itemAt(i)->widget()->objectName();
    return names.join(' ');
}

static void connectPage(TabWidget *tabs, QWidget *page, const QStringList &select,
                        const QStringList &unselect)
{
    page->setProperty("selectsetdef", select);
    page->setProperty("unselectsetdef", unselect);
    QVERIFY(TabWidget::connectPageSetDef(tabs, page));
    if (!tabs->lastPage)
        tabs->lastPage = page;
    ++tabs->setDefPageCount;
}

// A tree with one switchable branch:
//   POWER (check box branch, checked)
//     Level   LEVEL element
//     Mode    MODE combo box
//     Page    absolute page: INNER element, radio buttons R1 (checked) and R2 of group SPEED
//     Fast    radio button FAST of group RATE
//     Note    plain label
//     BOOST   (nested check box branch, unchecked)
//       Gain  GAIN element
//   Other     OTHER element outside the branch
struct BranchFixture {
    std::unique_ptr<TreeWidget> tree = std::make_unique<TreeWidget>();
    StubCheckBox *power = new StubCheckBox("POWER");
    StubCheckBox *boost = new StubCheckBox("BOOST");
    StubEdit *level = new StubEdit("LEVEL");
    StubComboBox *mode = new StubComboBox("MODE");
    StubEdit *inner = nullptr;
    StubEdit *gain = new StubEdit("GAIN");
    StubEdit *other = new StubEdit("OTHER");
    QLabel *note = new QLabel("note");
    StubButtonGroup *speed = nullptr;
    StubButtonGroup *rate = nullptr;
    QRadioButton *fast = nullptr;
    TreeWidgetItem *powerRow = nullptr;
    TreeWidgetItem *boostRow = nullptr;

    BranchFixture()
    {
        speed = new StubButtonGroup("SPEED", tree.get());
        rate = new StubButtonGroup("RATE", tree.get());
        power->setChecked(true);
        powerRow = tree->addBranch("Power", power);
        powerRow->setName("BRANCH_0");
        powerRow->addRow(level, "Level");
        powerRow->addRow(mode, "Mode");
        AbsoluteWidget *page = powerRow->createAbsoluteWidget("Page", -1);
        inner = new StubEdit("INNER", page);
        for (const char *name : {"R1", "R2"}) {
            auto *radio = new QRadioButton(page);
            radio->setObjectName(name);
            speed->addButton(radio);
        }
        speed->buttons().first()->setChecked(true);
        fast = powerRow->createRadioButton("Fast", -1);
        fast->setObjectName("FAST");
        rate->addButton(fast);
        powerRow->addRow(note, "Note");
        boostRow = powerRow->addBranch("Boost", boost);
        boostRow->setName("BRANCH_1");
        boostRow->addRow(gain, "Gain");
        tree->addRow(other, "Other");
        lockRequests.clear();
    }

    // The elements below POWER that a switched-on branch enables.
    QList<ElementStub *> elementsUnderPower() const
    {
        return {level, mode, inner, speed, rate, boost};
    }
};

// Counts the layout requests a widget is sent.
class LayoutRequestCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

// Whether the two children lie apart from each other, each inside its container.
static bool laidOutApart(QWidget *first, QWidget *second)
{
    const QRect inside = first->parentWidget()->rect();
    return !first->geometry().intersects(second->geometry()) && inside.contains(first->geometry())
        && inside.contains(second->geometry()) && !first->geometry().isEmpty() && !second->geometry().isEmpty();
}

class TestContainers : public QObject
{
    Q_OBJECT

private slots:
    void init();

    // Factories
    void factoriesNameAndOwnTheirChildren_data();
    void factoriesNameAndOwnTheirChildren();
    void captionsAndTitlesPerContainer_data();
    void captionsAndTitlesPerContainer();
    void absoluteWidgetLeavesChildrenWhereTheyAre();
    void layoutIndexOfCountsInLaidOutContainersOnly_data();
    void layoutIndexOfCountsInLaidOutContainersOnly();

    // Grid and box placement
    void gridPlacement_data();
    void gridPlacement();
    void boxPlacement_data();
    void boxPlacement();
    void horizontalWidgetScalesItsImage();
    void boxLaysOutWhatItGotBeforeItWasShown_data();
    void boxLaysOutWhatItGotBeforeItWasShown();

    // Tabs
    void tabAddWidgetAppendsAnUntitledTab();
    void tabShowChildSelectsOnlyItsOwnPages();
    void tabUpdateSizesFollowsTheCurrentPage();
    void selectListsRunOnTabChanges_data();
    void selectListsRunOnTabChanges();
    void selectListsNeedATabWidgetSender();

    // Trees
    void treeRowsReparentAndTitleTheirWidgets();
    void branchOffDisablesEverythingBelowAndWithdrawsLocks();
    void branchOnRestoresAllButRowsBelowAnUncheckedNestedBranch();
    void branchKeepsLockedAndSwitchedOffElementsDisabled();
    void disabledBranchButtonCannotSwitchItsBranchOn();
    void showWidgetOpensTheChainDownToTheRow();
    void heldRowWidgetTakesItsRowWhenComplete();
    void heldRowOnAHiddenPageIsLaidOutWhenShown();
};

void TestContainers::init()
{
    lockRequests.clear();
    setDefItems.clear();
}

// Factories

void TestContainers::factoriesNameAndOwnTheirChildren_data()
{
    QTest::addColumn<QString>("container");
    for (const QString &kind : allContainerKinds)
        QTest::newRow(qPrintable(kind)) << kind;
}

void TestContainers::factoriesNameAndOwnTheirChildren()
{
    QFETCH(QString, container);
    BuiltContainer built = buildContainer(container);
    QVERIFY(built.container);
    const int topLevels = QApplication::topLevelWidgets().size();

    for (const FactoryCase &fc : factoryCases()) {
        QWidget *child = fc.create(built.container, "Caption");
        QVERIFY2(child, qPrintable(fc.kind));
        QCOMPARE(child->objectName(), fc.objectName);
        // Owned inside the container (tree rows: inside the tree view), never a window.
        QVERIFY2(built.root->isAncestorOf(child), qPrintable(fc.kind));
        if (container == "absolute")
            QCOMPARE(child->parentWidget(), dynamic_cast<QWidget *>(built.container));
    }
    QCOMPARE(QApplication::topLevelWidgets().size(), topLevels);

    // A radio button is a plain button, not an element; an image is built from (name, file).
    QWidget *radio = factoryFor("RadioButton")(built.container, "r");
    QCOMPARE(radio->metaObject(), &QRadioButton::staticMetaObject);
    Image *image = built.container->createImage("dir/file.png", "IMG", "Label", -1);
    QCOMPARE(image->objectName(), QString("IMG"));
}

void TestContainers::captionsAndTitlesPerContainer_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("title");

    const QStringList captioned = {"PushButton", "RadioButton", "CheckBox", "ToggleButton", "Text", "GroupBox"};
    // Layouts have no titles and show every caption.
    for (const QString &container : QStringList{"absolute", "grid", "group", "horizontal", "vertical"}) {
        for (const QString &kind : captioned)
            QTest::addRow("%s %s", qPrintable(container), qPrintable(kind)) << container << kind << "Go" << "";
    }
    // c: the child shows the text as caption; t: the text titles its tab or row.
    const QList<QPair<QString, QStringList>> titled = {
        //                          PushButton Radio CheckBox Toggle Text GroupBox ComboBox Image Vertical
        {"tab", {"ct", "ct", "t", "t", "ct", "ct", "t", "t", "t"}},
        {"tree", {"c", "t", "t", "c", "t", "c", "t", "t", "t"}},
        {"branch", {"ct", "t", "t", "t", "t", "c", "t", "t", "t"}},
    };
    const QStringList kinds = captioned + QStringList{"ComboBox", "Image", "VerticalWidget"};
    for (const auto &[container, rules] : titled) {
        for (int i = 0; i < kinds.size(); ++i) {
            const bool hasCaption = i < captioned.size();
            QTest::addRow("%s %s", qPrintable(container), qPrintable(kinds.at(i)))
                << container << kinds.at(i)
                << (hasCaption && rules.at(i).contains('c') ? "Go" : "")
                << (rules.at(i).contains('t') ? "Go" : "");
        }
    }
}

void TestContainers::captionsAndTitlesPerContainer()
{
    QFETCH(QString, container);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QString, title);

    BuiltContainer built = buildContainer(container);
    QWidget *child = factoryFor(kind)(built.container, "Go");
    if (kind != "ComboBox" && kind != "Image" && kind != "VerticalWidget")
        QCOMPARE(captionOf(child), caption);
    QCOMPARE(titleOf(child), title);
}

void TestContainers::absoluteWidgetLeavesChildrenWhereTheyAre()
{
    AbsoluteWidget page;
    QwtDial *dial = page.createDial("D", "", 3);
    dial->setGeometry(40, 30, 80, 80);
    page.addWidget(dial, 0);
    QCOMPARE(page.layout(), nullptr);
    QCOMPARE(dial->parentWidget(), &page);
    QCOMPARE(dial->geometry(), QRect(40, 30, 80, 80));

    // A widget moved in from elsewhere becomes the page's child, where it was.
    QWidget elsewhere;
    auto *moved = new QWidget(&elsewhere);
    moved->setGeometry(5, 6, 20, 10);
    page.addWidget(moved, -1);
    QCOMPARE(moved->parentWidget(), &page);
    QCOMPARE(moved->geometry(), QRect(5, 6, 20, 10));
}

void TestContainers::layoutIndexOfCountsInLaidOutContainersOnly_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<bool>("laidOut");
    for (const QString &kind : allContainerKinds)
        QTest::newRow(qPrintable(kind)) << kind
                                        << (kind == "grid" || kind == "group" || kind == "horizontal"
                                            || kind == "vertical");
}

void TestContainers::layoutIndexOfCountsInLaidOutContainersOnly()
{
    QFETCH(QString, container);
    QFETCH(bool, laidOut);

    BuiltContainer built = buildContainer(container);
    QWidget *first = built.container->createLed("A", "", -1);
    QWidget *second = built.container->createLed("B", "", -1);
    QWidget stranger;
    QCOMPARE(built.container->layoutIndexOf(first), laidOut ? 0 : -1);
    QCOMPARE(built.container->layoutIndexOf(second), laidOut ? 1 : -1);
    QCOMPARE(built.container->layoutIndexOf(&stranger), -1);
}

// Grid and box placement

void TestContainers::gridPlacement_data()
{
    QTest::addColumn<int>("children");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QString>("picture");

    QTest::newRow("appends fill rows of 4")
        << 6 << "none" << 0 << "c0@0,0 c1@0,1 c2@0,2 c3@0,3 c4@1,0 c5@1,1 next 1,2";
    QTest::newRow("factory insert at 1")
        << 3 << "insert" << 1 << "c0@0,0 new@0,1 c1@0,2 c2@0,3 next 1,0";
    QTest::newRow("factory insert at 0")
        << 3 << "insert" << 0 << "new@0,0 c0@0,1 c1@0,2 c2@0,3 next 1,0";
    QTest::newRow("insert into the second row")
        << 6 << "insert" << 5 << "c0@0,0 c1@0,1 c2@0,2 c3@0,3 c4@1,0 new@1,1 c5@1,2 next 1,3";
    QTest::newRow("insert at the end appends")
        << 3 << "insert" << 3 << "c0@0,0 c1@0,1 c2@0,2 new@0,3 next 1,0";
    QTest::newRow("insert past the end appends")
        << 3 << "insert" << 9 << "c0@0,0 c1@0,1 c2@0,2 new@0,3 next 1,0";
    QTest::newRow("other negative position appends")
        << 3 << "insert" << -3 << "c0@0,0 c1@0,1 c2@0,2 new@0,3 next 1,0";
    QTest::newRow("moving a child leaves no gap")
        << 5 << "move c3" << 0 << "c3@0,0 c0@0,1 c1@0,2 c2@0,3 c4@1,0 next 1,1";
    QTest::newRow("appending a child again moves it last")
        << 5 << "move c0" << -1 << "c1@0,0 c2@0,1 c3@0,2 c4@0,3 c0@1,0 next 1,1";
    QTest::newRow("two columns reflow")
        << 4 << "columns" << 2 << "c0@0,0 c1@0,1 c2@1,0 c3@1,1 next 2,0";
    QTest::newRow("zero columns keep 4")
        << 5 << "columns" << 0 << "c0@0,0 c1@0,1 c2@0,2 c3@0,3 c4@1,0 next 1,1";
    QTest::newRow("absent column count keeps 4")
        << 5 << "columns" << -1 << "c0@0,0 c1@0,1 c2@0,2 c3@0,3 c4@1,0 next 1,1";
}

void TestContainers::gridPlacement()
{
    QFETCH(int, children);
    QFETCH(QString, operation);
    QFETCH(int, argument);
    QFETCH(QString, picture);

    VerticalWidget root;
    GridWidget *grid = root.createGridWidget("", -1);
    QCOMPARE(grid->columns(), 4);
    QList<Led *> leds;
    for (int i = 0; i < children; ++i)
        leds << grid->createLed(QString("c%1").arg(i), "", -1);

    if (operation == "insert") {
        grid->createLed("new", "", argument);
    } else if (operation.startsWith("move")) {
        grid->addWidget(leds.at(operation.rightRef(1).toInt()), argument);
    } else if (operation == "columns") {
        grid->setColumns(argument);
        QCOMPARE(grid->columns(), argument < 1 ? 4 : argument);
    }
    QCOMPARE(gridPicture(grid), picture);
    QCOMPARE(grid->layout()->count(), children + (operation == "insert" ? 1 : 0));
}

void TestContainers::boxPlacement_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("pos");
    QTest::addColumn<QString>("order");

    for (const QString &box : QStringList{"group", "horizontal", "vertical"}) {
        auto row = [&](const char *what, const QString &operation, int pos, const char *order) {
            QTest::addRow("%s %s", qPrintable(box), what) << box << operation << pos << order;
        };
        row("appends at -1", "insert", -1, "c0 c1 c2 new");
        row("inserts first at 0", "insert", 0, "new c0 c1 c2");
        row("inserts at 2", "insert", 2, "c0 c1 new c2");
        row("appends at the end", "insert", 3, "c0 c1 c2 new");
        row("appends past the end", "insert", 8, "c0 c1 c2 new");
        row("appends at another negative position", "insert", -4, "c0 c1 c2 new");
        row("moves a child it holds", "move", 0, "c2 c0 c1");
    }
}

void TestContainers::boxPlacement()
{
    QFETCH(QString, container);
    QFETCH(QString, operation);
    QFETCH(int, pos);
    QFETCH(QString, order);

    BuiltContainer built = buildContainer(container);
    Container *box = built.container;
    Led *last = nullptr;
    for (const char *name : {"c0", "c1", "c2"})
        last = box->createLed(name, "", -1);
    if (operation == "insert")
        box->createLed("new", "", pos);
    else
        box->addWidget(last, pos);
    QCOMPARE(boxOrder(dynamic_cast<QWidget *>(box)), QString(order));
}

void TestContainers::horizontalWidgetScalesItsImage()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("back.png");
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(file));

    HorizontalWidget plain;
    const QPalette before = plain.palette();
    QResizeEvent resize(QSize(100, 100), QSize());
    QApplication::sendEvent(&plain, &resize);
    QCOMPARE(plain.palette(), before);

    // Scaled to cover the new size, keeping its aspect ratio.
    HorizontalWidget pictured;
    pictured.setProperty("image", file);
    QApplication::sendEvent(&pictured, &resize);
    const QPixmap brush = pictured.palette().brush(QPalette::Inactive, QPalette::Window).texture();
    QCOMPARE(brush.size(), QSize(200, 100));
    QCOMPARE(brush.toImage().pixelColor(5, 5), QColor(Qt::red));

    HorizontalWidget missing;
    missing.setProperty("image", dir.filePath("none.png"));
    QApplication::sendEvent(&missing, &resize);
    QVERIFY(missing.palette().brush(QPalette::Window).texture().isNull());
}

// Tabs

void TestContainers::boxLaysOutWhatItGotBeforeItWasShown_data()
{
    QTest::addColumn<QString>("container");
    for (const char *kind : {"group", "horizontal", "vertical"})
        QTest::newRow(kind) << QString(kind);
}

// A box built out of sight asks for no layout pass of its own: its children
// are laid out when it is shown.
void TestContainers::boxLaysOutWhatItGotBeforeItWasShown()
{
    QFETCH(QString, container);
    std::unique_ptr<QWidget> box;
    if (container == "group")
        box = std::make_unique<GroupBox>("L");
    else if (container == "horizontal")
        box = std::make_unique<HorizontalWidget>();
    else
        box = std::make_unique<VerticalWidget>();
    LayoutRequestCounter requests;
    box->installEventFilter(&requests);
    auto *boxContainer = dynamic_cast<Container *>(box.get());
    Text *first = boxContainer->createText("T1", "first text", -1);
    Text *second = boxContainer->createText("T2", "second text", -1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCOMPARE(requests.count, 0);

    box->resize(400, 300);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QVERIFY(laidOutApart(first, second));
}

void TestContainers::tabAddWidgetAppendsAnUntitledTab()
{
    TabWidget tabs;
    tabs.createAbsoluteWidget("First", -1);
    tabs.createAbsoluteWidget("Second", -1);
    auto *page = new QWidget;
    tabs.addWidget(page, 0);
    QCOMPARE(tabs.indexOf(page), 2);
    QCOMPARE(tabs.tabText(2), QString());
}

void TestContainers::tabShowChildSelectsOnlyItsOwnPages()
{
    VerticalWidget root;
    TabWidget *tabs = root.createTabWidget("", -1);
    tabs->createAbsoluteWidget("A", -1);
    GridWidget *second = tabs->createGridWidget("B", -1);
    AbsoluteWidget *elsewhere = root.createAbsoluteWidget("", -1);
    TreeWidgetItem *row = root.createTreeWidget("", -1)->addBranch("x", nullptr);

    tabs->showChild(second);
    QCOMPARE(tabs->currentIndex(), 1);
    tabs->showChild(elsewhere);
    tabs->showChild(row);
    QCOMPARE(tabs->currentIndex(), 1);
}

void TestContainers::tabUpdateSizesFollowsTheCurrentPage()
{
    TabWidget tabs;
    VerticalWidget *large = tabs.createVerticalWidget("Large", -1);
    VerticalWidget *small = tabs.createVerticalWidget("Small", -1);
    large->addWidget(new QWidget, -1);
    small->addWidget(new QWidget, -1);
    large->layout()->itemAt(0)->widget()->setFixedSize(400, 300);
    small->layout()->itemAt(0)->widget()->setFixedSize(60, 40);
    tabs.connectUpdateSizes();
    QSignalSpy refresh(&tabs, &TabWidget::updateMathLabels);

    // Hidden pages no longer hold the tab widget open; the shown page is fitted.
    tabs.setCurrentIndex(1);
    QCOMPARE(small->size(), small->sizeHint());
    const QSize whileSmall = tabs.minimumSizeHint();
    QVERIFY2(whileSmall.width() < 400 && whileSmall.height() < 300,
             qPrintable(QString("%1x%2").arg(whileSmall.width()).arg(whileSmall.height())));
    tabs.setCurrentIndex(0);
    QCOMPARE(large->size(), large->sizeHint());
    QVERIFY(tabs.minimumSizeHint().width() >= 400);
    QVERIFY(tabs.minimumSizeHint().height() >= 300);
    QCOMPARE(small->sizePolicy().horizontalPolicy(), QSizePolicy::Ignored);
    QCOMPARE(large->sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
    QCOMPARE(refresh.count(), 2);
}

void TestContainers::selectListsRunOnTabChanges_data()
{
    QTest::addColumn<QString>("pageKind");
    for (const QString &kind : QStringList{"AbsoluteWidget", "GridWidget", "GroupBox", "HorizontalWidget",
                                           "VerticalWidget", "TreeWidget"})
        QTest::newRow(qPrintable(kind)) << kind;
}

// Pages A and B carry select lists, C (the last tab) none.
void TestContainers::selectListsRunOnTabChanges()
{
    QFETCH(QString, pageKind);
    VerticalWidget root;
    root.setHost(&host);
    TabWidget *tabs = root.createTabWidget("", -1);
    QWidget *a = factoryFor(pageKind)(tabs, "A");
    QWidget *b = tabs->createAbsoluteWidget("B", -1);
    QWidget *c = tabs->createAbsoluteWidget("C", -1);
    connectPage(tabs, a, {"A_ON=1", "", "A_LED=1"}, {"A_ON=0"});
    connectPage(tabs, b, {"B_ON=1"}, {"B_ON=0"});
    QCOMPARE(tabs->lastPage, a);

    tabs->setCurrentWidget(b);
    QCOMPARE(setDefItems, QStringList({"A_ON=0", "B_ON=1"}));
    QCOMPARE(tabs->currentPage, b);
    setDefItems.clear();
    tabs->setCurrentWidget(c);
    QCOMPARE(setDefItems, QStringList({"B_ON=0"}));
    setDefItems.clear();
    tabs->setCurrentWidget(a);
    QCOMPARE(setDefItems, QStringList({"A_ON=1", "A_LED=1"}));
    setDefItems.clear();
    tabs->setCurrentWidget(b);
    QCOMPARE(setDefItems, QStringList({"A_ON=0", "B_ON=1"}));
}

void TestContainers::selectListsNeedATabWidgetSender()
{
    QTabWidget plainTabs;
    auto *page = new AbsoluteWidget;
    plainTabs.addTab(page, "A");
    plainTabs.addTab(new QWidget, "B");
    page->setProperty("unselectsetdef", QStringList{"X=0"});
    page->setProperty("selectsetdef", QStringList{"X=1"});
    QVERIFY(TabWidget::connectPageSetDef(&plainTabs, page));
    plainTabs.setCurrentIndex(1);
    plainTabs.setCurrentIndex(0);
    page->childSetDef(0);
    QVERIFY(setDefItems.isEmpty());
}

// Trees

void TestContainers::treeRowsReparentAndTitleTheirWidgets()
{
    TreeWidget tree;
    CheckBox *box = tree.createCheckBox("CB", "Enable", -1);
    QCOMPARE(rowOf(&tree, box)->text(0), QString("Enable"));
    QCOMPARE(box->text(), QString());

    // A branch's children start without a parent and end up inside the view.
    TreeWidgetItem *branch = tree.addBranch("Branch", nullptr);
    QCOMPARE(branch->childCount(), 0);
    Led *led = branch->createLed("L", "Lamp", -1);
    QCOMPARE(branch->childCount(), 1);
    QCOMPARE(branch->child(0)->text(0), QString("Lamp"));
    QVERIFY(tree.view()->isAncestorOf(led));

    // A branch widget asking for it starts expanded.
    auto *toggle = new QCheckBox;
    toggle->setProperty("expand", 1);
    TreeWidgetItem *open = branch->addBranch("Open", toggle);
    open->createLed("M", "", -1);
    QVERIFY(open->isExpanded());
    QVERIFY(!branch->isExpanded());
    QCOMPARE(open->parent(), branch);
}

void TestContainers::branchOffDisablesEverythingBelowAndWithdrawsLocks()
{
    BranchFixture f;
    f.power->setChecked(false);

    for (QWidget *widget : QList<QWidget *>{f.level, f.mode, f.inner, f.fast, f.note, f.boost, f.gain})
        QVERIFY2(!widget->isEnabled(), qPrintable(widget->objectName()));
    for (QAbstractButton *radio : f.speed->buttons())
        QVERIFY(!radio->isEnabled());
    for (ElementStub *element : f.elementsUnderPower())
        QVERIFY(element->disabledByBranch);
    QVERIFY(f.gain->disabledByBranch);
    for (int i = 0; i < f.powerRow->childCount(); ++i)
        QVERIFY(f.powerRow->child(i)->isDisabled());
    QVERIFY(f.boostRow->child(0)->isDisabled());
    QVERIFY(f.other->isEnabled());
    QVERIFY(!f.other->disabledByBranch);

    QCOMPARE(lockRequests, QStringList({"MODE withdraw", "SPEED withdraw R1", "SPEED withdraw R2",
                                        "RATE withdraw FAST", "BOOST withdraw"}));
}

void TestContainers::branchOnRestoresAllButRowsBelowAnUncheckedNestedBranch()
{
    BranchFixture f;
    f.power->setChecked(false);
    lockRequests.clear();
    f.power->setChecked(true);

    for (QWidget *widget : QList<QWidget *>{f.level, f.mode, f.inner, f.fast, f.note, f.boost})
        QVERIFY2(widget->isEnabled(), qPrintable(widget->objectName()));
    for (ElementStub *element : f.elementsUnderPower())
        QVERIFY(!element->disabledByBranch);
    QVERIFY(!f.boostRow->isDisabled());
    QVERIFY(f.powerRow->isExpanded());
    QCOMPARE(lockRequests, QStringList({"MODE send", "SPEED send R1", "SPEED send R2",
                                        "RATE send FAST", "BOOST send"}));

    // Below the unchecked nested branch everything stays off until it is checked.
    QVERIFY(!f.gain->isEnabled());
    QVERIFY(f.gain->disabledByBranch);
    QVERIFY(f.boostRow->child(0)->isDisabled());
    f.boost->setChecked(true);
    QVERIFY(f.gain->isEnabled());
    QVERIFY(!f.gain->disabledByBranch);
    QVERIFY(!f.boostRow->child(0)->isDisabled());
}

void TestContainers::branchKeepsLockedAndSwitchedOffElementsDisabled()
{
    BranchFixture f;
    // Locked while the branch is off: freed later, it stays off with its branch,
    // also when it sits in a container row.
    f.power->setChecked(false);
    f.level->lock();
    f.inner->lock();
    f.level->unlock();
    f.inner->unlock();
    QVERIFY(!f.level->isEnabled());
    QVERIFY(!f.inner->isEnabled());

    // Locked when the branch comes on: stays disabled until freed.
    f.level->lock();
    f.power->setChecked(true);
    QVERIFY(!f.level->isEnabled());
    QVERIFY(f.inner->isEnabled());
    f.level->unlock();
    QVERIFY(f.level->isEnabled());
}

void TestContainers::disabledBranchButtonCannotSwitchItsBranchOn()
{
    BranchFixture f;
    f.boost->setChecked(true);
    QVERIFY(f.gain->isEnabled());

    // A lock holds the nested button: turning it off still switches its rows off,
    // turning it on does nothing.
    f.boost->lock();
    f.boost->setChecked(false);
    QVERIFY(!f.gain->isEnabled());
    lockRequests.clear();
    f.boost->setChecked(true);
    QVERIFY(!f.gain->isEnabled());
    QVERIFY(f.boostRow->child(0)->isDisabled());
    QVERIFY(lockRequests.isEmpty());
}

void TestContainers::showWidgetOpensTheChainDownToTheRow()
{
    BranchFixture f;
    f.tree->view()->collapseAll();
    f.tree->view()->setCurrentItem(nullptr);

    // The go-to-element walk: showChild down the chain, showWidget on the innermost.
    const QList<Container *> chain = {f.tree.get(), f.powerRow, f.boostRow};
    for (int i = 0; i + 1 < chain.size(); ++i)
        chain.at(i)->showChild(chain.at(i + 1));
    chain.last()->showWidget(f.gain);
    QVERIFY(f.powerRow->isExpanded());
    QVERIFY(f.boostRow->isExpanded());
    QCOMPARE(f.tree->view()->currentItem(), rowOf(f.tree.get(), f.gain));

    f.tree->showWidget(f.other);
    QCOMPARE(f.tree->view()->currentItem(), rowOf(f.tree.get(), f.other));
    // A widget the item does not hold changes nothing.
    f.boostRow->showWidget(f.other);
    QCOMPARE(f.tree->view()->currentItem(), rowOf(f.tree.get(), f.other));

    TreeWidgetItem::setBranchExpanded(f.boostRow, false);
    QVERIFY(!f.boostRow->isExpanded());
    TreeWidgetItem::setBranchExpanded(f.boostRow, true);
    QVERIFY(f.boostRow->isExpanded());
    QCOMPARE(f.tree->view()->currentItem(), static_cast<QTreeWidgetItem *>(f.boostRow));
}

// A row can take its container once the container is built: the row is
// titled at once, the container joins it complete and is laid out there.
void TestContainers::heldRowWidgetTakesItsRowWhenComplete()
{
    TreeWidget tree;
    tree.resize(600, 400);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));
    TreeWidgetItem *branch = tree.addBranch("Branch", nullptr);
    branch->setExpanded(true);

    tree.holdNextRowWidget();
    HorizontalWidget *row = branch->createHorizontalWidget("Row", -1);
    QCOMPARE(branch->childCount(), 1);
    QCOMPARE(branch->child(0)->text(0), QString("Row"));
    QVERIFY(!tree.view()->itemWidget(branch->child(0), 1));
    Text *text = row->createText("T", "caption", -1);
    Led *led = row->createLed("L", "", -1);
    tree.attachHeldRowWidget();
    QCOMPARE(tree.view()->itemWidget(branch->child(0), 1), row);
    QVERIFY(tree.view()->isAncestorOf(row));
    QVERIFY(row->isVisible());
    QTRY_VERIFY(laidOutApart(text, led));

    // One row only: the next one takes its widget at once.
    Led *next = branch->createLed("N", "Next", -1);
    QCOMPARE(tree.view()->itemWidget(branch->child(1), 1), next);

    // A container hidden on purpose while it was held stays hidden.
    tree.holdNextRowWidget();
    HorizontalWidget *hidden = tree.createHorizontalWidget("Hidden", -1);
    hidden->setVisible(false);
    tree.attachHeldRowWidget();
    QCOMPARE(rowOf(&tree, hidden)->text(0), QString("Hidden"));
    QVERIFY(hidden->isHidden());

    // A hold no row took ends with the attach; nothing is attached twice.
    tree.holdNextRowWidget();
    tree.attachHeldRowWidget();
    tree.attachHeldRowWidget();
    Led *plain = tree.createLed("P", "Plain", -1);
    QCOMPARE(rowOf(&tree, plain)->text(0), QString("Plain"));
    QCOMPARE(rowOf(&tree, row), branch->child(0));

    // A held container that never took its row goes with the tree.
    QPointer<HorizontalWidget> orphan;
    {
        TreeWidget other;
        other.holdNextRowWidget();
        orphan = other.createHorizontalWidget("Orphan", -1);
        QVERIFY(orphan);
    }
    QVERIFY(orphan.isNull());
}

// A row container attached in a tree behind another tab page is laid out
// once that page is shown and its row opened.
void TestContainers::heldRowOnAHiddenPageIsLaidOutWhenShown()
{
    TabWidget tabs;
    tabs.createText("FRONT", "front", -1);
    TreeWidget *tree = tabs.createTreeWidget("Tree", -1);
    tabs.resize(600, 400);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QVERIFY(!tree->isVisible());

    TreeWidgetItem *branch = tree->addBranch("Branch", nullptr);
    tree->holdNextRowWidget();
    HorizontalWidget *row = branch->createHorizontalWidget("Row", -1);
    Text *text = row->createText("T", "a caption long enough to need a text layout", -1);
    Led *led = row->createLed("L", "", -1);
    tree->attachHeldRowWidget();
    QCOMPARE(tree->view()->itemWidget(branch->child(0), 1), row);

    tabs.setCurrentIndex(1);
    branch->setExpanded(true);
    QTRY_VERIFY(row->isVisible());
    QTRY_VERIFY(laidOutApart(text, led));
}

QTEST_MAIN(TestContainers)
#include "tst_containers.moc"
