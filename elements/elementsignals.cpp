#include "elementsignals.h"

#include "elementkinds.h"
#include "valueelement.h"

#include <QHash>

ElementSignalState::ElementSignalState(QObject *element, const QStringList &notifications)
    : m_element(element)
    , m_notifications(notifications)
{
}

ElementSignalState::~ElementSignalState()
{
    if (m_deleted)
        *m_deleted = true;
    if (ElementSignals *object = m_object) {
        m_object = nullptr;
        object->m_state = nullptr;
        if (object->m_ownState != this)
            delete object;
    }
}

ElementSignals *ElementSignalState::signalObject()
{
    if (!m_object)
        m_object = new ElementSignals(this);
    return m_object;
}

void ElementSignalState::setListener(QObject *listener, ElementSignalsListener *calls)
{
    m_listenerObject = listener;
    m_listener = listener ? calls : nullptr;
}

bool ElementSignalState::addRefreshCode(int code)
{
    if (code < 1 || code > 15)
        return false;
    int shift = 0;
    for (; shift < 32; shift += 4) {
        const int listed = int((m_refreshCodes >> shift) & 0xf);
        if (listed == code)
            return false;
        if (listed == 0)
            break;
    }
    if (shift >= 32)
        return false;
    m_refreshCodes |= quint32(code) << shift;
    return true;
}

bool ElementSignalState::raises(const QString &name) const
{
    if (m_notifications.contains(name))
        return true;
    // The element is complete by the time anything is raised, so its own
    // class decides.
    const ElementKind *kind = elementKindOf(m_element);
    return kind && kind->raises(name);
}

void ElementSignalState::emitText(const QString &name, const QString &text)
{
    const TextSignal signal = ElementSignals::textSignal(name);
    if (signal && raises(name))
        raise(signal, text);
}

void ElementSignalState::raise(void (ElementSignals::*signal)())
{
    if (elementBlocked())
        return;
    ElementSignalsListener *calls = listener();
    const bool changes = signal == &ElementSignals::changedByUser && m_reportsChanges;
    const bool refreshes = signal == &ElementSignals::updateMathLabels && m_refreshCodes != 0;
    if (calls && (changes || refreshes)) {
        // The listener may take the element, and this state with it, away.
        bool deleted = false;
        bool *outer = m_deleted;
        m_deleted = &deleted;
        if (changes)
            calls->elementChangedByUser(this);
        else
            calls->elementRefreshRequested(this);
        if (deleted) {
            if (outer)
                *outer = true;
            return;
        }
        m_deleted = outer;
    }
    // Without the signal object nothing is connected to the signal.
    if (ElementSignals *object = m_object)
        (object->*signal)();
}

void ElementSignalState::raise(TextSignal signal, const QString &text)
{
    if (elementBlocked())
        return;
    if (ElementSignals *object = m_object)
        (object->*signal)(text);
}

// ---------------------------------------------------------------------------

ElementSignals::ElementSignals(QObject *element, const QStringList &notifications)
    : QObject(element)
    , m_state(new ElementSignalState(element, notifications))
{
    m_ownState = m_state;
    m_state->m_object = this;
}

ElementSignals::ElementSignals(ElementSignalState *state)
    : QObject(state->element())
    , m_state(state)
{
}

ElementSignals::~ElementSignals()
{
    if (m_ownState) {
        m_ownState->m_object = nullptr;
        delete m_ownState;
    } else if (m_state) {
        m_state->m_object = nullptr;
    }
}

ElementSignals::TextSignal ElementSignals::actionSignal(const QString &name)
{
    static const QHash<QString, TextSignal> table = {
        {"checked_sendUSB", &ElementSignals::checked_sendUSB},
        {"checked_recData", &ElementSignals::checked_recData},
        {"checked_setDef", &ElementSignals::checked_setDef},
        {"checked_runScript", &ElementSignals::checked_runScript},
        {"checked_loadFile", &ElementSignals::checked_loadFile},
        {"checked_startProgram", &ElementSignals::checked_startProgram},
        {"checked_resetGUI", &ElementSignals::checked_resetGUI},
        {"unchecked_sendUSB", &ElementSignals::unchecked_sendUSB},
        {"unchecked_recData", &ElementSignals::unchecked_recData},
        {"unchecked_setDef", &ElementSignals::unchecked_setDef},
        {"unchecked_runScript", &ElementSignals::unchecked_runScript},
        {"unchecked_loadFile", &ElementSignals::unchecked_loadFile},
        {"unchecked_startProgram", &ElementSignals::unchecked_startProgram},
        {"unchecked_resetGUI", &ElementSignals::unchecked_resetGUI},
        {"selected_sendUSB", &ElementSignals::selected_sendUSB},
        {"selected_recData", &ElementSignals::selected_recData},
        {"selected_setDef", &ElementSignals::selected_setDef},
        {"selected_runScript", &ElementSignals::selected_runScript},
        {"selected_loadFile", &ElementSignals::selected_loadFile},
        {"selected_startProgram", &ElementSignals::selected_startProgram},
        {"selected_resetGUI", &ElementSignals::selected_resetGUI},
        {"unselected_sendUSB", &ElementSignals::unselected_sendUSB},
        {"unselected_recData", &ElementSignals::unselected_recData},
        {"unselected_setDef", &ElementSignals::unselected_setDef},
        {"unselected_runScript", &ElementSignals::unselected_runScript},
        {"unselected_loadFile", &ElementSignals::unselected_loadFile},
        {"unselected_startProgram", &ElementSignals::unselected_startProgram},
        {"unselected_resetGUI", &ElementSignals::unselected_resetGUI},
        {"changed_sendUSB", &ElementSignals::changed_sendUSB},
        {"changed_recData", &ElementSignals::changed_recData},
        {"changed_setDef", &ElementSignals::changed_setDef},
        {"changed_runScript", &ElementSignals::changed_runScript},
        {"changed_loadFile", &ElementSignals::changed_loadFile},
        {"changed_startProgram", &ElementSignals::changed_startProgram},
        {"changed_resetGUI", &ElementSignals::changed_resetGUI},
        {"clicked_sendUSB", &ElementSignals::clicked_sendUSB},
        {"clicked_recData", &ElementSignals::clicked_recData},
        {"clicked_setDef", &ElementSignals::clicked_setDef},
        {"clicked_runScript", &ElementSignals::clicked_runScript},
        {"clicked_loadFile", &ElementSignals::clicked_loadFile},
        {"clicked_startProgram", &ElementSignals::clicked_startProgram},
        {"clicked_resetGUI", &ElementSignals::clicked_resetGUI},
        {"pressed_sendUSB", &ElementSignals::pressed_sendUSB},
        {"pressed_recData", &ElementSignals::pressed_recData},
        {"pressed_setDef", &ElementSignals::pressed_setDef},
        {"pressed_runScript", &ElementSignals::pressed_runScript},
        {"pressed_loadFile", &ElementSignals::pressed_loadFile},
        {"pressed_startProgram", &ElementSignals::pressed_startProgram},
        {"pressed_resetGUI", &ElementSignals::pressed_resetGUI},
        {"released_sendUSB", &ElementSignals::released_sendUSB},
        {"released_recData", &ElementSignals::released_recData},
        {"released_setDef", &ElementSignals::released_setDef},
        {"released_runScript", &ElementSignals::released_runScript},
        {"released_loadFile", &ElementSignals::released_loadFile},
        {"released_startProgram", &ElementSignals::released_startProgram},
        {"released_resetGUI", &ElementSignals::released_resetGUI},
    };
    return table.value(name, nullptr);
}

ElementSignals::TextSignal ElementSignals::textSignal(const QString &name)
{
    if (name == QLatin1String("sendLock"))
        return &ElementSignals::sendLock;
    if (name == QLatin1String("sendUnlock"))
        return &ElementSignals::sendUnlock;
    return actionSignal(name);
}

// The state a value element keeps for its signals; null for other objects.
static ElementSignalState *valueElementState(const QObject *element)
{
    auto *value = cachedDynamicCast<ValueElement>(activeElementOf(const_cast<QObject *>(element)));
    return value ? &value->signalState() : nullptr;
}

ElementSignals *signalsOf(const QObject *element)
{
    if (!element)
        return nullptr;
    if (auto *own = qobject_cast<ElementSignals *>(const_cast<QObject *>(element)))
        return own;
    if (ElementSignalState *state = valueElementState(element))
        return state->signalObject();
    return element->findChild<ElementSignals *>(QString(), Qt::FindDirectChildrenOnly);
}

ElementSignalState *signalStateOf(const QObject *element)
{
    if (!element)
        return nullptr;
    if (auto *own = qobject_cast<ElementSignals *>(const_cast<QObject *>(element)))
        return own->state();
    if (ElementSignalState *state = valueElementState(element))
        return state;
    const ElementSignals *child = element->findChild<ElementSignals *>(QString(), Qt::FindDirectChildrenOnly);
    return child ? child->state() : nullptr;
}

QObject *elementOf(QObject *sender)
{
    if (auto *companion = qobject_cast<ElementSignals *>(sender))
        return companion->element();
    return sender;
}
