#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>

class ElementSignals;
class ElementSignalState;

// The panel side of the two signals every element raises: a panel hears the
// user changes and runs the refreshes of many elements, and is told of them
// through this call instead of one connection per element and signal. The
// listener is told first, then the signal is emitted to whatever else is
// connected to it. While a call runs, the panel finds the element through
// the signal state it is handed (ElementSignalState::element()).
class ElementSignalsListener
{
public:
    // changedByUser of an element whose user changes the listener hears.
    virtual void elementChangedByUser(ElementSignalState *state) = 0;
    // updateMathLabels of an element that lists refreshes (refreshCodes()).
    virtual void elementRefreshRequested(ElementSignalState *state) = 0;

protected:
    ~ElementSignalsListener() = default;
};

// What an element's signals keep besides their connections: the signals it
// raises, the refreshes and the listener the panel set. The element holds it;
// the signal object (ElementSignals) is made only when something asks for it
// (a connection to one of its signals, signalsOf()), since a raise with no
// object has nobody to reach but the listener. Raising keeps to the rules of
// ElementSignals: the listener first, then the signal, and nothing while the
// element blocks its signals.
class ElementSignalState
{
public:
    using TextSignal = void (ElementSignals::*)(QString);

    // element: the owner of the signals. notifications: as ElementSignals's.
    ElementSignalState(QObject *element, const QStringList &notifications);
    // Deletes the signal object (when there is one) with the state.
    ~ElementSignalState();
    ElementSignalState(const ElementSignalState &) = delete;
    ElementSignalState &operator=(const ElementSignalState &) = delete;

    QObject *element() const { return m_element; }
    bool raises(const QString &name) const;

    // The signal object, made now when there is none yet: a child of the
    // element. signalObjectIfMade() gives null instead.
    ElementSignals *signalObject();
    ElementSignals *signalObjectIfMade() const { return m_object; }

    // As ElementSignals's.
    void emitText(const QString &name, const QString &text);
    void raise(void (ElementSignals::*signal)());
    void raise(TextSignal signal, const QString &text);
    bool elementBlocked() const { return m_element && m_element->signalsBlocked(); }

    quint32 refreshCodes() const { return m_refreshCodes; }
    bool addRefreshCode(int code);
    void setListener(QObject *listener, ElementSignalsListener *calls);
    void reportChangesByUser() { m_reportsChanges = true; }
    bool reportsChangesByUser() const { return m_reportsChanges && listener(); }
    ElementSignalsListener *listener() const { return m_listenerObject ? m_listener : nullptr; }

private:
    friend class ElementSignals;

    QObject *m_element;
    QStringList m_notifications;
    ElementSignals *m_object = nullptr;
    quint32 m_refreshCodes = 0;
    bool m_reportsChanges = false;
    QPointer<QObject> m_listenerObject;
    ElementSignalsListener *m_listener = nullptr;
    // Set to true when the state is deleted while raise() runs.
    bool *m_deleted = nullptr;
};

// The signals of the panel elements, declared once for all element classes.
// Every element has one of these as a child object (made when first asked
// for, see ElementSignalState) and emits through it; the panel connects to
// it. An element class raises only some of the signals (a check box has no
// "selected" actions, a spin box sends no locks): raises() names those, from
// the element's row in the element kind table (elementkinds.h), and
// emitText() and the panel reader keep to them. While the element blocks its
// signals, the companion emits none either: the elements emit through raise()
// and emitText(), which keep to that.
class ElementSignals final : public QObject
{
    Q_OBJECT

public:
    using TextSignal = void (ElementSignals::*)(QString);

    // element: the owner, which becomes the parent. notifications: the change
    // signals the element raises besides those of its kind ("changedByUser",
    // "updateMathLabels"); the action and lock signals come from the element
    // kind table. The object keeps its state itself.
    ElementSignals(QObject *element, const QStringList &notifications);
    ~ElementSignals() override;

    QObject *element() const { return parent(); }
    bool raises(const QString &name) const { return m_state->raises(name); }
    // The state behind the signals: the element's, or the object's own.
    ElementSignalState *state() const { return m_state; }

    // The action signal <event>_<action> of that name ("checked_setDef"); null
    // for any other name.
    static TextSignal actionSignal(const QString &name);
    // An action signal, or sendLock or sendUnlock; null for any other name.
    static TextSignal textSignal(const QString &name);

    // Emits the signal textSignal(name) with text when the element raises it.
    void emitText(const QString &name, const QString &text) { m_state->emitText(name, text); }
    // Emit the signal unless the element blocks its signals.
    void raise(void (ElementSignals::*signal)()) { m_state->raise(signal); }
    void raise(TextSignal signal, const QString &text) { m_state->raise(signal, text); }
    bool elementBlocked() const { return m_state->elementBlocked(); }

    // The refreshes a panel runs on updateMathLabels, in the order it asked
    // for them: up to eight codes of four bits (1 to 15), the first in the
    // lowest bits, 0 after the last. One connection serves them all, not one
    // connection per refresh and element.
    quint32 refreshCodes() const { return m_state->refreshCodes(); }
    // Appends code (1 to 15); false when it is listed already, the list is
    // full or the code is out of range.
    bool addRefreshCode(int code) { return m_state->addRefreshCode(code); }

    // The listener (an object that implements ElementSignalsListener) told of
    // the refreshes; null for none. It is forgotten when it is deleted.
    void setListener(QObject *listener, ElementSignalsListener *calls) { m_state->setListener(listener, calls); }
    // The listener hears changedByUser from now on.
    void reportChangesByUser() { m_state->reportChangesByUser(); }
    bool reportsChangesByUser() const { return m_state->reportsChangesByUser(); }
    ElementSignalsListener *listener() const { return m_state->listener(); }

signals:
    void updateMathLabels();
    void changedByUser();
    void sendLock(QString lock);
    void sendUnlock(QString lock);

    // checked
    void checked_sendUSB(QString data);
    void checked_recData(QString data);
    void checked_setDef(QString data);
    void checked_runScript(QString data);
    void checked_loadFile(QString data);
    void checked_startProgram(QString data);
    void checked_resetGUI(QString data);
    // unchecked
    void unchecked_sendUSB(QString data);
    void unchecked_recData(QString data);
    void unchecked_setDef(QString data);
    void unchecked_runScript(QString data);
    void unchecked_loadFile(QString data);
    void unchecked_startProgram(QString data);
    void unchecked_resetGUI(QString data);
    // selected
    void selected_sendUSB(QString data);
    void selected_recData(QString data);
    void selected_setDef(QString data);
    void selected_runScript(QString data);
    void selected_loadFile(QString data);
    void selected_startProgram(QString data);
    void selected_resetGUI(QString data);
    // unselected
    void unselected_sendUSB(QString data);
    void unselected_recData(QString data);
    void unselected_setDef(QString data);
    void unselected_runScript(QString data);
    void unselected_loadFile(QString data);
    void unselected_startProgram(QString data);
    void unselected_resetGUI(QString data);
    // changed
    void changed_sendUSB(QString data);
    void changed_recData(QString data);
    void changed_setDef(QString data);
    void changed_runScript(QString data);
    void changed_loadFile(QString data);
    void changed_startProgram(QString data);
    void changed_resetGUI(QString data);
    // clicked
    void clicked_sendUSB(QString data);
    void clicked_recData(QString data);
    void clicked_setDef(QString data);
    void clicked_runScript(QString data);
    void clicked_loadFile(QString data);
    void clicked_startProgram(QString data);
    void clicked_resetGUI(QString data);
    // pressed
    void pressed_sendUSB(QString data);
    void pressed_recData(QString data);
    void pressed_setDef(QString data);
    void pressed_runScript(QString data);
    void pressed_loadFile(QString data);
    void pressed_startProgram(QString data);
    void pressed_resetGUI(QString data);
    // released
    void released_sendUSB(QString data);
    void released_recData(QString data);
    void released_setDef(QString data);
    void released_runScript(QString data);
    void released_loadFile(QString data);
    void released_startProgram(QString data);
    void released_resetGUI(QString data);

private:
    friend class ElementSignalState;
    // The signal object of an element's state (ElementSignalState::signalObject).
    explicit ElementSignals(ElementSignalState *state);

    ElementSignalState *m_state;
    // Set when the object keeps its state itself (the public constructor).
    ElementSignalState *m_ownState = nullptr;
};

// The companion of an element (a companion is its own), made now when the
// element has not made it yet; null for an object without one.
ElementSignals *signalsOf(const QObject *element);
// The signal state of an element (or of a companion), without making the
// companion; null for an object without one.
ElementSignalState *signalStateOf(const QObject *element);
// The element behind a signal's sender: a companion's element, else the
// sender itself.
QObject *elementOf(QObject *sender);
