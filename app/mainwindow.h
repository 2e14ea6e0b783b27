#pragma once

#include "commandline.h"
#include "panelopenrecord.h"
#include "panelvalidation.h"
#include "panelxmlreader.h"
#include "scriptengine.h"
#include "windowelementfinder.h"
#include "windowintegration.h"
#include "windowpanelshell.h"
#include "windowpinmapping.h"
#include "windowscripthost.h"
#include "windowstartup.h"
#include "windowstate.h"
#include "windowtykadapter.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>

class ActiveElement;
class DiffDialog;
class LockDialog;
class Panel;
class PythonHost;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QIODevice;
class QLabel;
class QPushButton;
class QToolBar;
class QTreeWidgetItem;
class QUrl;
class RegisterRecord;
class SeggerThread;
class SerialComThread;
class ShowXMLDialog;
class TerminalPort;
class WindowConsole;
class TykLink;
class TykValueExchange;
class UnresolvedDialog;

// The application window around the panel model: menus, tool bars, console,
// dialogs, settings, the target link threads, and the orchestration of
// opening, saving and exporting. Its constructor is the program's whole
// start-up sequence. The loaded panel's state lives in the Panel it holds.
class MainWindow : public QMainWindow
{
    Q_OBJECT
    friend class WindowElementFinder;
    friend class WindowIntegration;
    friend class WindowPanelShell;
    friend class WindowPinMapping;
    friend class WindowScriptHost;
    friend class WindowStartUp;
    friend class WindowTykAdapter;

public:
    explicit MainWindow(const CommandLineOptions &options);
    ~MainWindow() override;

    // The panel the window shows.
    Panel *panel() const { return m_panel; }

    // ---- Construction, start-up and shut-down
    // What closing the window does with a modified project.
    CloseMode closingMode() const { return m_closeMode; }
    void setCloseMode(CloseMode mode) { m_closeMode = mode; }
    bool isFullScreenMode() const { return m_fullScreen; }
    // -g, -s or -x: the run ends inside start-up and nobody sees the window.
    bool runEndsAfterStartUp() const { return m_run.endsAfterStartUp; }

    // ---- Python (mainwindow_python.cpp)
    // The window's embedded Python; started by the first panel that uses it.
    PythonHost *pythonHost() const { return m_python.get(); }

    // ---- Console (mainwindow_console.cpp): the log, script prompt and
    // terminal dock (windowconsole.h); its lines are also echoed to standard
    // error when the run asks for it.
    void consolePrint(QString html);
    WindowConsole &console() { return *m_console; }

    // ---- Settings
    void readSettingsIni(QString &file);
    void setWorkingDir(const QString &dir);
    void setScriptsDir(const QString &dir);
    void applySettings(quint16 loggingMode, bool timeStamps, QString logFile,
                       unsigned updatePeriod, bool toolbarEnabled);
    // The stored settings and the switches of settings.ini.
    const WindowSettings &settings() const { return m_settings; }
    QString getScriptsDir() const { return m_settings.scriptsDir; }
    QString getWorkingDir() const { return m_settings.workingDir; }

    // ---- Target link and polling threads
    // The adapter link, the polling threads and their flags, the terminal port.
    TargetLinkState &targetLink() { return m_targetLink; }
    // Puts link in place of the adapter link, which is deleted.
    void replaceTykLink(TykLink *link);
    // The adapter link as the window makes it, the firmware version and update.
    WindowTykAdapter &tykAdapter() { return *m_tykAdapter; }
    // Takes over threads started elsewhere as the window's polling threads.
    void adoptPollingThreads(SeggerThread *segger, SerialComThread *serial);
    // The panel's terminal port, or null.
    TerminalPort *terminal() const { return m_targetLink.terminalPort; }
    void stopPollingThreads();

    // ---- Panel open, post-load set-up, new project and reload
    bool readPanelFile(const QString &file);
    // How long a panel read runs before the status bar says how far it is
    // (a second unless set otherwise, for every window of the process).
    static void setReadProgressAfterMs(int ms);
    // The window's side of the set-up after a read: the load message, the
    // port choice, the adapter check, the target connection, then the
    // panel's finish (Panel::finishLoad), the firmware query, the
    // application notes, the polling threads and the formula checks.
    void initLoadedConfiguration(bool resetValues);
    // Empties the panel and the window's view of it before the next panel.
    void clearPanelState();
    // The window shows the home panel.
    bool isHomePanelShown() const { return m_homePanelShown; }

    // ---- Project file and header export
    // The current project file (a header read in counts); empty when none.
    QString currentProjectFile() const { return m_projectFile; }
    void setCurrentFile(const QString &file);
    QString getCurrentFileName() const;
    bool load(const QString &fileName);
    // Reads a project into the open panel (setValues) or only compares it with
    // the panel's values. False when the reading stopped early: *errorText then
    // holds the XML error with its position, or is empty when the cause was
    // reported already.
    bool loadProject(QIODevice *device, bool setValues, QString *errorText);
    bool loadOld(const QString &fileName);
    // Writes the project, then the header files; false when the project or one
    // of its headers could not be written or the export was refused.
    bool saveProjectFile(const QString &fileName, bool sorted);
    // Why a run that saves by itself must not write its project to fileName
    // (the panel being read, or an existing file that is no project); empty
    // when it may.
    QString projectSaveRefusal(const QString &fileName) const;
    bool maybeSave();
    // Applies one "#define NAME VALUE" line, split into words, to the elements
    // bound to the register.
    void setRegisterFromDefineLine(RegisterRecord *reg, QStringList *words);
    // Signs a panel file in place (signPanelFile, panelsigning.h), unless a
    // run that writes refused to use it; false when it was not signed, and
    // then the file is left byte for byte.
    bool signXmlChecksum(const QString &path);

    // Panel validation with the window's read options; it prints its
    // findings on the console and changes nothing.
    PanelValidation panelValidation() const;

public slots:
    bool save();
    bool saveAs();
    // Every header (all) or only the changed ones; false when a header could
    // not be written or the export was refused.
    bool exportHeaderFiles(bool all);
    bool exportHeaderFiles();
    void signFile();

public:
    // ---- Scripts
    ScriptEngine &scripts() { return m_scripts; }
    bool runScriptFile(const QString &fileName);
    bool executeScriptLine(const QString &line, int lineNumber);
    // Connects the script engine to this window (its host and command
    // families, echo).
    void setUpScriptEngine();
    // What the script engine and its command families ask of the window.
    WindowScriptHost &scriptHost() { return *m_scriptHost; }

    // What the panel asks of the window.
    WindowPanelShell &panelShell() { return *m_panelShell; }
    // What the pin views ask of the window, and its pin views.
    WindowPinMapping &pinMapping() { return *m_pinMapping; }
    // The value-list exchange behind sendUSB and recData.
    TykValueExchange &tykValues() { return *m_tykValues; }

    // The Keil tools menu, the launcher service and the help.
    WindowIntegration &integration() { return *m_integration; }

    // The lock graph's tool tip of an element bound to a register.
    QString registerToolTip(ActiveElement *element) const;

    // Finding, raising and marking elements.
    WindowElementFinder &elementFinder() { return *m_elementFinder; }

public slots:
    void open();
    bool open(const QString &fileName);
    void newProject();
    void reopen();
    void load();
    // False when the file did not open (the home panel is shown then).
    bool loadFile(QString name, bool absolute);

    void editGUI();
    void switchFullscreenMode();

    void on_anchorClicked(const QUrl &url);
    void clearConsole();

    // Actions and menus
    void updatePanelActions();
    void updateHomeActions();
    void createAppNotesMenu();
    void showAppNotes();
    void showForum();
    void showDifferences();
    void showPortMapping();
    // The catalog dialog on the file (relative to the working directory):
    // the user picks a record that fills the panel. Modal; true when it was
    // closed with OK. A run without a user does not show it. catalogRead
    // tells whether the catalog file was read whole (a failure is reported).
    bool selectFromCatalog(const QString &catalogFile, bool *catalogRead = nullptr);
    // Asks for panel files and validates each (PanelValidation::validateFiles).
    void validateDefines();
    // The SVD tree dialog (mainwindow_menus.cpp), a script file run and the
    // script recorder (mainwindow_scripts.cpp).
    void showSvdTree();
    void runBatchfile();
    void startStopRecording();
    // A panel generated from an SVD file (generatePanelFromSvd): asks for
    // the file and the layout, then whether to open the panel.
    void generateXMLFromSVD();

private slots:
    // Slots of the window's own actions, tabs and replies.
    void showSettingsDialog();
    // Shows the lock graph of the panel.
    void showLocks();
    void addRecordCmd();
    void expandBranch();
    void collapseBranch();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void readSettings();
    void writeSettings();
    void openTerminalPort(const QString &portName, const QString &settings);
    void startPollingThreads();
    // Whether an open now must be usable for writes (unusableOpenReason,
    // panelopenrecord.h, empty) to count as opened: in runs that end after start-up and in
    // batch runs. The window alone keeps what was built.
    bool opensMustBeUsableForWrites() const;
    // What a panel read takes from the command line and the window's state.
    PanelReadOptions panelReadOptions() const;
    void printLoadMessage();
    void expandRecursively(QTreeWidgetItem *item, bool expand);
    // Resolves and opens the panel's SVD file (asking where it is when it
    // cannot be found) and binds the SVD-bound variables.
    bool loadSvdFile();
    // A console warning when the saved project's panel will not be found
    // when the project is opened again.
    void warnWhenPanelNotFound(const QString &projectPath);
    // Whether a register of the panel names a header.
    bool headerFilesToExport() const;
    // The window's view of the panel
    void expandOrCollapseBranch(bool expand);
    void connectTargetForPolling();
    // saveProjectFile without the count.
    bool writeProjectFile(const QString &fileName, bool sorted);
    // Save and the script saves while the home panel (or no panel) is shown:
    // reported and counted as a refused save; true when refused.
    bool refuseSaveWithoutPanel(const QString &fileName);
    bool openDropped(const QString &path);
    // The defines a read file left unset (links, one "<a href>" line each)
    // and its lines that match no element (lines, "#define NAME VALUE"; the
    // drop names taken out): on the console under lineTitle, at most a
    // console's worth with a moreTitle count of the rest, and in the
    // unresolved dialog.
    void reportUnresolved(QStringList links, QStringList lines, const QStringList &dropNames,
                          const QString &lineTitle, const QString &moreTitle);

    // Window furniture
    void createGui();
    void createActions();
    void createToolBars();
    void createStatusBar();
    // The file label of the status bar: the panel file and its version.
    void showPanelFile(const QString &path);

    std::unique_ptr<WindowPanelShell> m_panelShell;
    Panel *m_panel = nullptr;
    ScriptEngine m_scripts;
    std::unique_ptr<WindowScriptHost> m_scriptHost;
    std::unique_ptr<WindowPinMapping> m_pinMapping;
    std::unique_ptr<WindowIntegration> m_integration;
    std::unique_ptr<WindowTykAdapter> m_tykAdapter;
    std::unique_ptr<WindowElementFinder> m_elementFinder;
    // The start-up steps around the file argument.
    std::unique_ptr<WindowStartUp> m_startUp;
    std::unique_ptr<PythonHost> m_python;
    std::unique_ptr<TykValueExchange> m_tykValues;
    // Gives the panel and the script engine the window's Python host.
    void setUpPython();
    // Panel widgets replaced while an element walk ran: deleted later, or at
    // the next open when no walk runs then.
    QList<QPointer<QWidget>> m_retiredPanelWidgets;
    void deleteRetiredPanelWidgets();

    WindowConsole *m_console = nullptr;
    QToolBar *m_harbikToolBar = nullptr;
    QToolBar *m_mainToolBar = nullptr;
    QLabel *m_versionLabel = nullptr;
    QLabel *m_fileLabel = nullptr;
    QPushButton *m_forumButton = nullptr;

    // Dialogs owned by the window
    UnresolvedDialog *m_unresolvedDialog = nullptr;
    DiffDialog *m_diffDialog = nullptr;
    LockDialog *m_lockDialog = nullptr;
    QPointer<ShowXMLDialog> m_xmlDialog;

private:
    // ---- The window's state; what others read goes through the accessors above.
    CloseMode m_closeMode = CloseMode::Ask;
    bool m_fullScreen = false;
    bool m_wasMaximized = false;
    WindowSettings m_settings;
    WindowRun m_run;
    TargetLinkState m_targetLink;
    WindowActions m_actions;
    // Panel open and project
    bool m_openingHomePanel = false; // set while the home panel of a new project is read
    bool m_homePanelShown = false;   // the window shows the home panel
    // The last read's tab widgets that fit themselves to their current page.
    QList<QPointer<TabWidget>> m_fittingTabs;
    // The folders searched for the next open; the opens refused to a run that writes.
    PanelOpenRecord m_openRecord;
    QString m_projectFile;
    // The Intel HEX blocks WRITEBSL read, in reading order; never emptied.
    QVector<IntelHexBlock> m_intelHexBlocks;
    QPushButton *m_appNotesButton = nullptr;
};
