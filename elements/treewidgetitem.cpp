#include "treewidgetitem.h"

#include "activeelement.h"
#include "treewidget.h"

#include <QTreeWidget>
#include <QVariant>

// The children of a row are made inside the view's viewport, where their row
// puts them: they are not moved there from a window of their own, with a new
// font, palette and style to work out for each of their children.
static QWidget *viewportOf(QTreeWidget *view)
{
    return view ? view->viewport() : nullptr;
}

TreeWidgetItem::TreeWidgetItem(QTreeWidget *view)
    : QTreeWidgetItem(view)
    , WidgetContainer(viewportOf(view))
{
}

TreeWidgetItem::TreeWidgetItem(TreeWidgetItem *parent)
    : QTreeWidgetItem(parent)
    , WidgetContainer(viewportOf(parent->treeWidget()))
{
}

TreeWidgetItem *TreeWidgetItem::fill(const QString &text, QWidget *widget,
                                     QMap<QWidget *, TreeWidgetItem *> &rows)
{
    setText(0, text);
    if (widget) {
        if (elementPropertyOf(widget, "expand").toInt() == 1)
            setExpanded(true);
        if (auto *owner = qobject_cast<TreeWidget *>(treeWidget()->parentWidget()))
            owner->setRowWidget(this, widget);
        else
            treeWidget()->setItemWidget(this, 1, widget);
        rows.insert(widget, this);
    }
    return this;
}

TreeWidgetItem *TreeWidgetItem::addRow(QWidget *widget, const QString &text)
{
    return (new TreeWidgetItem(this))->fill(text, widget, m_rowsByWidget);
}

TreeWidgetItem *TreeWidgetItem::addBranch(const QString &text, QWidget *widget)
{
    TreeWidgetItem *row = addRow(widget, text);
    // The owning tree connects the branch button and finds its row.
    if (auto *owner = qobject_cast<TreeWidget *>(treeWidget()->parentWidget()))
        owner->registerBranch(widget, row);
    return row;
}

void TreeWidgetItem::addWidget(QWidget *widget, int pos)
{
    Q_UNUSED(widget)
    Q_UNUSED(pos)
}

void TreeWidgetItem::reveal(QTreeWidgetItem *row)
{
    row->setExpanded(true);
    if (QTreeWidget *view = row->treeWidget()) {
        view->scrollToItem(row);
        view->setCurrentItem(row);
    }
}

void TreeWidgetItem::showChild(Container *child)
{
    if (auto *row = dynamic_cast<TreeWidgetItem *>(child))
        reveal(row);
}

void TreeWidgetItem::showWidget(QWidget *widget)
{
    if (TreeWidgetItem *row = m_rowsByWidget.value(widget)) {
        row->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        showChild(row);
    }
}

void TreeWidgetItem::setBranchExpanded(Container *item, bool expand)
{
    auto *row = dynamic_cast<TreeWidgetItem *>(item);
    if (!row)
        return;
    if (expand)
        reveal(row);
    else
        row->setExpanded(false);
}

void TreeWidgetItem::placeChild(QWidget *child, const QString &title, int pos)
{
    Q_UNUSED(pos)
    addRow(child, title);
}

// Unlike a top-level row, a branch's push button also titles its row and its
// toggle button shows its text only as the title.
WidgetContainer::CaptionRule TreeWidgetItem::captionRule(CaptionedKind kind) const
{
    if (kind == CaptionedKind::PushButton)
        return CaptionRule{true, true};
    if (kind == CaptionedKind::ToggleButton)
        return CaptionRule{false, true};
    return TreeWidget::rowCaptionRule(kind);
}
