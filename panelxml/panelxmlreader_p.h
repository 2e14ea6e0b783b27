#pragma once

// Small helpers the panel reader's files share; not part of its interface.

#include "activeelement.h"

#include <QMetaObject>
#include <QObject>
#include <QVariant>
#include <QXmlStreamAttributes>

namespace PanelXml {

// The attribute's text; empty when absent.
inline QString text(const QXmlStreamAttributes &attributes, const char *name)
{
    return attributes.value(QLatin1String(name)).toString();
}

inline bool has(const QXmlStreamAttributes &attributes, const char *name)
{
    return attributes.hasAttribute(QLatin1String(name));
}

inline ActiveElement *asActiveElement(QObject *object)
{
    return dynamic_cast<ActiveElement *>(object);
}

// Element properties go through the element's own property operation when it
// is a value element, else onto the Qt object itself.
inline void setElementProperty(QObject *element, const char *name, const QVariant &value)
{
    if (ActiveElement *active = asActiveElement(element))
        active->setElementProperty(name, value);
    else
        element->setProperty(name, value);
}

inline QVariant elementProperty(QObject *element, const char *name)
{
    if (ActiveElement *active = asActiveElement(element))
        return active->elementProperty(name);
    return element->property(name);
}

// Whether the object has the signal (normalised signature, e.g. "sendLock(QString)").
inline bool hasSignal(const QObject *object, const char *signature)
{
    return object && object->metaObject()->indexOfSignal(signature) >= 0;
}

} // namespace PanelXml
