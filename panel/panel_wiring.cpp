// PanelWiring: the connections between a panel's elements and the panel's
// slots. Every helper makes unique connections, so calling it twice for one
// element connects once.
#include "panelwiring.h"
#include "quillpanel.h"
#include "panellog.h"

#include "absolutewidget.h"
#include "boxcontainers.h"
#include "dataclass.h"
#include "elementsignals.h"
#include "gridwidget.h"
#include "panelshell.h"
#include "tabwidget.h"
#include "treewidget.h"

#include <QDoubleSpinBox>
#include <QPointer>
#include <QScrollArea>

// ---------------------------------------------------------------------------
// Root containers: the panel's top container becomes the content of a
// resizable scroll area, which replaces the window's central widget.

template <typename T>
T *PanelWiring::installRootContainer(T *container)
{
    container->setHost(&m_panel);
    auto *area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setWidget(container);
    // The scroll area pans on a touch gesture. While the panel is built and
    // first shown that gesture stays off: with it on, every event to every
    // widget of the panel passes Qt's gesture filter, which walks up to the
    // viewport and sets up a gesture search each time. The finish of the load
    // turns it on again.
    area->viewport()->ungrabGesture(Qt::PanGesture);
    // The old panel may still be running the signal that loads this one (a
    // loadFile or runScript action): the shell deletes it once control is
    // back in the event loop, not under its own feet.
    m_panel.m_rootArea = area;
    if (m_panel.m_shell)
        m_panel.m_shell->showPanelWidget(area);
    return container;
}

AbsoluteWidget *PanelWiring::createAbsoluteWidget() { return installRootContainer(new AbsoluteWidget); }
GridWidget *PanelWiring::createGridWidget() { return installRootContainer(new GridWidget); }
GroupBox *PanelWiring::createGroupBox(const QString &label) { return installRootContainer(new GroupBox(label)); }
HorizontalWidget *PanelWiring::createHorizontalWidget() { return installRootContainer(new HorizontalWidget); }
TabWidget *PanelWiring::createTabWidget() { return installRootContainer(new TabWidget); }
TreeWidget *PanelWiring::createTreeWidget() { return installRootContainer(new TreeWidget); }
VerticalWidget *PanelWiring::createVerticalWidget() { return installRootContainer(new VerticalWidget); }

// ---------------------------------------------------------------------------
// Element signals to window slots. The elements' signals are those of their
// ElementSignals; an element is connected only to the signals it raises.

template <typename Sender, typename Signal, typename Slot>
static void connectUnique(Sender *sender, Signal signal, Panel *panel, Slot slot)
{
    if (sender)
        QObject::connect(sender, signal, panel, slot, Qt::UniqueConnection);
}

// The element's signals when the element raises name, else null.
static ElementSignals *raising(QObject *element, const QString &name)
{
    ElementSignals *signalSet = signalsOf(element);
    return signalSet && signalSet->raises(name) ? signalSet : nullptr;
}

QObject *Panel::signalSource() const
{
    if (QObject *source = m_listenerSender) {
        m_listenerSender = nullptr;
        return source;
    }
    return sender();
}

QObject *Panel::senderElement() const
{
    return elementOf(signalSource());
}

void PanelWiring::connectLocks(QObject *element)
{
    ElementSignals *signalSet = raising(element, QStringLiteral("sendLock"));
    connectUnique(signalSet, &ElementSignals::sendLock, &m_panel, &Panel::on_sendLock);
    connectUnique(signalSet, &ElementSignals::sendUnlock, &m_panel, &Panel::on_sendUnlock);
}

// The element's signal state when the element raises name, else null.
static ElementSignalState *stateRaising(QObject *element, const QString &name)
{
    ElementSignalState *signalState = signalStateOf(element);
    return signalState && signalState->raises(name) ? signalState : nullptr;
}

void PanelWiring::connectChangedByUser(QObject *element)
{
    // Not a connection per element: the signals tell the panel (Panel::elementChangedByUser).
    if (ElementSignalState *signalState = stateRaising(element, QStringLiteral("changedByUser"))) {
        signalState->setListener(&m_panel, &m_panel);
        signalState->reportChangesByUser();
    }
}

bool PanelWiring::reportsChangedByUser(QObject *element) const
{
    const ElementSignalState *signalState = signalStateOf(element);
    return signalState && signalState->reportsChangesByUser() && signalState->listener() == &m_panel;
}

void PanelWiring::connectDoubleSpinBoxValue(QObject *element)
{
    connectUnique(qobject_cast<QDoubleSpinBox *>(element), QOverload<double>::of(&QDoubleSpinBox::valueChanged),
                  &m_panel, &Panel::changed);
}

// The refresh slots an element's updateMathLabels reaches; an element's
// signals list them by their place here plus one (ElementSignals::refreshCodes).
static const Panel::RefreshSlot refreshSlotTable[] = {
    &Panel::on_updateMathLabel, &Panel::on_updateLED,    &Panel::on_updateSvgImage, &Panel::on_updateCurve,
    &Panel::on_updateDial,      &Panel::on_updateThermo, &Panel::on_updateLog,
};

void PanelWiring::addRefresh(ElementSignalState *signalState, RefreshSlot slot)
{
    if (!signalState)
        return;
    int code = 0;
    for (int i = 0; i < int(sizeof refreshSlotTable / sizeof *refreshSlotTable); ++i) {
        if (refreshSlotTable[i] == slot)
            code = i + 1;
    }
    const bool first = signalState->refreshCodes() == 0;
    if (code == 0 || !signalState->addRefreshCode(code)) {
        if (code == 0)
            connectUnique(signalState->signalObject(), &ElementSignals::updateMathLabels, &m_panel, slot);
        return;
    }
    // The refreshes of all elements run through the panel's one listener
    // call (Panel::elementRefreshRequested), not a connection per element.
    if (first)
        signalState->setListener(&m_panel, &m_panel);
}

bool PanelWiring::runsRefresh(const ElementSignals *signalSet, RefreshSlot slot) const
{
    return runsRefresh(signalSet ? signalSet->state() : nullptr, slot);
}

bool PanelWiring::runsRefresh(const ElementSignalState *signalState, RefreshSlot slot) const
{
    if (!signalState)
        return false;
    const quint32 codes = signalState->refreshCodes();
    for (int shift = 0; shift < 32; shift += 4) {
        const int code = int((codes >> shift) & 0xf);
        if (code == 0)
            break;
        if (refreshSlotTable[code - 1] == slot)
            return true;
    }
    return false;
}

void Panel::elementChangedByUser(ElementSignalState *state)
{
    m_listenerSender = state->element();
    changed();
    m_listenerSender = nullptr;
}

void Panel::elementRefreshRequested(ElementSignalState *state)
{
    // Each refresh finds the element through signalSource(), as it would as
    // a slot of its own; one of them may take the element away.
    const QPointer<QObject> guard = state->element();
    const quint32 codes = state->refreshCodes();
    for (int shift = 0; shift < 32 && guard; shift += 4) {
        const int code = int((codes >> shift) & 0xf);
        if (code == 0)
            break;
        m_listenerSender = guard.data();
        (this->*refreshSlotTable[code - 1])();
        m_listenerSender = nullptr;
    }
}

// The element's updateMathLabels, or a tab widget's, to a refresh slot.
void PanelWiring::connectUpdate(QObject *element, RefreshSlot slot)
{
    if (ElementSignalState *signalState = stateRaising(element, QStringLiteral("updateMathLabels")))
        addRefresh(signalState, slot);
    else
        connectTabRefresh(element, &m_panel, slot);
}

void PanelWiring::connectVariableToCurves(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, &m_panel, &Panel::on_updateCurve);
}

void PanelWiring::connectElementToCurves(QObject *element)
{
    connectUpdate(element, &Panel::on_updateCurve);
}

void PanelWiring::connectVariableToDials(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, &m_panel, &Panel::on_updateDial);
}

void PanelWiring::connectElementToDials(QObject *element)
{
    connectUpdate(element, &Panel::on_updateDial);
}

void PanelWiring::connectVariableToLeds(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, &m_panel, &Panel::on_updateLED);
}

void PanelWiring::connectElementToLeds(QObject *element)
{
    connectUpdate(element, &Panel::on_updateLED);
}

void PanelWiring::connectVariableToLogs(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, &m_panel, &Panel::on_updateLog);
}

void PanelWiring::connectElementToLogs(QObject *element)
{
    connectUpdate(element, &Panel::on_updateLog);
}

void PanelWiring::connectToMathLabels(QObject *sender)
{
    // A target variable raises the signal itself; elements through their
    // signal set.
    if (auto *variable = qobject_cast<DataClass *>(sender))
        connectUnique(variable, &DataClass::updateMathLabels, &m_panel, &Panel::on_updateMathLabel);
    else
        connectUpdate(sender, &Panel::on_updateMathLabel);
}

void PanelWiring::connectVariableToSvgImages(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, &m_panel, &Panel::on_updateSvgImage);
}

void PanelWiring::connectElementToSvgImages(QObject *element)
{
    connectUpdate(element, &Panel::on_updateSvgImage);
}

void PanelWiring::connectVariableToThermos(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, &m_panel, &Panel::on_updateThermo);
}

void PanelWiring::connectElementToThermos(QObject *element)
{
    connectUpdate(element, &Panel::on_updateThermo);
}

void PanelWiring::connectRefreshSlots(ElementSignalState *signalState, const RefreshSlot *refreshSlots, int count)
{
    for (int i = 0; i < count; ++i)
        addRefresh(signalState, refreshSlots[i]);
}

void PanelWiring::connectTabSetDef(QObject *tabWidget, QObject *receiver)
{
    auto *tabs = qobject_cast<QTabWidget *>(tabWidget);
    auto *page = qobject_cast<QWidget *>(receiver);
    if (tabs && page && !TabWidget::connectPageSetDef(tabs, page))
        qCWarning(lcPanel, "PanelWiring::connectTabSetDef: %s has no page change handling", qPrintable(page->objectName()));
}

// The panel slots that actions (by kind) and locks reach.
static Panel::TextSlot actionSlot(const QString &name)
{
    static const QHash<QString, Panel::TextSlot> table = {
        {QStringLiteral("setDef"), &Panel::setDef},
        {QStringLiteral("sendUSB"), &Panel::sendUSB},
        {QStringLiteral("recData"), &Panel::recData},
        {QStringLiteral("runScript"), &Panel::runScript},
        {QStringLiteral("loadFile"), &Panel::loadFile},
        {QStringLiteral("startProgram"), &Panel::startProgram},
        {QStringLiteral("resetGUI"), &Panel::resetGUI},
        {QStringLiteral("on_sendLock"), &Panel::on_sendLock},
        {QStringLiteral("on_sendUnlock"), &Panel::on_sendUnlock},
    };
    return table.value(name, nullptr);
}

void PanelWiring::connectAction(const QString &signalName, const QString &slotName, QObject *element)
{
    if (!element)
        return;
    const ElementSignals::TextSignal signal = ElementSignals::textSignal(signalName);
    const Panel::TextSlot slot = actionSlot(slotName);
    ElementSignals *signalSet = raising(element, signalName);
    if (!signal || !slot || !signalSet) {
        qCWarning(lcPanel, "PanelWiring::connectAction: no signal %s of %s to slot %s", qPrintable(signalName),
                 qPrintable(element->objectName()), qPrintable(slotName));
        return;
    }
    QObject::connect(signalSet, signal, &m_panel, slot, Qt::UniqueConnection);
    // The send events whose reply comes back through the element's receive signal.
    static const QStringList sendEvents = {QStringLiteral("clicked_sendUSB"), QStringLiteral("changed_sendUSB"),
                                           QStringLiteral("checked_sendUSB"), QStringLiteral("unchecked_sendUSB"),
                                           QStringLiteral("selected_sendUSB")};
    if (sendEvents.contains(signalName)) {
        const QString receive = signalName.section(QLatin1Char('_'), 0, 0) + QStringLiteral("_recData");
        if (ElementSignals *receiving = raising(element, receive))
            QObject::connect(receiving, ElementSignals::actionSignal(receive), &m_panel, &Panel::recData,
                             Qt::UniqueConnection);
    }
}
