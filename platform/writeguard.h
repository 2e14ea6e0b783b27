#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The kinds of file the program writes. An existing file is replaced only by
// a file of its own kind.
enum class WrittenKind {
    Project,     // XML, root qlmpxml (project files and table files)
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
};
void setProtectedFiles(const void *owner, std::function<ProtectedFiles()> provider);
void clearProtectedFiles(const void *owner);

// Why the target may not be written, as the end of "Cannot save the <noun> to
// <file>:\n"; empty when it may be.
QString refusal(const WriteTarget &target);

// "project", "panel", "header file", ...: the noun of the refusal message.
QString kindNoun(WrittenKind kind);

// The whole refusal message for a target and its reason.
QString refusalMessage(const WriteTarget &target, const QString &reason);

// Whether the path, with every symbolic link followed (also a link that points
// to nothing yet), lies inside folder (followed as well).
bool leadsInto(const QString &path, const QString &folder);

} // namespace WriteGuard
