// MainWindow: the window's view of the panel it shows: the project file name
// in the title, the elements the find dialog can mark, and expanding or
// collapsing the branches of the panel's trees.
#include "mainwindow.h"

#include "quillpanel.h"
#include "treewidget.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScrollArea>
#include <QTabWidget>
#include <QTreeWidget>

void MainWindow::setCurrentFile(const QString &file)
{
    setWorkingDir(QFileInfo(file).absolutePath());
    m_projectFile = file;
    setWindowTitle(QStringLiteral("Quillmate ") + QDir::toNativeSeparators(file) + QStringLiteral("[*]"));
    setWindowModified(false);
}

QString MainWindow::getCurrentFileName() const
{
    return QFileInfo(m_projectFile).fileName();
}

static void setExpandedRecursively(QTreeWidgetItem *item, bool expand)
{
    item->setExpanded(expand);
    for (int i = 0; i < item->childCount(); ++i)
        setExpandedRecursively(item->child(i), expand);
}

void MainWindow::expandOrCollapseBranch(bool expand)
{
    if (auto *tree = qobject_cast<QTreeWidget *>(QApplication::focusWidget())) {
        if (QTreeWidgetItem *item = tree->currentItem()) {
            setExpandedRecursively(item, expand);
            return;
        }
    }
    auto *area = qobject_cast<QScrollArea *>(centralWidget());
    auto *tabs = area ? qobject_cast<QTabWidget *>(area->widget()) : nullptr;
    QTreeWidget *tree = tabs ? treeViewOf(tabs->currentWidget()) : nullptr;
    if (!tree)
        return;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        setExpandedRecursively(tree->topLevelItem(i), expand);
}

void MainWindow::expandBranch()
{
    expandOrCollapseBranch(true);
}

void MainWindow::collapseBranch()
{
    expandOrCollapseBranch(false);
}

