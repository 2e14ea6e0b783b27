#include "definevalue.h"

#include "numberliteral.h"

#include <cmath>

bool readDefineInteger(const QString &value, qint64 *number)
{
    const int notation = numberLiteralFormat(value);
    if (notation != DecimalLiteral && notation != HexLiteral && notation != BinaryLiteral)
        return false;
    const QString decimal = parseNumberLiteral(value);
    if (decimal == QLatin1String("0") && !isZeroLiteral(value))
        return false;
    bool ok = false;
    *number = decimal.toLongLong(&ok);
    return ok;
}

bool readDefineReal(const QString &value, double *number)
{
    qint64 integer = 0;
    if (readDefineInteger(value, &integer)) {
        *number = double(integer);
        return true;
    }
    const int notation = numberLiteralFormat(value);
    if (notation != FractionLiteral && notation != OtherText)
        return false;
    // A fraction is read whole, not through the parser's six digits.
    QString text = value.trimmed();
    if (notation == FractionLiteral)
        text.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('u'));
    bool ok = false;
    *number = text.toDouble(&ok);
    return ok && std::isfinite(*number);
}

bool readDefineBit(const QString &value, bool *checked)
{
    qint64 number = 0;
    if (!readDefineInteger(value, &number) || (number != 0 && number != 1))
        return false;
    *checked = number == 1;
    return true;
}

int readUserDecimal(const QString &text)
{
    return text.trimmed().toInt();
}
