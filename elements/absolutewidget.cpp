#include "absolutewidget.h"

#include "tabwidget.h"

AbsoluteWidget::AbsoluteWidget(QWidget *parent)
    : QWidget(parent)
    , WidgetContainer(this)
{
}

void AbsoluteWidget::childSetDef(int index)
{
    Q_UNUSED(index)
    TabWidget::runPageSelectLists(sender(), this);
}

void AbsoluteWidget::placeChild(QWidget *child, const QString &title, int pos)
{
    Q_UNUSED(title)
    Q_UNUSED(pos)
    if (child && child->parentWidget() != this)
        child->setParent(this);
}
