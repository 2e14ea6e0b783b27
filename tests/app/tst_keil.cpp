// The Keil µVision tools menu, kept in an INI store of its own: the entry the
// program writes at start-up and from the menu, the clean-up of entries whose
// program is gone, and stores that are missing, too large or not the IDE's.

#include "keiltoolstore.h"
#include "mainwindow.h"
#include "programrun.h"
#include "programversion.h"
#include "testenvironment.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QtTest>

#include <memory>

using Entries = QList<QStringList>; // title, command, arguments, flags, folder

class TestKeil : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void missingStoreMeansNotInstalled();
    void startUpWritesTheFirstFreeEntry();
    void startUpFindsItsOwnEntryInAnyCase();
    void startUpAsksAboutOtherCopies_data();
    void startUpAsksAboutOtherCopies();
    void cleanUpRemovesEntriesOfRemovedCopies();
    void cleanUpKeepsEverythingWhenTheAnswerIsNo();
    void menuActionAddsOnceAndFindsItself();
    void oversizedStoreIsLeftAlone();
    void storeWithoutFreeEntryGetsNothing();
    void keilOptionIntegratesAndExits();

private:
    void writeStore(const Entries &entries, const QByteArray &extra = QByteArray());
    Entries readStore() const;
    QString ownCommand() const;
    QStringList ownEntry() const;

    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<MainWindow> window;
    QString store;
};

void TestKeil::init()
{
    env = std::make_unique<TestEnvironment>();
    readProgramVersion();
    store = env->path(QStringLiteral("keil/uv5.ini"));
    qputenv("QUILLMATE_KEIL_STORE", store.toUtf8());
    window = std::make_unique<MainWindow>(CommandLineOptions());
    env->installPrompt({}); // what the start-up asked does not count
}

void TestKeil::cleanup()
{
    window.reset();
    env.reset();
    qunsetenv("QUILLMATE_KEIL_STORE");
}

void TestKeil::writeStore(const Entries &entries, const QByteArray &extra)
{
    QDir().mkpath(QFileInfo(store).path());
    QFile::remove(store);
    {
        QSettings ini(store, QSettings::IniFormat);
        ini.setIniCodec("UTF-8");
        for (int i = 0; i < entries.size(); ++i) {
            const QStringList &e = entries.at(i);
            ini.setValue(QStringLiteral("ToolM/Mtx%1").arg(i), e.value(0));
            ini.setValue(QStringLiteral("ToolM/Mex%1").arg(i), e.value(1));
            ini.setValue(QStringLiteral("ToolM/Mag%1").arg(i), e.value(2));
            ini.setValue(QStringLiteral("ToolM/Mfg%1").arg(i), e.value(3).toInt());
            ini.setValue(QStringLiteral("ToolM/Mid%1").arg(i), e.value(4));
        }
        ini.setValue(QStringLiteral("ToolM/Mfg%1").arg(entries.size()), 0);
        ini.setValue(QStringLiteral("Other/Kept"), QStringLiteral("yes"));
    }
    if (!extra.isEmpty()) {
        QFile file(store);
        QVERIFY(file.open(QIODevice::Append));
        file.write(extra);
    }
}

// The entries up to the end mark.
Entries TestKeil::readStore() const
{
    QSettings ini(store, QSettings::IniFormat);
    ini.setIniCodec("UTF-8");
    Entries entries;
    for (int i = 0; i < 20; ++i) {
        const int flags = ini.value(QStringLiteral("ToolM/Mfg%1").arg(i)).toInt();
        if (flags == 0)
            break;
        entries << QStringList{ini.value(QStringLiteral("ToolM/Mtx%1").arg(i)).toString(),
                               ini.value(QStringLiteral("ToolM/Mex%1").arg(i)).toString(),
                               ini.value(QStringLiteral("ToolM/Mag%1").arg(i)).toString(),
                               QString::number(flags), ini.value(QStringLiteral("ToolM/Mid%1").arg(i)).toString()};
    }
    return entries;
}

QString TestKeil::ownCommand() const
{
    return QCoreApplication::applicationFilePath().replace('/', '\\');
}

QStringList TestKeil::ownEntry() const
{
    return {QStringLiteral("Quillmate V2.5.0"), ownCommand(), QStringLiteral("\"$PRTE\\Device\\$D\\config.qlmp\""),
            QStringLiteral("2304"), QString()};
}

static const QStringList foreignTool{"Flash tool", "C:\\tools\\flash.exe", "-p", "1", "C:\\tools"};
static const QStringList editorTool{"Editor", "C:\\tools\\edit.exe", "", "2304", ""};

void TestKeil::missingStoreMeansNotInstalled()
{
    window->integration().cleanUpKeilEntries();
    window->integration().runKeilStep();
    window->integration().integrateKeil();
    QVERIFY(!QFile::exists(store));
    QVERIFY(!QDir(QFileInfo(store).path()).exists());
}

void TestKeil::startUpWritesTheFirstFreeEntry()
{
    writeStore({foreignTool, editorTool});
    window->integration().runKeilStep();
    QCOMPARE(readStore(), (Entries{foreignTool, editorTool, ownEntry()}));
    QSettings ini(store, QSettings::IniFormat);
    QVERIFY(ini.contains(QStringLiteral("ToolM/Mfg3")));
    QCOMPARE(ini.value(QStringLiteral("ToolM/Mfg3")).toInt(), 0);
    QCOMPARE(ini.value(QStringLiteral("Other/Kept")).toString(), QStringLiteral("yes"));
    QCOMPARE(env->prompt()->transcript(), QStringList());
}

void TestKeil::startUpFindsItsOwnEntryInAnyCase()
{
    QStringList own = ownEntry();
    own[1] = own[1].toLower();
    writeStore({foreignTool, own});
    window->integration().runKeilStep();
    QCOMPARE(readStore(), (Entries{foreignTool, own}));
}

void TestKeil::startUpAsksAboutOtherCopies_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("remembered");
    QTest::newRow("yes") << "yes" << false << true << false;
    QTest::newRow("no") << "no" << false << false << false;
    QTest::newRow("no, remembered") << "no+checked" << false << false << true;
    QTest::newRow("quiet never asks") << "no+checked" << true << true << false;
}

void TestKeil::startUpAsksAboutOtherCopies()
{
    QFETCH(QString, answer);
    QFETCH(bool, quiet);
    QFETCH(bool, written);
    QFETCH(bool, remembered);
    const QStringList other{"Quillmate V2.4.0", "C:\\old\\quillmate.exe", "\"x\"", "2304", ""};
    writeStore({other});
    env->installPrompt({answer});
    window->scriptHost().setQuietMode(quiet);
    window->integration().runKeilStep();

    QCOMPARE(readStore(), written ? (Entries{other, ownEntry()}) : (Entries{other}));
    const QStringList asked = env->prompt()->transcript();
    QCOMPARE(asked.size(), quiet ? 0 : 1);
    if (!quiet) {
        QVERIFY(asked.first().startsWith(QStringLiteral("Keil µVision 5 Integration: Other Quillmate(s) were "
                                                        "integrated into Keil µVision5.\n\nPaths:\n-C:\\old\\quillmate.exe\n")));
        QVERIFY(asked.first().endsWith(QStringLiteral("\"Tools -> Customize Tools Menu...\"")));
    }
    QSettings ini(QDir(env->appDir()).filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    QCOMPARE(ini.contains(QStringLiteral("EnableKeil")), remembered);
    if (remembered)
        QCOMPARE(ini.value(QStringLiteral("EnableKeil")).toInt(), 0);
}

void TestKeil::cleanUpRemovesEntriesOfRemovedCopies()
{
    // An installed copy: its program file exists, named with "\" separators.
    const QString installed = env->path(QStringLiteral("installed/quillmate"));
    QDir().mkpath(QFileInfo(installed).path());
    QFile(installed).open(QIODevice::WriteOnly);
    const QStringList present{"Quillmate V2.5.0", QString(installed).replace('/', '\\'), "", "2304", ""};
    const QStringList gone1{"Quillmate V2.3.0", "C:\\gone\\one\\quillmate.exe", "", "2304", ""};
    const QStringList gone2{"ZELQuillmate", "C:\\gone\\two\\quillmate.exe", "", "2304", ""};
    const QStringList missingForeign{"Flash tool", "C:\\gone\\flash.exe", "", "1", ""};
    writeStore({gone1, foreignTool, gone2, present, missingForeign});
    env->installPrompt({QStringLiteral("yes")});

    window->integration().cleanUpKeilEntries();

    QCOMPARE(env->prompt()->transcript(),
             QStringList{"Keil µVision 5 Integration: There are 2 Quillmate integrated into\nKeil µVision5 that "
                         "have been removed from disk.\nRemove from Keil Tool menu also?"});
    QCOMPARE(readStore(), (Entries{foreignTool, present, missingForeign}));
    QSettings ini(store, QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("ToolM/Mfg3")).toInt(), 0);
    QVERIFY(!ini.contains(QStringLiteral("ToolM/Mtx4")));
    QCOMPARE(ini.value(QStringLiteral("Other/Kept")).toString(), QStringLiteral("yes"));
}

void TestKeil::cleanUpKeepsEverythingWhenTheAnswerIsNo()
{
    const QStringList gone{"Quillmate V2.3.0", "C:\\gone\\quillmate.exe", "", "2304", ""};
    writeStore({gone, foreignTool});
    QFile file(store);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    // No scripted answer: the box's default, No.
    window->integration().cleanUpKeilEntries();
    QCOMPARE(env->prompt()->transcript().size(), 1);
    QVERIFY(env->prompt()->transcript().first().contains("There is a Quillmate integrated into"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestKeil::menuActionAddsOnceAndFindsItself()
{
    writeStore({foreignTool});
    window->integration().integrateKeil();
    window->integration().integrateKeil();
    QCOMPARE(readStore(), (Entries{foreignTool, ownEntry()}));
    QCOMPARE(env->prompt()->transcript(), QStringList());

    // Another copy titled exactly "Quillmate": asked first.
    const QStringList other{"Quillmate", "C:\\other\\quillmate.exe", "", "2304", ""};
    writeStore({other});
    env->installPrompt({QStringLiteral("no")});
    window->integration().integrateKeil();
    QCOMPARE(readStore(), (Entries{other}));
    QCOMPARE(env->prompt()->transcript().size(), 1);
}

void TestKeil::oversizedStoreIsLeftAlone()
{
    writeStore({QStringList{"Quillmate V1.0.0", "C:\\gone\\q.exe", "", "2304", ""}},
               "\n[Padding]\nfill=" + QByteArray(KeilToolStore::maximumFileSize, 'x') + "\n");
    QFile file(store);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    env->installPrompt({QStringLiteral("yes")});
    window->integration().cleanUpKeilEntries();
    window->integration().runKeilStep();
    QCOMPARE(env->prompt()->transcript(), QStringList());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TestKeil::storeWithoutFreeEntryGetsNothing()
{
    Entries full;
    for (int i = 0; i < 20; ++i)
        full << QStringList{QStringLiteral("Tool %1").arg(i), QStringLiteral("C:\\t%1.exe").arg(i), "", "1", ""};
    writeStore(full);
    window->integration().runKeilStep();
    QCOMPARE(readStore(), full);
}

// -k -x as a build script runs it: the program adds itself and ends.
void TestKeil::keilOptionIntegratesAndExits()
{
    writeStore({foreignTool});
    qputenv("QUILLMATE_KEIL_STORE", store.toUtf8());
    const ProgramRun run = runProgram(QStringLiteral(QUILLMATE_BINARY), {QStringLiteral("-k"), QStringLiteral("-x")},
                                      env->path(QString()), env->configDir());
    QVERIFY(run.finished);
    QCOMPARE(run.exitCode, 0);
    const Entries entries = readStore();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries.at(1).at(0), QStringLiteral("Quillmate V2.5.0"));
    QCOMPARE(entries.at(1).at(1), QStringLiteral(QUILLMATE_BINARY).replace('/', '\\'));
}

QTEST_MAIN(TestKeil)
#include "tst_keil.moc"
