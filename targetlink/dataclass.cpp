#include "dataclass.h"

#include <QVariant>

DataClass::DataClass(const QString &name)
{
    setObjectName(name);
}

void DataClass::setValue(uint value)
{
    m_value = value;
    emit updateMathLabels();
    emit updateLEDs();
}

void DataClass::setFloatValue(float value)
{
    m_floatValue = value;
    emit updateMathLabels();
    emit updateLEDs();
}

void DataClass::resetToDefault()
{
    bool ok = false;
    const uint value = property("my_default").toString().trimmed().toUInt(&ok, 0);
    setValue(ok ? value : 0);
}
