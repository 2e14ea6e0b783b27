#pragma once

#include <QObject>
#include <QtGlobal>

#include <array>
#include <cstddef>

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
