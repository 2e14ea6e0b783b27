#include "numericelement.h"

#include "errorreporter.h"
#include "numberliteral.h"

#include <QLocale>
#include <QPointer>
#include <QWidget>

#include <limits>

// A hexadecimal or decimal literal, optionally after "value="; *read is false
// for any other text. Hexadecimal numbers beyond the signed 64-bit range give
// its largest value.
static qint64 integerDefault(const QString &defaultText, bool *read)
{
    QString text = defaultText;
    const int keyword = keywordIndexOf(text);
    stripKeyword(text, keyword);
    *read = false;
    qint64 number = 0;
    if (keyword == KeywordValue && isHexLiteral(text)) {
        QString digits = text;
        digits.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('u'));
        const quint64 hex = digits.mid(2).toULongLong(read, 16);
        number = qint64(qMin<quint64>(hex, quint64(std::numeric_limits<qint64>::max())));
    } else if (keyword == KeywordValue && isDecimalLiteral(text)) {
        number = text.toLongLong(read, 10);
    }
    return *read ? number : 0;
}

NumericElement::NumericElement(QWidget *widget, bool runsScripts)
    : ValueElement(widget)
    , m_runsScripts(runsScripts)
{
}

QWidget *NumericElement::widget() const
{
    return static_cast<QWidget *>(ValueElement::elementObject());
}

bool NumericElement::acceptsBitField(int msb, int lsb, double minimum, double maximum,
                                     const std::function<void(int limit)> &narrow)
{
    if (msb == -1 || lsb == -1)
        return true;
    // Reversed bits leave no room at all.
    const int width = msb - lsb + 1;
    const int limit = width < 1 ? 0 : width < 31 ? (1 << width) - 1 : openLimit;
    if (maximum == openLimit || minimum == -openLimit) {
        narrow(limit);
        return true;
    }
    return limit >= maximum && minimum >= 0;
}

QString NumericElement::exactText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

bool NumericElement::within(double value, double minimum, double maximum)
{
    return value >= minimum && value <= maximum;
}

bool NumericElement::integerDefaultWithin(double minimum, double maximum, double *value)
{
    const QString defaultText = elementProperty("my_default").toString();
    bool read = true;
    const qint64 number = defaultText.isEmpty() ? 0 : integerDefault(defaultText, &read);
    // An empty default is 0, or the nearest value of the range to it.
    *value = qBound(minimum, double(number), maximum);
    if (!read)
        reportInvalidSetValue(elementObject(), defaultText);
    return read;
}

// ---------------------------------------------------------------------------
// Change paths

bool NumericElement::runChangeActions()
{
    ElementGuard guard(elementObject(), host());
    ActionRules rules;
    rules.kinds = QStringList{QStringLiteral("sendUSB"), QStringLiteral("setDef")};
    if (m_runsScripts)
        rules.kinds.append(QStringLiteral("runScript"));
    rules.signalEvent = QStringLiteral("changed");
    if (!runActions(guard, rules))
        return false;
    updateMathLabels();
    return guard.alive();
}

void NumericElement::programChange()
{
    if (!runChangeActions())
        return;
    markModified();
    updateToolTip();
}

bool NumericElement::userChange(const QString &value, const QString &consoleValue)
{
    recordSet(widget(), value, consoleValue);
    ElementGuard guard(elementObject(), host());
    signalState().raise(&ElementSignals::changedByUser);
    return guard.alive();
}

void NumericElement::doubleChangedByUser(double value, double *stored)
{
    if (!userChange(exactText(value), QString::number(value, 'g', 6)))
        return;
    *stored = value;
    programChange();
}

void NumericElement::loadDouble(const QString &text, double minimum, double maximum,
                                const std::function<void(double)> &setWidget, double *stored)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !within(value, minimum, maximum)) {
        reportInvalidLoadValue(elementObject(), text);
        return;
    }
    {
        const QSignalBlocker blocker(elementObject());
        setWidget(value);
    }
    // The number as read, whatever the widget rounds it to.
    *stored = value;
}

void NumericElement::applyBlocked(const std::function<void()> &setWidget)
{
    ElementGuard guard(elementObject(), host());
    // Not a QSignalBlocker: an action may delete the element on the way, and
    // the state is then restored on nothing.
    QPointer<QObject> object = elementObject();
    const bool wasBlocked = object->blockSignals(true);
    setWidget();
    programChange();
    if (!object)
        return;
    object->blockSignals(wasBlocked);
    if (guard.alive())
        updateMathLabels();
}

// ---------------------------------------------------------------------------
// Integer elements

IntegerElement::IntegerElement(QWidget *widget)
    : NumericElement(widget, true)
{
}

void IntegerElement::integerChangedByUser(int value)
{
    if (!userChange(QString::number(value)))
        return;
    m_storedValue = value;
    programChange();
}

QString IntegerElement::integerValue(int keyword, const QString &typeName)
{
    switch (keyword) {
    case KeywordValue:
        return QString::number(widgetValue());
    case KeywordDefineValue: {
        const int shift = lsb();
        const quint32 v = quint32(widgetValue());
        return QString::number(shift == -1 ? v : v << (shift & 31));
    }
    case KeywordTypeInfo:
        return typeName;
    default:
        return unsupportedKeyword(keyword);
    }
}

quint64 IntegerElement::integerDefineBits()
{
    const int shift = lsb();
    const quint32 v = quint32(widgetValue());
    return shift == -1 ? v : quint32(v << (shift & 31));
}

void IntegerElement::setIntegerValue(const QString &valueText, int keyword)
{
    bool ok = false;
    const int v = keyword == KeywordValue ? valueText.toInt(&ok, 10) : 0;
    if (!ok || v < widgetMinimum() || v > widgetMaximum()) {
        reportInvalidSetValue(elementObject(), valueText);
        return;
    }
    // Neither the user's path nor the recorder runs for a program's change.
    applyBlocked([this, v] { setWidgetValue(v); });
}

void IntegerElement::loadValue(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || v < widgetMinimum() || v > widgetMaximum()) {
        reportInvalidLoadValue(elementObject(), text);
        return;
    }
    {
        const QSignalBlocker blocker(elementObject());
        setWidgetValue(v);
    }
    m_storedValue = v;
}

void IntegerElement::resetToDefault()
{
    double value = 0.0;
    const bool read = integerDefaultWithin(widgetMinimum(), widgetMaximum(), &value);
    m_storedValue = int(value);
    if (read)
        setWidgetValue(m_storedValue);
}

void IntegerElement::reapplyStoredValue()
{
    setWidgetValue(m_storedValue);
}

QString IntegerElement::storedValueText()
{
    return QString::number(m_storedValue);
}

bool IntegerElement::acceptsBitRange(int msb, int lsb)
{
    return acceptsBitField(msb, lsb, widgetMinimum(), widgetMaximum(),
                           [this](int limit) { setWidgetRange(0, limit); });
}

QString IntegerElement::rangeToolTip() const
{
    return QLatin1String("Range: ") + QString::number(widgetMinimum()) + QLatin1String("..")
        + QString::number(widgetMaximum());
}
