#include "container.h"

Container::~Container() = default;

void Container::showWidget(QWidget *widget)
{
    Q_UNUSED(widget)
}
