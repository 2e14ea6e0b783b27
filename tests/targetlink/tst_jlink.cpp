// The J-Link binding and connection against our simulator library (jlinksim),
// loaded the way the vendor's library is.
#include "errorreporter.h"
#include "jlink.h"
#include "jlinkconnection.h"
#include "jlinksim.h"
#include "prompt.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>

namespace {

QStringList debugLines;
QtMessageHandler previousHandler = nullptr;

void captureDebug(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtDebugMsg)
        debugLines << text;
    else if (previousHandler)
        previousHandler(type, context, text);
}

QStringList logCallbackTexts;

// A prompt that plays a display: it keeps the title and text of every box.
class BoxRecorder final : public Prompt
{
public:
    bool isInteractive() const override { return true; }
    PromptAnswer message(const PromptMessage &message) override
    {
        boxes << message.title + QStringLiteral(": ") + message.text;
        return {};
    }
    void errorBox(const QString &text) override { boxes << QStringLiteral(": ") + text; }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString existingDirectory(QWidget *, const QString &, const QString &) override { return {}; }
    QString item(QWidget *, const QString &, const QString &, const QStringList &, int, bool *ok) override
    {
        *ok = false;
        return {};
    }
    QStringList boxes;
};

void recordLog(const char *text)
{
    logCallbackTexts << QString::fromLatin1(text);
}

template <typename Fn>
Fn simulatorHelper(const char *name)
{
    return reinterpret_cast<Fn>(JLink::resolveJLinkFunction(name));
}

// Runs body on a thread of its own and waits for it.
void runOnThread(const std::function<void()> &body)
{
    QScopedPointer<QThread> thread(QThread::create(body));
    thread->start();
    thread->wait();
}

} // namespace

class JLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void searchOrder_data();
    void searchOrder();
    void missingLibraryIsReportedOnce();
    void failureBoxIsTitled();
    void reportFromPollingThreadIsQueued();
    void registryValues_data();
    void registryValues();
    void everyWrapperReachesTheLibrary();
    void missingFunctionsAnswerFailure();
    void simulatorFilesPreloadAndDump();
    void twoThreadsShareTheProbe();

    void connectStopsAtFailingStep_data();
    void connectStopsAtFailingStep();
    void connectSendsSettings_data();
    void connectSendsSettings();
    void defaultSettings();

private:
    QString copyLibrary(const QString &folder, const QString &name,
                        const QString &source = QStringLiteral(JLINKSIM_PATH));
    void writeRegistry(const QString &installPath);
    // Loads the simulator through the environment variable, fresh.
    void loadSimulator(const QString &path = QStringLiteral(JLINKSIM_PATH));
    QStringList calls();
    QStringList callNames();
    QStringList errorLines() const;

    TestEnvironment m_environment;
    QTemporaryDir m_folder;
    QString m_callLog;
    QString m_registry;
    QStringList m_reports;
};

void JLinkTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    // The library's text callbacks are developer traces: switched on here to
    // be read.
    QLoggingCategory::setFilterRules(QStringLiteral("quillmate.targetlink.debug=true"));
    m_callLog = m_folder.filePath(QStringLiteral("calls.log"));
    m_registry = m_folder.filePath(QStringLiteral("registry.ini"));
    ErrorReporter::instance().setSinks(false, true, false);
    ErrorReporter::instance().setConsoleSink([this](const QString &line) { m_reports << line; });
    previousHandler = qInstallMessageHandler(captureDebug);
}

void JLinkTest::cleanupTestCase()
{
    qInstallMessageHandler(previousHandler);
    ErrorReporter::instance().setConsoleSink(nullptr);
}

void JLinkTest::init()
{
    JLink::unloadJLinkDll();
    qunsetenv("QUILLMATE_JLINK_LIBRARY");
    qunsetenv("JLINKSIM_FAIL");
    qputenv("JLINKSIM_LOG", m_callLog.toLocal8Bit());
    qputenv("QUILLMATE_REGISTRY_FILE", m_registry.toLocal8Bit());
    QFile::remove(m_registry);
    QDir(m_environment.appDir()).removeRecursively();
    QDir().mkpath(m_environment.appDir());
    m_reports.clear();
    debugLines.clear();
    logCallbackTexts.clear();
}

void JLinkTest::cleanup()
{
    JLink::unloadJLinkDll();
}

QString JLinkTest::copyLibrary(const QString &folder, const QString &name, const QString &source)
{
    QDir().mkpath(folder);
    const QString target = QDir(folder).filePath(name);
    QFile::remove(target);
    if (!QFile::copy(source, target))
        qWarning("cannot copy %s", qPrintable(source));
    return target;
}

void JLinkTest::writeRegistry(const QString &installPath)
{
    QFile file(m_registry);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Software\\SEGGER\\J-Link]\nInstallPath=" + installPath.toLocal8Bit() + "\n");
}

void JLinkTest::loadSimulator(const QString &path)
{
    qputenv("QUILLMATE_JLINK_LIBRARY", path.toLocal8Bit());
    QVERIFY(!JLink::loadJLinkDll(true));
    QCOMPARE(JLink::jlinkLibraryPath(), path);
    simulatorHelper<JLinkSimReset>("jlinksim_reset")();
}

QStringList JLinkTest::calls()
{
    QFile file(m_callLog);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList JLinkTest::callNames()
{
    QStringList names;
    const QStringList lines = calls();
    for (const QString &line : lines)
        names << line.left(line.indexOf(QLatin1Char('(')));
    return names;
}

QStringList JLinkTest::errorLines() const
{
    return debugLines.filter(QRegularExpression(QStringLiteral("^ERROR: ")));
}

// ---- The library search

void JLinkTest::searchOrder_data()
{
    QTest::addColumn<bool>("inEnvironment");
    QTest::addColumn<bool>("inProgramFolder");
    QTest::addColumn<QString>("installPath"); // relative to the install folder; empty: none
    QTest::addColumn<QString>("expected");    // env, program or install

    QTest::newRow("environment first") << true << true << "." << "env";
    QTest::newRow("program folder before settings") << false << true << "." << "program";
    QTest::newRow("settings folder") << false << false << "." << "install";
    QTest::newRow("settings naming a file in the folder") << false << false << "JLink.exe"
                                                          << "install";
}

void JLinkTest::searchOrder()
{
    QFETCH(bool, inEnvironment);
    QFETCH(bool, inProgramFolder);
    QFETCH(QString, installPath);
    QFETCH(QString, expected);

    QTemporaryDir folders;
    const QString envLibrary = copyLibrary(folders.filePath(QStringLiteral("env")),
                                           QStringLiteral("probe-under-test.so"));
    const QString programLibrary = QDir(m_environment.appDir()).filePath(QStringLiteral("libjlinkarm.so"));
    if (inProgramFolder)
        copyLibrary(m_environment.appDir(), QStringLiteral("libjlinkarm.so"));
    const QString installFolder = folders.filePath(QStringLiteral("SEGGER/JLink"));
    const QString installLibrary = copyLibrary(installFolder, QStringLiteral("libjlinkarm.so"));
    writeRegistry(QDir::cleanPath(QDir(installFolder).filePath(installPath)));
    // A named file that does not exist does not stop the search.
    qputenv("QUILLMATE_JLINK_LIBRARY",
            inEnvironment ? envLibrary.toLocal8Bit() : folders.filePath(QStringLiteral("none.so")).toLocal8Bit());

    QVERIFY(!JLink::loadJLinkDll(true));
    QVERIFY(JLink::jlinkAvailable());
    const QString loaded = JLink::jlinkLibraryPath();
    if (expected == QLatin1String("env"))
        QCOMPARE(loaded, envLibrary);
    else if (expected == QLatin1String("program"))
        QCOMPARE(loaded, programLibrary);
    else
        QCOMPARE(QFileInfo(loaded).canonicalFilePath(), QFileInfo(installLibrary).canonicalFilePath());
    // Loaded once: a second search changes nothing, and the library answers.
    QVERIFY(!JLink::loadJLinkDll(true));
    QCOMPARE(JLink::jlinkLibraryPath(), loaded);
    QCOMPARE(int(JLink::JLINKARM_IsOpen()), 0);
    QVERIFY(m_reports.isEmpty());
}

void JLinkTest::failureBoxIsTitled()
{
    qputenv("QUILLMATE_JLINK_LIBRARY", m_folder.filePath(QStringLiteral("none.so")).toLocal8Bit());
    auto recorder = std::make_unique<BoxRecorder>();
    BoxRecorder *boxes = recorder.get();
    Prompt::install(std::move(recorder));
    ErrorReporter::instance().setSinks(true, true, false);
    QVERIFY(JLink::loadJLinkDll(true));
    ErrorReporter::instance().setSinks(false, true, false);
    const QStringList shown = boxes->boxes;
    m_environment.installPrompt({});
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().startsWith(QLatin1String("J-Link Error: Target DLL ")), qPrintable(shown.first()));
}

void JLinkTest::missingLibraryIsReportedOnce()
{
    qputenv("QUILLMATE_JLINK_LIBRARY", m_folder.filePath(QStringLiteral("none.so")).toLocal8Bit());

    QVERIFY(JLink::loadJLinkDll(true));
    QVERIFY(!JLink::jlinkAvailable());
    QCOMPARE(m_reports.size(), 1);
    QVERIFY2(m_reports.first().contains(QLatin1String("Target DLL libjlinkarm.so not found !")),
             qPrintable(m_reports.first()));

    // Every later call answers its default, and none of them reports again;
    // the defaults of calls whose 0 means success say failure.
    char buffer[4] = {};
    QCOMPARE(JLink::JLINKARM_Connect(), -1);
    QCOMPARE(JLink::JLINKARM_ReadMem(0x20000000, 4, buffer), -1);
    QCOMPARE(JLink::JLINKARM_WriteMem(0x20000000, 4, buffer), -1);
    QCOMPARE(JLink::JLINK_DownloadFile("firmware.hex", 0), -1);
    QCOMPARE(int(JLink::JLINKARM_SelectIP("probe", 0)), 1);
    QVERIFY(JLink::JLINKARM_EMU_SelectByUSBSN(1234) < 0);
    QVERIFY(JLink::JLINKARM_OpenEx(recordLog, recordLog) != nullptr);
    QCOMPARE(int(JLink::JLINKARM_IsOpen()), 0);
    JLink::JLINKARM_Go();
    QVERIFY(JLink::loadJLinkDll(true));
    QCOMPARE(jlinkConnect(JLinkSettings()), -1);
    QCOMPARE(m_reports.size(), 1);
    QVERIFY(errorLines().isEmpty());
    // Reading the settings created nothing.
    QVERIFY(!QFile::exists(m_registry));
}

void JLinkTest::reportFromPollingThreadIsQueued()
{
    qputenv("QUILLMATE_JLINK_LIBRARY", m_folder.filePath(QStringLiteral("none.so")).toLocal8Bit());
    int result = 0;
    runOnThread([&result] {
        char buffer[4];
        result = JLink::JLINKARM_ReadMem(0x20000000, 4, buffer);
    });
    QCOMPARE(result, -1);
    // Not shown on the polling thread: it waits for the GUI thread.
    QVERIFY(m_reports.isEmpty());
    QTRY_COMPARE(m_reports.size(), 1);
    QVERIFY(m_reports.first().contains(QLatin1String("not found !")));
}

void JLinkTest::registryValues_data()
{
    QTest::addColumn<QByteArray>("fileText"); // empty: no file
    QTest::addColumn<QString>("expected");

    QTest::newRow("no file") << QByteArray() << QString();
    QTest::newRow("no key") << QByteArray("[Software\\Other]\nInstallPath=/opt/x\n") << QString();
    QTest::newRow("empty value") << QByteArray("[Software\\SEGGER\\J-Link]\nInstallPath=\n") << QString();
    QTest::newRow("folder") << QByteArray("[Software\\SEGGER\\J-Link]\nInstallPath=/opt/SEGGER/JLink\n")
                            << QStringLiteral("/opt/SEGGER/JLink");
    QTest::newRow("comma in path")
        << QByteArray("[Software\\SEGGER\\J-Link]\nInstallPath=/opt/a,b/JLink\n")
        << QStringLiteral("/opt/a,b/JLink");
}

void JLinkTest::registryValues()
{
    QFETCH(QByteArray, fileText);
    QFETCH(QString, expected);
    if (!fileText.isEmpty()) {
        QFile file(m_registry);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(fileText);
    }
    QCOMPARE(JLink::readJLinkInstallPath(), expected);
    QCOMPARE(QFile::exists(m_registry), !fileText.isEmpty());
    if (!fileText.isEmpty()) {
        QFile file(m_registry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), fileText);
    }
}

// ---- The wrappers

void JLinkTest::everyWrapperReachesTheLibrary()
{
    loadSimulator();
    QTemporaryDir files;
    const QString binFile = files.filePath(QStringLiteral("image.bin"));
    {
        QFile file(binFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x11\x22\x33\x44", 4);
    }
    const QByteArray binName = binFile.toLocal8Bit();

    QCOMPARE(int(JLink::JLINKARM_SelectIP("10.0.0.5", 0)), 0);
    QCOMPARE(JLink::JLINKARM_EMU_SelectByUSBSN(801000123), 0);
    QCOMPARE(JLink::JLINKARM_OpenEx(recordLog, recordLog), nullptr);
    QCOMPARE(logCallbackTexts, QStringList{QStringLiteral("jlinksim: probe opened")});
    QCOMPARE(int(JLink::JLINKARM_IsOpen()), 1);
    char error[64] = {};
    QCOMPARE(JLink::JLINKARM_ExecCommand("device = VRC4471", error, sizeof error), 0);
    QCOMPARE(error[0], '\0');
    QCOMPARE(JLink::JLINKARM_TIF_Select(1), 0);
    JLink::JLINKARM_SetSpeed(4000);
    QCOMPARE(JLink::JLINKARM_Connect(), 0);
    const char data[] = {1, 2, 3, 4};
    QCOMPARE(JLink::JLINKARM_WriteMem(0x20000010, 4, data), 4);
    char back[4] = {};
    QCOMPARE(JLink::JLINKARM_ReadMem(0x20000010, 4, back), 0);
    QCOMPARE(QByteArray(back, 4), QByteArray(data, 4));
    QCOMPARE(JLink::JLINKARM_Reset(), 0);
    JLink::JLINKARM_BeginDownload(0);
    QCOMPARE(JLink::JLINK_DownloadFile(binName.constData(), 0x08000100), 0);
    QCOMPARE(JLink::JLINKARM_EndDownload(), 0);
    JLink::JLINKARM_Go();
    JLink::JLINKARM_Close();
    QCOMPARE(int(JLink::JLINKARM_IsOpen()), 0);

    char flash[6] = {};
    QCOMPARE(simulatorHelper<JLinkSimPeek>("jlinksim_peek")(0x080000FF, 6, flash), 0);
    QCOMPARE(QByteArray(flash, 6), QByteArray("\xFF\x11\x22\x33\x44\xFF", 6));

    const QStringList expected = {
        QStringLiteral("JLINKARM_SelectIP(\"10.0.0.5\", 0) = 0"),
        QStringLiteral("JLINKARM_EMU_SelectByUSBSN(801000123) = 0"),
        QStringLiteral("JLINKARM_OpenEx() = null"),
        QStringLiteral("JLINKARM_IsOpen() = 1"),
        QStringLiteral("JLINKARM_ExecCommand(\"device = VRC4471\") = 0"),
        QStringLiteral("JLINKARM_TIF_Select(1) = 0"),
        QStringLiteral("JLINKARM_SetSpeed(4000)"),
        QStringLiteral("JLINKARM_Connect() = 0"),
        QStringLiteral("JLINKARM_WriteMem(0x20000010, 4) = 4"),
        QStringLiteral("JLINKARM_ReadMem(0x20000010, 4) = 0"),
        QStringLiteral("JLINKARM_Reset() = 0"),
        QStringLiteral("JLINKARM_BeginDownload(0)"),
        QStringLiteral("JLINK_DownloadFile(\"%1\", 0x08000100) = 0").arg(binFile),
        QStringLiteral("JLINKARM_EndDownload() = 0"),
        QStringLiteral("JLINKARM_Go()"),
        QStringLiteral("JLINKARM_Close()"),
        QStringLiteral("JLINKARM_IsOpen() = 0"),
    };
    QCOMPARE(calls(), expected);
    QVERIFY(m_reports.isEmpty());

    // An unmapped address is an error, not a read of nothing.
    QVERIFY(JLink::JLINKARM_ReadMem(0x40000000, 4, back) < 0);
    QVERIFY(JLink::JLINKARM_WriteMem(0x2003FFFE, 4, data) < 0);
}

void JLinkTest::missingFunctionsAnswerFailure()
{
    loadSimulator(QStringLiteral(JLINKSIM_PARTIAL_PATH));
    char buffer[4] = {};
    for (int round = 0; round < 2; ++round) {
        QCOMPARE(JLink::JLINKARM_Connect(), -1);
        QCOMPARE(JLink::JLINKARM_ReadMem(0x20000000, 4, buffer), -1);
        QCOMPARE(JLink::JLINKARM_WriteMem(0x20000000, 4, buffer), -1);
        QCOMPARE(JLink::JLINK_DownloadFile("image.bin", 0x08000000), -1);
        QCOMPARE(int(JLink::JLINKARM_SelectIP("probe", 0)), 1);
        QVERIFY(JLink::JLINKARM_EMU_SelectByUSBSN(5) < 0);
        QVERIFY(JLink::JLINKARM_OpenEx(recordLog, recordLog) != nullptr);
    }
    // The functions the library has still work.
    QCOMPARE(int(JLink::JLINKARM_IsOpen()), 0);
    QCOMPARE(JLink::JLINKARM_TIF_Select(1), 0);

    // One report per missing function, however often it was called.
    QCOMPARE(m_reports.size(), 7);
    for (const char *name : {"JLINKARM_Connect", "JLINKARM_ReadMem", "JLINKARM_WriteMem",
                             "JLINK_DownloadFile", "JLINKARM_SelectIP",
                             "JLINKARM_EMU_SelectByUSBSN", "JLINKARM_OpenEx"})
        QCOMPARE(m_reports.filter(QStringLiteral("DLL function %1(...) not found !")
                                      .arg(QLatin1String(name)))
                     .size(),
                 1);

    // The connection does not take the missing open for a success.
    QCOMPARE(jlinkConnect(JLinkSettings()), -1);
    QCOMPARE(errorLines(),
             QStringList{QStringLiteral("ERROR: DLL function JLINKARM_OpenEx(...) not found !")});
    QVERIFY(!callNames().contains(QLatin1String("JLINKARM_ExecCommand")));
}

// The simulator's own file handling, which script and download tests rely on.
void JLinkTest::simulatorFilesPreloadAndDump()
{
    QTemporaryDir files;
    auto write = [&files](const char *name, const QByteArray &bytes) {
        QFile file(files.filePath(QLatin1String(name)));
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return file.fileName();
    };
    const QString bin = write("image.bin", QByteArray("\xA1\xA2\xA3", 3));
    const QString hex = write("image.hex", ":020000042000DA\r\n:04020000DEADBEEFC2\r\n:00000001FF\r\n");
    const QString broken = write("broken.hex", ":04020000DEADBEEFC3\n");
    const QString dump = files.filePath(QStringLiteral("dump.bin"));
    qputenv("JLINKSIM_PRELOAD", (bin + QStringLiteral("@0x08000010;") + hex).toLocal8Bit());
    qputenv("JLINKSIM_DUMP", (dump + QStringLiteral("@0x200001FF:6")).toLocal8Bit());
    loadSimulator();
    qunsetenv("JLINKSIM_PRELOAD");

    auto peek = [](quint32 address, int count) {
        QByteArray bytes(count, '\0');
        if (simulatorHelper<JLinkSimPeek>("jlinksim_peek")(address, quint32(count), bytes.data()) != 0)
            return QByteArray("unmapped");
        return bytes;
    };
    QCOMPARE(peek(0x08000010, 3), QByteArray("\xA1\xA2\xA3", 3));
    QCOMPARE(peek(0x20000200, 4), QByteArray::fromHex("DEADBEEF"));

    // Downloads: a .bin at the address given, a .hex at its own addresses.
    QCOMPARE(JLink::JLINK_DownloadFile(bin.toLocal8Bit().constData(), 0x20000300), 0);
    QCOMPARE(peek(0x20000300, 3), QByteArray("\xA1\xA2\xA3", 3));
    QVERIFY(JLink::JLINK_DownloadFile(broken.toLocal8Bit().constData(), 0) < 0);
    QVERIFY(JLink::JLINK_DownloadFile(bin.toLocal8Bit().constData(), 0x30000000) < 0);
    QVERIFY(JLink::JLINK_DownloadFile(files.filePath(QStringLiteral("none.bin")).toLocal8Bit().constData(), 0x20000000) < 0);

    // Closing writes the dump.
    QVERIFY(!QFile::exists(dump));
    JLink::JLINKARM_Close();
    qunsetenv("JLINKSIM_DUMP");
    QFile dumped(dump);
    QVERIFY(dumped.open(QIODevice::ReadOnly));
    QCOMPARE(dumped.readAll(), QByteArray::fromHex("00DEADBEEF00"));
}

void JLinkTest::twoThreadsShareTheProbe()
{
    loadSimulator();
    // A short wait inside every read widens the window for overlapping calls.
    simulatorHelper<JLinkSimSetReadDelay>("jlinksim_set_read_delay_us")(20);
    const quint32 shared = 0x20000100;
    const int rounds = 1500;
    std::atomic<int> tornReads{0};
    std::atomic<int> lostWrites{0};
    std::atomic<int> failedCalls{0};

    auto hammer = [&](int id) {
        const quint32 own = 0x20001000 + quint32(id) * 0x100;
        for (int i = 0; i < rounds; ++i) {
            char block[16];
            std::memset(block, (i * 2 + id) & 0xFF, sizeof block);
            if (JLink::JLINKARM_WriteMem(shared, sizeof block, block) != int(sizeof block)
                || JLink::JLINKARM_WriteMem(own, sizeof block, block) != int(sizeof block))
                ++failedCalls;
            char seen[16];
            if (JLink::JLINKARM_ReadMem(shared, sizeof seen, seen) != 0) {
                ++failedCalls;
                continue;
            }
            for (char byte : seen)
                if (byte != seen[0])
                    ++tornReads;
            char mine[16];
            if (JLink::JLINKARM_ReadMem(own, sizeof mine, mine) != 0
                || std::memcmp(mine, block, sizeof mine) != 0)
                ++lostWrites;
        }
    };
    QScopedPointer<QThread> other(QThread::create(hammer, 1));
    other->start();
    hammer(0);
    QVERIFY(other->wait(60000));

    QCOMPARE(failedCalls.load(), 0);
    QCOMPARE(tornReads.load(), 0);
    QCOMPARE(lostWrites.load(), 0);
    QCOMPARE(simulatorHelper<JLinkSimReadCount>("jlinksim_read_count")(),
             static_cast<unsigned long long>(4 * rounds));
    QCOMPARE(simulatorHelper<JLinkSimOverlappingCalls>("jlinksim_overlapping_calls")(), 0ull);
    // The wait counts as time spent reading.
    QVERIFY(simulatorHelper<JLinkSimReadTime>("jlinksim_read_time_ns")() >= 4ull * rounds * 20000);
    QVERIFY(m_reports.isEmpty());
}

// ---- The connection

void JLinkTest::connectStopsAtFailingStep_data()
{
    QTest::addColumn<quint32>("hostInterface");
    QTest::addColumn<quint32>("serialNumber");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("callNames");
    QTest::addColumn<QStringList>("errors");

    const QStringList open = {QStringLiteral("JLINKARM_OpenEx")};
    const QStringList commands = open
        + QStringList{QStringLiteral("JLINKARM_ExecCommand"), QStringLiteral("JLINKARM_ExecCommand")};
    const QStringList all = commands
        + QStringList{QStringLiteral("JLINKARM_TIF_Select"), QStringLiteral("JLINKARM_SetSpeed"),
                      QStringLiteral("JLINKARM_Connect")};

    QTest::newRow("nothing fails") << 1u << 0u << "" << 0 << all << QStringList();
    QTest::newRow("IP selection") << 2u << 0u << "JLINKARM_SelectIP" << -1
                                  << QStringList{QStringLiteral("JLINKARM_SelectIP")} << QStringList();
    QTest::newRow("USB selection") << 1u << 123456u << "JLINKARM_EMU_SelectByUSBSN" << -1
                                   << QStringList{QStringLiteral("JLINKARM_EMU_SelectByUSBSN")}
                                   << QStringList();
    QTest::newRow("open") << 1u << 0u << "JLINKARM_OpenEx" << -1 << open
                          << QStringList{QStringLiteral("ERROR: jlinksim: cannot open the probe")};
    QTest::newRow("settings file")
        << 1u << 0u << "JLINKARM_ExecCommand" << -1 << open + QStringList{QStringLiteral("JLINKARM_ExecCommand")}
        << QStringList{QStringLiteral("ERROR: jlinksim: command refused: ProjectFile = Settings.jlink")};
    QTest::newRow("interface selection is not examined")
        << 1u << 0u << "JLINKARM_TIF_Select" << 0 << all << QStringList();
    QTest::newRow("connect") << 1u << 0u << "JLINKARM_Connect" << -1 << all
                             << QStringList{QStringLiteral("ERROR: Could not connect to target.")};
}

void JLinkTest::connectStopsAtFailingStep()
{
    QFETCH(quint32, hostInterface);
    QFETCH(quint32, serialNumber);
    QFETCH(QString, failing);
    QFETCH(int, result);
    QFETCH(QStringList, callNames);
    QFETCH(QStringList, errors);

    qputenv("JLINKSIM_FAIL", failing.toLatin1());
    loadSimulator();
    JLinkSettings settings;
    settings.hostInterface = hostInterface;
    settings.serialNumber = serialNumber;
    settings.ipHost = "probe.local";

    QCOMPARE(jlinkConnect(settings), result);
    QCOMPARE(this->callNames(), callNames);
    QCOMPARE(errorLines(), errors);
    QVERIFY(m_reports.isEmpty());
}

void JLinkTest::connectSendsSettings_data()
{
    QTest::addColumn<quint32>("hostInterface");
    QTest::addColumn<quint32>("serialNumber");
    QTest::addColumn<QByteArray>("settingsFile");
    QTest::addColumn<QByteArray>("deviceName");
    QTest::addColumn<QStringList>("calls");

    const QString open = QStringLiteral("JLINKARM_OpenEx() = null");
    const QStringList tail = {QStringLiteral("JLINKARM_TIF_Select(3) = 0"),
                              QStringLiteral("JLINKARM_SetSpeed(12000)"),
                              QStringLiteral("JLINKARM_Connect() = 0")};
    const QString project = QStringLiteral("JLINKARM_ExecCommand(\"ProjectFile = %1\") = 0");
    const QString device = QStringLiteral("JLINKARM_ExecCommand(\"device = %1\") = 0");

    QTest::newRow("USB, any probe: no selection call")
        << 1u << 0u << QByteArray("Settings.jlink") << QByteArray("VRC4471")
        << QStringList{open, project.arg(QLatin1String("Settings.jlink")),
                       device.arg(QLatin1String("VRC4471"))} + tail;
    QTest::newRow("USB by serial number")
        << 1u << 801000123u << QByteArray("Settings.jlink") << QByteArray("VRC4471")
        << QStringList{QStringLiteral("JLINKARM_EMU_SelectByUSBSN(801000123) = 0"), open,
                       project.arg(QLatin1String("Settings.jlink")),
                       device.arg(QLatin1String("VRC4471"))} + tail;
    QTest::newRow("IP goes on to open")
        << 2u << 801000123u << QByteArray("Settings.jlink") << QByteArray("VRC4471")
        << QStringList{QStringLiteral("JLINKARM_SelectIP(\"192.168.1.7\", 0) = 0"), open,
                       project.arg(QLatin1String("Settings.jlink")),
                       device.arg(QLatin1String("VRC4471"))} + tail;
    QTest::newRow("blanks sent unquoted")
        << 1u << 0u << QByteArray("/home/my dir/Settings.jlink") << QByteArray("VRC 4471 B")
        << QStringList{open, project.arg(QLatin1String("/home/my dir/Settings.jlink")),
                       device.arg(QLatin1String("VRC 4471 B"))} + tail;
    const QByteArray longName = "/tmp/" + QByteArray(3000, 'x') + ".jlink";
    QTest::newRow("long file name sent whole")
        << 1u << 0u << longName << QByteArray("VRC4471")
        << QStringList{open, project.arg(QString::fromLatin1(longName)),
                       device.arg(QLatin1String("VRC4471"))} + tail;
    QTest::newRow("no settings file, no device")
        << 1u << 0u << QByteArray() << QByteArray() << QStringList{open} + tail;
}

void JLinkTest::connectSendsSettings()
{
    QFETCH(quint32, hostInterface);
    QFETCH(quint32, serialNumber);
    QFETCH(QByteArray, settingsFile);
    QFETCH(QByteArray, deviceName);
    QFETCH(QStringList, calls);

    loadSimulator();
    JLinkSettings settings;
    settings.hostInterface = hostInterface;
    settings.serialNumber = serialNumber;
    settings.ipHost = "192.168.1.7";
    settings.targetInterface = 3;
    settings.speedKHz = 12000;
    settings.settingsFile = settingsFile;
    settings.deviceName = deviceName;

    QCOMPARE(jlinkConnect(settings), 0);
    QCOMPARE(this->calls(), calls);
    QVERIFY(errorLines().isEmpty());
    QCOMPARE(debugLines.filter(QStringLiteral("Log: ")),
             QStringList{QStringLiteral("Log: jlinksim: probe opened")});
}

void JLinkTest::defaultSettings()
{
    JLinkSettings settings;
    settings.hostInterface = 0;
    settings.targetInterface = 0;
    settings.serialNumber = 7;
    settings.speedKHz = 0;
    settings.ipHost = "kept";
    settings.settingsFile.clear();
    settings.deviceName.clear();

    QCOMPARE(jlinkDefaultSettings(settings), 0);
    QCOMPARE(settings.hostInterface, JLinkSettings::HostUsb);
    QCOMPARE(settings.targetInterface, 1u);
    QCOMPARE(settings.serialNumber, 0u);
    QCOMPARE(settings.speedKHz, 4000u);
    QCOMPARE(settings.ipHost, QByteArray("kept"));
    QCOMPARE(settings.settingsFile, QByteArray("Settings.jlink"));
    QCOMPARE(settings.deviceName, QByteArray("VRC4471"));
}

QTEST_GUILESS_MAIN(JLinkTest)
#include "tst_jlink.moc"
