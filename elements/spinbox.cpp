#include "spinbox.h"

SpinBox::SpinBox(const QString &name, QWidget *parent)
    : QSpinBox(parent)
{
    setObjectName(name);
}
