#pragma once

#include <QByteArray>
#include <QList>
#include <QVariant>

#include <vector>

class QMetaObject;
class QObject;

// The attributes a panel element keeps from its panel XML and the editor
// ("data", "locks", "my_default", "lsb", "header", ...), stored by the element
// itself: setting one is a search of a few entries, with no meta-object
// search and no property-change event.
//
// The values are shared: an element holds pointers to entries of one store,
// where a number, a flag or a short text is kept once for every element that
// has the same attribute with the same value (most elements of a panel share
// their header, their default and their flags). Other values (lists, maps,
// long texts) get an entry of their own.
//
// Only the names of the attribute table belong here, and only where the
// element's Qt class has no property of that name (a spin box's "suffix" is
// its own): keyOf gives -1 for every other name, which stays a property of
// the Qt object.
class ElementAttributes
{
public:
    ElementAttributes() = default;
    ElementAttributes(const ElementAttributes &) = delete;
    ElementAttributes &operator=(const ElementAttributes &) = delete;
    ~ElementAttributes();

    // The key of name on owner; -1 when the name is owner's own Qt business.
    int keyOf(const char *name, const QObject *owner);
    // The value stored under key; invalid when none is.
    QVariant value(int key) const;
    // Stores value under key; an invalid value removes the attribute, as
    // QObject::setProperty removes a dynamic property.
    void setValue(int key, const QVariant &value);
    // The names of the attributes stored, in the order they were first set.
    QList<QByteArray> names() const;

    // The attribute name of key (keyOf's numbering).
    static const char *nameOf(int key);

    // One stored attribute, shared by the elements that hold it.
    struct Entry;

private:
    // In the order the attributes were first set; m_keys has the bit of
    // each key held.
    std::vector<Entry *> m_values;
    quint64 m_keys = 0;
    // The class the property mask below was taken for, and the keys whose
    // names are Qt properties of that class.
    const QMetaObject *m_meta = nullptr;
    quint64 m_qtProperties = 0;
};
