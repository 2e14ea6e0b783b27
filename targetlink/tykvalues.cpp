#include "tykvalues.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

bool isDecimalInteger(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    return pattern.match(text).hasMatch();
}

// Byte k (from the least significant) of a value; 0 beyond the fourth.
char byteOf(quint32 value, int k)
{
    return k < 4 ? char((value >> (8 * k)) & 0xFFu) : char(0);
}

std::optional<quint32> literalValue(const QString &text, bool *isLiteral)
{
    bool ok = false;
    qulonglong value = 0;
    if (text.startsWith(QLatin1String("0x"))) {
        *isLiteral = true;
        value = text.mid(2).toULongLong(&ok, 16);
    } else if (text.startsWith(QLatin1String("0b"))) {
        *isLiteral = true;
        value = text.mid(2).toULongLong(&ok, 2);
    } else {
        *isLiteral = false;
        return std::nullopt;
    }
    // A literal must fit the 32-bit value.
    if (!ok || value > 0xFFFFFFFFull)
        return std::nullopt;
    return quint32(value);
}

} // namespace

std::optional<quint32> tykWordFromNumberText(const QString &text)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    constexpr double Modulus = 4294967296.0;
    double word = std::fmod(std::trunc(number), Modulus);
    if (word < 0)
        word += Modulus;
    return quint32(word);
}

TykPackResult packTykValues(const QString &list, const TykOperandLookup &lookup)
{
    TykPackResult result;
    if (list.isEmpty())
        return result;
    const QStringList items = list.split(QLatin1Char(';'));
    for (const QString &item : items) {
        qint64 count = 1;
        QString text = item;
        const int colon = int(item.indexOf(QLatin1Char(':')));
        if (colon >= 0 && isDecimalInteger(item.left(colon))) {
            bool ok = false;
            count = item.left(colon).trimmed().toLongLong(&ok);
            if (!ok || count > MaxTykByteCount || count < -MaxTykByteCount) {
                result.unconvertible.append(item);
                continue;
            }
            text = item.mid(colon + 1);
        }

        bool isLiteral = false;
        std::optional<quint32> value = literalValue(text, &isLiteral);
        if (isLiteral && !value)
            continue; // a broken literal adds nothing and is not reported
        if (!value && lookup) {
            bool unconvertible = false;
            value = lookup(text, &unconvertible);
            if (unconvertible) {
                result.unconvertible.append(text);
                continue;
            }
        }
        if (!value) {
            static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
            bool ok = false;
            const qulonglong number = text.toULongLong(&ok, 10);
            if (!digits.match(text).hasMatch() || !ok || number > 0xFFFFFFFFull) {
                result.unconvertible.append(text);
                continue;
            }
            value = quint32(number);
        }

        const int size = int(count < 0 ? -count : count);
        for (int i = 0; i < size; ++i)
            result.bytes.append(byteOf(*value, count > 0 ? size - 1 - i : i));
    }
    return result;
}

QList<TykReceiveItem> parseTykReceiveList(const QString &list)
{
    QList<TykReceiveItem> items;
    if (list.isEmpty())
        return items;
    for (const QString &item : list.split(QLatin1Char(';'))) {
        const QStringList parts = item.split(QLatin1Char(':'));
        TykReceiveItem entry;
        if (parts.size() == 2) {
            bool ok = false;
            const int count = parts.at(0).trimmed().toInt(&ok);
            entry.count = ok ? count : 0;
            entry.destination = parts.at(1);
        } else {
            entry.destination = parts.at(0);
        }
        items.append(entry);
    }
    return items;
}

qint64 tykReceiveLength(const QList<TykReceiveItem> &items)
{
    qint64 total = 0;
    for (const TykReceiveItem &item : items)
        total += item.count < 0 ? -item.count : item.count;
    return total;
}

QList<TykReceivedField> unpackTykReply(const QList<TykReceiveItem> &items, const QByteArray &reply)
{
    QList<TykReceivedField> fields;
    qint64 position = 0;
    const qint64 length = reply.size();
    for (const TykReceiveItem &item : items) {
        const qint64 size = item.count < 0 ? -item.count : item.count;
        const qint64 taken = std::min(size, length - position);
        TykReceivedField field;
        field.destination = item.destination;
        field.bytes = reply.mid(int(position), int(taken));
        position += taken;
        if (item.count < 0)
            std::reverse(field.bytes.begin(), field.bytes.end());
        for (const char byte : qAsConst(field.bytes))
            field.value = (field.value << 8) | quint8(byte);
        fields.append(field);
    }
    return fields;
}
