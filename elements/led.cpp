#include "led.h"

Led::Led(const QString &name, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(name);
}
