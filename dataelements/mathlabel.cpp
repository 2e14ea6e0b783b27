#include "mathlabel.h"

MathLabel::MathLabel(const QString &name, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(name);
}
