// MainWindow: the pin views. The panel's pin-mapping element is built after an
// open; the "Show Port mapping" command opens the chip in a window of its own;
// both repaint when the panel's values change.
#include "mainwindow.h"

#include "activeelement.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "pinmapping.h"
#include "portmappingdialog.h"

#include <QAction>
#include <QScrollArea>
#include <QTimer>

PinMappingModel *MainWindow::pinMappingModel()
{
    return &m_panel->pinMappingModel();
}

ElementHost *MainWindow::elementHost()
{
    return m_panel;
}

OperandLookup *MainWindow::operandLookup()
{
    return m_panel;
}

bool MainWindow::raiseElement(const QString &name)
{
    ActiveElement *element = m_panel->getActiveElement(name);
    if (!element)
        return false;
    raiseGUIElement(element);
    return true;
}

void MainWindow::searchElement()
{
    searchForGUIElement();
}

void MainWindow::resetPinMapping()
{
    PinMappingModel &model = m_panel->pinMappingModel();
    model.deleteElement();
    model.reset();
    if (m_showPortMappingAct)
        m_showPortMappingAct->setEnabled(false);
}

void MainWindow::buildPinMappingView()
{
    connect(m_panel, &Panel::valuesChanged, this, &MainWindow::refreshPinViews, Qt::UniqueConnection);
    PinMappingModel &model = m_panel->pinMappingModel();
    if (m_showPortMappingAct)
        m_showPortMappingAct->setEnabled(!model.isEmpty());
    if (model.isEmpty())
        return;
    for (const QString &finding : model.checkAgainstPanel(this))
        ::logMessage(QStringLiteral("<font color=\"orange\"><b>Pin mapping warning: </b></font>%1<br>")
                         .arg(finding.toHtmlEscaped()));
    if (PinMapping *element = model.pinMappingElement.data())
        element->buildView(this);
}

void MainWindow::refreshPinViews(bool userChange)
{
    if (auto *dialog = qobject_cast<PortMappingDialog *>(m_portMappingDialog.data())) {
        dialog->timer()->start(1);
        if (!userChange)
            dialog->update();
    }
    if (PinMapping *element = m_panel->pinMappingModel().pinMappingElement.data())
        element->refresh();
}

void MainWindow::openPortMappingDialog()
{
    if (m_switches.enableShowPortMapping == 0)
        return;
    auto *area = qobject_cast<QScrollArea *>(centralWidget());
    if (!area)
        return;
    connect(m_panel, &Panel::valuesChanged, this, &MainWindow::refreshPinViews, Qt::UniqueConnection);
    auto *dialog = new PortMappingDialog(this, area->widget());
    connect(dialog, &PortMappingDialog::closed, this, [this, dialog] {
        if (m_portMappingDialog == dialog)
            m_portMappingDialog = nullptr;
    });
    m_portMappingDialog = dialog;
    dialog->show();
}
