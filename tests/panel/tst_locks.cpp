// Locks between elements on small panels of our own: locking and releasing,
// waiting elements served in order, the conflict report and the header
// export it stops, the lock check of the post-load set-up, the lock graph and
// circular locks.
#include "checkbox.h"
#include "lockdialog.h"
#include "shellfixture.h"
#include "spinbox.h"
#include "widgets.h"

#include <QGraphicsScene>
#include <QPainterPath>
#include <QtTest>

static const QString red = QStringLiteral("<font color=\"red\"> <b>XML Error: </b></font><b>");

// The conflict warning for define, with the waiting and the locking names.
static QString waitingLine(const QString &define, const QStringList &waiting, const QStringList &lockers,
                           int count)
{
    const auto links = [](const QStringList &names) {
        QStringList list;
        for (const QString &name : names)
            list << QStringLiteral("<a href=\"%1\">%1</a>").arg(name);
        return list.join(QStringLiteral(" and "));
    };
    return QStringLiteral("<font color=\"red\"><b>Warning: </font></b> <a href=\"%1\">%1</a> is waiting to be "
                          "locked by %2 and is locked by %3 (%4 %5 in current project)<br>")
        .arg(define, links(waiting), links(lockers), QString::number(count),
             count < 2 ? QStringLiteral("conflict") : QStringLiteral("conflicts"));
}

class TestLocks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void checkBoxLocksSpinBoxWhileChecked();
    void defaultStateLocksAtLoad();
    void conflictingLockWaitsAndIsReportedOnce();
    void waitersAreServedInOrderOfValue();
    void secondLockerKeepsTheTargetLocked();
    void waiterThatGivesUpClearsTheConflict();
    void waitingLockStopsHeaderExport();
    void invalidLocksAreReported();
    void toggleButtonWaiterIsServed();

    void lockCheckLines_data();
    void lockCheckLines();
    void lockGraphBlocksAndPorts();
    void lockGraphPortsOfChoices();
    void lockGraphDrawing();
    void circularLockIsReported();
    void cycleBesideTheOriginEnds();
    void demoPanelLocksCleanly();

private:
    // Check boxes that each lock B (a spin box 0..10, default 3) to a value.
    void loadLockers(const QStringList &lockers);
    void setChecked(const QString &define, bool on);

    std::unique_ptr<ShellFixture> f;
};

void TestLocks::init()
{
    f = std::make_unique<ShellFixture>();
}

void TestLocks::cleanup()
{
    f.reset();
}

void TestLocks::loadLockers(const QStringList &lockers)
{
    QString body = QStringLiteral("<verticalcontainer>");
    for (const QString &locker : lockers) {
        const QStringList parts = locker.split(QLatin1Char(':'));
        body += QStringLiteral("<checkbox define=\"%1\" lockon=\"%2\"/>").arg(parts.at(0), parts.at(1));
    }
    body += QStringLiteral("<spinbox define=\"B\" range=\"0;10\" default=\"3\"/></verticalcontainer>");
    QVERIFY(f->load(body));
    f->clearConsole();
    f->clearErrors();
}

void TestLocks::setChecked(const QString &define, bool on)
{
    CheckBox *box = f->widget<CheckBox>(define);
    QVERIFY(box);
    box->setChecked(on);
}

void TestLocks::checkBoxLocksSpinBoxWhileChecked()
{
    loadLockers({"A:B=5"});
    auto *spin = f->widget<SpinBox>("B");
    QVERIFY(spin->isEnabled());

    setChecked("A", true);
    QCOMPARE(f->value("B"), QString("5"));
    QVERIFY(!spin->isEnabled());
    QCOMPARE(f->element("B")->lockedByNames(), QStringList{"A"});
    QCOMPARE(f->element("A")->lockingNames(), QStringList{"B"});
    QVERIFY(toolTipShown(spin).contains("Locked by: \nA\n"));
    QVERIFY(toolTipShown(f->widget<CheckBox>("A")).contains("Locking: \nB\n"));

    setChecked("A", false);
    QCOMPARE(f->value("B"), QString("3")); // the stored value again
    QVERIFY(spin->isEnabled());
    QVERIFY(!f->element("B")->isLocked());
    QVERIFY(f->element("A")->lockingNames().isEmpty());
    QCOMPARE(f->consoleLines(), QStringList());
    QCOMPARE(f->errors(), QStringList());
}

void TestLocks::defaultStateLocksAtLoad()
{
    QVERIFY(f->load("<verticalcontainer><checkbox define=\"A\" default=\"1\" lockon=\"B=7\"/>"
                    "<spinbox define=\"B\" range=\"0;10\" default=\"3\"/></verticalcontainer>"));
    QCOMPARE(f->value("B"), QString("7"));
    QVERIFY(!f->widget<SpinBox>("B")->isEnabled());
    QCOMPARE(f->element("B")->storedValueText(), QString("3"));
}

void TestLocks::conflictingLockWaitsAndIsReportedOnce()
{
    loadLockers({"A:B=1", "C:B=2"});
    setChecked("A", true);
    setChecked("C", true);

    QCOMPARE(f->value("B"), QString("1"));
    QCOMPARE(f->element("B")->lockedByNames(), QStringList{"A"});
    QCOMPARE(f->panel->locks().waitingLocks(), (QHash<QString, QStringList>{{"B", {"C"}}}));
    QCOMPARE(f->panel->locks().conflictCount(), 1);
    QCOMPARE(f->consoleLines(), QStringList{waitingLine("B", {"C"}, {"A"}, 1)});
    QVERIFY(toolTipShown(f->widget<SpinBox>("B")).contains("Waiting to be locked by: \nC\n"));
    QVERIFY(toolTipShown(f->widget<CheckBox>("C")).contains("Waiting to lock: \nB\n"));

    // The same request again: one more waiting record, but no second line.
    f->clearConsole();
    f->widget<CheckBox>("C")->emitSendLock("B=2");
    QCOMPARE(f->element("C")->waitingToLock.size(), 2);
    QCOMPARE(f->panel->locks().waitingLocks().value("B"), QStringList{"C"});
    QCOMPARE(f->consoleLines(), QStringList());

    // The holder sending its own lock again changes nothing.
    f->widget<CheckBox>("A")->emitSendLock("B=1");
    QCOMPARE(f->element("B")->lockedByNames(), QStringList{"A"});
    QCOMPARE(f->element("A")->locking.size(), 1);
    QCOMPARE(f->consoleLines(), QStringList());
}

void TestLocks::waitersAreServedInOrderOfValue()
{
    loadLockers({"A:B=1", "C:B=2", "E:B=2", "F:B=3"});
    setChecked("A", true);
    setChecked("C", true);
    setChecked("F", true);
    setChecked("E", true);
    QCOMPARE(f->panel->locks().waitingLocks().value("B"), (QStringList{"C", "F", "E"}));
    QCOMPARE(f->panel->locks().conflictCount(), 3);

    f->clearConsole();
    setChecked("A", false);
    // C is served first, E wants the same value and joins; F keeps waiting.
    QCOMPARE(f->value("B"), QString("2"));
    QCOMPARE(f->element("B")->lockedByNames(), (QStringList{"C", "E"}));
    QVERIFY(f->element("C")->waitingToLock.isEmpty());
    QVERIFY(f->element("E")->waitingToLock.isEmpty());
    QCOMPARE(f->element("F")->waitingToLock.size(), 1);
    QCOMPARE(f->panel->locks().waitingLocks(), (QHash<QString, QStringList>{{"B", {"F"}}}));
    QCOMPARE(f->consoleLines(), (QStringList{waitingLine("B", {"F", "E"}, {"C"}, 2),
                                             waitingLine("B", {"F"}, {"C", "E"}, 1),
                                             waitingLine("B", {"F"}, {"C", "E"}, 1)}));
}

void TestLocks::secondLockerKeepsTheTargetLocked()
{
    loadLockers({"A:B=1", "D:B=1"});
    setChecked("A", true);
    setChecked("D", true);
    QCOMPARE(f->element("B")->lockedByNames(), (QStringList{"A", "D"}));
    QVERIFY(f->panel->locks().waitingLocks().isEmpty());

    setChecked("A", false);
    QCOMPARE(f->element("B")->lockedByNames(), QStringList{"D"});
    QCOMPARE(f->value("B"), QString("1"));
    QVERIFY(!f->widget<SpinBox>("B")->isEnabled());
    QCOMPARE(f->consoleLines(), QStringList());
}

void TestLocks::waiterThatGivesUpClearsTheConflict()
{
    loadLockers({"A:B=1", "C:B=2", "E:B=3"});
    setChecked("A", true);
    setChecked("C", true);
    setChecked("E", true);
    f->clearConsole();

    setChecked("E", false);
    QVERIFY(f->element("E")->waitingToLock.isEmpty());
    QCOMPARE(f->element("B")->waitingToBeLockedBy.size(), 1);
    QCOMPARE(f->consoleLines(), QStringList{waitingLine("B", {"C"}, {"A"}, 1)});

    f->clearConsole();
    setChecked("C", false);
    QVERIFY(f->panel->locks().waitingLocks().isEmpty());
    QCOMPARE(f->consoleLines(),
             QStringList{"<font color=\"green\"><b>Conflict cleared:</font></b> B  (0 conflicts remaining)<br>"});
    QCOMPARE(f->element("B")->lockedByNames(), QStringList{"A"});
}

void TestLocks::waitingLockStopsHeaderExport()
{
    loadLockers({"A:B=1", "C:B=2"});
    setChecked("A", true);
    setChecked("C", true);
    f->clearConsole();

    QVERIFY(!f->exportHeaders(true));
    QCOMPARE(f->consoleLines(), QStringList{"<font color=\"red\"><b>Warning: </font></b> Could not export headerfiles. "
                                            "<a href=\"B\">B</a> is in a conflicted state!<br>"});

    setChecked("C", false);
    f->clearConsole();
    QVERIFY(f->exportHeaders(true));
    QCOMPARE(f->consoleLines(), QStringList());
}

void TestLocks::invalidLocksAreReported()
{
    // A lockon of the panel that names no element, sent when its box is checked.
    loadLockers({"A:B=1", "N:NOPE=1"});
    CheckBox *a = f->widget<CheckBox>("A");

    setChecked("N", true);
    QCOMPARE(f->errors(), QStringList{"XML ERROR!\nInvalid lock: \"NOPE=1\""});
    // Not from an element.
    f->clearErrors();
    f->panel->on_sendLock("B=1");
    QCOMPARE(f->errors(), QStringList{"XML ERROR!\nInvalid lock: \"B=1\""});
    QVERIFY(!f->element("B")->isLocked());

    // Malformed texts, and every unlock that cannot be carried out, pass silently.
    f->clearErrors();
    a->emitSendLock("B");
    a->emitSendLock("B=1=2");
    emit signalsOf(a)->sendUnlock("NOPE=1");
    emit signalsOf(a)->sendUnlock("B");
    f->panel->on_sendUnlock("B=1");
    QCOMPARE(f->errors(), QStringList());
    QVERIFY(!f->element("B")->isLocked());
    QCOMPARE(f->consoleLines(), QStringList());
}

void TestLocks::toggleButtonWaiterIsServed()
{
    QVERIFY(f->load("<verticalcontainer><checkbox define=\"A\" lockon=\"B=1\"/>"
                    "<togglebutton define=\"T\" label=\"T\" lockon=\"B=2\"/>"
                    "<spinbox define=\"B\" range=\"0;10\" default=\"3\"/></verticalcontainer>"));
    auto *toggle = qobject_cast<QAbstractButton *>(objectOf(f->element("T")));
    QVERIFY(toggle);
    QVERIFY(toggle->isCheckable());
    setChecked("A", true);
    toggle->setChecked(true);
    QCOMPARE(f->panel->locks().waitingLocks().value("B"), QStringList{"T"});

    setChecked("A", false);
    QCOMPARE(f->element("B")->lockedByNames(), QStringList{"T"});
    QCOMPARE(f->value("B"), QString("2"));
    QVERIFY(f->panel->locks().waitingLocks().isEmpty());
}

// ---------------------------------------------------------------------------
// The lock check of the post-load set-up

// The elements the lockon conditions of A name.
static const char lockTargets[] =
    "<checkbox define=\"C\"/><spinbox define=\"S\" range=\"0;10\"/>"
    "<hexspinbox define=\"H\" range=\"0;0x3F\"/><checkbox define=\"ON_VALUE\"/>"
    "<doublespinbox define=\"D\" range=\"0;1\"/><slider define=\"SL\" range=\"0;10\"/>"
    "<edit define=\"E\"/>"
    "<combo define=\"M\"><item label=\"Slow\" value=\"1\"/><item label=\"Fast\" value=\"2\"/></combo>"
    "<radio define=\"R\"><radiobutton label=\"One\" value=\"1\"/><radiobutton label=\"Two\" value=\"0x2\"/></radio>";

void TestLocks::lockCheckLines_data()
{
    QTest::addColumn<QString>("lockon");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("check box value 1") << "C=1" << QStringList();
    QTest::newRow("check box value 2") << "C=2" << QStringList{red + "A wants to lock C to 2.<br>"};
    QTest::newRow("check box value that is no number") << "C=yes" << QStringList{red + "A wants to lock C to yes.<br>"};
    QTest::newRow("value naming an element") << "C=ON_VALUE" << QStringList();
    QTest::newRow("unknown target") << "X=1" << QStringList{red + "A wants to lock X to 1.<br>"};
    QTest::newRow("unknown label target") << "X.label=1" << QStringList{red + "A wants to lock X.label to 1.<br>"};
    QTest::newRow("spin box in range") << "S=10" << QStringList();
    QTest::newRow("spin box out of range") << "S=11" << QStringList{red + "A wants to lock S to 11.<br>"};
    QTest::newRow("spin box hex value") << "S=0x5" << QStringList{red + "A wants to lock S to 0x5.<br>"};
    QTest::newRow("label on a spin box")
        << "S.label=On"
        << QStringList{red + "A wants to lock label on spinbox: S.label=On.<br>", red + "A wants to lock S.label to On.<br>"};
    QTest::newRow("label on a hex spin box")
        << "H.label=1"
        << QStringList{red + "A wants to lock label on hexspinbox: H.label=1.<br>", red + "A wants to lock H.label to 1.<br>"};
    QTest::newRow("without equals") << "C" << QStringList{red + "Found lockon without \"=\" at definition of: A<br>"};
    QTest::newRow("every condition checked") << "C=1;S=20" << QStringList{red + "A wants to lock S to 20.<br>"};
    QTest::newRow("value after the first equals") << "C=1=1" << QStringList{red + "A wants to lock C to 1=1.<br>"};
    QTest::newRow("double spin box in range") << "D=0.5" << QStringList();
    QTest::newRow("double spin box out of range") << "D=1.5" << QStringList{red + "A wants to lock D to 1.5.<br>"};
    QTest::newRow("label on a double spin box")
        << "D.label=x"
        << QStringList{red + "A wants to lock label on doublespinbox: D.label=x.<br>", red + "A wants to lock D.label to x.<br>"};
    QTest::newRow("combo item text") << "M.label=Fast" << QStringList();
    QTest::newRow("combo item text unknown") << "M.label=fast" << QStringList{red + "A wants to lock M.label to fast.<br>"};
    QTest::newRow("combo item value") << "M=2" << QStringList();
    QTest::newRow("combo text is no value") << "M=Fast" << QStringList{red + "A wants to lock M to Fast.<br>"};
    QTest::newRow("radio label") << "R.label=Two" << QStringList();
    QTest::newRow("radio hex value compared as a number") << "R=2" << QStringList();
    QTest::newRow("radio value unknown") << "R=9" << QStringList{red + "A wants to lock R to 9.<br>"};
    QTest::newRow("edit takes any text") << "E=whatever" << QStringList();
    QTest::newRow("slider takes no lock") << "SL=1" << QStringList{red + "A wants to lock SL to 1.<br>"};
}

void TestLocks::lockCheckLines()
{
    QFETCH(QString, lockon);
    QFETCH(QStringList, lines);
    QVERIFY(f->load(QStringLiteral("<verticalcontainer><checkbox define=\"A\" lockon=\"%1\"/>%2</verticalcontainer>")
                        .arg(lockon.toHtmlEscaped(), QLatin1String(lockTargets))));
    QStringList checkLines;
    for (const QString &line : f->consoleLines()) {
        if (line.startsWith(red) && !line.contains("Circular"))
            checkLines << line;
    }
    QCOMPARE(checkLines, lines);
    // The check looks up without adding.
    QVERIFY(!f->panel->elementExists("X"));
}

// Each block as "name input [outputs] <source @x,y", at its grid place (the
// dialog then spreads the blocks apart).
static QStringList graphShape(LockDialog *graph)
{
    QStringList shape;
    for (QNEBlock *block : graph->blocks()) {
        QNEBlock *source = block->sourceBlock();
        shape << QStringLiteral("%1 %2 [%3] <%4 @%5,%6")
                     .arg(block->name(), block->inputPortName(), block->outputPortNames().join(','),
                          source ? source->name() : QString())
                     .arg(block->gridPos().x())
                     .arg(block->gridPos().y());
    }
    return shape;
}

void TestLocks::lockGraphBlocksAndPorts()
{
    QVERIFY(f->load("<verticalcontainer>"
                    "<checkbox define=\"A\" lockon=\"B=1;X=3;S.label=2\"/>"
                    "<checkbox define=\"B\" lockon=\"S=4\"/>"
                    "<spinbox define=\"S\" range=\"0;10\"/>"
                    "</verticalcontainer>"));
    LockDialog *graph = f->panel->locks().lockGraph();
    // A's chain: B (which goes on to S), the unknown X drawn nowhere, S by its
    // label in the third column, each block from the one before; then B's own
    // chain in the next column group, which starts past A's three columns.
    QCOMPARE(graphShape(graph), (QStringList{"A  [on] < @60,240", "B 1 [] <A @60,420", "S 4 [] <B @60,600",
                                             "S 2 [] <S @180,420", "B  [on] < @240,240", "S 4 [] <B @240,420"}));
    QCOMPARE(graph->blocks().first()->element(), f->element("A"));
    // The root's output port starts the chain.
    const std::vector<QNEPort *> ports = graph->blocks().first()->ports();
    QCOMPARE(ports.size(), size_t(2));
    QVERIFY(ports.at(1)->isOutput());
    QCOMPARE(ports.at(1)->connections().size(), size_t(1));
}

// The drawing itself: block size from its port labels, the curve's control
// points, connections following a dragged block and column placement.
void TestLocks::lockGraphDrawing()
{
    LockDialog dialog;
    const QFontMetrics metrics(dialog.scene()->font());
    dialog.clearGraph();
    QNEBlock *first = dialog.addElementBlock(nullptr, QStringLiteral("A_LONG_NAME"), QStringLiteral("START"), 0, 0, 2);
    QCOMPARE(first->pos(), QPointF(180, 240));
    QCOMPARE(first->path().boundingRect().width(), qreal(metrics.horizontalAdvance("A_LONG_NAME") + 20));
    QCOMPARE(first->path().boundingRect().height(), qreal(5 + metrics.height()));
    first->addOutputPort(QStringLiteral("on"));
    QCOMPARE(first->path().boundingRect().height(), qreal(5 + 2 * metrics.height()));

    QNEBlock *second = dialog.addElementBlock(nullptr, QStringLiteral("B"), QStringLiteral("1"), 0, 1, 2);
    QCOMPARE(second->sourceBlock(), first);
    QNEConnection *connection = second->ports().at(1)->connections().at(0);
    QCOMPARE(connection->port1(), first->ports().at(1));

    // 300 across and 180 down: control points at 75/225 and 18/162.
    connection->setPos1(QPointF(0, 0));
    connection->setPos2(QPointF(300, 180));
    connection->recomputeCurve();
    const QPainterPath curve = connection->path();
    QCOMPARE(curve.elementCount(), 4);
    QCOMPARE(QPointF(curve.elementAt(1)), QPointF(75, 18));
    QCOMPARE(QPointF(curve.elementAt(2)), QPointF(225, 162));

    // Dragging the first block takes the connection's start with it.
    second->ports().at(1)->connections().at(0)->updatePosFromPorts();
    const QPointF start = connection->path().elementAt(0);
    first->moveBy(40, 10);
    QCOMPARE(QPointF(connection->path().elementAt(0)), start + QPointF(40, 10));

    // Cleared, the next block starts over: column 2 is x 180 again.
    dialog.clearGraph();
    QCOMPARE(dialog.blocks().size(), 0);
    QCOMPARE(dialog.addElementBlock(nullptr, QStringLiteral("C"), QString(), 0, 0, 2)->pos(), QPointF(180, 240));
}

void TestLocks::lockGraphPortsOfChoices()
{
    QVERIFY(f->load("<verticalcontainer>"
                    "<combo define=\"M\"><item label=\"Slow\" lockon=\"S=1\"/><item label=\"Fast\" lockon=\"S=2\"/></combo>"
                    "<radio define=\"R\"><radiobutton label=\"One\"/><radiobutton label=\"Two\" lockon=\"S=3\"/></radio>"
                    "<togglebutton define=\"T\" label=\"T\" lockon=\"S=4\"/>"
                    "<spinbox define=\"S\" range=\"0;10\"/></verticalcontainer>"));
    QStringList starts;
    for (QNEBlock *block : f->panel->locks().lockGraph()->blocks()) {
        if (!block->sourceBlock())
            starts << block->name() + ":" + block->outputPortNames().join(',');
    }
    QCOMPARE(starts, (QStringList{"M:Slow,Fast", "R:Two", "T:???"}));
}

void TestLocks::circularLockIsReported()
{
    QVERIFY(f->load("<verticalcontainer><checkbox define=\"A\" lockon=\"B=1\"/>"
                    "<checkbox define=\"B\" lockon=\"A=1\"/></verticalcontainer>"));
    QStringList circular;
    for (const QString &line : f->consoleLines()) {
        if (line.contains("Circular"))
            circular << line;
    }
    QCOMPARE(circular, (QStringList{red + "Circular lock A --> B --> A.<br>", red + "Circular lock B --> A --> B.<br>"}));
}

void TestLocks::cycleBesideTheOriginEnds()
{
    // A locks B, B locks C, C locks B: the walk from A enters a circle that
    // does not come back to A. It must end; the circle is reported from B and C.
    QVERIFY(f->load("<verticalcontainer><checkbox define=\"A\" lockon=\"B=1\"/>"
                    "<checkbox define=\"B\" lockon=\"C=1\"/><checkbox define=\"C\" lockon=\"B=1\"/>"
                    "</verticalcontainer>"));
    QStringList circular;
    for (const QString &line : f->consoleLines()) {
        if (line.contains("Circular"))
            circular << line;
    }
    QCOMPARE(circular, (QStringList{red + "Circular lock B --> C --> B.<br>", red + "Circular lock C --> B --> C.<br>"}));

    // The walk from A drew B, C and B again, then stopped.
    QStringList chainOfA;
    for (QNEBlock *block : f->panel->locks().lockGraph()->blocks()) {
        if (!block->sourceBlock() && !chainOfA.isEmpty())
            break;
        chainOfA << block->name();
    }
    QCOMPARE(chainOfA, (QStringList{"A", "B", "C", "B"}));
}

void TestLocks::demoPanelLocksCleanly()
{
    QVERIFY(f->open(QStringLiteral(QUILLMATE_EXAMPLES "/demo.xml")));
    for (const QString &line : f->consoleLines())
        QVERIFY2(!line.contains("XML Error"), qPrintable(line));
    QCOMPARE(f->errors(), QStringList());
    // The oscillator, on by default, holds the power mode at run.
    QCOMPARE(f->element("DEMO_POWER_MODE")->lockedByNames(), QStringList{"DEMO_OSC_ENABLE"});
    QCOMPARE(f->element("DEMO_POWER_MODE")->value(KeywordLabel, 0), QString("Run"));
    QStringList starts;
    for (QNEBlock *block : f->panel->locks().lockGraph()->blocks()) {
        if (!block->sourceBlock())
            starts << block->name() + ":" + block->outputPortNames().join(',');
    }
    QVERIFY2(starts.contains("DEMO_OSC_ENABLE:on") && starts.contains("DEMO_UART_PARITY:on"),
             qPrintable(starts.join(' ')));
}

QTEST_MAIN(TestLocks)
#include "tst_locks.moc"
