#include "windowconsole.h"

#include "contrast.h"
#include "textbrowser.h"

#include <QAction>
#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextBlockFormat>
#include <QTextBrowser>
#include <QTextCharFormat>
#include <QTextCursor>

WindowConsole::WindowConsole(QMainWindow *window, QAction *clearAction)
    : QObject(window)
    , m_clearAction(clearAction)
{
    m_log = new QTextBrowser;
    m_log->setObjectName(QStringLiteral("console"));
    m_log->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_log, &QWidget::customContextMenuRequested, this, &WindowConsole::showContextMenu);
    m_log->setReadOnly(true);
    m_log->setOpenLinks(false);
    m_log->setOpenExternalLinks(false);
    connect(m_log, &QTextBrowser::anchorClicked, this, &WindowConsole::linkActivated);
    // The console's lines come in the colours their printers give them, made
    // for a white page: it keeps one under any palette.
    m_log->setPalette(lightBasePalette(m_log->palette()));

    m_scriptInput = new TextBrowser;
    m_scriptInput->setObjectName(QStringLiteral("scriptInput"));
    m_scriptInput->setReadOnly(false);
    connect(m_scriptInput, &TextBrowser::lineEntered, this, &WindowConsole::lineEntered);

    // The terminal's tab is added when a panel opens a terminal port; until
    // then the window keeps the view, hidden.
    m_terminalView = new QTextBrowser(window);
    m_terminalView->setObjectName(QStringLiteral("terminalView"));
    m_terminalView->setReadOnly(true);
    m_terminalView->hide();

    m_tabs = new QTabWidget;
    m_tabs->addTab(m_log, QStringLiteral("Log"));
    m_tabs->addTab(m_scriptInput, QStringLiteral("Script"));
    // The script tab takes the keyboard when it is picked.
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1)
            m_scriptInput->setFocus(Qt::OtherFocusReason);
    });

    m_dock = new QDockWidget(window);
    m_dock->setObjectName(QStringLiteral("consoleDock"));
    m_dock->setWidget(m_tabs);
    window->addDockWidget(Qt::BottomDockWidgetArea, m_dock);
    m_dock->hide();
    m_dock->setMaximumHeight(200);
}

void WindowConsole::print(const QString &html)
{
    QTextCursor cursor(m_log->document());
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
    makeTextReadable(m_log->document(), start, m_log->palette().color(QPalette::Base));
    cursor.endEditBlock();
    scrollToEnd();
    showDock();
}

void WindowConsole::printTerminal(const QString &html)
{
    QTextCursor cursor(m_terminalView->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertHtml(html);
    m_terminalView->verticalScrollBar()->setValue(m_terminalView->verticalScrollBar()->maximum());
    showDock();
}

void WindowConsole::clear()
{
    m_log->clear();
}

void WindowConsole::showTerminal()
{
    if (m_tabs->indexOf(m_terminalView) < 0)
        m_tabs->addTab(m_terminalView, QStringLiteral("Terminal"));
    m_tabs->setCurrentWidget(m_terminalView);
    showDock();
}

void WindowConsole::hideDock()
{
    m_dock->hide();
}

void WindowConsole::scrollToEnd()
{
    m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
}

void WindowConsole::setShown(bool shown)
{
    m_keptHidden = !shown;
    m_dock->setVisible(shown);
}

void WindowConsole::showContextMenu(const QPoint &pos)
{
    QMenu *menu = m_log->createStandardContextMenu();
    if (m_clearAction)
        menu->addAction(m_clearAction);
    menu->exec(m_log->mapToGlobal(pos));
    delete menu;
}

void WindowConsole::showDock()
{
    if (!m_keptHidden && m_dock->isHidden())
        m_dock->show();
}
