// The panel reader's builders of logs (with their logitem columns) and
// timers, on small panels of our own, and a timer logged by a log from the
// panel file on.

#include "readerfixture.h"
#include "errorreporter.h"
#include "loglabel.h"
#include "quillpanel.h"
#include "panelconnections.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "programversion.h"
#include "timerlabel.h"

#include <QLayout>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class TestLogTimerBuilders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void logAttributesAndColumns();
    void logMessages();
    void timerAttributesAndActions();
    void namelessAndHiddenTimers();
    void timerLoggedFromThePanelFile();

private:
    bool read(const QByteArray &elements);
    QWidget *root() const { return fx->root(); }
    template <class T>
    T *find(const QString &name) const
    {
        return root() ? root()->findChild<T *>(name) : nullptr;
    }
    QStringList consoleLines() const { return fx->consoleText().split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    // Whether the element's signal is connected to the panel's slot; drops it.
    template <typename Slot>
    bool connected(QObject *element, void (ElementSignals::*signal)(), Slot slot) const
    {
        return QObject::disconnect(signalsOf(element), signal, &fx->panel, slot);
    }
    // An element's display refreshes are listed by its signals, and its user
    // changes reported to the panel, without a connection per element.
    bool connected(QObject *element, void (ElementSignals::*signal)(), Panel::RefreshSlot slot) const
    {
        if (signal == &ElementSignals::updateMathLabels)
            return fx->panel.wiring().runsRefresh(signalsOf(element), slot);
        if (signal == &ElementSignals::changedByUser && slot == &Panel::changed)
            return fx->panel.wiring().reportsChangedByUser(element);
        return QObject::disconnect(signalsOf(element), signal, &fx->panel, slot);
    }
    template <typename Slot>
    bool connected(QObject *element, ElementSignals::TextSignal signal, Slot slot) const
    {
        return QObject::disconnect(signalsOf(element), signal, &fx->panel, slot);
    }

    std::unique_ptr<ReaderFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

void TestLogTimerBuilders::initTestCase()
{
    readProgramVersion();
    fx = std::make_unique<ReaderFixture>();
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestLogTimerBuilders::init()
{
    ErrorReporter::instance().setSinks(true, false, false);
}

void TestLogTimerBuilders::cleanupTestCase()
{
    fx.reset();
}

bool TestLogTimerBuilders::read(const QByteArray &elements)
{
    return fx->readPanelFile(dir->filePath(QStringLiteral("panel.xml")),
                             verticalPanelText(QString::fromUtf8(elements)));
}

// ---------------------------------------------------------------------------
// Logs

void TestLogTimerBuilders::logAttributesAndColumns()
{
    QVERIFY(read("<log define=\"LOG\" label=\"Data\" filename=\"logs\\run.log\" append=\"0\" console=\"1\""
                 " delimiter=\"59\" timestamp=\"2\" type=\"csv\">"
                 "<logitem data=\"A\" label=\"Temp\"/>"
                 "<logitem data=\"B\"><action event=\"changed\" cmd=\"setDef\" data=\"X=1\"/></logitem>"
                 "<note data=\"N\" label=\"Note\"/>"
                 "<logitem data=\"C\" label=\"Volt\"/>"
                 "</log>"
                 "<log define=\"PLAIN\" delimiter=\";\" timestamp=\"x\"/>"
                 "<log define=\"ACTIONS\"><logitem data=\"D\" label=\"D\">"
                 "<action event=\"changed\" cmd=\"setDef\" data=\"Y=1\"/></logitem></log>"));
    auto *log = find<LogLabel>(QStringLiteral("LOG"));
    QVERIFY(log);
    QCOMPARE(log->text(), QStringLiteral("0"));
    QCOMPARE(log->fileName(), QStringLiteral("logs/run.log"));
    QVERIFY(!log->appends());
    QVERIFY(log->console());
    QCOMPARE(log->delimiter(), ';');
    QCOMPARE(log->timeStampKind(), quint8(2));
    QCOMPARE(log->type(), QStringLiteral("csv"));
    // The item without a label is no column, nor is the element of another name.
    QCOMPARE(log->itemCount(), 2);
    QVERIFY(log->hasLogItem(QStringLiteral("A")) && log->hasLogItem(QStringLiteral("C")));
    QVERIFY(!log->hasLogItem(QStringLiteral("B")) && !log->hasLogItem(QStringLiteral("N")));
    QCOMPARE(log->elementProperty("data").toString(), QStringLiteral("C"));
    QCOMPARE(fx->panel.registries().logItemsByData.value(QStringLiteral("A")), QList<LogLabel *>{log});
    QCOMPARE(fx->panel.registries().logItemsByData.value(QStringLiteral("C")), QList<LogLabel *>{log});
    QVERIFY(!fx->panel.registries().logItemsByData.contains(QStringLiteral("B")));
    // A log is named by its define but bound to none.
    QVERIFY(!fx->panel.getActiveElement(QStringLiteral("LOG")));

    // Defaults, and numbers that are no decimal numbers.
    auto *plain = find<LogLabel>(QStringLiteral("PLAIN"));
    QVERIFY(plain->appends());
    QVERIFY(!plain->console());
    QCOMPARE(plain->delimiter(), '\0');
    QCOMPARE(plain->timeStampKind(), quint8(0));
    QCOMPARE(plain->fileName(), QString());

    // A column's actions are filed under its number.
    auto *actions = find<LogLabel>(QStringLiteral("ACTIONS"));
    QCOMPARE(actions->elementProperty("data").toMap().value(QStringLiteral("0")).toStringList(),
             QStringList({"changed_setDef", "", "Y=1"}));
    QCOMPARE(consoleLines(), QStringList());
}

void TestLogTimerBuilders::logMessages()
{
    QVERIFY(read("<log label=\"Nameless\"><logitem data=\"A\" label=\"Temp\"/></log>"
                 "<log define=\"TWICE\" delimiter=\"44\">"
                 "<logitem data=\"A\" label=\"First\"/>"
                 "<logitem data=\"A\" label=\"Again\"/>"
                 "<logitem data=\"B\" label=\"Second\"/></log>"));
    QCOMPARE(consoleLines(),
             QStringList({"XML Error: Log without define is not allowed: (file line 5, column 22)",
                          "XML Warning: Source logged twice in one log, the second column is not added: A "
                          "(file line 5, column 161)"}));
    // The log is built all the same; the second column of A is not.
    auto *twice = find<LogLabel>(QStringLiteral("TWICE"));
    QCOMPARE(twice->itemCount(), 2);
    QCOMPARE(fx->panel.registries().logItemsByData.value(QStringLiteral("A")).count(twice), 1);
    QCOMPARE(root()->findChildren<LogLabel *>().size(), 2);
}

// ---------------------------------------------------------------------------
// Timers

void TestLogTimerBuilders::timerAttributesAndActions()
{
    QVERIFY(read("<header file=\"timers.h\">"
                 "<timer define=\"BLINK\" label=\"Blink\" run=\"1\" singleShot=\"0\" interval=\"250\">"
                 "<action event=\"changed\" cmd=\"setDef\" data=\"LED=1\"/>"
                 "<action event=\"changed\" cmd=\"sendUSB\" data=\"1\" recdata=\"2\" delay=\"5\"/>"
                 "<action event=\"changed\" cmd=\"resetGUI\" data=\"\"/>"
                 "<action event=\"clicked\" cmd=\"runScript\" data=\"s.qsc\"/>"
                 "</timer></header>"
                 "<timer define=\"ONCE\" singleShot=\"2\" interval=\"0x10\" run=\"0\"/>"));
    auto *blink = find<TimerLabel>(QStringLiteral("BLINK"));
    QVERIFY(blink);
    QCOMPARE(blink->text(), QStringLiteral("0"));
    QVERIFY(blink->runs());
    QVERIFY(!blink->isSingleShot());
    QCOMPARE(blink->defaultInterval(), 250);
    QCOMPARE(blink->interval(), 250);
    QVERIFY(!blink->isRunning()); // started by the post-load set-up
    QCOMPARE(blink->elementProperty("run").toString(), QStringLiteral("1"));
    QCOMPARE(blink->elementProperty("singleShot").toString(), QStringLiteral("0"));
    QCOMPARE(blink->elementProperty("interval").toString(), QStringLiteral("250"));
    QCOMPARE(blink->header(), QStringLiteral("timers.h"));
    QCOMPARE(fx->panel.registries().timersByName.value(QStringLiteral("BLINK")), blink);
    QCOMPARE(fx->panel.getActiveElement(QStringLiteral("BLINK")), static_cast<ActiveElement *>(blink));
    QCOMPARE(blink->elementProperty("data").toMap().value(QStringLiteral("0")).toStringList(),
             QStringList({"changed_setDef", "", "LED=1", "changed_sendUSB", "", "1", "2", "5", "changed_resetGUI",
                          "", "", "clicked_runScript", "", "s.qsc"}));

    QVERIFY(connected(blink, &ElementSignals::changed_setDef, &Panel::setDef));
    QVERIFY(connected(blink, &ElementSignals::changed_sendUSB, &Panel::sendUSB));
    QVERIFY(connected(blink, &ElementSignals::changed_recData, &Panel::recData));
    // The walk sends the clicked runScript as changed_runScript: it reaches the panel.
    QVERIFY(connected(blink, &ElementSignals::changed_runScript, &Panel::runScript));
    QVERIFY(!connected(blink, &ElementSignals::changed_resetGUI, &Panel::resetGUI));
    for (const char *slot : {"on_updateMathLabel", "on_updateLED", "on_updateSvgImage", "on_updateCurve",
                             "on_updateDial", "on_updateThermo", "on_updateLog"})
        QVERIFY2(connected(blink, &ElementSignals::updateMathLabels, refreshSlot(slot)), slot);
    QVERIFY(!connected(blink, &ElementSignals::changedByUser, &Panel::changed));

    auto *once = find<TimerLabel>(QStringLiteral("ONCE"));
    QVERIFY(!once->runs());
    QVERIFY(once->isSingleShot());
    // The interval is a decimal number; anything else counts 0.
    QCOMPARE(once->defaultInterval(), 0);
    QCOMPARE(once->elementProperty("singleShot").toString(), QStringLiteral("2"));
    QCOMPARE(once->elementProperty("interval").toString(), QStringLiteral("0"));

    QCOMPARE(consoleLines(), QStringList({"XML Warning: Can't use event \"clicked\" in UI element \"Timer\" BLINK "
                                          "(file line 5, column 321)"}));
}

void TestLogTimerBuilders::namelessAndHiddenTimers()
{
    QVERIFY(read("<timer interval=\"5\"/>"
                 "<timer define=\"HIDDEN\" visible=\"false\" run=\"1\" interval=\"10\"/>"
                 "<timer/>"));
    const QList<TimerLabel *> timers = root()->findChildren<TimerLabel *>();
    QCOMPARE(timers.size(), 3);
    auto *first = timers.at(0);
    auto *hidden = find<TimerLabel>(QStringLiteral("HIDDEN"));
    auto *third = timers.at(2);
    QVERIFY(first->objectName().startsWith(QLatin1String("TIMER_")));
    QCOMPARE(third->objectName(), QStringLiteral("TIMER_%1").arg(first->objectName().mid(6).toInt() + 1));

    // Without a define a timer is known by its name: set, started and
    // stopped like the others, with no header of its own.
    QCOMPARE(fx->panel.getActiveElement(first->objectName()), static_cast<ActiveElement *>(first));
    QCOMPARE(fx->panel.registries().timersByName.value(first->objectName()), first);
    QCOMPARE(first->host(), static_cast<ElementHost *>(&fx->panel));
    QVERIFY(first->header().isEmpty());
    QVERIFY(fx->panel.registries().moduleTable.isEmpty() || !fx->panel.getModule(first->objectName()));
    QCOMPARE(fx->panel.getAllElements().size(), 3);

    // The hidden timer is in no layout, but goes with the panel.
    QCOMPARE(hidden->parentWidget(), root());
    QCOMPARE(root()->layout()->indexOf(hidden), -1);
    QVERIFY(hidden->isHidden());
    QVERIFY(fx->panel.registries().invisibleElements.contains(hidden));
    QCOMPARE(fx->panel.registries().timersByName.value(QStringLiteral("HIDDEN")), hidden);
    QCOMPARE(hidden->host(), static_cast<ElementHost *>(&fx->panel));
    QVERIFY(hidden->runs());
    QCOMPARE(consoleLines(), QStringList());

    fx->panel.setDef(first->objectName() + QStringLiteral(".run=1"));
    QVERIFY(first->isRunning());
    fx->panel.stopTimers();
    QVERIFY(!first->isRunning());
}

void TestLogTimerBuilders::timerLoggedFromThePanelFile()
{
    // The file named with "\" as a panel made on Windows names it.
    QString logFile = dir->filePath(QStringLiteral("ticks.log"));
    QFile::remove(logFile);
    QString written = logFile;
    written.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QVERIFY(read(QStringLiteral("<timer define=\"TICK\" interval=\"1\" run=\"1\">"
                                "<action event=\"changed\" cmd=\"setDef\" data=\"TICK.run=0\"/></timer>"
                                "<timer define=\"OTHER\"/>"
                                "<log define=\"LOG\" filename=\"%1\" delimiter=\"59\">"
                                "<logitem data=\"OTHER\" label=\"Other\"/>"
                                "<logitem data=\"TICK\" label=\"Ticks\"/></log>")
                     .arg(written)
                     .toUtf8()));
    auto *tick = find<TimerLabel>(QStringLiteral("TICK"));
    QVERIFY(tick);
    // The post-load set-up starts the timers; the first timeout stops this one.
    for (ActiveElement *element : fx->panel.getAllElements())
        element->initialize();
    QTRY_VERIFY_WITH_TIMEOUT(!tick->isRunning(), 5000);
    QCOMPARE(tick->counter(), 1);
    QFile file(logFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Other;Ticks\n;1\n"));
}

QTEST_MAIN(TestLogTimerBuilders)
#include "tst_logtimerbuilders.moc"
