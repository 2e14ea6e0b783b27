// Symscan's outcome codes and names, and the log object's mask filter.

#include "clog.h"

#include <QtTest>

using namespace Symscan;

namespace {

QList<QPair<unsigned long, QByteArray>> printed;
void recordLine(unsigned long mask, const char *text)
{
    printed << qMakePair(mask, QByteArray(text));
}

} // namespace

class tst_SymscanLog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void everyCodeHasItsName_data();
    void everyCodeHasItsName();
    void otherNumbersAreUnknown();
    void maskFiltersEntries();
    void noCallbackNoCall();
    void oneLibraryInstance();
};

void tst_SymscanLog::cleanup()
{
    CLog::m_ulLogMask = 0xFFFFFFFFul;
    printed.clear();
}

void tst_SymscanLog::everyCodeHasItsName_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("name");
    const char *const names[] = {
        "Success", "NoDwarfInfo", "NotStatic", "NotFound", "SelectIPError", "SelectByUSBSNError",
        "OpenExError", "ExecCommandError", "ConnectError", "DownloadFileError", "UnknownFileformat",
        "CantOpenBinaryFile", "CantOpenReadElfTxt", "NoElfFile", "NoSvdFile", "NotImplemented",
        "GeneralError", "SerialPortCouldntOpen", "SerialPortCouldntOpen", "SerialPortCouldntSetupComm",
        "CouldntGetCommState", "CouldntSetCommState", "CouldntSetTimeout", "SerialPortCouldntWrite",
        "SerialPortWriteMismatch", "SerialPortWriteBadLen", "SerialPortClosed", "SerialPortCouldntRead",
        "WSAStartupFailed", "GetAddrInfoFailed", "CreateSocketFailed", "SocketConnectFailed",
        "SocketSendFailed", "SocketReceiveFailed", "SocketShutdownFailed", "USBOpenFailed",
        "USBWriteFailed", "USBReadFailed", "PCANInitFailed", "PCANWriteFailed", "PCANReadFailed",
    };
    for (int code = 0; code < int(std::size(names)); ++code)
        QTest::addRow("%d", code) << code << QByteArray(names[code]);
}

void tst_SymscanLog::everyCodeHasItsName()
{
    QFETCH(int, code);
    QFETCH(QByteArray, name);
    QCOMPARE(QByteArray(CLog::ErrorCodeToString(code)), name);
}

void tst_SymscanLog::otherNumbersAreUnknown()
{
    QCOMPARE(QByteArray(CLog::ErrorCodeToString(41)), QByteArray("Unknown Error"));
    QCOMPARE(QByteArray(CLog::ErrorCodeToString(-1)), QByteArray("Unknown Error"));
    QCOMPARE(QByteArray(CLog::ErrorCodeToString(0xFFFFFFFFu)), QByteArray("Unknown Error"));
    QCOMPARE(QByteArray(CLog::ErrorCodeToString(CLog::GeneralError)), QByteArray("GeneralError"));
}

void tst_SymscanLog::maskFiltersEntries()
{
    CLog log;
    log.SetPrintCallback(recordLine);
    CLog::m_ulLogMask = 0x2;
    log.AddEntry(0x1, "x");
    QVERIFY(printed.isEmpty());
    log.AddEntry(0x3, "x");
    log.AddEntry(0x2, CLog::NotFound);
    QCOMPARE(printed.size(), 2);
    QCOMPARE(printed.at(0), qMakePair(0x3ul, QByteArray("x")));
    QCOMPARE(printed.at(1), qMakePair(0x2ul, QByteArray("NotFound")));
}

void tst_SymscanLog::noCallbackNoCall()
{
    CLog log;
    log.AddEntry(0x1, "nowhere");
    log.SetPrintCallback(recordLine);
    CLog copy;
    copy = log; // copies the callback
    copy.AddEntry(0x1, "copied");
    log.SetPrintCallback(nullptr);
    log.AddEntry(0x1, "nowhere");
    QCOMPARE(printed.size(), 1);
    QCOMPARE(printed.at(0).second, QByteArray("copied"));
    QCOMPARE(CLog::m_usNrOfBytesPerLine, (unsigned short)16);
}

void tst_SymscanLog::oneLibraryInstance()
{
    QVERIFY(GetLogInstance());
    QCOMPARE(GetLogInstance(), GetLogInstance());
}

QTEST_APPLESS_MAIN(tst_SymscanLog)
#include "tst_symscanlog.moc"
