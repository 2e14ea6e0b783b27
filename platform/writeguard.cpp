#include "writeguard.h"

#include "xmlfilekind.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// Whether an existing file is of the kind about to be written.
bool ofKind(const QString &fileName, WrittenKind kind)
{
    switch (kind) {
    case WrittenKind::Project:
        return XmlFileKind::rootElementOfFile(fileName) == QLatin1String("qlmpxml");
    case WrittenKind::Panel:
        return XmlFileKind::rootElementOfFile(fileName) == QLatin1String("zelmlcfg");
    case WrittenKind::SvgPicture:
        return XmlFileKind::rootElementOfFile(fileName) == QLatin1String("svg");
    case WrittenKind::Header:
    case WrittenKind::CSource:
    case WrittenKind::Csv: {
        // Plain text: no XML document of any kind, no binary file.
        bool ok = false;
        const QByteArray head = XmlFileKind::head(fileName, &ok);
        if (!ok)
            return true; // the write reports what stops it
        return !XmlFileKind::isBinary(head) && !XmlFileKind::looksLikeXml(head);
    }
    }
    return false;
}

QString kindDescription(WrittenKind kind)
{
    switch (kind) {
    case WrittenKind::Project:
        return tr("not a project file (root element qlmpxml)");
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

QString refusal(const WriteTarget &target)
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
    if (!info.exists() || info.isDir())
        return QString(); // a folder in the way is the write's own failure
    if (!ofKind(target.fileName, target.kind))
        return tr("the file exists and is %1; it is left as it is.").arg(kindDescription(target.kind));
    return QString();
}

QString kindNoun(WrittenKind kind)
{
    switch (kind) {
    case WrittenKind::Project:
        return tr("project");
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

} // namespace WriteGuard
