#include "boxcontainers.h"
#include "buttongroup.h"
#include "checkbox.h"
#include "contrast.h"
#include "finddialog.h"
#include "mainwindow.h"
#include "panelxml.h"
#include "quillpanel.h"
#include "tabwidget.h"
#include "testenvironment.h"
#include "treewidget.h"
#include "treewidgetitem.h"
#include "windowoptions.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTimerEvent>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

static const QString blue = QStringLiteral("background-color: rgb(0,0,255); color: #ffffff;");

class TestFind : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void findDialogKeepsTheAcceptedName();
    void searchNeedsTheExactName_data();
    void searchNeedsTheExactName();

    void markLastsUntilItsTimer();
    void aSecondMarkRestoresTheFirst();
    void revealOpensTheTabPage();
    void deepTreeRowsAreSelectedUnlessDisabled();
    void radioGroupIsMarkedByItsCheckedButton();
    void raiseWidgetMarksOtherWidgetsRed();
    void aMarkOutlivesItsPanelSafely();
    void everyElementKindIsFoundAndMarked_data();
    void everyElementKindIsFoundAndMarked();
    void elementsWithoutValueAreFoundByName_data();
    void elementsWithoutValueAreFoundByName();

private:
    // The highlight timer as the event dispatcher knows it (interval -1 when none).
    int highlightInterval(Qt::TimerType *type = nullptr) const;
    void fireHighlightTimer();

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
};

void TestFind::init()
{
    env = std::make_unique<TestEnvironment>();
    window = std::make_unique<MainWindow>(quietOptions());
}

void TestFind::cleanup()
{
    window.reset();
    env.reset();
}

int TestFind::highlightInterval(Qt::TimerType *type) const
{
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(&window->elementFinder());
    for (const auto &timer : timers) {
        if (timer.timerId == window->elementFinder().mark().timerId) {
            if (type)
                *type = timer.timerType;
            return timer.interval;
        }
    }
    return -1;
}

void TestFind::fireHighlightTimer()
{
    QTimerEvent event(window->elementFinder().mark().timerId);
    QCoreApplication::sendEvent(&window->elementFinder(), &event);
}

void TestFind::findDialogKeepsTheAcceptedName()
{
    FindDialog dialog({"MODE", "LEVEL"});
    QCOMPARE(dialog.windowTitle(), QString("Find a GUI element"));
    QCompleter *completer = dialog.lineEdit()->completer();
    completer->setCompletionPrefix("mo");
    QCOMPARE(completer->currentCompletion(), QString("MODE"));

    // An empty edit stores nothing; the dialog still closes.
    dialog.show();
    dialog.findButton()->click();
    QVERIFY(dialog.text().isEmpty());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    dialog.show();
    dialog.lineEdit()->setText("mode");
    dialog.findButton()->click();
    QCOMPARE(dialog.text(), QString("mode"));
    QVERIFY(dialog.lineEdit()->text().isEmpty());
    QVERIFY(!dialog.isVisible());
}

void TestFind::searchNeedsTheExactName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("found");
    QTest::newRow("exact") << "MODE" << true;
    QTest::newRow("other case") << "mode" << false;
    QTest::newRow("prefix") << "MOD" << false;
    QTest::newRow("nothing typed") << "" << false;
}

void TestFind::searchNeedsTheExactName()
{
    QFETCH(QString, typed);
    QFETCH(bool, found);
    auto *other = new CheckBox("LEVEL", "Level", window.get());
    auto *mode = new CheckBox("MODE", "Mode", window.get());
    window->panel()->forgetAllElements();
    window->panel()->appendElement(other);
    window->panel()->appendElement(mode);
    window->panel()->setElementNames(QStringList{"LEVEL", "MODE"});

    bool asked = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<FindDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        asked = true;
        dialog->lineEdit()->setText(typed);
        dialog->findButton()->click();
    });
    window->elementFinder().search();
    QVERIFY(asked);
    QCOMPARE(window->elementFinder().mark().widget.data(), found ? static_cast<QWidget *>(mode) : nullptr);
    QCOMPARE(mode->styleSheet(), found ? blue : QString());
}

void TestFind::markLastsUntilItsTimer()
{
    auto *mode = new CheckBox("MODE", "Mode", window.get());
    mode->setStyleSheet("color: red;");
    window->elementFinder().raiseElement(mode);
    QCOMPARE(mode->styleSheet(), blue);
    Qt::TimerType type = Qt::PreciseTimer;
    QCOMPARE(highlightInterval(&type), 5000);
    QCOMPARE(type, Qt::CoarseTimer);

    fireHighlightTimer();
    QCOMPARE(mode->styleSheet(), QString("color: red;"));
    QCOMPARE(window->elementFinder().mark().timerId, 0);
    QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&window->elementFinder()).size(), 0);

    // A colour set after the mark ended survives a later cancel.
    mode->setStyleSheet("color: green;");
    window->panelShell().cancelHighlight();
    QCOMPARE(mode->styleSheet(), QString("color: green;"));
}

void TestFind::aSecondMarkRestoresTheFirst()
{
    auto *first = new CheckBox("FIRST", "First", window.get());
    auto *label = new QLabel("plain", window.get());
    auto *second = new CheckBox("SECOND", "Second", window.get());
    first->setStyleSheet("color: red;");
    window->elementFinder().raiseElement(first);
    window->elementFinder().raiseElement(second);
    QCOMPARE(first->styleSheet(), QString("color: red;"));
    QCOMPARE(second->styleSheet(), blue);
    QCOMPARE(highlightInterval(), 5000);
    QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&window->elementFinder()).size(), 1);

    // A widget that is no form element keeps its style sheet and is marked by palette.
    const QPalette before = label->palette();
    window->elementFinder().raiseWidget(label);
    QCOMPARE(second->styleSheet(), QString());
    QCOMPARE(label->palette().color(QPalette::Window), QColor(Qt::red));
    window->panelShell().cancelHighlight();
    QCOMPARE(label->palette(), before);
}

void TestFind::revealOpensTheTabPage()
{
    auto *tabs = new TabWidget(window.get());
    tabs->createVerticalWidget("One", -1);
    VerticalWidget *page = tabs->createVerticalWidget("Two", -1);
    CheckBox *mode = page->createCheckBox("MODE", "Mode", -1);
    mode->containerChain = {tabs, page};
    QCOMPARE(tabs->currentIndex(), 0);

    window->elementFinder().raiseElement(mode);
    QCOMPARE(tabs->currentWidget(), static_cast<QWidget *>(page));
    QCOMPARE(mode->styleSheet(), blue);
}

// Tree > Power > Boost > Deep > GAIN: Power lies two places before the
// innermost container, so an enabled GAIN is only selected.
void TestFind::deepTreeRowsAreSelectedUnlessDisabled()
{
    auto *tree = new TreeWidget(window.get());
    TreeWidgetItem *power = tree->addBranch("Power", nullptr);
    TreeWidgetItem *boost = power->addBranch("Boost", nullptr);
    TreeWidgetItem *deep = boost->addBranch("Deep", nullptr);
    CheckBox *gain = deep->createCheckBox("GAIN", "Gain", -1);
    gain->containerChain = {tree, power, boost, deep};
    QTreeWidgetItem *row = deep->child(0);
    QCOMPARE(tree->view()->itemWidget(row, 1), static_cast<QWidget *>(gain));

    window->elementFinder().raiseElement(gain);
    QVERIFY(power->isExpanded() && boost->isExpanded() && deep->isExpanded());
    QCOMPARE(tree->view()->currentItem(), row);
    QCOMPARE(gain->styleSheet(), QString());
    QCOMPARE(window->elementFinder().mark().timerId, 0);

    gain->setEnabled(false);
    window->elementFinder().raiseElement(gain);
    QCOMPARE(gain->styleSheet(), blue);
    QCOMPARE(window->elementFinder().mark().item, row);
    QCOMPARE(row->background(0).color(), QColor(Qt::blue));
    fireHighlightTimer();
    QCOMPARE(row->background(0), QBrush());
    QCOMPARE(gain->styleSheet(), QString());
}

void TestFind::radioGroupIsMarkedByItsCheckedButton()
{
    auto *page = new VerticalWidget(window.get());
    auto *group = new ButtonGroup("SPEED", window.get());
    QRadioButton *slow = page->createRadioButton("Slow", -1);
    QRadioButton *fast = page->createRadioButton("Fast", -1);
    group->addRadioButton(slow, "Slow", "0");
    group->addRadioButton(fast, "Fast", "1");
    group->containerChain = {page};

    window->elementFinder().raiseElement(group); // nothing checked: nothing to mark
    QCOMPARE(window->elementFinder().mark().timerId, 0);
    fast->setChecked(true);
    window->elementFinder().raiseElement(group);
    QCOMPARE(window->elementFinder().mark().widget.data(), static_cast<QWidget *>(fast));
    QCOMPARE(fast->styleSheet(), blue);
    QCOMPARE(slow->styleSheet(), QString());
}

void TestFind::raiseWidgetMarksOtherWidgetsRed()
{
    auto *label = new QLabel("note", window.get());
    window->elementFinder().raiseWidget(label);
    // The text is red too, as dark as it must be to read on the window.
    const QColor page = window->palette().color(QPalette::Window);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (QPalette::ColorRole role : {QPalette::Window, QPalette::Button})
            QCOMPARE(label->palette().color(group, role), QColor(Qt::red));
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {
            const QColor text = label->palette().color(group, role);
            QCOMPARE(text.hue(), 0);
            QVERIFY(contrastRatio(text, page) >= readableTextContrast);
            QVERIFY(contrastRatio(text, page) < readableTextContrast + 0.5);
        }
    }
    QCOMPARE(highlightInterval(), 5000);

    // Element widgets are marked blue by the editor as well.
    auto *mode = new CheckBox("MODE", "Mode", window.get());
    window->elementFinder().raiseWidget(mode);
    QCOMPARE(mode->styleSheet(), blue);
    QVERIFY(label->palette().color(QPalette::Window) != QColor(Qt::red));
    window->panelShell().cancelHighlight();
    QCOMPARE(mode->styleSheet(), QString());
    QVERIFY(!window->elementFinder().mark().widget.data());
}

void TestFind::aMarkOutlivesItsPanelSafely()
{
    auto *tree = new TreeWidget(window.get());
    TreeWidgetItem *branch = tree->addBranch("Branch", nullptr);
    CheckBox *gain = branch->createCheckBox("GAIN", "Gain", -1);
    gain->containerChain = {tree, branch};
    window->elementFinder().raiseElement(gain);
    QVERIFY(window->elementFinder().mark().item);

    delete tree; // the panel is replaced while the mark runs
    fireHighlightTimer();
    QVERIFY(!window->elementFinder().mark().widget.data());
    QVERIFY(!window->elementFinder().mark().item);
}


void TestFind::everyElementKindIsFoundAndMarked_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("define");
    QTest::addColumn<bool>("byStyleSheet");
    QTest::newRow("check box") << "<checkbox define=\"X\" label=\"x\"/>" << "X" << true;
    QTest::newRow("combo box") << "<combo define=\"X\"><item label=\"a\" value=\"0\"/></combo>" << "X" << true;
    QTest::newRow("spin box") << "<spinbox define=\"X\" range=\"0;9\"/>" << "X" << true;
    QTest::newRow("hex spin box") << "<hexspinbox define=\"X\" range=\"0x0;0xF\"/>" << "X" << true;
    QTest::newRow("double spin box") << "<doublespinbox define=\"X\" range=\"0;1\"/>" << "X" << true;
    QTest::newRow("slider") << "<slider define=\"X\" range=\"0;9\"/>" << "X" << true;
    QTest::newRow("knob") << "<knob define=\"X\" range=\"0;9\"/>" << "X" << false;
    QTest::newRow("line edit") << "<edit define=\"X\"/>" << "X" << false;
    QTest::newRow("text edit") << "<editbox define=\"X\"/>" << "X" << false;
    QTest::newRow("toggle button") << "<togglebutton define=\"X\" label=\"x\"/>" << "X" << true;
    QTest::newRow("radio group")
        << "<radio define=\"X\" default=\"1\"><radiobutton label=\"a\" value=\"0\"/>"
           "<radiobutton label=\"b\" value=\"1\"/></radio>"
        << "X" << false;
    QTest::newRow("register view") << "<registerview define=\"X\"/>" << "X" << false;
    QTest::newRow("register table") << "<table define=\"X\"/>" << "X" << false;
    QTest::newRow("formula label") << "<math define=\"X\" formula=\"1+1\"/>" << "X" << false;
}

// Each kind on the second page of a tab: the search opens the page and marks
// the element (by style sheet where the program's style sheet colours the
// kind, else by palette), and the end of the mark gives its look back.
void TestFind::everyElementKindIsFoundAndMarked()
{
    QFETCH(QString, element);
    QFETCH(QString, define);
    QFETCH(bool, byStyleSheet);
    const QString path = writeTestFile(
        env->path(QStringLiteral("kinds.xml")),
        signedPanelText(QStringLiteral("<tabcontainer><verticalcontainer label=\"One\"><text label=\"first\"/>"
                                       "</verticalcontainer><verticalcontainer label=\"Two\">%1"
                                       "</verticalcontainer></tabcontainer>")
                            .arg(element)));
    QVERIFY(window->open(path));
    window->initLoadedConfiguration(true);
    ActiveElement *found = window->panel()->getActiveElement(define);
    QVERIFY(found);
    auto *tabs = window->findChild<TabWidget *>();
    QVERIFY(tabs);
    QCOMPARE(tabs->currentIndex(), 0);

    window->elementFinder().raiseDefine(define);
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(window->elementFinder().mark().timerId != 0);
    QWidget *marked = window->elementFinder().mark().widget.data();
    QVERIFY(marked);
    const QString styleBefore = window->elementFinder().mark().styleSheet;
    if (byStyleSheet)
        QCOMPARE(marked->styleSheet(), blue);
    else
        QCOMPARE(marked->palette().color(QPalette::Window), QColor(Qt::blue));
    fireHighlightTimer();
    QCOMPARE(window->elementFinder().mark().timerId, 0);
    if (byStyleSheet)
        QCOMPARE(marked->styleSheet(), styleBefore);
    else
        QVERIFY(marked->palette().color(QPalette::Window) != QColor(Qt::blue));
}

void TestFind::elementsWithoutValueAreFoundByName_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<bool>("byStyleSheet");
    QTest::newRow("push button") << "<button label=\"Go\"/>" << true;
    QTest::newRow("LED") << "<led data=\"X\" bitmask=\"0x1\"/>" << false;
    QTest::newRow("dial") << "<dial data=\"X\"/>" << false;
    QTest::newRow("thermometer") << "<thermo data=\"X\"/>" << false;
    QTest::newRow("plot") << "<plot/>" << false;
}

// Each kind without define on the second page of a tab: the find dialog
// offers its generated name, and the search opens the page and marks it.
void TestFind::elementsWithoutValueAreFoundByName()
{
    QFETCH(QString, element);
    QFETCH(bool, byStyleSheet);
    const QString path = writeTestFile(
        env->path(QStringLiteral("named.xml")),
        signedPanelText(QStringLiteral("<tabcontainer><verticalcontainer label=\"One\"><text label=\"first\"/>"
                                       "</verticalcontainer><verticalcontainer label=\"Two\">%1"
                                       "</verticalcontainer></tabcontainer>")
                            .arg(element)));
    QVERIFY(window->open(path));
    window->initLoadedConfiguration(true);
    const QStringList names = window->panel()->namedWidgetNames();
    QCOMPARE(names.size(), 1);
    const QString name = names.first();
    QVERIFY(window->panel()->registries().elementNames.contains(name));
    QWidget *widget = window->panel()->namedWidget(name);
    QVERIFY(widget);
    QCOMPARE(widget->objectName(), name);
    auto *tabs = window->findChild<TabWidget *>();
    QVERIFY(tabs);
    QCOMPARE(tabs->currentIndex(), 0);

    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<FindDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->lineEdit()->setText(name);
        dialog->findButton()->click();
    });
    window->elementFinder().search();
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(window->elementFinder().mark().widget.data(), widget);
    if (byStyleSheet)
        QCOMPARE(widget->styleSheet(), blue);
    else
        QCOMPARE(widget->palette().color(QPalette::Window), QColor(Qt::blue));
}

QTEST_MAIN(TestFind)
#include "tst_find.moc"
