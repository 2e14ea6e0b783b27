#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The Tyk value lists: items separated by ";", each a value alone or a signed
// byte count n, ":" and the value. |n| bytes, most significant first for
// n > 0, least significant first for n < 0; an item without a count is one
// byte. Values are 32-bit unsigned; bytes beyond the fourth are 0.

// The largest byte count an item may ask for (one HID report).
constexpr int MaxTykByteCount = 64;

// The value of a name in a send list (a target variable or an element
// define); nullopt when nothing of that name exists. unconvertible is set
// when the name exists but its value is no number.
using TykOperandLookup = std::function<std::optional<quint32>(const QString &name, bool *unconvertible)>;

struct TykPackResult {
    QByteArray bytes;
    // The items (value texts) that could not be converted, in list order.
    QStringList unconvertible;
};

// Packs a send list into the request bytes.
TykPackResult packTykValues(const QString &list, const TykOperandLookup &lookup);

// An element's value text as an unsigned 32-bit value: the number with its
// fraction dropped, wrapped modulo 2^32 (-1 gives 0xFFFFFFFF); nullopt when
// the text is no finite number.
std::optional<quint32> tykWordFromNumberText(const QString &text);

// One item of a receive list.
struct TykReceiveItem {
    qint64 count = 1;      // signed byte count
    QString destination;   // element define, variable name or "?"
};

QList<TykReceiveItem> parseTykReceiveList(const QString &list);
// The reply bytes a receive list needs.
qint64 tykReceiveLength(const QList<TykReceiveItem> &items);

// One item's share of a reply, most significant byte first (the bytes of an
// item with n < 0 reversed); value: those bytes as a number (the last four
// count).
struct TykReceivedField {
    QString destination;
    QByteArray bytes;
    quint32 value = 0;
};

// Cuts a reply into the items' fields; bytes beyond the reply's end are left
// out.
QList<TykReceivedField> unpackTykReply(const QList<TykReceiveItem> &items, const QByteArray &reply);
