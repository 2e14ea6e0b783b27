#pragma once

#include <QString>
#include <QtGlobal>

// The J-Link functions the program calls, bound at run time from the probe
// vendor's shared library (libjlinkarm.so). Nothing links against it: the
// library is looked for on the first call of any wrapper, and each function
// is resolved by name on its own first call.
//
// Every call into the library goes through one lock, since the GUI thread
// and the memory polling thread both use it. While the library or a function
// is missing a wrapper calls nothing and returns its default; the defaults of
// the calls whose 0 would mean success (probe selection, open, connect,
// memory access, download) report a failure instead.
namespace JLink {

using MessageCallback = void (*)(const char *text);

// Loads the library unless it is loaded: first the file named by
// QUILLMATE_JLINK_LIBRARY, then libjlinkarm.so beside the program, then in
// the installation folder the settings name, then the loader's own search.
// Returns true when it failed (a failure is reported once through the error
// reporter when reportFailure is set).
bool loadJLinkDll(bool reportFailure);
// True once the library is loaded.
bool jlinkAvailable();
// The file the library was loaded from; empty while none is loaded.
QString jlinkLibraryPath();
// The function of that name in the library; null when the library or the
// function is missing (reported once per name).
void *resolveJLinkFunction(const char *name);
// The probe software's installation folder from the settings; empty when
// none is recorded.
QString readJLinkInstallPath();

int JLINK_DownloadFile(const char *fileName, quint32 address);
void JLINKARM_BeginDownload(quint32 flags);
void JLINKARM_Close();
int JLINKARM_Connect();                       // 0: connected
int JLINKARM_EndDownload();
int JLINKARM_ExecCommand(const char *command, char *error, int errorSize);
void JLINKARM_Go();
char JLINKARM_IsOpen();                       // non-zero: open
const char *JLINKARM_OpenEx(MessageCallback log, MessageCallback error); // null: no error
int JLINKARM_ReadMem(quint32 address, quint32 count, void *data);        // 0: read
int JLINKARM_Reset();
char JLINKARM_SelectIP(const char *host, int port);                      // 1: failure
void JLINKARM_SetSpeed(quint32 kHz);
int JLINKARM_WriteMem(quint32 address, quint32 count, const void *data); // negative: failure
int JLINKARM_EMU_SelectByUSBSN(quint32 serialNumber);                    // negative: failure
int JLINKARM_TIF_Select(int targetInterface);

// Forgets the loaded library and every resolved function (tests load
// another simulator between cases).
void unloadJLinkDll();

} // namespace JLink
