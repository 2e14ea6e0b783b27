#include "panelteardown.h"

#include "activeelement.h"
#include "container.h"

#include <QApplication>
#include <QScrollArea>
#include <QTabWidget>
#include <QWidget>

namespace {

bool placedByContainer(QObject *child)
{
    return child->isWidgetType() && (activeElementOf(child) || interfaceCast<Container>(child));
}

// Deletes what the container `widget` holds, deepest first. The list of
// children is read afresh after each deletion: an element may take a
// sibling with it.
void deleteContents(QWidget *widget)
{
    if (auto *tabs = qobject_cast<QTabWidget *>(widget)) {
        // The pages stay with the tab widget (taken out one by one, each
        // would change the tab bar); emptied, they go with it.
        for (int i = 0; i < tabs->count(); ++i)
            deleteContents(tabs->widget(i));
        return;
    }
    if (!interfaceCast<Container>(widget))
        return;
    int i = 0;
    while (i < widget->children().size()) {
        QObject *child = widget->children().at(i);
        if (!placedByContainer(child)) {
            ++i;
            continue;
        }
        deleteContents(static_cast<QWidget *>(child));
        delete child;
    }
}

} // namespace

void deletePanelWidget(QWidget *root)
{
    if (!root)
        return;
    if (root->isAncestorOf(QApplication::focusWidget()))
        root->hide();
    auto *area = qobject_cast<QScrollArea *>(root);
    // Without the scroll area's touch gesture, the events of the widgets
    // that go (a child removed, a widget hidden) pass no gesture filter.
    if (area)
        area->viewport()->ungrabGesture(Qt::PanGesture);
    if (QWidget *content = area ? area->widget() : root) {
        // Nothing of it is painted again: a widget that goes would
        // otherwise add its place to its parent's region to repaint.
        content->setUpdatesEnabled(false);
        deleteContents(content);
    }
    delete root;
}
