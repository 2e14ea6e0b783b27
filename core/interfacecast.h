#pragma once

#include <QObject>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <typeinfo>

// qobject_cast to an interface class (one named by Q_DECLARE_INTERFACE),
// remembered per class. Qt answers such a cast by comparing the interface's
// name with the name of every class up the object's hierarchy. The answer,
// and where the interface sits in the object, are the same for every object
// of one class (its meta object), so after the first cast of a class the
// rest of its objects are answered from a small table of each thread.
// For interfaces that no class inherits virtually.
template <typename Interface>
Interface *interfaceCast(QObject *object)
{
    if (!object)
        return nullptr;
    struct Known {
        const QMetaObject *meta;
        std::ptrdiff_t offset;
        bool inherits;
    };
    static thread_local std::array<Known, 32> known{};
    const QMetaObject *meta = object->metaObject();
    Known &slot = known[(quintptr(meta) >> 4) % known.size()];
    if (slot.meta != meta) {
        Interface *cast = qobject_cast<Interface *>(object);
        slot = {meta, cast ? reinterpret_cast<char *>(cast) - reinterpret_cast<char *>(object) : 0, cast != nullptr};
        return cast;
    }
    return slot.inherits ? reinterpret_cast<Interface *>(reinterpret_cast<char *>(object) + slot.offset) : nullptr;
}

// dynamic_cast from one polymorphic base to another class, remembered per
// dynamic type. A cast across a hierarchy of several bases walks the type
// information of every base each time; its answer, and the distance between
// the two parts of the object, are the same for every object of one type.
// For classes that no class inherits virtually.
template <typename To, typename From>
To *cachedDynamicCast(From *from)
{
    if (!from)
        return nullptr;
    struct Known {
        const std::type_info *type;
        std::ptrdiff_t offset;
        bool inherits;
    };
    static thread_local std::array<Known, 32> known{};
    const std::type_info *type = &typeid(*from);
    Known &slot = known[(quintptr(type) >> 4) % known.size()];
    if (slot.type != type) {
        To *cast = dynamic_cast<To *>(from);
        const auto *base = reinterpret_cast<const char *>(from);
        slot = {type, cast ? reinterpret_cast<const char *>(cast) - base : 0, cast != nullptr};
        return cast;
    }
    return slot.inherits ? reinterpret_cast<To *>(reinterpret_cast<char *>(from) + slot.offset) : nullptr;
}
