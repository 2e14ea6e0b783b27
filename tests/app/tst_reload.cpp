// Opening the same panel again and again in one window: every open replaces
// the panel before it and leaves nothing of it behind.
#include "activeelement.h"
#include "errorreporter.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "testenvironment.h"
#include "valueelement.h"

#include <QMap>
#include <QPointer>
#include <QtTest>

#include <memory>

class TestReload : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void reloadsLeaveNoObjectsBehind();
    void reopenLeavesNoObjectsBehind();
    void previousPanelGoesAtOnceUnlessAWalkRuns();

private:
    std::unique_ptr<MainWindow> makeWindow();
    bool openDemo(MainWindow *window);

    std::unique_ptr<TestEnvironment> env;
};

static const char demoPanel[] = QUILLMATE_EXAMPLES "/demo.xml";

void TestReload::init()
{
    env = std::make_unique<TestEnvironment>();
}

void TestReload::cleanup()
{
    env.reset();
}

std::unique_ptr<MainWindow> TestReload::makeWindow()
{
    auto window = std::make_unique<MainWindow>(CommandLineOptions());
    ErrorReporter::instance().setReportToMessageBox(true);
    ErrorReporter::instance().setReportToConsole(false);
    env->installPrompt({});
    return window;
}

// As between two user actions: the deletions the last open posted are done.
static void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool TestReload::openDemo(MainWindow *window)
{
    if (!window->open(QLatin1String(demoPanel)))
        return false;
    window->initLoadedConfiguration(true);
    settle();
    return true;
}

// The live objects below root (root itself not counted), by class name.
static QMap<QString, int> objectsBelow(const QObject *root)
{
    QMap<QString, int> counts;
    const QList<QObject *> all = root->findChildren<QObject *>();
    for (const QObject *object : all)
        ++counts[QLatin1String(object->metaObject()->className())];
    return counts;
}

static int total(const QMap<QString, int> &counts)
{
    int sum = 0;
    for (int count : counts)
        sum += count;
    return sum;
}

// The classes whose number changed, as "class: before -> after".
static QString difference(const QMap<QString, int> &before, const QMap<QString, int> &after)
{
    QStringList lines;
    QStringList names = before.keys() + after.keys();
    names.removeDuplicates();
    for (const QString &name : qAsConst(names)) {
        if (before.value(name) != after.value(name))
            lines << QStringLiteral("%1: %2 -> %3").arg(name).arg(before.value(name)).arg(after.value(name));
    }
    return lines.join(QStringLiteral("; "));
}

void TestReload::reloadsLeaveNoObjectsBehind()
{
    auto window = makeWindow();
    QVERIFY(openDemo(window.get()));
    const QMap<QString, int> first = objectsBelow(window.get());
    QVERIFY(window->panel()->getActiveElement(QStringLiteral("DEMO_OSC_ENABLE")));
    QVERIFY(window->panel()->getActiveElement(QStringLiteral("$DIR$")));

    for (int i = 0; i < 20; ++i)
        QVERIFY2(openDemo(window.get()), qPrintable(QStringLiteral("reload %1").arg(i + 1)));

    const QMap<QString, int> last = objectsBelow(window.get());
    QVERIFY2(total(last) == total(first), qPrintable(difference(first, last)));
    QCOMPARE(last, first);
    // The panel still works after the reloads: its elements and the hidden
    // project directory are those of the last open.
    QVERIFY(window->panel()->getActiveElement(QStringLiteral("DEMO_OSC_ENABLE")));
    ActiveElement *dir = window->panel()->getActiveElement(QStringLiteral("$DIR$"));
    QVERIFY(dir);
    QVERIFY(window->panel()->getAllElements().contains(dir));
    QCOMPARE(window->findChildren<QObject *>(QStringLiteral("$DIR$"), Qt::FindDirectChildrenOnly).size(), 1);
}

void TestReload::reopenLeavesNoObjectsBehind()
{
    auto window = makeWindow();
    QVERIFY(openDemo(window.get()));
    window->reopen();
    settle();
    const QMap<QString, int> first = objectsBelow(window.get());
    for (int i = 0; i < 5; ++i) {
        window->reopen();
        settle();
    }
    const QMap<QString, int> last = objectsBelow(window.get());
    QVERIFY2(last == first, qPrintable(difference(first, last)));
    QVERIFY(window->panel()->getActiveElement(QStringLiteral("DEMO_OSC_ENABLE")));
}

void TestReload::previousPanelGoesAtOnceUnlessAWalkRuns()
{
    auto window = makeWindow();
    QVERIFY(window->open(QLatin1String(demoPanel)));
    QPointer<QWidget> first = window->centralWidget();
    QPointer<QObject> firstElement = objectOf(window->panel()->getActiveElement(QStringLiteral("DEMO_OSC_ENABLE")));
    QVERIFY(first);
    QVERIFY(firstElement);

    // No element code runs: the next open deletes the old panel before it
    // reads, with no event loop in between.
    QVERIFY(window->open(QLatin1String(demoPanel)));
    QVERIFY(first.isNull());
    QVERIFY(firstElement.isNull());
    QPointer<QWidget> second = window->centralWidget();
    QPointer<QObject> secondElement = objectOf(window->panel()->getActiveElement(QStringLiteral("DEMO_OSC_ENABLE")));
    QVERIFY(second);
    QVERIFY(secondElement);
    QVERIFY(!window->panel()->elementCodeRunning());

    QPointer<QWidget> third;
    {
        // An element of the shown panel is in a walk whose action opens the
        // panel again: its panel stays until the walk is over.
        ElementGuard walk(secondElement.data(), window->panel());
        QVERIFY(window->panel()->elementCodeRunning());
        QVERIFY(window->open(QLatin1String(demoPanel)));
        QVERIFY(!second.isNull());
        QVERIFY(!secondElement.isNull());
        QVERIFY(second->isHidden());
        QVERIFY(!walk.alive());
        // A copy of the guard counts as a walk of its own.
        {
            ElementGuard copy = walk;
            QVERIFY(!copy.alive());
        }
        QVERIFY(window->panel()->elementCodeRunning());
        third = window->centralWidget();
        QVERIFY(third && third != second);
    }
    QVERIFY(!window->panel()->elementCodeRunning());
    QVERIFY(!second.isNull());

    // The next open with no walk running takes the panel left behind along
    // with the one it replaces.
    QVERIFY(window->open(QLatin1String(demoPanel)));
    QVERIFY(second.isNull());
    QVERIFY(secondElement.isNull());
    QVERIFY(third.isNull());
    QVERIFY(window->centralWidget());
    settle();
    QVERIFY(window->panel()->getActiveElement(QStringLiteral("DEMO_OSC_ENABLE")));
}

QTEST_MAIN(TestReload)
#include "tst_reload.moc"
