#pragma once

#include <QObject>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <typeinfo>

namespace InterfaceCastDetail {

// The answer of cast for from, remembered per type: for every object whose
// type gives the same type key, the cast succeeds or fails alike, and the
// target sits at the same distance from the object. A small table of each
// thread keeps the last answers. For classes that no class inherits
// virtually.
template <typename To, typename From, typename TypeKey, typename Cast>
To *rememberedCast(From *from, const TypeKey *type, Cast cast)
{
    struct Known {
        const TypeKey *type;
        std::ptrdiff_t offset;
        bool inherits;
    };
    static thread_local std::array<Known, 32> known{};
    Known &slot = known[(quintptr(type) >> 4) % known.size()];
    if (slot.type != type) {
        To *target = cast(from);
        const auto *base = reinterpret_cast<const char *>(from);
        slot = {type, target ? reinterpret_cast<const char *>(target) - base : 0, target != nullptr};
        return target;
    }
    return slot.inherits ? reinterpret_cast<To *>(reinterpret_cast<char *>(from) + slot.offset) : nullptr;
}

} // namespace InterfaceCastDetail

// qobject_cast to an interface class (one named by Q_DECLARE_INTERFACE),
// remembered per class. Qt answers such a cast by comparing the interface's
// name with the name of every class up the object's hierarchy; here the
// first object of a class (its meta object) is asked, the rest are answered
// from the table.
template <typename Interface>
Interface *interfaceCast(QObject *object)
{
    if (!object)
        return nullptr;
    return InterfaceCastDetail::rememberedCast<Interface>(object, object->metaObject(),
                                                          [](QObject *o) { return qobject_cast<Interface *>(o); });
}

// dynamic_cast from one polymorphic base to another class, remembered per
// dynamic type. A cast across a hierarchy of several bases walks the type
// information of every base each time.
template <typename To, typename From>
To *cachedDynamicCast(From *from)
{
    if (!from)
        return nullptr;
    return InterfaceCastDetail::rememberedCast<To>(from, &typeid(*from), [](From *f) { return dynamic_cast<To *>(f); });
}
