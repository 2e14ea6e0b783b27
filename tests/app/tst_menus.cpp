#include "mainwindow.h"
#include "quillpanel.h"
#include "testenvironment.h"
#include "textbrowser.h"
#include "windowconsole.h"
#include "windowoptions.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDockWidget>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

// Collects the URLs QDesktopServices would have opened.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestMenus : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Menus and actions
    void menusWithoutSwitches();
    void switchesAddTheirEntries_data();
    void switchesAddTheirEntries();
    void keilActionIsInNoMenu();
    void shortcutsAndIcons_data();
    void shortcutsAndIcons();
    void someActionsStartDisabled();
    void panelAndHomeEnableTheProjectActions();
    void windowShortcuts();
    void homePanelNamesEntriesThatExist();

    // Status bar
    void versionLabelFromManifest_data();
    void versionLabelFromManifest();

    // Console, forum and application notes
    void consoleContextMenuOffersClearConsole();
    void forumButtonOpensTheForum();
    void appNotesMenuListsThePanelsPdfs();

private:
    std::unique_ptr<MainWindow> makeWindow(const QString &settingsIni = QString(), bool keil = false);
    std::unique_ptr<TestEnvironment> env;
    UrlCatcher catcher;
};

static const char *allSwitches =
    "enablesign=1\nenablevalidate=1\nenableshowlocks=1\nenableshowsvdtree=1\nenableshowportmapping=1\n"
    "enablescriptrecording=1\nenablefullscreen=1\nenablegeneratexmlfromsvd=1\nenableeditgui=1\n";

void TestMenus::init()
{
    env = std::make_unique<TestEnvironment>();
    catcher.urls.clear();
    for (const char *scheme : {"https", "http", "file"})
        QDesktopServices::setUrlHandler(QLatin1String(scheme), &catcher, "open");
}

void TestMenus::cleanup()
{
    for (const char *scheme : {"https", "http", "file"})
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    env.reset();
}

std::unique_ptr<MainWindow> TestMenus::makeWindow(const QString &settingsIni, bool keil)
{
    env->writeSettingsIni(QStringLiteral("[General]\n") + settingsIni);
    CommandLineOptions options = quietOptions();
    options.keil = keil;
    return std::make_unique<MainWindow>(options);
}

// A menu's entries as their texts, "-" for a separator.
static QStringList entries(const QMenu *menu)
{
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

static QMenu *menuNamed(MainWindow *window, const char *name)
{
    auto *menu = window->findChild<QMenu *>(QLatin1String(name));
    if (!menu)
        qWarning("no menu %s", name);
    return menu;
}

static const QStringList baseExtras = {
    "&Settings...", "-", "&Open XML...", "&Reopen XML", "-", "&Search GUI element...",
    "&Show differences...", "&Expand branch", "&Collapse branch", "-", "Get Tyk &version",
    "&Update Tyk...", "-", "&Run script file..."};

void TestMenus::menusWithoutSwitches()
{
    auto window = makeWindow();
    QCOMPARE(entries(menuNamed(window.get(), "fileMenu")),
             QStringList({"&Home...", "-", "&Load...", "-", "&Save...", "&Save as...", "-", "E&xit",
                          "&Export header files"}));
    QCOMPARE(entries(menuNamed(window.get(), "extrasMenu")), baseExtras);
    for (QAction *action : {window->findChild<QAction *>(QStringLiteral("signAction")), window->findChild<QAction *>(QStringLiteral("validateAction")), window->findChild<QAction *>(QStringLiteral("showLocksAction")),
                            window->findChild<QAction *>(QStringLiteral("showSvdTreeAction")), window->findChild<QAction *>(QStringLiteral("showPortMappingAction")), window->findChild<QAction *>(QStringLiteral("recordScriptAction")),
                            window->findChild<QAction *>(QStringLiteral("addScriptCommandAction")), window->findChild<QAction *>(QStringLiteral("fullscreenAction")), window->findChild<QAction *>(QStringLiteral("generateXmlAction")),
                            window->findChild<QAction *>(QStringLiteral("editGuiAction"))})
        QVERIFY(!action);
    // The two drop-down buttons, in this order, open instantly.
    const QList<QToolButton *> buttons = window->findChild<QToolBar *>("toolBar")->findChildren<QToolButton *>();
    QStringList titles;
    for (QToolButton *button : buttons) {
        if (button->menu()) {
            titles << button->text();
            QCOMPARE(button->popupMode(), QToolButton::InstantPopup);
        }
    }
    QCOMPARE(titles, QStringList({"&File", "&Extras"}));
}

void TestMenus::switchesAddTheirEntries_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QStringList>("tail"); // the entries after "Run script file..."

    QTest::newRow("sign") << "enablesign=1\n" << QStringList{"&Sign configuration file..."};
    QTest::newRow("validate") << "enablevalidate=1\n" << QStringList{"&Validate XML..."};
    QTest::newRow("locks") << "enableshowlocks=1\n" << QStringList{"&Show locks"};
    QTest::newRow("svd tree") << "enableshowsvdtree=1\n" << QStringList{"&Show SVD tree"};
    QTest::newRow("port mapping 1") << "enableshowportmapping=1\n" << QStringList{"&Show Port mapping"};
    QTest::newRow("port mapping 2 counts as on") << "enableshowportmapping=2\n"
                                                 << QStringList{"&Show Port mapping"};
    QTest::newRow("port mapping 0") << "enableshowportmapping=0\n" << QStringList{};
    QTest::newRow("switch written false") << "enablesign=false\n" << QStringList{};
    QTest::newRow("recording") << "enablescriptrecording=1\n"
                               << QStringList{"&Record script...", "&Add script command..."};
    QTest::newRow("fullscreen") << "enablefullscreen=1\n" << QStringList{"Fullscreen"};
    QTest::newRow("generate") << "enablegeneratexmlfromsvd=1\n" << QStringList{"-", "Generate XML from SVD"};
    QTest::newRow("edit without generate: one separator") << "enableeditgui=1\n"
                                                          << QStringList{"-", "Edit the GUI"};
    QTest::newRow("edit after generate: no second separator")
        << "enableeditgui=1\nenablegeneratexmlfromsvd=1\n"
        << QStringList{"-", "Generate XML from SVD", "Edit the GUI"};
    QTest::newRow("all, in menu order")
        << allSwitches
        << QStringList{"&Record script...", "&Add script command...", "&Sign configuration file...",
                       "&Validate XML...", "&Show locks", "&Show SVD tree", "&Show Port mapping",
                       "Fullscreen", "-", "Generate XML from SVD", "Edit the GUI"};
}

void TestMenus::switchesAddTheirEntries()
{
    QFETCH(QString, ini);
    QFETCH(QStringList, tail);
    auto window = makeWindow(ini);
    QCOMPARE(entries(menuNamed(window.get(), "extrasMenu")), baseExtras + tail);
}

void TestMenus::keilActionIsInNoMenu()
{
    QVERIFY(!makeWindow()->findChild<QAction *>(QStringLiteral("integrateKeilAction")));
    auto window = makeWindow(QString(), true);
    QVERIFY(window->findChild<QAction *>(QStringLiteral("integrateKeilAction")));
    QCOMPARE(window->findChild<QAction *>(QStringLiteral("integrateKeilAction"))->text(), QString::fromUtf8("&Integrate into Keil µVision..."));
    for (QMenu *menu : window->findChildren<QMenu *>())
        QVERIFY(!menu->actions().contains(window->findChild<QAction *>(QStringLiteral("integrateKeilAction"))));
}

void TestMenus::shortcutsAndIcons_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("icon");

    QTest::newRow("home") << "&Home..." << QKeySequence(QKeySequence::New) << true;
    QTest::newRow("load") << "&Load..." << QKeySequence() << true;
    QTest::newRow("save") << "&Save..." << QKeySequence(QKeySequence::Save) << true;
    QTest::newRow("save as") << "&Save as..." << QKeySequence(QKeySequence::SaveAs) << false;
    QTest::newRow("exit") << "E&xit" << QKeySequence(QKeySequence::Quit) << false;
    QTest::newRow("open") << "&Open XML..." << QKeySequence(QKeySequence::Open) << false;
    QTest::newRow("reopen") << "&Reopen XML" << QKeySequence("Ctrl+R") << false;
    QTest::newRow("port mapping") << "&Show Port mapping" << QKeySequence("Ctrl+P") << false;
    QTest::newRow("search") << "&Search GUI element..." << QKeySequence(QKeySequence::Find) << false;
    QTest::newRow("expand") << "&Expand branch" << QKeySequence("Ctrl++") << true;
    QTest::newRow("collapse") << "&Collapse branch" << QKeySequence("Ctrl+-") << true;
    QTest::newRow("record") << "&Record script..." << QKeySequence("Ctrl+M") << false;
    QTest::newRow("add script command") << "&Add script command..." << QKeySequence("Ctrl+A") << false;
    QTest::newRow("fullscreen") << "Fullscreen" << QKeySequence("Ctrl+Shift+F") << false;
    QTest::newRow("edit the GUI") << "Edit the GUI" << QKeySequence("Ctrl+E") << false;
    QTest::newRow("differences") << "&Show differences..." << QKeySequence() << false;
    QTest::newRow("clear console") << "Clear console" << QKeySequence() << false;
}

void TestMenus::shortcutsAndIcons()
{
    QFETCH(QString, text);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, icon);
    auto window = makeWindow(allSwitches);
    QAction *found = nullptr;
    for (QAction *action : window->findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (action->text() == text) {
            QVERIFY2(!found, "two actions with one text");
            found = action;
        }
    }
    QVERIFY(found);
    QCOMPARE(found->shortcut(), keys);
    QCOMPARE(!found->icon().isNull(), icon);
    QVERIFY(!found->statusTip().isEmpty());
}

void TestMenus::someActionsStartDisabled()
{
    auto window = makeWindow(allSwitches);
    QSet<QAction *> disabled;
    for (const char *name : {"fileMenu", "extrasMenu"}) {
        for (QAction *action : menuNamed(window.get(), name)->actions()) {
            if (!action->isEnabled())
                disabled << action;
        }
    }
    QCOMPARE(disabled, (QSet<QAction *>{window->findChild<QAction *>(QStringLiteral("exportHeaderFilesAction")), window->findChild<QAction *>(QStringLiteral("showPortMappingAction")),
                                        window->findChild<QAction *>(QStringLiteral("addScriptCommandAction"))}));
    QVERIFY(window->findChild<QAction *>(QStringLiteral("fullscreenAction"))->isCheckable());
}

void TestMenus::homePanelNamesEntriesThatExist()
{
    // The shipped home panel points the user to menu entries as "(Menu > Entry)".
    QFile home(QStringLiteral(QUILLMATE_SOURCE_DIR "/resources/scripts/index.xml"));
    QVERIFY(home.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(home.readAll());
    auto window = makeWindow();
    const QHash<QString, const char *> menus = {{"File", "fileMenu"}, {"Extras", "extrasMenu"}};
    static const QRegularExpression reference(QStringLiteral("\\(([A-Za-z]+) &gt; ([^)]+)\\)"));
    int named = 0;
    for (auto match = reference.globalMatch(text); match.hasNext(); ++named) {
        const QRegularExpressionMatch found = match.next();
        QVERIFY2(menus.contains(found.captured(1)), qPrintable(found.captured(0)));
        const QStringList shown = entries(menuNamed(window.get(), menus.value(found.captured(1)))).replaceInStrings(
            QStringLiteral("&"), QString());
        QVERIFY2(shown.contains(found.captured(2)), qPrintable(found.captured(0) + " in " + shown.join(", ")));
    }
    QVERIFY(named > 0);
}

void TestMenus::panelAndHomeEnableTheProjectActions()
{
    auto window = makeWindow();
    auto *forum = window->findChild<QToolBar *>("harbikToolBar")->findChildren<QPushButton *>().last();
    QCOMPARE(forum->toolTip(), QString("Forum"));
    const QList<QAction *> project = {window->findChild<QAction *>(QStringLiteral("loadAction")), window->findChild<QAction *>(QStringLiteral("saveAction")), window->findChild<QAction *>(QStringLiteral("saveAsAction")),
                                      window->findChild<QAction *>(QStringLiteral("showDifferencesAction"))};

    // A panel with <loadsaveallowed value="0"/> and no forum.
    window->panel()->editHeader().loadSaveAllowed = false;
    window->panel()->editHeader().forumUrl = QString();
    window->updatePanelActions();
    QVERIFY(window->findChild<QAction *>(QStringLiteral("homeAction"))->isEnabled());
    for (QAction *action : project)
        QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
    QVERIFY(!window->findChild<QAction *>(QStringLiteral("exportHeaderFilesAction"))->isEnabled()); // no headers to write
    QVERIFY(forum->isHidden());

    // The next panel allows saving and has a forum.
    window->panel()->editHeader().loadSaveAllowed = true;
    window->panel()->editHeader().forumUrl = "https://forum.example.org/";
    window->updatePanelActions();
    for (QAction *action : project)
        QVERIFY2(action->isEnabled(), qPrintable(action->text()));
    QVERIFY(!forum->isHidden());

    // The home panel: nothing to save or export; "Load" keeps its state.
    window->findChild<QAction *>(QStringLiteral("exportHeaderFilesAction"))->setEnabled(true);
    window->panel()->editHeader().forumUrl = QString();
    window->updateHomeActions();
    for (QAction *action : {window->findChild<QAction *>(QStringLiteral("exportHeaderFilesAction")), window->findChild<QAction *>(QStringLiteral("homeAction")), window->findChild<QAction *>(QStringLiteral("saveAsAction")), window->findChild<QAction *>(QStringLiteral("saveAction")),
                            window->findChild<QAction *>(QStringLiteral("showDifferencesAction"))})
        QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
    QVERIFY(window->findChild<QAction *>(QStringLiteral("loadAction"))->isEnabled());
    QVERIFY(forum->isHidden());
}

void TestMenus::windowShortcuts()
{
    auto window = makeWindow(allSwitches);
    window->show();
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    auto *launcher = window->findChild<QToolBar *>("harbikToolBar");
    auto *main = window->findChild<QToolBar *>("toolBar");

    // Ctrl+Shift+F works while the tool bars, and with them the menus, are hidden.
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(window->isFullScreenMode());
    QVERIFY(!launcher->isVisible() && !main->isVisible());
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!window->isFullScreenMode());
    QVERIFY(launcher->isVisible() && main->isVisible());

    // In the script input Ctrl+A selects the text; elsewhere it adds a script command.
    window->findChild<QAction *>(QStringLiteral("addScriptCommandAction"))->setEnabled(true);
    QSignalSpy added(window->findChild<QAction *>(QStringLiteral("addScriptCommandAction")), &QAction::triggered);
    window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->show();
    auto *tabs = window->findChild<QDockWidget *>(QStringLiteral("consoleDock"))->findChild<QTabWidget *>();
    tabs->setCurrentIndex(1);
    auto *input = window->findChild<TextBrowser *>("scriptInput");
    QVERIFY(input->hasFocus() || QTest::qWaitFor([&] { return input->hasFocus(); }));
    input->setPlainText("Set(MODE, 1)");
    QTest::keyClick(input, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(added.count(), 0);
    QCOMPARE(input->textCursor().selectedText(), QString("Set(MODE, 1)"));
    QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(added.count(), 1);
}

void TestMenus::versionLabelFromManifest_data()
{
    QTest::addColumn<QByteArray>("manifest"); // null: no manifest; "<dir>": unreadable
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("feature");

    QTest::newRow("no manifest") << QByteArray()
                                 << "Quillmate - Unsupported Version (Use the Orvanta Harbik to get support)"
                                 << "";
    QTest::newRow("version line") << QByteArray("Manifest-Version: 1.0\nBundle-Version: 1.4.2\n")
                                  << "Quillmate - Version 1.4.2" << "";
    QTest::newRow("CR LF, symbolic name")
        << QByteArray("Bundle-SymbolicName: com.orvanta.quillmate;singleton:=true\r\n"
                      "Bundle-Version: 2.0.1.qualifier\r\n")
        << "Quillmate - Version 2.0.1.qualifier" << "com.orvanta.quillmate.feature";
    QTest::newRow("symbolic name without attributes") << QByteArray("Bundle-SymbolicName: qm\n")
                                                      << "Quillmate - Version Unknown" << "qm.feature";
    QTest::newRow("no version line") << QByteArray("Manifest-Version: 1.0\n")
                                     << "Quillmate - Version Unknown" << "";
    QTest::newRow("later line wins") << QByteArray("Bundle-Version: 1.0.0\nBundle-Version: 1.1.0")
                                     << "Quillmate - Version 1.1.0" << "";
    QTest::newRow("text after the first separator") << QByteArray("Bundle-Version: 3.0: beta\n")
                                                    << "Quillmate - Version 3.0: beta" << "";
    QTest::newRow("unreadable") << QByteArray("<dir>") << "Quillmate - Version Unknown" << "";
}

void TestMenus::versionLabelFromManifest()
{
    QFETCH(QByteArray, manifest);
    QFETCH(QString, label);
    QFETCH(QString, feature);
    const QString path = env->path("META-INF/MANIFEST.MF");
    QDir(env->path(QString())).mkpath("META-INF");
    if (manifest == "<dir>") {
        QVERIFY(QDir().mkpath(path));
    } else if (!manifest.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(manifest);
    }
    auto window = makeWindow();
    QStringList texts;
    for (QLabel *shown : window->statusBar()->findChildren<QLabel *>())
        texts << shown->text();
    QVERIFY2(texts.contains(label), qPrintable(texts.join(" | ")));
    QVERIFY(texts.contains("Ready"));
    QCOMPARE(window->integration().harbikFeature(), feature);
}

void TestMenus::consoleContextMenuOffersClearConsole()
{
    auto window = makeWindow();
    window->show();
    window->clearConsole(); // start-up may have printed already
    window->consolePrint("some text<br>");
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        offered = entries(menu);
        QVERIFY(menu->actions().contains(window->findChild<QAction *>(QStringLiteral("clearConsoleAction"))));
        menu->close();
    });
    window->console().showContextMenu(QPoint(5, 5));
    // The console's standard entries, then ours.
    QVERIFY(offered.size() > 1);
    QCOMPARE(offered.last(), QString("Clear console"));
    QCOMPARE(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText(), QString("some text\n"));
    window->findChild<QAction *>(QStringLiteral("clearConsoleAction"))->trigger();
    QVERIFY(window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText().isEmpty());
}

void TestMenus::forumButtonOpensTheForum()
{
    auto window = makeWindow();
    auto *forum = window->findChild<QToolBar *>("harbikToolBar")->findChildren<QPushButton *>().last();
    window->panel()->editHeader().forumUrl = "https://forum.example.org/quillmate boards";
    QTest::mousePress(forum, Qt::LeftButton);
    QTest::mouseRelease(forum, Qt::LeftButton);
    QCOMPARE(catcher.urls.size(), 1);
    // Parsed tolerantly: the blank is encoded, not refused.
    QCOMPARE(catcher.urls.first(), QUrl("https://forum.example.org/quillmate%20boards"));

    // An empty address opens nothing.
    window->panel()->editHeader().forumUrl = QString();
    window->showForum();
    QCOMPARE(catcher.urls.size(), 1);
}

void TestMenus::appNotesMenuListsThePanelsPdfs()
{
    auto window = makeWindow();
    QDir(env->path("panel")).mkpath("Documentation");
    for (const char *name : {"b.pdf", "a.pdf", "readme.txt"}) {
        QFile file(env->path("panel/Documentation/") + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(!window->findChild<QAction *>(QStringLiteral("appNotesBarAction"))->isVisible());

    window->panel()->editHeader().xmlDir = env->path("panel");
    window->panel()->editHeader().documentsPath = "Documentation";
    window->createAppNotesMenu();
    QVERIFY(window->findChild<QAction *>(QStringLiteral("appNotesBarAction"))->isVisible());
    QMenu *menu = window->findChild<QPushButton *>(QStringLiteral("appNotesMenuButton"))->menu();
    QVERIFY(menu);
    QCOMPARE(menu->objectName(), QString("appNotesMenu"));
    QCOMPARE(entries(menu), QStringList({"a.pdf", "b.pdf"}));
    QCOMPARE(menu->width(), int(menu->sizeHint().width() * 1.15));

    menu->actions().at(1)->trigger();
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl("file:" + env->path("panel/Documentation") + "/b.pdf")});

    // The next panel has no documents: the entry goes away.
    window->panel()->editHeader().xmlDir = env->path("other");
    window->createAppNotesMenu();
    QVERIFY(!window->findChild<QAction *>(QStringLiteral("appNotesBarAction"))->isVisible());
    QVERIFY(!window->findChild<QPushButton *>(QStringLiteral("appNotesMenuButton"))->menu());

    // An absolute documents path is taken as it is.
    window->panel()->editHeader().documentsPath = env->path("panel/Documentation");
    window->createAppNotesMenu();
    QVERIFY(window->findChild<QAction *>(QStringLiteral("appNotesBarAction"))->isVisible());
}

QTEST_MAIN(TestMenus)
#include "tst_menus.moc"
