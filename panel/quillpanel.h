#pragma once

#include "activeelement.h"
#include "elementhost.h"
#include "elementsignals.h"
#include "expression.h"
#include "pinmappingmodel.h"
#include "panelflags.h"
#include "panelheader.h"
#include "panelpython.h"
#include "panellocks.h"
#include "panelsetdef.h"
#include "panelreadstate.h"
#include "panelregistries.h"
#include "panelwiring.h"
#include "parameterrecord.h"
#include "registermodel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class Container;
class DataClass;
class ElementSignals;
class ElementSignalState;
class Image;
class Led;
class LogLabel;
class MathLabel;
class PanelScriptHost;
class PanelShell;
class PanelTableHost;
class PushButton;
class ScriptPanelHost;
class TableHost;
class QWidget;
class QwtDial;
class QwtPlotCurve;
class QwtThermo;
class TabWidget;
class TimerLabel;
struct ComPollEntry;
struct VarPollEntry;

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
class Panel final : public QObject,
                    public ElementHost,
                    public OperandLookup,
                    public RegisterModelHost,
                    public ElementSignalsListener
{
    Q_OBJECT

public:
    explicit Panel(PanelShell *shell, QObject *parent = nullptr);
    ~Panel() override;
    Q_DISABLE_COPY_MOVE(Panel)

    PanelShell *shell() const { return m_shell; }

    // ---- Panel header values: read through header(), changed through
    // editHeader() or the setters below that tell the window.
    const PanelHeader &header() const { return m_header; }
    PanelHeader &editHeader() { return m_header; }
    void setXMLFile(const QString &path);
    void setForumToolTip(const QString &text);
    // The panel's own disclaimer file (disclaimer).
    void setDisclaimerFile(const QString &name);
    // The disclaimer file of a panel that names none of its own.
    void setDefaultDisclaimer(const QString &name);
    // The chip of the panel's pin-mapping file (pinmapping) and the panel's
    // pin-mapping element (pinmapper); kept from one panel to the next, the
    // lists replaced by each file read.
    PinMappingModel &pinMappingModel() { return m_pinMappingModel; }
    const PinMappingModel &pinMappingModel() const { return m_pinMappingModel; }

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

    // ---- Registries: read through registries(), changed by the mutators below
    const PanelRegistries &registries() const { return m_registries; }
    void setElementNames(const QStringList &names) { m_registries.elementNames = names; }
    void addElementName(const QString &name) { m_registries.elementNames.append(name); }
    void renameElementName(const QString &oldName, const QString &newName);
    void addInvisibleElement(QObject *element) { m_registries.invisibleElements.append(element); }
    void addVarPoll(VarPollEntry *entry) { m_registries.varPollList.append(entry); }
    void removeVarPoll(VarPollEntry *entry) { m_registries.varPollList.removeAll(entry); }
    // The exchange entry becomes the panel's: it is deleted with the next read.
    void addComPoll(ComPollEntry *entry) { m_registries.comPollList.append(entry); }

    // ---- The state a read fills anew (PanelReadState)
    // Empties the read state before a read; the exchange entries are deleted.
    void resetReadState();
    // Takes the read state out (a read of a fragment keeps it) and leaves
    // the panel as resetReadState() does, without deleting the exchange
    // entries, which go with the state.
    PanelReadState takeReadState();
    void restoreReadState(const PanelReadState &state);

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
    void setImage(const QString &name, Image *image);
    void setLED(const QString &name, Led *led);
    void setPlot(const QString &name, MyQwtPlot *plot);
    void setPushButton(const QString &name, PushButton *button);
    void setTabWidget(const QString &name, TabWidget *tabWidget);
    void setThermo(const QString &name, QWidget *thermo);
    void setTimer(const QString &name, TimerLabel *timer);
    bool setEnumeratedValue(const QString &define, const QString &text, const QString &value, int key);

    ActiveElement *getActiveElement(const QString &define) const override;
    bool elementExists(const QString &define) const;
    const QList<ActiveElement *> &getAllElements() const { return m_registries.allElements; }
    ActiveElement *takeElement(const QString &define);
    bool renameDefine(const QString &oldName, const QString &newName);
    // Carries a renamed define along wherever the panel names it: the LEDs,
    // plot curves, dials, thermometers and log columns that show it; the
    // conditions, setDef lists, sendUSB names and lockon conditions of every
    // element; the setDef lists of tab pages; the lock records and waiting
    // locks; the formula columns of register tables. Formula labels are
    // renamed by their editor. Names match as whole references (the define,
    // or the define and a keyword).
    void carryDefineReferences(const QString &oldName, const QString &newName);
    // Moves the module record of oldName to newName (the header entry follows a define).
    void renameModule(const QString &oldName, const QString &newName);
    // Takes object out of every registry before it goes: an element with
    // the registers only it holds, a formula label, a display, a container,
    // a variable with its poll entry.
    void removeElement(QObject *object);
    // Takes the element registered under define off the registries of
    // elements (the reverse of registerElement).
    void unregisterElement(const QString &define);
    // Forgets every element without touching it (the elements went already).
    void forgetAllElements();
    void removeVariable(const QString &name) { m_registries.variablesByName.remove(name); }
    // Takes the label off every name it reads.
    void removeMathLabel(MathLabel *label);
    // Drops name from the names formulas read once no label reads it.
    void forgetUnreadOperand(const QString &name);
    // Takes the curve off every source it plots.
    void removeCurve(QwtPlotCurve *curve);
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
    static constexpr int maxFormulaDepth = 32;
    // Reports the formula labels that read each other in a circle.
    void checkFormulaCycles();

    // ---- Register model
    ModuleRecord *getModule(const QString &name) override;
    bool addModule(ModuleRecord *&out, const QString &name) override;
    ModuleRecord *findOrAddModule(const QString &name, bool *created) override;
    void logMessage(const QString &html) override;
    RegisterRecord *getRegister(const QString &moduleName, const QString &registerName);
    void assignRegisterField(const QString &define, const QString &header, ActiveElement *element,
                             bool isSvd);
    // Binds the poll entries of SVD-bound variables to their registers.
    void bindSvdVariables();

    // ---- Setting elements by define
    bool setElementByDefine(const QString &name, const QString &value);
    void resetToDefaults();

    // ---- Root containers and element wiring
    PanelWiring &wiring() { return *m_wiring; }
    const PanelWiring &wiring() const { return *m_wiring; }
    using RefreshSlot = PanelWiring::RefreshSlot;
    using TextSlot = void (Panel::*)(QString);

    // ---- Locks: the waiting locks, the over/underflow conflicts, the lock check
    PanelLocks &locks() { return *m_locks; }
    const PanelLocks &locks() const { return *m_locks; }

    // ---- setDef state: the hidden tabs, the range-change notes and their
    // check timer, the setDef log switch
    PanelSetDefState &setDefState() { return *m_setDefState; }
    const PanelSetDefState &setDefState() const { return *m_setDefState; }

    // Starting Python and publishing to it (panelpython.h).
    PanelPython &python() { return m_python; }

    // ---- Flags: loading, the GUI reset, a read or reset in progress
    const PanelFlags &flags() const { return m_flags; }
    PanelFlags &editFlags() { return m_flags; }

    // ---- ElementHost
    bool feedsFormula(const QString &define) const override;
    bool isRecording() const override;
    void recordScriptLine(const QString &line, const QString &consoleLine) override;
    void markModified(ActiveElement *element) override;
    void requestSetDef(const QString &items) override;
    QString panelDirectory() const override { return m_header.xmlDir; }
    QWidget *panelWidget() const override;
    quint32 toolTipSections() const override { return m_header.toolTipSectionMask; }
    bool resetInProgress() const override { return m_flags.guiResetInProgress; }
    void beginElementCode() const override;
    void endElementCode() const override;
    // True while an element walk runs: the panel widget it replaces must then
    // be deleted later, not at once.
    bool elementCodeRunning() const override { return m_runningWalks > 0; }

    // ---- The panel's interfaces for the register tables and the script commands
    TableHost *tableHost() const override;
    ScriptPanelHost *scriptHost() const;

    // Carries out a setDef list as the setDef action does; the number of
    // items refused (each one reported): an unknown name, a malformed item, a
    // value the target cannot take.
    int applySetDef(const QString &items);
    // The element whose signal runs the slot: the owner of an element's
    // ElementSignals, else the sender itself (null outside a signal).
    QObject *senderElement() const;

public slots:
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

private:
    // Frees every module record and empties the module table.
    void deleteModules();
    friend class PanelWiring;
    // Evaluates and shows every formula label that reads name (a define or
    // variable that changed), checking the range of labels bound to bits.
    // Refreshes nest at most maxFormulaDepth deep: labels that read each
    // other stop there.
    void refreshMathLabels(const QString &name);
    // Reports an SVD-bound element whose register or field the SVD file lacks.
    void checkSvdBinding(const QString &objectName);
    void consolePrintSvdNotFound(const QString &name);
    // The change bookkeeping of an element's change; false when it does not count.
    bool recordElementChange(QObject *sender);

    // ---- ElementSignalsListener: an element's user change (changed()) and
    // the refreshes its signals list (PanelWiring::addRefresh), in their
    // order. The slots called find the element as they would as slots of
    // the element's signals (signalSource()).
    void elementChangedByUser(ElementSignalState *state) override;
    void elementRefreshRequested(ElementSignalState *state) override;
    // The sender of the signal the slot runs for: the element of the signal
    // state a listener call was handed (taken by the first slot that asks),
    // else sender().
    QObject *signalSource() const;
    mutable QObject *m_listenerSender = nullptr;
    // Turns the panel scroll area's touch gesture on again, once the events
    // already queued for the new panel are delivered.
    void enablePanelGestures();

    PanelShell *m_shell;
    std::unique_ptr<PanelTableHost> m_tableHost;
    std::unique_ptr<PanelScriptHost> m_scriptHost;
    std::unique_ptr<PanelWiring> m_wiring;
    std::unique_ptr<PanelLocks> m_locks;
    std::unique_ptr<PanelSetDefState> m_setDefState;

    PanelHeader m_header;
    PinMappingModel m_pinMappingModel;

    PanelRegistries m_registries;

    // Flags
    PanelFlags m_flags;
    PanelPython m_python;
    QPointer<QWidget> m_rootArea;
    mutable int m_runningWalks = 0; // the element walks running now
    int m_formulaDepth = 0;         // formula refreshes running inside each other
};

// The names a panel derives from an element's define path
// ("module.register.field" of a register-bound element).
namespace PanelNames {
QString getModuleName(const QString &path);
QString getRegisterName(const QString &path);
QString getFieldName(const QString &path);
// The object name of element (its define); empty for none.
QString getObjectName(ActiveElement *element);
} // namespace PanelNames
