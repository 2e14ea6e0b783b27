#include "hexspinbox.h"

HexSpinBox::HexSpinBox(const QString &name, QWidget *parent)
    : SpinBox(name, parent)
{
}
