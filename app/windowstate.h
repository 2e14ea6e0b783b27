#pragma once

// The window's state, grouped by what it serves. The window owns one of each
// (the element mark is its WindowElementFinder's); tests read them through
// the window's accessors.

#include "jlinkconnection.h"

#include <QPalette>
#include <QPointer>
#include <QString>

#include <atomic>

class QAction;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class SeggerThread;
class SerialComThread;
class TerminalPort;
class TykLink;

// Switches read from settings.ini beside the program.
struct SettingsIniSwitches {
    bool enableSign = false;
    bool enableValidate = false;
    bool enableShowLocks = false;
    bool enableShowSvdTree = false;
    quint16 enableShowPortMapping = 0;
    bool enableEditGui = false;
    bool enableGenerateXmlFromSvd = false;
    bool enableScriptRecording = false;
    bool enableFullscreen = false;
    bool checkFwVersionOnLoad = false;
    bool disableProductStateStorage = false;
    QString externalEditor;
};

// The stored settings and settings.ini: folders, the adapter's log, the tool
// bar, the launcher's tool id and the Keil switch.
struct WindowSettings {
    QString workingDir;
    QString scriptsDir;
    QString lastDir;
    // The adapter's log: its mode, time stamps and file.
    quint16 tykLoggingMode = 0;
    bool tykLoggingTimeStamps = false;
    QString tykLoggingFilename;
    bool toolbarEnabled = true;
    QString settingsIniPath;
    QString harbikToolId;
    bool keil = false;
    SettingsIniSwitches switches;
};

// What closing the window does with a modified project.
enum class CloseMode {
    Ask,     // ask whether to save
    Save,    // save without asking
    Discard, // close without asking
    Refuse,  // keep the window open
};

// What the command line asked of this run, kept for the later steps, and
// what the run counts for its exit.
struct WindowRun {
    QString definesText;
    bool definesApplied = false;
    QString includePaths;
    QString batchFile;
    QString outputLog;
    bool generate = false;
    bool saveRequested = false;
    bool quiet = false;
    // -g, -s or -x: the run ends inside start-up and nobody sees the window.
    bool endsAfterStartUp = false;
    // Nobody can answer the window (see CommandLineOptions::unattended).
    bool unattended = false;
    // Console lines go to standard error too, as plain text (runs without a
    // display, -q, -g, -s, -x).
    bool echoConsoleToStandardError = false;
    // The -b run's exit code (failed assertions and script errors).
    int batchExitCode = 0;
    // Set while start-up opens the file argument of a -b run: that panel is
    // the batch run's own.
    bool batchRunStarting = false;
    // Project saves that were refused, failed or had no name (a cancelled
    // Save-as), its headers included: EXIT counts those its close made.
    int failedSaveCount = 0;
};

// The target link: the adapter link, the polling threads and the flags that
// keep them running, the panel's terminal port and the J-Link settings.
struct TargetLinkState {
    // The adapter link; null while none was opened.
    TykLink *tykLink = nullptr;
    SeggerThread *seggerThread = nullptr;
    SerialComThread *serialComThread = nullptr;
    std::atomic_bool seggerPolling{false};
    std::atomic_bool serialPolling{false};
    // The panel's terminal: a receive-only serial port shown in the console's
    // "Terminal" tab. Stays open until the next panel names another.
    TerminalPort *terminalPort = nullptr;
    qint64 performanceFrequency = 0; // ticks per second of the exchange thread's clock
    JLinkSettings jlinkSettings;     // the probe and target the J-Link connection uses
};

// The element mark: one at a time, ended by its 5000 ms timer or by
// WindowElementFinder::cancelHighlight, which keeps it.
struct ElementMark {
    QPointer<QWidget> widget;        // the marked widget, or null
    QTreeWidgetItem *item = nullptr; // the marked tree row, or null
    QPointer<QTreeWidget> tree;      // the view of item; guards it
    int timerId = 0;                 // the timer that ends the mark; 0 when none
    QString styleSheet;              // the marked widget's style sheet before the mark
    QPalette palette;
};

// The window's menu and tool bar actions.
struct WindowActions {
    QAction *homeAct = nullptr;
    QAction *loadAct = nullptr;
    QAction *saveAct = nullptr;
    QAction *saveAsAct = nullptr;
    QAction *exportHeaderFilesAct = nullptr;
    QAction *exitAct = nullptr;
    QAction *settingsAct = nullptr;
    QAction *openAct = nullptr;
    QAction *reopenAct = nullptr;
    QAction *signAct = nullptr;
    QAction *validateAct = nullptr;
    QAction *showLocksAct = nullptr;
    QAction *showSvdTreeAct = nullptr;
    QAction *showPortMappingAct = nullptr;
    QAction *searchAct = nullptr;
    QAction *showDifferencesAct = nullptr;
    QAction *integrateKeilAct = nullptr;
    QAction *expandAct = nullptr;
    QAction *collapseAct = nullptr;
    QAction *getTykVersionAct = nullptr;
    QAction *updateTykAct = nullptr;
    QAction *runScriptAct = nullptr;
    QAction *recordScriptAct = nullptr;
    QAction *addScriptCommandAct = nullptr;
    QAction *fullscreenAct = nullptr;
    QAction *generateXmlAct = nullptr;
    QAction *editGuiAct = nullptr;
    QAction *clearConsoleAct = nullptr;
    QAction *appNotesAction = nullptr; // shows the app-notes button on the launcher bar
};
