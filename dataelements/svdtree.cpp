#include "svdtree.h"

SvdTree::SvdTree(const QString &name, QWidget *parent)
    : QTreeWidget(parent)
{
    setObjectName(name);
}
