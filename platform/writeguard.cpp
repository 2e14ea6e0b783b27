#include "writeguard.h"

#include "xmlfilekind.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Provider {
    const void *owner = nullptr;
    std::function<WriteGuard::ProtectedFiles()> files;
};

Provider &provider()
{
    static Provider instance;
    return instance;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("WriteGuard", text);
}

// The path with every link on the way followed. A link that points to
// nothing yet is followed to where its target would be; the parts of a name
// that do not exist yet follow the nearest folder that does.
QString resolved(const QString &path)
{
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    // Links to links: a bounded number of steps, as the system allows.
    for (int step = 0; step < 40 && info.isSymLink(); ++step) {
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            break;
        info = QFileInfo(QDir(info.absolutePath()).absoluteFilePath(target));
    }
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    QString existing = QDir::cleanPath(info.absoluteFilePath());
    QStringList missing;
    while (!existing.isEmpty() && !QFileInfo(existing).exists() && !QFileInfo(existing).isSymLink()) {
        const int slash = existing.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0) {
            existing = QStringLiteral("/");
            break;
        }
        missing.prepend(existing.mid(slash + 1));
        existing.truncate(slash);
    }
    // A link that leads nowhere stays as it is: the write through it fails.
    QString base = QFileInfo(existing).canonicalFilePath();
    if (base.isEmpty())
        base = existing;
    for (const QString &part : qAsConst(missing))
        base = QDir(base).filePath(part);
    return QDir::cleanPath(base);
}

bool samePath(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() && resolved(a) == resolved(b);
}

// The largest table file looked at whole; a larger qlmpxml file is taken
// for a project.
constexpr qint64 wholeFileLimit = qint64(512) * 1024 * 1024;

// Whether existing content (see contentRefusal) is of the kind about to be
// written.
bool ofKind(const QByteArray &content, WrittenKind kind)
{
    switch (kind) {
    case WrittenKind::Project:
        return XmlFileKind::rootElement(content) == QLatin1String("qlmpxml");
    case WrittenKind::Table:
        return XmlFileKind::isTableFile(content);
    case WrittenKind::Panel:
        return XmlFileKind::rootElement(content) == QLatin1String("zelmlcfg");
    case WrittenKind::SvgPicture:
        return XmlFileKind::rootElement(content) == QLatin1String("svg");
    case WrittenKind::Header:
    case WrittenKind::CSource:
    case WrittenKind::Csv:
        // Plain text: no XML document of any kind, no binary file.
        return !XmlFileKind::isBinary(content) && !XmlFileKind::looksLikeXml(content);
    }
    return false;
}

QString kindDescription(WrittenKind kind)
{
    switch (kind) {
    case WrittenKind::Project:
        return tr("not a project file (root element qlmpxml)");
    case WrittenKind::Table:
        return tr("not a table file (root element qlmpxml, one Table entry and nothing else)");
    case WrittenKind::Panel:
        return tr("not a panel file (root element zelmlcfg)");
    case WrittenKind::SvgPicture:
        return tr("not an SVG file (root element svg)");
    case WrittenKind::Header:
    case WrittenKind::CSource:
    case WrittenKind::Csv:
        return tr("not a text file of that kind (it is XML or binary)");
    }
    return QString();
}

} // namespace

namespace WriteGuard {

void setProtectedFiles(const void *owner, std::function<ProtectedFiles()> files)
{
    provider().owner = owner;
    provider().files = std::move(files);
}

void clearProtectedFiles(const void *owner)
{
    if (provider().owner != owner)
        return;
    provider().owner = nullptr;
    provider().files = nullptr;
}

bool leadsInto(const QString &path, const QString &folder)
{
    const QString where = resolved(path);
    QString root = resolved(folder);
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    return where.startsWith(root);
}

QString resolvedPath(const QString &path)
{
    return resolved(path);
}

QString notRegularRefusal()
{
    return tr("it is not a regular file (a FIFO, device or folder); it is left as it is.");
}

bool needsWholeFile(WrittenKind kind)
{
    return kind == WrittenKind::Table;
}

QString contentRefusal(WrittenKind kind, const QByteArray &content)
{
    if (ofKind(content, kind))
        return QString();
    return tr("the file exists and is %1; it is left as it is.").arg(kindDescription(kind));
}

QString refusal(const WriteTarget &target)
{
    const QString reason = pathRefusal(target);
    if (!reason.isEmpty())
        return reason;
    const QString where = resolved(target.fileName);
    struct stat status {};
    if (::stat(QFile::encodeName(where).constData(), &status) != 0)
        return QString(); // nothing there yet (or a way the write reports)
    if (!S_ISREG(status.st_mode))
        return notRegularRefusal();
    bool ok = false;
    const QByteArray content =
        XmlFileKind::contents(where, needsWholeFile(target.kind) ? wholeFileLimit : XmlFileKind::headSize(), &ok);
    if (!ok)
        return QString(); // the write reports what stops it
    return contentRefusal(target.kind, content);
}

QString pathRefusal(const WriteTarget &target)
{
    const QFileInfo info(target.fileName);
    const QString folder = target.folder.isEmpty() ? info.absolutePath() : target.folder;
    if (!leadsInto(target.fileName, folder))
        return tr("it leads to %1, outside the folder %2.").arg(resolved(target.fileName), QDir(folder).absolutePath());

    if (provider().files) {
        const ProtectedFiles files = provider().files();
        if (!target.mayReplaceLoadedPanel && samePath(files.loadedPanel, target.fileName))
            return tr("it is the panel the project is made from.");
        for (const QString &script : files.runningScripts) {
            if (samePath(script, target.fileName))
                return tr("it is the script that is running.");
        }
    }
    return QString();
}

QString kindNoun(WrittenKind kind)
{
    switch (kind) {
    case WrittenKind::Project:
        return tr("project");
    case WrittenKind::Table:
        return tr("table file");
    case WrittenKind::Panel:
        return tr("panel");
    case WrittenKind::Header:
        return tr("header file");
    case WrittenKind::CSource:
        return tr("C file");
    case WrittenKind::Csv:
        return tr("CSV file");
    case WrittenKind::SvgPicture:
        return tr("picture");
    }
    return QString();
}

QString refusalMessage(const WriteTarget &target, const QString &reason)
{
    return tr("Cannot save the %1 to %2:\n%3")
        .arg(kindNoun(target.kind), QFileInfo(target.fileName).absoluteFilePath(), reason);
}

QString logRefusal(const QString &name, const QStringList &inputs)
{
    if (name.isEmpty())
        return QString();
    for (const QString &input : inputs) {
        if (samePath(input, name))
            return tr("it is a file this run works on (%1).").arg(QFileInfo(input).absoluteFilePath());
    }
    if (provider().files) {
        const ProtectedFiles files = provider().files();
        if (samePath(files.loadedPanel, name))
            return tr("it is the panel the project is made from.");
        if (samePath(files.loadedProject, name))
            return tr("it is the loaded project.");
        for (const QString &script : files.runningScripts) {
            if (samePath(script, name))
                return tr("it is the script that is running.");
        }
    }
    const QString where = resolved(name);
    struct stat status {};
    if (::stat(QFile::encodeName(where).constData(), &status) != 0)
        return QString(); // a new file, or an open that reports why not
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode))
        return QString();
    if (!S_ISREG(status.st_mode))
        return tr("it is neither a regular file, a FIFO nor a character device.");
    bool ok = false;
    const QByteArray head = XmlFileKind::head(where, &ok);
    if (!ok)
        return QString();
    const QString root = XmlFileKind::looksLikeXml(head) ? XmlFileKind::rootElement(head) : QString();
    if (root == QLatin1String("zelmlcfg"))
        return tr("the file exists and is a panel file; it is left as it is.");
    if (root == QLatin1String("qlmpxml"))
        return tr("the file exists and is a project or table file; it is left as it is.");
    if (XmlFileKind::looksLikeCHeader(head))
        return tr("the file exists and is a header file; it is left as it is.");
    if (XmlFileKind::looksLikeScript(head))
        return tr("the file exists and is a script; it is left as it is.");
    return QString();
}

QString logRefusalMessage(const QString &name, const QString &reason)
{
    return tr("Cannot write the log file %1:\n%2").arg(QFileInfo(name).absoluteFilePath(), reason);
}

int openLog(const QString &name, QString *error)
{
    // Not blocking while it opens: a FIFO without a reader fails (ENXIO)
    // instead of holding the run; the writes block as a log's writes may.
    const int fd = ::open(QFile::encodeName(name).constData(),
                          O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        *error = qt_error_string(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        *error = tr("Not a file a log can be written to");
        ::close(fd);
        return -1;
    }
    // Emptied when it is a file; a FIFO or device has nothing to empty.
    if (S_ISREG(status.st_mode) && ::ftruncate(fd, 0) != 0) {
        *error = qt_error_string(errno);
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

} // namespace WriteGuard
