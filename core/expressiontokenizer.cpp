// Formula text -> tokens, numeric operands and name operands.

#include "expression.h"

#include <QVector>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// What the tokenizer remembers between two characters: nothing, one pending
// operator character, or that an operator was just appended.
enum class Pending {
    None,
    Less,          // "<": "<<", "<=" or "<" follows
    Greater,       // ">": ">>", ">=" or ">"
    Equal,         // "=": "==" or a lone "="
    Bang,          // "!": "!=" or a lone "!"
    Operator,      // "*", "/", "^" or "(" in pendingChar
    AfterOperator, // "<<", ">>", "<=" or ">=" was just appended
    Minus,         // a binary "-"
    Dot,           // ".": ".+", ".*", ".^" or a decimal point / keyword reference
};

class Tokenizer
{
public:
    Tokenizer(QStringList *tokens, QStringList *numbers, QStringList *names, bool *hasString)
        : m_tokens(tokens), m_numbers(numbers), m_names(names), m_hasString(hasString)
    {
    }

    void run(const QString &formula);

private:
    void startState(const QString &formula, int &i);
    void operandStart(QChar c);
    bool fileExpressionOperand();
    void appendToken(const QString &token);
    void insertUnaryMinus();
    void closeUnaryGroups();
    bool lastTokenIsOperator() const;

    QStringList *m_tokens;
    QStringList *m_numbers;
    QStringList *m_names;
    bool *m_hasString;

    QString m_operand;
    Pending m_pending = Pending::None;
    QChar m_pendingChar;
    int m_tokenStart = 0; // first token of this formula in m_tokens
    // Parenthesis depth of the tokens appended so far, and for every open
    // group of a unary minus the depth inside it: the group closes when an
    // operand completes or a ")" comes back at that depth.
    int m_depth = 0;
    QVector<int> m_closeAt;
};

void Tokenizer::appendToken(const QString &token)
{
    m_tokens->append(token);
    if (token == QLatin1String("(")) {
        ++m_depth;
    } else if (token == QLatin1String(")")) {
        --m_depth;
        // A unary minus before a parenthesised group or a function call
        // negates the whole group: its own ")" follows the group's.
        closeUnaryGroups();
    }
}

// Appends the ")" of every unary-minus group whose inside is complete at the
// current depth (nested ones such as "x*--2" close together).
void Tokenizer::closeUnaryGroups()
{
    while (!m_closeAt.isEmpty() && m_closeAt.last() == m_depth) {
        m_closeAt.removeLast();
        m_tokens->append(QStringLiteral(")"));
        --m_depth;
    }
}

// A unary minus becomes the group "(0-" that the next completed operand (or
// parenthesised group) closes: "x*-2" is x * ( 0 - 2 ).
void Tokenizer::insertUnaryMinus()
{
    appendToken(QStringLiteral("("));
    appendToken(QStringLiteral("0"));
    appendToken(QStringLiteral("-"));
    m_numbers->append(QStringLiteral("0"));
    m_closeAt.append(m_depth);
}

// Whether a "-" here stands where an operand should start: right after an
// operator such as "+", "==", "?" or ".+" (not after an operand or ")").
bool Tokenizer::lastTokenIsOperator() const
{
    if (m_tokens->size() <= m_tokenStart)
        return false;
    const QString &last = m_tokens->last();
    return isExpressionOperator(last) || last == QLatin1String("(");
}

// Completes the operand being collected and files it by its first
// characters: a digit, "0x" or a "-" and a digit make a number, a double
// quote a number and a text comparison, a function name neither, anything
// else a name. Returns whether an operand was completed.
bool Tokenizer::fileExpressionOperand()
{
    if (m_operand.isEmpty())
        return false;
    const QString operand = m_operand.trimmed();
    m_operand.clear();
    if (operand.isEmpty())
        return false;

    const QChar first = operand.at(0);
    const bool function = isMathFunction(operand);
    if (isAsciiDigit(first)) {
        m_numbers->append(operand);
    } else if (first == QLatin1Char('"')) {
        m_numbers->append(operand);
        *m_hasString = true;
    } else if (first == QLatin1Char('-') && operand.size() > 1 && isAsciiDigit(operand.at(1))) {
        m_numbers->append(operand);
    } else if (!function) {
        m_names->append(operand);
    }
    m_tokens->append(operand);

    // A function name is followed by its argument group, which closes the
    // unary minus instead (see appendToken).
    if (!function)
        closeUnaryGroups();
    return true;
}

// The character after an operator that takes a unary minus or a "(" next.
void Tokenizer::operandStart(QChar c)
{
    if (c == QLatin1Char('-')) {
        insertUnaryMinus();
        m_pending = Pending::None;
    } else if (c == QLatin1Char('(')) {
        m_pending = Pending::Operator;
        m_pendingChar = c;
    } else {
        m_operand.append(c);
        m_pending = Pending::None;
    }
}

void Tokenizer::startState(const QString &formula, int &i)
{
    const QChar c = formula.at(i);
    switch (c.unicode()) {
    case '&': case '|': case '~': case '?': case ':': case ')': case '+': case '%':
        fileExpressionOperand();
        appendToken(QString(c));
        break;
    case '<':
        fileExpressionOperand();
        m_pending = Pending::Less;
        break;
    case '>':
        fileExpressionOperand();
        m_pending = Pending::Greater;
        break;
    case '=':
        fileExpressionOperand();
        m_pending = Pending::Equal;
        break;
    case '!':
        fileExpressionOperand();
        m_pending = Pending::Bang;
        break;
    case '*': case '/': case '^': case '(':
        fileExpressionOperand();
        m_pending = Pending::Operator;
        m_pendingChar = c;
        break;
    case '-':
        if (i == 0) {
            // A leading minus belongs to the first operand.
            m_operand.append(c);
        } else if (!fileExpressionOperand() && lastTokenIsOperator()) {
            // "a+-1", "a==-1", "c?-1:1"
            insertUnaryMinus();
        } else {
            m_pending = Pending::Minus;
        }
        break;
    case '.':
        m_pending = Pending::Dot;
        break;
    case '[': {
        // An index such as "table[3]" belongs to the operand.
        const int close = formula.indexOf(QLatin1Char(']'), i + 1);
        const int end = close < 0 ? formula.size() - 1 : close;
        m_operand.append(formula.midRef(i, end - i + 1));
        i = end;
        break;
    }
    default:
        m_operand.append(c);
        break;
    }
}

void Tokenizer::run(const QString &formula)
{
    *m_hasString = false;
    m_tokenStart = m_tokens->size();

    for (int i = 0; i < formula.size(); ++i) {
        const QChar c = formula.at(i);
        switch (m_pending) {
        case Pending::None:
            startState(formula, i);
            break;
        case Pending::Less:
        case Pending::Greater: {
            const QChar op = m_pending == Pending::Less ? QLatin1Char('<') : QLatin1Char('>');
            if (c == op || c == QLatin1Char('=')) {
                appendToken(QString(op) + c);
                m_pending = Pending::AfterOperator;
            } else {
                // "a<(b+1)" and "a<-x" read like "a<=(b+1)" and "a<=-x".
                appendToken(QString(op));
                operandStart(c);
            }
            break;
        }
        case Pending::Equal:
        case Pending::Bang: {
            const QChar op = m_pending == Pending::Equal ? QLatin1Char('=') : QLatin1Char('!');
            if (c == QLatin1Char('=')) {
                appendToken(QString(op) + c);
            } else {
                // A lone "=" or "!" is no operator; conversion drops it.
                appendToken(QString(op));
                m_operand.append(c);
            }
            m_pending = Pending::None;
            break;
        }
        case Pending::Operator:
            appendToken(QString(m_pendingChar));
            operandStart(c);
            break;
        case Pending::AfterOperator:
            operandStart(c);
            break;
        case Pending::Minus:
            appendToken(QStringLiteral("-"));
            if (c == QLatin1Char('(')) {
                m_pending = Pending::Operator;
                m_pendingChar = c;
            } else {
                // "a--1" is a minus -1.
                m_operand.append(c);
                m_pending = Pending::None;
            }
            break;
        case Pending::Dot:
            m_pending = Pending::None;
            if (c == QLatin1Char('+')) {
                fileExpressionOperand();
                appendToken(QStringLiteral("|"));
            } else if (c == QLatin1Char('*')) {
                fileExpressionOperand();
                appendToken(QStringLiteral("&"));
            } else if (c == QLatin1Char('^')) {
                fileExpressionOperand();
                appendToken(QStringLiteral("_"));
            } else {
                // A decimal point or a name.keyword reference.
                m_operand.append(QLatin1Char('.'));
                m_operand.append(c);
            }
            break;
        }
    }
    // A pending operator character at the end is dropped.
    fileExpressionOperand();
}

} // namespace

void tokenizeExpression(const QString &formula, QStringList *tokens, QStringList *numbers,
                        QStringList *names, bool *hasString)
{
    QStringList localTokens, localNumbers, localNames;
    bool localHasString = false;
    Tokenizer tokenizer(tokens ? tokens : &localTokens, numbers ? numbers : &localNumbers,
                        names ? names : &localNames, hasString ? hasString : &localHasString);
    tokenizer.run(formula);
}
