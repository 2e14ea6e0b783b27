#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>

// Shows the widget and makes it the active window, so that focus, and with it
// the macro recorder's user changes, reach its children.
inline bool showAndActivate(QWidget *widget)
{
    widget->show();
    QApplication::setActiveWindow(widget);
    return QTest::qWaitForWindowActive(widget);
}
