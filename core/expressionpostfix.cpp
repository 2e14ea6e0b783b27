// Infix tokens -> postfix order.

#include "expression.h"

#include <QSet>

namespace {

// The operators a following operator may move off the stack. "^", "%", "<<"
// and ">>" are not among them: they leave the stack only at a ")" or at the
// end, so "a^b*c" is a^(b*c) and "a%b+c" is a%(b+c).
bool isMovableOperator(const QString &op)
{
    static const QSet<QString> movable = {
        QStringLiteral("+"),  QStringLiteral("-"),  QStringLiteral("*"),  QStringLiteral("/"),
        QStringLiteral("<"),  QStringLiteral(">"),  QStringLiteral("<="), QStringLiteral(">="),
        QStringLiteral("=="), QStringLiteral("!="), QStringLiteral("?"),  QStringLiteral(":"),
        QStringLiteral("~"),  QStringLiteral("&"),  QStringLiteral("|"),  QStringLiteral("_"),
    };
    return movable.contains(op);
}

// Whether the operator o moves the stacked operator t to the output. At equal
// precedence ":" never moves "?" and is never moved, so "c?a:b" becomes
// "c a b : ?" and nested conditionals group to the right.
bool movesOff(const QString &o, const QString &t)
{
    if (!isMovableOperator(t))
        return false;
    const int po = operatorPrecedence(o);
    const int pt = operatorPrecedence(t);
    const QLatin1String colon(":");
    if (o == colon || t == colon)
        return po < pt;
    return po <= pt;
}

} // namespace

QStringList infixToPostfix(const QStringList &tokens, const QStringList &numbers,
                           const QStringList &names)
{
    const QLatin1String open("(");
    const QSet<QString> operands = QSet<QString>(numbers.cbegin(), numbers.cend())
                                   + QSet<QString>(names.cbegin(), names.cend());
    QStringList output;
    QStringList stack;

    for (const QString &token : tokens) {
        if (operands.contains(token)) {
            output.append(token);
        } else if (isMathFunction(token)) {
            stack.append(token);
        } else if (isExpressionOperator(token)) {
            while (!stack.isEmpty() && movesOff(token, stack.last()))
                output.append(stack.takeLast());
            stack.append(token);
        } else if (token == open) {
            stack.append(token);
        } else if (token == QLatin1String(")")) {
            // Everything above the nearest "(" goes out, function names
            // included. A stray ")" without any "(" empties the stack.
            while (!stack.isEmpty() && stack.last() != open)
                output.append(stack.takeLast());
            if (!stack.isEmpty()) {
                stack.removeLast();
                if (!stack.isEmpty() && isMathFunction(stack.last()))
                    output.append(stack.takeLast());
            }
        }
        // Anything else (a lone "=" or "!") is dropped.
    }

    // The rest of the stack from the top down, up to the first "(" left.
    while (!stack.isEmpty() && stack.last() != open)
        output.append(stack.takeLast());
    return output;
}

QString formulaSyntaxError(const QStringList &tokens, const QStringList &numbers, const QStringList &names)
{
    const QSet<QString> operands = QSet<QString>(numbers.cbegin(), numbers.cend())
                                   + QSet<QString>(names.cbegin(), names.cend());
    bool expectOperand = true;
    int depth = 0;
    for (int i = 0; i < tokens.size(); ++i) {
        const QString &token = tokens.at(i);
        if (expectOperand) {
            if (operands.contains(token)) {
                expectOperand = false;
            } else if (token == QLatin1String("(")) {
                ++depth;
            } else if (isMathFunction(token)) {
                if (i + 1 >= tokens.size() || tokens.at(i + 1) != QLatin1String("("))
                    return QStringLiteral("\"%1\" without \"(\"").arg(token);
            } else if (token == QLatin1String("~") || token == QLatin1String("-")) {
                // a prefix of the operand that follows (a minus before a
                // parenthesis stays a minus)
            } else if (isExpressionOperator(token) || token == QLatin1String(")")) {
                return QStringLiteral("\"%1\" where an operand belongs").arg(token);
            } else {
                return QStringLiteral("\"%1\" is no operand, operator or function").arg(token);
            }
        } else if (token == QLatin1String(")")) {
            if (--depth < 0)
                return QStringLiteral("\")\" without \"(\"");
        } else if (isExpressionOperator(token)) {
            expectOperand = true;
        } else if (operands.contains(token) || isMathFunction(token) || token == QLatin1String("(")) {
            return QStringLiteral("\"%1\" follows an operand without an operator").arg(token);
        } else {
            return QStringLiteral("\"%1\" is no operand, operator or function").arg(token);
        }
    }
    if (tokens.isEmpty())
        return QString();
    if (expectOperand)
        return QStringLiteral("the formula ends where an operand belongs");
    if (depth > 0)
        return QStringLiteral("\"(\" without \")\"");
    return QString();
}
