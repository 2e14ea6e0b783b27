#include "pushbutton.h"

PushButton::PushButton(const QString &name, const QString &text, QWidget *parent)
    : QPushButton(parent)
{
    setObjectName(name);
    setText(text);
}
