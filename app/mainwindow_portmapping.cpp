// The window's pin views. The panel's pin-mapping element is built after an
// open; the "Show Port mapping" command opens the chip in a window of its own;
// both repaint when the panel's values change.
#include "windowpinmapping.h"

#include "mainwindow.h"

#include "activeelement.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "pinmapping.h"
#include "portmappingdialog.h"

#include <QAction>
#include <QScrollArea>
#include <QTimer>

WindowPinMapping::WindowPinMapping(MainWindow &window) : m_window(window) {}

PinMappingModel *WindowPinMapping::pinMappingModel()
{
    return &m_window.m_panel->pinMappingModel();
}

ElementHost *WindowPinMapping::elementHost()
{
    return m_window.m_panel;
}

OperandLookup *WindowPinMapping::operandLookup()
{
    return m_window.m_panel;
}

bool WindowPinMapping::raiseElement(const QString &name)
{
    ActiveElement *element = m_window.m_panel->getActiveElement(name);
    if (!element)
        return false;
    m_window.m_elementFinder->raiseElement(element);
    return true;
}

void WindowPinMapping::searchElement()
{
    m_window.m_elementFinder->search();
}

QString WindowPinMapping::workingDirectory() const
{
    return m_window.m_settings.workingDir;
}

void WindowPinMapping::resetPinMapping()
{
    PinMappingModel &model = m_window.m_panel->pinMappingModel();
    model.deleteElement();
    model.reset();
    if (m_window.m_actions.showPortMappingAct)
        m_window.m_actions.showPortMappingAct->setEnabled(false);
}

void WindowPinMapping::buildPinMappingView()
{
    connect(m_window.m_panel, &Panel::valuesChanged, this, &WindowPinMapping::refreshPinViews, Qt::UniqueConnection);
    PinMappingModel &model = m_window.m_panel->pinMappingModel();
    if (m_window.m_actions.showPortMappingAct)
        m_window.m_actions.showPortMappingAct->setEnabled(!model.isEmpty());
    if (model.isEmpty())
        return;
    for (const QString &finding : model.checkAgainstPanel(this))
        ::logMessage(QStringLiteral("<font color=\"orange\"><b>Pin mapping warning: </b></font>%1<br>")
                         .arg(finding.toHtmlEscaped()));
    if (PinMapping *element = model.pinMappingElement.data())
        element->buildView(this);
}

void WindowPinMapping::refreshPinViews(bool userChange)
{
    if (auto *dialog = qobject_cast<PortMappingDialog *>(m_portMappingDialog.data())) {
        dialog->timer()->start(1);
        if (!userChange)
            dialog->update();
    }
    if (PinMapping *element = m_window.m_panel->pinMappingModel().pinMappingElement.data())
        element->refresh();
}

void WindowPinMapping::openPortMappingDialog()
{
    if (m_window.m_settings.switches.enableShowPortMapping == 0)
        return;
    auto *area = qobject_cast<QScrollArea *>(m_window.centralWidget());
    if (!area)
        return;
    connect(m_window.m_panel, &Panel::valuesChanged, this, &WindowPinMapping::refreshPinViews, Qt::UniqueConnection);
    auto *dialog = new PortMappingDialog(this, area->widget());
    connect(dialog, &PortMappingDialog::closed, this, [this, dialog] {
        if (m_portMappingDialog == dialog)
            m_portMappingDialog = nullptr;
    });
    m_portMappingDialog = dialog;
    dialog->show();
}
