#include "pinmapping.h"

PinMapping::PinMapping(const QString &name, QWidget *parent)
    : QGraphicsView(parent)
{
    setObjectName(name);
}
