#include "lineedit.h"

LineEdit::LineEdit(const QString &name, QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(name);
}
