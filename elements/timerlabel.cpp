#include "timerlabel.h"

TimerLabel::TimerLabel(const QString &name, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(name);
}
