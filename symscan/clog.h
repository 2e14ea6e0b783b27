#pragma once

#include "symscan_export.h"

namespace Symscan {

// Outcome codes of every Symscan operation, and a small log object that
// hands text lines to a print callback chosen by the host, filtered by a
// category mask. The library itself prints nothing.
class SYMSCAN_EXPORT CLog
{
public:
    enum Errors : int {
        Success = 0,
        NoDwarfInfo = 1,
        NotStatic = 2,
        NotFound = 3,
        SelectIPError = 4,
        SelectByUSBSNError = 5,
        OpenExError = 6,
        ExecCommandError = 7,
        ConnectError = 8,
        DownloadFileError = 9,
        UnknownFileformat = 10,
        CantOpenBinaryFile = 11,
        CantOpenReadElfTxt = 12,
        NoElfFile = 13,
        NoSvdFile = 14,
        NotImplemented = 15,
        GeneralError = 16,
        SerialPortCouldntOpen = 17,
        // Prints as "SerialPortCouldntOpen" too; the SVD reader also uses 17
        // for a node it does not expect.
        SerialPortCouldntOpen2 = 18,
        SerialPortCouldntSetupComm = 19,
        CouldntGetCommState = 20,
        CouldntSetCommState = 21,
        CouldntSetTimeout = 22,
        SerialPortCouldntWrite = 23,
        SerialPortWriteMismatch = 24,
        SerialPortWriteBadLen = 25,
        SerialPortClosed = 26,
        SerialPortCouldntRead = 27,
        WSAStartupFailed = 28,
        GetAddrInfoFailed = 29,
        CreateSocketFailed = 30,
        SocketConnectFailed = 31,
        SocketSendFailed = 32,
        SocketReceiveFailed = 33,
        SocketShutdownFailed = 34,
        USBOpenFailed = 35,
        USBWriteFailed = 36,
        USBReadFailed = 37,
        PCANInitFailed = 38,
        PCANWriteFailed = 39,
        PCANReadFailed = 40,
    };

    using PrintCallback = void (*)(unsigned long mask, const char *text);

    CLog() = default;

    void SetPrintCallback(PrintCallback callback);
    // Calls the callback with (mask, text) when a callback is set and mask
    // shares a bit with m_ulLogMask.
    void AddEntry(unsigned long mask, const char *text);
    void AddEntry(unsigned long mask, Errors code);

    // The name of a code ("Success", "NotFound", ...); "Unknown Error" for
    // any number outside 0..40. Takes any integer, so callers can pass the
    // unsigned results of ELFReader and SVDReader as they are.
    static const char *ErrorCodeToString(long long code);

    // Categories that pass AddEntry; all of them at start.
    static unsigned long m_ulLogMask;
    // Bytes per line for hex dumps of hosts that print them; 16 at start.
    static unsigned short m_usNrOfBytesPerLine;

private:
    PrintCallback m_printCallback = nullptr;
};

// The library's one log object.
SYMSCAN_EXPORT CLog *GetLogInstance();

} // namespace Symscan
