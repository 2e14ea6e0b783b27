// What the window adds to the panel's behaviour, on small panels of our own:
// a double click in the lock graph raises the element's page, the -d list of
// the command line goes on after a refused item, and a start with a panel
// shows the window before it opens the panel.
#include "errorreporter.h"
#include "lockdialog.h"
#include "panelfixture.h"
#include "panelmistakes.h"

#include <QGraphicsView>
#include <QStatusBar>
#include <QTabWidget>
#include <QWindow>
#include <QtTest>

namespace {

// Watches the status bar's paints during a start: the progress texts it
// painted, and whether the window was on screen when it did.
class ProgressPaints : public QObject
{
public:
    QStringList texts;
    bool allOnScreen = true;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *bar = qobject_cast<QStatusBar *>(object);
        if (event->type() == QEvent::Paint && bar && bar->currentMessage().startsWith(QLatin1String("Reading "))) {
            texts << bar->currentMessage();
            QWindow *handle = bar->window()->windowHandle();
            allOnScreen = allOnScreen && bar->isVisible() && handle && handle->isExposed();
        }
        return false;
    }
};

} // namespace

class TestPanelWindow : public QObject
{
    Q_OBJECT

private slots:
    void lockGraphDoubleClickRaisesTheElement();
    void commandLineListGoesOnAfterARefusedItem();
    // A file on the command line that is neither panel nor project is named
    // in the window as in a run without one.
    void commandLineFileOfAnotherKindIsReported_data();
    void commandLineFileOfAnotherKindIsReported();
    // The window the program shows is on screen, painted, while it reads the
    // panel named on the command line; a batch run keeps it hidden.
    void commandLineOpenShowsItsProgress_data();
    // A mistake in the panel is named on the console with its place; the
    // window keeps what was built and goes on.
    void panelMistakesAreNamedAndTheWindowGoesOn_data();
    void panelMistakesAreNamedAndTheWindowGoesOn();
    void commandLineOpenShowsItsProgress();
};

void TestPanelWindow::lockGraphDoubleClickRaisesTheElement()
{
    PanelFixture f;
    QVERIFY(f.load("<tabcontainer><verticalcontainer label=\"One\"><checkbox define=\"A\" lockon=\"B=1\"/>"
                   "</verticalcontainer><verticalcontainer label=\"Two\">"
                   "<checkbox define=\"B\"/></verticalcontainer></tabcontainer>"));
    LockDialog *graph = f.window->panel()->locks().lockGraph();
    QNEBlock *target = graph->blocks().at(1);
    QCOMPARE(target->element(), f.element("B"));
    auto *tabs = f.widget<QWidget>("B")->parentWidget();
    while (tabs && !qobject_cast<QTabWidget *>(tabs))
        tabs = tabs->parentWidget();
    QVERIFY(tabs);
    QCOMPARE(static_cast<QTabWidget *>(tabs)->currentIndex(), 0);
    graph->view()->resize(800, 800);
    graph->show();
    QVERIFY(QTest::qWaitForWindowExposed(graph));
    const QPoint at = graph->view()->mapFromScene(target->scenePos());
    QTest::mouseDClick(graph->view()->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QCOMPARE(static_cast<QTabWidget *>(tabs)->currentIndex(), 1);
    graph->hide();
}

void TestPanelWindow::commandLineListGoesOnAfterARefusedItem()
{
    PanelFixture f;
    const QString path = writeTestFile(
        f.env->path(QStringLiteral("panel.xml")),
        signedPanelText("<verticalcontainer>"
                        "<checkbox define=\"CB\" default=\"1\"/>"
                        "<spinbox define=\"SB\" range=\"-10;100\" default=\"5\"/>"
                        "<hexspinbox define=\"HX\" range=\"0;0xFF\" default=\"0x10\"/>"
                        "<slider define=\"SL\" range=\"0;50\" default=\"5\"/>"
                        "<combo define=\"CO\"><item label=\"A\" value=\"10\"/><item label=\"B\" value=\"20\"/>"
                        "<item label=\"C\" value=\"30\"/></combo>"
                        "</verticalcontainer>"));
    QVERIFY(!path.isEmpty());
    f.window.reset();
    f.clearErrors();
    CommandLineOptions options;
    options.file = path;
    options.consoleLog = f.env->path(QStringLiteral("console.log"));
    options.defines = QStringLiteral("SB=abc;NOPE=1;CO=7;HX=0x1F;CB=2;SL=0b110");
    f.window = std::make_unique<MainWindow>(options);

    QCOMPARE(f.value(QStringLiteral("SB")), QStringLiteral("5"));
    QCOMPARE(f.element(QStringLiteral("SB"))->storedValueText(), QStringLiteral("5"));
    QCOMPARE(f.value(QStringLiteral("HX")), QStringLiteral("31"));
    QCOMPARE(f.value(QStringLiteral("CB")), QStringLiteral("1"));
    QCOMPARE(f.value(QStringLiteral("SL")), QStringLiteral("6"));
    QCOMPARE(f.errors(), QStringList({"Can not set SB to invalid value \"abc\"",
                                      "Index for CO.setItem (7) is out of allowed range: 0..2",
                                      "Can not set CB to invalid value \"2\""}));
    const QStringList console = f.consoleLines();
    QVERIFY2(console.filter(QStringLiteral("Unknown define: NOPE")).size() == 1, qPrintable(console.join('\n')));
}

void TestPanelWindow::commandLineFileOfAnotherKindIsReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("generated header") << QStringLiteral("demo_old.h");
    QTest::newRow("SVD file") << QStringLiteral("demo.svd");
}

void TestPanelWindow::commandLineFileOfAnotherKindIsReported()
{
    QFETCH(QString, name);
    PanelFixture f;
    const QString path = f.env->path(name);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#define X 1\n");
    }
    f.window.reset();
    f.clearErrors();
    CommandLineOptions options;
    options.file = path;
    options.consoleLog = f.env->path(QStringLiteral("console.log"));
    f.window = std::make_unique<MainWindow>(options);
    const QString expected = QStringLiteral("Cannot open file %1:\nNot a panel (.xml) or project (.qlmp) file").arg(path);
    QVERIFY2(f.errors().contains(expected), qPrintable(f.errors().join('\n')));
    const QStringList console = f.consoleLines();
    QVERIFY2(console.filter(QStringLiteral("Not a panel (.xml) or project (.qlmp) file")).size() == 1,
             qPrintable(console.join('\n')));
}

void TestPanelWindow::commandLineOpenShowsItsProgress_data()
{
    QTest::addColumn<bool>("showBeforeOpen");
    QTest::addColumn<bool>("batchRun");
    QTest::addColumn<bool>("progressShown");
    QTest::newRow("the program's window") << true << false << true;
    QTest::newRow("a batch run") << true << true << false;
    QTest::newRow("a window not meant to be shown") << false << false << false;
}

void TestPanelWindow::commandLineOpenShowsItsProgress()
{
    QFETCH(bool, showBeforeOpen);
    QFETCH(bool, batchRun);
    QFETCH(bool, progressShown);
    PanelFixture f;
    QString body = QStringLiteral("<verticalcontainer>");
    for (int i = 0; i < 600; ++i)
        body += QStringLiteral("<checkbox define=\"P%1\"/>").arg(i);
    body += QStringLiteral("</verticalcontainer>");
    const QString path = writeTestFile(f.env->path(QStringLiteral("big.xml")), signedPanelText(body));
    QVERIFY(!path.isEmpty());
    f.window.reset();
    CommandLineOptions options;
    options.file = path;
    options.showBeforeOpen = showBeforeOpen;
    if (batchRun) {
        options.batchFile = writeTestFile(f.env->path(QStringLiteral("run.script")), QByteArray("// nothing\n"));
        QVERIFY(!options.batchFile.isEmpty());
    }

    // Every read this slow says how far it is.
    MainWindow::setReadProgressAfterMs(0);
    ProgressPaints paints;
    qApp->installEventFilter(&paints);
    f.window = std::make_unique<MainWindow>(options);
    qApp->removeEventFilter(&paints);
    MainWindow::setReadProgressAfterMs(1000);

    QVERIFY(f.element(QStringLiteral("P599")));
    QCOMPARE(!paints.texts.isEmpty(), progressShown);
    if (progressShown) {
        QVERIFY(paints.allOnScreen);
        QCOMPARE(paints.texts.first(), QStringLiteral("Reading big.xml: 128 elements"));
        QVERIFY(f.window->isVisible());
        // The text goes once the read is done.
        QCOMPARE(f.window->statusBar()->currentMessage(), QString());
    } else {
        QVERIFY(!f.window->isVisible());
    }
}

void TestPanelWindow::panelMistakesAreNamedAndTheWindowGoesOn_data()
{
    addPanelMistakeRows();
}

void TestPanelWindow::panelMistakesAreNamedAndTheWindowGoesOn()
{
    QFETCH(QString, element);
    QFETCH(QString, message);
    PanelFixture f;
    const QString path = writeTestFile(f.env->path(QStringLiteral("mistake.xml")), panelWithMistake(element));
    QVERIFY(!path.isEmpty());
    f.clearConsole();
    QVERIFY(f.window->open(path));
    f.window->initLoadedConfiguration(true);

    QStringList plain;
    for (const QString &line : f.consoleLines())
        plain << ErrorReporter::plainText(line);
    const QString where = QStringLiteral("%1 (%2 line 5,").arg(message, path);
    QVERIFY2(plain.filter(where).size() == 1, qPrintable(plain.join('\n')));
    // The window goes on with the panel as it was built.
    QVERIFY(f.element(QStringLiteral("T_A")));
    QCOMPARE(f.window->panel()->header().xmlFile, path);
}

QTEST_MAIN(TestPanelWindow)
#include "tst_panelwindow.moc"
