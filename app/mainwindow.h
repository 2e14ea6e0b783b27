#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <atomic>

class DiffDialog;
class LockDialog;
class QCloseEvent;
class QDockWidget;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QTabWidget;
class QTextBrowser;
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

// The application window. Its constructor is the program's whole start-up
// sequence; its implementation is split over several mainwindow_*.cpp files,
// each named for what it holds.
class MainWindow : public QMainWindow
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

    // Panel open and new project (mainwindow_panelopen.cpp)
    bool open(const QString &fileName);
    bool initLoadedConfiguration(bool firstLoad);
    void newProject();

    // Project file and header export (mainwindow_project.cpp)
    bool load(const QString &fileName);
    bool saveProjectFile(const QString &fileName, bool sorted);
    bool exportHeaderFiles(bool all);
    bool maybeSave();
    bool save();

    // Registries and elements by define (mainwindow_registries.cpp)
    bool setElementByDefine(const QString &name, const QString &value);
    QObject *getActiveElement(const QString &define) const;
    void raiseGUIElement(QObject *element);
    bool recordElementChange(QObject *element);

    // Scripts (mainwindow_scripts.cpp)
    bool runScriptFile(const QString &fileName);
    bool executeScriptLine(QString line, int lineNumber);
    int failedAssertCount = 0;
    QString scriptFile; // absolute path of the running script file
    QTextStream recordStream; // the macro recorder's stream
    bool logSetDefs = false;

    // Integration with the update site and Keil (mainwindow_integration.cpp)
    void checkForUpdates();
    void cleanUpKeilEntries();
    void runKeilStep();

public slots:
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

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Start-up steps (mainwindow.cpp)
    bool openFileArgument(const QString &file);
    void applyDefines();
    [[noreturn]] void exitNonInteractive(int exitCode);
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

    SettingsIniSwitches switches;

    // Dialogs owned by the window
    UnresolvedDialog *unresolvedDialog = nullptr;
    DiffDialog *diffDialog = nullptr;
    LockDialog *lockDialog = nullptr;
    QPointer<ShowXMLDialog> xmlDialog;
    QPointer<QWidget> portMappingDialog;
};
