#include "togglebutton.h"

ToggleButton::ToggleButton(const QString &name, const QString &text, QWidget *parent)
    : QPushButton(parent)
{
    setObjectName(name);
    setText(text);
    setCheckable(true);
}
