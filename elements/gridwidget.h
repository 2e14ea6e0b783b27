#pragma once

#include "widgetcontainer.h"

#include <QFrame>
#include <QList>

class QGridLayout;

// Children fill a fixed number of columns row by row in the order they come;
// an insert at a position lays the whole grid out again.
class GridWidget : public QFrame, public WidgetContainer
{
    Q_OBJECT
    Q_INTERFACES(Container)

public:
    explicit GridWidget(QWidget *parent = nullptr);

    // Changes the number of columns and reflows every child row by row. A count
    // below 1 (an absent or zero attribute) keeps the current one.
    void setColumns(int count);
    int columns() const { return m_columns; }
    // The cell the next appended child goes to.
    int nextRow() const { return m_row; }
    int nextColumn() const { return m_column; }
    // Its child's index in its layout (in cell order).
    int layoutIndexOf(QWidget *child) const override;

public slots:
    // Runs this page's select lists when the tab widget holding it changes tab.
    void childSetDef(int index);

protected:
    // pos -1 takes the next cell; any other position is an index in cell order
    // (past the end, or another negative number, appends).
    void placeChild(QWidget *child, const QString &title, int pos) override;

private:
    void append(QWidget *child);
    QList<QWidget *> takeAll();
    void layOut(const QList<QWidget *> &widgets);

    int m_row = 0;
    int m_column = 0;
    int m_columns = 4;
    QGridLayout *m_layout;
};
