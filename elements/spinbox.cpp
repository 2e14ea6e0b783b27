#include "spinbox.h"

#include "eventfilters.h"

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

// ---------------------------------------------------------------------------
// Values

QString SpinBox::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    return integerValue(keyword, QStringLiteral("SpinBox"));
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
    if (value == QSpinBox::value() && lineEdit()->text() == prefix() + textFromValue(value) + suffix())
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
