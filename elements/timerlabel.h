#pragma once

#include <QLabel>

// A label that runs actions on a timer; the timer comes with the element.
class TimerLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TimerLabel(const QString &name, QWidget *parent = nullptr);

    // Starts or stops the label's timer.
    void setRunning(bool running);
};
