// Timer labels (counter, interval, run and single-shot flags, reset, the
// action walk and walks that end when the timer or its panel goes away) and
// log labels (the lines in the file and on the console, time stamps, append
// or overwrite, columns, unopenable files) with the panel's log refresh.
#include "elementfixture.h"
#include "boxcontainers.h"
#include "dataclass.h"
#include "loglabel.h"
#include "timerlabel.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

class TestTimerLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // TimerLabel
    void namelessTimersAreNumbered();
    void valueKeywords();
    void runningTimerCountsAndShowsTheCount();
    void singleShotTimerFiresOncePerStart();
    void resetRestoresTheDefaultsButNotTheLabel();
    void setDefStartsStopsAndTimesTheTimer();
    void panelResetRestartsOnlyTimersThatRun_data();
    void panelResetRestartsOnlyTimersThatRun();
    void actionWalkEmitsChangedSignalsInOrder();
    void sendUsbDelayRunsNestedWalksToABoundedDepth();
    void walkEndsWhenTheTimerOrItsPanelGoes_data();
    void walkEndsWhenTheTimerOrItsPanelGoes();

    // LogLabel
    void logLines_data();
    void logLines();
    void appendKeepsTheOldContentOverwriteEmptiesIt();
    void consoleEchoOfALine();
    void sameSourceTwiceGetsOneColumn();
    void unopenableFileIsReportedOnce();
    void logValueKeywords();

    // Panel::on_updateLog
    void elementChangeIsLoggedVariableChangeIsNot();

private:
    // A vertical root container shown as the panel; its timers and logs
    // belong to the fixture's panel.
    VerticalWidget *showPanel();
    TimerLabel *addTimer(VerticalWidget *root, const QString &name);
    QByteArray fileBytes(const QString &name) const;

    std::unique_ptr<ElementFixture> fx;
    std::unique_ptr<QTemporaryDir> dir;
};

// 2024-03-07 14:05:09.042 UTC, in the zone one hour east.
static QDateTime fixedTime()
{
    return QDateTime(QDate(2024, 3, 7), QTime(15, 5, 9, 42), Qt::OffsetFromUTC, 3600);
}

void TestTimerLog::initTestCase()
{
    fx = std::make_unique<ElementFixture>();
}

void TestTimerLog::init()
{
    fx->reset();
    fx->shell.host = &fx->panel;
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestTimerLog::cleanup()
{
    fx->shell.onLoadFile = nullptr;
    fx->panel.forgetAllElements();
    fx->shell.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

VerticalWidget *TestTimerLog::showPanel()
{
    return fx->panel.wiring().createVerticalWidget();
}

TimerLabel *TestTimerLog::addTimer(VerticalWidget *root, const QString &name)
{
    TimerLabel *timer = root->createTimerLabel(name, QString(), -1);
    fx->panel.registerElement(timer->objectName(), timer);
    const QStringList kinds = {"setDef", "loadFile", "startProgram", "runScript", "sendUSB"};
    for (const QString &kind : kinds)
        fx->panel.wiring().connectAction(QStringLiteral("changed_") + kind, kind, timer);
    return timer;
}

QByteArray TestTimerLog::fileBytes(const QString &name) const
{
    QFile file(dir->filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

// ---------------------------------------------------------------------------
// TimerLabel

void TestTimerLog::namelessTimersAreNumbered()
{
    // The number runs for the whole process: only its steps are known.
    TimerLabel first{QString()};
    TimerLabel second{QString()};
    TimerLabel named{QStringLiteral("BLINK")};
    TimerLabel third{QString()};
    QVERIFY(first.objectName().startsWith(QLatin1String("TIMER_")));
    const int n = first.objectName().mid(6).toInt();
    QCOMPARE(second.objectName(), QStringLiteral("TIMER_%1").arg(n + 1));
    QCOMPARE(named.objectName(), QStringLiteral("BLINK"));
    QCOMPARE(third.objectName(), QStringLiteral("TIMER_%1").arg(n + 2));
    QCOMPARE(first.text(), QStringLiteral("0"));
}

void TestTimerLog::valueKeywords()
{
    TimerLabel timer(QStringLiteral("T"));
    timer.setDefaultInterval(100);
    timer.setValue(QStringLiteral("42"), KeywordValue);
    QCOMPARE(timer.value(KeywordValue, 1), QStringLiteral("42"));
    QCOMPARE(timer.value(KeywordDefineValue, 1), QStringLiteral("42"));
    QCOMPARE(timer.value(KeywordTypeInfo, 1), QStringLiteral("TimerLabel"));
    // Setting the counter does not redraw the label.
    QCOMPARE(timer.text(), QStringLiteral("0"));
    timer.setValue(QStringLiteral("many"), KeywordValue);
    QCOMPARE(timer.counter(), 0);

    QVERIFY(fx->transcript().isEmpty());
    QCOMPARE(timer.value(KeywordLabel, 1), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type \"label\" from \"T\"")));

    timer.setValue(QStringLiteral("250"), 5); // interval
    QCOMPARE(timer.interval(), 250);
    QCOMPARE(timer.defaultInterval(), 100);
    QVERIFY(!timer.isRunning());
    timer.setValue(QStringLiteral("1"), 6); // run
    QVERIFY(timer.isRunning());
    QCOMPARE(timer.findChild<QTimer *>()->interval(), 250);
    timer.setValue(QStringLiteral("0"), 6);
    QVERIFY(!timer.isRunning());
    // Other keywords are ignored without a report.
    const int reports = fx->transcript().size();
    timer.setValue(QStringLiteral("7"), KeywordLabel);
    QCOMPARE(timer.counter(), 0);
    QCOMPARE(fx->transcript().size(), reports);
}

void TestTimerLog::runningTimerCountsAndShowsTheCount()
{
    TimerLabel timer(QStringLiteral("T"));
    timer.setDefaultInterval(5);
    timer.initialize();
    QVERIFY(!timer.isRunning()); // without the run flag it waits to be started
    timer.setRun(true);
    timer.initialize();
    QVERIFY(timer.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(timer.counter() >= 3, 5000);
    timer.setRunning(false);
    const int count = timer.counter();
    QCOMPARE(timer.text(), QString::number(count));
    QTest::qWait(30);
    QCOMPARE(timer.counter(), count);
}

void TestTimerLog::singleShotTimerFiresOncePerStart()
{
    TimerLabel timer(QStringLiteral("T"));
    timer.setDefaultInterval(1);
    timer.setSingleShot(true);
    timer.setRun(true);
    timer.initialize();
    QTRY_COMPARE_WITH_TIMEOUT(timer.counter(), 1, 5000);
    QTest::qWait(30);
    QCOMPARE(timer.counter(), 1);
    QVERIFY(!timer.isRunning());
    timer.setRunning(true);
    QTRY_COMPARE_WITH_TIMEOUT(timer.counter(), 2, 5000);
    QTest::qWait(30);
    QCOMPARE(timer.counter(), 2);
}

void TestTimerLog::resetRestoresTheDefaultsButNotTheLabel()
{
    TimerLabel timer(QStringLiteral("T"));
    timer.setDefaultInterval(1000);
    for (int i = 0; i < 5; ++i)
        timer.IncrementCounter();
    QCOMPARE(timer.text(), QStringLiteral("5"));
    timer.setInterval(20);

    // Without the run flag a reset leaves the timer stopped.
    timer.reset();
    QCOMPARE(timer.value(KeywordValue, 1), QStringLiteral("0"));
    QCOMPARE(timer.text(), QStringLiteral("5"));
    QCOMPARE(timer.interval(), 1000);
    QVERIFY(!timer.isRunning());

    timer.setInterval(20);
    timer.setRun(true);
    timer.reset();
    QVERIFY(timer.isRunning());
    QCOMPARE(timer.findChild<QTimer *>()->interval(), 1000);
    timer.IncrementCounter();
    QCOMPARE(timer.text(), QStringLiteral("1"));
}

void TestTimerLog::setDefStartsStopsAndTimesTheTimer()
{
    VerticalWidget *root = showPanel();
    TimerLabel *timer = addTimer(root, QString());
    const QString name = timer->objectName();
    timer->setDefaultInterval(1000);

    fx->panel.setDef(name + QStringLiteral(".interval=0x20"));
    QCOMPARE(timer->interval(), 32);
    QVERIFY(!timer->isRunning());
    fx->panel.setDef(name + QStringLiteral(".run=1"));
    QVERIFY(timer->isRunning());
    QCOMPARE(timer->findChild<QTimer *>()->interval(), 32);
    fx->panel.setDef(name + QStringLiteral(".run=0"));
    QVERIFY(!timer->isRunning());
    fx->panel.setDef(name + QStringLiteral("=12"));
    QCOMPARE(timer->counter(), 12);
    QVERIFY(fx->transcript().isEmpty());
}

void TestTimerLog::panelResetRestartsOnlyTimersThatRun_data()
{
    QTest::addColumn<bool>("run");
    QTest::newRow("run flag set") << true;
    QTest::newRow("run flag clear") << false;
}

void TestTimerLog::panelResetRestartsOnlyTimersThatRun()
{
    QFETCH(bool, run);
    VerticalWidget *root = showPanel();
    TimerLabel *timer = addTimer(root, QStringLiteral("T"));
    timer->setDefaultInterval(1);
    timer->setSingleShot(true);
    timer->setRun(run);
    timer->initialize();
    timer->setValue(QStringLiteral("9"), KeywordValue);
    timer->setInterval(5000);
    timer->setRunning(true);

    // Reset twice: every reset initialises the timer again.
    fx->panel.resetGUI();
    fx->panel.resetGUI();
    QCOMPARE(timer->counter(), 0);
    QCOMPARE(timer->interval(), 1);
    QCOMPARE(timer->isRunning(), run);
    QVERIFY(fx->shell.modified);
    if (!run) {
        QTest::qWait(20);
        QCOMPARE(timer->counter(), 0);
        return;
    }
    // One timeout counts once, however often the panel was reset.
    QTRY_COMPARE_WITH_TIMEOUT(timer->counter(), 1, 5000);
    QTest::qWait(20);
    QCOMPARE(timer->counter(), 1);
}

void TestTimerLog::actionWalkEmitsChangedSignalsInOrder()
{
    VerticalWidget *root = showPanel();
    TimerLabel *timer = addTimer(root, QStringLiteral("T"));
    // The event is not looked at; resetGUI has no timer signal; a condition
    // that does not hold skips its action.
    timer->setElementProperty(
        "data", actionData({"changed_setDef", "", "A=1",
                            "changed_resetGUI", "", "",
                            "changed_sendUSB", "", "1;2", "3:1", "0",
                            "clicked_loadFile", "", "next.xml",
                            "changed_runScript", "0", "never.qsc",
                            "changed_startProgram", "1", "tool.exe",
                            "changed_runScript", "", "go.qsc"}));
    SignalLog log(timer);
    timer->IncrementCounter();
    QCOMPARE(log.entries, QStringList({"changed_setDef(A=1)", "changed_sendUSB(1;2)", "changed_recData(3:1)",
                                       "changed_loadFile(next.xml)", "changed_startProgram(tool.exe)",
                                       "changed_runScript(go.qsc)", "updateMathLabels()"}));
    // The panel carries them out.
    QCOMPARE(fx->shell.sentUSB, QStringList{"1;2"});
    QCOMPARE(fx->shell.receivedData, QStringList{"3:1"});
    QCOMPARE(fx->shell.loadedFiles, QStringList{"next.xml"});
    QCOMPARE(fx->shell.programs, QStringList{"tool.exe"});
    QCOMPARE(fx->shell.scripts, QStringList{"go.qsc"});
    QCOMPARE(timer->text(), QStringLiteral("1"));
}

void TestTimerLog::sendUsbDelayRunsNestedWalksToABoundedDepth()
{
    TimerLabel timer(QStringLiteral("T"));
    // Each walk waits 300 ms, far longer than the timer's interval. Qt does
    // not deliver a timer's timeout while its last one is handled, but a
    // timer started again (as by T.run=1) runs its next walk inside the
    // waiting one.
    timer.setElementProperty("data", actionData({"changed_sendUSB", "", "S", "", "300",
                                                 "changed_setDef", "", "DONE=1"}));
    int sent = 0;
    int done = 0;
    int deepest = 0;
    connect(signalsOf(&timer), &ElementSignals::changed_sendUSB, &timer, [&] {
        ++sent;
        deepest = qMax(deepest, sent - done);
        // Enough to go past any bound; then no more timeouts.
        timer.setRunning(sent < 24);
    });
    connect(signalsOf(&timer), &ElementSignals::changed_setDef, &timer, [&] { ++done; });
    timer.setDefaultInterval(2);
    timer.setRun(true);
    timer.initialize();
    QTRY_VERIFY_WITH_TIMEOUT(sent == 24 && done == sent, 30000);
    QVERIFY2(deepest > 1, "walks nest during the wait");
    QVERIFY2(deepest <= 16, qPrintable(QStringLiteral("%1 walks nested").arg(deepest)));
    // Timeouts beyond the bound still count.
    QVERIFY(timer.counter() > sent);
}

void TestTimerLog::walkEndsWhenTheTimerOrItsPanelGoes_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("an action opens another panel") << "replace panel";
    QTest::newRow("an action deletes the timer") << "delete timer";
    QTest::newRow("the timer is deleted during a send delay") << "delete while waiting";
    QTest::newRow("another panel opens during a send delay") << "replace while waiting";
}

void TestTimerLog::walkEndsWhenTheTimerOrItsPanelGoes()
{
    QFETCH(QString, how);
    const bool waiting = how.endsWith(QLatin1String("while waiting"));
    const bool replace = how.startsWith(QLatin1String("replace"));

    VerticalWidget *root = showPanel();
    QPointer<TimerLabel> timer = addTimer(root, QStringLiteral("T"));
    QPointer<QWidget> oldPanel = fx->shell.panelWidget();
    QVariantList actions;
    if (waiting)
        actions << "changed_sendUSB" << "" << "S" << "" << "100";
    else
        actions << "changed_loadFile" << "" << "next.xml";
    actions << "changed_setDef" << "" << "AFTER=1";
    timer->setElementProperty("data", actionData(actions));
    SignalLog log(timer);

    // What the load or the stray event does to the panel. The timer's walk
    // counts as running element code: the old panel then goes only later.
    bool walkCounted = false;
    const auto strike = [this, replace, timer, &walkCounted] {
        walkCounted = fx->panel.elementCodeRunning();
        if (replace) {
            fx->panel.clear();
            fx->panel.forgetAllElements();
            showPanel();
        } else {
            delete timer.data();
        }
    };
    QObject context;
    if (waiting) {
        connect(signalsOf(timer), &ElementSignals::changed_sendUSB, &context,
                [&] { QTimer::singleShot(0, &context, strike); });
    } else {
        fx->shell.onLoadFile = [strike](const QString &) { strike(); };
    }

    // Started as the program starts it: the timeout comes from the event loop.
    timer->setDefaultInterval(0);
    timer->setSingleShot(true);
    timer->setRun(true);
    timer->initialize();
    QTRY_VERIFY_WITH_TIMEOUT(!timer || fx->shell.panelWidget() != oldPanel.data(), 5000);
    // Nothing of the walk after the strike: no later action, no refresh.
    QTest::qWait(waiting ? 150 : 10);
    QVERIFY(!log.entries.contains(QStringLiteral("changed_setDef(AFTER=1)")));
    QVERIFY(!log.entries.contains(QStringLiteral("updateMathLabels()")));
    QVERIFY(fx->panel.getActiveElement(QStringLiteral("AFTER")) == nullptr);
    QVERIFY(walkCounted);
    QVERIFY(!fx->panel.elementCodeRunning());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(timer.isNull());
    if (replace)
        QVERIFY(oldPanel.isNull());
}

// ---------------------------------------------------------------------------
// LogLabel

void TestTimerLog::logLines_data()
{
    QTest::addColumn<char>("delimiter");
    QTest::addColumn<int>("stamp");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QByteArray>("file");

    const QDateTime afterMidnight(QDate(2024, 3, 8), QTime(0, 30, 5, 7), Qt::OffsetFromUTC, 3600);
    QTest::newRow("semicolons, no time stamp") << ';' << 0 << fixedTime() << QByteArray("Temp;Volt\n23;3300\n24;3300\n");
    QTest::newRow("tab by default") << '\t' << 0 << fixedTime() << QByteArray("Temp\tVolt\n23\t3300\n24\t3300\n");
    QTest::newRow("date and time in UTC")
        << ';' << 1 << fixedTime()
        << QByteArray("Temp;Volt\n2024.03.07/14:05:09;23;3300\n2024.03.07/14:05:09;24;3300\n");
    QTest::newRow("UTC date of a local time after midnight")
        << ';' << 1 << afterMidnight
        << QByteArray("Temp;Volt\n2024.03.07/23:30:05;23;3300\n2024.03.07/23:30:05;24;3300\n");
    QTest::newRow("time with milliseconds")
        << ',' << 2 << fixedTime() << QByteArray("Temp,Volt\n14:05:09:0042,23,3300\n14:05:09:0042,24,3300\n");
    QTest::newRow("unknown kind writes no stamp") << ';' << 7 << fixedTime() << QByteArray("Temp;Volt\n23;3300\n24;3300\n");
}

void TestTimerLog::logLines()
{
    QFETCH(char, delimiter);
    QFETCH(int, stamp);
    QFETCH(QDateTime, now);
    QFETCH(QByteArray, file);

    LogLabel log(QStringLiteral("LOG"));
    QCOMPARE(log.text(), QStringLiteral("0"));
    log.setFileName(dir->filePath(QStringLiteral("data.log")));
    if (delimiter != '\t')
        log.setDelimiter(delimiter);
    log.setTimeStampKind(quint8(stamp));
    log.setClock([now] { return now; });
    QVERIFY(log.addLogItem(QStringLiteral("Temp"), QStringLiteral("A")));
    QVERIFY(log.addLogItem(QStringLiteral("Volt"), QStringLiteral("B")));

    // Only the last column writes; an unknown source changes nothing.
    log.logValue(QStringLiteral("A"), QStringLiteral("23"));
    QVERIFY(!QFile::exists(log.fileName()));
    log.logValue(QStringLiteral("C"), QStringLiteral("99"));
    log.logValue(QStringLiteral("B"), QStringLiteral("3300"));
    log.logValue(QStringLiteral("A"), QStringLiteral("24"));
    log.logValue(QStringLiteral("B"), QStringLiteral("3300"));
    QCOMPARE(fileBytes(QStringLiteral("data.log")), file);
    QVERIFY(fx->transcript().isEmpty());
    QVERIFY(fx->consoleHtml().isEmpty());
}

void TestTimerLog::appendKeepsTheOldContentOverwriteEmptiesIt()
{
    const QString path = dir->filePath(QStringLiteral("run.log"));
    const auto run = [&path](bool append, const QStringList &values) {
        LogLabel log(QStringLiteral("LOG"));
        log.setFileName(path);
        log.setAppend(append);
        log.addLogItem(QStringLiteral("Ünits"), QStringLiteral("X"));
        for (const QString &value : values)
            log.logValue(QStringLiteral("X"), value);
    };
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old line\n");
    }
    run(true, {"1", "2"});
    QCOMPARE(fileBytes(QStringLiteral("run.log")), QByteArray("old line\n\xc3\x9cnits\n1\n2\n"));
    // A new life of the element writes its labels again.
    run(true, {"µ"});
    QCOMPARE(fileBytes(QStringLiteral("run.log")),
             QByteArray("old line\n\xc3\x9cnits\n1\n2\n\xc3\x9cnits\n\xc2\xb5\n"));
    // Overwrite empties the file at the first line only.
    run(false, {"5", "6"});
    QCOMPARE(fileBytes(QStringLiteral("run.log")), QByteArray("\xc3\x9cnits\n5\n6\n"));
}

void TestTimerLog::consoleEchoOfALine()
{
    LogLabel log(QStringLiteral("LOG"));
    log.setFileName(dir->filePath(QStringLiteral("echo.log")));
    log.setDelimiter(';');
    log.setTimeStampKind(LogLabel::TimeWithMilliseconds);
    log.setConsole(true);
    log.setClock(fixedTime);
    log.addLogItem(QStringLiteral("Temp"), QStringLiteral("A"));
    log.addLogItem(QStringLiteral("Volt"), QStringLiteral("B"));
    log.logValue(QStringLiteral("A"), QStringLiteral("23"));
    log.logValue(QStringLiteral("B"), QStringLiteral("3300"));
    QCOMPARE(fx->shell.console, QStringList{"</b>14:05:09:0042 23 3300 <br>"});
    QCOMPARE(fileBytes(QStringLiteral("echo.log")), QByteArray("Temp;Volt\n14:05:09:0042;23;3300\n"));

    // Date and time; values are text, not markup; no file needed.
    LogLabel bare(QStringLiteral("BARE"));
    bare.setConsole(true);
    bare.setTimeStampKind(LogLabel::DateAndTime);
    bare.setClock(fixedTime);
    bare.addLogItem(QStringLiteral("Text"), QStringLiteral("T"));
    bare.logValue(QStringLiteral("T"), QStringLiteral("<b>x</b>"));
    QCOMPARE(fx->shell.console.last(), QStringLiteral("</b>2024.03.07/14:05:09 &lt;b&gt;x&lt;/b&gt; <br>"));
    QVERIFY(fx->transcript().isEmpty());
}

void TestTimerLog::sameSourceTwiceGetsOneColumn()
{
    LogLabel log(QStringLiteral("LOG"));
    log.setFileName(dir->filePath(QStringLiteral("twice.log")));
    log.setDelimiter(';');
    QVERIFY(log.addLogItem(QStringLiteral("First"), QStringLiteral("A")));
    QVERIFY(log.addLogItem(QStringLiteral("Second"), QStringLiteral("B")));
    QVERIFY(!log.addLogItem(QStringLiteral("Again"), QStringLiteral("A")));
    QCOMPARE(log.itemCount(), 2);
    log.logValue(QStringLiteral("A"), QStringLiteral("1"));
    log.logValue(QStringLiteral("B"), QStringLiteral("2"));
    QCOMPARE(fileBytes(QStringLiteral("twice.log")), QByteArray("First;Second\n1;2\n"));
}

void TestTimerLog::unopenableFileIsReportedOnce()
{
    const QString missing = dir->filePath(QStringLiteral("later/x.log"));
    LogLabel log(QStringLiteral("LOG"));
    log.setFileName(missing);
    log.addLogItem(QStringLiteral("N"), QStringLiteral("X"));
    log.logValue(QStringLiteral("X"), QStringLiteral("1"));
    log.logValue(QStringLiteral("X"), QStringLiteral("2"));
    QCOMPARE(fx->transcript().filter(QStringLiteral("Cannot open file ") + missing).size(), 1);

    // Once the folder is there the labels come first, then the line.
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("later")));
    log.logValue(QStringLiteral("X"), QStringLiteral("3"));
    QCOMPARE(fileBytes(QStringLiteral("later/x.log")), QByteArray("N\n3\n"));
    // A new failure after a success is reported again.
    QVERIFY(QFile::remove(missing));
    QVERIFY(QDir(dir->path()).rmdir(QStringLiteral("later")));
    log.logValue(QStringLiteral("X"), QStringLiteral("4"));
    QCOMPARE(fx->transcript().filter(QStringLiteral("Cannot open file ") + missing).size(), 2);
}

void TestTimerLog::logValueKeywords()
{
    LogLabel log(QStringLiteral("LOG"));
    log.setValue(QStringLiteral("5"), KeywordValue);
    QCOMPARE(log.value(KeywordValue, 1), QStringLiteral("0"));
    QCOMPARE(log.value(KeywordTypeInfo, 1), QStringLiteral("LogLabel"));
    QCOMPARE(log.storedValueText(), QString());
    QVERIFY(log.acceptsBitRange(7, 3));
    QCOMPARE(log.value(KeywordIndex, 1), QString());
    QVERIFY(fx->reported(QStringLiteral("Can not return value of type \"index\" from \"LOG\"")));
}

// ---------------------------------------------------------------------------
// Panel::on_updateLog

void TestTimerLog::elementChangeIsLoggedVariableChangeIsNot()
{
    VerticalWidget *root = showPanel();
    TimerLabel *timer = addTimer(root, QStringLiteral("COUNT"));
    const auto addLog = [&](const QString &file, const QString &label, const QString &data) {
        LogLabel *log = root->createLogLabel(file, QString(), -1);
        log->setFileName(dir->filePath(file));
        log->addLogItem(label, data);
        fx->panel.addLog(data, log);
        return log;
    };
    // Two logs of the timer, one of a target variable.
    addLog(QStringLiteral("count.log"), QStringLiteral("Count"), QStringLiteral("COUNT"));
    addLog(QStringLiteral("again.log"), QStringLiteral("Again"), QStringLiteral("COUNT"));
    LogLabel *levelLog = addLog(QStringLiteral("level.log"), QStringLiteral("Level"), QStringLiteral("LEVEL"));
    levelLog->setConsole(true);
    fx->panel.wiring().connectElementToLogs(timer);
    DataClass level(QStringLiteral("LEVEL"));
    level.setValue(7);
    fx->panel.wiring().connectVariableToLogs(&level);

    emit level.updateLEDs();
    QCoreApplication::processEvents();
    QVERIFY(!QFile::exists(levelLog->fileName()));
    QVERIFY(fx->consoleHtml().isEmpty());

    timer->IncrementCounter();
    timer->IncrementCounter();
    QCOMPARE(fileBytes(QStringLiteral("count.log")), QByteArray("Count\n1\n2\n"));
    QCOMPARE(fileBytes(QStringLiteral("again.log")), QByteArray("Again\n1\n2\n"));
    QVERIFY(fx->transcript().isEmpty());
}

QTEST_MAIN(TestTimerLog)
#include "tst_timerlog.moc"
