#include "mathlabel.h"

#include "consolelinks.h"
#include "elementhost.h"
#include "errorreporter.h"
#include "expression.h"
#include "kindedits.h"
#include "numberliteral.h"

#include <QAtomicInt>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

// Width and precision of a display format are at most this big, so that a
// formatted number stays a few hundred characters long at most.
constexpr int maxFieldSize = 99;

// A display format taken apart around its one conversion.
struct FormatParts {
    QByteArray head;       // literal text before the conversion, "%%" read as "%"
    QByteArray flags;      // of "-+ #0"
    int width = -1;        // -1: none
    int precision = -1;    // -1: none
    bool longLong = false; // the "ll" modifier: all 64 bits of an integer
    bool hasLength = false; // "l" or "ll" written
    char conversion = 0;   // 0: a format the label does not show with
    QByteArray tail;       // literal text after it
};

// Reads a decimal field of at most maxFieldSize; false when it is bigger.
bool readField(const QByteArray &format, int &i, int *value)
{
    *value = 0;
    while (i < format.size() && format.at(i) >= '0' && format.at(i) <= '9') {
        *value = *value * 10 + (format.at(i) - '0');
        if (*value > maxFieldSize)
            return false;
        ++i;
    }
    return true;
}

bool conversionAccepts(const FormatParts &parts)
{
    switch (parts.conversion) {
    case 'b': // the label's own rendering: zero fill and width only
        return parts.precision < 0 && !parts.hasLength
            && parts.flags.count('0') == parts.flags.size();
    case 'd':
    case 'i':
    case 'u':
        return !parts.flags.contains('#');
    case 'x':
    case 'X':
        return true;
    case 'f':
    case 'e':
    case 'g':
        return !parts.longLong;
    default:
        return false;
    }
}

FormatParts parseFormat(const QByteArray &format)
{
    static const QByteArray flagCharacters("-+ #0");
    FormatParts parts;
    bool seen = false;
    for (int i = 0; i < format.size();) {
        const char c = format.at(i);
        QByteArray &literal = seen ? parts.tail : parts.head;
        if (c != '%') {
            literal.append(c);
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format.at(i + 1) == '%') {
            literal.append('%');
            i += 2;
            continue;
        }
        if (seen)
            return FormatParts(); // a second conversion
        seen = true;
        ++i;
        while (i < format.size() && flagCharacters.contains(format.at(i))) {
            if (!parts.flags.contains(format.at(i)))
                parts.flags.append(format.at(i));
            ++i;
        }
        if (i < format.size() && format.at(i) >= '1' && format.at(i) <= '9'
            && !readField(format, i, &parts.width))
            return FormatParts();
        if (i < format.size() && format.at(i) == '.') {
            ++i;
            if (!readField(format, i, &parts.precision))
                return FormatParts();
        }
        if (format.mid(i, 2) == "ll") {
            parts.longLong = parts.hasLength = true;
            i += 2;
        } else if (i < format.size() && format.at(i) == 'l') {
            parts.hasLength = true;
            ++i;
        }
        if (i >= format.size())
            return FormatParts();
        parts.conversion = format.at(i);
        ++i;
        if (!conversionAccepts(parts))
            return FormatParts();
    }
    if (!seen)
        return FormatParts();
    return parts;
}

MathFormatKind kindOf(char conversion)
{
    switch (conversion) {
    case 'b':
        return MathFormatBinary;
    case 'd':
    case 'i':
    case 'u':
        return MathFormatInteger;
    case 'x':
    case 'X':
        return MathFormatHex;
    case 'f':
        return MathFormatFixed;
    default:
        return MathFormatGeneral;
    }
}

// The low 32 bits of n read as a signed number.
qint64 lowSigned32(qint64 n)
{
    const quint32 low = quint32(quint64(n));
    return low <= 0x7fffffffu ? qint64(low) : qint64(low) - 0x100000000LL;
}

// One checked conversion applied to one value of its type.
template <typename T>
QByteArray printed(const QByteArray &conversion, T value)
{
    const int size = std::snprintf(nullptr, 0, conversion.constData(), value);
    if (size < 0)
        return QByteArray();
    std::vector<char> buffer(size_t(size) + 1);
    std::snprintf(buffer.data(), buffer.size(), conversion.constData(), value);
    return QByteArray(buffer.data(), size);
}

// The conversion of the parts, written for snprintf; integers always go as
// 64-bit values.
QByteArray conversionText(const FormatParts &parts)
{
    QByteArray conversion = "%" + parts.flags;
    if (parts.width >= 0)
        conversion += QByteArray::number(parts.width);
    if (parts.precision >= 0)
        conversion += "." + QByteArray::number(parts.precision);
    if (kindOf(parts.conversion) == MathFormatInteger || kindOf(parts.conversion) == MathFormatHex)
        conversion += "ll";
    return conversion + parts.conversion;
}

// base-2 digits of the low 32 bits, justified to the width and grouped by
// four from the right.
QByteArray binaryDigits(const FormatParts &parts, qint64 n)
{
    QByteArray digits = QByteArray::number(quint32(quint64(n)), 2);
    if (parts.width > digits.size())
        digits = digits.rightJustified(parts.width, parts.flags.contains('0') ? '0' : ' ');
    for (int position = digits.size() - 4; position > 0; position -= 4)
        digits.insert(position, ' ');
    return digits;
}

QString textOf(const FormatParts &parts, double value)
{
    const MathFormatKind kind = kindOf(parts.conversion);
    QByteArray number;
    if (kind == MathFormatFixed || kind == MathFormatGeneral) {
        number = printed(conversionText(parts), value);
    } else if (!std::isfinite(value)) {
        // No integer stands for these; show them as a double format would.
        number = std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
    } else if (kind == MathFormatBinary) {
        number = binaryDigits(parts, wholeNumber(value));
    } else {
        const qint64 n = wholeNumber(value);
        const bool isSigned = parts.conversion == 'd' || parts.conversion == 'i';
        if (isSigned)
            number = printed(conversionText(parts), static_cast<long long>(parts.longLong ? n : lowSigned32(n)));
        else
            number = printed(conversionText(parts), static_cast<unsigned long long>(
                                                         parts.longLong ? quint64(n) : quint64(quint32(quint64(n)))));
    }
    return QString::fromLatin1(parts.head + number + parts.tail);
}

// 12.500000 shows as 12.5, 3.000 as 3.
QString withoutTrailingZeros(QString text)
{
    if (!text.contains(QLatin1Char('.')))
        return text;
    static const QRegularExpression zeros(QStringLiteral("0+$"));
    static const QRegularExpression point(QStringLiteral("\\.$"));
    return text.remove(zeros).remove(point);
}

QAtomicInt unnamedLabels(0);

} // namespace

MathLabel::MathLabel(const QString &name, QWidget *parent)
    : QLabel(parent)
    , ValueElement(this)
{
    setObjectName(name.isEmpty() ? QStringLiteral("MATH_%1").arg(unnamedLabels.fetchAndAddOrdered(1)) : name);
}

char MathLabel::formatConversion(const QByteArray &format)
{
    return parseFormat(format).conversion;
}

void MathLabel::setFormat(const QByteArray &format, const QByteArray &fallback)
{
    m_format = format;
    if (!parseFormat(format).conversion) {
        ::logMessage(QStringLiteral("<font color=\"red\"> <b>XML Error: </b></font><b>Unknown format in "
                                    "<a href=\"%1\">%2</a><br>")
                         .arg(linkTarget(objectName()), objectName()));
        m_format = parseFormat(fallback).conversion ? fallback : defaultFormat();
    }
    m_kind = kindOf(parseFormat(m_format).conversion);
    if (m_kind == MathFormatHex)
        setElementProperty("prefix", QStringLiteral("0x"));
}

QString MathLabel::numberText(bool binaryAsDecimal) const
{
    // A label that never got a format shows the double in general notation.
    const FormatParts parts = parseFormat(m_format.isEmpty() ? QByteArrayLiteral("%g") : m_format);
    if (m_kind == MathFormatBinary) {
        if (binaryAsDecimal && std::isfinite(m_value))
            return QString::number(wholeNumber(m_value));
        return textOf(parts, m_value);
    }
    return withoutTrailingZeros(textOf(parts, m_value));
}

void MathLabel::setValue(double value)
{
    m_value = value;
    setValue(numberText(false), KeywordValue);
    if (!runActions())
        return;
    if (!objectName().isEmpty())
        updateMathLabels();
}

bool MathLabel::runActions()
{
    ElementGuard guard(this, host());
    ActionRules rules;
    rules.kinds = QStringList{QStringLiteral("sendUSB"), QStringLiteral("setDef")};
    rules.signalEvent = QStringLiteral("changed");
    return ValueElement::runActions(guard, rules);
}

// ---------------------------------------------------------------------------
// ActiveElement

void MathLabel::setValue(const QString &text, int keyword)
{
    Q_UNUSED(keyword)
    setText(QStringLiteral("%1%2%3").arg(elementProperty("prefix").toString(), text,
                                         elementProperty("suffix").toString()));
    updateToolTip();
}

void MathLabel::loadValue(const QString &text)
{
    Q_UNUSED(text)
}

QString MathLabel::value(int keyword, int flag)
{
    switch (keyword) {
    case KeywordValue:
        if (flag)
            return QString::number(m_value, 'g', QLocale::FloatingPointShortest);
        return QStringLiteral("%1%2 %3").arg(elementProperty("prefix").toString(), numberText(true),
                                             elementProperty("suffix").toString());
    case KeywordDefineValue:
        if (lsb() != -1)
            return QString::number(qint64(defineValueOf(quint64(wholeNumber(m_value)), lsb())));
        if (m_kind == MathFormatFixed || m_kind == MathFormatGeneral)
            return numberText(true);
        return QString::number(wholeNumber(m_value));
    case KeywordTypeInfo:
        return QStringLiteral("MathLabel");
    default:
        return unsupportedKeyword(keyword);
    }
}

QString MathLabel::storedValueText()
{
    return QString();
}

void MathLabel::initialize() {}

void MathLabel::resetToDefault()
{
    const QString text = elementProperty("my_default").toString();
    if (!text.isEmpty())
        setValue(text.toDouble());
}

void MathLabel::enable(bool on)
{
    enableUnlessLocked(this, on);
}

bool MathLabel::acceptsBitRange(int msb, int lsb)
{
    if (msb == -1 || lsb == -1) {
        setElementProperty("max", -1);
        return true;
    }
    const int width = msb - lsb + 1;
    const quint64 max = width >= 64 ? ~quint64(0) : width <= 0 ? 0 : (quint64(1) << width) - 1;
    setElementProperty("max", max);
    return true;
}

void MathLabel::updateToolTip()
{
    markModified();
    ValueElement::updateToolTip();
}

bool editMathLabelRow(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes)
{
    auto *math = qobject_cast<MathLabel *>(element);
    if (!math)
        return false;
    if (row == QLatin1String("Label")) {
        math->setText(value);
        writes->append({QStringLiteral("label"), value});
        return true;
    }
    if (row == QLatin1String("Format")) {
        math->setFormat(value.toLatin1());
        writes->append({QStringLiteral("format"), value});
        return true;
    }
    if (row == QLatin1String("Unit")) {
        setElementPropertyOf(math, "suffix", value);
        writes->append({QStringLiteral("unit"), value});
        return true;
    }
    return false;
}

void listMathLabelRows(QWidget *element, QStringList *rows)
{
    auto *e = qobject_cast<MathLabel *>(element);
    if (!e)
        return;
    rows->append(QStringLiteral("Label!") + e->text());
    rows->append(QStringLiteral("Format!") + QString::fromLatin1(e->format()));
    rows->append(QStringLiteral("Expression!") + e->elementProperty("expression").toString());
    rows->append(QStringLiteral("Unit!") + e->elementProperty("suffix").toString());
}

bool formulaResultOf(ActiveElement *element, ElementHost *host, double *result)
{
    auto *label = qobject_cast<MathLabel *>(objectOf(element));
    if (!label)
        return false;
    bool ok = false;
    const double value = host->evaluatePostfix(label->postfixTokens(), label->literals(), label->variables(), &ok);
    *result = ok ? value : 0.0;
    return true;
}

void showFormulaResult(ActiveElement *element, double result)
{
    if (auto *label = qobject_cast<MathLabel *>(objectOf(element)))
        label->setValue(result);
}

MathLabel *setLabelFormula(QWidget *element, const QString &formula)
{
    auto *math = qobject_cast<MathLabel *>(element);
    if (!math)
        return nullptr;
    QString written = formula.simplified();
    written.remove(QLatin1Char(' '));
    QStringList tokens;
    QStringList numbers;
    QStringList names;
    tokenizeExpression(written, &tokens, &numbers, &names, nullptr);
    math->setPostfixTokens(infixToPostfix(tokens, numbers, names));
    math->setLiterals(numbers);
    math->setVariables(names);
    math->setElementProperty("expression", formula);
    return math;
}
