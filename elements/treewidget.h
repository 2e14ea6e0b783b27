#pragma once

#include "widgetcontainer.h"

#include <QList>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;
class TreeWidgetItem;

// Panel content as a tree of rows: a title in column 0 and an element or
// container in column 1. A branch row whose widget is a button switches every
// row below it on and off.
class TreeWidget : public QWidget, public WidgetContainer
{
    Q_OBJECT
    Q_INTERFACES(Container)

public:
    explicit TreeWidget(QWidget *parent = nullptr);
    // Deletes a held widget that never took its row.
    ~TreeWidget() override;

    QTreeWidget *view() const { return m_tree; }
    // A tree on a tab page is named by its tab.
    QString toolTipTitle() const override;

    // A top-level row with the title in column 0 and the widget in column 1.
    TreeWidgetItem *addRow(QWidget *widget, const QString &text);
    // A top-level branch row; a button in it switches the rows below it on and off.
    TreeWidgetItem *addBranch(const QString &text, QWidget *widget);
    // Column i gets the i-th width.
    void setColumnWidths(const QList<int> &widths);
    // Ignored when empty.
    void setHeaderLabels(const QStringList &labels);

    // Switches every row below item on or off. Rows below a nested branch
    // button stay off while that button is unchecked. Elements get enable(on)
    // and are marked disabled by the branch while it is off; check and combo
    // boxes and radio groups send or withdraw their lock requests.
    void setBranchEnabled(QTreeWidgetItem *item, bool on);

    // Rows come only through the factories and addBranch.
    void addWidget(QWidget *widget, int pos) override;
    // Opens a branch row of this tree and makes it the current row.
    void showChild(Container *child) override;
    // Opens and selects the top-level row that holds the widget.
    void showWidget(QWidget *widget) override;

    // How tree rows title their captioned kinds.
    static CaptionRule rowCaptionRule(CaptionedKind kind);

    // The next row made in this tree, at the top or in a branch, is titled
    // and registered at once but takes its widget only with
    // attachHeldRowWidget(): a builder fills a new child container first,
    // so that the row shows it complete (one polish and one layout pass)
    // instead of laying it out again for every child it gets.
    void holdNextRowWidget() { m_holdNextRowWidget = true; }
    // Puts the held widget into its row, as the row would have at once; a
    // widget hidden on purpose in the meantime stays hidden. Also ends a
    // hold that no row took.
    void attachHeldRowWidget();

public slots:
    // Connected to toggled(bool) of every branch button.
    void disableBranch(bool checked);
    // Runs this page's select lists when the tab widget holding it changes tab.
    void childSetDef(int index);

protected:
    void placeChild(QWidget *child, const QString &title, int pos) override;
    CaptionRule captionRule(CaptionedKind kind) const override;

private:
    friend class TreeWidgetItem;
    // Connects a branch button and remembers the widget's row.
    void registerBranch(QWidget *widget, TreeWidgetItem *row);
    void switchNestedBranch(QTreeWidgetItem *row, QWidget *widget, bool on);
    void switchLeaf(QWidget *widget, bool on);
    // Puts widget into column 1 of row, or holds it back when asked to.
    void setRowWidget(QTreeWidgetItem *row, QWidget *widget);

    QMap<QWidget *, TreeWidgetItem *> m_branchToggles;
    QMap<QWidget *, TreeWidgetItem *> m_rowsByWidget;
    QTreeWidget *m_tree;
    bool m_holdNextRowWidget = false;
    QTreeWidgetItem *m_heldRow = nullptr;
    QPointer<QWidget> m_heldWidget;
};

// The tree containers as the panel reader and writer reach them:
// the view of a tree container; null for any other object.
QTreeWidget *treeViewOf(const QObject *object);
// Whether the container takes branch rows: a tree or one of its branches.
bool takesBranches(Container *container);
// A new branch row of a tree or branch container, titled text with widget in it; null for any other container.
TreeWidgetItem *addBranchTo(Container *container, const QString &text, QWidget *widget);
