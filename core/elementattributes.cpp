#include "elementattributes.h"

#include <QHash>
#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Every attribute an element keeps: what the panel reader records, what the
// panel editor changes and the writer saves back.
constexpr std::array<const char *, 49> attributeTable{
    "Color",       "Icon",         "OffColor",    "OnColor",       "Pos",          "Size",
    "Sizepolicy",  "confirmation", "data",        "default",       "default_setdef",
    "default_setdefinv",           "expand",      "expression",    "header",       "icon",
    "image",       "interval",     "inverted",    "isRaised",      "itemText",     "lockinverted",
    "locks",       "lsb",          "max",         "msb",           "my_default",   "my_font",
    "my_label",    "my_readonly",  "my_svd",      "nograyout",     "numeric",      "orientation",
    "override",    "prefix",       "range",       "readwritebuddy", "run",         "showSvdOnly",
    "showValues",  "singleShot",   "step",        "suffix",        "svd",          "tooltip",
    "unit",        "validator",    "xmlElement",
};
static_assert(attributeTable.size() <= 64, "the property mask has one bit per attribute");

// The table in strcmp order, for the binary search; a key is a place in it.
const std::array<const char *, attributeTable.size()> &sortedNames()
{
    static const std::array<const char *, attributeTable.size()> names = [] {
        std::array<const char *, attributeTable.size()> sorted = attributeTable;
        std::sort(sorted.begin(), sorted.end(),
                  [](const char *a, const char *b) { return std::strcmp(a, b) < 0; });
        return sorted;
    }();
    return names;
}

int tableKey(const char *name)
{
    const auto &names = sortedNames();
    const auto it = std::lower_bound(names.begin(), names.end(), name,
                                     [](const char *a, const char *b) { return std::strcmp(a, b) < 0; });
    if (it == names.end() || std::strcmp(*it, name) != 0)
        return -1;
    return int(it - names.begin());
}

// The keys whose names are Qt properties of the class: found once per class.
quint64 qtPropertyMask(const QMetaObject *meta)
{
    static QMutex mutex;
    static QHash<const QMetaObject *, quint64> masks;
    const QMutexLocker locker(&mutex);
    const auto found = masks.constFind(meta);
    if (found != masks.constEnd())
        return found.value();
    quint64 mask = 0;
    const auto &names = sortedNames();
    for (std::size_t key = 0; key < names.size(); ++key) {
        if (meta->indexOfProperty(names[key]) >= 0)
            mask |= quint64(1) << key;
    }
    masks.insert(meta, mask);
    return mask;
}

} // namespace

int ElementAttributes::keyOf(const char *name, const QObject *owner)
{
    const int key = tableKey(name);
    if (key < 0)
        return -1;
    const QMetaObject *meta = owner->metaObject();
    if (meta != m_meta) {
        m_qtProperties = qtPropertyMask(meta);
        m_meta = meta;
    }
    return (m_qtProperties >> key) & 1 ? -1 : key;
}

QVariant ElementAttributes::value(int key) const
{
    for (const auto &entry : m_values) {
        if (entry.first == key)
            return entry.second;
    }
    return QVariant();
}

void ElementAttributes::setValue(int key, const QVariant &value)
{
    const auto it = std::find_if(m_values.begin(), m_values.end(),
                                 [key](const std::pair<int, QVariant> &entry) { return entry.first == key; });
    if (!value.isValid()) {
        if (it != m_values.end())
            m_values.erase(it);
        return;
    }
    if (it != m_values.end()) {
        it->second = value;
        return;
    }
    if (m_values.empty())
        m_values.reserve(8);
    m_values.emplace_back(key, value);
}

QList<QByteArray> ElementAttributes::names() const
{
    QList<QByteArray> list;
    list.reserve(int(m_values.size()));
    for (const auto &entry : m_values)
        list << QByteArray(nameOf(entry.first));
    return list;
}

const char *ElementAttributes::nameOf(int key)
{
    const auto &names = sortedNames();
    return key >= 0 && std::size_t(key) < names.size() ? names[std::size_t(key)] : nullptr;
}
