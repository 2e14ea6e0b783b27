#include "expression.h"
#include "expressionrename.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

const double notANumber = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

// Names resolved from a table; every report is kept.
class TableLookup : public OperandLookup
{
public:
    double operandValue(const QString &operand, bool *found) override
    {
        *found = values.contains(operand);
        return values.value(operand);
    }
    void reportInvalidFormulaValue(const QString &operand) override { reported.append(operand); }

    QHash<QString, double> values;
    QStringList reported;
};

TableLookup standardLookup()
{
    TableLookup lookup;
    lookup.values = {
        {QStringLiteral("x"), 3},
        {QStringLiteral("a"), 6},
        {QStringLiteral("b"), 4},
        {QStringLiteral("c"), 2},
        {QStringLiteral("pump.value"), 7},
        {QStringLiteral("t[3]"), 9},
        {QStringLiteral("neg"), -1},
        {QStringLiteral("big"), 4294967296.0 + 5}, // 2^32 + 5
        {QStringLiteral("nanv"), notANumber},
    };
    return lookup;
}

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TestExpression : public QObject
{
    Q_OBJECT

private slots:
    void syntaxErrors_data();
    void syntaxErrors();
    void tokenizes_data();
    void tokenizes();
    void tokenizerAppendsAndResetsTextFlag();
    void convertsToPostfix_data();
    void convertsToPostfix();
    void evaluates_data();
    void evaluates();
    void appliesOperator_data();
    void appliesOperator();
    void resolvesOperands_data();
    void resolvesOperands();
    void knowsNoNamesWithoutLookup();
    void reEvaluatesKeptPostfixWithNewValues();
    void randIsSeededFifteenBitSequence();
    void randInFormulaDrawsFromGenerator();
    void textComparisonHasThreeEntryPostfix_data();
    void textComparisonHasThreeEntryPostfix();
    void renamesOperandsAsWritten_data();
    void renamesOperandsAsWritten();
    void renamesWholeReferences_data();
    void renamesWholeReferences();
};

void TestExpression::tokenizes_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QStringList>("tokens");
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<QStringList>("names");

    // operators
    QTest::newRow("arithmetic") << "1+2*3" << words("1 + 2 * 3") << words("1 2 3") << words("");
    QTest::newRow("shift left") << "a<<2" << words("a << 2") << words("2") << words("a");
    QTest::newRow("less or equal") << "a<=b" << words("a <= b") << words("") << words("a b");
    QTest::newRow("single less") << "a<b" << words("a < b") << words("") << words("a b");
    QTest::newRow("not equal") << "a!=b" << words("a != b") << words("") << words("a b");
    QTest::newRow("dot plus is or") << "a.+b" << words("a | b") << words("") << words("a b");
    QTest::newRow("dot star is and") << "a.*b" << words("a & b") << words("") << words("a b");
    QTest::newRow("dot caret is xor") << "a.^b" << words("a _ b") << words("") << words("a b");
    QTest::newRow("decimal point") << "1.5+1" << words("1.5 + 1") << words("1.5 1") << words("");
    QTest::newRow("keyword reference") << "pump.value*2" << words("pump.value * 2") << words("2")
                                       << words("pump.value");
    QTest::newRow("hex operand") << "0x1F&a" << words("0x1F & a") << words("0x1F") << words("a");
    QTest::newRow("index keeps operators") << "t[a+1]*2" << words("t[a+1] * 2") << words("2")
                                           << words("t[a+1]");
    QTest::newRow("unclosed index takes the rest") << "t[3+1" << words("t[3+1") << words("")
                                                   << words("t[3+1");
    QTest::newRow("lone equals sign") << "a=1" << words("a = 1") << words("1") << words("a");
    QTest::newRow("trailing operator dropped") << "a*" << words("a") << words("") << words("a");

    // unary minus
    QTest::newRow("after operator") << "x*-2" << words("x * ( 0 - 2 )") << words("0 2")
                                    << words("x");
    QTest::newRow("leading number") << "-5" << words("-5") << words("-5") << words("");
    QTest::newRow("leading name") << "-x" << words("-x") << words("") << words("-x");
    QTest::newRow("minus minus number") << "a--1" << words("a - -1") << words("-1") << words("a");
    QTest::newRow("in parentheses") << "(-5)" << words("( ( 0 - 5 ) )") << words("0 5")
                                    << words("");
    QTest::newRow("after plus") << "a+-1" << words("a + ( 0 - 1 )") << words("0 1") << words("a");
    QTest::newRow("after equality") << "a==-1" << words("a == ( 0 - 1 )") << words("0 1")
                                    << words("a");
    QTest::newRow("after single less") << "a<-x" << words("a < ( 0 - x )") << words("0")
                                       << words("a x");
    QTest::newRow("twice") << "x*--2" << words("x * ( 0 - ( 0 - 2 ) )") << words("0 0 2")
                           << words("x");
    QTest::newRow("before a group") << "x*-(b+c)" << words("x * ( 0 - ( b + c ) )") << words("0")
                                    << words("x b c");
    QTest::newRow("before a function") << "x*-sin(1)" << words("x * ( 0 - sin ( 1 ) )")
                                       << words("0 1") << words("x");

    // parentheses
    QTest::newRow("group after single less") << "a<(b+1)" << words("a < ( b + 1 )") << words("1")
                                             << words("a b");
    QTest::newRow("stray closing") << "1)+2" << words("1 ) + 2") << words("1 2") << words("");

    // functions
    QTest::newRow("function call") << "sin(0)" << words("sin ( 0 )") << words("0") << words("");
    QTest::newRow("rand") << "rand(0)" << words("rand ( 0 )") << words("0") << words("");
    QTest::newRow("function name is case-sensitive") << "SIN(0)" << words("SIN ( 0 )")
                                                     << words("0") << words("SIN");
}

void TestExpression::tokenizes()
{
    QFETCH(QString, formula);
    QFETCH(QStringList, tokens);
    QFETCH(QStringList, numbers);
    QFETCH(QStringList, names);

    QStringList gotTokens, gotNumbers, gotNames;
    bool hasString = true;
    tokenizeExpression(formula, &gotTokens, &gotNumbers, &gotNames, &hasString);
    QCOMPARE(gotTokens, tokens);
    QCOMPARE(gotNumbers, numbers);
    QCOMPARE(gotNames, names);
    QVERIFY(!hasString);
}

// A caller may collect several formulas in one set of lists; the text flag
// belongs to the last formula only.
void TestExpression::tokenizerAppendsAndResetsTextFlag()
{
    QStringList tokens, numbers, names;
    bool hasString = false;
    tokenizeExpression(QStringLiteral("MODE==\"on\""), &tokens, &numbers, &names, &hasString);
    QVERIFY(hasString);
    tokenizeExpression(QStringLiteral("x+1"), &tokens, &numbers, &names, &hasString);
    QVERIFY(!hasString);
    QCOMPARE(tokens, words("MODE == \"on\" x + 1"));
    QCOMPARE(numbers, words("\"on\" 1"));
    QCOMPARE(names, words("MODE x"));

    // "-" right after the first formula's last token is still a leading minus.
    tokenizeExpression(QStringLiteral("-2"), &tokens, &numbers, &names, &hasString);
    QCOMPARE(tokens.last(), QStringLiteral("-2"));
}

void TestExpression::convertsToPostfix_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("postfix");

    // operators and precedence
    QTest::newRow("product before sum") << "1+2*3" << "1 2 3 * +";
    QTest::newRow("parentheses") << "(1+2)*3" << "1 2 + 3 *";
    QTest::newRow("left to right") << "1-2-3" << "1 2 - 3 -";
    QTest::newRow("power groups right") << "2^3^2" << "2 3 2 ^ ^";
    QTest::newRow("power takes the rest") << "a^b*c" << "a b c * ^";
    QTest::newRow("power after product") << "a*b^c" << "a b c ^ *";
    QTest::newRow("remainder takes the rest") << "a%b+c" << "a b c + %";
    QTest::newRow("remainder after sum") << "a+b%c" << "a b + c %";
    QTest::newRow("shift takes the rest") << "a<<b+c" << "a b c + <<";
    QTest::newRow("comparison after arithmetic") << "a+b<c*2" << "a b + c 2 * <";
    QTest::newRow("conditional") << "c?a:b" << "c a b : ?";
    QTest::newRow("conditional after comparison") << "3>2?10:20" << "3 2 > 10 20 : ?";
    QTest::newRow("nested conditional groups right") << "c?a:b?x:c" << "c a b x c : ? : ?";
    QTest::newRow("function") << "sin(0)" << "0 sin";
    QTest::newRow("function in a sum") << "sin(x)+1" << "x sin 1 +";
    QTest::newRow("lone equals sign dropped") << "a=1" << "a 1";

    // stray and missing parentheses
    QTest::newRow("stray closing") << "1)+2" << "1 2 +";
    QTest::newRow("extra closing") << "(1+2))*3" << "1 2 + 3 *";
    QTest::newRow("closing only") << ")" << "";
    QTest::newRow("unclosed group stops the rest") << "a+(b" << "a b";
    QTest::newRow("function name inside a group") << "(sin)" << "sin";
}

void TestExpression::convertsToPostfix()
{
    QFETCH(QString, formula);
    QFETCH(QString, postfix);

    const ParsedFormula parsed = parseFormula(formula);
    QCOMPARE(parsed.postfix.join(QLatin1Char(' ')), postfix);
}

void TestExpression::evaluates_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("reported");

    const QStringList none;

    // literal evaluation
    QTest::newRow("one number") << "5" << 5.0 << true << none;
    QTest::newRow("leading minus number") << "-5" << -5.0 << true << none;
    QTest::newRow("fraction") << "1.5" << 1.5 << true << none;
    QTest::newRow("hex operand") << "0x10+1" << 17.0 << true << none;
    QTest::newRow("number in parentheses") << "(5)" << 5.0 << true << none;
    QTest::newRow("empty formula") << "" << 0.0 << true << none;
    QTest::newRow("blanks removed") << " 1 + 2 " << 3.0 << true << none;

    // arithmetics and precedence
    QTest::newRow("product before sum") << "1+2*3" << 7.0 << true << none;
    QTest::newRow("parentheses") << "(1+2)*3" << 9.0 << true << none;
    QTest::newRow("subtraction left to right") << "10-4-3" << 3.0 << true << none;
    QTest::newRow("division in doubles") << "7/2" << 3.5 << true << none;
    QTest::newRow("division by zero") << "1/0" << infinity << true << none;
    QTest::newRow("power groups right") << "2^3^2" << 512.0 << true << none;
    QTest::newRow("power takes the product") << "2^3*2" << 64.0 << true << none;
    QTest::newRow("power before product") << "2*3^2" << 18.0 << true << none;
    QTest::newRow("remainder takes the sum") << "7%4+1" << 2.0 << true << none;
    QTest::newRow("remainder after sum") << "1+7%4" << 0.0 << true << none;
    QTest::newRow("remainder by zero") << "7%0" << -1.0 << true << none;
    QTest::newRow("remainder sign follows dividend") << "-7%2" << -1.0 << true << none;

    // unary minus
    QTest::newRow("after product") << "x*-2" << -6.0 << true << none;
    QTest::newRow("in parentheses") << "(-5)" << -5.0 << true << none;
    QTest::newRow("minus minus number") << "a--1" << 7.0 << true << none;
    QTest::newRow("after plus") << "a+-1" << 5.0 << true << none;
    QTest::newRow("twice") << "x*--2" << 6.0 << true << none;
    QTest::newRow("before a group") << "x*-(a+b)" << -30.0 << true << none;
    QTest::newRow("before a function") << "x*-sqrt(4)" << -6.0 << true << none;
    QTest::newRow("exponent") << "2^-1" << 0.5 << true << none;
    QTest::newRow("leading name unknown") << "-x" << 0.0 << true << QStringList{"-x"};

    // comparisons
    QTest::newRow("greater") << "3>2" << 1.0 << true << none;
    QTest::newRow("less false") << "3<2" << 0.0 << true << none;
    QTest::newRow("less or equal") << "2<=2" << 1.0 << true << none;
    QTest::newRow("greater or equal false") << "2>=3" << 0.0 << true << none;
    QTest::newRow("equal") << "2==2" << 1.0 << true << none;
    QTest::newRow("equal to negative") << "neg==-1" << 1.0 << true << none;
    QTest::newRow("not equal false") << "2!=2" << 0.0 << true << none;
    QTest::newRow("single less before a group") << "a<(b+3)" << 1.0 << true << none;
    QTest::newRow("single greater before minus name") << "a>-x" << 1.0 << true << none;
    QTest::newRow("NaN equals nothing") << "nanv==nanv" << 0.0 << true << none;
    QTest::newRow("NaN differs from itself") << "nanv!=nanv" << 1.0 << true << none;

    // conditional
    QTest::newRow("true branch") << "3>2?10:20" << 10.0 << true << none;
    QTest::newRow("condition truncated to zero") << "0.5?10:20" << 20.0 << true << none;
    QTest::newRow("nested, inner taken") << "0?1:0?2:3" << 3.0 << true << none;
    QTest::newRow("nested, outer taken") << "1?1:0?2:3" << 1.0 << true << none;
    QTest::newRow("branches with operators") << "a>5?a*2:a" << 12.0 << true << none;
    QTest::newRow("negative branch") << "c==2?-1:1" << -1.0 << true << none;
    QTest::newRow("NaN condition holds") << "nanv?1:2" << 1.0 << true << none;

    // bitwise operators and shifts
    QTest::newRow("and") << "12.*10" << 8.0 << true << none;
    QTest::newRow("or") << "12.+3" << 15.0 << true << none;
    QTest::newRow("xor") << "12.^10" << 6.0 << true << none;
    QTest::newRow("or keeps bit 31 unsigned") << "0x80000000.+1" << 2147483649.0 << true << none;
    QTest::newRow("negative and wraps") << "neg.*0xFF" << 255.0 << true << none;
    QTest::newRow("beyond 32 bits and wraps") << "big.*0xFF" << 5.0 << true << none;
    QTest::newRow("shift left") << "1<<4" << 16.0 << true << none;
    QTest::newRow("shift right") << "256>>4" << 16.0 << true << none;
    QTest::newRow("shift left by minus one") << "4<<-1" << 2.0 << true << none;
    QTest::newRow("shift left by 63") << "1<<63" << 9223372036854775808.0 << true << none;
    QTest::newRow("shift left by 64") << "1<<64" << 0.0 << true << none;

    // the functions
    QTest::newRow("sin") << "sin(0)" << 0.0 << true << none;
    QTest::newRow("cos") << "cos(0)" << 1.0 << true << none;
    QTest::newRow("sqrt of a sum") << "sqrt(a+b+6)" << 4.0 << true << none;
    QTest::newRow("abs of negative") << "abs(-3)" << 3.0 << true << none;
    QTest::newRow("exp") << "exp(0)" << 1.0 << true << none;
    QTest::newRow("log is natural") << "log(1)" << 0.0 << true << none;
    QTest::newRow("log10") << "log10(1000)" << 3.0 << true << none;
    QTest::newRow("trunc toward zero") << "trunc(-2.7)" << -2.0 << true << none;
    QTest::newRow("round half away from zero") << "round(2.5)" << 3.0 << true << none;
    QTest::newRow("round negative half") << "round(-2.5)" << -3.0 << true << none;
    QTest::newRow("floor") << "floor(-2.5)" << -3.0 << true << none;
    QTest::newRow("ceil") << "ceil(2.1)" << 3.0 << true << none;
    QTest::newRow("function of function") << "abs(floor(-1.5))" << 2.0 << true << none;

    // operand lookup
    QTest::newRow("keyword reference") << "pump.value*2" << 14.0 << true << none;
    QTest::newRow("indexed name") << "t[3]+1" << 10.0 << true << none;
    QTest::newRow("unknown name reported, counts 0") << "x+unknown" << 3.0 << true
                                                     << QStringList{"unknown"};
    QTest::newRow("unknown one-token formula") << "unknown" << 0.0 << true
                                               << QStringList{"unknown"};
    QTest::newRow("bad hex reported") << "0xZZ+1" << 1.0 << true << QStringList{"0xZZ"};

    // malformed formulas
    QTest::newRow("lone equals sign") << "a=1" << 0.0 << true << none;
    QTest::newRow("tilde with one value skipped") << "~1" << 0.0 << true << none;
    QTest::newRow("tilde has no rule") << "2~1" << 0.0 << false << none;
    QTest::newRow("question mark without colon") << "c?a" << 0.0 << false << none;
    QTest::newRow("operator without left value") << "1+" << 0.0 << true << none;
    QTest::newRow("stray closing") << "1)+2" << 3.0 << true << none;
    QTest::newRow("closing only") << ")" << 0.0 << true << none;
    QTest::newRow("openings only") << "((((" << 0.0 << true << none;
    QTest::newRow("operator characters as operands")
        << "*/^%<<" << 0.0 << true << QStringList{"/", "%"};
    QTest::newRow("colon without condition") << "1:2" << 0.0 << true << none;
}

void TestExpression::evaluates()
{
    QFETCH(QString, formula);
    QFETCH(double, value);
    QFETCH(bool, ok);
    QFETCH(QStringList, reported);

    TableLookup lookup = standardLookup();
    bool gotOk = !ok;
    const double got = evaluateFormula(parseFormula(formula), &lookup, &gotOk);
    QCOMPARE(got, value);
    QCOMPARE(gotOk, ok);
    QCOMPARE(lookup.reported, reported);
}

void TestExpression::appliesOperator_data()
{
    QTest::addColumn<double>("left");
    QTest::addColumn<QString>("op");
    QTest::addColumn<double>("right");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("ok");

    // remainder in 32-bit signed integers
    QTest::newRow("smallest int % -1") << -2147483648.0 << "%" << -1.0 << 0.0 << true;
    QTest::newRow("% dividend wraps") << 4294967296.0 + 7 << "%" << 4.0 << 3.0 << true;
    QTest::newRow("% divisor wraps to 0") << 5.0 << "%" << 4294967296.0 << -1.0 << true;
    QTest::newRow("% huge dividend wraps to 0") << 1e300 << "%" << 7.0 << 0.0 << true;
    QTest::newRow("% NaN dividend") << notANumber << "%" << 3.0 << 0.0 << true;
    QTest::newRow("% NaN divisor") << 3.0 << "%" << notANumber << -1.0 << true;
    QTest::newRow("% infinite dividend") << infinity << "%" << 3.0 << 0.0 << true;
    QTest::newRow("% negative divisor") << 7.0 << "%" << -2.0 << 1.0 << true;
    QTest::newRow("% divisor truncated to 0") << 7.0 << "%" << 0.5 << -1.0 << true;

    // bitwise operators in unsigned 32-bit integers
    QTest::newRow("& with -1 wraps") << -1.0 << "&" << 255.0 << 255.0 << true;
    QTest::newRow("& keeps bit 31 unsigned") << 2147483648.0 << "&" << 4294967295.0
                                             << 2147483648.0 << true;
    QTest::newRow("| sets bit 31 unsigned") << 2147483648.0 << "|" << 1.0 << 2147483649.0
                                            << true;
    QTest::newRow("_ of -1 and 0") << -1.0 << "_" << 0.0 << 4294967295.0 << true;
    QTest::newRow("& of 1e20 wraps") << 1e20 << "&" << 4294967295.0 << 1661992960.0 << true;
    QTest::newRow("& of NaN") << notANumber << "&" << 1.0 << 0.0 << true;
    QTest::newRow("| of infinity") << infinity << "|" << 0.0 << 0.0 << true;
    QTest::newRow("& truncates fractions") << 7.9 << "&" << 3.9 << 3.0 << true;

    // shifts in unsigned 64-bit integers
    QTest::newRow("<< by 64") << 1.0 << "<<" << 64.0 << 0.0 << true;
    QTest::newRow("<< by 100") << 1.0 << "<<" << 100.0 << 0.0 << true;
    QTest::newRow("<< by 1e300") << 1.0 << "<<" << 1e300 << 0.0 << true;
    QTest::newRow("<< by -1 shifts right") << 4.0 << "<<" << -1.0 << 2.0 << true;
    QTest::newRow("<< by -64") << 4.0 << "<<" << -64.0 << 0.0 << true;
    QTest::newRow(">> by -1 shifts left") << 4.0 << ">>" << -1.0 << 8.0 << true;
    QTest::newRow(">> by 64") << 4.0 << ">>" << 64.0 << 0.0 << true;
    QTest::newRow(">> is logical") << -1.0 << ">>" << 60.0 << 15.0 << true;
    QTest::newRow("<< of -1 wraps to 64 ones") << -1.0 << "<<" << 0.0 << 18446744073709551615.0
                                               << true;
    QTest::newRow("<< by NaN") << 1.0 << "<<" << notANumber << 0.0 << true;
    QTest::newRow(">> by NaN") << 1.0 << ">>" << notANumber << 0.0 << true;
    QTest::newRow("<< of infinity") << infinity << "<<" << 1.0 << 0.0 << true;
    QTest::newRow("<< count truncated") << 1.0 << "<<" << 3.9 << 8.0 << true;

    // tokens without a rule
    QTest::newRow("tilde") << 2.0 << "~" << 1.0 << 0.0 << false;
    QTest::newRow("question mark") << 2.0 << "?" << 1.0 << 0.0 << false;
    QTest::newRow("lone equals sign") << 2.0 << "=" << 2.0 << 0.0 << false;
    QTest::newRow("empty") << 2.0 << "" << 1.0 << 0.0 << false;
}

void TestExpression::appliesOperator()
{
    QFETCH(double, left);
    QFETCH(QString, op);
    QFETCH(double, right);
    QFETCH(double, value);
    QFETCH(bool, ok);

    bool gotOk = !ok;
    QCOMPARE(applyOperator(right, left, op, &gotOk), value);
    QCOMPARE(gotOk, ok);
}

void TestExpression::resolvesOperands_data()
{
    QTest::addColumn<QString>("operand");
    QTest::addColumn<double>("value");
    QTest::addColumn<QStringList>("reported");

    QTest::newRow("decimal") << "42" << 42.0 << QStringList();
    QTest::newRow("fraction") << "2.5" << 2.5 << QStringList();
    QTest::newRow("exponent") << "1e3" << 1000.0 << QStringList();
    QTest::newRow("hex") << "0x10" << 16.0 << QStringList();
    QTest::newRow("hex as signed 64-bit") << "0x7FFFFFFFFFFFFFFF" << 9223372036854775807.0
                                          << QStringList();
    QTest::newRow("hex beyond signed 64-bit") << "0xFFFFFFFFFFFFFFFF" << 0.0
                                              << QStringList{"0xFFFFFFFFFFFFFFFF"};
    QTest::newRow("name") << "pump.value" << 7.0 << QStringList();
    QTest::newRow("unknown name") << "nothing" << 0.0 << QStringList{"nothing"};
    QTest::newRow("quoted text") << "\"abc\"" << 0.0 << QStringList{"\"abc\""};
}

void TestExpression::resolvesOperands()
{
    QFETCH(QString, operand);
    QFETCH(double, value);
    QFETCH(QStringList, reported);

    TableLookup lookup = standardLookup();
    QCOMPARE(getValue(operand, &lookup), value);
    QCOMPARE(lookup.reported, reported);
}

void TestExpression::knowsNoNamesWithoutLookup()
{
    QCOMPARE(getValue(QStringLiteral("0x10"), nullptr), 16.0);
    QCOMPARE(getValue(QStringLiteral("pump.value"), nullptr), 0.0);
    bool ok = false;
    QCOMPARE(evaluateFormula(parseFormula(QStringLiteral("x+2")), nullptr, &ok), 2.0);
    QVERIFY(ok);
}

// Math elements and table rows keep the postfix list and evaluate it again
// whenever an input changes.
void TestExpression::reEvaluatesKeptPostfixWithNewValues()
{
    const ParsedFormula formula = parseFormula(QStringLiteral("(a+b)*2"));
    TableLookup lookup = standardLookup();
    bool ok = false;
    QCOMPARE(evaluatePostfix(formula.postfix, formula.numbers, formula.names, &lookup, &ok), 20.0);
    QVERIFY(ok);

    lookup.values[QStringLiteral("a")] = 1;
    ok = false;
    QCOMPARE(evaluatePostfix(formula.postfix, formula.numbers, formula.names, &lookup, &ok), 10.0);
    QVERIFY(ok);
    QCOMPARE(formula.postfix, words("a b + 2 *"));
}

void TestExpression::randIsSeededFifteenBitSequence()
{
    // The sequence of the portable generator from the C standard, seed 1.
    seedExpressionRandom(1);
    const int expected[] = {16838, 5758, 10113, 17515, 31051};
    for (const int value : expected)
        QCOMPARE(expressionRandom(), value);

    seedExpressionRandom(2024);
    QVector<int> first;
    int lowest = 32767, highest = 0;
    for (int i = 0; i < 100000; ++i) {
        const int value = expressionRandom();
        if (i < 10)
            first.append(value);
        lowest = qMin(lowest, value);
        highest = qMax(highest, value);
    }
    QVERIFY(lowest >= 0);
    QVERIFY(highest <= 32767);
    QVERIFY(lowest < 10 && highest > 32757); // the whole range is reached

    seedExpressionRandom(2024);
    for (const int value : first)
        QCOMPARE(expressionRandom(), value);
}

void TestExpression::randInFormulaDrawsFromGenerator()
{
    const ParsedFormula formula = parseFormula(QStringLiteral("rand(0)"));
    QCOMPARE(formula.postfix, words("0 rand"));

    seedExpressionRandom(7);
    const int first = expressionRandom();
    const int second = expressionRandom();

    seedExpressionRandom(7);
    bool ok = false;
    QCOMPARE(evaluateFormula(formula, nullptr, &ok), double(first));
    QCOMPARE(evaluateFormula(formula, nullptr, &ok), double(second));
    QVERIFY(ok);
}

void TestExpression::textComparisonHasThreeEntryPostfix_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("postfix");
    QTest::addColumn<bool>("hasString");

    QTest::newRow("equal to text") << "MODE==\"abc\"" << QStringList{"MODE", "\"abc\"", "=="}
                                   << true;
    QTest::newRow("not equal to text") << "MODE!=\"abc\"" << QStringList{"MODE", "\"abc\"", "!="}
                                       << true;
    QTest::newRow("blanks removed") << " MODE == \"abc\" " << QStringList{"MODE", "\"abc\"", "=="}
                                    << true;
    QTest::newRow("numeric comparison is no text") << "MODE==3" << QStringList{"MODE", "3", "=="}
                                                   << false;
}

void TestExpression::textComparisonHasThreeEntryPostfix()
{
    QFETCH(QString, condition);
    QFETCH(QStringList, postfix);
    QFETCH(bool, hasString);

    const ParsedFormula parsed = parseFormula(condition);
    QCOMPARE(parsed.postfix, postfix);
    QCOMPARE(parsed.hasString, hasString);
}

void TestExpression::renamesOperandsAsWritten_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("renamed"); // every operand IN renamed INPUT
    QTest::newRow("operand") << "IN*2" << "INPUT*2";
    QTest::newRow("blanks kept") << " IN + 1" << " INPUT + 1";
    QTest::newRow("unary minus") << "-IN" << "-INPUT";
    QTest::newRow("longer and dotted names") << "INX+A.IN+IN" << "INX+A.IN+INPUT";
    QTest::newRow("before a dot operator") << "IN.+1" << "INPUT.+1";
    QTest::newRow("text literal") << "IN==\"IN\"" << "INPUT==\"IN\"";
    QTest::newRow("index stays with its name") << "T[IN]+IN" << "T[IN]+INPUT";
    QTest::newRow("function") << "sin(IN)" << "sin(INPUT)";
    QTest::newRow("numbers") << "0x1F+1.5" << "0x1F+1.5";
}

void TestExpression::renamesOperandsAsWritten()
{
    QFETCH(QString, formula);
    QFETCH(QString, renamed);
    const auto rename = [](const QString &operand) {
        return operand == QLatin1String("IN") ? QStringLiteral("INPUT") : operand;
    };
    QCOMPARE(renameExpressionOperands(formula, rename), renamed);
}

// The three forms a define is named in: formulas and conditions, assignment
// lists (setDef, lockon) and counted name lists (sendUSB). A is renamed NEW;
// names that only begin with A stay.
enum class ReferenceForm { Formula, Assignments, Counted };
Q_DECLARE_METATYPE(ReferenceForm)

void TestExpression::renamesWholeReferences_data()
{
    QTest::addColumn<ReferenceForm>("form");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("renamed");
    QTest::newRow("formula operand and keyword") << ReferenceForm::Formula << "A*2+A.label" << "NEW*2+NEW.label";
    QTest::newRow("formula longer names") << ReferenceForm::Formula << "AB+A_X+A.B+X.A" << "AB+A_X+A.B+X.A";
    QTest::newRow("condition text literal") << ReferenceForm::Formula << "A==\"A\"" << "NEW==\"A\"";
    QTest::newRow("assignment target and value") << ReferenceForm::Assignments << "A=1;B=A;C.index=A.label"
                                                 << "NEW=1;B=NEW;C.index=NEW.label";
    QTest::newRow("assignment keyword targets") << ReferenceForm::Assignments << "A.visible=0;A.value=3"
                                                << "NEW.visible=0;NEW.value=3";
    QTest::newRow("assignment other names") << ReferenceForm::Assignments << "AB=1;A_X=A1;A.B=2;A.nokey=1"
                                            << "AB=1;A_X=A1;A.B=2;A.nokey=1";
    QTest::newRow("assignment empty and broken parts kept") << ReferenceForm::Assignments << "A=1;;A;=A;"
                                                            << "NEW=1;;A;=NEW;";
    QTest::newRow("keyword form of a value") << ReferenceForm::Assignments << "A=index=2" << "NEW=index=2";
    QTest::newRow("counted names") << ReferenceForm::Counted << "0x01;A;2:A;-4:A;AB;2:A_X;?"
                                   << "0x01;NEW;2:NEW;-4:NEW;AB;2:A_X;?";
    QTest::newRow("counted: a colon without count") << ReferenceForm::Counted << "x:A;A:2" << "x:A;A:2";
}

void TestExpression::renamesWholeReferences()
{
    QFETCH(ReferenceForm, form);
    QFETCH(QString, text);
    QFETCH(QString, renamed);
    const QString oldName = QStringLiteral("A");
    const QString newName = QStringLiteral("NEW");
    switch (form) {
    case ReferenceForm::Formula:
        QCOMPARE(renameFormulaReferences(text, oldName, newName), renamed);
        break;
    case ReferenceForm::Assignments:
        QCOMPARE(renameAssignmentReferences(text, oldName, newName), renamed);
        break;
    case ReferenceForm::Counted:
        QCOMPARE(renameCountedNames(text, oldName, newName), renamed);
        break;
    }
}

void TestExpression::syntaxErrors_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("error"); // empty: the formula is well-formed
    QTest::newRow("sum") << "A+2*B" << "";
    QTest::newRow("unary minus and parentheses") << "2*-(A+1)*-2" << "";
    QTest::newRow("function") << "sqrt(A)+abs(-B)" << "";
    QTest::newRow("conditional") << "A>1?B:C" << "";
    QTest::newRow("text comparison") << "MODE==\"fast\"" << "";
    QTest::newRow("complement") << "~A&0xFF" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("cut after an operator") << "T_A*(2+" << "the formula ends where an operand belongs";
    QTest::newRow("open parenthesis left") << "(A+1" << "\"(\" without \")\"";
    QTest::newRow("closing parenthesis too many") << "A+1)" << "\")\" without \"(\"";
    QTest::newRow("operator first") << "*B" << "\"*\" where an operand belongs";
    QTest::newRow("two operands") << "A(B)" << "\"(\" follows an operand without an operator";
    QTest::newRow("function without parenthesis") << "sin+1" << "\"sin\" without \"(\"";
    QTest::newRow("operand missing before a parenthesis") << "(A+)" << "\")\" where an operand belongs";
}

void TestExpression::syntaxErrors()
{
    QFETCH(QString, formula);
    QFETCH(QString, error);
    const ParsedFormula parsed = parseFormula(formula);
    QVERIFY2(formulaSyntaxError(parsed.tokens, parsed.numbers, parsed.names) == error,
             qPrintable(parsed.tokens.join(QLatin1Char(' ')) + QStringLiteral(" | ")
                        + formulaSyntaxError(parsed.tokens, parsed.numbers, parsed.names)));
}

QTEST_APPLESS_MAIN(TestExpression)
#include "tst_expression.moc"
