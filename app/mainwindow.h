#pragma once

#include <QHash>
#include <QMap>
#include <QMainWindow>
#include <QPointer>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "activeelement.h"
#include "expression.h"
#include "registermodel.h"

#include <atomic>

class AbsoluteWidget;
class ActiveElement;
class GridWidget;
class GroupBox;
class HorizontalWidget;
class TreeWidget;
class VerticalWidget;
class Container;
class DataClass;
class DiffDialog;
class Image;
class Led;
class LogLabel;
class MathLabel;
class PinMapping;
class PushButton;
class QTreeWidget;
class QTreeWidgetItem;
struct ComPollEntry;
struct VarPollEntry;
class QwtDial;
class QwtPlotCurve;
class QwtThermo;
class TabWidget;
class TimerLabel;
class LockDialog;
class QCloseEvent;
class QDockWidget;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QPushButton;
class QAction;
class QTabWidget;
class QTextBrowser;
class QTimerEvent;
class QToolBar;
class QUrl;
class SeggerThread;
class SerialComThread;
class ShowXMLDialog;
class TextBrowser;
class TykLink;
class UnresolvedDialog;

class MainWindow;
// The one main window of the process; elements, threads, the error reporter and
// the script engine reach the window only through it.
extern MainWindow *theMainWindow;

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

// A tab page that setDef took off its tab widget ("visible" 0), kept until a
// non-zero "visible" puts it back at its old place.
struct HiddenTab {
    QPointer<QTabWidget> tabs;
    QPointer<QWidget> page;
    int index = -1;
    QString label;
};

// A value that setDef moved by changing an element's minimum or maximum; the
// window reports the notes 100 ms later. The elements are guarded: a note
// whose element went away with its panel is not reported.
struct RangeChangeNote {
    QPointer<QObject> sender;  // the element whose action changed the range, or null
    QPointer<QObject> element; // the element whose range changed
    bool minimumChanged = false;
    double oldValue = 0;
    double oldMinimum = 0;
    double oldMaximum = 0;
    double newValue = 0;
    double newMinimum = 0;
    double newMaximum = 0;
};

// True only while MainWindow::resetGUI runs.
extern bool guiResetInProgress;

// The application window. Its constructor is the program's whole start-up
// sequence; its implementation is split over several mainwindow_*.cpp files,
// each named for what it holds.
class MainWindow : public QMainWindow, public OperandLookup, public RegisterModelHost
{
    Q_OBJECT

public:
    MainWindow(const QString &file, const QString &batchFile, const QString &outputLog,
               bool generate, bool save, bool keil, bool quiet, bool exitAfterKeil,
               const QString &saveFile, const QString &consoleLog, const QString &defines,
               const QString &includePaths);
    ~MainWindow() override;

    // Construction, start-up and shut-down (mainwindow.cpp)
    int closeMode = 0;          // 0 ask, 1 save, 2 close without asking, 3 refuse
    bool loading = false;
    bool fullScreen = false;
    bool wasMaximized = false;
    QHash<QString, bool> changedHeaders;
    void writeSettings();

    // Console (mainwindow_console.cpp)
    void consolePrint(QString html);
    bool keepConsoleHidden = false; // set by the script command that hides the console
    static bool isXmlFile(const QString &path);
    static bool isElementEnabled(QObject *element);
    QTextBrowser *consoleBrowser() const { return console; }
    QDockWidget *consoleDockWidget() const { return consoleDock; }

    // Settings (mainwindow_settings.cpp)
    void readSettings();
    void readSettingsIni(QString &file);
    void setWorkingDir(const QString &dir);
    void setScriptsDir(const QString &dir);
    void applySettings(quint16 loggingMode, bool timeStamps, QString logFile,
                       unsigned updatePeriod, bool toolbarEnabled);
    const SettingsIniSwitches &settingsSwitches() const { return switches; }
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

    // Command-line values kept for later steps
    QString definesText;
    bool definesApplied = false;
    QString includePaths;
    QString batchFile;
    QString outputLog;
    bool generate = false;
    bool saveRequested = false;
    bool quiet = false;
    QString disclaimerFile;
    QString documentsPath;

    // Target link and polling threads (mainwindow_panelopen.cpp)
    TykLink *tykLink = nullptr;
    SeggerThread *seggerThread = nullptr;
    SerialComThread *serialComThread = nullptr;
    std::atomic_bool seggerPolling{false};
    std::atomic_bool serialPolling{false};
    QSerialPort terminalPort;
    qint64 performanceFrequency = 0; // ticks per second of the exchange thread's clock
    void stopPollingThreads();

    // Panel open, post-load set-up, new project and reload (mainwindow_panelopen.cpp)
    bool readPanelFile(const QString &file);
    bool openFileError(const QString &file, const QString &errorText);
    bool readFileError(const QString &file, const QString &errorText);
    void printLoadMessage();
    void initLoadedConfiguration(bool resetValues);
    void clearPanelState();
    void markModified(ActiveElement *element);
    void resetToDefaults();
    ActiveElement *takeElement(const QString &define);
    bool renameDefine(const QString &oldName, const QString &newName);
    void expandRecursively(QTreeWidgetItem *item, bool expand);
    void checkSvdBinding(const QString &objectName);
    void consolePrintSvdNotFound(const QString &name);
    void startPollingThreads();
    bool usesTyk = false;
    bool loadSaveAllowed = true;
    bool openingHomePanel = false; // set while the home panel of a new project is read
    bool homePanelShown = false;   // the window shows the home panel
    quint16 usbTimeoutCount = 0;
    quint16 ioCheckMode = 0;
    QMap<QString, QString> definePrefixes;
    QPointer<PinMapping> pinMapping;
    int highlightTimerId = 0;
    QStringList elementNames;
    QList<VarPollEntry *> varPollList;
    QList<ComPollEntry *> comPollList;
    QList<QObject *> invisibleElements;
    QHash<QString, HiddenTab> hiddenTabs; // by the name of the container taken off its tab
    QHash<QString, QStringList> waitingLocks; // define -> the elements waiting to lock it
    QList<MathLabel *> overflowConflicts;

    // Project file and header export (mainwindow_project.cpp, mainwindow_headers.cpp,
    // mainwindow_signing.cpp)
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
    // conflict (mainwindow_console.cpp).
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
    // Header file -> the panel version in force when its first define was bound.
    QHash<QString, QString> headerVersions;

public slots:
    bool save();
    bool saveAs();
    // Every header (all) or only the changed ones; false when a header could
    // not be written or the export was refused.
    bool exportHeaderFiles(bool all);
    bool exportHeaderFiles();
    void signFile();

public:
    // Panel header values (mainwindow_registries.cpp)
    QString xmlFile;
    QString xmlVersion;
    QString xmlOriginalVersion;
    quint16 fwVersionMin[3] = {0, 0, 0};
    quint16 fwVersionMax[3] = {0, 0, 0};
    QString projectFile;
    QString svdFile;
    QString forumUrl;
    QString forumToolTip;
    QString xmlDir;
    QString migrationFile;
    bool hasOwnDisclaimer = false;

    void setXMLFile(const QString &path);
    void setXMLVersion(const QString &text) { xmlVersion = text; }
    void setXMLOriginalVersion(const QString &text) { xmlOriginalVersion = text; }
    void setSvdFile(const QString &name) { svdFile = name; }
    void setMigrationFile(const QString &name) { migrationFile = name; }
    void setForumURL(const QString &url) { forumUrl = url; }
    void setDocumentsPath(const QString &path) { documentsPath = path; }
    void setDisclaimerFile(const QString &name);
    void setForumToolTip(const QString &text);
    void setCurrentFile(const QString &file);
    void setFWVersionRange(const QString &minText, const QString &maxText);
    void getFWVersionRange(QString &min, QString &max) const;
    QString getFWVersionRangeText() const;
    QString getXMLFile() const { return xmlFile; }
    QString getXMLFileName() const;
    QString getXMLDir() const { return xmlDir; }
    QString getXMLVersion() const { return xmlVersion; }
    QString getXMLOriginalVersion() const { return xmlOriginalVersion; }
    QString getSvdFile() const { return svdFile; }
    QString getMigrationFile() const { return migrationFile; }
    QString getDisclaimerFile() const { return disclaimerFile; }
    QString getForumURL() const { return forumUrl; }
    QString getScriptsDir() const { return scriptsDir; }
    QString getWorkingDir() const { return workingDir; }
    QString getCurrentFileName() const;

    // Registries (mainwindow_registries.cpp). None of them owns what it points to.
    QHash<QString, ModuleRecord *> moduleTable;
    QHash<QString, QList<MathLabel *>> mathLabelsByDefine;
    QHash<QString, ActiveElement *> elementsByDefine;
    QList<ActiveElement *> allElements;
    QHash<QString, QList<Led *>> ledsByData;
    QHash<QString, QList<Image *>> imagesByDefine;
    QHash<QString, QList<QwtPlotCurve *>> curvesByData;
    QHash<QString, QList<QwtDial *>> dialsByData;
    QHash<QString, QList<QwtThermo *>> thermosByData;
    QHash<QString, QList<LogLabel *>> logItemsByData;
    QHash<QString, DataClass *> variablesByName;
    QHash<QString, TabWidget *> tabWidgetsByName;
    QHash<QString, QWidget *> imagesByName;
    QHash<QString, Led *> ledsByName;
    QHash<QString, QWidget *> dialsByName;
    QHash<QString, QWidget *> thermosByName;
    QHash<QString, QWidget *> plotsByName;
    QHash<QString, TimerLabel *> timersByName;
    QHash<QString, PushButton *> pushButtonsByName;
    QHash<QString, Container *> containersByName;
    QString savedStyleSheet;

    void addCurve(const QString &define, QwtPlotCurve *curve);
    void addDial(const QString &define, QwtDial *dial);
    void addLed(const QString &define, Led *led);
    void addLog(const QString &define, LogLabel *log);
    void addSvgImage(const QString &define, Image *image);
    void addThermo(const QString &define, QwtThermo *thermo);
    void addMathLabel(const QStringList &defines, MathLabel *label);
    bool addModule(ModuleRecord **out, const QString &name);
    void appendElement(ActiveElement *element);
    void registerElement(const QString &define, ActiveElement *element) override;
    void setContainer(const QString &name, Container *container);
    void setDataClass(const QString &name, DataClass *variable);
    void setDial(const QString &name, QWidget *dial);
    void setImage(const QString &name, QWidget *image);
    void setLED(const QString &name, Led *led);
    void setPlot(const QString &name, QWidget *plot);
    void setPushButton(const QString &name, PushButton *button);
    void setTabWidget(const QString &name, TabWidget *tabWidget);
    void setThermo(const QString &name, QWidget *thermo);
    void setTimer(const QString &name, TimerLabel *timer);
    bool setEnumeratedValue(const QString &define, const QString &text, const QString &value, int key);

    ActiveElement *getActiveElement(const QString &define) const;
    bool elementExists(const QString &define) const;
    QList<ActiveElement *> getAllElements() const { return allElements; }
    float getValue(const QString &text);
    double evaluatePostfix(QStringList postfix, const QStringList &numbers, const QStringList &names,
                           bool *ok);
    // Operands of formulas and conditions: elements, variables and references.
    double operandValue(const QString &operand, bool *found) override;
    void reportInvalidFormulaValue(const QString &operand) override;
    // The register model's view of the window.
    ModuleRecord *getModule(const QString &name) override;
    bool addModule(ModuleRecord *&out, const QString &name) override;
    void logMessage(const QString &html) override;
    RegisterRecord *getRegister(const QString &moduleName, const QString &registerName);
    static QString getModuleName(const QString &path);
    static QString getRegisterName(const QString &path);
    static QString getFieldName(const QString &path);
    static QString getObjectName(ActiveElement *element);
    bool isEditableElement(QWidget *widget, bool rememberStyle);
    void expandOrCollapseBranch(bool expand);

    // Define registration and SVD binding (mainwindow_defines.cpp)
    void assignRegisterField(const QString &define, const QString &header, ActiveElement *element,
                             bool isSvd);
    bool loadSvdFile();
    bool setElementByDefine(const QString &name, const QString &value);
    // The change bookkeeping of changed(); false when the change does not count.
    bool recordElementChange(QObject *sender);

    // Root containers and element wiring (mainwindow_wiring.cpp)
    AbsoluteWidget *createAbsoluteWidget();
    GridWidget *createGridWidget();
    GroupBox *createGroupBox(const QString &label);
    HorizontalWidget *createHorizontalWidget();
    TabWidget *createTabWidget();
    TreeWidget *createTreeWidget();
    VerticalWidget *createVerticalWidget();
    void connectLocks(QObject *element);
    void connectChangedByUser(QObject *element);
    void connectDoubleSpinBoxValue(QObject *element);
    void connectVariableToCurves(DataClass *variable);
    void connectElementToCurves(QObject *element);
    void connectVariableToDials(DataClass *variable);
    void connectElementToDials(QObject *element);
    void connectVariableToLeds(DataClass *variable);
    void connectElementToLeds(QObject *element);
    void connectVariableToLogs(DataClass *variable);
    void connectElementToLogs(QObject *element);
    void connectToMathLabels(QObject *sender);
    void connectVariableToSvgImages(DataClass *variable);
    void connectElementToSvgImages(QObject *element);
    void connectVariableToThermos(DataClass *variable);
    void connectElementToThermos(QObject *element);
    void connectTabSetDef(QObject *tabWidget, QObject *receiver);
    void connectAction(const QString &signalName, const QString &slotName, QObject *element);

    // Scripts (mainwindow_scripts.cpp)
    bool runScriptFile(const QString &fileName);
    bool executeScriptLine(QString line, int lineNumber);
    bool parameterCheck(const QString &command, const QString &params, quint16 count, quint16 line);
    int failedAssertCount = 0;
    QString scriptFile; // absolute path of the running script file
    QTextStream recordStream; // the macro recorder's stream
    QString recordComment;    // comment for the next recorded element line
    // Whether the recorder's stream has somewhere to write.
    bool isRecording() const;
    // Writes line to the recorder and echoes consoleLine on the console, each
    // followed by the pending comment.
    void recordScriptLine(const QString &line, const QString &consoleLine);
    bool logSetDefs = false;

    // Integration with the update site and Keil (mainwindow_integration.cpp)
    void checkForUpdates();
    void cleanUpKeilEntries();
    void runKeilStep();

    // Menus, tool bars and status bar (mainwindow_menus.cpp). Actions whose
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
    QString launcherFeatureId;         // the bundle's symbolic name + ".feature"

    // Finding and marking elements (mainwindow_find.cpp). One mark at a time,
    // ended by its 5000 ms timer or by cancelHighlight().
    void raiseGUIElement(ActiveElement *element);
    // Brings the element registered under define into view; unknown names do nothing.
    void raiseDefine(const QString &define);
    void raiseWidget(QWidget *widget);
    void cancelHighlight();
    QPointer<QWidget> highlightedWidget;
    QTreeWidgetItem *highlightedItem = nullptr;
    QPalette savedPalette;

public slots:
    // mainwindow_panelopen.cpp
    void open();
    bool open(const QString &fileName);
    void newProject();
    void reopen();
    void load();
    void loadFile(QString name, bool absolute);

    // mainwindow.cpp
    void changed();
    void editGUI();
    void switchFullscreenMode();

    // mainwindow_console.cpp
    void on_anchorClicked(const QUrl &url);
    void clearConsole();
    void showContextMenu(const QPoint &pos);
    void tabSelected();

    // mainwindow_settings.cpp
    void showSettingsDialog();

    // Element actions and locks (mainwindow_setdef.cpp, mainwindow_locks.cpp,
    // mainwindow_reset.cpp, mainwindow_colours.cpp, mainwindow_actions.cpp)
    // The lock check of the post-load set-up: the lockon conditions checked,
    // the locks applied, the lock graph drawn and circular locks reported.
    void checkLockConditions();
    void setDef(QString items);
    void resetGUI(QString unused = QString());
    void on_sendLock(QString lock);
    void on_sendUnlock(QString lock);
    // Shows the lock graph of the panel.
    void showLocks();
    void setBGColor(QWidget *widget, int color);
    void setTextColor(QWidget *widget, int color);
    void loadFile(QString name);
    void startProgram(QString program);

public:
    // Waiting locks and their console report (mainwindow_locks.cpp).
    void removeWaitingLock(const QString &locker, const QString &define);
    // The names waiting for locks plus the over/underflow conflicts.
    int conflictCount() const;
    void reportLockConflicts(const QString &define);
    // Walks the lock chain that lock starts at from, drawing it into the lock
    // graph, and reports a chain that comes back to origin. The walk follows
    // no element twice on one chain, so it ends on every panel.
    void checkLockCycle(ActiveElement *origin, ActiveElement *from, QString lock, QString chain,
                        ushort group, ushort depth, ushort index);
    LockDialog *lockGraph() const { return lockDialog; }

    // Range-change notes (mainwindow_timers.cpp): collected by setDef while
    // the check timer is pending, reported when it fires.
    QList<RangeChangeNote> rangeChangeNotes;
    int checkTimerId = 0;
    void startCheckTimer();
    void reportRangeChanges();

public slots:
    // Target link (mainwindow_targetlink.cpp)
    void connectTargetForPolling();
    void queryTykFirmwareVersion(bool compareWithPanel);
    void sendUSB(QString values);
    void recData(QString values);

    // Scripts run by elements (mainwindow_scripts.cpp)
    void runScript(QString text);

    // Display refresh (mainwindow_display.cpp)
    void refreshSvgImages();
    void on_updateCurve();
    void on_updateDial();
    void on_updateLED();
    void on_updateLog();
    void on_updateMathLabel();
    void on_updateSvgImage();
    void on_updateThermo();

    // Actions and menus (mainwindow_menus.cpp)
    void updatePanelActions();
    void updateHomeActions();
    void createAppNotesMenu();
    void showAppNotes();
    void showForum();
    void showDifferences();
    void showPortMapping();
    // Commands whose work comes later; each does nothing yet (mainwindow_menus.cpp).
    void validateDefines();
    void showSvdTree();
    void getTykFWVersion();
    void updateTykFW();
    void runBatchfile();
    void startStopRecording();
    void addRecordCmd();
    void generateXMLFromSVD();
    void integrateKeil();
    void showHelp();

    // mainwindow_find.cpp
    void searchForGUIElement();

    // mainwindow_registries.cpp
    QStringList getData() const;
    void expandBranch();
    void collapseBranch();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Ends the element mark when its timer fires, and reports the range-change
    // notes when the check timer fires (mainwindow_find.cpp).
    void timerEvent(QTimerEvent *event) override;

private:
    // Start-up steps (mainwindow.cpp)
    bool openFileArgument(const QString &file);
    void applyDefines();
    [[noreturn]] void exitNonInteractive(int exitCode);
    template <typename T>
    T *installRootContainer(T *container);
    void runNonInteractiveExits(const QString &file, bool fileOpened, QString saveFile,
                                bool exitAfterKeil);
    bool openDropped(const QString &path);

    // Window furniture (mainwindow_console.cpp, mainwindow_menus.cpp)
    void createGui();
    void createActions();
    void createToolBars();
    void createStatusBar();

    QTextBrowser *console = nullptr;
    TextBrowser *scriptInput = nullptr;
    QTextBrowser *terminalView = nullptr;
    QDockWidget *consoleDock = nullptr;
    QTabWidget *consoleTabs = nullptr;
    QToolBar *harbikToolBar = nullptr;
    QToolBar *mainToolBar = nullptr;
    QLabel *versionLabel = nullptr;
    QLabel *fileLabel = nullptr;
    QPushButton *forumButton = nullptr;
    // Element marks (mainwindow_find.cpp)
    void markWidget(QWidget *widget, const QColor &other);
    QPointer<QTreeWidget> highlightedTree; // the view of highlightedItem; guards it

    SettingsIniSwitches switches;

    // Dialogs owned by the window
    UnresolvedDialog *unresolvedDialog = nullptr;
    DiffDialog *diffDialog = nullptr;
    LockDialog *lockDialog = nullptr;
    QPointer<ShowXMLDialog> xmlDialog;
    QPointer<QWidget> portMappingDialog;
};
