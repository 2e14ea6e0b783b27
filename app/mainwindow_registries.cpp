// MainWindow: the element registries and look-ups by define.
#include "mainwindow.h"

bool MainWindow::setElementByDefine(const QString &name, const QString &value)
{
    Q_UNUSED(name)
    Q_UNUSED(value)
    return false;
}

QObject *MainWindow::getActiveElement(const QString &define) const
{
    Q_UNUSED(define)
    return nullptr;
}

void MainWindow::raiseGUIElement(QObject *element)
{
    Q_UNUSED(element)
}

bool MainWindow::recordElementChange(QObject *element)
{
    Q_UNUSED(element)
    return true;
}
