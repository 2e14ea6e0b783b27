#pragma once

#include <QObject>

// Keeps the mouse wheel from changing an element that does not have the
// keyboard focus, so the wheel scrolls the panel instead. One guard, owned by
// the application, is installed on every such element (installWheelGuard).
class MouseWheelWidgetAdjustmentGuard : public QObject
{
    Q_OBJECT
public:
    explicit MouseWheelWidgetAdjustmentGuard(QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Asks before a mouse press takes effect on an element whose "confirmation"
// property (a radio button: its group's) holds a text. The press is held back
// while the question is open; on Ok it is delivered again, with its release,
// so the element reacts as to a normal click.
class QInputEventRecorder : public QObject
{
    Q_OBJECT
public:
    explicit QInputEventRecorder(QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

class QWidget;

// Gives the widget the focus policy Qt::StrongFocus and the wheel guard.
void installWheelGuard(QWidget *widget);

// Has every element build a tool tip it let go out of date before a tool
// tip event reaches its widget (or a child of it, the event going on to the
// widget when the child has none). One filter on the application, installed
// the first time; calling it again does nothing.
void installToolTipRequests();
