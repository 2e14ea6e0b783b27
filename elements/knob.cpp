#include "knob.h"

Knob::Knob(const QString &name, QWidget *parent)
    : QwtKnob(parent)
{
    setObjectName(name);
}
