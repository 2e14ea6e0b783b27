#include "spinbox.h"

#include "definevalue.h"
#include "eventfilters.h"
#include "kindedits.h"

#include <QLineEdit>

SpinBox::SpinBox(const QString &name, QWidget *parent)
    : QSpinBox(parent)
    , IntegerElement(this)
{
    setRange(-openLimit, openLimit);
    setObjectName(name);
    installWheelGuard(this);
    // The value changes on Enter or when the focus leaves, not on every key.
    setKeyboardTracking(false);
}

// ---------------------------------------------------------------------------
// The text, laid out from the first show on

QString SpinBox::textFromValue(int value) const
{
    // Before the first layout the box's text stays empty: Qt sets the line
    // edit's text only when the text it makes differs from what it shows.
    return textWanted() ? pendingPrefix() + valueText(value) : QString();
}

QString SpinBox::valueText(int value) const
{
    return QSpinBox::textFromValue(value);
}

void SpinBox::layOutText() const
{
    if (m_textLaidOut)
        return;
    const QString waiting = pendingPrefix();
    m_textLaidOut = true;
    // Qt builds the whole text again when the prefix is set or the value is
    // set (also to the value it holds); neither emits a value signal.
    auto *self = const_cast<SpinBox *>(this);
    if (!waiting.isEmpty())
        self->setPrefix(waiting);
    else
        self->QSpinBox::setValue(QSpinBox::value());
}

QString SpinBox::shownPrefix() const
{
    const QString waiting = pendingPrefix();
    return waiting.isEmpty() ? prefix() : waiting;
}

void SpinBox::setShownPrefix(const QString &prefix)
{
    if (m_textLaidOut || !this->prefix().isEmpty())
        setPrefix(prefix);
    else
        m_prefixWhenShown = prefix;
}

// Measured before the text is laid out, the box measures the texts it will
// show: value texts carry the prefix still to come (Qt puts its own prefix
// before the value text), and no text is laid out for the measure. A box on a
// tab page not shown yet is measured, not shown.
QSize SpinBox::sizeHint() const
{
    m_measuring = !m_textLaidOut;
    const QSize size = QSpinBox::sizeHint();
    m_measuring = false;
    return size;
}

QSize SpinBox::minimumSizeHint() const
{
    m_measuring = !m_textLaidOut;
    const QSize size = QSpinBox::minimumSizeHint();
    m_measuring = false;
    return size;
}

void SpinBox::showEvent(QShowEvent *event)
{
    layOutText();
    QSpinBox::showEvent(event);
}

void SpinBox::initialize()
{
    connect(this, QOverload<int>::of(&QSpinBox::valueChanged), this, &SpinBox::valueChangedByUser,
            Qt::UniqueConnection);
    finishInitialize(this);
}

// ---------------------------------------------------------------------------
// Change paths

void SpinBox::valueChanged(int value)
{
    Q_UNUSED(value)
    programChange();
}

void SpinBox::valueChangedByUser(int value)
{
    integerChangedByUser(value);
}

void SpinBox::sendData(int value)
{
    Q_UNUSED(value)
    runChangeActions();
}

void SpinBox::enable(bool on)
{
    // Also while locked: any request re-enables a locked spin box.
    setEnabled(on);
}

void SpinBox::makeReadOnly()
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

// ---------------------------------------------------------------------------
// Values

QString SpinBox::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    return integerValue(keyword, QStringLiteral("SpinBox"));
}

bool SpinBox::defineBits(quint64 *bits)
{
    *bits = integerDefineBits();
    return true;
}

void SpinBox::setValue(const QString &text, int keyword)
{
    setIntegerValue(resolveReference(text), keyword);
}

int SpinBox::widgetValue() const
{
    return QSpinBox::value();
}

void SpinBox::setWidgetValue(int value)
{
    // Setting the value lays its text out again even when nothing changes,
    // as on every load's reset to a default the box already shows.
    if (value == QSpinBox::value()
        && (!m_textLaidOut || lineEdit()->text() == prefix() + textFromValue(value) + suffix()))
        return;
    QSpinBox::setValue(value);
}

int SpinBox::widgetMinimum() const
{
    return minimum();
}

int SpinBox::widgetMaximum() const
{
    return maximum();
}

void SpinBox::setWidgetRange(int minimum, int maximum)
{
    setRange(minimum, maximum);
}

ApplyResult SpinBox::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    // The spin box's user path goes on to valueChanged itself.
    return applyNumberText<SpinBox, int, qint64>(this, text, rule, readDefineInteger, readUserDecimal(text),
                                                 beforeChange, &SpinBox::valueChangedByUser, false);
}

bool editSpinBoxRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *spin = qobject_cast<SpinBox *>(element);
    if (!spin)
        return false;
    QString low;
    QString high;
    if (row == QLatin1String("Range") && splitRangeRow(value, &low, &high)) {
        // A high bound below the low one is raised to it, as the box does.
        spin->setRange(low.toInt(), high.toInt());
        writes->append({QStringLiteral("range"), QStringLiteral("%1;%2").arg(spin->minimum()).arg(spin->maximum())});
        return true;
    }
    if (row == QLatin1String("Prefix") || row == QLatin1String("Suffix")) {
        row == QLatin1String("Prefix") ? spin->setPrefix(value) : spin->setSuffix(value);
        writes->append({row.toLower(), value});
        return true;
    }
    if (row == QLatin1String("Step")) {
        spin->setSingleStep(value.toInt());
        // A negative step is not taken.
        writes->append({QStringLiteral("step"), QString::number(spin->singleStep())});
        return true;
    }
    return false;
}

void listSpinBoxRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<SpinBox *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Prefix!") + e->shownPrefix());
    rows->append(QStringLiteral("Suffix!") + e->suffix());
    rows->append(QStringLiteral("Range!%1..%2").arg(e->minimum()).arg(e->maximum()));
    rows->append(QStringLiteral("Step!%1").arg(e->singleStep()));
}

QList<TestInputLine> SpinBox::testInputLines() const
{
    return {{TestInputLine::Set, double(qMax(minimum(), 0)), double(qMin(maximum(), 32767))}};
}
