#pragma once

#include <QString>

class MainWindow;

// The window's start-up steps around the file argument: opening it, showing
// the window before a long open, applying the -d items, and the ends of the
// runs that finish inside start-up (-s, -g, -x, and a -b run nobody can
// close). Owned by the window; its constructor runs them in order.
class WindowStartUp final
{
public:
    explicit WindowStartUp(MainWindow &window) : m_window(window) {}
    Q_DISABLE_COPY_MOVE(WindowStartUp)

    // Opens the panel (.xml) or project (.qlmp) named on the command line;
    // false when it did not open or is neither.
    bool openFileArgument(const QString &file);
    // Shows the window and waits (a short while at most) until it is on
    // screen and painted; no user input is taken meanwhile.
    void showAndPaintBeforeOpen();
    // Sets the elements the -d items name, once; false when an item was refused.
    bool applyDefines();
    // The -s, -g and -x ends: each writes its files and ends the process.
    void runNonInteractiveExits(const QString &file, bool fileOpened, QString saveFile, bool exitAfterKeil);
    // The end of a -b run that nobody can close: the process ends as EXIT
    // would end it, with the run's counts on the console.
    [[noreturn]] void endUnattendedBatchRun();
    // Ends the process with exitCode, or with the -b run's exit code when
    // that is higher.
    [[noreturn]] void exitNonInteractive(int exitCode);

private:
    MainWindow &m_window;
};
