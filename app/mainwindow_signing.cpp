// MainWindow: signing panel files, and the checksum rule that panel and
// project files share.
#include "mainwindow.h"

#include "errorreporter.h"
#include "panel.h"
#include "panelxmlreader.h"
#include "prompt.h"

#include <QFile>
#include <QRegularExpression>

static const QString checksumOpen = QStringLiteral("<checksum>");
static const QString checksumClose = QStringLiteral("</checksum>");

bool MainWindow::insertChecksum(QString &text)
{
    const int open = text.indexOf(checksumOpen);
    const int close = text.indexOf(checksumClose);
    const int start = open + checksumOpen.size();
    if (open < 0 || close < start)
        return false;
    // The digest covers only what follows the checksum text, so it does not
    // depend on what stands there now.
    const QByteArray digest = PanelXmlReader::checksumOf(QString(text).remove(QLatin1Char('\r')).toUtf8());
    text.replace(start, close - start, QLatin1String(digest));
    return true;
}

// Gives a panel without a checksum element the placeholder right after its
// root start tag, when that tag has one of the two recognised forms.
static void insertChecksumPlaceholder(QString &text)
{
    static const QRegularExpression rootPatterns[] = {
        QRegularExpression(QStringLiteral("<zelmlcfg version=\"\\d.\\d.\\d\">")),
        QRegularExpression(QStringLiteral("<zelmlcfg version=\"\\d.\\d\">")),
    };
    for (const QRegularExpression &pattern : rootPatterns) {
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch())
            continue;
        const int end = text.indexOf(QLatin1Char('>'), match.capturedStart());
        text.insert(end + 1, QStringLiteral("\n\t<checksum>") + QString(64, QLatin1Char('0')) + checksumClose);
        return;
    }
}

bool MainWindow::signXmlChecksum(const QString &path)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        reportCannotOpenFile(path, file.errorString());
        return false;
    }
    QString text = QString::fromUtf8(file.readAll()).remove(QLatin1Char('\r'));
    file.close();

    if (!text.contains(checksumOpen))
        insertChecksumPlaceholder(text);
    const bool signable = insertChecksum(text);
    if (!signable)
        reportMissingChecksum(path);

    // A file without a place for the checksum goes back as it was (line ends
    // aside), and does not count as signed.
    return writeTextFile(path, text) && signable;
}

void MainWindow::signFile()
{
    const QStringList paths = Prompt::instance().openFileNames(this, tr("Sign XML File"), workingDir,
                                                               tr("XML Files (*.xml)"), tr("Sign"));
    QStringList signedPaths;
    for (const QString &each : paths) {
        if (signXmlChecksum(each))
            signedPaths.append(each);
    }
    // Failures were reported file by file; only files really signed are named here.
    if (!signedPaths.isEmpty())
        reportSignedFiles(signedPaths.size(), signedPaths.join(QLatin1Char('\n')));
}
