// Panel: the connections between a panel's elements and the window's
// slots. Every helper makes unique connections, so calling it twice for one
// element connects once.
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
T *Panel::installRootContainer(T *container)
{
    container->setHost(this);
    auto *area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setWidget(container);
    // The old panel may still be running the signal that loads this one (a
    // loadFile or runScript action): the shell deletes it once control is
    // back in the event loop, not under its own feet.
    m_rootArea = area;
    if (m_shell)
        m_shell->showPanelWidget(area);
    return container;
}

AbsoluteWidget *Panel::createAbsoluteWidget() { return installRootContainer(new AbsoluteWidget); }
GridWidget *Panel::createGridWidget() { return installRootContainer(new GridWidget); }
GroupBox *Panel::createGroupBox(const QString &label) { return installRootContainer(new GroupBox(label)); }
HorizontalWidget *Panel::createHorizontalWidget() { return installRootContainer(new HorizontalWidget); }
TabWidget *Panel::createTabWidget() { return installRootContainer(new TabWidget); }
TreeWidget *Panel::createTreeWidget() { return installRootContainer(new TreeWidget); }
VerticalWidget *Panel::createVerticalWidget() { return installRootContainer(new VerticalWidget); }

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

QObject *Panel::senderElement() const
{
    return elementOf(sender());
}

void Panel::connectLocks(QObject *element)
{
    ElementSignals *signalSet = raising(element, QStringLiteral("sendLock"));
    connectUnique(signalSet, &ElementSignals::sendLock, this, &Panel::on_sendLock);
    connectUnique(signalSet, &ElementSignals::sendUnlock, this, &Panel::on_sendUnlock);
}

void Panel::connectChangedByUser(QObject *element)
{
    connectUnique(raising(element, QStringLiteral("changedByUser")), &ElementSignals::changedByUser, this,
                  &Panel::changed);
}

void Panel::connectDoubleSpinBoxValue(QObject *element)
{
    connectUnique(qobject_cast<QDoubleSpinBox *>(element), QOverload<double>::of(&QDoubleSpinBox::valueChanged),
                  this, &Panel::changed);
}

// The refresh slots an element's updateMathLabels reaches; an element's
// signals list them by their place here plus one (ElementSignals::refreshCodes).
static const Panel::RefreshSlot refreshSlotTable[] = {
    &Panel::on_updateMathLabel, &Panel::on_updateLED,    &Panel::on_updateSvgImage, &Panel::on_updateCurve,
    &Panel::on_updateDial,      &Panel::on_updateThermo, &Panel::on_updateLog,
};

void Panel::addRefresh(ElementSignals *signalSet, RefreshSlot slot)
{
    if (!signalSet)
        return;
    int code = 0;
    for (int i = 0; i < int(sizeof refreshSlotTable / sizeof *refreshSlotTable); ++i) {
        if (refreshSlotTable[i] == slot)
            code = i + 1;
    }
    const bool first = signalSet->refreshCodes() == 0;
    if (code == 0 || !signalSet->addRefreshCode(code)) {
        if (code == 0)
            connectUnique(signalSet, &ElementSignals::updateMathLabels, this, slot);
        return;
    }
    if (first)
        connect(signalSet, &ElementSignals::updateMathLabels, this, &Panel::runElementRefreshes);
}

bool Panel::runsRefresh(const ElementSignals *signalSet, RefreshSlot slot) const
{
    if (!signalSet)
        return false;
    const quint32 codes = signalSet->refreshCodes();
    for (int shift = 0; shift < 32; shift += 4) {
        const int code = int((codes >> shift) & 0xf);
        if (code == 0)
            break;
        if (refreshSlotTable[code - 1] == slot)
            return true;
    }
    return false;
}

void Panel::runElementRefreshes()
{
    // Each refresh finds the element through sender(), as it would as a
    // slot of its own; one of them may take the element away.
    QPointer<ElementSignals> signalSet = qobject_cast<ElementSignals *>(sender());
    if (!signalSet)
        return;
    const quint32 codes = signalSet->refreshCodes();
    for (int shift = 0; shift < 32 && signalSet; shift += 4) {
        const int code = int((codes >> shift) & 0xf);
        if (code == 0)
            break;
        (this->*refreshSlotTable[code - 1])();
    }
}

// The element's updateMathLabels, or a tab widget's, to a refresh slot.
static void connectUpdate(QObject *element, Panel *panel, void (Panel::*slot)())
{
    if (ElementSignals *signalSet = raising(element, QStringLiteral("updateMathLabels")))
        panel->addRefresh(signalSet, slot);
    else if (auto *tabs = qobject_cast<TabWidget *>(element))
        connectUnique(tabs, &TabWidget::updateMathLabels, panel, slot);
}

void Panel::connectVariableToCurves(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, this, &Panel::on_updateCurve);
}

void Panel::connectElementToCurves(QObject *element)
{
    connectUpdate(element, this, &Panel::on_updateCurve);
}

void Panel::connectVariableToDials(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, this, &Panel::on_updateDial);
}

void Panel::connectElementToDials(QObject *element)
{
    connectUpdate(element, this, &Panel::on_updateDial);
}

void Panel::connectVariableToLeds(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, this, &Panel::on_updateLED);
}

void Panel::connectElementToLeds(QObject *element)
{
    connectUpdate(element, this, &Panel::on_updateLED);
}

void Panel::connectVariableToLogs(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, this, &Panel::on_updateLog);
}

void Panel::connectElementToLogs(QObject *element)
{
    connectUpdate(element, this, &Panel::on_updateLog);
}

void Panel::connectToMathLabels(QObject *sender)
{
    // A target variable raises the signal itself; elements through their
    // signal set.
    if (auto *variable = qobject_cast<DataClass *>(sender))
        connectUnique(variable, &DataClass::updateMathLabels, this, &Panel::on_updateMathLabel);
    else
        connectUpdate(sender, this, &Panel::on_updateMathLabel);
}

void Panel::connectVariableToSvgImages(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, this, &Panel::on_updateSvgImage);
}

void Panel::connectElementToSvgImages(QObject *element)
{
    connectUpdate(element, this, &Panel::on_updateSvgImage);
}

void Panel::connectVariableToThermos(DataClass *variable)
{
    connectUnique(variable, &DataClass::updateLEDs, this, &Panel::on_updateThermo);
}

void Panel::connectElementToThermos(QObject *element)
{
    connectUpdate(element, this, &Panel::on_updateThermo);
}

void Panel::connectRefreshSlots(ElementSignals *signalSet, const RefreshSlot *refreshSlots, int count)
{
    for (int i = 0; i < count; ++i)
        addRefresh(signalSet, refreshSlots[i]);
}

void Panel::connectTabSetDef(QObject *tabWidget, QObject *receiver)
{
    auto *tabs = qobject_cast<QTabWidget *>(tabWidget);
    auto *page = qobject_cast<QWidget *>(receiver);
    if (tabs && page && !TabWidget::connectPageSetDef(tabs, page))
        qCWarning(lcPanel, "Panel::connectTabSetDef: %s has no page change handling", qPrintable(page->objectName()));
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

void Panel::connectAction(const QString &signalName, const QString &slotName, QObject *element)
{
    if (!element)
        return;
    const ElementSignals::TextSignal signal = ElementSignals::textSignal(signalName);
    const TextSlot slot = actionSlot(slotName);
    ElementSignals *signalSet = raising(element, signalName);
    if (!signal || !slot || !signalSet) {
        qCWarning(lcPanel, "Panel::connectAction: no signal %s of %s to slot %s", qPrintable(signalName),
                 qPrintable(element->objectName()), qPrintable(slotName));
        return;
    }
    connect(signalSet, signal, this, slot, Qt::UniqueConnection);
    // The send events whose reply comes back through the element's receive signal.
    static const QStringList sendEvents = {QStringLiteral("clicked_sendUSB"), QStringLiteral("changed_sendUSB"),
                                           QStringLiteral("checked_sendUSB"), QStringLiteral("unchecked_sendUSB"),
                                           QStringLiteral("selected_sendUSB")};
    if (sendEvents.contains(signalName)) {
        const QString receive = signalName.section(QLatin1Char('_'), 0, 0) + QStringLiteral("_recData");
        if (ElementSignals *receiving = raising(element, receive))
            connect(receiving, ElementSignals::actionSignal(receive), this, &Panel::recData, Qt::UniqueConnection);
    }
}
