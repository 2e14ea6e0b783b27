#pragma once

#include "windowstate.h"

#include <QObject>

class ActiveElement;
class MainWindow;
class QColor;
class QTimerEvent;
class QWidget;

// Finding a panel element, bringing it into view (each container opens the
// page or branch that holds it) and marking it. One mark at a time, ended by
// its 5000 ms timer or by cancelHighlight(). Owned by the window; the find
// command, the console links, the dialogs, the editor and the scripts raise
// elements here.
class WindowElementFinder final : public QObject
{
    Q_OBJECT

public:
    explicit WindowElementFinder(MainWindow &window) : m_window(window) {}
    Q_DISABLE_COPY_MOVE(WindowElementFinder)

    // "Search GUI element": asks for a name, then raises the element, or
    // the widget without value (a button, LED, picture...) of that name.
    void search();
    void raiseElement(ActiveElement *element);
    // Brings the element registered under define into view; unknown names do nothing.
    void raiseDefine(const QString &define);
    // Marks any widget in red.
    void raiseWidget(QWidget *widget);
    // Ends the mark at once (the panel shell's cancelHighlight).
    void cancelHighlight();
    // Before the next panel is read: the mark's timer and tree row are
    // forgotten (the row goes with its panel).
    void forgetPanelMark();
    const ElementMark &mark() const { return m_mark; }

protected:
    // Ends the mark when its timer fires.
    void timerEvent(QTimerEvent *event) override;

private:
    // Brings a widget without value into view and marks it.
    void raiseNamedWidget(QWidget *widget);
    // Element widgets get a blue background, any other widget the colour
    // other over its palette; what it looked like before is kept.
    void markWidget(QWidget *widget, const QColor &other);
    // Whether the widget is an editable element (marked by style sheet);
    // rememberStyle keeps its style sheet for the mark's end.
    bool isEditableElement(QWidget *widget, bool rememberStyle);

    MainWindow &m_window;
    ElementMark m_mark;
};
