#pragma once

#include "widgetcontainer.h"

#include <QMap>
#include <QTreeWidgetItem>

class QTreeWidget;

// One row of a TreeWidget that holds rows of its own (a branch). The panel
// reader builds a branch's content through its Container operations, as for
// any other container; its children are made inside the tree view's viewport
// and take their row at once, or once they are built (TreeWidget's hold).
class TreeWidgetItem : public QTreeWidgetItem, public WidgetContainer
{
public:
    // A top-level row of view.
    explicit TreeWidgetItem(QTreeWidget *view);
    // A child row of parent.
    explicit TreeWidgetItem(TreeWidgetItem *parent);

    // The branch's name (set by the panel reader), returned by name().
    void setName(const QString &name) { m_name = name; }
    QString name() const override { return m_name; }
    // A branch is named by its own name.
    QString toolTipTitle() const override { return m_name; }

    // A child row with the title in column 0 and the widget in column 1.
    TreeWidgetItem *addRow(QWidget *widget, const QString &text);
    // A child branch row; a button in it switches the rows below it on and off.
    TreeWidgetItem *addBranch(const QString &text, QWidget *widget);

    // Branch content comes only through the factories and addBranch.
    void addWidget(QWidget *widget, int pos) override;
    // Opens the child's row and makes it the current row.
    void showChild(Container *child) override;
    // Opens and selects the child row that holds the widget.
    void showWidget(QWidget *widget) override;

    // Expands, scrolls to and selects item when it is a tree row; collapses it
    // without expand. Anything else is ignored.
    static void setBranchExpanded(Container *item, bool expand);
    // Expands the row, scrolls its view to it and makes it the current row.
    static void reveal(QTreeWidgetItem *row);

    // Titles the row; expands it when the widget's property "expand" is 1,
    // puts the widget into column 1 and records the widget's row in rows.
    TreeWidgetItem *fill(const QString &text, QWidget *widget, QMap<QWidget *, TreeWidgetItem *> &rows);

protected:
    void placeChild(QWidget *child, const QString &title, int pos) override;
    CaptionRule captionRule(CaptionedKind kind) const override;

private:
    QString m_name;
    QMap<QWidget *, TreeWidgetItem *> m_rowsByWidget;
};
