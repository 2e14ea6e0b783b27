#include "doublespinbox.h"

DoubleSpinBox::DoubleSpinBox(const QString &name, QWidget *parent)
    : QDoubleSpinBox(parent)
{
    setObjectName(name);
}
