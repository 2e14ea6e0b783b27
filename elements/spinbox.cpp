#include "spinbox.h"

#include "errorreporter.h"
#include "eventfilters.h"
#include "numberliteral.h"

SpinBox::SpinBox(const QString &name, QWidget *parent)
    : QSpinBox(parent)
    , ValueElement(this)
{
    setRange(-initialLimit, initialLimit);
    setObjectName(name);
    installWheelGuard(this);
    // The value changes on Enter or when the focus leaves, not on every key.
    setKeyboardTracking(false);
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
    if (!runSendData(value))
        return;
    markModified();
    updateToolTip();
}

void SpinBox::valueChangedByUser(int value)
{
    recordSet(this, QString::number(value));
    ElementGuard guard(this);
    emit changedByUser();
    if (!guard.alive())
        return;
    storedValue = value;
    valueChanged(value);
}

void SpinBox::sendData(int value)
{
    runSendData(value);
}

bool SpinBox::runSendData(int value)
{
    Q_UNUSED(value)
    ElementGuard guard(this);
    ActionRules rules;
    rules.kinds = QStringList{QStringLiteral("sendUSB"), QStringLiteral("setDef"), QStringLiteral("runScript")};
    rules.signalEvent = QStringLiteral("changed");
    if (!runActions(guard, rules))
        return false;
    emit updateMathLabels();
    return guard.alive();
}

void SpinBox::enable(bool on)
{
    // Also while locked: any request re-enables a locked spin box.
    setEnabled(on);
}

// ---------------------------------------------------------------------------
// Values

QString SpinBox::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
        return QString::number(value());
    case KeywordDefineValue: {
        const int shift = lsb();
        const quint32 v = quint32(value());
        return QString::number(shift == -1 ? v : v << (shift & 31));
    }
    case KeywordTypeInfo:
        return QStringLiteral("SpinBox");
    default:
        return unsupportedKeyword(keyword);
    }
}

void SpinBox::setValue(const QString &text, int keyword)
{
    const QString valueText = resolveReference(text);
    bool ok = false;
    const int v = keyword == KeywordValue ? valueText.toInt(&ok, 10) : 0;
    if (!ok || v < minimum() || v > maximum()) {
        reportInvalidSetValue(this, valueText);
        return;
    }
    ElementGuard guard(this);
    {
        // Neither the user's path nor the recorder runs for a program's change.
        const QSignalBlocker blocker(this);
        setValue(v);
        valueChanged(value());
    }
    if (guard.alive())
        emit updateMathLabels();
}

void SpinBox::loadValue(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < minimum() || v > maximum()) {
        reportInvalidLoadValue(this, text);
        return;
    }
    {
        const QSignalBlocker blocker(this);
        setValue(v);
    }
    storedValue = v;
}

void SpinBox::resetToDefault()
{
    const QString defaultText = elementProperty("my_default").toString();
    bool read = true;
    qint64 number = 0;
    if (!defaultText.isEmpty()) {
        QString text = defaultText;
        const int keyword = keywordIndexOf(text);
        stripKeyword(text, keyword);
        read = false;
        if (keyword == KeywordValue && isHexLiteral(text)) {
            QString digits = text;
            digits.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('u'));
            const quint64 hex = digits.mid(2).toULongLong(&read, 16);
            number = qint64(qMin<quint64>(hex, quint64(maximum())));
        } else if (keyword == KeywordValue && isDecimalLiteral(text)) {
            number = text.toLongLong(&read, 10);
        }
        if (!read)
            number = 0;
    }
    // An empty default is 0, or the nearest value of the range to it.
    storedValue = int(qBound<qint64>(minimum(), number, maximum()));
    if (!read) {
        reportInvalidSetValue(this, defaultText);
        return;
    }
    setValue(storedValue);
}

void SpinBox::reapplyStoredValue()
{
    setValue(storedValue);
}

QString SpinBox::storedValueText()
{
    return QString::number(storedValue);
}

bool SpinBox::acceptsBitRange(int msb, int lsb)
{
    if (msb == -1 || lsb == -1)
        return true;
    const int width = msb - lsb + 1;
    const int mask = width < 1 ? 0 : width < 31 ? (1 << width) - 1 : initialLimit;
    if (maximum() == initialLimit || minimum() == -initialLimit) {
        setRange(0, mask);
        return true;
    }
    return mask >= maximum() && minimum() >= 0;
}
