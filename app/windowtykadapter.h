#pragma once

#include <QString>

class MainWindow;
class TykLink;

// The window's side of the Tyk adapter: its link on the panel's port (made
// when first needed, with the window's console and log settings; the link
// itself is kept in the window's TargetLinkState), the report of a port that
// cannot be opened, and the adapter's firmware version and update. Owned by
// the window.
class WindowTykAdapter final
{
public:
    explicit WindowTykAdapter(MainWindow &window) : m_window(window) {}
    Q_DISABLE_COPY_MOVE(WindowTykAdapter)

    // The folder of the adapter's firmware files and updater.
    static QString firmwarePath();

    // The window's adapter link: made, with the window's log settings, when
    // create is set and none exists.
    TykLink *link(bool create);
    // A new adapter link on the panel's port whose console lines and open
    // failures reach the window; the caller opens its log.
    TykLink *newLink();

    // Asks the adapter for its firmware version and compares it with the
    // panel's range: a message box, or console lines only when quiet.
    void queryFirmwareVersion(bool quiet);
    // "Update Tyk": runs the updater on a firmware file the user picks, the
    // link disconnected and the panel's timers stopped meanwhile.
    void updateFirmware();

private:
    // A COM port that cannot be opened: an error on the console, standard
    // error and the -c log, and a script error of the line that needed it.
    void reportOpenFailure(const QString &text, bool repeated);

    MainWindow &m_window;
    // The script line whose failed open was counted last; empty outside scripts.
    QString m_openFailureStep;
};
