#include "clog.h"

#include <iterator>

namespace Symscan {

unsigned long CLog::m_ulLogMask = 0xFFFFFFFFul;
unsigned short CLog::m_usNrOfBytesPerLine = 16;

namespace {

const char *const errorNames[] = {
    "Success",
    "NoDwarfInfo",
    "NotStatic",
    "NotFound",
    "SelectIPError",
    "SelectByUSBSNError",
    "OpenExError",
    "ExecCommandError",
    "ConnectError",
    "DownloadFileError",
    "UnknownFileformat",
    "CantOpenBinaryFile",
    "CantOpenReadElfTxt",
    "NoElfFile",
    "NoSvdFile",
    "NotImplemented",
    "GeneralError",
    "SerialPortCouldntOpen",
    "SerialPortCouldntOpen",
    "SerialPortCouldntSetupComm",
    "CouldntGetCommState",
    "CouldntSetCommState",
    "CouldntSetTimeout",
    "SerialPortCouldntWrite",
    "SerialPortWriteMismatch",
    "SerialPortWriteBadLen",
    "SerialPortClosed",
    "SerialPortCouldntRead",
    "WSAStartupFailed",
    "GetAddrInfoFailed",
    "CreateSocketFailed",
    "SocketConnectFailed",
    "SocketSendFailed",
    "SocketReceiveFailed",
    "SocketShutdownFailed",
    "USBOpenFailed",
    "USBWriteFailed",
    "USBReadFailed",
    "PCANInitFailed",
    "PCANWriteFailed",
    "PCANReadFailed",
};

static_assert(std::size(errorNames) == CLog::PCANReadFailed + 1, "one name per code");

CLog logInstance;

} // namespace

void CLog::SetPrintCallback(PrintCallback callback)
{
    m_printCallback = callback;
}

void CLog::AddEntry(unsigned long mask, const char *text)
{
    if ((mask & m_ulLogMask) != 0 && m_printCallback)
        m_printCallback(mask, text);
}

void CLog::AddEntry(unsigned long mask, Errors code)
{
    AddEntry(mask, ErrorCodeToString(code));
}

const char *CLog::ErrorCodeToString(long long code)
{
    if (code < 0 || code >= static_cast<long long>(std::size(errorNames)))
        return "Unknown Error";
    return errorNames[code];
}

CLog *GetLogInstance()
{
    return &logInstance;
}

} // namespace Symscan
