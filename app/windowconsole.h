#pragma once

#include <QObject>

class QAction;
class QDockWidget;
class QMainWindow;
class QPoint;
class QTabWidget;
class QTextBrowser;
class QUrl;
class TextBrowser;

// The window's console dock: the log ("console"), the script prompt
// ("scriptInput") and, once a panel opens a terminal port, the terminal
// ("terminalView"), each a tab of one dock ("consoleDock") at the bottom of
// the window. The dock stays hidden until something is printed, unless a
// script keeps it hidden.
class WindowConsole : public QObject
{
    Q_OBJECT

public:
    // Builds the dock into window, hidden. clearAction joins the log's
    // context menu.
    WindowConsole(QMainWindow *window, QAction *clearAction);

    // Appends html to the log, each "<br>" ending a line, its colours made
    // to read on the log's white page, and shows the dock.
    void print(const QString &html);
    // Appends html to the terminal view and shows the dock.
    void printTerminal(const QString &html);
    void clear();
    // Adds the terminal's tab (once) and brings it and the dock to the front.
    void showTerminal();
    void hideDock();
    // Scrolls the log to its last line.
    void scrollToEnd();
    // The script command that shows or hides the console: hidden, printing
    // no longer shows the dock.
    void setShown(bool shown);
    void setKeptHidden(bool hidden) { m_keptHidden = hidden; }
    // The log's context menu (its standard one and clearAction) at pos.
    void showContextMenu(const QPoint &pos);

signals:
    // A link of the log was clicked.
    void linkActivated(const QUrl &url);
    // The user entered a line at the script prompt.
    void lineEntered(const QString &line);

private:
    void showDock();

    QAction *m_clearAction;
    QTextBrowser *m_log = nullptr;
    TextBrowser *m_scriptInput = nullptr;
    QTextBrowser *m_terminalView = nullptr;
    QTabWidget *m_tabs = nullptr;
    QDockWidget *m_dock = nullptr;
    bool m_keptHidden = false;
};
