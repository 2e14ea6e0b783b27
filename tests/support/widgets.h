#pragma once

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>

// Shows the widget and makes it the active window, so that focus, and with it
// the macro recorder's user changes, reach its children.
inline bool showAndActivate(QWidget *widget)
{
    widget->show();
    QApplication::setActiveWindow(widget);
    return QTest::qWaitForWindowActive(widget);
}

// The tool tip the widget shows when the mouse rests on it: a tool tip event
// goes to it first (an element builds a tool tip it let go out of date then).
inline QString toolTipShown(QWidget *widget)
{
    QHelpEvent event(QEvent::ToolTip, QPoint(1, 1), widget->mapToGlobal(QPoint(1, 1)));
    QApplication::sendEvent(widget, &event);
    QToolTip::hideText();
    return widget->toolTip();
}

// Turns the mouse wheel one notch over the middle of the widget; true when
// the widget took the turn (a wheel guard leaves it to the panel around).
inline bool wheelTaken(QWidget *widget, int notches = 1)
{
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent wheel(at, QPointF(widget->mapToGlobal(at.toPoint())), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
    return wheel.isAccepted();
}
