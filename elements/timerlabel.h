#pragma once

#include "valueelement.h"

#include <QLabel>

class QTimer;

// A panel's timer: a label that counts the timeouts of its own timer and runs
// its "changed" actions (sendUSB, setDef, loadFile, startProgram, runScript)
// on each one. Its value is the counter. A timer without a name is TIMER_n,
// numbered for the whole run.
//
// The run flag says whether initialize() and reset() start the timer; the
// interval set by setDefaultInterval() is the one a reset returns to, while
// setInterval() and the "interval" keyword change only the current one.
class TimerLabel : public QLabel, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    explicit TimerLabel(const QString &name, QWidget *parent = nullptr);
    ~TimerLabel() override;

    // The current and the default interval, in milliseconds.
    void setDefaultInterval(int ms);
    // Whether initialize() and reset() start the timer.
    void setRun(bool on);
    // Fire once per start; takes effect at the next initialize().
    void setSingleShot(bool on);
    // The current interval, also of a running timer.
    void setInterval(int ms);

    int counter() const { return m_counter; }
    int interval() const { return m_interval; }
    int defaultInterval() const { return m_defaultInterval; }
    bool runs() const { return m_run; }
    bool isSingleShot() const { return m_singleShot; }
    // Whether the timer is running now.
    bool isRunning() const;

    // Starts the timer with the current interval, or stops it.
    void setRunning(bool running);
    // Counter 0 and the default interval again; starts the timer when its run
    // flag is set. The label keeps showing the old count until the next timeout.
    void reset();

    // ActiveElement. Keywords 0 and 3 give the counter, 4 the class name.
    // setValue: 0 sets the counter (the label is not redrawn), 5 ("interval")
    // the current interval, 6 ("run") stops the timer on 0 and starts it on
    // any other number; other keywords are ignored.
    void setValue(const QString &text, int keyword) override;
    void loadValue(const QString &text) override;
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    bool acceptsBitRange(int msb, int lsb) override;
    void updateToolTip() override {}

public slots:
    void enable(bool on) override;
    // One timeout: the counter goes up and is shown, then the actions run,
    // then the formulas and displays that read the timer are told. A timeout
    // that comes while 16 walks of this timer wait inside one another (a
    // sendUSB delay, the timer started again meanwhile) only counts.
    void IncrementCounter();

private:
    // The "changed" actions of entry "0"; false when the timer went away
    // during one of them.
    bool runTimerActions(const ElementGuard &guard);

    int m_counter = 0;
    bool m_run = false;
    int m_interval = 0;
    int m_defaultInterval = 0;
    bool m_singleShot = false;
    // The walks of this timer running now, one inside the other.
    int m_walkDepth = 0;
    QTimer *m_timer;
};

// The timer label behind an element; null for any other element.
inline TimerLabel *timerLabelOf(const ActiveElement *element)
{
    return qobject_cast<TimerLabel *>(objectOf(element));
}
