#include "hexspinbox.h"

#include <QRegExpValidator>

#include <limits>

HexSpinBox::HexSpinBox(const QString &name, QWidget *parent)
    : SpinBox(name, parent)
    , m_validator(new QRegExpValidator(QRegExp(QStringLiteral("0x[0-9A-Fa-f]{1,8}")), this))
{
    setPrefix(QStringLiteral("0x"));
}

QString HexSpinBox::textFromValue(int value) const
{
    // QString::number writes a negative number in another base as its 64-bit
    // two's complement.
    const QString digits = QString::number(qAbs(qint64(value)), 16).toUpper();
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

int HexSpinBox::valueFromText(const QString &text) const
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x")))
        digits.remove(0, 2);
    bool ok = false;
    const qint64 number = digits.toLongLong(&ok, 16);
    if (!ok)
        return 0;
    return int(qBound<qint64>(std::numeric_limits<int>::min(), number, std::numeric_limits<int>::max()));
}

QValidator::State HexSpinBox::validate(QString &text, int &pos) const
{
    return m_validator->validate(text, pos);
}
