#include "numberliteral.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

class TestNumberLiteral : public QObject
{
    Q_OBJECT

private slots:
    void classifiesNotation_data();
    void classifiesNotation();
    void matchesHexAndDecimalPatternsOnRawText_data();
    void matchesHexAndDecimalPatternsOnRawText();
    void agreesWithAnchoredPatterns();
    void integerValueAgreesWithParsedText();
    void parsesToDecimalText_data();
    void parsesToDecimalText();
    void convertsByKnownNotation_data();
    void convertsByKnownNotation();
    void formatsAsUnsigned32_data();
    void formatsAsUnsigned32();
    void formatThenParseRoundTrips();
    void formatAcceptsNullValuePointer();
    void zeroIsToldFromAnOverflow_data();
    void zeroIsToldFromAnOverflow();
};

void TestNumberLiteral::classifiesNotation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");

    // decimal
    QTest::newRow("plain") << "42" << int(DecimalLiteral);
    QTest::newRow("negative") << "-7" << int(DecimalLiteral);
    QTest::newRow("surrounding blanks") << "  42  " << int(DecimalLiteral);
    QTest::newRow("parentheses and u") << "(42u)" << int(DecimalLiteral);
    QTest::newRow("u anywhere is removed") << "u12" << int(DecimalLiteral);
    QTest::newRow("leading zeros") << "007" << int(DecimalLiteral);
    QTest::newRow("plus sign is no decimal") << "+5" << int(OtherText);

    // 0x
    QTest::newRow("hex upper digits") << "0x1F" << int(HexLiteral);
    QTest::newRow("hex lower digits") << "0x1f" << int(HexLiteral);
    QTest::newRow("hex in parentheses with u") << "(0x20u)" << int(HexLiteral);
    QTest::newRow("hex beyond 64 bits still hex") << "0x1FFFFFFFFFFFFFFFF" << int(HexLiteral);
    QTest::newRow("capital X prefix") << "0X1F" << int(OtherText);
    QTest::newRow("sign before prefix") << "-0x10" << int(OtherText);
    QTest::newRow("prefix without digits") << "0x" << int(OtherText);
    QTest::newRow("non-hex digit") << "0x1G" << int(OtherText);

    // floats
    QTest::newRow("fraction") << "2.5" << int(FractionLiteral);
    QTest::newRow("fraction in parentheses") << "(2.5)" << int(FractionLiteral);
    QTest::newRow("signed fraction") << "-1.5" << int(OtherText);
    QTest::newRow("no integer digits") << ".5" << int(OtherText);
    QTest::newRow("no fraction digits") << "1." << int(OtherText);
    QTest::newRow("exponent") << "1e3" << int(OtherText);

    // 0b
    QTest::newRow("binary") << "0b1010" << int(BinaryLiteral);
    QTest::newRow("binary with blank") << " 0b11" << int(BinaryLiteral);
    QTest::newRow("binary digit 2") << "0b102" << int(OtherText);
    QTest::newRow("capital B prefix") << "0B1" << int(OtherText);

    // other text and empty
    QTest::newRow("define name") << "MODE" << int(OtherText);
    QTest::newRow("quoted text") << "\"abc\"" << int(OtherText);
    QTest::newRow("formula") << "a+1" << int(OtherText);
    QTest::newRow("blanks only") << "   " << int(OtherText);
    QTest::newRow("only u and parentheses") << "(u)" << int(OtherText);
    QTest::newRow("empty") << "" << int(EmptyText);
    QTest::newRow("begins with a line break") << "\nabc" << int(EmptyText);
}

void TestNumberLiteral::classifiesNotation()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QCOMPARE(numberLiteralFormat(text), code);
}

void TestNumberLiteral::matchesHexAndDecimalPatternsOnRawText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("decimal");

    QTest::newRow("hex") << "0x1F" << true << false;
    QTest::newRow("hex with parentheses and u") << "(0x1Fu)" << true << false;
    QTest::newRow("hex with opening parenthesis only") << "(0x1F" << true << false;
    QTest::newRow("hex with a blank") << " 0x1F" << false << false;
    QTest::newRow("hex capital X") << "0X1F" << false << false;
    QTest::newRow("hex without digits") << "0x" << false << false;
    QTest::newRow("decimal") << "12" << false << true;
    QTest::newRow("negative decimal") << "-12" << false << true;
    QTest::newRow("decimal with u") << "12u" << false << false;
    QTest::newRow("decimal with a blank") << " 12" << false << false;
    QTest::newRow("lone minus") << "-" << false << false;
    QTest::newRow("non-ASCII digits") << QString::fromUtf8("\u0661\u0662") << false << false;
    QTest::newRow("empty") << "" << false << false;
}

void TestNumberLiteral::matchesHexAndDecimalPatternsOnRawText()
{
    QFETCH(QString, text);
    QFETCH(bool, hex);
    QFETCH(bool, decimal);
    QCOMPARE(isHexLiteral(text), hex);
    QCOMPARE(isDecimalLiteral(text), decimal);
}

// The notations are told apart by hand; these anchored patterns are their
// definition, final line feed included.
static int referenceFormat(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^-?\\d+$"));
    static const QRegularExpression hex(QStringLiteral("^\\(?0x[0-9a-fA-F]+u?\\)?$"));
    static const QRegularExpression fraction(QStringLiteral("^\\d+\\.\\d+$"));
    static const QRegularExpression binary(QStringLiteral("^0b[0-1]+$"));
    static const QRegularExpression any(QStringLiteral("^.+$"));
    QString cleaned;
    for (const QChar c : text.trimmed()) {
        if (c != QLatin1Char('(') && c != QLatin1Char(')') && c != QLatin1Char('u'))
            cleaned.append(c);
    }
    if (decimal.match(cleaned).hasMatch())
        return DecimalLiteral;
    if (hex.match(cleaned).hasMatch())
        return HexLiteral;
    if (fraction.match(cleaned).hasMatch())
        return FractionLiteral;
    if (binary.match(cleaned).hasMatch())
        return BinaryLiteral;
    return any.match(text).hasMatch() ? OtherText : EmptyText;
}

void TestNumberLiteral::agreesWithAnchoredPatterns()
{
    const QStringList edges{QStringLiteral("12\n"), QStringLiteral("12\n\n"), QStringLiteral("\n"),
                            QStringLiteral("0x1F\n"), QStringLiteral("(0x1Fu)\n"), QStringLiteral("0x1F\r"),
                            QStringLiteral("1.5\n"), QStringLiteral("0b10\n"), QStringLiteral("a\nb"),
                            QStringLiteral("a\rb"), QString(QChar(0x2028)), QStringLiteral("x\n"),
                            QStringLiteral("0xu"), QStringLiteral("0x1uu"), QStringLiteral("((0x1))"),
                            QStringLiteral("0x1)"), QStringLiteral("-"), QStringLiteral("--1"),
                            QStringLiteral("1.2.3"), QStringLiteral("0b"), QStringLiteral("0b2")};
    const QString alphabet = QStringLiteral("0123456789abfABFxbu().- \n\r") + QChar(0x0661) + QChar(0x2028);
    QStringList texts = edges;
    QRandomGenerator random(36);
    for (int i = 0; i < 20000; ++i) {
        QString text;
        const int length = random.bounded(8);
        for (int c = 0; c < length; ++c)
            text += alphabet.at(random.bounded(alphabet.size()));
        texts << text;
    }
    for (const QString &text : qAsConst(texts)) {
        QCOMPARE(numberLiteralFormat(text), referenceFormat(text));
        static const QRegularExpression decimal(QStringLiteral("^-?\\d+$"));
        static const QRegularExpression hex(QStringLiteral("^\\(?0x[0-9a-fA-F]+u?\\)?$"));
        QCOMPARE(isDecimalLiteral(text), decimal.match(text).hasMatch());
        QCOMPARE(isHexLiteral(text), hex.match(text).hasMatch());
    }
}

// The integer value without the decimal text is what the decimal text reads
// back as, for every notation and beyond the 64-bit ranges.
void TestNumberLiteral::integerValueAgreesWithParsedText()
{
    QStringList texts{QStringLiteral("9223372036854775807"), QStringLiteral("9223372036854775808"),
                      QStringLiteral("-9223372036854775808"), QStringLiteral("-9223372036854775809"),
                      QStringLiteral("18446744073709551616"), QStringLiteral("0x7FFFFFFFFFFFFFFF"),
                      QStringLiteral("0x8000000000000000"), QStringLiteral("(0xFFFFFFFFFFFFFFFFu)"),
                      QStringLiteral("0b") + QString(64, QLatin1Char('1')), QStringLiteral(" (12u) "),
                      QStringLiteral("1.5"), QStringLiteral(""), QStringLiteral("u"), QStringLiteral("()")};
    const QString alphabet = QStringLiteral("0123456789abfABFxbu().- \n") + QChar(0x0661);
    QRandomGenerator random(3601);
    for (int i = 0; i < 20000; ++i) {
        QString text;
        const int length = random.bounded(i % 4 == 0 ? 24 : 8);
        for (int c = 0; c < length; ++c)
            text += alphabet.at(random.bounded(alphabet.size()));
        texts << text;
    }
    for (const QString &text : qAsConst(texts)) {
        int code = -1;
        const qint64 value = integerLiteralValue(text, &code);
        QCOMPARE(code, numberLiteralFormat(text));
        const bool integer = code == DecimalLiteral || code == HexLiteral || code == BinaryLiteral;
        QCOMPARE(value, integer ? parseNumberLiteral(text).toLongLong() : 0);
    }
}

void TestNumberLiteral::parsesToDecimalText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    // decimal
    QTest::newRow("plain") << "42" << "42";
    QTest::newRow("surrounding blanks") << "  42  " << "42";
    QTest::newRow("negative") << "-7" << "-7";
    QTest::newRow("leading zeros") << "007" << "7";
    QTest::newRow("minus zero") << "-0" << "0";
    QTest::newRow("largest unsigned 64") << "18446744073709551615" << "18446744073709551615";
    QTest::newRow("beyond unsigned 64") << "18446744073709551616" << "0";
    QTest::newRow("twenty nines") << "99999999999999999999" << "0";
    QTest::newRow("smallest signed 64") << "-9223372036854775808" << "-9223372036854775808";
    QTest::newRow("below signed 64") << "-9223372036854775809" << "0";

    // parentheses and trailing "u"
    QTest::newRow("decimal in parentheses with u") << "(12u)" << "12";
    QTest::newRow("decimal with u") << "12u" << "12";
    QTest::newRow("u before digits") << "u12" << "12";
    QTest::newRow("hex in parentheses with u") << "(0x1Fu)" << "31";
    QTest::newRow("fraction in parentheses") << "(2.5)" << "2.5";
    QTest::newRow("binary with blank") << " 0b11" << "3";
    QTest::newRow("binary in parentheses with u") << "(0b11u)" << "3";

    // 0x
    QTest::newRow("hex") << "0x1F" << "31";
    QTest::newRow("hex lower case") << "0xff" << "255";
    QTest::newRow("hex bit 31 stays unsigned") << "0x80000000" << "2147483648";
    QTest::newRow("hex all 64 bits") << "0xFFFFFFFFFFFFFFFF" << "18446744073709551615";
    QTest::newRow("hex beyond 64 bits") << "0x10000000000000000" << "0";

    // floats
    QTest::newRow("trailing zero dropped") << "2.50" << "2.5";
    QTest::newRow("six significant digits") << "3.14159265" << "3.14159";
    QTest::newRow("exponent form beyond six digits") << "1234567.5" << "1.23457e+06";
    QTest::newRow("fraction beyond double range")
        << QString(QString(400, QLatin1Char('9')) + QStringLiteral(".5")) << "0";

    // 0b
    QTest::newRow("binary") << "0b1010" << "10";
    QTest::newRow("binary zero") << "0b0" << "0";
    QTest::newRow("binary 64 ones")
        << QString(QStringLiteral("0b") + QString(64, QLatin1Char('1'))) << "18446744073709551615";
    QTest::newRow("binary 65 ones")
        << QString(QStringLiteral("0b") + QString(65, QLatin1Char('1'))) << "0";

    // other text and empty
    QTest::newRow("sign before prefix unchanged") << "-0x10" << "-0x10";
    QTest::newRow("capital X unchanged") << "0X1F" << "0X1F";
    QTest::newRow("signed fraction unchanged") << "-1.5" << "-1.5";
    QTest::newRow("define name unchanged") << "MODE" << "MODE";
    QTest::newRow("blanks only unchanged") << "   " << "   ";
    QTest::newRow("empty") << "" << "";
}

void TestNumberLiteral::parsesToDecimalText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(parseNumberLiteral(text), expected);
}

void TestNumberLiteral::convertsByKnownNotation_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    // decimal: signed 32-bit
    QTest::newRow("decimal") << int(DecimalLiteral) << "42" << "42";
    QTest::newRow("decimal smallest int") << int(DecimalLiteral) << "-2147483648" << "-2147483648";
    QTest::newRow("decimal beyond int") << int(DecimalLiteral) << "2147483648" << "0";
    QTest::newRow("decimal in parentheses with u") << int(DecimalLiteral) << "(12u)" << "12";
    QTest::newRow("decimal code on a name") << int(DecimalLiteral) << "abc" << "0";

    // 0x: all 32 bits, unsigned
    QTest::newRow("hex") << int(HexLiteral) << "0x10" << "16";
    QTest::newRow("hex largest int") << int(HexLiteral) << "0x7FFFFFFF" << "2147483647";
    QTest::newRow("hex bit 31 stays unsigned") << int(HexLiteral) << "0x80000000" << "2147483648";
    QTest::newRow("hex all 32 bits") << int(HexLiteral) << "0xFFFFFFFF" << "4294967295";
    QTest::newRow("hex beyond 32 bits") << int(HexLiteral) << "0x100000000" << "0";
    QTest::newRow("hex in parentheses with u") << int(HexLiteral) << "(0x10u)" << "16";

    // floats
    QTest::newRow("fraction") << int(FractionLiteral) << "2.50" << "2.5";
    QTest::newRow("fraction six digits") << int(FractionLiteral) << "1234567.5" << "1.23457e+06";

    // 0b: all 32 bits, unsigned
    QTest::newRow("binary") << int(BinaryLiteral) << "0b101" << "5";
    QTest::newRow("binary largest int")
        << int(BinaryLiteral) << QString(QStringLiteral("0b") + QString(31, QLatin1Char('1')))
        << "2147483647";
    QTest::newRow("binary bit 31 stays unsigned")
        << int(BinaryLiteral) << QString(QStringLiteral("0b1") + QString(31, QLatin1Char('0')))
        << "2147483648";

    // other codes
    QTest::newRow("other text unchanged") << int(OtherText) << " MODE " << " MODE ";
    QTest::newRow("empty code") << int(EmptyText) << "42" << "";
    QTest::newRow("negative code") << -1 << "42" << "";
    QTest::newRow("unknown code") << 9 << "42" << "";
}

void TestNumberLiteral::convertsByKnownNotation()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(convertLiteralByFormat(code, text), expected);
}

void TestNumberLiteral::formatsAsUnsigned32_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("prefix");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<quint32>("value");

    QTest::newRow("hex with prefix") << "(0x1Fu)" << int(HexLiteral) << true << "0x1f" << 31u;
    QTest::newRow("hex without prefix") << "255" << int(HexLiteral) << false << "ff" << 255u;
    QTest::newRow("hex zero") << "0" << int(HexLiteral) << true << "0x0" << 0u;
    QTest::newRow("hex bit 31") << "0x80000000" << int(HexLiteral) << true << "0x80000000"
                                << 0x80000000u;
    QTest::newRow("hex largest") << "4294967295" << int(HexLiteral) << true << "0xffffffff"
                                 << 0xffffffffu;
    QTest::newRow("beyond 32 bits gives 0") << "4294967296" << int(HexLiteral) << true << "0x0"
                                            << 0u;
    QTest::newRow("negative gives 0") << "-1" << int(DecimalLiteral) << false << "0" << 0u;
    QTest::newRow("fraction gives 0") << "2.5" << int(DecimalLiteral) << false << "0" << 0u;
    QTest::newRow("decimal from hex") << "0x10" << int(DecimalLiteral) << true << "16" << 16u;
    QTest::newRow("fraction code writes decimal") << "0x10" << int(FractionLiteral) << true
                                                  << "16" << 16u;
    QTest::newRow("binary with prefix") << "0b101" << int(BinaryLiteral) << true << "0b101" << 5u;
    QTest::newRow("binary without prefix") << "5" << int(BinaryLiteral) << false << "101" << 5u;
    QTest::newRow("other text unchanged") << "abc" << int(OtherText) << true << "abc" << 0u;
    QTest::newRow("other text keeps value") << "0x10" << int(OtherText) << true << "0x10" << 16u;
    QTest::newRow("empty code") << "0x10" << int(EmptyText) << true << "" << 16u;
}

void TestNumberLiteral::formatsAsUnsigned32()
{
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(bool, prefix);
    QFETCH(QString, expected);
    QFETCH(quint32, value);

    quint32 stored = 12345; // must be overwritten, also with 0
    QCOMPARE(formatNumberLiteral(text, &stored, code, prefix), expected);
    QCOMPARE(stored, value);
}

// Whatever notation a number is written in, reading it back gives the number.
void TestNumberLiteral::formatThenParseRoundTrips()
{
    const quint32 values[] = {0u, 1u, 2u, 12345u, 0x7fffffffu, 0x80000000u, 0xdeadbeefu,
                              0xffffffffu};
    for (const quint32 v : values) {
        const QString decimal = QString::number(v);
        for (const int code : {int(DecimalLiteral), int(HexLiteral), int(BinaryLiteral)}) {
            quint32 parsed = 0;
            const QString written = formatNumberLiteral(decimal, &parsed, code, true);
            QCOMPARE(parsed, v);
            QCOMPARE(parseNumberLiteral(written), decimal);
        }
        const QString cStyle = QStringLiteral("(0x%1u)").arg(v, 0, 16);
        QCOMPARE(numberLiteralFormat(cStyle), int(HexLiteral));
        QCOMPARE(parseNumberLiteral(cStyle), decimal);
    }
}

void TestNumberLiteral::formatAcceptsNullValuePointer()
{
    QCOMPARE(formatNumberLiteral(QStringLiteral("7"), nullptr, DecimalLiteral, false),
             QStringLiteral("7"));
}

void TestNumberLiteral::zeroIsToldFromAnOverflow_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("zero");
    QTest::newRow("decimal zero") << "0" << true;
    QTest::newRow("hex zero in parentheses") << "(0x0u)" << true;
    QTest::newRow("binary zero") << "0b000" << true;
    QTest::newRow("negative fraction zero") << "-0.0" << true;
    QTest::newRow("one") << "1" << false;
    QTest::newRow("hex beyond 64 bits") << "0x1FFFFFFFFFFFFFFFF" << false;
    QTest::newRow("decimal beyond 64 bits") << "1180591620717411303424" << false;
}

void TestNumberLiteral::zeroIsToldFromAnOverflow()
{
    QFETCH(QString, text);
    QFETCH(bool, zero);
    QCOMPARE(isZeroLiteral(text), zero);
    // Both forms read as "0"; only a real zero is one.
    if (!zero && text.size() > 16)
        QCOMPARE(parseNumberLiteral(text), QStringLiteral("0"));
}

QTEST_APPLESS_MAIN(TestNumberLiteral)
#include "tst_numberliteral.moc"
