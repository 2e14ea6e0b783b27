// MainWindow: the panel editor's entry point and what the editor asks of the window.
#include "mainwindow.h"

#include "activeelement.h"
#include "quillpanel.h"
#include "showxmldialog.h"

#include <QScrollArea>
#include <QStatusBar>

#include <memory>

void MainWindow::editGUI()
{
    auto *area = qobject_cast<QScrollArea *>(centralWidget());
    if (!area)
        return;
    m_xmlDialog = new ShowXMLDialog(area->widget(), nullptr, m_panel);
    ShowXMLDialog::Services services;
    QPointer<MainWindow> self(this);
    services.highlight = [self](QWidget *widget) {
        if (!self)
            return;
        if (ActiveElement *element = activeElementOf(widget))
            self->m_elementFinder->raiseElement(element);
        else
            self->m_elementFinder->raiseWidget(widget);
    };
    services.cancelHighlight = [self]() {
        if (self)
            self->m_elementFinder->cancelHighlight();
    };
    services.showStatus = [self](const QString &text) {
        if (self)
            self->statusBar()->showMessage(text);
    };
    // The polling threads pause only when they run: a panel without target
    // variables keeps its timers going.
    auto paused = std::make_shared<bool>(false);
    services.stopPolling = [self, paused]() {
        *paused = self && (self->m_targetLink.seggerThread || self->m_targetLink.serialComThread);
        if (*paused)
            self->stopPollingThreads();
    };
    services.startPolling = [self, paused]() {
        if (self && *paused)
            self->startPollingThreads();
        *paused = false;
    };
    services.workingDir = [self]() { return self ? self->getWorkingDir() : QString(); };
    services.setWorkingDir = [self](const QString &dir) {
        if (self)
            self->setWorkingDir(dir);
    };
    m_xmlDialog->setServices(services);
    m_xmlDialog->setWindowFlags(m_xmlDialog->windowFlags() | Qt::WindowStaysOnTopHint);
    m_xmlDialog->show();
}
