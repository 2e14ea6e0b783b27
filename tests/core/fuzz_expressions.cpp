// Random and mutated input for the number-literal parser and every step of
// the formula engine, run under AddressSanitizer and UndefinedBehaviorSanitizer.
// A fixed seed keeps every run the same; the counts keep it to a few seconds.

#include "expression.h"
#include "expressionrename.h"
#include "numberliteral.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

const char *const literalSeeds[] = {
    "42", "-7", "  42  ", "(42u)", "u12", "0x1F", "(0x20u)", "0xFFFFFFFFFFFFFFFF",
    "0x10000000000000000", "2.5", "(2.5)", "1234567.5", "0b1010", " 0b11", "-0x10", "0X1F",
    "1e3", ".5", "99999999999999999999", "-9223372036854775809", "MODE", "\"abc\"", "", "   ",
};

const char *const formulaSeeds[] = {
    "1+2*3", "(1+2)*3", "2^3^2", "x*-2", "(-5)", "-5", "-x", "a.+b", "a.*b", "a.^b", "1.5+1",
    "7%0", "-7%2", "1/0", "3>2?10:20", "0.5?10:20", "a=1", "2~1", "~1", "sin(0)", "rand(0)",
    "a<(b+1)", "x*-(b+c)", "a--1", "1<<64", "0x80000000.+1", "MODE==\"abc\"", "t[3]+1", "1)+2",
    "c?a:b?x:c", "pump.value*2", "abs(floor(-1.5))", "((((", "))))", "x*--sin(-(1))",
};

// Characters that mean something to the tokenizer, weighted above the rest.
const QString formulaAlphabet = QStringLiteral("0123456789abcxyzu.+-*/^%<>=!?:~&|()[]\"_ \t0x0b");

class Fuzzer
{
public:
    explicit Fuzzer(quint32 seed) : m_random(seed) {}

    int below(int n) { return n <= 0 ? 0 : int(m_random.bounded(quint32(n))); }
    bool chance(int percent) { return below(100) < percent; }

    QChar randomChar()
    {
        const int kind = below(10);
        if (kind < 7)
            return formulaAlphabet.at(below(formulaAlphabet.size()));
        if (kind < 9)
            return QChar(ushort(32 + below(95)));
        // Anything in UTF-16, lone surrogates and line breaks included.
        return QChar(ushort(below(0x10000)));
    }

    QString randomText(int maxLength)
    {
        QString text;
        const int length = below(maxLength + 1);
        for (int i = 0; i < length; ++i)
            text.append(randomChar());
        return text;
    }

    QString mutate(QString text)
    {
        const int steps = 1 + below(4);
        for (int s = 0; s < steps; ++s) {
            const int at = below(text.size() + 1);
            switch (below(5)) {
            case 0:
                text.insert(at, randomChar());
                break;
            case 1:
                text.remove(at, 1 + below(3));
                break;
            case 2:
                if (at < text.size())
                    text[at] = randomChar();
                break;
            case 3: // duplicate a piece
                text.insert(at, text.mid(below(text.size() + 1), 1 + below(6)));
                break;
            default:
                text.insert(at, randomText(4));
                break;
            }
        }
        return text;
    }

private:
    QRandomGenerator m_random;
};

// Knows a few names with awkward values, reports every other one.
class FuzzLookup : public OperandLookup
{
public:
    FuzzLookup()
    {
        values = {
            {QStringLiteral("x"), 3},
            {QStringLiteral("y1"), -2.5},
            {QStringLiteral("a"), 6},
            {QStringLiteral("b"), 4},
            {QStringLiteral("c"), 0},
            {QStringLiteral("pump.value"), 7},
            {QStringLiteral("t[2]"), 1e300},
            {QStringLiteral("big"), 4294967296.0 + 5},
            {QStringLiteral("neg"), -1},
            {QStringLiteral("intmin"), -2147483648.0},
            {QStringLiteral("bit31"), 2147483648.0},
            {QStringLiteral("huge"), -1e308},
            {QStringLiteral("nanv"), notANumber},
            {QStringLiteral("infv"), infinity},
            {QStringLiteral("ninf"), -infinity},
            {QStringLiteral("tiny"), 4.9e-324},
        };
    }

    double operandValue(const QString &operand, bool *found) override
    {
        *found = values.contains(operand);
        return values.value(operand);
    }
    void reportInvalidFormulaValue(const QString &) override { ++reports; }

    QHash<QString, double> values;
    int reports = 0;
};

bool sameValue(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

// A fully parenthesised formula and its value computed directly: the engine
// must agree with it whatever the grouping rules of its operator stack.
struct Generated {
    QString text;
    double value;
};

class FormulaGenerator
{
public:
    FormulaGenerator(Fuzzer &fuzzer, FuzzLookup &lookup) : m_fuzzer(fuzzer), m_lookup(lookup)
    {
        m_names = m_lookup.values.keys();
        std::sort(m_names.begin(), m_names.end());
    }

    Generated generate(int depth)
    {
        if (depth == 0 || m_fuzzer.chance(25))
            return leaf();
        switch (m_fuzzer.below(8)) {
        case 0: { // unary minus
            const Generated x = generate(depth - 1);
            return {QStringLiteral("(-%1)").arg(x.text), 0 - x.value};
        }
        case 1: { // function
            static const char *const functions[] = {"sin",   "cos",   "sqrt",  "abs",
                                                    "exp",   "log",   "log10", "trunc",
                                                    "round", "floor", "ceil"};
            const QString f = QLatin1String(functions[m_fuzzer.below(11)]);
            const Generated x = generate(depth - 1);
            return {QStringLiteral("%1(%2)").arg(f, x.text), function(f, x.value)};
        }
        case 2: { // conditional
            const Generated c = generate(depth - 1);
            const Generated a = generate(depth - 1);
            const Generated b = generate(depth - 1);
            return {QStringLiteral("(%1?%2:%3)").arg(c.text, a.text, b.text),
                    std::trunc(c.value) != 0 ? a.value : b.value};
        }
        default: { // binary operator: written form, token
            static const char *const operators[][2] = {
                {"+", "+"},   {"-", "-"},   {"*", "*"},   {"/", "/"},   {"^", "^"},
                {"%", "%"},   {"<", "<"},   {">", ">"},   {"<=", "<="}, {">=", ">="},
                {"==", "=="}, {"!=", "!="}, {"&", "&"},   {"|", "|"},   {".*", "&"},
                {".+", "|"},  {".^", "_"},  {"<<", "<<"}, {">>", ">>"},
            };
            const auto &op = operators[m_fuzzer.below(19)];
            const Generated left = generate(depth - 1);
            const Generated right = generate(depth - 1);
            bool ok = false;
            const double value = applyOperator(right.value, left.value, QLatin1String(op[1]), &ok);
            return {QStringLiteral("(%1%2%3)").arg(left.text, QLatin1String(op[0]), right.text),
                    value};
        }
        }
    }

private:
    Generated leaf()
    {
        switch (m_fuzzer.below(4)) {
        case 0: {
            const QString name = m_names.at(m_fuzzer.below(m_names.size()));
            return {name, m_lookup.values.value(name)};
        }
        case 1: {
            const int n = m_fuzzer.below(1000);
            return {QString::number(n), double(n)};
        }
        case 2: {
            const QString text = QStringLiteral("%1.%2").arg(m_fuzzer.below(100)).arg(m_fuzzer.below(100));
            return {text, text.toDouble()};
        }
        default: {
            const quint32 n = quint32(m_fuzzer.below(1 << 30)) * 4u + quint32(m_fuzzer.below(4));
            return {QStringLiteral("0x%1").arg(n, 0, 16), double(n)};
        }
        }
    }

    static double function(const QString &f, double x)
    {
        if (f == QLatin1String("sin")) return std::sin(x);
        if (f == QLatin1String("cos")) return std::cos(x);
        if (f == QLatin1String("sqrt")) return std::sqrt(x);
        if (f == QLatin1String("abs")) return std::fabs(x);
        if (f == QLatin1String("exp")) return std::exp(x);
        if (f == QLatin1String("log")) return std::log(x);
        if (f == QLatin1String("log10")) return std::log10(x);
        if (f == QLatin1String("trunc")) return std::trunc(x);
        if (f == QLatin1String("round")) return std::round(x);
        if (f == QLatin1String("floor")) return std::floor(x);
        return std::ceil(x);
    }

    Fuzzer &m_fuzzer;
    FuzzLookup &m_lookup;
    QStringList m_names;
};

void checkFormula(const QString &formula, FuzzLookup &lookup)
{
    QStringList tokens, numbers, names;
    bool hasString = false;
    tokenizeExpression(formula, &tokens, &numbers, &names, &hasString);

    bool quoted = false;
    for (const QString &n : qAsConst(numbers))
        quoted = quoted || n.startsWith(QLatin1Char('"'));
    QCOMPARE(hasString, quoted);
    for (const QString &n : qAsConst(names))
        QVERIFY(tokens.contains(n));

    const QStringList postfix = infixToPostfix(tokens, numbers, names);
    QVERIFY(postfix.size() <= tokens.size());
    const QSet<QString> operands = QSet<QString>(numbers.cbegin(), numbers.cend())
                                   + QSet<QString>(names.cbegin(), names.cend());
    for (const QString &t : postfix)
        QVERIFY2(operands.contains(t) || isExpressionOperator(t) || isMathFunction(t),
                 qPrintable(formula));

    bool ok = true;
    evaluatePostfix(postfix, numbers, names, &lookup, &ok);
    if (!ok) {
        // Only tokens without an evaluation rule make it fail.
        QVERIFY2(postfix.contains(QStringLiteral("~")) || postfix.contains(QStringLiteral("?")),
                 qPrintable(formula));
    }
}

void checkLiteral(const QString &text)
{
    static const QRegularExpression integer(QStringLiteral("^-?[0-9]+$"));
    const int code = numberLiteralFormat(text);
    QVERIFY(code >= DecimalLiteral && code <= EmptyText);
    const QString parsed = parseNumberLiteral(text);
    switch (code) {
    case DecimalLiteral:
    case HexLiteral:
    case BinaryLiteral:
        QVERIFY2(integer.match(parsed).hasMatch(), qPrintable(text));
        break;
    case FractionLiteral: {
        bool ok = false;
        parsed.toDouble(&ok);
        QVERIFY2(ok, qPrintable(text));
        break;
    }
    case OtherText:
        QCOMPARE(parsed, text);
        break;
    default:
        QVERIFY(parsed.isEmpty());
        break;
    }
    isHexLiteral(text);
    isDecimalLiteral(text);
    for (int c = -1; c <= 6; ++c)
        convertLiteralByFormat(c, text);

    bool ok = false;
    quint32 expected = parsed.toUInt(&ok, 10);
    if (!ok)
        expected = 0;
    for (int c = -1; c <= 6; ++c) {
        quint32 value = 1;
        const QString written = formatNumberLiteral(text, &value, c, c % 2 == 0);
        QCOMPARE(value, expected);
        if (c == HexLiteral)
            QCOMPARE(written, QString::number(value, 16));
    }
}

} // namespace

class FuzzExpressions : public QObject
{
    Q_OBJECT

private slots:
    void literalsSurviveRandomText();
    void formulasSurviveRandomText();
    void postfixListsSurviveRandomTokens();
    void wellFormedFormulasMatchDirectEvaluation();
    void operatorsSurviveExtremeOperands();
    void renamedOperandsRoundTrip();
};

void FuzzExpressions::literalsSurviveRandomText()
{
    Fuzzer fuzzer(0x5eed0160);
    for (int i = 0; i < 30000; ++i) {
        const QString text = fuzzer.chance(50)
            ? fuzzer.mutate(QString::fromUtf8(literalSeeds[fuzzer.below(int(std::size(literalSeeds)))]))
            : fuzzer.randomText(24);
        checkLiteral(text);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("literal: ") + text));
    }
}

void FuzzExpressions::formulasSurviveRandomText()
{
    Fuzzer fuzzer(0x5eed0161);
    FuzzLookup lookup;
    QStringList seeds;
    for (const char *seed : formulaSeeds)
        seeds.append(QString::fromUtf8(seed));

    for (int i = 0; i < 60000; ++i) {
        QString formula;
        switch (fuzzer.below(3)) {
        case 0:
            formula = fuzzer.mutate(seeds.at(fuzzer.below(seeds.size())));
            break;
        case 1: // two seeds spliced with an operator
            formula = seeds.at(fuzzer.below(seeds.size())) + fuzzer.randomText(2)
                      + seeds.at(fuzzer.below(seeds.size()));
            break;
        default:
            formula = fuzzer.randomText(40);
            break;
        }
        checkFormula(formula, lookup);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("formula: ") + formula));
    }
    // Long runs of the same characters: deep stacks, many unary groups.
    for (const char *piece : {"(", ")", "-", "*-", "(-", "?", ":", "<", ".+", "sin(", "1<<"}) {
        checkFormula(QString::fromUtf8(piece).repeated(5000) + QStringLiteral("1"), lookup);
        checkFormula(QStringLiteral("1") + QString::fromUtf8(piece).repeated(5000), lookup);
    }
}

void FuzzExpressions::postfixListsSurviveRandomTokens()
{
    Fuzzer fuzzer(0x5eed0162);
    FuzzLookup lookup;
    const QStringList vocabulary = {
        "+", "-", "^", "*", "/", "<<", ">>", "<", ">", "<=", ">=", "==", "!=", "?", ":", "~", "&",
        "|", "_", "%", "(", ")", "=", "sin", "sqrt", "log", "rand", "0", "1", "-3", "2.5",
        "0x10", "0xZZ", "x", "nanv", "infv", "intmin", "unknown", "\"abc\"", "",
    };
    const QStringList numbers = {"0", "1", "-3", "2.5", "0x10", "0xZZ", "\"abc\""};
    const QStringList names = {"x", "nanv", "infv", "intmin", "unknown"};
    for (int i = 0; i < 50000; ++i) {
        QStringList postfix;
        const int length = fuzzer.below(12);
        for (int k = 0; k < length; ++k)
            postfix.append(vocabulary.at(fuzzer.below(vocabulary.size())));
        bool ok = true;
        evaluatePostfix(postfix, numbers, names, &lookup, &ok);
        if (!ok)
            QVERIFY(postfix.contains(QStringLiteral("~")) || postfix.contains(QStringLiteral("?")));
        // The same tokens as an infix list.
        const QStringList converted = infixToPostfix(postfix, numbers, names);
        QVERIFY(converted.size() <= postfix.size());
    }
}

void FuzzExpressions::wellFormedFormulasMatchDirectEvaluation()
{
    Fuzzer fuzzer(0x5eed0163);
    FuzzLookup lookup;
    FormulaGenerator generator(fuzzer, lookup);
    for (int i = 0; i < 30000; ++i) {
        const Generated formula = generator.generate(1 + fuzzer.below(5));
        bool ok = false;
        const double value = evaluateFormula(parseFormula(formula.text), &lookup, &ok);
        QVERIFY2(ok, qPrintable(formula.text));
        QVERIFY2(sameValue(value, formula.value),
                 qPrintable(QStringLiteral("%1 gives %2, expected %3")
                                .arg(formula.text)
                                .arg(value, 0, 'g', 17)
                                .arg(formula.value, 0, 'g', 17)));
    }
    QCOMPARE(lookup.reports, 0);
}

void FuzzExpressions::operatorsSurviveExtremeOperands()
{
    Fuzzer fuzzer(0x5eed0164);
    const double special[] = {0.0, -0.0, 1.0, -1.0, 0.5, -0.5, 31.0, 32.0, 63.0, 64.0, 65.0,
                              -63.0, -64.0, -65.0, 2147483647.0, 2147483648.0, -2147483648.0,
                              -2147483649.0, 4294967295.0, 4294967296.0, 9.2233720368547758e18,
                              1.8446744073709552e19, -1.8446744073709552e19, 1e300, -1e300,
                              std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::lowest(),
                              std::numeric_limits<double>::denorm_min(), infinity, -infinity,
                              notANumber};
    const QStringList operators = {"+", "-",  "^",  "*", "/", "<<", ">>", "<", ">", "<=", ">=",
                                   "==", "!=", "?", ":", "~", "&", "|", "_", "%", "", "x"};
    auto operand = [&]() {
        if (fuzzer.chance(60))
            return special[fuzzer.below(int(std::size(special)))];
        // Any bit pattern: NaNs with payloads, denormals, huge exponents.
        quint64 bits = (quint64(fuzzer.below(1 << 16)) << 48) | (quint64(fuzzer.below(1 << 24)) << 24)
                       | quint64(fuzzer.below(1 << 24));
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    };
    for (int i = 0; i < 300000; ++i) {
        const QString &op = operators.at(fuzzer.below(operators.size()));
        bool ok = true;
        const double value = applyOperator(operand(), operand(), op, &ok);
        if (op == QLatin1String("&") || op == QLatin1String("|") || op == QLatin1String("_"))
            QVERIFY(value >= 0 && value <= 4294967295.0 && value == std::trunc(value));
        if (op == QLatin1String("%"))
            QVERIFY(value > -2147483648.0 && value < 2147483648.0 && value == std::trunc(value));
        if (op == QLatin1String("<<") || op == QLatin1String(">>"))
            QVERIFY(value >= 0 && value <= 1.8446744073709552e19);
    }
}

// Renaming every operand and back gives the formula again, and a rename that
// changes nothing changes no character, whatever the text.
void FuzzExpressions::renamedOperandsRoundTrip()
{
    Fuzzer fuzzer(0x5eed0171);
    QStringList seeds;
    for (const char *seed : formulaSeeds)
        seeds.append(QString::fromUtf8(seed));
    const auto same = [](const QString &operand) { return operand; };
    const auto marked = [](const QString &operand) { return QStringLiteral("\u00a7") + operand; };
    const auto unmarked = [](const QString &operand) {
        return operand.startsWith(QChar(0xa7)) ? operand.mid(1) : operand;
    };
    for (int i = 0; i < 40000; ++i) {
        QString formula = fuzzer.chance(50) ? fuzzer.mutate(seeds.at(fuzzer.below(seeds.size())))
                                            : fuzzer.randomText(40);
        formula.remove(QChar(0xa7));
        QCOMPARE(renameExpressionOperands(formula, same), formula);
        QCOMPARE(renameExpressionOperands(renameExpressionOperands(formula, marked), unmarked), formula);
    }
    for (const char *piece : {"[", "\"", ".+", "a.", "-"}) {
        const QString formula = QString::fromUtf8(piece).repeated(5000) + QStringLiteral("x");
        QCOMPARE(renameExpressionOperands(formula, same), formula);
    }
    // The reference renamers: a rename to a fresh name and back gives the
    // text again, whatever it holds.
    const QString fresh = QStringLiteral("\u00a7N");
    for (int i = 0; i < 20000; ++i) {
        QString text = fuzzer.chance(50) ? fuzzer.mutate(seeds.at(fuzzer.below(seeds.size())))
                                         : fuzzer.randomText(40);
        text.remove(QChar(0xa7));
        for (const QString &name : {QStringLiteral("a"), QStringLiteral("x"), QStringLiteral("a.b")}) {
            QCOMPARE(renameFormulaReferences(renameFormulaReferences(text, name, fresh), fresh, name), text);
            QCOMPARE(renameAssignmentReferences(renameAssignmentReferences(text, name, fresh), fresh, name), text);
            QCOMPARE(renameCountedNames(renameCountedNames(text, name, fresh), fresh, name), text);
        }
    }
}

QTEST_APPLESS_MAIN(FuzzExpressions)
#include "fuzz_expressions.moc"
