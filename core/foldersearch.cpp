#include "foldersearch.h"

#include "errorreporter.h"

#include <QDir>

QString foldersSearchedText(const QString &name, const QStringList &folders)
{
    QStringList shown;
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString path = QDir::toNativeSeparators(QDir::cleanPath(QDir(folder).absolutePath()));
        if (!shown.contains(path))
            shown.append(path);
    }
    return QStringLiteral("Folders searched for %1, in this order: %2").arg(name, shown.join(QStringLiteral("; ")));
}

void logFoldersSearched(const QString &name, const QStringList &folders)
{
    logMessage(foldersSearchedText(name, folders).toHtmlEscaped() + QStringLiteral("<br>"));
}
