// Formula text with its operands renamed.
#include "expressionrename.h"

#include "activeelement.h"

#include <QRegularExpression>
#include <QStringList>

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

bool referenceNames(const QString &reference, const QString &define)
{
    if (define.isEmpty())
        return false;
    if (reference == define)
        return true;
    if (reference.size() <= define.size() + 1 || !reference.startsWith(define)
        || reference.at(define.size()) != QLatin1Char('.'))
        return false;
    // The rest must be exactly one keyword: ".label", ".index", ...
    const QString suffix = reference.mid(define.size() + 1);
    return elementKeywords.contains(suffix);
}

QString renameReference(const QString &reference, const QString &oldName, const QString &newName)
{
    return referenceNames(reference, oldName) ? newName + reference.mid(oldName.size()) : reference;
}

QString renameFormulaReferences(const QString &formula, const QString &oldName, const QString &newName)
{
    return renameExpressionOperands(formula, [&oldName, &newName](const QString &operand) {
        return renameReference(operand, oldName, newName);
    });
}

QString renameAssignmentReferences(const QString &list, const QString &oldName, const QString &newName)
{
    QStringList items = list.split(QLatin1Char(';'));
    for (QString &item : items) {
        const int equals = item.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        // The value may be a keyword form ("index=2"): only a whole reference is renamed.
        item = renameReference(item.left(equals), oldName, newName) + QLatin1Char('=')
            + renameReference(item.mid(equals + 1), oldName, newName);
    }
    return items.join(QLatin1Char(';'));
}

QString renameCountedNames(const QString &list, const QString &oldName, const QString &newName)
{
    static const QRegularExpression count(QStringLiteral("^\\s*[+-]?[0-9]+\\s*:"));
    QStringList items = list.split(QLatin1Char(';'));
    for (QString &item : items) {
        const QRegularExpressionMatch match = count.match(item);
        const int start = match.hasMatch() ? match.capturedLength() : 0;
        if (!oldName.isEmpty() && item.midRef(start) == oldName)
            item = item.left(start) + newName;
    }
    return items.join(QLatin1Char(';'));
}
