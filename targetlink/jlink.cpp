#include "jlink.h"

#include "apppaths.h"
#include "errorreporter.h"
#include "registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMetaObject>
#include <QSet>
#include <QStringList>
#include <QThread>

#include <mutex>

namespace JLink {

namespace {

const char libraryFileName[] = "libjlinkarm.so";

enum Function {
    DownloadFile,
    BeginDownload,
    Close,
    Connect,
    EndDownload,
    ExecCommand,
    Go,
    IsOpen,
    OpenEx,
    ReadMem,
    Reset,
    SelectIP,
    SetSpeed,
    WriteMem,
    SelectByUSBSN,
    TIFSelect,
    FunctionCount
};

const char *const functionNames[FunctionCount] = {
    "JLINK_DownloadFile",
    "JLINKARM_BeginDownload",
    "JLINKARM_Close",
    "JLINKARM_Connect",
    "JLINKARM_EndDownload",
    "JLINKARM_ExecCommand",
    "JLINKARM_Go",
    "JLINKARM_IsOpen",
    "JLINKARM_OpenEx",
    "JLINKARM_ReadMem",
    "JLINKARM_Reset",
    "JLINKARM_SelectIP",
    "JLINKARM_SetSpeed",
    "JLINKARM_WriteMem",
    "JLINKARM_EMU_SelectByUSBSN",
    "JLINKARM_TIF_Select",
};

// What OpenEx answers while it cannot be bound: without it nothing was opened.
const char openExMissingText[] = "DLL function JLINKARM_OpenEx(...) not found !";

// The loaded library and the bound functions. The lock is recursive so that
// a library calling one of our callbacks, which might call a wrapper again,
// cannot dead-lock its own thread.
struct Binding {
    std::recursive_mutex mutex;
    QLibrary library;
    bool loaded = false;
    bool searchFailed = false;     // a failed search is not repeated on every call
    bool failureReported = false;  // ... nor reported more than once
    QString loadedPath;
    QFunctionPointer functions[FunctionCount] = {};
    QSet<QByteArray> reportedMissing;
};

Binding &binding()
{
    static Binding state;
    return state;
}

// Reports gathered under the lock go out once it is released, so a message box
// on the GUI thread never holds up the polling thread. Off the GUI thread they
// are queued to it: boxes belong there.
// The title of the box a J-Link failure shows.
const char jlinkErrorTitle[] = "J-Link Error";

void deliver(const QStringList &reports)
{
    for (const QString &message : reports) {
        QCoreApplication *application = QCoreApplication::instance();
        if (application && QThread::currentThread() != application->thread())
            QMetaObject::invokeMethod(application, [message] { reportTitledError(QLatin1String(jlinkErrorTitle), message); },
                                      Qt::QueuedConnection);
        else
            reportTitledError(QLatin1String(jlinkErrorTitle), message);
    }
}

// The library file in an installation folder. The settings may name the
// folder itself or a file inside it (a tool's path): a path whose last part is
// not an existing folder and has an extension is taken as a file.
QString libraryInFolder(const QString &installPath)
{
    const QFileInfo info(installPath);
    QString folder = installPath;
    if (!info.isDir() && info.fileName().contains(QLatin1Char('.')))
        folder = info.path();
    return QDir(folder).filePath(QLatin1String(libraryFileName));
}

bool tryLoad(Binding &state, const QString &path)
{
    state.library.setFileName(path);
    if (!state.library.load())
        return false;
    state.loaded = true;
    state.loadedPath = path;
    return true;
}

// Must be called with the lock held.
bool loadLocked(bool reportFailure, QStringList *reports)
{
    Binding &state = binding();
    if (state.loaded)
        return false;
    QString lastTried;
    if (!state.searchFailed) {
        // QLibrary only searches the program's folder when given it: the
        // first three candidates are absolute paths, the last is a bare name
        // for the loader's own search.
        QStringList candidates;
        const QString explicitPath = qEnvironmentVariable("QUILLMATE_JLINK_LIBRARY");
        if (!explicitPath.isEmpty())
            candidates << explicitPath;
        candidates << QDir(AppPaths::programDir()).filePath(QLatin1String(libraryFileName));
        const QString installPath = readJLinkInstallPath();
        if (!installPath.isEmpty())
            candidates << libraryInFolder(installPath);
        for (const QString &candidate : qAsConst(candidates)) {
            if (!QFileInfo(candidate).isFile())
                continue;
            lastTried = candidate;
            if (tryLoad(state, candidate))
                return false;
        }
        lastTried = QLatin1String(libraryFileName);
        if (tryLoad(state, lastTried))
            return false;
        state.searchFailed = true;
    } else {
        lastTried = QLatin1String(libraryFileName);
    }
    if (reportFailure && !state.failureReported) {
        state.failureReported = true;
        *reports << QStringLiteral("Target DLL %1 not found !").arg(lastTried);
    }
    return true;
}

// Must be called with the lock held.
QFunctionPointer resolveLocked(const char *name, QStringList *reports)
{
    Binding &state = binding();
    if (loadLocked(true, reports))
        return nullptr;
    const QFunctionPointer function = state.library.resolve(name);
    if (!function && !state.reportedMissing.contains(QByteArray(name))) {
        state.reportedMissing.insert(QByteArray(name));
        *reports << QStringLiteral("DLL function %1(...) not found !").arg(QLatin1String(name));
    }
    return function;
}

// Must be called with the lock held.
QFunctionPointer boundFunction(Function which, QStringList *reports)
{
    Binding &state = binding();
    if (!state.functions[which])
        state.functions[which] = resolveLocked(functionNames[which], reports);
    return state.functions[which];
}

// Calls the library's function under the lock, or answers the fallback while
// it cannot be bound.
template <typename Fn, typename R, typename... Args>
R call(Function which, R fallback, Args... args)
{
    QStringList reports;
    R result = fallback;
    {
        std::lock_guard<std::recursive_mutex> lock(binding().mutex);
        if (const auto function = reinterpret_cast<Fn>(boundFunction(which, &reports)))
            result = function(args...);
    }
    deliver(reports);
    return result;
}

template <typename Fn, typename... Args>
void callVoid(Function which, Args... args)
{
    QStringList reports;
    {
        std::lock_guard<std::recursive_mutex> lock(binding().mutex);
        if (const auto function = reinterpret_cast<Fn>(boundFunction(which, &reports)))
            function(args...);
    }
    deliver(reports);
}

} // namespace

bool loadJLinkDll(bool reportFailure)
{
    QStringList reports;
    bool failed;
    {
        std::lock_guard<std::recursive_mutex> lock(binding().mutex);
        failed = loadLocked(reportFailure, &reports);
    }
    deliver(reports);
    return failed;
}

bool jlinkAvailable()
{
    std::lock_guard<std::recursive_mutex> lock(binding().mutex);
    return binding().loaded;
}

QString jlinkLibraryPath()
{
    std::lock_guard<std::recursive_mutex> lock(binding().mutex);
    return binding().loadedPath;
}

void *resolveJLinkFunction(const char *name)
{
    QStringList reports;
    QFunctionPointer function;
    {
        std::lock_guard<std::recursive_mutex> lock(binding().mutex);
        function = resolveLocked(name, &reports);
    }
    deliver(reports);
    return reinterpret_cast<void *>(function);
}

QString readJLinkInstallPath()
{
    QString path;
    if (!Registry::readValue(QStringLiteral("Software\\SEGGER\\J-Link"),
                             QStringLiteral("InstallPath"), &path))
        return QString();
    return path.trimmed();
}

void unloadJLinkDll()
{
    std::lock_guard<std::recursive_mutex> lock(binding().mutex);
    Binding &state = binding();
    if (state.loaded)
        state.library.unload();
    state.library.setFileName(QString());
    state.loaded = false;
    state.searchFailed = false;
    state.failureReported = false;
    state.loadedPath.clear();
    for (QFunctionPointer &function : state.functions)
        function = nullptr;
    state.reportedMissing.clear();
}

// The wrappers, typed as the vendor's library declares its functions.

int JLINK_DownloadFile(const char *fileName, quint32 address)
{
    using Fn = int (*)(const char *, quint32);
    return call<Fn>(DownloadFile, -1, fileName, address);
}

void JLINKARM_BeginDownload(quint32 flags)
{
    using Fn = void (*)(quint32);
    callVoid<Fn>(BeginDownload, flags);
}

void JLINKARM_Close()
{
    using Fn = void (*)();
    callVoid<Fn>(Close);
}

int JLINKARM_Connect()
{
    using Fn = int (*)();
    return call<Fn>(Connect, -1);
}

int JLINKARM_EndDownload()
{
    using Fn = int (*)();
    return call<Fn>(EndDownload, 0);
}

int JLINKARM_ExecCommand(const char *command, char *error, int errorSize)
{
    using Fn = int (*)(const char *, char *, int);
    const int result = call<Fn>(ExecCommand, 0, command, error, errorSize);
    // Whatever the library wrote, the caller gets a terminated text.
    if (error && errorSize > 0)
        error[errorSize - 1] = '\0';
    return result;
}

void JLINKARM_Go()
{
    using Fn = void (*)();
    callVoid<Fn>(Go);
}

char JLINKARM_IsOpen()
{
    using Fn = char (*)();
    return call<Fn>(IsOpen, char(0));
}

const char *JLINKARM_OpenEx(MessageCallback log, MessageCallback error)
{
    using Fn = const char *(*)(MessageCallback, MessageCallback);
    return call<Fn>(OpenEx, static_cast<const char *>(openExMissingText), log, error);
}

int JLINKARM_ReadMem(quint32 address, quint32 count, void *data)
{
    using Fn = int (*)(quint32, quint32, void *);
    return call<Fn>(ReadMem, -1, address, count, data);
}

int JLINKARM_Reset()
{
    using Fn = int (*)();
    return call<Fn>(Reset, 0);
}

char JLINKARM_SelectIP(const char *host, int port)
{
    using Fn = char (*)(const char *, int);
    return call<Fn>(SelectIP, char(1), host, port);
}

void JLINKARM_SetSpeed(quint32 kHz)
{
    using Fn = void (*)(quint32);
    callVoid<Fn>(SetSpeed, kHz);
}

int JLINKARM_WriteMem(quint32 address, quint32 count, const void *data)
{
    using Fn = int (*)(quint32, quint32, const void *);
    return call<Fn>(WriteMem, -1, address, count, data);
}

int JLINKARM_EMU_SelectByUSBSN(quint32 serialNumber)
{
    using Fn = int (*)(quint32);
    return call<Fn>(SelectByUSBSN, -1, serialNumber);
}

int JLINKARM_TIF_Select(int targetInterface)
{
    using Fn = int (*)(int);
    return call<Fn>(TIFSelect, 0, targetInterface);
}

} // namespace JLink
