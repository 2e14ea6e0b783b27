// The vocabulary of formulas and the all-in-one helpers.

#include "expression.h"

#include <QSet>

OperandLookup::~OperandLookup() = default;

bool isExpressionOperator(const QString &token)
{
    static const QSet<QString> operators = {
        QStringLiteral("+"),  QStringLiteral("-"),  QStringLiteral("^"),  QStringLiteral("*"),
        QStringLiteral("/"),  QStringLiteral("<<"), QStringLiteral(">>"), QStringLiteral("<"),
        QStringLiteral(">"),  QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("=="),
        QStringLiteral("!="), QStringLiteral("?"),  QStringLiteral(":"),  QStringLiteral("~"),
        QStringLiteral("&"),  QStringLiteral("|"),  QStringLiteral("_"),  QStringLiteral("%"),
    };
    return operators.contains(token);
}

bool isMathFunction(const QString &token)
{
    static const QSet<QString> functions = {
        QStringLiteral("sin"),   QStringLiteral("cos"),   QStringLiteral("sqrt"),
        QStringLiteral("abs"),   QStringLiteral("exp"),   QStringLiteral("log"),
        QStringLiteral("log10"), QStringLiteral("trunc"), QStringLiteral("round"),
        QStringLiteral("floor"), QStringLiteral("ceil"),  QStringLiteral("rand"),
    };
    return functions.contains(token);
}

const QHash<QString, int> &operatorPrecedenceTable()
{
    static const QHash<QString, int> table = {
        {QStringLiteral(":"), 0},  {QStringLiteral("?"), 0},  {QStringLiteral(">"), 2},
        {QStringLiteral("<"), 2},  {QStringLiteral(">="), 2}, {QStringLiteral("<="), 2},
        {QStringLiteral("=="), 2}, {QStringLiteral("!="), 2}, {QStringLiteral("+"), 3},
        {QStringLiteral("-"), 3},  {QStringLiteral("*"), 4},  {QStringLiteral("/"), 4},
        {QStringLiteral("^"), 5},
    };
    return table;
}

int operatorPrecedence(const QString &op)
{
    return operatorPrecedenceTable().value(op, 0);
}

ParsedFormula parseFormula(const QString &formula)
{
    QString compact;
    compact.reserve(formula.size());
    for (const QChar c : formula) {
        if (!c.isSpace())
            compact.append(c);
    }
    ParsedFormula parsed;
    tokenizeExpression(compact, &parsed.tokens, &parsed.numbers, &parsed.names, &parsed.hasString);
    parsed.postfix = infixToPostfix(parsed.tokens, parsed.numbers, parsed.names);
    return parsed;
}

double evaluateFormula(const ParsedFormula &formula, OperandLookup *lookup, bool *ok)
{
    return evaluatePostfix(formula.postfix, formula.numbers, formula.names, lookup, ok);
}
