#include "loglabel.h"

LogLabel::LogLabel(const QString &name, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(name);
}
