// MainWindow: the connections between a panel's elements and the window's
// slots. Every helper makes unique connections, so calling it twice for one
// element connects once.
#include "mainwindow.h"

#include "absolutewidget.h"
#include "boxcontainers.h"
#include "dataclass.h"
#include "gridwidget.h"
#include "tabwidget.h"
#include "treewidget.h"

#include <QScrollArea>

// ---------------------------------------------------------------------------
// Root containers: the panel's top container becomes the content of a
// resizable scroll area, which replaces the window's central widget.

template <typename T>
T *MainWindow::installRootContainer(T *container)
{
    auto *area = new QScrollArea(this);
    area->setWidgetResizable(true);
    area->setWidget(container);
    // The old panel may still be running the signal that loads this one (a
    // loadFile or runScript action): it goes once control is back in the
    // event loop, not under its own feet.
    if (QWidget *old = takeCentralWidget()) {
        old->hide();
        old->deleteLater();
    }
    setCentralWidget(area);
    return container;
}

AbsoluteWidget *MainWindow::createAbsoluteWidget() { return installRootContainer(new AbsoluteWidget(this)); }
GridWidget *MainWindow::createGridWidget() { return installRootContainer(new GridWidget(this)); }
GroupBox *MainWindow::createGroupBox(const QString &label) { return installRootContainer(new GroupBox(label, this)); }
HorizontalWidget *MainWindow::createHorizontalWidget() { return installRootContainer(new HorizontalWidget(this)); }
TabWidget *MainWindow::createTabWidget() { return installRootContainer(new TabWidget(this)); }
TreeWidget *MainWindow::createTreeWidget() { return installRootContainer(new TreeWidget); }
VerticalWidget *MainWindow::createVerticalWidget() { return installRootContainer(new VerticalWidget(this)); }

// ---------------------------------------------------------------------------
// Element signals to window slots

static void connectUnique(QObject *sender, const char *signal, QObject *receiver, const char *slot)
{
    if (sender)
        QObject::connect(sender, signal, receiver, slot, Qt::UniqueConnection);
}

void MainWindow::connectLocks(QObject *element)
{
    connectUnique(element, SIGNAL(sendLock(QString)), this, SLOT(on_sendLock(QString)));
    connectUnique(element, SIGNAL(sendUnlock(QString)), this, SLOT(on_sendUnlock(QString)));
}

void MainWindow::connectChangedByUser(QObject *element)
{
    connectUnique(element, SIGNAL(changedByUser()), this, SLOT(changed()));
}

void MainWindow::connectDoubleSpinBoxValue(QObject *element)
{
    connectUnique(element, SIGNAL(valueChanged(double)), this, SLOT(changed()));
}

void MainWindow::connectVariableToCurves(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateCurve()));
}

void MainWindow::connectElementToCurves(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateCurve()));
}

void MainWindow::connectVariableToDials(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateDial()));
}

void MainWindow::connectElementToDials(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateDial()));
}

void MainWindow::connectVariableToLeds(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateLED()));
}

void MainWindow::connectElementToLeds(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateLED()));
}

void MainWindow::connectVariableToLogs(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateLog()));
}

void MainWindow::connectElementToLogs(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateLog()));
}

void MainWindow::connectToMathLabels(QObject *sender)
{
    connectUnique(sender, SIGNAL(updateMathLabels()), this, SLOT(on_updateMathLabel()));
}

void MainWindow::connectVariableToSvgImages(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateSvgImage()));
}

void MainWindow::connectElementToSvgImages(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateSvgImage()));
}

void MainWindow::connectVariableToThermos(DataClass *variable)
{
    connectUnique(variable, SIGNAL(updateLEDs()), this, SLOT(on_updateThermo()));
}

void MainWindow::connectElementToThermos(QObject *element)
{
    connectUnique(element, SIGNAL(updateMathLabels()), this, SLOT(on_updateThermo()));
}

void MainWindow::connectTabSetDef(QObject *tabWidget, QObject *receiver)
{
    if (tabWidget && receiver)
        connect(tabWidget, SIGNAL(currentChanged(int)), receiver, SLOT(childSetDef(int)));
}

// The send events whose reply comes back through the element's receive signal.
static const char *const sendEvents[] = {"clicked_sendUSB", "changed_sendUSB", "checked_sendUSB",
                                         "unchecked_sendUSB", "selected_sendUSB"};

void MainWindow::connectAction(const QString &signalName, const QString &slotName, QObject *element)
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
