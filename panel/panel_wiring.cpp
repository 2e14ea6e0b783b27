// Panel: the connections between a panel's elements and the window's
// slots. Every helper makes unique connections, so calling it twice for one
// element connects once.
#include "panel.h"

#include "absolutewidget.h"
#include "boxcontainers.h"
#include "dataclass.h"
#include "panelshell.h"
#include "gridwidget.h"
#include "tabwidget.h"
#include "treewidget.h"

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
// Element signals to window slots

static void connectUnique(QObject *sender, const char *signal, QObject *receiver, const char *slot)
{
    if (sender)
        QObject::connect(sender, signal, receiver, slot, Qt::UniqueConnection);
}

void Panel::connectLocks(QObject *element)
{
    connectUnique(element, SIGNAL(sendLock(QString)), this, SLOT(on_sendLock(QString)));
    connectUnique(element, SIGNAL(sendUnlock(QString)), this, SLOT(on_sendUnlock(QString)));
}

void Panel::connectChangedByUser(QObject *element)
{
    connectUnique(element, SIGNAL(changedByUser()), this, SLOT(changed()));
}

void Panel::connectDoubleSpinBoxValue(QObject *element)
{
    connectUnique(element, SIGNAL(valueChanged(double)), this, SLOT(changed()));
}

void Panel::connectVariableToCurves(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateCurve()));
}

void Panel::connectElementToCurves(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateCurve()));
}

void Panel::connectVariableToDials(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateDial()));
}

void Panel::connectElementToDials(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateDial()));
}

void Panel::connectVariableToLeds(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateLED()));
}

void Panel::connectElementToLeds(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateLED()));
}

void Panel::connectVariableToLogs(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateLog()));
}

void Panel::connectElementToLogs(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateLog()));
}

void Panel::connectToMathLabels(QObject *sender)
{
    connectUnique(sender, SIGNAL(updateMathLabels()), this, SLOT(on_updateMathLabel()));
}

void Panel::connectVariableToSvgImages(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateSvgImage()));
}

void Panel::connectElementToSvgImages(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateSvgImage()));
}

void Panel::connectVariableToThermos(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateThermo()));
}

void Panel::connectElementToThermos(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateThermo()));
}

void Panel::connectTabSetDef(QObject *tabWidget, QObject *receiver)
{
    if (tabWidget && receiver)
        connect(tabWidget, SIGNAL(currentChanged(int)), receiver, SLOT(childSetDef(int)));
}

// The send events whose reply comes back through the element's receive signal.
static const char *const sendEvents[] = {"clicked_sendUSB", "changed_sendUSB", "checked_sendUSB",
                                         "unchecked_sendUSB", "selected_sendUSB"};

void Panel::connectAction(const QString &signalName, const QString &slotName, QObject *element)
{
    if (!element)
        return;
    // Signal and slot names are built at run time from an action's event and kind.
    const QByteArray signal = QByteArray("2") + signalName.toLatin1() + "(QString)";
    const QByteArray slot = QByteArray("1") + slotName.toLatin1() + "(QString)";
    connect(element, signal.constData(), this, slot.constData(), Qt::UniqueConnection);
    for (const char *event : sendEvents) {
        if (signalName == QLatin1String(event)) {
            const QByteArray receive = QByteArray("2") + signalName.section(QLatin1Char('_'), 0, 0).toLatin1()
                + "_recData(QString)";
            connect(element, receive.constData(), this, SLOT(recData(QString)), Qt::UniqueConnection);
            break;
        }
    }
}
