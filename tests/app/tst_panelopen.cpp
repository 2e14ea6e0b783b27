// Opening panels, the home panel of a new project, reloading and loadFile, and
// the panel state a read leaves behind.
#include "activeelement.h"
#include "checkbox.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "panelxml.h"
#include "panelxmlreader.h"
#include "pollingthreads.h"
#include "testenvironment.h"

#include <QDockWidget>
#include <QScrollArea>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

class TestPanelOpen : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void openBuildsThePanelWithItsBuiltIns();
    void openTwiceReplacesEverything();
    void replacedShownPanelGoesAtOnceWithItsContents();
    void missingHomePanelIsReportedAndNothingElseChanges();
    void brokenHomePanelIsReportedOnceWithoutRecursion();
    void homePanelStaysLoadingAndHidesTheConsole();
    void unreadablePanelFallsBackToTheHomePanel();
    void loadFileLooksInThePanelFolderFirst();
    void loadSaveAllowedFollowsEachPanel();
    void formulaNamesWithoutOwnerAreReported();
    void stopPollingThreadsEndsRunningThreads();
    void takeAndRenameDefines();

private:
    QString writePanel(const QString &relativePath, const QString &body,
                       const QString &header = QString());
    std::unique_ptr<MainWindow> makeWindow();

    std::unique_ptr<TestEnvironment> env;
};

void TestPanelOpen::init()
{
    env = std::make_unique<TestEnvironment>();
    ErrorReporter::instance().setReportToMessageBox(true);
}

void TestPanelOpen::cleanup()
{
    env.reset();
}

std::unique_ptr<MainWindow> TestPanelOpen::makeWindow()
{
    auto window = std::make_unique<MainWindow>(CommandLineOptions());
    ErrorReporter::instance().setReportToMessageBox(true);
    ErrorReporter::instance().setReportToConsole(false);
    env->installPrompt({});
    return window;
}

// A signed panel file of our own with the given root-container body, below
// the program directory.
QString TestPanelOpen::writePanel(const QString &relativePath, const QString &body, const QString &header)
{
    return writeTestFile(QDir(env->appDir()).filePath(relativePath), signedPanelText(body, header));
}

static const char simplePanel[] =
    "<verticalcontainer><checkbox define=\"EN\" label=\"Enable\" default=\"1\"/>"
    "<spinbox define=\"CNT\" range=\"0;9\" default=\"3\"/></verticalcontainer>";

void TestPanelOpen::openBuildsThePanelWithItsBuiltIns()
{
    const QString path = writePanel("panels/simple.xml", QLatin1String(simplePanel),
                                    "<version label=\"1.2.3\"/>\n");
    auto window = makeWindow();
    QVERIFY(window->open(path));
    QVERIFY(window->panel()->loading()); // the post-load set-up ends the load
    window->initLoadedConfiguration(true);
    QVERIFY(!window->panel()->loading());

    QVERIFY(qobject_cast<QScrollArea *>(window->centralWidget()));
    QVERIFY(window->panel()->getActiveElement("EN"));
    QCOMPARE(window->panel()->getActiveElement("EN")->value(0, 0), QString("1"));
    QCOMPARE(window->panel()->getActiveElement("CNT")->value(0, 0), QString("3"));
    for (const char *name : {"dummy_define", "$ADDRESS$", "$VALUE$", "$FUNC$"})
        QVERIFY2(window->panel()->registries().variablesByName.value(name), name);
    QVERIFY(window->panel()->getActiveElement("$DIR$"));
    QCOMPARE(window->windowTitle(), "Quillmate " + path + "[*]");
    QCOMPARE(window->panel()->header().xmlVersion, QString("1.2.3"));
    QCOMPARE(QDir::currentPath(), QFileInfo(path).absolutePath());
    QCOMPARE(window->panel()->registries().elementNames.mid(0, 2), (QStringList{"EN", "CNT"}));
    QVERIFY(env->prompt()->transcript().isEmpty());
}

void TestPanelOpen::openTwiceReplacesEverything()
{
    const QString first = writePanel("a.xml", QLatin1String(simplePanel));
    const QString second = writePanel(
        "b.xml", "<verticalcontainer><checkbox define=\"OTHER\" label=\"x\"/></verticalcontainer>");
    auto window = makeWindow();
    QVERIFY(window->open(first));
    window->initLoadedConfiguration(true);
    QPointer<QWidget> oldPanel = window->centralWidget();
    QVERIFY(window->open(second));
    window->initLoadedConfiguration(true);
    QVERIFY(!window->panel()->getActiveElement("EN"));
    QVERIFY(window->panel()->getActiveElement("OTHER"));
    QVERIFY(window->panel()->getActiveElement("$DIR$"));
    // The old panel goes once control is back in the event loop.
    QTRY_VERIFY(oldPanel.isNull());
}

// Replaced outside any element code, a shown panel goes at once, pages,
// nested containers and elements alike; a panel that held the focus gives it
// up first.
void TestPanelOpen::replacedShownPanelGoesAtOnceWithItsContents()
{
    const QString first = writePanel(
        "tabs.xml",
        "<tabcontainer label=\"T\">"
        "<verticalcontainer label=\"P1\"><gridcontainer columns=\"2\">"
        "<checkbox define=\"EN\" label=\"Enable\"/><spinbox define=\"CNT\" range=\"0;9\"/>"
        "</gridcontainer><verticalcontainer><checkbox define=\"DEEP\" label=\"d\"/></verticalcontainer>"
        "</verticalcontainer>"
        "<verticalcontainer label=\"P2\"><hexspinbox define=\"HEX\" range=\"0x0;0xF\"/></verticalcontainer>"
        "</tabcontainer>");
    const QString second = writePanel(
        "b.xml", "<verticalcontainer><checkbox define=\"OTHER\" label=\"x\"/></verticalcontainer>");
    auto window = makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(window->open(first));
    window->initLoadedConfiguration(true);
    QList<QPointer<QObject>> old{window->centralWidget()};
    for (const char *define : {"EN", "CNT", "DEEP", "HEX"}) {
        QObject *element = objectOf(window->panel()->getActiveElement(define));
        QVERIFY2(element, define);
        old << element << element->parent();
    }
    auto *spin = qobject_cast<QWidget *>(objectOf(window->panel()->getActiveElement("CNT")));
    QApplication::setActiveWindow(window.get());
    spin->setFocus();

    QVERIFY(window->open(second));
    window->initLoadedConfiguration(true);
    for (const QPointer<QObject> &object : qAsConst(old))
        QVERIFY(object.isNull());
    QVERIFY(window->panel()->getActiveElement("OTHER"));
    QVERIFY(window->centralWidget()->isVisible());
    QWidget *focus = QApplication::focusWidget();
    QVERIFY(!focus || focus->window() == window.get());
}

void TestPanelOpen::missingHomePanelIsReportedAndNothingElseChanges()
{
    auto window = makeWindow();
    QWidget *before = window->centralWidget();
    window->newProject();
    const QString home = QDir(window->getScriptsDir()).filePath("index.xml");
    QCOMPARE(env->prompt()->transcript(),
             QStringList{QString("No %1 found in %2").arg(home, window->getScriptsDir())});
    QCOMPARE(window->centralWidget(), before);
}

void TestPanelOpen::brokenHomePanelIsReportedOnceWithoutRecursion()
{
    QDir(env->appDir()).mkpath("scripts");
    QFile broken(QDir(env->appDir()).filePath("scripts/index.xml"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("<?xml version=\"1.0\"?><zelmlcfg version=\"2.0.0\"><checksum/><nocontainer/></zelmlcfg>");
    broken.close();

    auto window = makeWindow();
    ErrorReporter::instance().setReportToConsole(true);
    window->clearConsole();
    window->newProject(); // would recurse without end if a broken home panel opened itself again
    const QString console = window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText();
    QCOMPARE(console.count("Not starting with a container type!"), 1);
}

void TestPanelOpen::homePanelStaysLoadingAndHidesTheConsole()
{
    writePanel("scripts/index.xml", QLatin1String(simplePanel));
    auto window = makeWindow();
    window->consolePrint("something<br>");
    window->newProject();
    QVERIFY(window->panel()->getActiveElement("EN"));
    QVERIFY(window->panel()->loading()); // changes on the home panel never mark a project modified
    QVERIFY(window->isHomePanelShown());
    QVERIFY(window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->isHidden());
    QCOMPARE(window->windowTitle(), QString("Quillmate [*]"));
    QVERIFY(!window->targetLink().tykLink);
}

void TestPanelOpen::unreadablePanelFallsBackToTheHomePanel()
{
    writePanel("scripts/index.xml", QLatin1String(simplePanel));
    const QString bad = QDir(env->appDir()).filePath("bad.xml");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?><zelmlcfg version=\"2.0.0\"><checksum>0</checksum><broken");
    file.close();
    auto window = makeWindow();
    QVERIFY(!window->open(bad));
    // The failed read fell back to the home panel; the "Could not read" choice was cancelled.
    QVERIFY(window->isHomePanelShown());
    QVERIFY(window->panel()->getActiveElement("EN"));
    QVERIFY(env->prompt()->transcript().join('\n').contains("Could not read bad.xml!"));
}

void TestPanelOpen::loadFileLooksInThePanelFolderFirst()
{
    const QString panel = writePanel("panels/main.xml", QLatin1String(simplePanel));
    writePanel("panels/next.xml", "<verticalcontainer><checkbox define=\"NEAR\" label=\"x\"/></verticalcontainer>");
    writePanel("scripts/next.xml", "<verticalcontainer><checkbox define=\"FAR\" label=\"x\"/></verticalcontainer>");
    writePanel("scripts/only.xml", "<verticalcontainer><checkbox define=\"SCRIPTS\" label=\"x\"/></verticalcontainer>");
    auto window = makeWindow();
    QVERIFY(window->open(panel));
    window->initLoadedConfiguration(true);
    window->panelShell().loadFile("next.xml");
    QVERIFY(window->panel()->getActiveElement("NEAR"));
    window->panelShell().loadFile("only.xml");
    QVERIFY(window->panel()->getActiveElement("SCRIPTS"));
}

void TestPanelOpen::loadSaveAllowedFollowsEachPanel()
{
    const QString locked = writePanel("locked.xml", QLatin1String(simplePanel),
                                      "<loadsaveallowed value=\"0\"/>\n");
    const QString open = writePanel("open.xml", QLatin1String(simplePanel));
    auto window = makeWindow();
    QVERIFY(window->open(locked));
    QVERIFY(!window->panel()->header().loadSaveAllowed);
    QVERIFY(window->open(open));
    QVERIFY(window->panel()->header().loadSaveAllowed);
}

void TestPanelOpen::formulaNamesWithoutOwnerAreReported()
{
    const QString path = writePanel("f.xml", QLatin1String(simplePanel));
    auto window = makeWindow();
    QVERIFY(window->open(path));
    window->panel()->addMathLabel({"EN"}, nullptr);
    window->panel()->addMathLabel({"NOBODY"}, nullptr);
    window->initLoadedConfiguration(true);
    QCOMPARE(env->prompt()->transcript(), QStringList{"Element used in formula not defined: \"NOBODY\""});
}

void TestPanelOpen::stopPollingThreadsEndsRunningThreads()
{
    auto window = makeWindow();
    window->targetLink().seggerPolling = true;
    window->adoptPollingThreads(new SeggerThread(window->targetLink().seggerPolling), nullptr);
    window->targetLink().seggerThread->start();
    window->stopPollingThreads();
    QVERIFY(!window->targetLink().seggerPolling);
    QVERIFY(window->targetLink().seggerThread->isFinished());
    // Without threads it only clears the flags.
    window->targetLink().serialPolling = true;
    window->stopPollingThreads();
    QVERIFY(!window->targetLink().serialPolling);
}

void TestPanelOpen::takeAndRenameDefines()
{
    const QString path = writePanel("t.xml", QLatin1String(simplePanel));
    auto window = makeWindow();
    QVERIFY(window->open(path));
    ActiveElement *en = window->panel()->getActiveElement("EN");
    QCOMPARE(window->panel()->takeElement("EN"), en);
    QVERIFY(!window->panel()->getAllElements().contains(en));
    QVERIFY(!window->panel()->takeElement("EN")); // no longer in the list
    QVERIFY(!window->panel()->takeElement("NOPE"));
    QVERIFY(window->panel()->renameDefine("EN", "ENABLE"));
    QCOMPARE(window->panel()->getActiveElement("ENABLE"), en);
    QVERIFY(!window->panel()->elementExists("EN"));
    QVERIFY(!window->panel()->renameDefine("EN", "X"));
}

QTEST_MAIN(TestPanelOpen)
#include "tst_panelopen.moc"
