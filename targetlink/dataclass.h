#pragma once

#include <QObject>

// One target variable. This build keeps the value in memory only; reading and
// writing target memory comes with the probe binding.
class DataClass : public QObject
{
    Q_OBJECT
    Q_PROPERTY(uint value READ value WRITE setValue)
public:
    explicit DataClass(const QString &name);

    uint value() const { return m_value; }
    float floatValue() const { return m_floatValue; }
    void setValue(uint value);
    void setFloatValue(float value);
    void resetToDefault();

    int type = 0; // 1: float variable

signals:
    void updateLEDs();
    void updateMathLabels();

private:
    uint m_value = 0;
    float m_floatValue = 0.0f;
};
