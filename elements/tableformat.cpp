// Table: column keywords, column formats and the saved value's row text.
#include "table.h"

#include <QRegularExpression>

#include <cstdio>

// ---------------------------------------------------------------------------
// Column keywords and formats

int tableColumnType(const QString &keyword)
{
    const QString k = keyword.toLower();
    if (k == QLatin1String("regname"))
        return TableColumnRegName;
    if (k == QLatin1String("address"))
        return TableColumnAddress;
    if (k.startsWith(QLatin1String("math.")))
        return TableColumnMath;
    static const char *const rest[] = {"func", "value", "delay", "answer", "comment"};
    for (int i = 0; i < 5; ++i) {
        if (k == QLatin1String(rest[i]))
            return TableColumnFunc + i;
    }
    if (k == QLatin1String("math"))
        return TableColumnMath;
    if (k == QLatin1String("delete"))
        return TableColumnDelete;
    return TableColumnUnknown;
}

namespace {

// The one integer conversion of a format: its place and its parts.
struct IntegerConversion {
    int start = -1;
    int length = 0;
    QString flags;
    QString width;
    QString precision; // with its "."
    bool wide = false; // a 64-bit length modifier
    QChar conversion;
};

// Finds the conversions of a format; true when there is exactly one and it
// is an integer conversion.
bool singleIntegerConversion(const QString &format, IntegerConversion *found)
{
    static const QRegularExpression spec(QStringLiteral(
        "%([-+ #0]*)([0-9]{0,2})(\\.[0-9]{0,2})?(hh|h|ll|l|j|z|t|q|L)?([diouxXc])"));
    int count = 0;
    for (int i = 0; i < format.size(); ++i) {
        if (format.at(i) != QLatin1Char('%'))
            continue;
        if (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('%')) {
            ++i;
            continue;
        }
        const QRegularExpressionMatch m =
            spec.match(format, i, QRegularExpression::NormalMatch, QRegularExpression::AnchoredMatchOption);
        if (!m.hasMatch())
            return false; // some other conversion, or a lone "%"
        if (++count > 1)
            return false;
        found->start = i;
        found->length = m.capturedLength();
        found->flags = m.captured(1);
        found->width = m.captured(2);
        found->precision = m.captured(3);
        const QString modifier = m.captured(4);
        found->wide = modifier == QLatin1String("ll") || modifier == QLatin1String("j")
            || modifier == QLatin1String("q") || modifier == QLatin1String("L");
        found->conversion = m.captured(5).at(0);
        i += m.capturedLength() - 1;
    }
    return count == 1;
}

QString withSinglePercents(const QString &text)
{
    QString out = text;
    return out.replace(QLatin1String("%%"), QLatin1String("%"));
}

} // namespace

QString formatTableNumber(const QString &format, qint64 value)
{
    IntegerConversion c;
    if (!singleIntegerConversion(format, &c))
        return format;
    QChar conversion = c.conversion;
    if (conversion == QLatin1Char('c'))
        conversion = QLatin1Char('d');
    const QByteArray spec = QStringLiteral("%%1%2%3ll%4").arg(c.flags, c.width, c.precision, conversion).toLatin1();
    char buffer[256];
    const bool isSigned = conversion == QLatin1Char('d') || conversion == QLatin1Char('i');
    if (isSigned) {
        const long long v = c.wide ? (long long)value : (long long)qint32(quint32(quint64(value)));
        std::snprintf(buffer, sizeof buffer, spec.constData(), v);
    } else {
        const unsigned long long v =
            c.wide ? (unsigned long long)quint64(value) : (unsigned long long)quint32(quint64(value));
        std::snprintf(buffer, sizeof buffer, spec.constData(), v);
    }
    return withSinglePercents(format.left(c.start)) + QString::fromLatin1(buffer)
        + withSinglePercents(format.mid(c.start + c.length));
}

QString formatTableDefault(const QString &format)
{
    IntegerConversion c;
    if (singleIntegerConversion(format, &c))
        return formatTableNumber(format, 0);
    return format;
}

// ---------------------------------------------------------------------------
// Saved value

static bool isRowSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('\\');
}

static QString escapedPart(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(',') || c == QLatin1Char(';')) {
            out += QLatin1Char('\\');
        } else if (c == QLatin1Char('\\')) {
            // A backslash before a separator or another backslash, or at the
            // end of the text (before the written separator), is doubled.
            if (i + 1 == text.size() || isRowSeparator(text.at(i + 1)))
                out += QLatin1Char('\\');
        }
        out += c;
    }
    return out;
}

QString joinTableRows(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        QStringList parts;
        for (const QString &part : row)
            parts << escapedPart(part);
        text += parts.join(QLatin1Char(',')) + QLatin1Char(';');
    }
    return text;
}

QList<QStringList> splitTableRows(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString part;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size() && isRowSeparator(text.at(i + 1))) {
            part += text.at(++i);
        } else if (c == QLatin1Char(',')) {
            row << part;
            part.clear();
        } else if (c == QLatin1Char(';')) {
            row << part;
            rows << row;
            row.clear();
            part.clear();
        } else {
            part += c;
        }
    }
    // Text after the last ";" is a row as well (split keeps it).
    row << part;
    rows << row;
    return rows;
}
