#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QDir;

// The values main collects from the command line; the main window is built from them.
struct CommandLineOptions {
    QString file;
    QString batchFile;     // -b
    QString outputLog;     // -o
    bool generate = false; // -g
    bool save = false;     // -s
    bool keil = false;     // -k
    bool quiet = false;    // -q
    bool exitAfterKeil = false; // -x
    QString saveFile;      // value of -s
    QString consoleLog;    // -c
    QString defines;       // all -d values joined with ";"
    QString includePaths;  // all -i values joined with ";"
    // Not an option: set by main when nobody can answer the window (no
    // display, or QUILLMATE_NONINTERACTIVE): prompts take their
    // non-interactive form and a -b run ends the process.
    bool unattended = false;
    // Not an option: set by main for the window it shows. An interactive
    // start (no -g, -s, -x or -b) then shows the window before it opens the
    // file, so a long open has a painted window that says how far it is.
    bool showBeforeOpen = false;
};

extern const char usageText[];

// Parses the arguments (the first one is the program and is skipped). showUsage
// runs at once for every "-?", and parsing goes on afterwards. The file
// argument comes back as given; main turns its "\" into "/".
CommandLineOptions parseCommandLine(const QStringList &arguments,
                                    const std::function<void()> &showUsage);

// True when the arguments ask for one of the runs that end before the window
// shows (-g, -s, -x); used to pick the prompt service before parsing.
bool isNonInteractiveRun(const QStringList &arguments);

// True for every run that ends by itself: -g, -s, -x and a -b batch run.
bool endsByItself(const QStringList &arguments);

// The Qt platform a start asks for when the environment names none
// (QT_QPA_PLATFORM unset): for a display variable its platform, with the
// offscreen platform behind it when no connection to it can be made (Qt tries
// the ";"-separated names in order); without any display variable the
// offscreen platform for a run that ends by itself, and nothing (empty) for
// an interactive start, which cannot be made without a display.
QByteArray startPlatform(bool x11Display, bool waylandDisplay, bool selfEnding);

// The one line an interactive start without a display prints before it
// exits with 1.
QString noDisplayMessage(bool displayVariableSet);

// File names given relative to where the program was started are made
// absolute against that directory, because start-up changes the current
// directory to the program directory.
void resolveCommandLinePaths(CommandLineOptions &options, const QDir &startDirectory);

// Why the -o or -c log may not be written, one message per refused log;
// empty when both may. Checked before anything is opened: never the file
// argument, the panel a project argument names (beside it, or in
// scriptsDir), the -b script or the -s project (WriteGuard::logRefusal).
QString commandLineLogRefusal(const CommandLineOptions &options, const QString &scriptsDir);

// Shows the usage box through the prompt service.
void showUsageBox();
