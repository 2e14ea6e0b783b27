#include "doublespinbox.h"

#include "definevalue.h"
#include "errorreporter.h"
#include "eventfilters.h"
#include "kindedits.h"

#include <QLocale>

#include <cmath>

DoubleSpinBox::DoubleSpinBox(const QString &name, QWidget *parent)
    : QDoubleSpinBox(parent)
    , NumericElement(this, false)
{
    setRange(-9999999999999.0, 9999999999999.0);
    setDecimals(5);
    // The decimal point whatever the system's locale.
    setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    setObjectName(name);
    installWheelGuard(this);
    setKeyboardTracking(false);
}

void DoubleSpinBox::initialize()
{
    connect(this, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this,
            &DoubleSpinBox::valueChangedByUser, Qt::UniqueConnection);
    // No confirmation filter on a double spin box.
    finishInitialize(nullptr);
}

// ---------------------------------------------------------------------------
// Change paths

void DoubleSpinBox::valueChanged(double value)
{
    Q_UNUSED(value)
    programChange();
}

void DoubleSpinBox::valueChangedByUser(double value)
{
    doubleChangedByUser(value, &m_storedValue);
}

void DoubleSpinBox::sendData(double value)
{
    Q_UNUSED(value)
    runChangeActions();
}

void DoubleSpinBox::enable(bool on)
{
    enableUnlessLocked(this, on);
}

void DoubleSpinBox::makeReadOnly()
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

// ---------------------------------------------------------------------------
// Values

QString DoubleSpinBox::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
    case KeywordDefineValue:
        return cleanText();
    case KeywordTypeInfo:
        return QStringLiteral("DoubleSpinBox");
    default:
        return unsupportedKeyword(keyword);
    }
}

void DoubleSpinBox::setValue(const QString &text, int keyword)
{
    const QString valueText = resolveReference(text);
    bool ok = false;
    const double v = valueText.toDouble(&ok);
    if (!ok || !within(v, minimum(), maximum()) || keyword != KeywordValue) {
        reportInvalidSetValue(this, valueText);
        return;
    }
    applyBlocked([this, v] { setValue(v); });
}

void DoubleSpinBox::loadValue(const QString &text)
{
    loadDouble(text, minimum(), maximum(), [this](double v) { setValue(v); }, &m_storedValue);
}

void DoubleSpinBox::resetToDefault()
{
    const QString defaultText = elementProperty("my_default").toString();
    double v = 0.0;
    if (!defaultText.isEmpty()) {
        const int point = defaultText.indexOf(QLatin1Char('.'));
        setDecimals(point < 0 ? 5 : defaultText.size() - point - 1);
        // A default that is no number counts 0; it is not reported.
        v = defaultText.toDouble();
        if (!std::isfinite(v))
            v = 0.0;
    }
    // The stored value is what the widget can show, so that it loads again.
    m_storedValue = qBound(minimum(), v, maximum());
    ElementGuard guard(this, host());
    setValue(m_storedValue);
    if (guard.alive())
        m_storedValue = value();
}

void DoubleSpinBox::reapplyStoredValue()
{
    setValue(m_storedValue);
}

QString DoubleSpinBox::storedValueText()
{
    return exactText(m_storedValue);
}

bool DoubleSpinBox::acceptsBitRange(int msb, int lsb)
{
    // Only a whole define.
    return msb == -1 || lsb == -1;
}

ApplyResult DoubleSpinBox::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    return applyNumberText<DoubleSpinBox, double, double>(this, text, rule, readDefineReal, text.trimmed().toDouble(),
                                                          beforeChange, &DoubleSpinBox::valueChangedByUser, true);
}

bool editDoubleSpinBoxRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *spin = qobject_cast<DoubleSpinBox *>(element);
    if (!spin)
        return false;
    QString low;
    QString high;
    if (row == QLatin1String("Range") && splitRangeRow(value, &low, &high)) {
        spin->setRange(low.toDouble(), high.toDouble());
        writes->append({QStringLiteral("range"), QString::number(spin->minimum(), 'g', 15) + QLatin1Char(';')
                                                     + QString::number(spin->maximum(), 'g', 15)});
        return true;
    }
    if (row == QLatin1String("Prefix") || row == QLatin1String("Suffix")) {
        row == QLatin1String("Prefix") ? spin->setPrefix(value) : spin->setSuffix(value);
        writes->append({row.toLower(), value});
        return true;
    }
    if (row == QLatin1String("Step")) {
        spin->setSingleStep(double(value.toInt()));
        writes->append({QStringLiteral("step"), QString::number(spin->singleStep(), 'g', 15)});
        return true;
    }
    return false;
}

void listDoubleSpinBoxRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<DoubleSpinBox *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Prefix!") + e->prefix());
    rows->append(QStringLiteral("Suffix!") + e->suffix());
    rows->append(QStringLiteral("Range!%1..%2").arg(e->minimum(), 0, 'g').arg(e->maximum(), 0, 'g'));
    rows->append(QStringLiteral("Step!%1").arg(e->singleStep(), 0, 'g'));
}

QList<TestInputLine> DoubleSpinBox::testInputLines() const
{
    double low = std::trunc(minimum());
    if (low < 0)
        low = 0;
    double high = std::trunc(maximum());
    if (high > 32767 || high < 0)
        high = 32767;
    return {{TestInputLine::Set, low, high}};
}

QString DoubleSpinBox::rangeToolTip() const
{
    return QStringLiteral("Range: %1..%2").arg(QString::number(minimum(), 'g', 6), QString::number(maximum(), 'g', 6));
}
