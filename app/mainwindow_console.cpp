// MainWindow: printing to the console dock (windowconsole.h), its links,
// and createGui, which builds the window's furniture in one go.
#include "mainwindow.h"

#include "consolelinks.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "windowconsole.h"

#include <QIcon>
#include <QProcess>
#include <QUrl>

#include <cstdio>

void MainWindow::createGui()
{
    createActions();
    createToolBars();
    createStatusBar();

    setWindowTitle(QStringLiteral("Quillmate"));
    setWindowIcon(QIcon(QStringLiteral(":/images/vortal_k.png")));

    m_console = new WindowConsole(this, m_actions.clearConsoleAct);
    connect(m_console, &WindowConsole::linkActivated, this, &MainWindow::on_anchorClicked);
    connect(m_console, &WindowConsole::lineEntered, this,
            [this](const QString &line) { executeScriptLine(line, -1); });

    m_panel->editFlags().loading = false;
    m_settings.lastDir = m_settings.scriptsDir;
    setAcceptDrops(true);
}

void MainWindow::consolePrint(QString html)
{
    if (m_run.echoConsoleToStandardError) {
        const QString text = ErrorReporter::plainText(html);
        if (!text.trimmed().isEmpty()) {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
            std::fflush(stderr);
        }
    }
    if (m_console)
        m_console->print(html);
}

void MainWindow::on_anchorClicked(const QUrl &url)
{
    const ConsoleLink link = readConsoleLink(url.toString());
    if (link.isFilePosition()) {
        // The editor runs detached, so the window keeps responding meanwhile.
        if (!m_settings.switches.externalEditor.isEmpty())
            QProcess::startDetached(m_settings.switches.externalEditor, link.editorArguments);
        return;
    }
    if (link.elementName.isEmpty())
        return;
    if (ActiveElement *element = m_panel->getActiveElement(link.elementName))
        m_elementFinder->raiseElement(element);
}

void MainWindow::clearConsole()
{
    if (m_console)
        m_console->clear();
}
