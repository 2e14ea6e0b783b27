// The application notes opened as local files, and the port-mapping command
// behind its switch.

#include "mainwindow.h"
#include "quillpanel.h"
#include "testenvironment.h"
#include "windowoptions.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <memory>

// Collects the URLs QDesktopServices would have opened.
class NoteCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

class TestAppNotes : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void notesWithOddNamesOpenTheirFile();
    void portMappingNeedsItsSwitch();

private:
    std::unique_ptr<MainWindow> makeWindow(const QString &settingsIni);

    std::unique_ptr<TestEnvironment> m_env;
    NoteCatcher m_catcher;
};

void TestAppNotes::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_catcher.urls.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_catcher, "open");
}

void TestAppNotes::cleanup()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    m_env.reset();
}

std::unique_ptr<MainWindow> TestAppNotes::makeWindow(const QString &settingsIni)
{
    m_env->writeSettingsIni(QStringLiteral("[General]\n") + settingsIni);
    return std::make_unique<MainWindow>(quietOptions());
}

void TestAppNotes::notesWithOddNamesOpenTheirFile()
{
    auto window = makeWindow(QString());
    const QString folder = m_env->path("panel/Application notes");
    QDir().mkpath(folder);
    // Names a URL would read otherwise: a fragment, an escape, a blank; the
    // extension in upper case is listed too, its name as it is.
    const QStringList names{"note #2.pdf", "100%.pdf", "plain.pdf", "upper.PDF"};
    for (const QString &name : names) {
        QFile file(folder + "/" + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    window->panel()->setXMLDir(m_env->path("panel"));
    window->panel()->setDocumentsPath("Application notes");
    window->createAppNotesMenu();
    QMenu *menu = window->findChild<QPushButton *>(QStringLiteral("appNotesMenuButton"))->menu();
    QVERIFY(menu);
    QStringList shown;
    for (QAction *action : menu->actions()) {
        shown.append(action->text());
        action->trigger();
    }
    QCOMPARE(shown, (QStringList{"100%.pdf", "note #2.pdf", "plain.pdf", "upper.PDF"}));
    QCOMPARE(m_catcher.urls.size(), 4);
    for (int i = 0; i < 4; ++i) {
        QVERIFY(m_catcher.urls.at(i).isLocalFile());
        QCOMPARE(m_catcher.urls.at(i).toLocalFile(), folder + "/" + shown.at(i));
    }
    // Only a menu entry opens a note.
    window->showAppNotes();
    QCOMPARE(m_catcher.urls.size(), 4);
}

void TestAppNotes::portMappingNeedsItsSwitch()
{
    auto off = makeWindow(QString());
    off->showPortMapping();
    QVERIFY(!off->pinMapping().portMappingDialog());
    off.reset();
    // With the switch on but no panel shown in the scroll area, nothing opens either.
    auto on = makeWindow("enableshowportmapping=1\n");
    on->setCentralWidget(new QWidget);
    on->showPortMapping();
    QVERIFY(!on->pinMapping().portMappingDialog());
}

QTEST_MAIN(TestAppNotes)
#include "tst_appnotes.moc"
