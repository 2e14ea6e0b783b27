#include "knob.h"

#include "definevalue.h"
#include "errorreporter.h"
#include "eventfilters.h"
#include "kindedits.h"

#include <qwt_scale_div.h>

#include <cmath>

Knob::Knob(const QString &name, QWidget *parent)
    : QwtKnob(parent)
    , NumericElement(this, true)
{
    setScale(0.0, 100.0);
    setObjectName(name);
    installWheelGuard(this);
}

void Knob::initialize()
{
    connect(this, &QwtAbstractSlider::valueChanged, this, &Knob::valueChangedByUser, Qt::UniqueConnection);
    finishInitialize(this);
}

// ---------------------------------------------------------------------------
// Change paths

void Knob::valueChanged(double value)
{
    Q_UNUSED(value)
    programChange();
}

void Knob::valueChangedByUser(double value)
{
    doubleChangedByUser(value, &m_storedValue);
}

void Knob::sendData(double value)
{
    Q_UNUSED(value)
    runChangeActions();
}

void Knob::enable(bool on)
{
    // Also while locked.
    setEnabled(on);
}

// ---------------------------------------------------------------------------
// Values

QString Knob::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
        return exactText(value());
    case KeywordDefineValue: {
        // Kept within 64 bits, whatever scale the knob was given.
        const qint64 integer = qint64(qBound(-0x1p62, std::trunc(value()), 0x1p62));
        return QString::number(qint64(defineValueOf(quint64(integer), lsb())));
    }
    case KeywordTypeInfo:
        return QStringLiteral("Knob");
    default:
        return unsupportedKeyword(keyword);
    }
}

void Knob::setValue(const QString &text, int keyword)
{
    bool ok = false;
    const double v = keyword == KeywordValue ? std::trunc(text.toDouble(&ok)) : 0.0;
    if (!ok || !within(v, minimum(), maximum())) {
        reportInvalidSetValue(this, text);
        return;
    }
    applyBlocked([this, v] { setValue(v); });
}

void Knob::loadValue(const QString &text)
{
    loadDouble(text, minimum(), maximum(), [this](double v) { setValue(v); }, &m_storedValue);
}

void Knob::resetToDefault()
{
    if (integerDefaultWithin(minimum(), maximum(), &m_storedValue))
        setValue(m_storedValue);
}

void Knob::reapplyStoredValue()
{
    setValue(m_storedValue);
}

QString Knob::storedValueText()
{
    return exactText(m_storedValue);
}

bool Knob::acceptsBitRange(int msb, int lsb)
{
    return acceptsBitField(msb, lsb, lowerBound(), upperBound(),
                           [this](int limit) { setScale(0.0, double(limit)); });
}

ApplyResult Knob::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    // A knob takes whole steps: a fraction is refused, as by the spin boxes
    // and sliders, rather than cut without a word.
    return applyNumberText<Knob, double, qint64>(this, text, rule, readDefineInteger, double(readUserDecimal(text)),
                                                 beforeChange, &Knob::valueChangedByUser, true);
}

bool editKnobRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *knob = qobject_cast<Knob *>(element);
    QString lowText;
    QString highText;
    if (knob && row == QLatin1String("Range") && splitRangeRow(value, &lowText, &highText)) {
        // Fractional bounds are kept as written.
        const double low = lowText.toDouble();
        const double high = highText.toDouble();
        knob->setScale(low, high);
        writes->append({QStringLiteral("range"),
                        QString::number(low, 'g', 15) + QLatin1Char(';') + QString::number(high, 'g', 15)});
        return true;
    }
    if (!knob || row != QLatin1String("Step"))
        return false;
    // The knob's step count; the file's "step" is its single step (a count
    // follows from the range), so nothing is recorded.
    knob->setTotalSteps(uint(value.toInt()));
    return true;
}

void listKnobRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<Knob *>(element);
    if (!e)
        return;
    const QwtScaleDiv &scale = e->scaleDiv();
    rows->append(QStringLiteral("Range!%1..%2").arg(scale.lowerBound(), 0, 'g').arg(scale.upperBound(), 0, 'g'));
    rows->append(QStringLiteral("Step!%1").arg(e->totalSteps()));
}

QString Knob::rangeToolTip() const
{
    return QStringLiteral("Range: %1..%2").arg(QString::number(lowerBound(), 'g', 6),
                                               QString::number(upperBound(), 'g', 6));
}
