#pragma once

#include "widgetcontainer.h"

#include <QWidget>

// A page without a layout: its children keep the geometry the panel gives them.
class AbsoluteWidget : public QWidget, public WidgetContainer
{
    Q_OBJECT
    Q_INTERFACES(Container)

public:
    explicit AbsoluteWidget(QWidget *parent = nullptr);

public slots:
    // Runs this page's select lists when the tab widget holding it changes tab.
    void childSetDef(int index);

protected:
    // A child keeps its place; a widget moved in from elsewhere (the panel
    // editor's moves) becomes a child of the page.
    void placeChild(QWidget *child, const QString &title, int pos) override;
};
