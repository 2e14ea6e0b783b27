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
    // Keys are named by literals, so one name comes at the same address
    // again and again: the key last found for an address is tried first,
    // checked against the table's own text (the address may since hold
    // another name).
    struct Recent {
        const char *name;
        int key;
    };
    static thread_local std::array<Recent, 64> recent{};
    Recent &slot = recent[(quintptr(name) >> 2) % recent.size()];
    if (slot.name == name && std::strcmp(names[std::size_t(slot.key)], name) == 0)
        return slot.key;
    const auto it = std::lower_bound(names.begin(), names.end(), name,
                                     [](const char *a, const char *b) { return std::strcmp(a, b) < 0; });
    if (it == names.end() || std::strcmp(*it, name) != 0)
        return -1;
    slot = {name, int(it - names.begin())};
    return slot.key;
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

// The store of the attribute values. A value of a shareable type is kept
// once per key: the entry lives while an element holds it.
struct ElementAttributes::Entry {
    QVariant value;
    qint16 key;
    bool shared;
    int holders;
};
static_assert(sizeof(ElementAttributes::Entry) <= 24, "an entry is a value and one word");

namespace {

// What identifies a shareable value: the key, the type and the value.
struct SharedValue {
    int key;
    int type;
    qint64 number;
    QString text;

    bool operator==(const SharedValue &other) const
    {
        return key == other.key && type == other.type && number == other.number && text == other.text;
    }
};

uint qHash(const SharedValue &value, uint seed = 0)
{
    return ::qHash(value.text, seed) ^ ::qHash(value.number, seed) ^ uint(value.key << 8) ^ uint(value.type);
}

// Texts longer than this are seldom the same on two elements.
const int longestSharedText = 64;

// The identity of value under key when values of its type are shared.
bool sharedValueOf(int key, const QVariant &value, SharedValue *shared)
{
    const int type = value.userType();
    shared->key = key;
    shared->type = type;
    shared->number = 0;
    switch (type) {
    case QMetaType::Bool:
        shared->number = value.toBool() ? 1 : 0;
        return true;
    case QMetaType::Int:
        shared->number = value.toInt();
        return true;
    case QMetaType::QString:
        shared->text = value.toString();
        return shared->text.size() <= longestSharedText;
    default:
        return false;
    }
}

struct SharedStore {
    QMutex mutex;
    QHash<SharedValue, ElementAttributes::Entry *> entries;
};

// Never deleted: elements that outlive the program's statics still let go
// of their entries.
SharedStore &sharedStore()
{
    static SharedStore *store = new SharedStore;
    return *store;
}

} // namespace

// An entry holding value under key, held once more.
static ElementAttributes::Entry *holdEntry(int key, const QVariant &value)
{
    SharedValue identity;
    if (!sharedValueOf(key, value, &identity)) {
        auto *entry = new ElementAttributes::Entry{value, qint16(key), false, 1};
        return entry;
    }
    SharedStore &store = sharedStore();
    const QMutexLocker locker(&store.mutex);
    ElementAttributes::Entry *&entry = store.entries[identity];
    if (!entry)
        entry = new ElementAttributes::Entry{value, qint16(key), true, 0};
    ++entry->holders;
    return entry;
}

// Lets go of a shared entry; the store's mutex is held.
static void releaseSharedEntry(SharedStore &store, ElementAttributes::Entry *entry)
{
    if (--entry->holders > 0)
        return;
    SharedValue identity;
    sharedValueOf(entry->key, entry->value, &identity);
    store.entries.remove(identity);
    delete entry;
}

static void releaseEntry(ElementAttributes::Entry *entry)
{
    if (!entry->shared) {
        delete entry;
        return;
    }
    SharedStore &store = sharedStore();
    const QMutexLocker locker(&store.mutex);
    releaseSharedEntry(store, entry);
}

ElementAttributes::~ElementAttributes()
{
    if (m_values.empty())
        return;
    // One lock for all the element's shared entries.
    SharedStore &store = sharedStore();
    const QMutexLocker locker(&store.mutex);
    for (Entry *entry : m_values) {
        if (entry->shared)
            releaseSharedEntry(store, entry);
        else
            delete entry;
    }
}

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
    if (key < 0 || !((m_keys >> key) & 1))
        return QVariant();
    for (const Entry *entry : m_values) {
        if (entry->key == key)
            return entry->value;
    }
    return QVariant();
}

void ElementAttributes::setValue(int key, const QVariant &value)
{
    if (key < 0 || std::size_t(key) >= attributeTable.size())
        return;
    const quint64 bit = quint64(1) << key;
    auto it = m_values.end();
    if (m_keys & bit)
        it = std::find_if(m_values.begin(), m_values.end(), [key](const Entry *entry) { return entry->key == key; });
    if (!value.isValid()) {
        if (it != m_values.end()) {
            releaseEntry(*it);
            m_values.erase(it);
            m_keys &= ~bit;
        }
        return;
    }
    Entry *entry = holdEntry(key, value);
    if (it != m_values.end()) {
        releaseEntry(*it);
        *it = entry;
        return;
    }
    if (m_values.empty())
        m_values.reserve(8);
    m_values.push_back(entry);
    m_keys |= bit;
}

QList<QByteArray> ElementAttributes::names() const
{
    QList<QByteArray> list;
    list.reserve(int(m_values.size()));
    for (const Entry *entry : m_values)
        list << QByteArray(nameOf(entry->key));
    return list;
}

const char *ElementAttributes::nameOf(int key)
{
    const auto &names = sortedNames();
    return key >= 0 && std::size_t(key) < names.size() ? names[std::size_t(key)] : nullptr;
}
