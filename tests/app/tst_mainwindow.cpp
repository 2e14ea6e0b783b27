#include "apppaths.h"
#include "mainwindow.h"
#include "oldheader.h"
#include "quillpanel.h"
#include "pollingthreads.h"
#include "showxmldialog.h"
#include "testenvironment.h"
#include "windowconsole.h"
#include "windowoptions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextEdit>
#include <QToolBar>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include <memory>

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void consolePrintShowsTheDock();
    void returnInTheScriptTabRunsTheLine();
    void fileLinksRunTheExternalEditor();
    void fileLinksWithoutEditorDoNothing();
    void closeModes_data();
    void closeModes();
    void changedMarksModifiedUnlessLoading();
    void currentFileNamesTheWindowAndTheFolder();
    void droppedScriptRuns();
    void fullScreenHidesAndRestoresToolBars();
    void firstNormalStateSizesTheWindowOnce();
    void destructorStopsRunningPollingThreads();
    void isXmlFileLooksAtTheContent();
    void editGuiNeedsAPanel();
    void windowGoesWithACellEditorOpenWhileRecording();

private:
    std::unique_ptr<MainWindow> makeWindow();
    std::unique_ptr<TestEnvironment> env;
};

void TestMainWindow::init()
{
    env = std::make_unique<TestEnvironment>();
}

void TestMainWindow::cleanup()
{
    env.reset();
}

std::unique_ptr<MainWindow> TestMainWindow::makeWindow()
{
    return std::make_unique<MainWindow>(quietOptions());
}

void TestMainWindow::consolePrintShowsTheDock()
{
    auto window = makeWindow();
    window->show();
    window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->hide(); // start-up may have printed already
    window->clearConsole();
    QVERIFY(!window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->isVisible());
    window->console().setKeptHidden(true);
    window->consolePrint("hidden<br>");
    QVERIFY(!window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->isVisible());
    window->console().setKeptHidden(false);
    window->consolePrint("<font color=\"green\">shown</font><br>");
    QVERIFY(window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->isVisible());
    QCOMPARE(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText(), QString("hidden\nshown\n"));
}

void TestMainWindow::returnInTheScriptTabRunsTheLine()
{
    auto window = makeWindow();
    window->show();
    auto *tabs = window->findChild<QTabWidget *>();
    QCOMPARE(tabs->tabText(0), QString("Log"));
    QCOMPARE(tabs->tabText(1), QString("Script"));
    auto *input = qobject_cast<QTextEdit *>(tabs->widget(1));
    QVERIFY(input);
    QTest::keyClicks(input, "  NOSUCH(1)  ");
    QTest::keyClick(input, Qt::Key_Return);
    QVERIFY(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().contains("Unknown command: NOSUCH(1)"));
    QCOMPARE(input->toPlainText(), QString("  NOSUCH(1)  \n"));
    // A comment line is echoed.
    QTest::keyClicks(input, "// note");
    QTest::keyClick(input, Qt::Key_Return);
    QVERIFY(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().contains("// note"));
}

void TestMainWindow::fileLinksRunTheExternalEditor()
{
    const QString argsFile = env->path("editor-args.txt");
    const QString editor = env->path("editor.sh");
    QFile script(editor);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\n").arg(argsFile).toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    env->writeSettingsIni("[General]\nexternaleditor=" + editor + "\n");

    auto window = makeWindow();
    window->on_anchorClicked(QUrl("$xmlopen$C$$$COLON$$$/panels/p.xml$-n12$-c3"));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(argsFile).size() > 0, 10000);
    QFile args(argsFile);
    QVERIFY(args.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(args.readAll()), QString("C:/panels/p.xml\n-n12\n-c3\n"));
}

void TestMainWindow::fileLinksWithoutEditorDoNothing()
{
    auto window = makeWindow();
    window->on_anchorClicked(QUrl("$xmlopen$/p.xml$-n1$-c1"));
    window->on_anchorClicked(QUrl(""));
    window->on_anchorClicked(QUrl("UNKNOWN_DEFINE"));
    QVERIFY(env->prompt()->transcript().isEmpty());
}

void TestMainWindow::closeModes_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("settingsWritten");
    QTest::newRow("0 asks (nothing modified)") << 0 << true << true;
    QTest::newRow("1 saves; a cancelled save keeps the window open") << 1 << false << false;
    QTest::newRow("2 closes without writing") << 2 << true << false;
    QTest::newRow("3 refuses") << 3 << false << false;
}

void TestMainWindow::closeModes()
{
    QFETCH(int, mode);
    QFETCH(bool, accepted);
    QFETCH(bool, settingsWritten);
    auto window = makeWindow();
    AppPaths::openMainStore()->remove("geometry");
    window->setCloseMode(CloseMode(mode));
    QCloseEvent event;
    event.ignore();
    if (mode == 2)
        event.ignore();
    QApplication::sendEvent(window.get(), &event);
    QCOMPARE(event.isAccepted(), accepted);
    QCOMPARE(AppPaths::openMainStore()->contains("geometry"), settingsWritten);
    QVERIFY(window->closingMode() == CloseMode::Ask);
}

void TestMainWindow::changedMarksModifiedUnlessLoading()
{
    auto window = makeWindow();
    window->panel()->editFlags().loading = true;
    window->panel()->changed();
    QVERIFY(!window->isWindowModified());
    window->panel()->editFlags().loading = false;
    window->panel()->changed();
    QVERIFY(window->isWindowModified());
}

void TestMainWindow::currentFileNamesTheWindowAndTheFolder()
{
    auto window = makeWindow();
    const QString before = QDir::currentPath();
    window->setCurrentFile(env->path("project.qlmp"));
    QCOMPARE(window->windowTitle(), "Quillmate " + env->path("project.qlmp") + "[*]");
    QCOMPARE(window->getCurrentFileName(), QString("project.qlmp"));
    QCOMPARE(QDir::currentPath(), QDir(env->path(".")).canonicalPath());
    QDir::setCurrent(before);
}

void TestMainWindow::droppedScriptRuns()
{
    const QString path = env->path("dropped.SCRIPT");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("FROMDROP(1)\n");
    file.close();

    auto window = makeWindow();
    window->show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    // Straight to the window's handler: QApplication only routes drops of a real drag.
    static_cast<QObject *>(window.get())->event(&drop);
    QVERIFY(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().contains("Unknown command: FROMDROP(1)"));

    // Plain text with the file URL works the same way.
    QMimeData text;
    text.setText(QUrl::fromLocalFile(path).toString());
    QDropEvent textDrop(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    window->clearConsole();
    static_cast<QObject *>(window.get())->event(&textDrop);
    QVERIFY(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().contains("Unknown command: FROMDROP(1)"));
}

void TestMainWindow::fullScreenHidesAndRestoresToolBars()
{
    auto window = makeWindow();
    window->show();
    auto *launcher = window->findChild<QToolBar *>("harbikToolBar");
    auto *main = window->findChild<QToolBar *>("toolBar");
    QVERIFY(launcher && main);
    window->switchFullscreenMode();
    QVERIFY(window->isFullScreenMode());
    QVERIFY(!launcher->isVisible() && !main->isVisible());
    window->switchFullscreenMode();
    QVERIFY(!window->isFullScreenMode());
    QVERIFY(launcher->isVisible() && main->isVisible());
}

void TestMainWindow::firstNormalStateSizesTheWindowOnce()
{
    auto window = makeWindow();
    window->showMaximized();
    window->setWindowState(Qt::WindowNoState);
    const QRect available = window->screen()->availableGeometry();
    QCOMPARE(window->size(), QSize(qRound(available.width() * 0.9), qRound(available.height() * 0.9)));
    QCOMPARE(AppPaths::openMainStore()->value("FirstTimeNormal").toInt(), 0);

    window->resize(640, 480);
    window->setWindowState(Qt::WindowMaximized);
    window->setWindowState(Qt::WindowNoState);
    QCOMPARE(window->size(), QSize(640, 480));
}

void TestMainWindow::destructorStopsRunningPollingThreads()
{
    // Destroying a QThread that still runs aborts the process, so getting past
    // reset() is the check.
    auto window = makeWindow();
    window->targetLink().seggerPolling = true;
    window->targetLink().serialPolling = true;
    window->adoptPollingThreads(new SeggerThread(window->targetLink().seggerPolling),
                                new SerialComThread(window->targetLink().serialPolling, {}, {}));
    window->targetLink().seggerThread->start();
    window->targetLink().serialComThread->start();
    QVERIFY(window->targetLink().seggerThread->isRunning());
    window.reset();
}

void TestMainWindow::isXmlFileLooksAtTheContent()
{
    // XML whatever its declaration; an older header is no XML.
    const QString xml = env->path("a.xml");
    const QString bare = env->path("c.xml");
    const QString other = env->path("b.h");
    QFile a(xml);
    QVERIFY(a.open(QIODevice::WriteOnly));
    a.write("  <?xml version=\"1.0\" encoding=\"UTF-8\"?>  \r\n<zelmlcfg/>\r\n");
    a.close();
    QFile c(bare);
    QVERIFY(c.open(QIODevice::WriteOnly));
    c.write("<?xml version='1.0'?>\n<qlmpxml/>\n");
    c.close();
    QFile b(other);
    QVERIFY(b.open(QIODevice::WriteOnly));
    b.write("#define Config_File panel.xml\n");
    b.close();
    auto window = makeWindow();
    QVERIFY(isXmlFile(xml));
    QVERIFY(isXmlFile(bare));
    QVERIFY(!isXmlFile(other));
    QVERIFY(!isXmlFile(env->path("missing.xml")));
    QVERIFY(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().contains("Cannot open file " + env->path("missing.xml")));
}

void TestMainWindow::editGuiNeedsAPanel()
{
    auto window = makeWindow();
    window->editGUI();
    QVERIFY(!window->findChild<ShowXMLDialog *>());
    auto *area = new QScrollArea;
    auto *panel = new QWidget;
    area->setWidget(panel);
    window->setCentralWidget(area);
    window->editGUI();
    QList<QWidget *> dialogs;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<ShowXMLDialog *>(w))
            if (d->panelRoot() == panel)
                dialogs << d;
    QCOMPARE(dialogs.size(), 1);
    QVERIFY(dialogs.first()->windowFlags() & Qt::WindowStaysOnTopHint);
}

// A table cell still being edited when the window goes records its edit into
// a recorder that must still exist.
void TestMainWindow::windowGoesWithACellEditorOpenWhileRecording()
{
    auto window = makeWindow();
    const QString panel = env->path(QStringLiteral("table.xml"));
    QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/table_registers.xml"), panel));
    QVERIFY(window->open(panel));
    window->initLoadedConfiguration(true);
    QString error;
    QVERIFY(window->scripts().recorder().startFile(env->path(QStringLiteral("macro.script")), panel, &error));
    auto *table = window->findChild<QTableView *>(QStringLiteral("REG_SEQUENCE"));
    QVERIFY(table);
    window->show();
    table->setFocus();
    table->edit(table->model()->index(0, 3));
    auto *editor = table->findChild<QLineEdit *>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("0x10"));
    window.reset(); // the sanitizer pass sees any use of the window after it went
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
