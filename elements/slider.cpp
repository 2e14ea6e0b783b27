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

bool Slider::defineBits(quint64 *bits)
{
    *bits = integerDefineBits();
    return true;
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
    return applyNumberText<Slider, int, qint64>(this, text, rule, readDefineInteger, readUserDecimal(text),
                                                beforeChange, &Slider::valueChangedByUser, true);
}

bool editSliderRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *slider = qobject_cast<Slider *>(element);
    if (slider && row == QLatin1String("File")) {
        slider->setStyleSheet(QStringLiteral("QSlider::groove:horizontal {background-image:url(%1); "
                                             "max-height: 20px;} QSlider::handle:horizontal "
                                             "{background-color:blue; height:16px; width: 4px;}")
                                  .arg(value));
        slider->setElementProperty("image", value);
        writes->append({QStringLiteral("image"), value});
        return true;
    }
    if (!slider || row != QLatin1String("orientation"))
        return false;
    slider->setOrientation(value.toInt() == 1 ? Qt::Horizontal : Qt::Vertical);
    setElementPropertyOf(slider, "orientation", value);
    writes->append({row, value});
    return true;
}
