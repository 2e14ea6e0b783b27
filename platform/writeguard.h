#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The kinds of file the program writes. An existing file is replaced only by
// a file of its own kind.
enum class WrittenKind {
    Project,     // XML, root qlmpxml (project files and table files)
    Table,       // XML, root qlmpxml with one Table entry only (a table's rows)
    Panel,       // XML, root zelmlcfg (the editor's save, signing, generated panels)
    Header,      // generated C header
    CSource,     // a table's rows as a C function
    Csv,         // the pin list
    SvgPicture,  // an image element's drawing
};

// Where a writer means to write, and what.
struct WriteTarget {
    QString fileName;
    WrittenKind kind = WrittenKind::Project;
    // The folder the file must lie in once every symbolic link on its way is
    // followed; empty: the folder its name lies in.
    QString folder;
    // The panel writer saving the loaded panel itself.
    bool mayReplaceLoadedPanel = false;
};

// One rule for every write: never the loaded panel (except the panel writer
// saving it), never a running script, never an existing file of another kind,
// never a path that leads outside the folder it may be written in.
namespace WriteGuard {

// The files no writer may replace, asked for at each write: the loaded panel
// first, then the scripts that run. The window installs it; owner tells whose
// it is, so that a window going away removes only its own.
struct ProtectedFiles {
    QString loadedPanel;
    QStringList runningScripts;
    // The project file loaded or saved last: no log replaces it.
    QString loadedProject;
};
void setProtectedFiles(const void *owner, std::function<ProtectedFiles()> provider);
void clearProtectedFiles(const void *owner);

// Why the target may not be written, as the end of "Cannot save the <noun> to
// <file>:\n"; empty when it may be. An existing target that is not a regular
// file (FIFO, device, folder) is refused without being opened.
QString refusal(const WriteTarget &target);

// The part of refusal() that needs no look at an existing file: the folder,
// the loaded panel and the running scripts. The file writer checks the rest
// on the file it opened itself.
QString pathRefusal(const WriteTarget &target);

// The refusal of an existing regular file of the given content (its first
// headSize() bytes, or the whole file for a table file) by a file of kind.
QString contentRefusal(WrittenKind kind, const QByteArray &content);

// Whether contentRefusal() needs the whole file for kind, not only its head.
bool needsWholeFile(WrittenKind kind);

// The refusal of an existing target that is not a regular file.
QString notRegularRefusal();

// The path with every symbolic link followed, once (also a link that points
// to nothing yet, and the parts of a name that do not exist yet).
QString resolvedPath(const QString &path);

// "project", "panel", "header file", ...: the noun of the refusal message.
QString kindNoun(WrittenKind kind);

// The whole refusal message for a target and its reason.
QString refusalMessage(const WriteTarget &target, const QString &reason);

// Whether the path, with every symbolic link followed (also a link that points
// to nothing yet), lies inside folder (followed as well).
bool leadsInto(const QString &path, const QString &folder);

// Logs (-o, -c, SETOUTPUTOPTIONS): why a log may not be written to name;
// empty when it may. Never one of inputs nor a file the program runs on (the
// loaded panel and project, the running scripts); an existing file only when
// it is a FIFO or character device, or a regular file that is not a panel,
// project, table, script or header by its content (an earlier log is none).
QString logRefusal(const QString &name, const QStringList &inputs = QStringList());
QString logRefusalMessage(const QString &name, const QString &reason);

// Opens a log for writing only (emptied when it is a regular file; a FIFO or
// device is never read). Returns the descriptor, or -1 with *error set. A
// FIFO nobody reads fails at once instead of waiting for a reader.
int openLog(const QString &name, QString *error);

} // namespace WriteGuard
