// The file, directory and window commands in a main window on a copy of the
// demo panel: name resolution, saves that never overwrite what they were not
// asked to write, signing with its outcome, and the window's own switches.
#include "panelfixture.h"
#include "tabwidget.h"

#include <QDockWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QtTest>

class TstScriptCommandsWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void loadFallsBackToWorkingAndScriptsDirectory();
    void saveJoinsTheWorkingDirectory();
    void saveWithoutNameNeedsAProject();
    void defineprefixTakesItsSource_data();
    void defineprefixTakesItsSource();
    void signReportsItsOutcome();
    void changeDirectoryKeepsAMissingOne();
    void fullScreenIsIdempotent();
    void consoleCommands();
    void tabsWindowPositionAndReset();
    void endStopsTheRun();
    void openFileDialogFillsAnEditElement();
    void dirEntryStandsForTheLoopsFile();
    void handOversToTheWindow();

private:
    std::unique_ptr<PanelFixture> f;
    QTemporaryDir m_dir;
    QString m_demo;
    QString m_startDir;
};

void TstScriptCommandsWindow::init()
{
    QVERIFY(m_dir.isValid());
    m_startDir = QDir::currentPath();
    QDir(m_dir.path()).mkpath(QStringLiteral("scripts"));
    QDir(m_dir.path()).mkpath(QStringLiteral("work"));
    QDir(m_dir.path()).mkpath(QStringLiteral("empty"));
    m_demo = m_dir.filePath(QStringLiteral("scripts/demo.xml"));
    QFile::remove(m_demo);
    QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/demo.xml"), m_demo));
    QFile::setPermissions(m_demo, QFile::ReadOwner | QFile::WriteOwner);
    f = std::make_unique<PanelFixture>();
    QVERIFY(f->window->open(m_demo));
    f->window->initLoadedConfiguration(true);
    f->clearConsole();
    f->clearErrors();
}

void TstScriptCommandsWindow::cleanup()
{
    f.reset();
    QDir::setCurrent(m_startDir);
}

void TstScriptCommandsWindow::loadFallsBackToWorkingAndScriptsDirectory()
{
    QDir::setCurrent(m_dir.filePath(QStringLiteral("empty")));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETWORKINGDIR(%1)").arg(m_dir.filePath("work")), 1));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETSCRIPTSDIR(%1)").arg(m_dir.filePath("scripts")), 2));
    QCOMPARE(f->window->getScriptsDir(), m_dir.filePath(QStringLiteral("scripts")));
    f->window->panel()->setXMLFile(QString());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("LOAD(demo.xml)"), 3));
    QCOMPARE(QFileInfo(f->window->panel()->header().xmlFile).canonicalFilePath(), QFileInfo(m_demo).canonicalFilePath());
    // A missing parameter stops the run.
    QVERIFY(!f->window->executeScriptLine(QStringLiteral("LOAD()"), 4));
}

void TstScriptCommandsWindow::saveJoinsTheWorkingDirectory()
{
    QDir::setCurrent(m_dir.filePath(QStringLiteral("empty")));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETWORKINGDIR(%1)").arg(m_dir.filePath("work")), 1));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SET(DEMO_PLL_MULT, 6)"), 2));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SAVE(board.qlmp)"), 3));
    QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("work/board.qlmp"))));
    // SAVESORTED takes its name as given: relative to the current directory,
    // not joined to the working directory.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CHDIR(%1)").arg(m_dir.filePath("empty")), 4));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SAVESORTED(sorted.qlmp)"), 4));
    QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("empty/sorted.qlmp"))));
    // A file that is no project is never overwritten.
    const QString notes = m_dir.filePath(QStringLiteral("work/notes.txt"));
    {
        QFile file(notes);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me\n");
    }
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SAVE(notes.txt)"), 5));
    QFile kept(notes);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep me\n"));
}

void TstScriptCommandsWindow::saveWithoutNameNeedsAProject()
{
    QVERIFY(f->window->currentProjectFile().isEmpty());
    QVERIFY(!f->window->executeScriptLine(QStringLiteral("SAVE()"), 1));
    QVERIFY(f->consoleLines().join(QString()).contains(QLatin1String("Missing parameter: SAVE()")));

    const QString project = m_dir.filePath(QStringLiteral("work/named.qlmp"));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SAVE(%1)").arg(project), 2));
    QCOMPARE(f->window->currentProjectFile(), project);
    QVERIFY(QFile::remove(project));
    f->clearConsole();
    // With a project, SAVE() saves it under its name and the run goes on.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SAVE()"), 3));
    QVERIFY(f->consoleLines().join(QString()).contains(QLatin1String("Missing parameter: SAVE()")));
    QVERIFY(QFile::exists(project));

    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETFILENAME(%1)").arg(m_dir.filePath("other.qlmp")), 4));
    QCOMPARE(f->window->currentProjectFile(), m_dir.filePath(QStringLiteral("other.qlmp")));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("other.qlmp"))));
}

void TstScriptCommandsWindow::defineprefixTakesItsSource_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::newRow("number literal") << "SETDEFINEPREFIX(P, 0x10)" << "P" << "16";
    QTest::newRow("element value, source trimmed") << "SETDEFINEPREFIX(Q,  DEMO_PLL_MULT )" << "Q" << "4";
    QTest::newRow("key as it stands") << "SETDEFINEPREFIX( K, 3)" << " K" << "3";
}

void TstScriptCommandsWindow::defineprefixTakesItsSource()
{
    QFETCH(QString, command);
    QFETCH(QString, key);
    QFETCH(QString, text);
    QVERIFY(f->window->executeScriptLine(command, 1));
    QCOMPARE(f->window->panel()->header().definePrefixes.value(key), text);
}

void TstScriptCommandsWindow::signReportsItsOutcome()
{
    const QString copy = m_dir.filePath(QStringLiteral("work/sign.xml"));
    QFile::remove(copy);
    QVERIFY(QFile::copy(m_demo, copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SIGN(%1)").arg(copy), 1));
    QVERIFY(f->consoleLines().join(QString()).contains(QStringLiteral("Successfully signed file %1.").arg(copy)));

    // A missing file is no success.
    f->clearConsole();
    const QString missing = m_dir.filePath(QStringLiteral("work/missing.xml"));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SIGN(%1)").arg(missing), 2));
    const QString console = f->consoleLines().join(QString());
    QVERIFY(!console.contains(QLatin1String("Successfully signed")));
    QVERIFY2(console.contains(QStringLiteral("File %1 was not signed").arg(missing)), qPrintable(console));
}

void TstScriptCommandsWindow::changeDirectoryKeepsAMissingOne()
{
    const QString work = m_dir.filePath(QStringLiteral("work"));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CHDIR(%1)").arg(work), 1));
    QCOMPARE(QDir::currentPath(), QDir(work).canonicalPath());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CHDIR(%1/nope)").arg(work), 2));
    QCOMPARE(QDir::currentPath(), QDir(work).canonicalPath());
}

void TstScriptCommandsWindow::fullScreenIsIdempotent()
{
    f->window->show();
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETFULLSCREEN(1)"), 1));
    QVERIFY(f->window->isFullScreenMode());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETFULLSCREEN(2)"), 2));
    QVERIFY(f->window->isFullScreenMode());
    for (QToolBar *bar : f->window->findChildren<QToolBar *>())
        QVERIFY(bar->isHidden());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETFULLSCREEN(0)"), 3));
    QVERIFY(!f->window->isFullScreenMode());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETFULLSCREEN(0)"), 4));
    QVERIFY(!f->window->isFullScreenMode());
}

void TstScriptCommandsWindow::consoleCommands()
{
    QDockWidget *dock = f->window->findChild<QDockWidget *>(QStringLiteral("consoleDock"));
    QVERIFY(dock);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SHOWCONSOLE(0)"), 1));
    QVERIFY(dock->isHidden());
    f->window->consolePrint(QStringLiteral("more output<br>"));
    QVERIFY(dock->isHidden());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SHOWCONSOLE(1)"), 2));
    QVERIFY(!dock->isHidden());
    QVERIFY(!f->window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().isEmpty());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CLEAR"), 3));
    QVERIFY(f->window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().isEmpty());
    // The port-mapping view needs its switch: off here, so nothing opens.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SHOWPINMAPPER"), 4));
    QVERIFY(!f->window->pinMapping().portMappingDialog());
}

void TstScriptCommandsWindow::tabsWindowPositionAndReset()
{
    const QList<QString> tabNames = f->window->panel()->registries().tabWidgetsByName.keys();
    QVERIFY(!tabNames.isEmpty());
    TabWidget *tabs = f->window->panel()->registries().tabWidgetsByName.value(tabNames.first());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTAB(%1, 1)").arg(tabNames.first()), 1));
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTAB(%1, 99)").arg(tabNames.first()), 2));
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTAB(NO_SUCH_TAB, 0)"), 3));

    QVERIFY(f->window->executeScriptLine(QStringLiteral("RAISE(DEMO_BOARD_NAME)"), 4));
    QCOMPARE(f->window->elementFinder().mark().widget.data(), qobject_cast<QWidget *>(objectOf(f->element("DEMO_BOARD_NAME"))));

    QVERIFY(f->window->executeScriptLine(QStringLiteral("BRINGTOBACK"), 5));
    QCOMPARE(f->window->pos(), QPoint(9999, 9999));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("BRINGTOFRONT()"), 6));
    QCOMPARE(f->window->pos(), QPoint(0, 0));

    QVERIFY(f->window->executeScriptLine(QStringLiteral("SET(DEMO_PLL_MULT, 9)"), 7));
    QCOMPARE(f->value("DEMO_PLL_MULT"), QStringLiteral("9"));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("RESETGUI"), 8));
    QCOMPARE(f->value("DEMO_PLL_MULT"), QStringLiteral("4"));
}

void TstScriptCommandsWindow::endStopsTheRun()
{
    const QString script = m_dir.filePath(QStringLiteral("end.script"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("SET(DEMO_PLL_MULT, 7)\nEND\nSET(DEMO_PLL_MULT, 8)\n");
    file.close();
    QVERIFY(!f->window->runScriptFile(script));
    QCOMPARE(f->value("DEMO_PLL_MULT"), QStringLiteral("7"));
}

void TstScriptCommandsWindow::openFileDialogFillsAnEditElement()
{
    const QString line = QStringLiteral("OPENFILEDIALOG(Pick file, data, Hex files (*.hex), %1, 1)");
    f->env->installPrompt({QStringLiteral("/data/fw.hex")});
    QVERIFY(f->window->executeScriptLine(line.arg(QStringLiteral("DEMO_BOARD_NAME")), 1));
    QCOMPARE(f->value("DEMO_BOARD_NAME"), QStringLiteral("/data/fw.hex"));
    QVERIFY(f->window->isWindowModified());

    // Cancelled: nothing changes.
    f->env->installPrompt({});
    QVERIFY(f->window->executeScriptLine(line.arg(QStringLiteral("DEMO_NOTES")), 2));
    QCOMPARE(f->value("DEMO_NOTES"), QStringLiteral("Notes about this board"));

    f->env->installPrompt({QStringLiteral("/data/a.hex"), QStringLiteral("/data/b.hex")});
    QVERIFY(f->window->executeScriptLine(line.arg(QStringLiteral("NO_SUCH_DEFINE")), 3));
    QVERIFY(f->consoleLines().join(QString()).contains(QLatin1String("Unknown define: NO_SUCH_DEFINE")));
    QVERIFY(f->window->executeScriptLine(line.arg(QStringLiteral("DEMO_PLL_MULT")), 4));
    QVERIFY(f->env->prompt()->transcript().join('\n').contains(
        QLatin1String("Can not use \"OpenFileDialog\" with parameter \"/data/b.hex\"")));
}

void TstScriptCommandsWindow::dirEntryStandsForTheLoopsFile()
{
    const QString loop = m_dir.filePath(QStringLiteral("loop"));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("loop")));
    for (const char *name : {"a.xml", "b.xml"}) {
        QFile::remove(QDir(loop).filePath(QLatin1String(name)));
        QVERIFY(QFile::copy(m_demo, QDir(loop).filePath(QLatin1String(name))));
        QFile::setPermissions(QDir(loop).filePath(QLatin1String(name)), QFile::ReadOwner | QFile::WriteOwner);
    }
    const QString script = m_dir.filePath(QStringLiteral("dirloop.script"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    // " $DIR$" with its blank is a name of its own, not the loop's entry.
    file.write(QStringLiteral("CHDIR(%1)\nDIRLOOPSTART(*.xml)\nSIGN($DIR$)\nSIGN( $DIR$)\nDIRLOOPSTOP\n")
                   .arg(loop)
                   .toUtf8());
    file.close();
    f->clearConsole();
    QVERIFY(f->window->runScriptFile(script));
    const QString console = f->consoleLines().join(QLatin1Char('\n'));
    QVERIFY2(console.contains(QLatin1String("Successfully signed file a.xml.")), qPrintable(console));
    QVERIFY(console.contains(QLatin1String("Successfully signed file b.xml.")));
    QVERIFY(console.contains(QLatin1String("File  $DIR$ was not signed")));
}

void TstScriptCommandsWindow::handOversToTheWindow()
{
    const QString work = m_dir.filePath(QStringLiteral("work"));
    QFile::remove(QDir(work).filePath(QStringLiteral("demo.svd")));
    QVERIFY(QFile::copy(QStringLiteral(QUILLMATE_EXAMPLES "/demo.svd"), QDir(work).filePath(QStringLiteral("demo.svd"))));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CHDIR(%1)").arg(work), 1));

    // The generator writes beside the current directory; "abc" reads as the group layout.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("GENERATEXMLFROMSVD(demo.svd, abc)"), 2));
    const QString generated = QDir(work).filePath(QStringLiteral("demo_Generated.xml"));
    QFile group(generated);
    QVERIFY(group.open(QIODevice::ReadOnly));
    const QByteArray groupText = group.readAll();
    group.close();
    QVERIFY(f->window->executeScriptLine(QStringLiteral("GENERATEXMLFROMSVD(demo.svd, 1)"), 3));
    QFile tree(generated);
    QVERIFY(tree.open(QIODevice::ReadOnly));
    QVERIFY(tree.readAll() != groupText);

    // The headers of the panel, written beside it.
    QFile::remove(m_dir.filePath(QStringLiteral("scripts/demo_clock.h")));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("EXPORT"), 4));
    QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("scripts/demo_clock.h"))));

    // Checks and the catalog report on the console; none is shown without a user.
    f->clearConsole();
    QVERIFY(f->window->executeScriptLine(QStringLiteral("VALIDATE(%1)").arg(m_demo), 5));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("CHECKXSD(%1)").arg(m_demo), 6));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SELECTDATA(catalog.xml)"), 7));
    const QString console = f->consoleLines().join(QLatin1Char('\n'));
    QVERIFY2(console.contains(QLatin1String("Catalog not shown")), qPrintable(console));
    QVERIFY2(console.count(QLatin1String("demo.xml")) >= 2, qPrintable(console));
}

QTEST_MAIN(TstScriptCommandsWindow)
#include "tst_scriptcommands_window.moc"
