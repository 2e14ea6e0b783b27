#include "slider.h"

Slider::Slider(const QString &name, QWidget *parent)
    : QSlider(parent)
{
    setObjectName(name);
}
