#include "slider.h"

#include "definevalue.h"
#include "eventfilters.h"
#include "kindedits.h"

Slider::Slider(const QString &name, QWidget *parent)
    : QSlider(parent)
    , IntegerElement(this)
{
    setRange(-openLimit, openLimit);
    setObjectName(name);
    installWheelGuard(this);
}

void Slider::initialize()
{
    connect(this, &QSlider::valueChanged, this, &Slider::valueChangedByUser, Qt::UniqueConnection);
    finishInitialize(this);
}

// ---------------------------------------------------------------------------
// Change paths

void Slider::valueChanged(int value)
{
    Q_UNUSED(value)
    programChange();
}

void Slider::valueChangedByUser(int value)
{
    integerChangedByUser(value);
}

void Slider::sendData(int value)
{
    Q_UNUSED(value)
    runChangeActions();
}

void Slider::enable(bool on)
{
    // Also while locked, as a spin box.
    setEnabled(on);
}

// ---------------------------------------------------------------------------
// Values

QString Slider::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    return integerValue(keyword, QStringLiteral("Slider"));
}

void Slider::setValue(const QString &text, int keyword)
{
    // The text itself, never another element's value.
    setIntegerValue(text, keyword);
}

int Slider::widgetValue() const
{
    return QSlider::value();
}

void Slider::setWidgetValue(int value)
{
    QSlider::setValue(value);
}

int Slider::widgetMinimum() const
{
    return minimum();
}

int Slider::widgetMaximum() const
{
    return maximum();
}

void Slider::setWidgetRange(int minimum, int maximum)
{
    setRange(minimum, maximum);
}

ApplyResult Slider::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    if (rule == ApplyRule::Define) {
        qint64 number = 0;
        if (!readDefineInteger(text, &number) || number < minimum() || number > maximum())
            return ApplyResult::refused(ApplyResult::InvalidValue);
        if (beforeChange)
            beforeChange();
        const int n = int(number);
        setSignalsBlocked(this, [&] { setValue(n); });
        valueChangedByUser(n);
        valueChanged(n);
        return ApplyResult::applied();
    }
    if (!isEnabled())
        return ApplyResult::applied();
    if (beforeChange)
        beforeChange();
    setNumericByUser<Slider, int>(this, readUserDecimal(text), &Slider::valueChangedByUser);
    return ApplyResult::applied();
}

bool editSliderRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *slider = qobject_cast<Slider *>(element);
    if (!slider || row != QLatin1String("orientation"))
        return false;
    slider->setOrientation(value.toInt() == 1 ? Qt::Horizontal : Qt::Vertical);
    setElementPropertyOf(slider, "orientation", value);
    writes->append({row, value});
    return true;
}
