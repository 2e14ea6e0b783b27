#include "hexspinbox.h"

#include <QValidator>

#include <limits>

HexSpinBox::HexSpinBox(const QString &name, QWidget *parent)
    : SpinBox(name, parent)
{
    setShownPrefix(QStringLiteral("0x"));
}

QString HexSpinBox::valueText(int value) const
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
    // Checked by hand: a regular expression per spin box costs more to build
    // than the spin box itself.
    const auto isHexDigit = [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    };
    const int maxLength = 2 + 8;
    bool fits = text.size() <= maxLength;
    for (int i = 0; fits && i < text.size(); ++i) {
        const QChar c = text.at(i);
        fits = i == 0 ? c == QLatin1Char('0') : i == 1 ? c == QLatin1Char('x') : isHexDigit(c);
    }
    if (!fits) {
        pos = text.size();
        return QValidator::Invalid;
    }
    return text.size() > 2 ? QValidator::Acceptable : QValidator::Intermediate;
}

QList<TestInputLine> HexSpinBox::testInputLines() const
{
    const QList<TestInputLine> line = SpinBox::testInputLines();
    return line + line;
}
