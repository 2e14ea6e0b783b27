#include "bitelement.h"

#include "errorreporter.h"

#include <QAbstractButton>
#include <QSignalBlocker>

// A bit as project files and defaults write it: decimal 0 or 1.
static bool readBit(const QString &text, bool *bit)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    *bit = v != 0;
    return ok && quint32(v) <= 1;
}

BitElement::BitElement(QAbstractButton *button, const char *typeName)
    : ValueElement(button), m_button(button), m_typeName(typeName)
{
}

bool BitElement::currentValue()
{
    return m_button->isChecked() != flagProperty("inverted");
}

QString BitElement::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    switch (keyword) {
    case KeywordValue:
        return currentValue() ? QStringLiteral("1") : QStringLiteral("0");
    case KeywordDefineValue:
        return QString::number(defineValueOf(currentValue() ? 1 : 0, lsb()));
    case KeywordTypeInfo:
        return QLatin1String(m_typeName);
    default:
        return unsupportedKeyword(keyword);
    }
}

bool BitElement::defineBits(quint64 *bits)
{
    *bits = defineValueOf(currentValue() ? 1 : 0, lsb());
    return true;
}

void BitElement::setBitValue(const QString &text, int keyword)
{
    QString valueText = text;
    bool ok = false;
    quint32 v = 0;
    if (keyword == KeywordValue) {
        valueText = resolveReference(text);
        v = quint32(valueText.toInt(&ok, 10));
    } else if (keyword == KeywordDefineValue) {
        // Only the low 32 bits of a define value count.
        v = quint32(fieldValueOf(text.toULongLong(&ok, 10), lsb()));
    }
    if (!ok || v > 1) {
        reportInvalidSetValue(m_button, valueText);
        return;
    }
    // Not blocked: the program's change path runs the actions.
    m_button->setChecked(checkStateFor(v != 0));
}

void BitElement::loadValue(const QString &text)
{
    bool bit = false;
    if (!readBit(text, &bit)) {
        reportInvalidLoadValue(m_button, text);
        return;
    }
    {
        const QSignalBlocker blocker(m_button);
        m_button->setChecked(checkStateFor(bit));
    }
    m_storedValue = bit;
}

void BitElement::resetToDefault()
{
    const QString text = elementProperty("my_default").toString();
    bool bit = false;
    if (!text.isEmpty() && !readBit(text, &bit)) {
        reportInvalidSetValue(m_button, text);
        return;
    }
    m_storedValue = bit;
    const QSignalBlocker blocker(m_button);
    m_button->setChecked(checkStateFor(m_storedValue));
}

void BitElement::reapplyStoredValue()
{
    m_button->setChecked(checkStateFor(m_storedValue));
}

QString BitElement::storedValueText()
{
    return m_storedValue ? QStringLiteral("1") : QStringLiteral("0");
}

bool BitElement::acceptsBitRange(int msb, int lsb)
{
    // At most one bit; -1, -1 (a whole define) counts as one.
    const int width = msb - lsb + 1;
    return width == 0 || width == 1;
}

void BitElement::applyLocks()
{
    if (m_button->isEnabled())
        sendLocks(true);
}
