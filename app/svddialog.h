#pragma once

#include <QDialog>
#include <QModelIndex>

class ActiveElement;
class Panel;
class QStandardItemModel;
class QTreeView;

// The register model of the open panel as a tree: modules, their registers and
// the registers' fields, from the SVD file and from the panel's register-bound
// defines. Fields that no element is bound to have a yellow background; a
// double click on a row whose path names an element asks for that element to
// be brought into view.
class ShowSvdDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ShowSvdDialog(Panel *panel, QWidget *parent = nullptr);

    QTreeView *treeView() const { return m_tree; }
    QStandardItemModel *model() const { return m_model; }

    // The register path of a row: the texts of the row and its ancestors,
    // each cut at its first " (", joined from the top down with ".".
    QString pathOf(const QModelIndex &index) const;

signals:
    // The element registered under the double-clicked row's path.
    void elementActivated(ActiveElement *element);

public slots:
    void on_doubleClicked(const QModelIndex &index);
    void expandAll();

private:
    void buildTree();

    Panel *m_panel;
    QTreeView *m_tree;
    QStandardItemModel *m_model;
};
