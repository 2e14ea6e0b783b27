// What the window adds to the panel's behaviour, on small panels of our own:
// a double click in the lock graph raises the element's page, and the -d
// list of the command line goes on after a refused item.
#include "lockdialog.h"
#include "panelfixture.h"

#include <QGraphicsView>
#include <QTabWidget>
#include <QtTest>

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
};

void TestPanelWindow::lockGraphDoubleClickRaisesTheElement()
{
    PanelFixture f;
    QVERIFY(f.load("<tabcontainer><verticalcontainer label=\"One\"><checkbox define=\"A\" lockon=\"B=1\"/>"
                   "</verticalcontainer><verticalcontainer label=\"Two\">"
                   "<checkbox define=\"B\"/></verticalcontainer></tabcontainer>"));
    LockDialog *graph = f.window->panel()->lockGraph();
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

QTEST_MAIN(TestPanelWindow)
#include "tst_panelwindow.moc"
