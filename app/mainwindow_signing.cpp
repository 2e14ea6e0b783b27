// MainWindow: the "Sign XML File" command and the signing of one panel file.
#include "mainwindow.h"

#include "errorreporter.h"
#include "panelsigning.h"
#include "prompt.h"

bool MainWindow::signXmlChecksum(const QString &path)
{
    return signPanelFile(path, opensMustBeUsableForWrites() ? m_openRecord.refusalOf(path) : QString());
}

void MainWindow::signFile()
{
    const QStringList paths = Prompt::instance().openFileNames(this, tr("Sign XML File"), m_settings.workingDir,
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
