#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The formula engine of panels: math element formulas, action conditions,
// table math columns and pin tool tips. Three steps, each its own call so that
// a caller can keep the intermediate lists and evaluate again later:
//
//   tokenizeExpression  formula text -> tokens, numeric operands, name operands
//   infixToPostfix      tokens -> postfix order
//   evaluatePostfix     postfix -> double, names resolved through OperandLookup
//
// Callers remove every blank from a formula before tokenizing it.

// What a formula's names stand for. The panel implements it over its
// registries (element defines, target variables, name.keyword references,
// tab containers); tests implement it over a table.
class OperandLookup
{
public:
    virtual ~OperandLookup();

    // The value of an operand that is no number literal; *found is false when
    // nothing goes by that name.
    virtual double operandValue(const QString &operand, bool *found) = 0;
    // An operand that is neither a number nor a known name
    // ("Invalid value in formula: \"%1\"").
    virtual void reportInvalidFormulaValue(const QString &operand) = 0;
};

// The value an operand stands for, tried in this order: the text read as a
// double; a text beginning with "0x" read as a signed 64-bit hexadecimal
// integer; lookup->operandValue. Anything else is reported through the lookup
// and gives 0. A null lookup knows no names and reports nothing.
double getValue(const QString &operand, OperandLookup *lookup);

// ---- Vocabulary

// The 20 operator tokens: + - ^ * / << >> < > <= >= == != ? : ~ & | _ %
// ("_" is the exclusive or, written ".^"; ".+" and ".*" become "|" and "&").
bool isExpressionOperator(const QString &token);
// sin cos sqrt abs exp log log10 trunc round floor ceil rand (case-sensitive).
bool isMathFunction(const QString &token);
// Operator precedences: ":" "?" 0, comparisons 2, "+" "-" 3, "*" "/" 4, "^" 5;
// every other operator 0. The table is constant for the life of the process.
const QHash<QString, int> &operatorPrecedenceTable();
int operatorPrecedence(const QString &op);

// ---- Steps

// Appends the formula's tokens in formula order to tokens, its numeric
// operands (and the "0" each unary minus inserts) to numbers, and its name
// operands to names; the lists are never cleared here. *hasString is set to
// false, then to true when an operand begins with a double quote: such a
// formula is a text comparison, whose postfix form is [name, text, operator].
// Any of the pointers may be null.
void tokenizeExpression(const QString &formula, QStringList *tokens, QStringList *numbers,
                        QStringList *names, bool *hasString);

// The tokens in postfix order. Tokens that are neither operands (listed in
// numbers or names), operators, functions nor parentheses are dropped.
QStringList infixToPostfix(const QStringList &tokens, const QStringList &numbers,
                           const QStringList &names);

// Why the tokens do not form a formula (unbalanced parentheses, an operator
// without its operands, two operands in a row, a function without its
// parenthesis, a token that is none of these); empty when they do, and for no
// tokens at all. The unary minus mostly arrives as "0 -" from the
// tokenizer; "-" and "~" may also stand before an operand.
QString formulaSyntaxError(const QStringList &tokens, const QStringList &numbers, const QStringList &names);

// The value of a postfix formula. Operands are the tokens listed in numbers or
// names, resolved with getValue. *ok becomes false only for an operator
// without an evaluation rule ("~"), which ends the evaluation with 0.
// Malformed formulas never fail: an operator without two values, a function
// without one, a conditional without three is skipped. The result is the
// value of the last operator, function or conditional applied (0 when none
// was), or the value of the only token of a one-token list.
double evaluatePostfix(QStringList postfix, const QStringList &numbers, const QStringList &names,
                       OperandLookup *lookup, bool *ok);

// One binary operator: left op right. Sets *ok false (result 0) for a token
// without a rule. Integer operators never overflow: "%", "&", "|", "_" work on
// the operands truncated and wrapped modulo 2^32, "<<" and ">>" on the left
// operand truncated and wrapped modulo 2^64; a non-finite operand counts as 0.
double applyOperator(double right, double left, const QString &op, bool *ok);

// ---- The generator behind rand

// 15 bits (0..32767), the same sequence for the same seed on every platform.
// The seed is 1 at start-up. Process-wide state: GUI thread only.
void seedExpressionRandom(quint32 seed);
int expressionRandom();

// ---- All three steps at once

struct ParsedFormula {
    QStringList tokens;
    QStringList numbers;
    QStringList names;
    QStringList postfix;
    bool hasString = false;
};

// Removes every blank (white space) from the formula, then tokenizes and
// converts it.
ParsedFormula parseFormula(const QString &formula);
double evaluateFormula(const ParsedFormula &formula, OperandLookup *lookup, bool *ok);
