#pragma once

#include <QTreeWidget>

// The registers of an SVD file as a tree; reading comes with the SVD tree.
class SvdTree : public QTreeWidget
{
    Q_OBJECT
public:
    explicit SvdTree(const QString &name, QWidget *parent = nullptr);
};
