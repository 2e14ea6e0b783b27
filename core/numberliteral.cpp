#include "numberliteral.h"


#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Trimmed, without any "(", ")" or "u": the form the notations are told
// apart by ("(0x20u)" -> "0x20", "(12u)" -> "12").
QString cleanedLiteral(const QString &text)
{
    const QString trimmed = text.trimmed();
    // Most literals have nothing to remove: they are shared, not copied.
    const auto removed = [](QChar c) { return c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char('u'); };
    if (std::none_of(trimmed.cbegin(), trimmed.cend(), removed))
        return trimmed;
    QString cleaned;
    cleaned.reserve(trimmed.size());
    for (const QChar c : trimmed) {
        if (c != QLatin1Char('(') && c != QLatin1Char(')') && c != QLatin1Char('u'))
            cleaned.append(c);
    }
    return cleaned;
}

// The literal checks below are written out by hand: they run for every
// number of a panel, where a regular expression match costs more than the
// rest of the element's attribute. Like an anchored pattern ending in "$",
// each accepts one line feed after the literal.

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isAsciiHexDigit(QChar c)
{
    return isAsciiDigit(c) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// The length of text without one line feed at its end.
int lengthBeforeFinalNewline(const QString &text)
{
    return text.endsWith(QLatin1Char('\n')) ? text.size() - 1 : text.size();
}

// The end of a run of characters that pass isPart, from index i on.
template <typename Predicate>
int runEnd(const QString &text, int i, int end, Predicate isPart)
{
    while (i < end && isPart(text.at(i)))
        ++i;
    return i;
}

bool isFractionLiteral(const QString &text)
{
    // \d+\.\d+
    const int end = lengthBeforeFinalNewline(text);
    const int integral = runEnd(text, 0, end, isAsciiDigit);
    if (integral == 0 || integral >= end || text.at(integral) != QLatin1Char('.'))
        return false;
    const int fraction = runEnd(text, integral + 1, end, isAsciiDigit);
    return fraction > integral + 1 && fraction == end;
}

bool isBinaryLiteral(const QString &text)
{
    // 0b[0-1]+
    const int end = lengthBeforeFinalNewline(text);
    if (!text.startsWith(QLatin1String("0b")))
        return false;
    const int digits = runEnd(text, 2, end, [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('1'); });
    return digits > 2 && digits == end;
}

bool isAnyText(const QString &text)
{
    // .+ : at least one character and no line feed but a final one.
    const int end = lengthBeforeFinalNewline(text);
    const int lineFeed = text.indexOf(QLatin1Char('\n'));
    return end > 0 && (lineFeed < 0 || lineFeed >= end);
}

QString withoutBinaryPrefix(const QString &text)
{
    return text.startsWith(QLatin1String("0b")) ? text.mid(2) : text;
}

// A fraction in "%g" style with 6 significant digits; "0" when the text does
// not convert (beyond the range of a double included).
QString fractionText(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return QString::number(ok ? value : 0.0, 'g', 6);
}

QString signed32Text(const QString &text, int base)
{
    bool ok = false;
    const int value = text.toInt(&ok, base);
    return QString::number(ok ? value : 0);
}

// Hexadecimal and binary literals name bit patterns: all 32 bits count, so
// bit 31 set gives a large positive number, never 0 or a negative one.
QString unsigned32Text(const QString &text, int base)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, base);
    return QString::number(ok ? value : 0u);
}

} // namespace

bool isDecimalLiteral(const QString &text)
{
    // -?\d+
    const int end = lengthBeforeFinalNewline(text);
    const int start = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    const int digits = runEnd(text, start, end, isAsciiDigit);
    return digits > start && digits == end;
}

bool isHexLiteral(const QString &text)
{
    // \(?0x[0-9a-fA-F]+u?\)?
    const int end = lengthBeforeFinalNewline(text);
    int i = text.startsWith(QLatin1Char('(')) ? 1 : 0;
    if (text.midRef(i, 2) != QLatin1String("0x"))
        return false;
    i += 2;
    const int digits = runEnd(text, i, end, isAsciiHexDigit);
    if (digits == i)
        return false;
    i = digits;
    if (i < end && text.at(i) == QLatin1Char('u'))
        ++i;
    if (i < end && text.at(i) == QLatin1Char(')'))
        ++i;
    return i == end;
}

// numberLiteralFormat on text whose cleaned form the caller has already.
static int formatOfCleaned(const QString &text, const QString &cleaned)
{
    if (isDecimalLiteral(cleaned))
        return DecimalLiteral;
    if (isHexLiteral(cleaned))
        return HexLiteral;
    if (isFractionLiteral(cleaned))
        return FractionLiteral;
    if (isBinaryLiteral(cleaned))
        return BinaryLiteral;
    if (isAnyText(text))
        return OtherText;
    return EmptyText;
}

int numberLiteralFormat(const QString &text)
{
    return formatOfCleaned(text, cleanedLiteral(text));
}

// An unsigned conversion as parseNumberLiteral's decimal text read back as
// a signed 64-bit number: 0 when it failed or does not fit.
static qint64 asSigned64(qulonglong value, bool ok)
{
    return ok && value <= qulonglong(std::numeric_limits<qint64>::max()) ? qint64(value) : 0;
}

qint64 integerLiteralValue(const QString &text, int *code)
{
    const QString cleaned = cleanedLiteral(text);
    *code = formatOfCleaned(text, cleaned);
    bool ok = false;
    switch (*code) {
    case DecimalLiteral:
        if (cleaned.startsWith(QLatin1Char('-'))) {
            const qlonglong value = cleaned.toLongLong(&ok, 10);
            return ok ? value : 0;
        } else {
            const qulonglong value = cleaned.toULongLong(&ok, 10);
            return asSigned64(value, ok);
        }
    case HexLiteral: {
        const qulonglong value = cleaned.toULongLong(&ok, 16);
        return asSigned64(value, ok);
    }
    case BinaryLiteral: {
        const qulonglong value = cleaned.midRef(2).toULongLong(&ok, 2);
        return asSigned64(value, ok);
    }
    default:
        return 0;
    }
}

QString parseNumberLiteral(const QString &text)
{
    const int code = numberLiteralFormat(text);
    // Fractions and binary literals are converted from the cleaned text like
    // the integers, so "(2.5)" and " 0b11" keep their values.
    const QString cleaned = cleanedLiteral(text);
    bool ok = false;
    switch (code) {
    case DecimalLiteral:
        if (cleaned.startsWith(QLatin1Char('-'))) {
            const qlonglong value = cleaned.toLongLong(&ok, 10);
            return QString::number(ok ? value : 0);
        } else {
            const qulonglong value = cleaned.toULongLong(&ok, 10);
            return QString::number(ok ? value : 0);
        }
    case HexLiteral: {
        const qulonglong value = cleaned.toULongLong(&ok, 16);
        return QString::number(ok ? value : 0);
    }
    case FractionLiteral:
        return fractionText(cleaned);
    case BinaryLiteral: {
        const qulonglong value = cleaned.mid(2).toULongLong(&ok, 2);
        return QString::number(ok ? value : 0);
    }
    case OtherText:
        return text;
    default:
        return QString();
    }
}

QString convertLiteralByFormat(int code, const QString &text)
{
    // Cleaned as numberLiteralFormat saw it, so "(0x10u)" gives "16" here too.
    const QString cleaned = cleanedLiteral(text);
    switch (code) {
    case DecimalLiteral:
        return signed32Text(cleaned, 10);
    case HexLiteral:
        return unsigned32Text(cleaned, 16);
    case FractionLiteral:
        return fractionText(cleaned);
    case BinaryLiteral:
        return unsigned32Text(withoutBinaryPrefix(cleaned), 2);
    case OtherText:
        return text;
    default:
        return QString();
    }
}

QString formatNumberLiteral(const QString &text, quint32 *value, int code, bool prefix)
{
    bool ok = false;
    quint32 number = parseNumberLiteral(text).toUInt(&ok, 10);
    if (!ok)
        number = 0;
    if (value)
        *value = number;

    switch (code) {
    case DecimalLiteral:
    case FractionLiteral:
        return QString::number(number);
    case HexLiteral:
        return (prefix ? QStringLiteral("0x") : QString()) + QString::number(number, 16);
    case BinaryLiteral:
        return (prefix ? QStringLiteral("0b") : QString()) + QString::number(number, 2);
    case OtherText:
        return text;
    default:
        return QString();
    }
}

bool isZeroLiteral(const QString &text)
{
    QString digits = text.trimmed();
    digits.remove(QLatin1Char('(')).remove(QLatin1Char(')')).remove(QLatin1Char('u'));
    if (digits.startsWith(QLatin1Char('-')))
        digits.remove(0, 1);
    if (digits.startsWith(QLatin1String("0x")) || digits.startsWith(QLatin1String("0b")))
        digits.remove(0, 2);
    return std::all_of(digits.cbegin(), digits.cend(),
                       [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('.'); });
}

qint64 wholeNumber(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9223372036854775808.0)
        return std::numeric_limits<qint64>::max();
    if (value < -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return qint64(value);
}

bool startsWithMinusSign(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isSpace())
            return c == QLatin1Char('-');
    }
    return false;
}
