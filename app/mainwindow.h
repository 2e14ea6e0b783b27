#pragma once

#include "commandline.h"
#include "jlinkconnection.h"
#include "panelshell.h"
#include "pinmappinghost.h"
#include "panelxmlreader.h"
#include "scriptengine.h"
#include "scripthost.h"
#include "scriptwindowhost.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSerialPort>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class ActiveElement;
class DataClass;
class DiffDialog;
class LockDialog;
class Panel;
class PinMapping;
class PythonHost;
class QAction;
class QCloseEvent;
class QDockWidget;
class QDragEnterEvent;
class QDropEvent;
class QIODevice;
class QLabel;
class QNetworkReply;
class QProcess;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QTimerEvent;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;
class RegisterRecord;
class SeggerThread;
class SerialComThread;
class ShowXMLDialog;
class TerminalPort;
class TextBrowser;
class TykLink;
class UnresolvedDialog;

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

// What closing the window does with a modified project.
enum class CloseMode {
    Ask,     // ask whether to save
    Save,    // save without asking
    Discard, // close without asking
    Refuse,  // keep the window open
};

// The application window around the panel model: menus, tool bars, console,
// dialogs, settings, the target link threads, and the orchestration of
// opening, saving and exporting. Its constructor is the program's whole
// start-up sequence. The loaded panel's state lives in the Panel it holds.
class MainWindow : public QMainWindow, public PanelShell, public ScriptHost, public PinMappingHost,
                   public ScriptWindowHost
{
    Q_OBJECT

public:
    explicit MainWindow(const CommandLineOptions &options);
    ~MainWindow() override;

    // The panel the window shows.
    Panel *panel() const { return m_panel; }

    // ---- Construction, start-up and shut-down
    CloseMode closeMode = CloseMode::Ask;
    bool fullScreen = false;
    bool wasMaximized = false;
    void writeSettings();

    // ---- Console
    void consolePrint(QString html);

    // ---- Python (mainwindow_python.cpp)
    // The window's embedded Python; started by the first panel that uses it.
    PythonHost *pythonHost() const { return m_python.get(); }
    bool keepConsoleHidden = false; // set by the script command that hides the console
    static bool isXmlFile(const QString &path);
    static bool isElementEnabled(QObject *element);
    QTextBrowser *consoleBrowser() const { return m_console; }
    QDockWidget *consoleDockWidget() const { return m_consoleDock; }

    // ---- Settings
    void readSettings();
    void readSettingsIni(QString &file);
    void setWorkingDir(const QString &dir);
    void setScriptsDir(const QString &dir);
    void applySettings(quint16 loggingMode, bool timeStamps, QString logFile,
                       unsigned updatePeriod, bool toolbarEnabled);
    const SettingsIniSwitches &settingsSwitches() const { return m_switches; }
    QString getScriptsDir() const { return scriptsDir; }
    QString getWorkingDir() const { return workingDir; }
    QString workingDir;
    QString scriptsDir;
    QString lastDir;
    quint16 tykLoggingMode = 0;
    bool tykLoggingTimeStamps = false;
    QString tykLoggingFilename;
    bool toolbarEnabled = true;
    QString settingsIniPath;
    QString harbikToolId;
    QString keilCommand;
    QString keilArguments;
    bool keil = false;

    // ---- Command-line values kept for later steps
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

    // ---- Target link and polling threads
    TykLink *tykLink = nullptr;
    SeggerThread *seggerThread = nullptr;
    SerialComThread *serialComThread = nullptr;
    std::atomic_bool seggerPolling{false};
    std::atomic_bool serialPolling{false};
    // The panel's terminal: a receive-only serial port shown in the console's
    // "Terminal" tab. Stays open until the next panel names another.
    TerminalPort *terminalPort = nullptr;
    void openTerminalPort(const QString &portName, const QString &settings);
    qint64 performanceFrequency = 0; // ticks per second of the exchange thread's clock
    JLinkSettings jlinkSettings; // the probe and target the J-Link connection uses
    // The folder of the adapter's firmware files and updater.
    static QString getTykFirmwarePath();
    void stopPollingThreads();
    void startPollingThreads();

    // ---- Panel open, post-load set-up, new project and reload
    bool readPanelFile(const QString &file);
    // What a panel read takes from the command line and the window's state.
    PanelReadOptions panelReadOptions() const;
    bool openFileError(const QString &file, const QString &errorText);
    bool readFileError(const QString &file, const QString &errorText);
    void printLoadMessage();
    void initLoadedConfiguration(bool resetValues);
    // Empties the panel and the window's view of it before the next panel.
    void clearPanelState();
    void expandRecursively(QTreeWidgetItem *item, bool expand);
    // Resolves and opens the panel's SVD file (asking where it is when it
    // cannot be found) and binds the SVD-bound variables.
    bool loadSvdFile();
    bool openingHomePanel = false; // set while the home panel of a new project is read
    bool homePanelShown = false;   // the window shows the home panel
    quint16 usbTimeoutCount = 0; // consecutive Tyk receive time-outs
    int highlightTimerId = 0;

    // ---- Project file and header export
    QString projectFile;
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
    // Whether the file exists and its root element is that of a project.
    static bool isProjectFile(const QString &fileName);
    // A console warning when the saved project's panel will not be found
    // when the project is opened again.
    void warnWhenPanelNotFound(const QString &projectPath);
    bool maybeSave();
    bool headerFilesToExport() const;
    // The migration map's rewriting of unknown define lines (none yet).
    QStringList readMigrationFile(QStringList *defineLines, QStringList *dropNames,
                                  const QString &path);
    // Applies one "#define NAME VALUE" line, split into words, to the elements
    // bound to the register.
    void setRegisterFromDefineLine(RegisterRecord *reg, QStringList *words);
    // Writes one header file from its define lines; false when it could not be written.
    bool writeHeaderFile(const QString &headerName, const QString &disclaimer,
                         QStringList defineLines);
    // The console's report that the headers cannot be exported while defines
    // conflict.
    void consolePrintConflicts();
    // Writes one of our CR LF text files in one step; a failure is reported
    // ("Cannot open file" when it could not be created, else a write error)
    // and leaves the old file as it was.
    static bool writeTextFile(const QString &fileName, const QString &text);
    // Signs a panel file in place; false when it was not signed.
    bool signXmlChecksum(const QString &path);
    // Puts the digest of the checksum rule (SHA-256 over the text without CRs,
    // from the first "</checksum>" on) between the first "<checksum>" and
    // "</checksum>"; false when the text lacks either tag.
    static bool insertChecksum(QString &text);

    // ---- Panel validation (mainwindow_validate.cpp). Each prints its
    // findings on the console and changes nothing.
    // The define validation of one panel file (script command VALIDATE).
    void validateXmlFile(const QString &file);
    // The check against QLM.xsd beside the program (script command CHECKXSD).
    void checkXsd(QString path);
    // Both, file after file, as the "Validate XML File" command runs them.
    void validateFiles(const QStringList &files);
    // Compares two versions part by part: 1 when a is higher, -1 when lower, 0 when equal.
    static int versionCompare(const quint16 a[3], const quint16 b[3]);

public slots:
    // What Python writes to its standard output and error: one console (and
    // log file) line per text, a lone line end dropped.
    void PythonStdOut(const QString &text);
    void PythonStdErr(const QString &text);

    bool save();
    bool saveAs();
    // Every header (all) or only the changed ones; false when a header could
    // not be written or the export was refused.
    bool exportHeaderFiles(bool all);
    bool exportHeaderFiles();
    void signFile();

public:
    // ---- The window's view of the panel
    bool isEditableElement(QWidget *widget, bool rememberStyle);
    void expandOrCollapseBranch(bool expand);
    QString savedStyleSheet;

    // ---- Scripts
    ScriptEngine &scripts() { return m_scripts; }
    bool runScriptFile(const QString &fileName);
    bool executeScriptLine(const QString &line, int lineNumber);
    // Connects the script engine to this window (its host, output log, echo).
    void setUpScriptEngine();

    // ---- ScriptHost (mainwindow_scripthost.cpp)
    void printOnConsole(const QString &html) override;
    ActiveElement *elementByDefine(const QString &define) override;
    QList<ActiveElement *> scriptElements() override;
    QHash<QString, DataClass *> scriptVariables() override;
    bool elementEnabled(QObject *element) override;
    bool registerValueText(const QString &objectName, QString *text) override;
    bool tableCell(const QString &define, int row, int column, QString *text, bool *numericColumn,
                   bool *inRange) override;
    void setDirEntry(const QString &entry) override;
    void setLogSetDefs(bool on) override;
    bool quietMode() const override { return quiet; }
    void setQuietMode(bool on) override { quiet = on; }
    void setIoCheckMode(quint16 mode) override;
    void setTykLogging(int mode, bool timeStamps, const QString &file) override;
    void setScriptWorkingDir(const QString &dir) override { setWorkingDir(dir); }
    QStringList versionTexts() override;
    QWidget *scriptDialogParent() override { return this; }
    [[noreturn]] void exitProgram(int closeMode, int exitCode) override;

    // ---- ScriptWindowHost (mainwindow_scriptcommands.cpp): the script
    // commands on files, elements, tables, the window and the target.
    // Adds those command families to the script engine.
    void addScriptCommandFamilies();
    bool scriptLoadFile(const QString &path) override;
    bool scriptSaveProject(const QString &path, bool sorted) override;
    void scriptSetCurrentFile(const QString &path) override;
    QString scriptCurrentFile() const override { return projectFile; }
    QString scriptWorkingDir() const override { return workingDir; }
    QString scriptScriptsDir() const override { return scriptsDir; }
    void scriptSetWorkingDir(const QString &dir) override { setWorkingDir(dir); }
    void scriptSetScriptsDir(const QString &dir) override { setScriptsDir(dir); }
    void scriptSetDefinePrefix(const QString &key, const QString &text) override;
    void scriptSelectFromCatalog(const QString &file) override;
    bool scriptExportHeaders() override;
    bool scriptSign(const QString &file) override;
    void scriptValidate(const QString &file) override;
    void scriptCheckXsd(const QString &file) override;
    void scriptSetDef(const QString &text) override;
    void scriptLock(const QString &text) override;
    void scriptUnlock(const QString &text) override;
    void scriptRaiseElement(ActiveElement *element) override;
    QList<QPair<QString, QObject *>> scriptPushButtons() override;
    void scriptSetFullScreen(bool on) override;
    void scriptSelectTab(const QString &name, int index) override;
    void scriptMoveWindow(int x, int y, bool raise) override;
    void scriptClearConsole() override;
    void scriptShowConsole(bool on) override;
    void scriptShowPinMapper() override;
    void scriptResetGui() override;
    void scriptGenerateXmlFromSvd(const QString &svdFile, bool treeLayout) override;
    QString scriptFileDialog(const QString &caption, const QString &directory, const QString &filter,
                             bool open) override;
    JLinkSettings &scriptJLinkSettings() override { return jlinkSettings; }
    bool scriptSendTask(const QString &file, quint8 header1, bool flag, quint8 header3, quint16 word,
                        QString *error) override;
    QVector<IntelHexBlock> &scriptIntelHexBlocks() override { return intelHexBlocks; }
    // The Intel HEX blocks WRITEBSL read, in reading order; never emptied.
    QVector<IntelHexBlock> intelHexBlocks;

    // ---- PanelShell
    void showPanelWidget(QWidget *widget) override;
    QWidget *dialogParent() override { return this; }
    // Whether the recorder's stream has somewhere to write.
    bool isRecording() const override;
    // Writes line to the recorder and echoes consoleLine on the console, each
    // followed by the pending comment.
    void recordScriptLine(const QString &line, const QString &consoleLine) override;
    QString runningScriptFile() const override { return m_scripts.scriptFile(); }
    void setProjectModified() override;
    void cancelHighlight() override;
    void loadFile(const QString &name) override;
    void runScript(const QString &text) override;
    void startProgram(const QString &program) override;
    // The Tyk value lists: sendUSB packs a send list and transfers it,
    // recData unpacks the reply of that transfer into elements and variables.
    void sendUSB(const QString &values) override;
    void recData(const QString &values) override;
    // The register tables' link and folder (mainwindow_table.cpp).
    TykLink *tykLinkForTables(bool create) override;
    QString tableWorkingDirectory() const override { return workingDir; }
    void setTableWorkingDirectory(const QString &dir) override { setWorkingDir(dir); }
    // The reply of the last sendUSB transfer is still to be unpacked.
    bool tykReplyUnread = false;

    // ---- Integration with the update site, Keil and the launcher
    // (mainwindow_integration.cpp, mainwindow_launcher.cpp)
    void checkForUpdates();
    void cleanUpKeilEntries();
    void runKeilStep();
    // The lock graph's tool tip of an element bound to a register.
    QString registerToolTip(ActiveElement *element) const;
    // Writes tool entry `entry` of the Keil tools menu and the end mark after it.
    void integrateIntoKeil(int entry);
    int harbikPort = 50000;
    QProcess *m_helpProcess = nullptr; // the launcher started for help; lives for the run

    // ---- Menus, tool bars and status bar. Actions whose
    // settings.ini switch is off are never created and stay null.
    static bool objectNameLess(QObject *a, QObject *b);
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
    QPushButton *appNotesButton = nullptr;
    QAction *appNotesAction = nullptr; // shows the app-notes button on the launcher bar
    QString harbikFeatureId;         // the bundle's symbolic name + ".feature"

    // ---- Finding and marking elements. One mark at a
    // time, ended by its 5000 ms timer or by cancelHighlight().
    void raiseGUIElement(ActiveElement *element);
    // Brings the element registered under define into view; unknown names do nothing.
    void raiseDefine(const QString &define);
    void raiseWidget(QWidget *widget);
    QPointer<QWidget> highlightedWidget;
    QTreeWidgetItem *highlightedItem = nullptr;
    QPalette savedPalette;

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
    void showContextMenu(const QPoint &pos);
    void tabSelected();

    void showSettingsDialog();

    // Shows the lock graph of the panel.
    void showLocks();

    // Target link
    void connectTargetForPolling();
    // Asks the adapter for its firmware version and compares it with the
    // panel's range: a message box, or console lines only when quiet.
    void queryTykFirmwareVersion(bool quiet);

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
    // closed with OK. A run without a user does not show it.
    bool selectFromCatalog(const QString &catalogFile);
    // Asks for panel files and validates each (validateFiles).
    void validateDefines();
    // Commands whose work comes later; each does nothing yet.
    void showSvdTree();
    void getTykFWVersion();
    void updateTykFW();
    void runBatchfile();
    void startStopRecording();
    void addRecordCmd();
    // A panel generated from an SVD file (mainwindow_svdgenerate.cpp): from
    // the menu (asks for the file and the layout), or for the file in the
    // Tree or the Group layout (the script command). True when the panel was
    // generated and signed.
    void generateXMLFromSVD();
    bool generateXMLFromSVD(const QString &svdFile, bool treeLayout);
    void integrateKeil();
    void showHelp();
    // The launcher's local service: is the tool known, register a port, say it runs.
    void checkRegisteredTools();
    void readingRegisteredTools(QNetworkReply *reply);
    void registerTool();
    void onToolRegisterAttempt(QNetworkReply *reply);
    void setHarbikState();

    void searchForGUIElement();

    void expandBranch();
    void collapseBranch();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Ends the element mark when its timer fires.
    void timerEvent(QTimerEvent *event) override;

private:
    // Start-up steps
    bool openFileArgument(const QString &file);
    void applyDefines();
    // Ends the process with exitCode, or with the -b run's exit code when
    // that is higher.
    [[noreturn]] void exitNonInteractive(int exitCode);
    void runNonInteractiveExits(const QString &file, bool fileOpened, QString saveFile,
                                bool exitAfterKeil);
    // The end of a -b run that nobody can close: the process ends as EXIT
    // would end it, with the run's counts on the console.
    [[noreturn]] void endUnattendedBatchRun();
    // Nobody can answer the window (see CommandLineOptions::unattended).
    bool m_unattended = false;
    // Console lines go to standard error too, as plain text (runs without a
    // display, -q, -g, -s, -x).
    bool m_echoConsoleToStandardError = false;
    // The -b run's exit code (failed assertions and script errors).
    int m_batchExitCode = 0;
    bool openDropped(const QString &path);

    // Window furniture
    void createGui();
    void createActions();
    void createToolBars();
    void createStatusBar();
    // The file label of the status bar: the panel file and its version.
    void showPanelFile(const QString &path);

    Panel *m_panel = nullptr;
    ScriptEngine m_scripts;
    std::unique_ptr<PythonHost> m_python;
    // Gives the panel and the script engine the window's Python host.
    void setUpPython();
    // Panel widgets replaced while an element walk ran: deleted later, or at
    // the next open when no walk runs then.
    QList<QPointer<QWidget>> m_retiredPanelWidgets;
    void deleteRetiredPanelWidgets();

    QTextBrowser *m_console = nullptr;
    TextBrowser *m_scriptInput = nullptr;
    QTextBrowser *m_terminalView = nullptr;
    // Shows terminal text in the terminal view as consolePrint does in the log.
    void terminalPrint(const QString &html);
    QDockWidget *m_consoleDock = nullptr;
    QTabWidget *m_consoleTabs = nullptr;
    QToolBar *m_harbikToolBar = nullptr;
    QToolBar *m_mainToolBar = nullptr;
    QLabel *m_versionLabel = nullptr;
    QLabel *m_fileLabel = nullptr;
    QPushButton *m_forumButton = nullptr;
    // Element marks
    void markWidget(QWidget *widget, const QColor &other);
    QPointer<QTreeWidget> m_highlightedTree; // the view of highlightedItem; guards it

    SettingsIniSwitches m_switches;

    // Dialogs owned by the window
    UnresolvedDialog *m_unresolvedDialog = nullptr;
    DiffDialog *m_diffDialog = nullptr;
    LockDialog *m_lockDialog = nullptr;
    QPointer<ShowXMLDialog> m_xmlDialog;
    QPointer<QWidget> m_portMappingDialog;

public:
    // ---- Pin mapping (mainwindow_portmapping.cpp). The panel's pin-mapping
    // data and element live in the panel (Panel::pinMappingModel).
    PinMappingModel *pinMappingModel() override;
    ElementHost *elementHost() override;
    OperandLookup *operandLookup() override;
    bool raiseElement(const QString &name) override;
    void searchElement() override;
    QString workingDirectory() const override { return workingDir; }
    // The open port-mapping window, or null.
    QWidget *portMappingDialog() const { return m_portMappingDialog.data(); }
    // Before the next panel is read: the pin-mapping element goes, the
    // previous file's chip is forgotten, the port-mapping command is off.
    void resetPinMapping();
    // After an open: builds the panel's pin-mapping picture, reports what of
    // the pin-mapping file the panel cannot show, switches the command on
    // when there is a chip.
    void buildPinMappingView();
    // A value changed: the open pin views repaint.
    void refreshPinViews(bool userChange);
    // "Show Port mapping": a new port-mapping window over the panel's chip,
    // kept as the open one (the command's switch must be on and a panel shown).
    void openPortMappingDialog();
};
