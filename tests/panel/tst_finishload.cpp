// The finish of a load on a panel read into a test shell: start values only
// when asked for, the locks applied before the window's step and the timer
// labels started after it, the element names for the find dialog; then the
// report of formula names nothing carries.
#include "dataclass.h"
#include "shellfixture.h"
#include "timerlabel.h"

#include <QtTest>

static const char finishPanel[] =
    "<verticalcontainer>"
    "<checkbox define=\"A\" default=\"1\" lockon=\"B=5\"/>"
    "<spinbox define=\"B\" range=\"0;10\" default=\"3\"/>"
    "<spinbox define=\"C\" range=\"0;10\" default=\"2\"/>"
    "<math define=\"M\" formula=\"C+NOPE\"/>"
    "<timer define=\"TM\" interval=\"100000\" run=\"1\"/>"
    "</verticalcontainer>";

class TestFinishLoad : public QObject
{
    Q_OBJECT

private slots:
    void finish_data();
    void finish();
};

void TestFinishLoad::finish_data()
{
    QTest::addColumn<bool>("resetValues");
    QTest::addColumn<QString>("storedB");
    QTest::addColumn<QString>("c");
    QTest::addColumn<uint>("dummy");
    // A panel opened anew starts from its defaults; a project's values,
    // loaded after the read, stay.
    QTest::newRow("defaults") << true << "3" << "2" << 0u;
    QTest::newRow("values kept") << false << "4" << "7" << 9u;
}

void TestFinishLoad::finish()
{
    QFETCH(bool, resetValues);
    QFETCH(QString, storedB);
    QFETCH(QString, c);
    QFETCH(uint, dummy);

    ShellFixture f;
    QVERIFY(f.loadUnfinished(QLatin1String(finishPanel)));
    QVERIFY(f.panel->flags().loading);
    // What a project file gives each element.
    f.element("A")->loadValue(QStringLiteral("1"));
    f.element("B")->loadValue(QStringLiteral("4"));
    f.element("C")->loadValue(QStringLiteral("7"));
    DataClass *variable = f.panel->registries().variablesByName.value(QStringLiteral("dummy_define"));
    QVERIFY(variable);
    variable->setValue(9);
    auto *timer = f.widget<TimerLabel>("TM");
    QVERIFY(timer);

    int calls = 0;
    f.panel->finishLoad(resetValues, [&] {
        ++calls;
        // The locks stand, the timers do not run yet, the load goes on.
        QVERIFY(f.element("B")->isLocked());
        QVERIFY(!timer->isRunning());
        QVERIFY(f.panel->flags().loading);
    });

    QCOMPARE(calls, 1);
    QCOMPARE(f.value("C"), c);
    QCOMPARE(variable->value(), dummy);
    QCOMPARE(f.value("B"), QStringLiteral("5"));
    QCOMPARE(f.element("B")->lockedByNames(), QStringList{"A"});
    QCOMPARE(f.element("B")->storedValueText(), storedB);
    QVERIFY(timer->isRunning());
    QVERIFY(!f.panel->flags().loading);
    QCOMPARE(f.panel->registries().elementNames.mid(0, 3), (QStringList{"A", "B", "C"}));
    // The formula names are checked apart, once the window is ready again.
    QCOMPARE(f.errors().filter(QStringLiteral("not defined")), QStringList());
    f.panel->checkFormulas();
    QCOMPARE(f.errors().filter(QStringLiteral("not defined")),
             QStringList{"Element used in formula not defined: \"NOPE\""});
}

QTEST_MAIN(TestFinishLoad)
#include "tst_finishload.moc"
