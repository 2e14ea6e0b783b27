#pragma once

#include <QString>

// Number literals as panels, projects, scripts and C headers write them:
// 10, -3, 0x1F, (0x20u), 0b1010, 2.5. Every reader of a number from text goes
// through parseNumberLiteral and then converts the decimal text it returns.

// The notation of a literal, as numberLiteralFormat classifies it.
enum NumberLiteralNotation : int {
    DecimalLiteral = 0,  // -?digits
    HexLiteral = 1,      // 0x..., optionally in parentheses with a trailing u
    FractionLiteral = 2, // digits.digits
    BinaryLiteral = 3,   // 0b followed by 0 and 1 digits
    OtherText = 4,       // anything else: a define name, a quoted text, a formula
    EmptyText = 5,
};

// The notation code of the text (one of NumberLiteralNotation). All but
// OtherText and EmptyText are decided on the cleaned text: trimmed, with every
// "(", ")" and "u" removed.
int numberLiteralFormat(const QString &text);

// Whether the whole text is a decimal integer ("^-?\d+$").
bool isDecimalLiteral(const QString &text);

// Whether the first character after any white space is "-" (as
// text.trimmed().startsWith("-"), without the copy).
bool startsWithMinusSign(const QString &text);

// Whether the whole text is a hexadecimal literal ("^\(?0x[0-9a-fA-F]+u?\)?$");
// accepts the parentheses and the trailing "u" itself.
bool isHexLiteral(const QString &text);

// The value of a literal as decimal text. "0" when a conversion fails (a value
// beyond its 64-bit type), an empty text for an empty input, any text that is
// no literal unchanged.
QString parseNumberLiteral(const QString &text);

// numberLiteralFormat(text) through *code, and for the integer notations
// (DecimalLiteral, HexLiteral, BinaryLiteral) the value, the same as
// parseNumberLiteral(text).toLongLong() without the decimal text in between:
// 0 where the value is beyond 64 bits or beyond the signed 64-bit range.
// 0 for the other notations.
qint64 integerLiteralValue(const QString &text, int *code);

// Whether a literal stands for zero whatever its notation ("0", "0x0",
// "(0u)", "-0.0"); tells a real zero from the "0" that parseNumberLiteral
// gives for a value beyond 64 bits.
bool isZeroLiteral(const QString &text);

// The value of a literal whose notation the caller already has from
// numberLiteralFormat, as decimal text; integers are read as signed 32-bit
// ("0" when out of that range), fractions with 6 significant digits.
QString convertLiteralByFormat(int code, const QString &text);

// The literal's value as an unsigned 32-bit number (0 when it is negative, a
// fraction or too large), stored through value when that is not null, and the
// same number written in notation code: decimal for DecimalLiteral and
// FractionLiteral, lower-case hexadecimal ("0x" with prefix), binary ("0b"
// with prefix); OtherText gives the text unchanged, any other code "".
QString formatNumberLiteral(const QString &text, quint32 *value, int code, bool prefix);

// A number as a whole 64-bit number: truncated toward zero, beyond the range
// the nearest bound, NaN 0 (a plain conversion would be undefined there).
qint64 wholeNumber(double value);
