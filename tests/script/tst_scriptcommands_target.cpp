// The target commands in a main window: DOWNLOAD against the J-Link
// simulator, SENDTASK against the fake HID adapter, WRITEBSL and READBSL
// with the Intel HEX reader on objcopy's output of our own ELF file.
#include "elfhexfixture.h"
#include "fakehid.h"
#include "jlink.h"
#include "jlinksim.h"
#include "panelfixture.h"
#include "tyklink.h"
#include "tyktransport.h"

#include <QTextBrowser>
#include <QtTest>

namespace {

QByteArray record(quint8 type, quint16 offset, const QByteArray &data)
{
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char(offset >> 8));
    bytes.append(char(offset & 0xff));
    bytes.append(char(type));
    bytes.append(data);
    quint8 sum = 0;
    for (char byte : qAsConst(bytes))
        sum = quint8(sum + quint8(byte));
    bytes.append(char(quint8(-sum)));
    return ':' + bytes.toHex().toUpper() + "\r\n";
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QString();
    file.write(bytes);
    return path;
}

const char panelBody[] = "<verticalcontainer>"
                         "<edit define=\"HEX_PATH\" default=\"\"/>"
                         "<spinbox define=\"SB\" range=\"0;10\" default=\"1\"/>"
                         "</verticalcontainer>";

} // namespace

class TstScriptCommandsTarget : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void downloadFlashesAcceptedImages_data();
    void downloadFlashesAcceptedImages();
    void failedDownloadStopsTheRun_data();
    void failedDownloadStopsTheRun();
    void writeBslReadsObjcopyOutput();
    void writeBslReportsBadLines();
    void sendTaskNarrowsItsHeader();
    void tykLinkOfTheOtherCommands();

private:
    QStringList simulatorLog() const;
    std::unique_ptr<PanelFixture> f;
    QTemporaryDir m_dir;
};

void TstScriptCommandsTarget::init()
{
    QVERIFY(m_dir.isValid());
    JLink::unloadJLinkDll();
    qputenv("QUILLMATE_JLINK_LIBRARY", JLINKSIM_PATH);
    qputenv("JLINKSIM_LOG", m_dir.filePath(QStringLiteral("jlink.log")).toLocal8Bit());
    qunsetenv("JLINKSIM_FAIL");
    // The simulator stays loaded between cases: its state and log start anew.
    QVERIFY(!JLink::loadJLinkDll(false));
    auto reset = reinterpret_cast<JLinkSimReset>(JLink::resolveJLinkFunction("jlinksim_reset"));
    QVERIFY(reset);
    reset();
    f = std::make_unique<PanelFixture>();
    QVERIFY(f->load(QLatin1String(panelBody)));
    f->clearConsole();
    f->clearErrors();
}

void TstScriptCommandsTarget::cleanup()
{
    f.reset();
    JLink::unloadJLinkDll();
    qunsetenv("JLINKSIM_LOG");
    qunsetenv("JLINKSIM_FAIL");
    qunsetenv("QUILLMATE_JLINK_LIBRARY");
}

QStringList TstScriptCommandsTarget::simulatorLog() const
{
    QFile log(m_dir.filePath(QStringLiteral("jlink.log")));
    if (!log.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList names;
    for (const QString &line : QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        names << line.section(QLatin1Char('('), 0, 0);
    return names;
}

void TstScriptCommandsTarget::downloadFlashesAcceptedImages_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("flashed");
    QTest::newRow("upper-case ending") << "fw.HEX" << true;
    QTest::newRow("name with non-ASCII letters") << "früh.hex" << true;
    QTest::newRow("ELF file is passed over") << "fw.elf" << false;
    QTest::newRow("s28 is no image ending") << "fw.s28" << false;
}

void TstScriptCommandsTarget::downloadFlashesAcceptedImages()
{
    QFETCH(QString, name);
    QFETCH(bool, flashed);
    const QByteArray image = QByteArray::fromHex("0102030405060708090a");
    const QString path = writeFile(m_dir.filePath(name), record(4, 0, QByteArray::fromHex("0800"))
                                                             + record(0, 0x0100, image) + record(1, 0, {}));
    QVERIFY(!path.isEmpty());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("DOWNLOAD(%1)").arg(path), 1));
    const QStringList calls = simulatorLog();
    if (!flashed) {
        QVERIFY(!calls.contains(QStringLiteral("JLINK_DownloadFile")));
        return;
    }
    const QStringList tail = calls.mid(calls.indexOf(QStringLiteral("JLINKARM_Reset")));
    QCOMPARE(tail, (QStringList{"JLINKARM_Reset", "JLINKARM_BeginDownload", "JLINK_DownloadFile",
                                "JLINKARM_EndDownload", "JLINKARM_Reset", "JLINKARM_Go", "JLINKARM_Close"}));
    auto peek = reinterpret_cast<JLinkSimPeek>(JLink::resolveJLinkFunction("jlinksim_peek"));
    QVERIFY(peek);
    char flash[10] = {};
    QCOMPARE(peek(0x08000100, 10, flash), 0);
    QCOMPARE(QByteArray(flash, 10), image);
}

void TstScriptCommandsTarget::failedDownloadStopsTheRun_data()
{
    QTest::addColumn<QByteArray>("library");
    QTest::addColumn<QByteArray>("failing");
    QTest::addColumn<QString>("message");
    QTest::newRow("no library") << QByteArray("/nonexistent/libjlinkarm.so") << QByteArray()
                                << "the target is not connected";
    QTest::newRow("no connection") << QByteArray(JLINKSIM_PATH) << QByteArray("JLINKARM_Connect")
                                   << "the target is not connected";
    QTest::newRow("download refused") << QByteArray(JLINKSIM_PATH) << QByteArray("JLINK_DownloadFile")
                                      << "Download of";
}

void TstScriptCommandsTarget::failedDownloadStopsTheRun()
{
    QFETCH(QByteArray, library);
    QFETCH(QByteArray, failing);
    QFETCH(QString, message);
    if (!failing.isEmpty()) {
        auto fail = reinterpret_cast<JLinkSimFail>(JLink::resolveJLinkFunction("jlinksim_fail"));
        QVERIFY(fail);
        fail(failing.constData());
    } else {
        JLink::unloadJLinkDll();
        qputenv("QUILLMATE_JLINK_LIBRARY", library);
    }
    const QString path = writeFile(m_dir.filePath(QStringLiteral("fw.hex")), record(0, 0, "ab") + record(1, 0, {}));
    QVERIFY(!f->window->executeScriptLine(QStringLiteral("DOWNLOAD(%1)").arg(path), 4));
    QVERIFY2(f->consoleLines().join(QString()).contains(message), qPrintable(f->consoleLines().join('\n')));
    if (failing == "JLINK_DownloadFile")
        QCOMPARE(simulatorLog().last(), QStringLiteral("JLINKARM_Close"));
}

void TstScriptCommandsTarget::writeBslReadsObjcopyOutput()
{
    const QString hex = ElfHexFixture::buildHex(m_dir.path(), QStringLiteral("fw"), {});
    QVERIFY(!hex.isEmpty());
    bool ok = false;
    const QMap<quint32, quint8> expected = ElfHexFixture::loadableBytes(m_dir.path(), QStringLiteral("fw.elf"), &ok);
    QVERIFY(ok);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SET(HEX_PATH, %1)").arg(hex), 1));
    // READBSL reads the element and nothing more.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("READBSL(HEX_PATH)"), 2));
    QVERIFY(f->window->scriptHost().scriptIntelHexBlocks().isEmpty());
    QVERIFY(f->window->executeScriptLine(QStringLiteral("WRITEBSL(HEX_PATH)"), 3));
    QMap<quint32, quint8> image;
    for (const IntelHexBlock &block : qAsConst(f->window->scriptHost().scriptIntelHexBlocks())) {
        for (int i = 0; i < block.data.size(); ++i)
            image.insert(block.startAddress + quint32(i), quint8(block.data.at(i)));
    }
    QVERIFY(image == expected);
    // A second read appends.
    const int blocks = f->window->scriptHost().scriptIntelHexBlocks().size();
    QVERIFY(f->window->executeScriptLine(QStringLiteral("WRITEBSL(HEX_PATH)"), 4));
    QCOMPARE(f->window->scriptHost().scriptIntelHexBlocks().size(), 2 * blocks);
    QVERIFY(f->consoleLines().join(QString()).indexOf(QLatin1String("Script Error")) < 0);
}

void TstScriptCommandsTarget::writeBslReportsBadLines()
{
    QByteArray bad = record(0, 0x10, "abcd");
    bad[bad.size() - 3] = bad.at(bad.size() - 3) == '0' ? '1' : '0';
    const QString path = writeFile(m_dir.filePath(QStringLiteral("bad.hex")), record(0, 0, "wxyz") + bad);
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SET(HEX_PATH, %1)").arg(path), 1));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("WRITEBSL(HEX_PATH)"), 9));
    const QString console = f->consoleLines().join(QString());
    QVERIFY2(console.contains(QStringLiteral("bad.hex line 2: checksum mismatch")), qPrintable(console));
    // The block before the bad line stays.
    QCOMPARE(f->window->scriptHost().scriptIntelHexBlocks().size(), 1);
    QCOMPARE(f->window->scriptHost().scriptIntelHexBlocks().first().data, QByteArray("wxyz"));

    // An element that is no edit element gives no path: the open fails.
    f->clearConsole();
    QVERIFY(f->window->executeScriptLine(QStringLiteral("WRITEBSL(SB)"), 10));
    QVERIFY(f->consoleLines().join(QString()).contains(QLatin1String("Cannot open Intel HEX file")));
    QVERIFY(!f->window->executeScriptLine(QStringLiteral("WRITEBSL()"), 11));
}

void TstScriptCommandsTarget::sendTaskNarrowsItsHeader()
{
    FakeHid::reset();
    FakeHid::instance().attach(0, L"A1");
    auto transport = std::make_unique<HidTransport>(FakeHid::api(), [](const QStringList &) { return 0; });
    f->window->replaceTykLink(new TykLink(std::move(transport)));
    f->window->targetLink().tykLink->setReplyTimeout(50);
    FakeHid::instance().replies << QByteArray::fromHex("0055");

    const QString path = writeFile(m_dir.filePath(QStringLiteral("task.hex")),
                                   record(0, 0, QByteArray::fromHex("a1a2a3")) + record(1, 0, {}));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SENDTASK(%1, 300, 2, 1, 70000)").arg(path), 1));
    QCOMPARE(FakeHid::instance().written.size(), 1);
    // 300 keeps its low 8 bits (44), 2 is a set flag, 70000 is no 16-bit number.
    QCOMPARE(FakeHid::instance().written.first().left(14),
             QByteArray::fromHex("000a012c010100000003" "03a1a2a3"));
    QVERIFY(f->consoleLines().join(QString()).indexOf(QLatin1String("not sent")) < 0);

    // A transfer the adapter does not acknowledge is reported; the run goes on.
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SENDTASK(%1, 1, 0, 1, 1)").arg(path), 2));
    QVERIFY(f->consoleLines().join(QString()).contains(QLatin1String("not sent")));
}

// SETTYKLOGGING that makes the link gives it the console (log mode bit 0);
// SENDTASK on a panel whose port is no Tyk says so and sends nothing.
void TstScriptCommandsTarget::tykLinkOfTheOtherCommands()
{
    QVERIFY(!f->window->targetLink().tykLink);
    const QString log = m_dir.filePath(QStringLiteral("tyk.log"));
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SETTYKLOGGING(1, 0, %1)").arg(log), 1));
    QVERIFY(f->window->targetLink().tykLink);
    f->window->findChild<QTextBrowser *>(QStringLiteral("console"))->clear();
    f->window->targetLink().tykLink->transfer(QByteArray::fromHex("0110"));
    const QString shown = f->window->findChild<QTextBrowser *>(QStringLiteral("console"))->toPlainText();
    QVERIFY2(shown.contains(QLatin1String("--> 0x01 0x10")), qPrintable(shown));

    QVERIFY(f->load(QString::fromLatin1(panelBody), QStringLiteral("<ioconfig port=\"COM1\"/>")));
    FakeHid::reset();
    FakeHid::instance().attach(0, L"A1");
    f->window->replaceTykLink(new TykLink(
        std::make_unique<HidTransport>(FakeHid::api(), [](const QStringList &) { return 0; })));
    const QString path = writeFile(m_dir.filePath(QStringLiteral("task.hex")),
                                   record(0, 0, QByteArray::fromHex("a1a2a3")) + record(1, 0, {}));
    f->clearConsole();
    QVERIFY(f->window->executeScriptLine(QStringLiteral("SENDTASK(%1, 1, 0, 1, 1)").arg(path), 2));
    const QString console = f->consoleLines().join(QString());
    QVERIFY2(console.contains(QLatin1String("Currently loaded XML doesn't use an Tyk.")), qPrintable(console));
    QVERIFY2(!console.contains(QLatin1String("not sent")), qPrintable(console));
    QVERIFY(FakeHid::instance().written.isEmpty());
    QString error;
    QVERIFY(!f->window->scriptHost().scriptSendTask(path, 1, false, 1, 1, &error));
}

QTEST_MAIN(TstScriptCommandsTarget)
#include "tst_scriptcommands_target.moc"
