#include "timerlabel.h"

#include "elementhost.h"
#include "kindedits.h"
#include "programstate.h"

#include <QPointer>
#include <QTimer>

#include <limits>

// A sendUSB delay processes events. Qt holds back a timer's timeout while the
// last one is handled, but a timer started again meanwhile (an action's
// T.run=1) runs its next walk inside the one that waits. While the delay is
// longer than the interval each nested walk would start the next before it
// ends, and the stack would only grow: timeouts beyond this depth count but
// run no actions.
static constexpr int maxNestedWalks = 16;

TimerLabel::TimerLabel(const QString &name, QWidget *parent)
    : QLabel(parent)
    , ValueElement(this)
    , m_timer(new QTimer(this))
{
    setObjectName(name.isEmpty() ? QStringLiteral("TIMER_%1").arg(ProgramState::instance().timerCount++) : name);
    setText(QStringLiteral("0"));
    m_timer->setTimerType(Qt::PreciseTimer);
    // Connected once here rather than in initialize(), which every panel
    // reset calls again: a second connection would count each timeout twice.
    connect(m_timer, &QTimer::timeout, this, &TimerLabel::IncrementCounter, Qt::DirectConnection);
}

TimerLabel::~TimerLabel()
{
    m_timer->stop();
}

void TimerLabel::setDefaultInterval(int ms)
{
    m_interval = m_defaultInterval = qMax(0, ms);
}

void TimerLabel::setRun(bool on)
{
    m_run = on;
}

void TimerLabel::setSingleShot(bool on)
{
    m_singleShot = on;
}

void TimerLabel::setInterval(int ms)
{
    m_interval = qMax(0, ms);
    m_timer->setInterval(m_interval);
}

bool TimerLabel::isRunning() const
{
    return m_timer->isActive();
}

void TimerLabel::setRunning(bool running)
{
    if (running)
        m_timer->start(m_interval);
    else
        m_timer->stop();
}

void TimerLabel::reset()
{
    m_counter = 0;
    m_interval = m_defaultInterval;
    if (m_run)
        m_timer->start(m_defaultInterval);
}

void TimerLabel::setValue(const QString &text, int keyword)
{
    switch (keyword) {
    case KeywordValue:
        m_counter = text.toInt();
        break;
    case 5: // "interval"
        setInterval(text.toInt());
        break;
    case 6: // "run"
        setRunning(text.toInt() != 0);
        break;
    default:
        break;
    }
}

void TimerLabel::loadValue(const QString &text)
{
    Q_UNUSED(text)
}

QString TimerLabel::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
    case KeywordDefineValue:
        return QString::number(m_counter);
    case KeywordTypeInfo:
        return QStringLiteral("TimerLabel");
    default:
        return unsupportedKeyword(keyword);
    }
}

QString TimerLabel::storedValueText()
{
    return QString();
}

void TimerLabel::initialize()
{
    if (host() && host()->feedsFormula(objectName()))
        updateMathLabels();
    m_timer->setSingleShot(m_singleShot);
    if (m_run)
        m_timer->start(m_interval);
}

bool TimerLabel::acceptsBitRange(int msb, int lsb)
{
    Q_UNUSED(msb)
    Q_UNUSED(lsb)
    return true;
}

void TimerLabel::enable(bool on)
{
    enableUnlessLocked(this, on);
}

void TimerLabel::IncrementCounter()
{
    // An action may open another panel, which takes this timer with it.
    ElementGuard guard(this, host());
    m_counter = m_counter == std::numeric_limits<int>::max() ? 0 : m_counter + 1;
    setText(value(KeywordValue, 1));
    if (m_walkDepth >= maxNestedWalks)
        return;
    const QPointer<TimerLabel> self(this);
    ++m_walkDepth;
    const bool alive = runTimerActions(guard);
    if (self)
        --m_walkDepth;
    if (alive)
        updateMathLabels();
}

bool TimerLabel::runTimerActions(const ElementGuard &guard)
{
    // The reader files a timer's actions under "changed" only; the event is
    // not looked at. resetGUI has no timer signal and is passed over.
    ActionRules rules;
    rules.kinds = QStringList{QStringLiteral("sendUSB"), QStringLiteral("setDef"), QStringLiteral("loadFile"),
                              QStringLiteral("startProgram"), QStringLiteral("runScript")};
    rules.signalEvent = QStringLiteral("changed");
    return runActions(guard, rules);
}

bool editTimerLabelRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *timer = qobject_cast<TimerLabel *>(element);
    if (!timer)
        return false;
    if (row == QLatin1String("run"))
        timer->setRunning(value.toUInt() != 0);
    else if (row == QLatin1String("singleShot"))
        timer->setSingleShot(value.toUInt() != 0);
    else if (row == QLatin1String("interval"))
        timer->setInterval(value.toInt());
    else
        return false;
    writes->append({row, value});
    return true;
}

void listTimerLabelRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<TimerLabel *>(element);
    if (!e)
        return;
    rows->append(attributeRow(e, "run", "run"));
    rows->append(attributeRow(e, "singleShot", "singleShot"));
    rows->append(attributeRow(e, "interval", "interval"));
}
