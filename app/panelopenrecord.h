#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

class QFileInfo;
class PanelXmlReader;

// Why a read that went through may still not be used by a run that writes
// from its panel; empty when it may. The one place that decides it: each
// mistake that makes an open unusable for writes joins here.
QString unusableOpenReason(const PanelXmlReader &reader);

// What the window keeps between panel opens: the folders its caller searched
// for the file the next open reads, and the panel files whose open a run that
// writes refused (unusableOpenReason), by canonical path, with the reason and
// the file's time then: that run signs none of them until the file changes.
class PanelOpenRecord
{
public:
    // The folders searched for the file the next open reads, when its caller
    // looked in several: said after a "Could not find". Taken once.
    void setFoldersSearched(const QStringList &folders) { m_foldersSearched = folders; }
    QStringList takeFoldersSearched();

    // An open of file was refused for reason, or went through (which
    // forgets an earlier refusal).
    void refuse(const QFileInfo &file, const QString &reason);
    void accept(const QFileInfo &file);
    // Why the open of the file at path was refused, while the file has not
    // changed since; empty otherwise.
    QString refusalOf(const QString &path) const;

private:
    struct RefusedPanel {
        QString reason;
        QDateTime modified;
    };
    QStringList m_foldersSearched;
    QHash<QString, RefusedPanel> m_refusedPanels;
};
