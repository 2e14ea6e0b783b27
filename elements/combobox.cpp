#include "combobox.h"

ComboBox::ComboBox(const QString &name, QWidget *parent)
    : QComboBox(parent)
{
    setObjectName(name);
}
