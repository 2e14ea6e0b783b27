// The element commands on a panel of our own holding every class they set:
// each command as a row (command -> element value, the actions it ran, the
// report it gave), and the clicks and check changes of buttons.
#include "led.h"
#include "myqwtplot.h"
#include "panelfixture.h"
#include "pushbutton.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QPushButton>
#include <QtTest>

#include <algorithm>

static const char panelBody[] =
    "<verticalcontainer>"
    "<spinbox define=\"SINK\" range=\"0;1000\" default=\"0\"/>"
    "<var define=\"LOOPV\" default=\"0\"/>"
    "<checkbox define=\"CB\" default=\"0\" setDef=\"SINK=1\" setDefInv=\"SINK=2\"/>"
    "<togglebutton define=\"TB\" label=\"T\" default=\"0\"/>"
    "<spinbox define=\"SB\" range=\"-10;100\" default=\"5\">"
    "<action event=\"changed\" cmd=\"setDef\" data=\"SINK=3\"/></spinbox>"
    "<doublespinbox define=\"DB\" range=\"-2;2000\" default=\"1.25\">"
    "<action event=\"changed\" cmd=\"setDef\" data=\"SINK=4\"/></doublespinbox>"
    "<slider define=\"SL\" range=\"0;50\" default=\"5\">"
    "<action event=\"changed\" cmd=\"setDef\" data=\"SINK=11\"/></slider>"
    "<knob define=\"KN\" range=\"0;100\" default=\"10\" integer=\"1\">"
    "<action event=\"changed\" cmd=\"setDef\" data=\"SINK=12\"/></knob>"
    "<combo define=\"CO\"><item label=\"A\" value=\"10\" setdef=\"SINK=5\"/>"
    "<item label=\"B\" value=\"20\" setdef=\"SINK=6\"/><item label=\"C\" value=\"30\"/></combo>"
    "<radio define=\"RA\"><radiobutton label=\"A\" setdef=\"SINK=7\"/>"
    "<radiobutton label=\"B\" setdef=\"SINK=8\"/></radio>"
    "<edit define=\"ED\" default=\"start\"><action event=\"changed\" cmd=\"setDef\" data=\"SINK=9\"/></edit>"
    "<editbox define=\"TX\" default=\"notes\"/>"
    "<table define=\"TBL\" numrows=\"2\"><column type=\"value\" label=\"Value\"/></table>"
    "<button define=\"BTN\" label=\"Go\"><action event=\"clicked\" cmd=\"setDef\" data=\"SINK=10\"/></button>"
    "</verticalcontainer>";

class TstScriptCommandsElements : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void commandsSetElementsAsTheMouse_data();
    void commandsSetElementsAsTheMouse();
    void disabledElementsAreLeftAlone();
    void buttonChangesTakeEffectAtOnce();
    void setDefLockAndUnlockReachThePanel();
    void loopVariableStandsForItsValue();
    void recordedMacroReplays();
    void unnamedElementsAreReachedByTheirNames();

private:
    // The "setDef(...)" lines the actions printed since the last clear.
    QStringList setDefLines() const;
    std::unique_ptr<PanelFixture> f;
};

void TstScriptCommandsElements::init()
{
    f = std::make_unique<PanelFixture>();
    QVERIFY(f->load(QLatin1String(panelBody)));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("LOGSETDEFS(1)"), 1));
    f->window->setWindowModified(false);
    f->clearConsole();
    f->clearErrors();
}

void TstScriptCommandsElements::cleanup()
{
    f.reset();
}

QStringList TstScriptCommandsElements::setDefLines() const
{
    QStringList lines;
    for (const QString &line : f->consoleLines()) {
        if (line.startsWith(QLatin1String("setDef(")))
            lines << line.chopped(4);
    }
    return lines;
}

void TstScriptCommandsElements::commandsSetElementsAsTheMouse_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("define");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("setDefs");
    QTest::addColumn<QString>("report");

    const QStringList none;
    // By define
    QTest::newRow("check box on") << "SET(CB, 1)" << "CB" << "1" << QStringList{"setDef(SINK=1)"} << "";
    QTest::newRow("check box already as wanted") << "SET(CB, 0)" << "CB" << "0" << none << "";
    QTest::newRow("check box: only 1 checks") << "SET(CB, 2)" << "CB" << "0" << none << "";
    QTest::newRow("spin box, one send") << "SET(SB, 42)" << "SB" << "42" << QStringList{"setDef(SINK=3)"} << "";
    QTest::newRow("spin box, value it shows") << "SET(SB, 5)" << "SB" << "5" << QStringList{"setDef(SINK=3)"} << "";
    QTest::newRow("spin box reads decimal only") << "SET(SB, 0x10)" << "SB" << "0" << QStringList{"setDef(SINK=3)"}
                                                 << "";
    QTest::newRow("double spin box") << "SET(DB, 2.5)" << "DB" << "2.50" << QStringList{"setDef(SINK=4)"} << "";
    QTest::newRow("slider") << "SET(SL, 20)" << "SL" << "20" << QStringList{"setDef(SINK=11)"} << "";
    QTest::newRow("knob") << "SET(KN, 30)" << "KN" << "30" << QStringList{"setDef(SINK=12)"} << "";
    QTest::newRow("combo box") << "SET(CO, 1)" << "CO" << "20" << QStringList{"setDef(SINK=6)"} << "";
    QTest::newRow("combo box index too high") << "SET(CO, 3)" << "CO" << "10" << none
                                              << "Index for CO.setItem (3) is out of allowed range: 0..2";
    QTest::newRow("combo box negative index") << "SET(CO, -1)" << "CO" << "10" << none
                                              << "Index for CO.setItem (-1) is out of allowed range: 0..2";
    QTest::newRow("radio group") << "SET(RA, 1)" << "RA" << "1" << QStringList{"setDef(SINK=8)"} << "";
    QTest::newRow("radio group negative index") << "SET(RA, -1)" << "RA" << "0" << none
                                                << "Index for RA.setRBItem (-1) is out of allowed range: 0..1";
    QTest::newRow("line edit") << "SET(ED, hello)" << "ED" << "hello" << QStringList{"setDef(SINK=9)"} << "";
    QTest::newRow("line edit: a comma ends the value") << "SET(ED, a,b)" << "ED" << "a"
                                                       << QStringList{"setDef(SINK=9)"} << "";
    QTest::newRow("text edit") << "SET(TX, more text)" << "TX" << "more text" << none << "";
    QTest::newRow("class SET does not handle") << "SET(TBL, 1)" << "CB" << "0" << none
                                               << "Can not use \"Set\" with parameter \"TBL\"";
    // By object name
    QTest::newRow("SETCHECKED") << "SETCHECKED(CB, 1)" << "CB" << "1" << QStringList{"setDef(SINK=1)"} << "";
    QTest::newRow("SETCHECKED on a spin box") << "SETCHECKED(SB, 1)" << "SB" << "5" << none
                                              << "Can not use \"setChecked\" with parameter \"SB\"";
    QTest::newRow("SETVALUE") << "SETVALUE(SB, 17)" << "SB" << "17" << QStringList{"setDef(SINK=3)"} << "";
    QTest::newRow("SETVALUE double") << "SETVALUE(DB, 7.75)" << "DB" << "7.75" << QStringList{"setDef(SINK=4)"}
                                     << "";
    QTest::newRow("SETVALUE on a combo box") << "SETVALUE(CO, 1)" << "CO" << "10" << none
                                             << "Can not use \"setValue\" with parameter \"CO\"";
    QTest::newRow("SETVALUE of no such name") << "SETVALUE(NOPE, 1)" << "SB" << "5" << none << "";
    QTest::newRow("SETITEM") << "SETITEM(CO, 2)" << "CO" << "30" << none << "";
    QTest::newRow("SETITEM index too high") << "SETITEM(CO, 9)" << "CO" << "10" << none
                                            << "Index for CO.setItem (9) is out of allowed range: 0..2";
    QTest::newRow("SETRBITEM") << "SETRBITEM(RA, 1)" << "RA" << "1" << QStringList{"setDef(SINK=8)"} << "";
    QTest::newRow("SETRBITEM index too high") << "SETRBITEM(RA, 2)" << "RA" << "0" << none
                                              << "Index for RA.setRBItem (2) is out of allowed range: 0..1";
    QTest::newRow("SETTEXT line edit, text as it stands") << "SETTEXT(ED, typed)" << "ED" << " typed" << QStringList{"setDef(SINK=9)"}
                                       << "";
    QTest::newRow("SETTEXT text edit") << "SETTEXT(TX,block)" << "TX" << "block" << none << "";
    QTest::newRow("SETTEXT on a check box") << "SETTEXT(CB, x)" << "CB" << "0" << none
                                            << "Can not use \"setText\" with parameter \"CB\"";
}

void TstScriptCommandsElements::commandsSetElementsAsTheMouse()
{
    QFETCH(QString, command);
    QFETCH(QString, define);
    QFETCH(QString, value);
    QFETCH(QStringList, setDefs);
    QFETCH(QString, report);

    QVERIFY(f->window->executeScriptLine(command, 3));
    QCOMPARE(f->value(define), value);
    QCOMPARE(setDefLines(), setDefs);
    const QString reports = f->errors().join(QLatin1Char('\n'));
    if (report.isEmpty())
        QVERIFY2(reports.isEmpty(), qPrintable(reports));
    else
        QVERIFY2(reports.contains(report), qPrintable(reports));
    // A change marks the project modified, as the mouse does.
    if (!setDefs.isEmpty())
        QVERIFY(f->window->isWindowModified());
}

void TstScriptCommandsElements::disabledElementsAreLeftAlone()
{
    for (const char *define : {"CB", "SB", "CO", "ED"})
        qobject_cast<QWidget *>(objectOf(f->element(QLatin1String(define))))->setEnabled(false);
    for (const char *line : {"SET(CB, 1)", "SET(SB, 50)", "SET(CO, 2)", "SETTEXT(ED, x)"})
        QVERIFY(f->window->executeScriptLine(QLatin1String(line), 1));
    QCOMPARE(f->value("CB"), QStringLiteral("0"));
    QCOMPARE(f->value("SB"), QStringLiteral("5"));
    QCOMPARE(f->value("CO"), QStringLiteral("10"));
    QCOMPARE(f->value("ED"), QStringLiteral("start"));
    QVERIFY(setDefLines().isEmpty());
    QVERIFY(f->errors().isEmpty());
    QVERIFY(!f->window->isWindowModified());

    // The unknown define is a script error line; the run goes on.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SET(NOPE, 1)"), 7));
    QVERIFY(f->consoleLines().join(QString()).contains(QLatin1String("Unknown define: NOPE")));
    // A missing parameter stops the run.
    QVERIFY(!f->window->executeScriptLine(QStringLiteral("SET(CB)"), 8));
}

void TstScriptCommandsElements::buttonChangesTakeEffectAtOnce()
{
    // The next line sees what a button command did, without a WAIT.
    auto *toggle = f->widget<QPushButton>(QStringLiteral("TB"));
    QVERIFY(toggle);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETCHECKED(TB, 1)"), 1));
    QVERIFY(toggle->isChecked());

    // CLICKED on a toggle button's define toggles it at once.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CLICKED(TB)"), 2));
    QVERIFY(!toggle->isChecked());

    // A push button's action has run when the command returns.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CLICKED(BTN)"), 3));
    QCOMPARE(setDefLines(), QStringList{QStringLiteral("setDef(SINK=10)")});
    QCOMPARE(f->value("SINK"), QStringLiteral("10"));

    // No such button: a counted script error. A value element that is no
    // toggle button: reported.
    const int errors = f->window->scripts().scriptErrorCount();
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CLICKED(NOBUTTON)"), 4));
    QVERIFY(f->errors().isEmpty());
    QVERIFY(f->consoleLines().join(QString()).contains(QLatin1String("Unknown element: NOBUTTON")));
    QCOMPARE(f->window->scripts().scriptErrorCount(), errors + 1);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CLICKED(CB)"), 5));
    QVERIFY(f->errors().join(QString()).contains(QLatin1String("Can not use \"Clicked\" with parameter \"CB\"")));
}

void TstScriptCommandsElements::setDefLockAndUnlockReachThePanel()
{
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETDEF(SB=7;ED=set)"), 1));
    QCOMPARE(f->value("SB"), QStringLiteral("7"));
    QCOMPARE(f->value("ED"), QStringLiteral("set"));
    QCOMPARE(setDefLines().value(0), QStringLiteral("setDef(SB=7;ED=set)"));

    // A script is no element: the panel refuses a lock without a locking element.
    f->clearErrors();
    QVERIFY(f->window->executeScriptLine(QStringLiteral("LOCK(CO=2)"), 2));
    QVERIFY(f->errors().join(QString()).contains(QLatin1String("Invalid lock: \"CO=2\"")));
    QVERIFY(!f->element(QStringLiteral("CO"))->isLocked());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("UNLOCK(CO=2)"), 3));
    QVERIFY(!f->element(QStringLiteral("CO"))->isLocked());
    QVERIFY(!f->window->executeScriptLine(QStringLiteral("LOCK()"), 4));
}

void TstScriptCommandsElements::loopVariableStandsForItsValue()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString script = dir.filePath(QStringLiteral("loop.script"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("LOOPSTART(LOOPV, 2, 1, 2)\nSET(SB, LOOPV)\nSETITEM(CO, LOOPV)\nSETVALUE(SL, LOOPV)\nLOOPSTOP\n");
    file.close();
    QVERIFY(f->window->runScriptFile(script));
    QCOMPARE(f->value("SB"), QStringLiteral("2"));
    QCOMPARE(f->value("CO"), QStringLiteral("30"));
    // SETVALUE takes its value as it stands: LOOPV is no number, and SL no spin box.
    QVERIFY(f->errors().join(QString()).contains(QLatin1String("Can not use \"setValue\" with parameter \"SL\"")));
}

void TstScriptCommandsElements::recordedMacroReplays()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    MainWindow *window = f->window.get();
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    const QString macro = dir.filePath(QStringLiteral("macro.script"));
    QString error;
    QVERIFY2(window->scripts().recorder().startFile(macro, window->panel()->header().xmlFile, &error), qPrintable(error));

    // The user's changes, each on the focused widget: the lines recorded.
    const auto focus = [](QWidget *widget) {
        widget->setFocus();
        return QTest::qWaitFor([widget] { return widget->hasFocus(); });
    };
    auto *box = f->widget<QAbstractButton>(QStringLiteral("CB"));
    QVERIFY(focus(box));
    box->click();
    auto *spin = f->widget<QSpinBox>(QStringLiteral("SB"));
    QVERIFY(focus(spin));
    spin->setValue(42);
    auto *combo = f->widget<QComboBox>(QStringLiteral("CO"));
    QVERIFY(focus(combo));
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    auto *edit = f->widget<QLineEdit>(QStringLiteral("ED"));
    QVERIFY(focus(edit));
    QTest::keyClicks(edit, QStringLiteral("xy"));
    auto *toggle = f->widget<QAbstractButton>(QStringLiteral("TB"));
    QVERIFY(focus(toggle));
    QTest::mouseClick(toggle, Qt::LeftButton);
    auto *group = qobject_cast<QButtonGroup *>(objectOf(f->element(QStringLiteral("RA"))));
    QVERIFY(group);
    QVERIFY(focus(group->button(1)));
    group->button(1)->click();
    // As the window ends a recording: the trailer, then the stream lets go.
    window->scripts().recorder().stopFile();
    window->scripts().recorder().stop();

    QFile file(macro);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(file.readAll());
    for (const char *line : {"Set(CB, 1)", "Set(SB, 42)", "Set(CO, 2)", "Set(ED,startxy)", "Clicked(TB)", "Set(RA, 1)"})
        QVERIFY2(text.contains(QLatin1String(line)), qPrintable(text));

    const QStringList defines{"CB", "SB", "CO", "ED", "TB", "RA", "SINK"};
    QStringList recorded;
    for (const QString &define : defines)
        recorded << f->value(define);
    QVERIFY(window->executeScriptLine(QStringLiteral("RESETGUI"), 1));
    QVERIFY(f->value("SB") != recorded.at(1));

    // Replayed, the lines bring every element back to what the user left.
    window->runScriptFile(macro);
    QStringList replayed;
    for (const QString &define : defines)
        replayed << f->value(define);
    QCOMPARE(replayed, recorded);
}

// Buttons, LEDs, dials, thermometers and plots without define each keep an
// entry under their own name: a macro of clicks on unnamed buttons replays
// every click, and setDef reaches each of them.
void TstScriptCommandsElements::unnamedElementsAreReachedByTheirNames()
{
    QVERIFY(f->load(QLatin1String(
        "<verticalcontainer>"
        "<spinbox define=\"S1\" range=\"0;9\"/><spinbox define=\"S2\" range=\"0;9\"/>"
        "<spinbox define=\"S3\" range=\"0;9\"/>"
        "<button label=\"Go\"><action event=\"clicked\" cmd=\"setDef\" data=\"S1=1\"/></button>"
        "<button label=\"Go\"><action event=\"clicked\" cmd=\"setDef\" data=\"S2=1\"/></button>"
        "<button><action event=\"clicked\" cmd=\"setDef\" data=\"S3=1\"/></button>"
        "<led data=\"S1\" bitmask=\"0x1\"/><led data=\"S1\" bitmask=\"0x1\"/>"
        "<dial data=\"S1\"/><dial data=\"S2\"/><thermo data=\"S1\"/><thermo data=\"S2\"/>"
        "<plot/><plot/>"
        "</verticalcontainer>")));
    Panel *panel = f->window->panel();
    QList<PushButton *> buttons = panel->registries().pushButtonsByName.values();
    QCOMPARE(buttons.size(), 3);
    std::sort(buttons.begin(), buttons.end(), [](PushButton *a, PushButton *b) {
        return a->y() < b->y();
    });
    QCOMPARE(panel->registries().ledsByName.size(), 2);
    QCOMPARE(panel->registries().dialsByName.size(), 2);
    QCOMPARE(panel->registries().thermosByName.size(), 2);
    QCOMPARE(panel->registries().plotsByName.size(), 2);
    const QList<QStringList> nameLists{panel->registries().ledsByName.keys(), panel->registries().dialsByName.keys(),
                                       panel->registries().thermosByName.keys(), panel->registries().plotsByName.keys()};
    for (const QStringList &names : nameLists)
        QVERIFY(!names.contains(QString()));

    // Recorded clicks on the three buttons, replayed on a reset panel.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    MainWindow *window = f->window.get();
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    const QString macro = dir.filePath(QStringLiteral("clicks.script"));
    QString error;
    QVERIFY2(window->scripts().recorder().startFile(macro, panel->header().xmlFile, &error), qPrintable(error));
    for (PushButton *button : qAsConst(buttons)) {
        button->setFocus();
        QVERIFY(QTest::qWaitFor([button] { return button->hasFocus(); }));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    window->scripts().recorder().stopFile();
    window->scripts().recorder().stop();
    QFile file(macro);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(file.readAll());
    for (PushButton *button : qAsConst(buttons))
        QVERIFY2(text.contains(QStringLiteral("Clicked(%1)").arg(button->objectName())), qPrintable(text));

    QVERIFY(window->executeScriptLine(QStringLiteral("RESETGUI"), 1));
    QCOMPARE(QStringList({f->value("S1"), f->value("S2"), f->value("S3")}), QStringList({"0", "0", "0"}));
    window->runScriptFile(macro);
    QTRY_COMPARE(QStringList({f->value("S1"), f->value("S2"), f->value("S3")}), QStringList({"1", "1", "1"}));

    // setDef hides each of them by its name.
    f->clearErrors();
    QList<QWidget *> hidden;
    QHash<QString, QWidget *> plots;
    for (auto it = panel->registries().plotsByName.cbegin(); it != panel->registries().plotsByName.cend(); ++it)
        plots.insert(it.key(), it.value());
    for (const QHash<QString, QWidget *> &table : {panel->registries().dialsByName, panel->registries().thermosByName, plots}) {
        for (auto it = table.cbegin(); it != table.cend(); ++it) {
            QVERIFY(window->executeScriptLine(QStringLiteral("SETDEF(%1.visible=0)").arg(it.key()), 1));
            hidden << it.value();
        }
    }
    for (auto it = panel->registries().ledsByName.cbegin(); it != panel->registries().ledsByName.cend(); ++it) {
        QVERIFY(window->executeScriptLine(QStringLiteral("SETDEF(%1.visible=0)").arg(it.key()), 1));
        hidden << it.value();
    }
    for (PushButton *button : qAsConst(buttons)) {
        QVERIFY(window->executeScriptLine(QStringLiteral("SETDEF(%1.visible=0)").arg(button->objectName()), 1));
        hidden << button;
    }
    QVERIFY2(f->errors().isEmpty(), qPrintable(f->errors().join('\n')));
    for (QWidget *widget : qAsConst(hidden))
        QVERIFY2(widget->isHidden(), qPrintable(widget->objectName()));
}

QTEST_MAIN(TstScriptCommandsElements)
#include "tst_scriptcommands_elements.moc"
