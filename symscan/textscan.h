#pragma once

#include <QtGlobal>

#include <cstring>

// Small readers for the numbers and words of readelf text. They work on
// NUL-terminated text, never read past its end and refuse values that do not
// fit 64 bits.
namespace Symscan {

inline bool mulOverflow(quint64 a, quint64 b, quint64 *result)
{
    return __builtin_mul_overflow(a, b, result);
}

inline bool addOverflow(quint64 a, quint64 b, quint64 *result)
{
    return __builtin_add_overflow(a, b, result);
}

inline bool isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

inline int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Hexadecimal digits without a prefix, at least one; text moves past them.
inline bool readHex(const char *&text, quint64 &value)
{
    value = 0;
    const char *start = text;
    for (int digit; (digit = hexDigit(*text)) >= 0; ++text) {
        if (value >> 60)
            return false;
        value = value << 4 | quint64(digit);
    }
    return text != start;
}

// Decimal digits, at least one; text moves past them.
inline bool readDecimal(const char *&text, quint64 &value)
{
    value = 0;
    const char *start = text;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (mulOverflow(value, quint64(10), &value) || addOverflow(value, quint64(*text - '0'), &value))
            return false;
    }
    return text != start;
}

// Decimal, or hexadecimal after "0x"; text moves past the number.
inline bool readUnsigned(const char *&text, quint64 &value)
{
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text += 2;
        return readHex(text, value);
    }
    return readDecimal(text, value);
}

// A number that is the whole text: decimal, "0x" hexadecimal or negative
// decimal, trailing blanks allowed. Hexadecimal keeps its bit pattern, so a
// 64-bit 0xffffffffffffffff reads as -1.
inline bool readInteger(const char *text, qint64 &value)
{
    const bool negative = *text == '-';
    if (negative)
        ++text;
    quint64 magnitude = 0;
    const bool ok = readUnsigned(text, magnitude);
    while (*text == ' ' || *text == '\t')
        ++text;
    if (!ok || *text != '\0')
        return false;
    value = negative ? qint64(0 - magnitude) : qint64(magnitude);
    return true;
}

// The number right after marker in text. With ends given, the number must
// be followed by one of those characters: "<0x2d>", "(DW_OP_addr: 4010)".
inline bool numberAfter(const char *text, const char *marker, bool hexadecimal, quint64 &value,
                        const char *ends = nullptr)
{
    const char *at = std::strstr(text, marker);
    if (!at)
        return false;
    at += std::strlen(marker);
    if (!(hexadecimal ? readHex(at, value) : readDecimal(at, value)))
        return false;
    return !ends || (*at && std::strchr(ends, *at));
}

inline bool startsWith(const char *text, const char *prefix)
{
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

inline const char *skipBlanks(const char *text)
{
    while (*text == ' ' || *text == '\t')
        ++text;
    return text;
}

} // namespace Symscan
