#include "timerlabel.h"

TimerLabel::TimerLabel(const QString &name, QWidget *parent)
    : QLabel(parent)
{
    setObjectName(name);
}

void TimerLabel::setRunning(bool running)
{
    Q_UNUSED(running)
}

void TimerLabel::reset()
{
}
