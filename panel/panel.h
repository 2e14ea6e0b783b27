#pragma once

#include "activeelement.h"
#include "elementhost.h"
#include "expression.h"
#include "pinmappingmodel.h"
#include "parameterrecord.h"
#include "registermodel.h"
#include "scriptpanelhost.h"
#include "tablehost.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class AbsoluteWidget;
class Container;
class DataClass;
class GridWidget;
class GroupBox;
class HorizontalWidget;
class Image;
class Led;
class LockDialog;
class LogLabel;
class MathLabel;
class PanelShell;
class PushButton;
class PythonBridge;
class QTabWidget;
class QWidget;
class QwtDial;
class QwtPlotCurve;
class QwtThermo;
class TabWidget;
class TimerLabel;
class TreeWidget;
class VerticalWidget;
struct ComPollEntry;
struct VarPollEntry;

// A tab page that setDef took off its tab widget ("visible" 0), kept until a
// non-zero "visible" puts it back at its old place.
struct HiddenTab {
    QPointer<QTabWidget> tabs;
    QPointer<QWidget> page;
    int index = -1;
    QString label;
};

// A value that setDef moved by changing an element's minimum or maximum; the
// panel reports the notes 100 ms later. The elements are guarded: a note
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

// The loaded panel: its header values, the registries of its elements by
// define and name, the locks between them, the poll lists of the target link,
// its register model and the operations on all of these (setDef, locks, the
// reset, define registration, formulas). It is no widget: the window shows the
// panel's root container and asks the shell interface for what only the
// window has (the console, the recorder, loading another file).
//
// One Panel lives as long as the window; clear() empties it before the next
// panel is read into it. None of the registries owns what it points to: the
// elements belong to their containers, the root container to the window.
class Panel final : public QObject, public ElementHost, public OperandLookup, public RegisterModelHost,
                    public TableHost, public ScriptPanelHost
{
    Q_OBJECT

public:
    explicit Panel(PanelShell *shell, QObject *parent = nullptr);
    ~Panel() override;
    Q_DISABLE_COPY_MOVE(Panel)

    PanelShell *shell() const { return m_shell; }

    // ---- Panel header values
    QString xmlFile;
    QString xmlVersion;
    quint16 fwVersionMin[3] = {0, 0, 0};
    quint16 fwVersionMax[3] = {0, 0, 0};
    QString svdFile;
    QString svdDeviceName; // the "name" of the SVD file's device
    QString forumUrl;
    QString forumToolTip;
    QString xmlDir;
    QString migrationFile;
    QString disclaimerFile;
    QString documentsPath;
    bool hasOwnDisclaimer = false;
    bool usesTyk = false;
    bool loadSaveAllowed = true;
    // Tyk I/O checks (iocheck): bit 0 reports receive time-outs, bit 1 warns
    // after a load when no adapter is connected.
    quint16 ioCheckMode = 1;
    // The I/O port the panel names ("TYK", "TYK2", "?" to ask, a COM port).
    QString ioPortName;
    QString ioPortSettings; // "baud;databits;parity;stopbits" of a COM port; empty: 115200 8N1
    // The sections of every element tool tip (tooltipconfig).
    quint32 toolTipSectionMask = 0xffff;
    QMap<QString, QString> definePrefixes;
    // Header file -> the panel version in force when its first define was bound.
    QHash<QString, QString> headerVersions;
    // Header files with a changed define since the last export.
    QHash<QString, bool> changedHeaders;
    // Header names the panel gives that lead outside the working directory:
    // their elements are bound without a header.
    QStringList refusedHeaders;
    // The parameters of the panel's parameter map (parametermap), in file order.
    QList<ParameterRecord> parameterMap;
    // The chip of the panel's pin-mapping file (pinmapping) and the panel's
    // pin-mapping element (pinmapper); kept from one panel to the next, the
    // lists replaced by each file read.
    PinMappingModel pinMappingModel;

    void setXMLFile(const QString &path);
    void setXMLVersion(const QString &text) { xmlVersion = text; }
    void setXMLOriginalVersion(const QString &text) { xmlOriginalVersion = text; }
    void setSvdFile(const QString &name) { svdFile = name; }
    void setMigrationFile(const QString &name) { migrationFile = name; }
    void setForumURL(const QString &url) { forumUrl = url; }
    void setDocumentsPath(const QString &path) { documentsPath = path; }
    void setDisclaimerFile(const QString &name);
    void setForumToolTip(const QString &text);
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

    // Empties every registry and header value before the next panel is read.
    void clear();
    // The variables every panel has besides its own: "dummy_define" (what
    // formulas without names listen to), "$ADDRESS$", "$VALUE$" and "$FUNC$".
    void addBuiltInVariables();
    // Finishes a read panel: the variables and elements back to their
    // defaults (resetValues), every element initialised and named for the
    // find dialog, SVD bindings checked, the lockon conditions checked and
    // applied, then the timer labels started and the images refreshed.
    // Loading ends here. beforeTimers runs once the locks are applied, before
    // the timer labels start (the window asks the adapter for its firmware
    // there).
    void finishLoad(bool resetValues, const std::function<void()> &beforeTimers = {});
    // The last step of a load, once the window is ready again: reports the
    // names formulas read that nothing carries and the formula labels that
    // read each other in a circle.
    void checkFormulas();
    // Stops the timer of every timer label.
    void stopTimers();

    // ---- Registries
    QHash<QString, ModuleRecord *> moduleTable; // owns its records
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
    // The element names in load order, for the find dialog.
    QStringList elementNames;
    QList<QObject *> invisibleElements;
    // The poll lists of the target link threads (the entries belong to the panel reader's records).
    QList<VarPollEntry *> varPollList;
    QList<ComPollEntry *> comPollList;

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

    ActiveElement *getActiveElement(const QString &define) const override;
    bool elementExists(const QString &define) const;
    QList<ActiveElement *> getAllElements() const { return allElements; }
    ActiveElement *takeElement(const QString &define);
    bool renameDefine(const QString &oldName, const QString &newName);
    static QString getObjectName(ActiveElement *element);
    // A widget without value known by its name: push button, LED, image,
    // dial, thermometer or plot (tried in that order); null when none is.
    QWidget *namedWidget(const QString &name) const;
    // The names of those widgets, sorted.
    QStringList namedWidgetNames() const;

    // ---- Formulas
    float getValue(const QString &text);
    double evaluatePostfix(QStringList postfix, const QStringList &numbers, const QStringList &names,
                           bool *ok) override;
    // Operands of formulas and conditions: elements, variables and references.
    double operandValue(const QString &operand, bool *found) override;
    void reportInvalidFormulaValue(const QString &operand) override;
    // Evaluates and shows every formula label that reads name (a define or
    // variable that changed), checking the range of labels bound to bits.
    // Refreshes nest at most maxFormulaDepth deep: labels that read each
    // other stop there.
    void refreshMathLabels(const QString &name);
    static constexpr int maxFormulaDepth = 32;
    // Reports the formula labels that read each other in a circle.
    void checkFormulaCycles();

    // ---- Register model
    ModuleRecord *getModule(const QString &name) override;
    bool addModule(ModuleRecord *&out, const QString &name) override;
    void logMessage(const QString &html) override;
    RegisterRecord *getRegister(const QString &moduleName, const QString &registerName);
    static QString getModuleName(const QString &path);
    static QString getRegisterName(const QString &path);
    static QString getFieldName(const QString &path);
    void assignRegisterField(const QString &define, const QString &header, ActiveElement *element,
                             bool isSvd);
    // Binds the poll entries of SVD-bound variables to their registers.
    void bindSvdVariables();
    // Reports an SVD-bound element whose register or field the SVD file lacks.
    void checkSvdBinding(const QString &objectName);
    void consolePrintSvdNotFound(const QString &name);

    // ---- Setting elements by define
    bool setElementByDefine(const QString &name, const QString &value);
    // The change bookkeeping of an element's change; false when it does not count.
    bool recordElementChange(QObject *sender);
    void resetToDefaults();

    // ---- Root containers and element wiring
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
    // Connects the element's signal signalName ("checked_setDef", "sendLock")
    // to the panel slot slotName ("setDef", "on_sendLock"); a send's receive
    // signal goes to recData too.
    void connectAction(const QString &signalName, const QString &slotName, QObject *element);
    using TextSlot = void (Panel::*)(QString);

    // ---- Locks
    QHash<QString, QStringList> waitingLocks; // define -> the elements waiting to lock it
    QList<MathLabel *> overflowConflicts;
    // The name that drove each label of overflowConflicts out of its range.
    QHash<const MathLabel *, QString> overflowCauses;
    // The warning that name drove label beyond 0..max (overflow) or below 0;
    // the label joins overflowConflicts. The cleared line takes it out again.
    void consoleOverflowWarning(MathLabel *label, quint64 max, const QString &name, bool overflow);
    void consoleConflictCleared(MathLabel *label);
    void removeWaitingLock(const QString &locker, const QString &define);
    // The names waiting for locks plus the over/underflow conflicts.
    int conflictCount() const;
    void reportLockConflicts(const QString &define);
    // Walks the lock chain that lock starts at from, drawing it into the lock
    // graph, and reports a chain that comes back to origin. The walk follows
    // no element twice on one chain, so it ends on every panel.
    void checkLockCycle(ActiveElement *origin, ActiveElement *from, QString lock, QString chain,
                        ushort group, ushort depth, ushort index);
    // The graph the lock check draws into; set by the window that shows it.
    void setLockGraph(LockDialog *graph) { m_lockGraph = graph; }
    LockDialog *lockGraph() const { return m_lockGraph; }

    // ---- Range-change notes: collected by setDef while
    // the check timer is pending, reported when it fires.
    QHash<QString, HiddenTab> hiddenTabs; // by the name of the container taken off its tab
    void addRangeChangeNote(const RangeChangeNote &note) { rangeChangeNotes.append(note); }
    void startCheckTimer();
    void reportRangeChanges();
    // The pending check timer's id; 0 when none is pending.
    int checkTimerId() const { return m_checkTimerId; }
    bool logSetDefs = false;

    // ---- Python (panel_python.cpp)
    // The window's Python host; null: Python cannot be started.
    void setPythonBridge(PythonBridge *bridge) { m_python = bridge; }
    // Starts Python for a panel that uses it; warns ("Python integration")
    // and returns false when it cannot start.
    bool startPython();
    // Publishes object to Python under define with every "." turned into "_";
    // nothing while Python has not been started or define is empty.
    void publishToPython(const QString &define, QObject *object);

    // ---- Colours
    static void setBGColor(QWidget *widget, int color);
    static void setTextColor(QWidget *widget, int color);

    // True while a panel is read or reset: element changes are no user changes then.
    bool loading = false;
    // True only while resetGUI runs.
    bool guiResetInProgress = false;
    // True while a panel is read or the GUI is reset: a Tyk receive waiting
    // then gives up.
    bool readOrResetInProgress = false;

    // ---- ElementHost
    bool feedsFormula(const QString &define) const override;
    bool isRecording() const override;
    void recordScriptLine(const QString &line, const QString &consoleLine) override;
    void markModified(ActiveElement *element) override;
    void requestSetDef(const QString &items) override;
    QString panelDirectory() const override { return xmlDir; }
    QWidget *panelWidget() const override;
    quint32 toolTipSections() const override { return toolTipSectionMask; }
    bool resetInProgress() const override { return guiResetInProgress; }
    void beginElementCode() const override;
    void endElementCode() const override;
    // True while an element walk runs: the panel widget it replaces must then
    // be deleted later, not at once.
    bool elementCodeRunning() const override { return m_runningWalks > 0; }

    // ---- TableHost (panel_table.cpp)
    DataClass *tableVariable(const QString &name) const override;
    TykLink *tableTykLink(bool create) override;
    QString tablePanelFileName() const override;
    QString tablePanelVersion() const override { return xmlVersion; }
    QString tableWorkingDir() const override;
    void setTableWorkingDir(const QString &dir) override;

    // ---- ScriptPanelHost (panel_script.cpp)
    void scriptSetDef(const QString &text) override { setDef(text); }
    void scriptLock(const QString &text) override { on_sendLock(text); }
    void scriptUnlock(const QString &text) override { on_sendUnlock(text); }
    QList<QPair<QString, QObject *>> scriptPushButtons() const override;
    void scriptSelectTab(const QString &name, int index) override;
    void scriptResetGui() override { resetGUI(); }
    void scriptSetDefinePrefix(const QString &key, const QString &text) override
    {
        definePrefixes.insert(key, text);
    }

public slots:
    // The lock check of the post-load set-up: the lockon conditions checked,
    // the locks applied, the lock graph drawn and circular locks reported.
    void checkLockConditions();
    // Element actions. setDef, the locks and the reset are the panel's own;
    // the others go to the shell.
    void setDef(QString items);
    void resetGUI(QString unused = QString());
    void on_sendLock(QString lock);
    void on_sendUnlock(QString lock);
    void sendUSB(QString values);
    void recData(QString values);
    void runScript(QString text);
    void loadFile(QString name);
    void startProgram(QString program);
    // An element's change by the user.
    void changed();

    // Display refresh after a define or variable changed.
    void refreshSvgImages();
    void on_updateCurve();
    void on_updateDial();
    void on_updateLED();
    void on_updateLog();
    void on_updateMathLabel();
    void on_updateSvgImage();
    void on_updateThermo();

signals:
    // The panel file changed (the window's file label follows it).
    void xmlFileChanged(const QString &path);
    void forumToolTipChanged(const QString &text);
    // An element's value changed: by the user (userChange), or any change
    // that reaches the formulas. The pin views repaint on it.
    void valuesChanged(bool userChange);

protected:
    void timerEvent(QTimerEvent *event) override;

public:
    // The element whose signal runs the slot: the owner of an element's
    // ElementSignals, else the sender itself (null outside a signal).
    QObject *senderElement() const;

private:
    template <typename T>
    T *installRootContainer(T *container);

    PanelShell *m_shell;
    // The version the panel file was read with (the editor may change xmlVersion).
    QString xmlOriginalVersion;
    // The range-change notes setDef collected while the check timer is pending.
    QList<RangeChangeNote> rangeChangeNotes;
    PythonBridge *m_python = nullptr;
    LockDialog *m_lockGraph = nullptr;
    QPointer<QWidget> m_rootArea;
    int m_checkTimerId = 0;
    mutable int m_runningWalks = 0; // the element walks running now
    int m_formulaDepth = 0;         // formula refreshes running inside each other
};
