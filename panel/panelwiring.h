#pragma once

#include <QString>

class AbsoluteWidget;
class DataClass;
class ElementSignals;
class ElementSignalState;
class GridWidget;
class GroupBox;
class HorizontalWidget;
class Panel;
class QObject;
class TabWidget;
class TreeWidget;
class VerticalWidget;

// The connections between a panel's elements and the panel's slots, and the
// panel's root containers. The reader wires each element it builds through
// these; every helper makes unique connections, so calling it twice for one
// element connects once. Owned by the panel (Panel::wiring()).
class PanelWiring final
{
public:
    using RefreshSlot = void (Panel::*)();

    explicit PanelWiring(Panel &panel) : m_panel(panel) {}
    PanelWiring(const PanelWiring &) = delete;
    PanelWiring &operator=(const PanelWiring &) = delete;

    // ---- Root containers: the content of a resizable scroll area that the
    // shell shows as the panel widget.
    AbsoluteWidget *createAbsoluteWidget();
    GridWidget *createGridWidget();
    GroupBox *createGroupBox(const QString &label);
    HorizontalWidget *createHorizontalWidget();
    TabWidget *createTabWidget();
    TreeWidget *createTreeWidget();
    VerticalWidget *createVerticalWidget();

    // ---- Element signals to the panel's slots
    void connectLocks(QObject *element);
    // The panel hears the element's changedByUser (Panel::changed runs for it).
    void connectChangedByUser(QObject *element);
    bool reportsChangedByUser(QObject *element) const;
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
    // The refresh signal of an element's signals to each of count refresh
    // slots (on_updateLED, ...), in that order, as the connectElementTo...
    // calls one by one would connect it.
    void connectRefreshSlots(ElementSignalState *signalState, const RefreshSlot *refreshSlots, int count);
    // Adds one refresh slot to those the element's updateMathLabels runs,
    // after those it runs already (once each). An element's refreshes share
    // one connection (Panel::runElementRefreshes).
    void addRefresh(ElementSignalState *signalState, RefreshSlot slot);
    // Whether the element's updateMathLabels runs that refresh slot.
    bool runsRefresh(const ElementSignalState *signalState, RefreshSlot slot) const;
    bool runsRefresh(const ElementSignals *signalSet, RefreshSlot slot) const;
    void connectTabSetDef(QObject *tabWidget, QObject *receiver);
    // Connects the element's signal signalName ("checked_setDef", "sendLock")
    // to the panel slot slotName ("setDef", "on_sendLock"); a send's receive
    // signal goes to recData too.
    void connectAction(const QString &signalName, const QString &slotName, QObject *element);

private:
    template <typename T>
    T *installRootContainer(T *container);
    void connectUpdate(QObject *element, RefreshSlot slot);

    Panel &m_panel;
};
