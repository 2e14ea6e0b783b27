#pragma once

// Small helpers the panel reader's files share; not part of its interface.

#include "activeelement.h"
#include "elementsignals.h"

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
    return activeElementOf(object);
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

// Whether the element raises the signal of that name ("sendLock", "checked_setDef").
inline bool raisesSignal(const QObject *element, const QString &name)
{
    const ElementSignalState *signalState = signalStateOf(element);
    return signalState && signalState->raises(name);
}

// The object name of an element that may have no define: the define, else
// the kind's prefix and the next number of that kind's counter (for the
// whole run, as the other generated names).
inline QString definedOrNumberedName(const QString &define, const char *prefix, int *counter)
{
    if (!define.isEmpty())
        return define;
    return QStringLiteral("%1_%2").arg(QLatin1String(prefix)).arg((*counter)++);
}

} // namespace PanelXml
