// The panel reset on small panels of our own: defaults back, locks rebuilt
// from the defaults, variables reset, the project marked modified, and every
// element connected once however often the reset runs.
#include "checkbox.h"
#include "dataclass.h"
#include "shellfixture.h"
#include "spinbox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QtTest>

class TestReset : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void resetRestoresTheStateAfterALoad();
    void locksFollowTheDefaults_data();
    void locksFollowTheDefaults();
    void conflictsFollowTheDefaults_data();
    void conflictsFollowTheDefaults();
    void repeatedResetsConnectEveryActionOnce();
    void resetFlagsHoldOnlyWhileItRuns();
    void panelWithoutElements();
    void resetFromAnElementAction();

private:
    // The setDef lines the panel echoed since the console was cleared.
    QStringList setDefLines() const;

    std::unique_ptr<ShellFixture> f;
};

void TestReset::init()
{
    f = std::make_unique<ShellFixture>();
}

void TestReset::cleanup()
{
    f.reset();
}

QStringList TestReset::setDefLines() const
{
    QStringList lines;
    for (const QString &line : f->consoleLines()) {
        if (line.startsWith("setDef("))
            lines << line;
    }
    return lines;
}

void TestReset::resetRestoresTheStateAfterALoad()
{
    QVERIFY(f->load("<verticalcontainer><checkbox define=\"EN\" default=\"1\"/>"
                    "<spinbox define=\"CNT\" range=\"0;100\" default=\"20\"/></verticalcontainer>"));
    auto *variable = new DataClass("VAR");
    variable->setProperty("my_default", "0x11");
    f->panel->setDataClass("VAR", variable);
    variable->setValue(3);
    f->panel->setDef("EN=0;CNT=42");
    f->widget<SpinBox>("CNT")->setEnabled(false);
    f->shell->modified = false;

    f->panel->resetGUI();
    QCOMPARE(f->value("EN"), QString("1"));
    QCOMPARE(f->value("CNT"), QString("20"));
    QCOMPARE(f->element("CNT")->storedValueText(), QString("20"));
    QVERIFY(f->widget<SpinBox>("CNT")->isEnabled());
    QCOMPARE(variable->value(), 0x11u);
    QVERIFY(f->shell->modified);
    QVERIFY(!f->panel->flags().loading);
    QVERIFY(!f->panel->resetInProgress());
    QCOMPARE(f->errors(), QStringList());
}

void TestReset::locksFollowTheDefaults_data()
{
    QTest::addColumn<QString>("lockerDefault");
    QTest::addColumn<bool>("locked");
    QTest::newRow("default unchecked: unlocked") << "0" << false;
    QTest::newRow("default checked: locked again") << "1" << true;
}

void TestReset::locksFollowTheDefaults()
{
    QFETCH(QString, lockerDefault);
    QFETCH(bool, locked);
    QVERIFY(f->load(QStringLiteral("<verticalcontainer><checkbox define=\"A\" default=\"%1\" lockon=\"B=5\"/>"
                                   "<spinbox define=\"B\" range=\"0;10\" default=\"3\"/></verticalcontainer>")
                        .arg(lockerDefault)));
    // Locked by the user now, whatever the default.
    f->widget<CheckBox>("A")->setChecked(false);
    f->widget<CheckBox>("A")->setChecked(true);
    QCOMPARE(f->element("B")->lockedByNames(), QStringList{"A"});

    f->panel->resetGUI();
    QCOMPARE(f->element("B")->isLocked(), locked);
    QCOMPARE(f->element("A")->lockingNames(), locked ? QStringList{"B"} : QStringList());
    QCOMPARE(f->value("B"), locked ? QString("5") : QString("3"));
    QCOMPARE(f->widget<SpinBox>("B")->isEnabled(), !locked);

    // The locks work as after a load.
    f->widget<CheckBox>("A")->setChecked(!locked);
    QCOMPARE(f->element("B")->isLocked(), !locked);
    QCOMPARE(f->panel->locks().conflictCount(), 0);
}

void TestReset::conflictsFollowTheDefaults_data()
{
    QTest::addColumn<QString>("defaults");
    QTest::addColumn<bool>("conflict");
    QTest::newRow("defaults free of conflict") << "0" << false;
    QTest::newRow("defaults in conflict") << "1" << true;
}

void TestReset::conflictsFollowTheDefaults()
{
    QFETCH(QString, defaults);
    QFETCH(bool, conflict);
    QVERIFY(f->load(QStringLiteral("<verticalcontainer><checkbox define=\"A\" default=\"%1\" lockon=\"B=1\"/>"
                                   "<checkbox define=\"C\" default=\"%1\" lockon=\"B=2\"/>"
                                   "<spinbox define=\"B\" range=\"0;10\"/></verticalcontainer>")
                        .arg(defaults)));
    f->widget<CheckBox>("A")->setChecked(true);
    f->widget<CheckBox>("C")->setChecked(true);
    QCOMPARE(f->panel->locks().conflictCount(), 1);

    f->panel->resetGUI();
    QCOMPARE(f->panel->locks().conflictCount(), conflict ? 1 : 0);
    QCOMPARE(f->element("C")->waitingToLock.size(), conflict ? 1 : 0);
    QCOMPARE(f->exportHeaders(true), !conflict);
}

// Every kind of value element with an action that sets OUT, and a lock.
static const char actionPanel[] =
    "<verticalcontainer>"
    "<checkbox define=\"EN\" lockon=\"CNT=9\"><action event=\"checked\" cmd=\"setDef\" data=\"OUT=1\"/></checkbox>"
    "<spinbox define=\"CNT\" range=\"0;100\" default=\"20\">"
    "<action event=\"changed\" cmd=\"setDef\" data=\"OUT=2\"/></spinbox>"
    "<combo define=\"M\"><item label=\"a\"/><item label=\"b\">"
    "<action event=\"selected\" cmd=\"setDef\" data=\"OUT=3\"/></item></combo>"
    "<radio define=\"R\"><radiobutton label=\"x\"/><radiobutton label=\"y\">"
    "<action event=\"selected\" cmd=\"setDef\" data=\"OUT=4\"/></radiobutton></radio>"
    "<togglebutton define=\"T\" label=\"T\"><action event=\"checked\" cmd=\"setDef\" data=\"OUT=5\"/></togglebutton>"
    "<doublespinbox define=\"D\" range=\"0;10\"><action event=\"changed\" cmd=\"setDef\" data=\"OUT=6\"/>"
    "</doublespinbox>"
    "<spinbox define=\"OUT\" range=\"0;100\"/></verticalcontainer>";

// Changes every element once, the way a user does, and lists the setDef
// texts that ran, sorted.
static QStringList runEveryAction(ShellFixture &f)
{
    f.panel->setDefState().setLogSetDefs(true);
    f.clearConsole();
    f.widget<QCheckBox>("EN")->click();
    f.widget<QSpinBox>("CNT")->setValue(33);
    f.widget<QComboBox>("M")->setCurrentIndex(1);
    auto *group = qobject_cast<QButtonGroup *>(objectOf(f.element("R")));
    group->button(1)->click();
    f.widget<QPushButton>("T")->click();
    f.widget<QDoubleSpinBox>("D")->setValue(2.5);
    QStringList lines;
    for (const QString &line : f.consoleLines()) {
        if (line.startsWith("setDef("))
            lines << line;
    }
    lines.sort();
    f.panel->setDefState().setLogSetDefs(false);
    return lines;
}

void TestReset::repeatedResetsConnectEveryActionOnce()
{
    QStringList warnings;
    static QStringList *sink = nullptr;
    sink = &warnings;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtWarningMsg && sink)
            sink->append(text);
    });

    QVERIFY(f->load(QLatin1String(actionPanel)));
    const QStringList afterLoad = runEveryAction(*f);
    QCOMPARE(afterLoad, (QStringList{"setDef(OUT=1)<br>", "setDef(OUT=2)<br>", "setDef(OUT=3)<br>",
                                     "setDef(OUT=4)<br>", "setDef(OUT=5)<br>", "setDef(OUT=6)<br>"}));
    QCOMPARE(f->element("CNT")->lockedBy.size(), 1);

    QVERIFY(f->load(QLatin1String(actionPanel)));
    f->panel->resetGUI();
    f->panel->resetGUI();
    QCOMPARE(runEveryAction(*f), afterLoad);
    QCOMPARE(f->element("CNT")->lockedBy.size(), 1);
    QCOMPARE(f->element("EN")->locking.size(), 1);

    qInstallMessageHandler(previous);
    sink = nullptr;
    // Every signal the reset cuts exists.
    for (const QString &warning : warnings)
        QVERIFY2(!warning.contains("disconnect"), qPrintable(warning));
}

void TestReset::resetFlagsHoldOnlyWhileItRuns()
{
    QVERIFY(f->load("<verticalcontainer><checkbox define=\"EN\"/></verticalcontainer>"));
    QStringList seen;
    connect(signalsOf(f->widget<CheckBox>("EN")), &ElementSignals::updateMathLabels, this, [this, &seen] {
        seen << QStringLiteral("%1 %2").arg(f->panel->resetInProgress()).arg(f->panel->flags().loading);
    });
    f->panel->resetGUI();
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.count("1 1"), seen.size());
    QVERIFY(!f->panel->resetInProgress());
    QVERIFY(!f->panel->flags().loading);
}

void TestReset::panelWithoutElements()
{
    QVERIFY(f->load("<verticalcontainer/>"));
    DataClass *dummy = f->panel->registries().variablesByName.value("dummy_define");
    QVERIFY(dummy);
    dummy->setValue(9);
    f->shell->modified = false;
    f->panel->resetGUI();
    QCOMPARE(dummy->value(), 0u);
    QVERIFY(f->shell->modified);
}

void TestReset::resetFromAnElementAction()
{
    QVERIFY(f->load("<verticalcontainer><checkbox define=\"EN\" default=\"1\"/>"
                    "<button label=\"Defaults\"><action event=\"clicked\" cmd=\"resetGUI\"/></button>"
                    "</verticalcontainer>"));
    f->panel->setDef("EN=0");
    QPushButton *button = nullptr;
    for (QPushButton *candidate : f->panelWidget()->findChildren<QPushButton *>()) {
        if (candidate->text() == "Defaults")
            button = candidate;
    }
    QVERIFY(button);
    button->click();
    QCOMPARE(f->value("EN"), QString("1"));
}

QTEST_MAIN(TestReset)
#include "tst_reset.moc"
