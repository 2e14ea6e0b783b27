// MainWindow: the adapter link of the register tables and the value lists.
#include "mainwindow.h"

#include "errorreporter.h"
#include "quillpanel.h"
#include "tyklink.h"
#include "tykvalueexchange.h"

void MainWindow::replaceTykLink(TykLink *link)
{
    delete m_targetLink.tykLink;
    m_targetLink.tykLink = link;
}

TykLink *MainWindow::newTykLink()
{
    auto *link = new TykLink(m_panel->ioPortName(), m_panel->ioPortSettings());
    link->setConsole([this](const QString &line) { consolePrint(line); });
    link->setOpenFailureReporter(
        [this](const QString &text, bool repeated) { reportTykOpenFailure(text, repeated); });
    return link;
}

void MainWindow::reportTykOpenFailure(const QString &text, bool repeated)
{
    // In a script, each line that needed the port and could not open it
    // fails once, however often it (or the polling meanwhile) retried.
    // Elsewhere the first failure in a row is said, not every retry.
    const bool inScript = m_scripts.runDepth() > 0;
    const QString step = inScript
        ? QStringLiteral("%1:%2").arg(m_scripts.current().file).arg(m_scripts.current().lineNumber)
        : QString();
    if (repeated && step == m_tykOpenFailureStep)
        return;
    m_tykOpenFailureStep = step;
    ::logMessage(QStringLiteral("<font color=\"red\">Tyk: %1</font><br>").arg(text.toHtmlEscaped()));
    if (inScript)
        m_scripts.addScriptError();
}

TykLink *MainWindow::tykLinkForTables(bool create)
{
    if (!m_targetLink.tykLink && create) {
        m_targetLink.tykLink = newTykLink();
        m_targetLink.tykLink->openLog(m_settings.tykLoggingMode, m_settings.tykLoggingTimeStamps, m_settings.tykLoggingFilename);
    }
    return m_targetLink.tykLink;
}
