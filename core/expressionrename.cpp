// Formula text with its operands renamed.
#include "expressionrename.h"

static bool isOperandEnd(QChar c)
{
    static const QString ends = QStringLiteral("&|~?:()+%<>=!*/^-\" \t");
    return ends.contains(c);
}

QString renameExpressionOperands(const QString &formula, const std::function<QString(const QString &)> &rename)
{
    QString out;
    const int n = formula.size();
    int i = 0;
    while (i < n) {
        const QChar c = formula.at(i);
        if (c == QLatin1Char('"')) {
            const int close = formula.indexOf(QLatin1Char('"'), i + 1);
            const int end = close < 0 ? n : close + 1;
            out += formula.midRef(i, end - i);
            i = end;
            continue;
        }
        int end = i;
        while (end < n) {
            const QChar d = formula.at(end);
            if (d == QLatin1Char('[')) {
                const int close = formula.indexOf(QLatin1Char(']'), end + 1);
                end = close < 0 ? n : close + 1;
                continue;
            }
            if (isOperandEnd(d))
                break;
            if (d == QLatin1Char('.') && end + 1 < n && QStringLiteral("+*^").contains(formula.at(end + 1)))
                break;
            ++end;
        }
        if (end == i) {
            out += c;
            ++i;
            continue;
        }
        out += rename(formula.mid(i, end - i));
        i = end;
    }
    return out;
}
