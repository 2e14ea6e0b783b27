// MainWindow: the console dock (log and script prompt), its links, and
// createGui, which builds the window's furniture in one go.
#include "mainwindow.h"

#include "consolelinks.h"
#include "contrast.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "textbrowser.h"

#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTextBlockFormat>
#include <QTextBrowser>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextStream>
#include <QUrl>

#include <cstdio>

void MainWindow::createGui()
{
    createActions();
    createToolBars();
    createStatusBar();

    setWindowTitle(QStringLiteral("Quillmate"));
    setWindowIcon(QIcon(QStringLiteral(":/images/vortal_k.png")));

    m_console = new QTextBrowser;
    m_console->setObjectName(QStringLiteral("console"));
    m_console->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_console, &QWidget::customContextMenuRequested, this, &MainWindow::showContextMenu);
    m_console->setReadOnly(true);
    m_console->setOpenLinks(false);
    m_console->setOpenExternalLinks(false);
    connect(m_console, &QTextBrowser::anchorClicked, this, &MainWindow::on_anchorClicked);
    // The console's lines come in the colours their printers give them, made
    // for a white page: it keeps one under any palette.
    m_console->setPalette(lightBasePalette(m_console->palette()));

    m_scriptInput = new TextBrowser;
    m_scriptInput->setObjectName(QStringLiteral("scriptInput"));
    m_scriptInput->setReadOnly(false);
    connect(m_scriptInput, &TextBrowser::lineEntered, this,
            [this](const QString &line) { executeScriptLine(line, -1); });

    // The terminal's tab is added when a panel opens a terminal port; until
    // then the window keeps the view, hidden.
    m_terminalView = new QTextBrowser(this);
    m_terminalView->setObjectName(QStringLiteral("terminalView"));
    m_terminalView->setReadOnly(true);
    m_terminalView->hide();

    m_consoleTabs = new QTabWidget;
    m_consoleTabs->addTab(m_console, QStringLiteral("Log"));
    m_consoleTabs->addTab(m_scriptInput, QStringLiteral("Script"));
    connect(m_consoleTabs, &QTabWidget::currentChanged, this, &MainWindow::tabSelected);

    m_consoleDock = new QDockWidget(this);
    m_consoleDock->setObjectName(QStringLiteral("consoleDock"));
    m_consoleDock->setWidget(m_consoleTabs);
    addDockWidget(Qt::BottomDockWidgetArea, m_consoleDock);
    m_consoleDock->hide();
    m_consoleDock->setMaximumHeight(200);

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
    if (!m_console)
        return;
    QTextCursor cursor(m_console->document());
    cursor.movePosition(QTextCursor::End);
    const int start = cursor.position();
    // Each line ends its own paragraph: a "<br>" inside one ever-growing
    // paragraph would have the whole console laid out again for every line.
    cursor.beginEditBlock();
    const QLatin1String lineBreak("<br>");
    int from = 0;
    for (int at = html.indexOf(lineBreak, 0, Qt::CaseInsensitive); at >= 0;
         at = html.indexOf(lineBreak, from, Qt::CaseInsensitive)) {
        if (at > from)
            cursor.insertHtml(html.mid(from, at - from));
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        from = at + lineBreak.size();
    }
    if (from < html.size())
        cursor.insertHtml(html.mid(from));
    // Colours that do not read on the page are moved just far enough
    // toward black to read ("red", "orange").
    makeTextReadable(m_console->document(), start, m_console->palette().color(QPalette::Base));
    cursor.endEditBlock();
    m_console->verticalScrollBar()->setValue(m_console->verticalScrollBar()->maximum());
    if (!m_keepConsoleHidden && m_consoleDock && m_consoleDock->isHidden())
        m_consoleDock->show();
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

void MainWindow::showContextMenu(const QPoint &pos)
{
    QMenu *menu = m_console->createStandardContextMenu();
    menu->addAction(m_actions.clearConsoleAct);
    menu->exec(m_console->mapToGlobal(pos));
    delete menu;
}

void MainWindow::tabSelected()
{
    if (m_consoleTabs && m_consoleTabs->currentIndex() == 1)
        m_scriptInput->setFocus(Qt::OtherFocusReason);
}
