// Postfix -> value: operands, operators, functions and the conditional.

#include "expression.h"
#include "programstate.h"

#include <QSet>
#include <QVector>

#include <cmath>
#include <cstdint>

namespace {

constexpr double twoTo32 = 4294967296.0;
constexpr double twoTo64 = 18446744073709551616.0;

// x truncated toward zero and wrapped modulo 2^64; 0 for NaN and infinities.
// fmod is exact, so every step stays in range and defined.
quint64 wrapToUnsigned64(double x)
{
    if (!std::isfinite(x))
        return 0;
    const double magnitude = std::fmod(std::fabs(std::trunc(x)), twoTo64); // [0, 2^64)
    const quint64 u = static_cast<quint64>(magnitude);
    return x < 0 ? quint64(0) - u : u;
}

// x truncated toward zero and wrapped modulo 2^32.
quint32 wrapToUnsigned32(double x)
{
    if (!std::isfinite(x))
        return 0;
    const double magnitude = std::fmod(std::fabs(std::trunc(x)), twoTo32); // [0, 2^32)
    const quint32 u = static_cast<quint32>(magnitude);
    return x < 0 ? quint32(0) - u : u;
}

qint32 wrapToSigned32(double x)
{
    const quint32 u = wrapToUnsigned32(x);
    return u <= 0x7fffffffu ? qint32(u) : qint32(u - 0x80000000u) - 0x7fffffff - 1;
}

// The remainder of 32-bit signed division, sign following the dividend;
// -1 for a zero divisor.
double remainder32(double left, double right)
{
    const qint32 b = wrapToSigned32(right);
    if (b == 0)
        return -1;
    const qint32 a = wrapToSigned32(left);
    if (b == -1)
        return 0; // also INT_MIN % -1, which would overflow
    return a % b;
}

// a shifted left by count bits (right for a negative count); 0 from 64 bits
// on and for a NaN count.
quint64 shiftLeft(quint64 a, double count)
{
    if (std::isnan(count))
        return 0;
    const double n = std::trunc(count);
    if (n >= 64 || n <= -64)
        return 0;
    const int bits = static_cast<int>(n);
    return bits >= 0 ? a << bits : a >> -bits;
}

double applyFunction(const QString &name, double x)
{
    if (name == QLatin1String("sin"))
        return std::sin(x);
    if (name == QLatin1String("cos"))
        return std::cos(x);
    if (name == QLatin1String("sqrt"))
        return std::sqrt(x);
    if (name == QLatin1String("abs"))
        return std::fabs(x);
    if (name == QLatin1String("exp"))
        return std::exp(x);
    if (name == QLatin1String("log"))
        return std::log(x);
    if (name == QLatin1String("log10"))
        return std::log10(x);
    if (name == QLatin1String("trunc"))
        return std::trunc(x);
    if (name == QLatin1String("round"))
        return std::round(x);
    if (name == QLatin1String("floor"))
        return std::floor(x);
    if (name == QLatin1String("ceil"))
        return std::ceil(x);
    // rand: the argument only marks the call.
    return expressionRandom();
}

quint32 &randomState()
{
    return ProgramState::instance().randomState;
}

} // namespace

void seedExpressionRandom(quint32 seed)
{
    randomState() = seed;
}

int expressionRandom()
{
    quint32 &state = randomState();
    state = state * 1103515245u + 12345u;
    return int((state / 65536u) % 32768u);
}

double getValue(const QString &operand, OperandLookup *lookup)
{
    bool ok = false;
    const double number = operand.toDouble(&ok);
    if (ok)
        return number;
    if (operand.startsWith(QLatin1String("0x"))) {
        const qlonglong hex = operand.toLongLong(&ok, 16);
        if (ok)
            return double(hex);
    }
    if (!lookup)
        return 0;
    bool found = false;
    const double value = lookup->operandValue(operand, &found);
    if (found)
        return value;
    lookup->reportInvalidFormulaValue(operand);
    return 0;
}

double applyOperator(double right, double left, const QString &op, bool *ok)
{
    const double a = left;
    const double b = right;
    if (ok)
        *ok = true;

    if (op == QLatin1String("+"))
        return a + b;
    if (op == QLatin1String("-"))
        return a - b;
    if (op == QLatin1String("*"))
        return a * b;
    if (op == QLatin1String("/"))
        return a / b;
    if (op == QLatin1String("^"))
        return std::pow(a, b);
    if (op == QLatin1String("%"))
        return remainder32(a, b);
    if (op == QLatin1String(">"))
        return a > b ? 1 : 0;
    if (op == QLatin1String("<"))
        return a < b ? 1 : 0;
    if (op == QLatin1String(">="))
        return a >= b ? 1 : 0;
    if (op == QLatin1String("<="))
        return a <= b ? 1 : 0;
    if (op == QLatin1String("=="))
        return a == b ? 1 : 0;
    if (op == QLatin1String("!="))
        return a != b ? 1 : 0;
    // Bitwise operators work on unsigned 32-bit values: bit 31 stays a
    // positive 2^31, never a sign.
    if (op == QLatin1String("&"))
        return double(wrapToUnsigned32(a) & wrapToUnsigned32(b));
    if (op == QLatin1String("|"))
        return double(wrapToUnsigned32(a) | wrapToUnsigned32(b));
    if (op == QLatin1String("_"))
        return double(wrapToUnsigned32(a) ^ wrapToUnsigned32(b));
    if (op == QLatin1String("<<"))
        return double(shiftLeft(wrapToUnsigned64(a), b));
    if (op == QLatin1String(">>"))
        return double(shiftLeft(wrapToUnsigned64(a), std::isnan(b) ? b : -b));

    if (ok)
        *ok = false;
    return 0;
}

double evaluatePostfix(QStringList postfix, const QStringList &numbers, const QStringList &names,
                       OperandLookup *lookup, bool *ok)
{
    bool localOk = true;
    bool &valid = ok ? *ok : localOk;
    valid = true;

    if (postfix.size() == 1)
        return getValue(postfix.first(), lookup);

    const QSet<QString> operands = QSet<QString>(numbers.cbegin(), numbers.cend())
                                   + QSet<QString>(names.cbegin(), names.cend());
    const QLatin1String colon(":");
    QVector<double> stack;
    double result = 0;

    for (int i = 0; i < postfix.size(); ++i) {
        const QString &token = postfix.at(i);
        if (operands.contains(token)) {
            stack.append(getValue(token, lookup));
        } else if (token == colon) {
            // "c a b : ?": the "?" that follows belongs to this step.
            ++i;
            if (stack.size() < 3)
                continue;
            const double b = stack.takeLast();
            const double a = stack.takeLast();
            const double c = stack.takeLast();
            // A NaN condition counts as true, as everywhere else a value
            // other than 0 does.
            result = std::trunc(c) != 0 ? a : b;
            stack.append(result);
        } else if (isExpressionOperator(token)) {
            if (stack.isEmpty())
                continue;
            const double right = stack.takeLast();
            if (stack.isEmpty())
                continue; // the popped value is lost
            const double left = stack.takeLast();
            result = applyOperator(right, left, token, &valid);
            if (!valid)
                return 0;
            stack.append(result);
        } else if (isMathFunction(token)) {
            if (stack.isEmpty())
                continue;
            result = applyFunction(token, stack.takeLast());
            stack.append(result);
        }
        // Any other token is ignored.
    }
    return result;
}
