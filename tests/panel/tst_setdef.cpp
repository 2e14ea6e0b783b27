// setDef on small panels of our own: the assignment list, value resolution,
// target variables and elements, the widget keywords, tab pages, push
// buttons, plots, range changes with their report, and the colour slots.
#include "checkbox.h"
#include "combobox.h"
#include "dataclass.h"
#include "knob.h"
#include "led.h"
#include "lineedit.h"
#include "myqwtplot.h"
#include "panelcolours.h"
#include "shellfixture.h"
#include "pushbutton.h"
#include "spinbox.h"
#include "tabwidget.h"

#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>
#include <qwt_knob.h>
#include <qwt_plot_curve.h>
#include <qwt_scale_div.h>
#include <QtTest>

// An element of any type name that notes what it is given.
class RecordingElement : public QWidget, public ActiveElement
{
public:
    RecordingElement(const QString &name, const QString &type)
        : m_type(type)
    {
        setObjectName(name);
    }

    QStringList calls;
    QString current = QStringLiteral("rec");

    QObject *elementObject() const override { return const_cast<RecordingElement *>(this); }

    void setValue(const QString &text, int keyword) override
    {
        calls << QStringLiteral("set %1 %2").arg(text).arg(keyword);
    }
    void loadValue(const QString &text) override { calls << QStringLiteral("load %1").arg(text); }
    QString value(int keyword, int) override { return keyword == KeywordTypeInfo ? m_type : current; }
    QString storedValueText() override { return current; }
    void initialize() override {}
    void enable(bool on) override { setEnabled(on); }
    void setElementProperty(const char *name, const QVariant &value) override { setProperty(name, value); }
    QVariant elementProperty(const char *name) override { return property(name); }
    bool acceptsBitRange(int, int) override { return true; }
    void updateMathLabels() override {}

private:
    QString m_type;
};

static const char basicPanel[] =
    "<verticalcontainer><checkbox define=\"EN\" default=\"1\"/>"
    "<spinbox define=\"CNT\" range=\"0;100\" default=\"20\"/></verticalcontainer>";

class TestSetDef : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void assignments_data();
    void assignments();
    void logSetDefsEchoesTheText();
    void tablesAndPeripheralsTakeTheValueAsItIs();
    void widgetKeywordsOfAnElement();
    void colourSlots_data();
    void colourSlots();
    void tabPageIsHiddenAndShownInPlace();
    void tabIndexAndContainerColour();
    void pushButtonColourAndVisibility();
    void plotKeys();
    void firstTableWithTheNameDecides();

    void rangeChangeNotes_data();
    void rangeChangeNotes();
    void rangeChangesWithinOneReportAreReportedTogether();
    void rangeChangeOfAKnob();

private:
    // The values of EN, CNT (with its stored value), VAR and FVAR.
    QString state() const;
    void fireCheckTimer();

    std::unique_ptr<ShellFixture> f;
    DataClass *var = nullptr;
    DataClass *fvar = nullptr;
};

void TestSetDef::init()
{
    f = std::make_unique<ShellFixture>();
    QVERIFY(f->load(QLatin1String(basicPanel)));
    var = new DataClass("VAR");
    var->setValue(7);
    fvar = new DataClass("FVAR");
    fvar->isFloat = 1;
    fvar->setFloatValue(2.5f);
    f->panel->setDataClass("VAR", var);
    f->panel->setDataClass("FVAR", fvar);
    f->clearConsole();
    f->clearErrors();
}

void TestSetDef::cleanup()
{
    f.reset();
}

QString TestSetDef::state() const
{
    return QStringLiteral("EN=%1 CNT=%2(%3) VAR=%4 FVAR=%5")
        .arg(f->value("EN"), f->value("CNT"), f->element("CNT")->storedValueText())
        .arg(var->value())
        .arg(double(fvar->floatValue()));
}

void TestSetDef::assignments_data()
{
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("errors");

    const auto invalid = [](const QString &item) { return QStringLiteral("Invalid value in setdef: \"%1\"").arg(item); };
    const QString start = QStringLiteral("EN=1 CNT=20(20) VAR=7 FVAR=2.5");
    QTest::newRow("nothing") << "" << start << QStringList{invalid("")};

    // The list
    QTest::newRow("items in order") << "EN=0;CNT=30" << "EN=0 CNT=30(30) VAR=7 FVAR=2.5" << QStringList();
    QTest::newRow("empty item ends the list") << "EN=0;;CNT=30" << "EN=0 CNT=20(20) VAR=7 FVAR=2.5"
                                              << QStringList{invalid("")};
    QTest::newRow("item without value ends the list") << "EN=0;CNT;VAR=3" << "EN=0 CNT=20(20) VAR=7 FVAR=2.5"
                                                      << QStringList{invalid("CNT")};
    QTest::newRow("item with two equals ends the list") << "CNT=1=2;EN=0" << start << QStringList{invalid("CNT=1=2")};
    QTest::newRow("unknown target is skipped") << "NOPE=1;EN=0" << "EN=0 CNT=20(20) VAR=7 FVAR=2.5"
                                               << QStringList{invalid("NOPE=1")};
    QTest::newRow("unknown dotted target is skipped") << "NOPE.visible=1;EN=0" << "EN=0 CNT=20(20) VAR=7 FVAR=2.5"
                                                      << QStringList{invalid("NOPE.visible=1")};

    // Value resolution
    QTest::newRow("another element's value") << "CNT=EN" << "EN=1 CNT=1(1) VAR=7 FVAR=2.5" << QStringList();
    QTest::newRow("an integer variable's value") << "CNT=VAR" << "EN=1 CNT=7(7) VAR=7 FVAR=2.5" << QStringList();
    QTest::newRow("a float variable's value, truncated") << "VAR=FVAR" << "EN=1 CNT=20(20) VAR=2 FVAR=2.5"
                                                         << QStringList();
    QTest::newRow("hex literal to an element") << "CNT=0x10" << "EN=1 CNT=16(16) VAR=7 FVAR=2.5" << QStringList();
    QTest::newRow("binary literal to a variable") << "VAR=0b101" << "EN=1 CNT=20(20) VAR=5 FVAR=2.5"
                                                  << QStringList();
    QTest::newRow("another element's keyword ends the list")
        << "CNT=EN.value;EN=0" << "EN=1 CNT=1(20) VAR=7 FVAR=2.5" << QStringList();
    // A keyword the source element has no value for: reported, and the empty
    // text it gives is refused by the target; the list ends.
    const auto unsupported = [](const QString &kind, const QString &element) {
        return QStringLiteral("Can not return value of type \"%1\" from \"%2\"").arg(kind, element);
    };
    const auto emptyRefused = [](const QString &target) {
        return QStringLiteral("Trying to set \"%1\" to invalid value \"\"").arg(target);
    };
    QTest::newRow("label of a check box") << "CNT=EN.label;EN=0" << start
                                          << QStringList{unsupported("label", "EN"), emptyRefused("CNT")};
    QTest::newRow("index of a spin box") << "EN=CNT.index" << start
                                         << QStringList{unsupported("index", "CNT"), emptyRefused("EN")};
    QTest::newRow("register of a spin box is reported without a word")
        << "EN=CNT.register" << start << QStringList{unsupported("", "CNT"), emptyRefused("EN")};
    QTest::newRow("keyword of an element into a variable is refused")
        << "VAR=EN.value;CNT=5" << start << QStringList{invalid("VAR=EN.value")};

    // Target variables
    QTest::newRow("hex literal to a variable") << "VAR=0x10" << "EN=1 CNT=20(20) VAR=16 FVAR=2.5" << QStringList();
    QTest::newRow("text to an integer variable ends the list")
        << "VAR=abc;EN=0" << start << QStringList{invalid("VAR=abc")};
    QTest::newRow("negative number wraps like a C int") << "VAR=-1" << "EN=1 CNT=20(20) VAR=4294967295 FVAR=2.5"
                                                         << QStringList();
    QTest::newRow("fraction to an integer variable") << "VAR=3.9" << "EN=1 CNT=20(20) VAR=3 FVAR=2.5" << QStringList();
    QTest::newRow("number beyond 32 bits ends the list")
        << "VAR=5000000000;EN=0" << start << QStringList{invalid("VAR=5000000000")};
    QTest::newRow("float variable") << "FVAR=1.25" << "EN=1 CNT=20(20) VAR=7 FVAR=1.25" << QStringList();
    QTest::newRow("text to a float variable ends the list")
        << "FVAR=x;EN=0" << start << QStringList{invalid("FVAR=x")};

    // Elements
    QTest::newRow("invalid value for an element") << "EN=2;CNT=5" << "EN=1 CNT=5(5) VAR=7 FVAR=2.5"
                                                  << QStringList{"Trying to set \"EN\" to invalid value \"2\"",
                                                                 "Trying to load \"EN\" with invalid value \"2\""};
    QTest::newRow("value keyword leaves the stored value") << "CNT.value=44" << "EN=1 CNT=44(20) VAR=7 FVAR=2.5"
                                                           << QStringList();
}

void TestSetDef::assignments()
{
    QFETCH(QString, items);
    QFETCH(QString, state);
    QFETCH(QStringList, errors);
    // Every item refused is reported once and counted once (SETDEF counts
    // them as script errors).
    const int refused = f->panel->applySetDef(items);
    QCOMPARE(this->state(), state);
    QCOMPARE(f->errors(), errors);
    QCOMPARE(refused, int(errors.filter(QStringLiteral("Invalid value in setdef")).size()));
}

void TestSetDef::logSetDefsEchoesTheText()
{
    f->panel->setDef("EN=0");
    QCOMPARE(f->consoleLines(), QStringList());
    f->panel->setDefState().setLogSetDefs(true);
    f->panel->setDef("EN=1;CNT=2");
    QCOMPARE(f->consoleLines(), QStringList{"setDef(EN=1;CNT=2)<br>"});
}

void TestSetDef::tablesAndPeripheralsTakeTheValueAsItIs()
{
    auto *table = new RecordingElement("TABLE", "Table");
    auto *view = new RecordingElement("VIEW", "RegView");
    auto *peripherals = new RecordingElement("$PERIPHERALS$", "CheckBox");
    auto *other = new RecordingElement("OTHER", "LineEdit");
    for (RecordingElement *element : {table, view, peripherals, other}) {
        element->setParent(f->root());
        f->panel->registerElement(element->objectName(), element);
    }
    f->panel->setDef("TABLE.row=3;TABLE.row=EN;VIEW=0x10;OTHER=0x10;OTHER=$PERIPHERALS$;OTHER.foo=1");
    QCOMPARE(table->calls, (QStringList{"set 3 12", "set EN 12"}));
    QCOMPARE(view->calls, (QStringList{"set 0x10 0", "load 0x10"}));
    // A word that is no keyword is taken as the plain value.
    QCOMPARE(other->calls, (QStringList{"set 16 0", "load 16", "set $PERIPHERALS$ 0", "load $PERIPHERALS$",
                                        "set 1 0"}));
    QCOMPARE(f->errors(), QStringList());
}

void TestSetDef::widgetKeywordsOfAnElement()
{
    auto *spin = f->widget<SpinBox>("CNT");
    f->panelWidget()->show();
    f->panel->setDef("CNT.visible=0;CNT.enabled=0;CNT.x=15.9;CNT.y=-3");
    QVERIFY(spin->isHidden());
    QVERIFY(!spin->isEnabled());
    QCOMPARE(spin->pos(), QPoint(15, -3));
    f->panel->setDef("CNT.visible=1;CNT.enabled=1;CNT.x=1e30");
    QVERIFY(!spin->isHidden());
    QVERIFY(spin->isEnabled());
    QCOMPARE(spin->x(), std::numeric_limits<int>::max());
    // A text that is no number counts 0.
    f->panel->setDef("CNT.enabled=yes");
    QVERIFY(!spin->isEnabled());
    QCOMPARE(f->errors(), QStringList());
}

static std::unique_ptr<QWidget> makeWidget(const QString &kind)
{
    if (kind == "CheckBox")
        return std::make_unique<CheckBox>("W", "W");
    if (kind == "ComboBox")
        return std::make_unique<ComboBox>("W");
    if (kind == "LineEdit")
        return std::make_unique<LineEdit>("W");
    if (kind == "PushButton")
        return std::make_unique<PushButton>("W", "W");
    if (kind == "Knob")
        return std::make_unique<Knob>("W");
    return std::make_unique<QLabel>();
}

void TestSetDef::colourSlots_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("background");
    QTest::addColumn<QString>("styleSheet"); // empty: the sheet set before stays
    QTest::addColumn<int>("paletteRole");    // -1: no palette change

    QTest::newRow("combo box background") << "ComboBox" << true << "background-color: rgb(255,128,0);" << -1;
    QTest::newRow("check box text") << "CheckBox" << false << "color: rgb(255,128,0);" << -1;
    QTest::newRow("line edit background") << "LineEdit" << true << "background-color: rgb(255,128,0);" << -1;
    QTest::newRow("line edit text") << "LineEdit" << false << "" << int(QPalette::Text);
    QTest::newRow("push button background") << "PushButton" << true << "" << int(QPalette::Base);
    QTest::newRow("push button text") << "PushButton" << false << "color: rgb(255,128,0);" << -1;
    QTest::newRow("knob background") << "Knob" << true << "" << int(QPalette::Button);
    QTest::newRow("label background") << "QLabel" << true << "" << int(QPalette::Base);
    QTest::newRow("label text") << "QLabel" << false << "" << int(QPalette::Text);
}

void TestSetDef::colourSlots()
{
    QFETCH(QString, kind);
    QFETCH(bool, background);
    QFETCH(QString, styleSheet);
    QFETCH(int, paletteRole);
    const std::unique_ptr<QWidget> widget = makeWidget(kind);
    const QString before = QStringLiteral("border: 1px solid gray;");
    widget->setStyleSheet(before);
    const QPalette palette = widget->palette();

    // Orange, with an upper byte that does not count.
    const int colour = int(0x12ff8000);
    if (background)
        PanelColours::setBGColor(widget.get(), colour);
    else
        PanelColours::setTextColor(widget.get(), colour);

    QVERIFY(widget->autoFillBackground());
    QCOMPARE(widget->styleSheet(), styleSheet.isEmpty() ? before : styleSheet);
    for (int role : {int(QPalette::Base), int(QPalette::Text), int(QPalette::Button)}) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            const QColor expected = role == paletteRole ? QColor(255, 128, 0)
                                                        : palette.color(group, QPalette::ColorRole(role));
            QCOMPARE(widget->palette().color(group, QPalette::ColorRole(role)), expected);
        }
    }
    PanelColours::setBGColor(nullptr, colour); // ignored
}

void TestSetDef::tabPageIsHiddenAndShownInPlace()
{
    QVERIFY(f->load("<tabcontainer label=\"Main\">"
                    "<verticalcontainer define=\"PAGE1\" label=\"One\"><checkbox define=\"EN\"/></verticalcontainer>"
                    "<verticalcontainer define=\"PAGE2\" label=\"Two\"/>"
                    "<verticalcontainer define=\"PAGE3\" label=\"Three\"/></tabcontainer>"));
    auto *scroll = qobject_cast<QScrollArea *>(f->panelWidget());
    QVERIFY(scroll);
    auto *tabs = qobject_cast<QTabWidget *>(scroll->widget());
    QVERIFY(tabs);
    const auto titles = [tabs] {
        QStringList list;
        for (int i = 0; i < tabs->count(); ++i)
            list << tabs->tabText(i);
        return list;
    };
    QWidget *page2 = tabs->widget(1);

    f->panel->setDef("PAGE2.visible=0");
    QCOMPARE(titles(), (QStringList{"One", "Three"}));
    QVERIFY(f->panel->setDefState().hiddenTabs().contains("PAGE2"));
    // Hiding it again keeps the place it was hidden from.
    f->panel->setDef("PAGE2.visible=0");
    f->panel->setDef("PAGE3.visible=1"); // shown already: nothing happens
    QCOMPARE(titles(), (QStringList{"One", "Three"}));

    f->panel->setDef("PAGE2.visible=1");
    QCOMPARE(titles(), (QStringList{"One", "Two", "Three"}));
    QCOMPARE(tabs->widget(1), page2);
    QVERIFY(f->panel->setDefState().hiddenTabs().isEmpty());
    f->panel->setDef("PAGE2.visible=1");
    QCOMPARE(titles(), (QStringList{"One", "Two", "Three"}));

    // The table goes with the panel.
    f->panel->setDef("PAGE1.visible=0");
    QVERIFY(f->load(QLatin1String(basicPanel)));
    QVERIFY(f->panel->setDefState().hiddenTabs().isEmpty());
    QCOMPARE(f->errors(), QStringList());
}

void TestSetDef::tabIndexAndContainerColour()
{
    QVERIFY(f->load("<verticalcontainer><groupcontainer define=\"GRP\" label=\"g\"><checkbox define=\"EN\"/>"
                    "</groupcontainer><tabcontainer define=\"TABS\" label=\"TABS\"><verticalcontainer label=\"a\"/>"
                    "<verticalcontainer label=\"b\"/></tabcontainer></verticalcontainer>"));
    TabWidget *tabs = f->panel->registries().tabWidgetsByName.value("TABS");
    QVERIFY(tabs);
    f->panel->setDef("TABS.index=1;GRP.color=255;TABS.label=x");
    QCOMPARE(tabs->currentIndex(), 1);
    auto *group = dynamic_cast<QWidget *>(f->panel->registries().containersByName.value("GRP"));
    QVERIFY(group->autoFillBackground());
    QCOMPARE(group->palette().color(QPalette::Inactive, QPalette::Window), QColor(0, 0, 255));

    // A container that is no tab page hides and shows itself.
    f->panelWidget()->show();
    f->panel->setDef("GRP.visible=0");
    QVERIFY(group->isHidden());
    f->panel->setDef("GRP.visible=1;GRP.enabled=0");
    QVERIFY(!group->isHidden());
    QVERIFY(!group->isEnabled());
    QCOMPARE(f->errors(), QStringList());
}

void TestSetDef::pushButtonColourAndVisibility()
{
    QVERIFY(f->load("<verticalcontainer><button define=\"BTN\" label=\"Go\"/></verticalcontainer>"));
    PushButton *button = f->panel->registries().pushButtonsByName.value("BTN");
    QVERIFY(button);
    f->panel->setDef(QStringLiteral("BTN.color=%1").arg(0xff0000));
    QCOMPARE(button->styleSheet(), QString("QPushButton{background-color: rgb(255,0,0);}"
                                           "QPushButton:checked{background-color: rgb(255,0,0);}"));
    const QPoint place = button->pos();
    f->panel->setDef("BTN.enabled=0;BTN.x=40");
    QVERIFY(!button->isEnabled());
    QCOMPARE(button->pos(), place); // a push button does not move
    QCOMPARE(f->errors(), QStringList());
}

void TestSetDef::plotKeys()
{
    auto *plot = new MyQwtPlot(f->root());
    QList<QwtPlotCurve *> curves;
    for (int i = 0; i < 3; ++i) {
        curves << new QwtPlotCurve;
        curves.last()->attach(plot);
    }
    plot->setObjectName("PLOT");
    f->panel->setPlot("PLOT", plot);

    f->panel->setDef("PLOT.maxX=500;PLOT.minX=-5;PLOT.minY=-2.7;PLOT.maxY=CNT;PLOT.curveMask=5;PLOT.colour=1");
    QCOMPARE(plot->maxX, 500u);
    QCOMPARE(plot->minX, 0u);
    QCOMPARE(plot->axisScaleDiv(QwtPlot::xBottom).lowerBound(), 0.0);
    QCOMPARE(plot->axisScaleDiv(QwtPlot::xBottom).upperBound(), 500.0);
    QCOMPARE(plot->minY, -2.0f);
    QCOMPARE(plot->maxY, 20.0f);
    QCOMPARE(plot->axisScaleDiv(QwtPlot::yLeft).lowerBound(), -2.0);
    QCOMPARE(plot->axisScaleDiv(QwtPlot::yLeft).upperBound(), 20.0);
    QCOMPARE(plot->curveMask, 5u);
    QVERIFY(curves.at(0)->isVisible());
    QVERIFY(!curves.at(1)->isVisible());
    QVERIFY(curves.at(2)->isVisible());
    QCOMPARE(f->errors(), QStringList());

    f->panel->setDef("PLOT.visible=0");
    QVERIFY(plot->isHidden());
}

void TestSetDef::firstTableWithTheNameDecides()
{
    auto *led = new Led("X", f->root());
    auto *button = new PushButton("X", "X", f->root());
    f->panel->setLED("X", led);
    f->panel->setPushButton("X", button);
    f->panelWidget()->show();
    f->panel->setDef("X.color=255;X.enabled=0");
    // The LED has no colour and no enabled state: nothing happens at all.
    QCOMPARE(button->styleSheet(), QString());
    QVERIFY(button->isEnabled());
    f->panel->setDef("X.visible=0");
    QVERIFY(led->isHidden());
    QVERIFY(!button->isHidden());
    QCOMPARE(f->errors(), QStringList());
}

// ---------------------------------------------------------------------------
// Range changes

void TestSetDef::fireCheckTimer()
{
    QVERIFY(f->panel->setDefState().checkTimerId() != 0);
    QTimerEvent event(f->panel->setDefState().checkTimerId());
    QCoreApplication::sendEvent(f->panel.get(), &event);
    QCOMPARE(f->panel->setDefState().checkTimerId(), 0);
}

static QString rangeLine(const QString &name, const QString &change, const QString &by = QString())
{
    QString target = name;
    target.replace(":", "$$$COLON$$$");
    QString line = QStringLiteral("<font color=\"darkorange\"><a href = \"%1\">%2</a> was set from %3").arg(target, name, change);
    if (!by.isEmpty())
        line += QStringLiteral(" by <a href = \"%1\">%1</a>").arg(by);
    return line + QStringLiteral("</font><br>");
}

void TestSetDef::rangeChangeNotes_data()
{
    QTest::addColumn<QString>("items");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("minimum above the value")
        << "CNT.min=50" << "50" << QStringList{rangeLine("CNT", "20 to 50 because its range was changed from 0..100 to 50..100")};
    QTest::newRow("maximum below the value")
        << "CNT.max=10" << "10" << QStringList{rangeLine("CNT", "20 to 10 because its range was changed from 0..100 to 0..10")};
    QTest::newRow("fraction truncated") << "CNT.min=30.7" << "30"
                                        << QStringList{rangeLine("CNT", "20 to 30 because its range was changed from 0..100 to 30..100")};
    QTest::newRow("range that keeps the value") << "CNT.min=5;CNT.max=20" << "20" << QStringList();
    QTest::newRow("element without a range") << "EN.min=5" << "20" << QStringList();
    QTest::newRow("two items, one move")
        << "CNT.min=30;CNT.max=90" << "30" << QStringList{rangeLine("CNT", "20 to 30 because its range was changed from 0..100 to 30..100")};
}

void TestSetDef::rangeChangeNotes()
{
    QFETCH(QString, items);
    QFETCH(QString, value);
    QFETCH(QStringList, lines);
    f->panel->setDef(items);
    QCOMPARE(f->value("CNT"), value);
    // Reported later, not at once.
    QCOMPARE(f->consoleLines(), QStringList());
    fireCheckTimer();
    QCOMPARE(f->consoleLines(), lines);
    QCOMPARE(f->errors(), QStringList());
}

void TestSetDef::rangeChangesWithinOneReportAreReportedTogether()
{
    QVERIFY(f->load("<verticalcontainer><checkbox define=\"TRIG\"><action event=\"checked\" cmd=\"setDef\" "
                    "data=\"CNT.max=10\"/></checkbox><spinbox define=\"CNT\" range=\"0;100\" default=\"20\"/>"
                    "</verticalcontainer>"));
    auto *colon = new SpinBox("SPI:SPEED", f->root());
    colon->setRange(0, 9);
    colon->QSpinBox::setValue(5);
    f->panel->registerElement("SPI:SPEED", colon);
    f->clearConsole();

    f->widget<CheckBox>("TRIG")->setChecked(true);
    f->panel->setDef("SPI:SPEED.min=7");
    QCOMPARE(f->value("CNT"), QString("10"));
    QCOMPARE(colon->value(), 7);

    // The timer is the panel's, 100 ms, and fires once by itself.
    bool found = false;
    for (const auto &timer : QAbstractEventDispatcher::instance()->registeredTimers(f->panel.get())) {
        if (timer.timerId == f->panel->setDefState().checkTimerId())
            found = timer.interval == 100;
    }
    QVERIFY(found);
    QTRY_COMPARE_WITH_TIMEOUT(f->panel->setDefState().checkTimerId(), 0, 2000);
    QCOMPARE(f->consoleLines(),
             (QStringList{rangeLine("CNT", "20 to 10 because its range was changed from 0..100 to 0..10", "TRIG"),
                          rangeLine("SPI:SPEED", "5 to 7 because its range was changed from 0..9 to 7..9")}));

    // The next report starts with an empty list.
    f->clearConsole();
    f->panel->setDef("CNT.max=5");
    fireCheckTimer();
    QCOMPARE(f->consoleLines(),
             QStringList{rangeLine("CNT", "10 to 5 because its range was changed from 0..10 to 0..5")});
}

void TestSetDef::rangeChangeOfAKnob()
{
    QVERIFY(f->load("<verticalcontainer><knob define=\"KNOB\" range=\"0;10\" default=\"2\"/></verticalcontainer>"));
    auto *knob = f->widget<Knob>("KNOB");
    QVERIFY(knob);
    f->clearConsole();
    f->panel->setDef("KNOB.min=2.5");
    QCOMPARE(knob->lowerBound(), 2.5);
    QCOMPARE(knob->QwtKnob::value(), 2.5);
    fireCheckTimer();
    // The note's value is the bound made whole; the range keeps its fraction.
    QCOMPARE(f->consoleLines(), QStringList());
    f->panel->setDef("KNOB.max=1.5");
    fireCheckTimer();
    QCOMPARE(f->consoleLines(),
             QStringList{rangeLine("KNOB", "2.5 to 1 because its range was changed from 2.5..10 to 2.5..1.5")});
    QCOMPARE(f->errors(), QStringList());
}

QTEST_MAIN(TestSetDef)
#include "tst_setdef.moc"
