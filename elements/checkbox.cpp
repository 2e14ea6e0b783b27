#include "checkbox.h"

CheckBox::CheckBox(const QString &name, const QString &text, QWidget *parent)
    : QCheckBox(text, parent)
{
    setObjectName(name);
}
