#pragma once

#include "activeelement.h"

#include <QLabel>

// A label that runs actions on a timer; the timer comes with the element.
class TimerLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TimerLabel(const QString &name, QWidget *parent = nullptr);

    // Starts or stops the label's timer.
    void setRunning(bool running);
    // Counter 0 and the default interval again; starts the timer when its run
    // flag is set.
    void reset();
};

// The timer label behind an element; null for any other element.
inline TimerLabel *timerLabelOf(const ActiveElement *element)
{
    return qobject_cast<TimerLabel *>(objectOf(element));
}
