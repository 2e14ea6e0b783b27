#pragma once

#include "widgetcontainer.h"

#include <QFrame>
#include <QGroupBox>
#include <QWidget>

class QResizeEvent;

// The three containers that line their children up in a box layout (the
// default placement of WidgetContainer). Each can be a tab page with select
// lists (childSetDef).

// A titled frame with a horizontal row.
class GroupBox : public QGroupBox, public WidgetContainer
{
    Q_OBJECT
    Q_INTERFACES(Container)

public:
    explicit GroupBox(const QString &title, QWidget *parent = nullptr);
    // Its child's index in its layout.
    int layoutIndexOf(QWidget *child) const override;

public slots:
    void childSetDef(int index);
};

// A horizontal row, optionally drawn over the image named by the property "image".
class HorizontalWidget : public QFrame, public WidgetContainer
{
    Q_OBJECT
    Q_INTERFACES(Container)

public:
    explicit HorizontalWidget(QWidget *parent = nullptr);
    // Its child's index in its layout.
    int layoutIndexOf(QWidget *child) const override;

public slots:
    void childSetDef(int index);

protected:
    // Scales the background image to the new size.
    void resizeEvent(QResizeEvent *event) override;
};

// A vertical column.
class VerticalWidget : public QWidget, public WidgetContainer
{
    Q_OBJECT
    Q_INTERFACES(Container)

public:
    explicit VerticalWidget(QWidget *parent = nullptr);
    // Its child's index in its layout.
    int layoutIndexOf(QWidget *child) const override;

public slots:
    void childSetDef(int index);
};

// The panel reader's "stretch" attribute of a child of a vertical or
// horizontal container: the container's box ends with a stretch whose factor
// is the child's index in it. A child of any other parent is left alone.
void addChildStretch(QWidget *child);
