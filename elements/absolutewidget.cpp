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
