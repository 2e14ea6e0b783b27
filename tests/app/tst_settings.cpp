#include "apppaths.h"
#include "mainwindow.h"
#include "quillpanel.h"
#include "osinfo.h"
#include "settingsdialog.h"
#include "testenvironment.h"
#include "windowoptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolBar>
#include <QtTest>

#include <memory>

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void settingsIniKeysIgnoreCase();
    void loadOnStartOnlyWithoutAFile();
    void mainStoreIsPerInstallation();
    void defaultsWithoutAnyStore();
    void storedStateIsReadBack();
    void dialogAcceptStoresEverything();
    void scriptDirListHasNoDuplicates();
    void scaleFactorMustBeAtLeastOne_data();
    void scaleFactorMustBeAtLeastOne();
    void scaleFactorIsLockedWhereTheSystemScales();
    void unticklingShowHidesTheLauncherBar();
    void setValuesNeverClearsTicks();

private:
    std::unique_ptr<MainWindow> makeWindow(const QString &file = QString());
    std::unique_ptr<TestEnvironment> env;
};

void TestSettings::init()
{
    env = std::make_unique<TestEnvironment>();
    qunsetenv("QT_SCALE_FACTOR");
}

void TestSettings::cleanup()
{
    setOsProductVersionOverride(QString());
    env.reset();
}

std::unique_ptr<MainWindow> TestSettings::makeWindow(const QString &file)
{
    CommandLineOptions options = quietOptions();
    options.file = file;
    return std::make_unique<MainWindow>(options);
}

void TestSettings::settingsIniKeysIgnoreCase()
{
    env->writeSettingsIni("[General]\nEnableSign=true\nENABLEVALIDATE=1\nenableShowPortMapping=2\n"
                          "EnableKeil=0\nexternalEditor=/usr/bin/true\nUnknownKey=5\nenablefullscreen=false\n");
    auto window = makeWindow();
    const SettingsIniSwitches &s = window->settings().switches;
    QVERIFY(s.enableSign);
    QVERIFY(s.enableValidate);
    QCOMPARE(s.enableShowPortMapping, quint16(2));
    QVERIFY(!s.enableFullscreen);
    QVERIFY(!window->settings().keil);
    QCOMPARE(s.externalEditor, QString("/usr/bin/true"));
    QCOMPARE(window->settings().settingsIniPath, QDir(env->appDir()).filePath("settings.ini"));
}

void TestSettings::loadOnStartOnlyWithoutAFile()
{
    env->writeSettingsIni("[General]\nLoadOnStart=panels\\\\start.xml\n");
    auto window = makeWindow();
    QString file;
    window->readSettingsIni(file);
    QCOMPARE(file, QString("panels/start.xml"));
    QString given = "given.xml";
    window->readSettingsIni(given);
    QCOMPARE(given, QString("given.xml"));
}

void TestSettings::mainStoreIsPerInstallation()
{
    const QString name = AppPaths::mainStoreApplicationName("/opt/quillmate/bin");
    QCOMPARE(name, QString("_opt_quillmate_bin"));
    auto store = AppPaths::openMainStore();
    QVERIFY(store->fileName().startsWith(env->configDir()));
    QVERIFY(store->fileName().endsWith(AppPaths::mainStoreApplicationName(env->appDir()) + ".ini"));
    QVERIFY(AppPaths::openGlobalStore()->fileName().endsWith("/QuillmateGlobal.ini"));
}

void TestSettings::defaultsWithoutAnyStore()
{
    auto window = makeWindow();
    QCOMPARE(window->getScriptsDir(), QDir(env->appDir()).filePath("scripts"));
    QCOMPARE(window->settings().lastDir, window->getScriptsDir());
    QCOMPARE(window->settings().tykLoggingMode, quint16(0));
    QVERIFY(window->settings().toolbarEnabled);
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    QCOMPARE(window->panel()->getDisclaimerFile(), QString("disclaimer.txt"));
    QCOMPARE(window->panel()->documentsPath(), QString("Documentation"));
    QCOMPARE(window->windowTitle(), QString("Quillmate [*]"));
}

void TestSettings::storedStateIsReadBack()
{
    {
        auto store = AppPaths::openMainStore();
        store->setValue("workingDir", env->path("config"));
        store->setValue("scriptsDir", "/srv/scripts");
        store->setValue("TykLoggingMode", 3);
        store->setValue("TykLoggingTimeStamps", true);
        store->setValue("TykLoggingFilename", "/tmp/tyk.log");
        store->setValue("ToolbarEnabled", 0);
    }
    const QString before = QDir::currentPath();
    auto window = makeWindow();
    QCOMPARE(QDir::currentPath(), QDir(env->path("config")).canonicalPath());
    QDir::setCurrent(before);
    QCOMPARE(window->getScriptsDir(), QString("/srv/scripts"));
    QCOMPARE(window->settings().tykLoggingMode, quint16(3));
    QVERIFY(window->settings().tykLoggingTimeStamps);
    QCOMPARE(window->settings().tykLoggingFilename, QString("/tmp/tyk.log"));
    QVERIFY(!window->settings().toolbarEnabled);
    QVERIFY(window->findChild<QToolBar *>("harbikToolBar")->isHidden());
}

void TestSettings::dialogAcceptStoresEverything()
{
    auto window = makeWindow();
    SettingsDialog dialog(window.get());
    dialog.setScriptsDir("/data/scripts");
    dialog.setValues(2, true, "/tmp/traffic.log", 3);
    dialog.setToolbarChecked(true);
    dialog.accept();

    auto store = AppPaths::openMainStore();
    QCOMPARE(store->value("scriptsDir").toString(), QString("/data/scripts"));
    QCOMPARE(store->value("TykLoggingMode").toInt(), 2);
    QCOMPARE(store->value("TykLoggingTimeStamps").toBool(), true);
    QCOMPARE(store->value("TykLoggingFilename").toString(), QString("/tmp/traffic.log"));
    QCOMPARE(store->value("UpdatePeriod").toInt(), 3);
    QCOMPARE(store->value("ToolbarEnabled").toInt(), 1);
    QCOMPARE(window->getScriptsDir(), QString("/data/scripts"));
    QCOMPARE(window->settings().tykLoggingMode, quint16(2));
    QCOMPARE(AppPaths::openGlobalStore()->value("ScriptDirList").toStringList(),
             QStringList{"/data/scripts"});
}

void TestSettings::scriptDirListHasNoDuplicates()
{
    AppPaths::openGlobalStore()->setValue("ScriptDirList", QStringList{"/a", "/b"});
    auto window = makeWindow();
    for (int i = 0; i < 2; ++i) {
        SettingsDialog dialog(window.get());
        QComboBox *box = dialog.findChild<QComboBox *>("scriptsDirBox");
        QCOMPARE(box->count(), 2);
        dialog.setScriptsDir("/b");
        dialog.accept();
    }
    QCOMPARE(AppPaths::openGlobalStore()->value("ScriptDirList").toStringList(), (QStringList{"/a", "/b"}));
}

void TestSettings::scaleFactorMustBeAtLeastOne_data()
{
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("stored");
    QTest::newRow("1.5 is stored") << "1.5" << "1.5";
    QTest::newRow("exactly 1") << "1" << "1";
    QTest::newRow("below 1 is dropped") << "0.5" << "";
    QTest::newRow("not a number is dropped") << "big" << "";
    QTest::newRow("empty is dropped") << "" << "";
}

void TestSettings::scaleFactorMustBeAtLeastOne()
{
    QFETCH(QString, entered);
    QFETCH(QString, stored);
    auto window = makeWindow();
    SettingsDialog dialog(window.get());
    QLineEdit *scale = dialog.findChild<QLineEdit *>("scaleFactorEdit");
    QVERIFY(scale);
    scale->setText(entered);
    dialog.accept();
    QCOMPARE(AppPaths::openSettingsIni()->value("ScaleFactor").toString(), stored);
    QCOMPARE(qEnvironmentVariable("QT_SCALE_FACTOR"), stored);
    qunsetenv("QT_SCALE_FACTOR");

    if (!stored.isEmpty()) {
        // The next dialog shows the stored factor.
        SettingsDialog again(window.get());
        QCOMPARE(again.findChild<QLineEdit *>("scaleFactorEdit")->text(), stored);
    }
}

void TestSettings::scaleFactorIsLockedWhereTheSystemScales()
{
    setOsProductVersionOverride("10.0.19045");
    auto window = makeWindow();
    SettingsDialog dialog(window.get());
    QLineEdit *scale = dialog.findChild<QLineEdit *>("scaleFactorEdit");
    QCOMPARE(scale->text(), QString("---"));
    QVERIFY(!scale->isEnabled());
    QCOMPARE(scale->toolTip(), QString("Only available on Windows 7, OS scaling is used on Windows 10"));
    dialog.accept();
    QVERIFY(!AppPaths::openSettingsIni()->contains("ScaleFactor"));
}

void TestSettings::unticklingShowHidesTheLauncherBar()
{
    auto window = makeWindow();
    QToolBar *bar = window->findChild<QToolBar *>("harbikToolBar");
    window->show();
    QVERIFY(bar->isVisible());
    window->applySettings(0, false, QString(), 2, false);
    QVERIFY(!bar->isVisible());
    QCOMPARE(AppPaths::openMainStore()->value("ToolbarEnabled").toInt(), 0);
    window->applySettings(0, false, QString(), 2, true);
    QVERIFY(bar->isVisible());
}

void TestSettings::setValuesNeverClearsTicks()
{
    auto window = makeWindow();
    SettingsDialog dialog(window.get());
    dialog.setValues(3, false, QString(), 0);
    dialog.setValues(0, false, QString(), 0);
    QVERIFY(dialog.findChild<QCheckBox *>("consoleCheck")->isChecked());
    QVERIFY(dialog.findChild<QCheckBox *>("fileCheck")->isChecked());
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
