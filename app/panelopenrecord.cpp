// What the window keeps between panel opens, and the rule that refuses an open
// to a run that writes.
#include "panelopenrecord.h"

#include "panelxmlreader.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <utility>

QString unusableOpenReason(const PanelXmlReader &reader)
{
    // The file was not read to its end (not well-formed, a limit hit, an
    // include that failed).
    if (!reader.stoppedEarlyReason().isEmpty())
        return reader.stoppedEarlyReason();
    // A mistake in the panel that changes what it defines (the lines that
    // name each were printed as they were found).
    if (reader.mistakeCount() > 0)
        return QCoreApplication::translate("MainWindow", "The panel has %n mistake(s) that change its defines; the first: %1", nullptr,
                  reader.mistakeCount())
            .arg(reader.firstMistake());
    return QString();
}

QStringList PanelOpenRecord::takeFoldersSearched()
{
    return std::exchange(m_foldersSearched, {});
}

void PanelOpenRecord::refuse(const QFileInfo &file, const QString &reason)
{
    m_refusedPanels.insert(file.canonicalFilePath(), {reason, file.lastModified()});
}

void PanelOpenRecord::accept(const QFileInfo &file)
{
    m_refusedPanels.remove(file.canonicalFilePath());
}

QString PanelOpenRecord::refusalOf(const QString &path) const
{
    const QFileInfo file(path);
    const auto refused = m_refusedPanels.constFind(file.canonicalFilePath());
    if (refused == m_refusedPanels.cend() || !file.exists() || file.lastModified() != refused->modified)
        return QString();
    return refused->reason;
}
