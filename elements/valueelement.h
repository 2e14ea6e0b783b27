#pragma once

#include "activeelement.h"
#include "elementattributes.h"
#include "elementsignals.h"

#include <QDeadlineTimer>
#include <QPointer>

#include <functional>

class ElementHost;
class QWidget;

// One action of an element's "data" property.
struct ElementAction {
    QString event;     // the part of the key before "_": checked, unchecked, changed, ...
    QString kind;      // the part after it: setDef, sendUSB, runScript, loadFile, ...
    QString condition; // tested with evaluateCondition
    QString data;      // the request handed to the main window
    QString recData;   // sendUSB only: the receive description
    QString delay;     // sendUSB only: milliseconds to wait afterwards, may be empty
};

// The actions stored under key in a "data" property value: a map from decimal
// text to a flat list of tuples, five items for a sendUSB action and three for
// any other. An incomplete tuple at the end of the list is dropped; anything
// that is not such a map gives no actions.
QList<ElementAction> readElementActions(const QVariant &data, const QString &key);

// Processes pending events, timers and queued signals included, until the
// deadline, waiting at most 2 ms at a time.
void waitProcessingEvents(const QDeadlineTimer &deadline);

// An element's value written into its define: value << lsb as a 64-bit
// number; no shift for a negative lsb (-1: the whole define), 0 from 64 on.
quint64 defineValueOf(quint64 value, int lsb);
// The element's field read from a define value: the inverse shift.
quint64 fieldValueOf(quint64 defineValue, int lsb);

// The value of a hexadecimal (read base 16) or decimal integer literal as
// decimal text; empty for any other text and for a number beyond 64 bits.
QString integerLiteralText(const QString &text);
// The integer literal's number when it names one of count entries (0 to
// count - 1); -1 otherwise.
int indexFromLiteral(const QString &text, int count);
// The define value of an element whose value is the decimal text: shifted by
// lsb as a 64-bit number (a negative value as its two's complement; text
// that is no number counts 0), written as an unsigned 32-bit decimal of the
// low half.
QString defineValueText(const QString &valueText, int lsb);

// Whether an element is still in service across the signals and waits of one
// of its walks. An action may open another panel (loadFile, runScript, a LOAD
// command): the element is then deleted at once, or it goes with the window's
// previous central widget, which Qt deletes later. Either way the walk stops.
// Every guard counts as a running walk with its host from construction to
// destruction (copies count too), so the window knows when the widgets of a
// replaced panel may go at once.
class ElementGuard
{
public:
    // host: the panel of the element; without one the element is only
    // watched for deletion.
    ElementGuard(QObject *element, const ElementHost *host);
    ElementGuard(const ElementGuard &other);
    ElementGuard &operator=(const ElementGuard &other);
    ~ElementGuard();
    bool alive() const;

private:
    QPointer<QObject> m_element;
    const ElementHost *m_host;
    QPointer<QWidget> m_panel; // the panel widget that held the element
    bool m_inPanel = false;
};

// Which actions of its list an element runs, and how their signals are named.
struct ActionRules {
    QStringList kinds;                                      // the kinds the element runs
    std::function<bool(const QString &event)> eventApplies; // null: every event applies
    QString signalEvent; // not empty: the event part of every signal emitted
    // The event part of the signals of single kinds ("recData" for a sendUSB
    // action's receive signal), where it differs from the rule above.
    QHash<QString, QString> signalEvents;
};

// What the value elements (check box, spin boxes, slider, combo box, radio
// group, knob, edits, toggle button) share beside ActiveElement: the element's
// attributes, read at each use, the walk over the actions, lock and
// setDef lists, the macro recorder line and the change notification.
//
// The walks return false when the element went away during a signal or a wait;
// the caller must then return at once without touching the element.
class ValueElement : public ActiveElement
{
public:
    QObject *elementObject() const override { return m_object; }
    void setElementProperty(const char *name, const QVariant &value) override;
    QVariant elementProperty(const char *name) override;
    QList<QByteArray> elementPropertyNames() const override { return m_attributes.names(); }
    // The tool tip of the element's widget (nothing for a non-widget) is out
    // of date: it is built again when it is asked for, by the mouse resting
    // on the widget (a tool tip event) or by ensureToolTip(). A panel's open
    // and a stream of polled values build none that nobody reads.
    void updateToolTip() override;
    void ensureToolTip() override;
    void updateMathLabels() override;

    // The signals of the element: a child of its Qt object, made when first
    // asked for.
    ElementSignals *elementSignals() const { return m_signalState.signalObject(); }
    // What the element's signals keep (the listener, the refreshes); raising
    // through it makes no signal object.
    ElementSignalState &signalState() const { return m_signalState; }

protected:
    // object: the element's own Qt object (the widget, or a radio group's group).
    explicit ValueElement(QObject *object);
    ~ValueElement() override;


    bool flagProperty(const char *name) { return elementProperty(name).toBool(); }
    QStringList textListProperty(const char *name) { return elementProperty(name).toStringList(); }
    // The lock texts of "locks" entry key.
    QStringList lockTexts(const QString &key);
    // Property "lsb"; -1 (the whole define) when it is not set.
    int lsb();

    // The end of initialize: the formula refresh when a formula uses the
    // element, the tool tip, and the confirmation filter on confirmTarget.
    void finishInitialize(QWidget *confirmTarget);
    // Installs a QInputEventRecorder on the widget when "confirmation" is set.
    void installConfirmation(QWidget *widget);

    // Runs the actions of "data" entry key that the rules select and whose
    // condition holds, in list order: emits <event>_<kind>(data), for sendUSB
    // then <event>_recData(recdata) and waits out the delay.
    bool runActions(const ElementGuard &guard, const ActionRules &rules,
                    const QString &key = QStringLiteral("0"));
    // The walk of a choice element (combo box, radio group) when the entry
    // newKey replaces oldKey (the same key when reported again): the new
    // entry's "selected" actions, the old entry's "unselected" actions, the
    // old entry's locks released, the new entry's sent, then "default_setdef"
    // through selected_setDef. unselectedEvents names the event part of the
    // signals that the old entry's kinds use instead of "unselected".
    bool runChoiceWalk(const ElementGuard &guard, const QString &newKey, const QString &oldKey,
                       const QStringList &kinds, const QHash<QString, QString> &unselectedEvents);
    // Emits the element's signal signalName(QString) once for each text, in
    // order; a signal the element does not raise is skipped.
    bool emitEach(const ElementGuard &guard, const QString &signalName, const QStringList &texts);
    // Emits sendLock (lock) or sendUnlock for each lock text of "locks" entry key.
    bool sendLockTexts(const ElementGuard &guard, const QString &key, bool lock);

    // The "Set(name, value)" line of the macro recorder, written only while
    // recording and only when focusWidget has the keyboard focus (a user's
    // change). consoleValue, when given, is the console's form of the value.
    void recordSet(const QWidget *focusWidget, const QString &value,
                   const QString &consoleValue = QString());
    // A choice element's (combo box, radio group) change by the user: the
    // recorder line for the focused widget, changedByUser, then index becomes
    // *storedIndex unless the element went away meanwhile.
    void userChoice(const QWidget *focusWidget, int index, int *storedIndex);
    // Marks the project and the element's header file changed.
    void markModified();
    // Reports a keyword the element cannot give its value in; returns the
    // empty text that value() then gives.
    QString unsupportedKeyword(int keyword);
    // The value text that setValue is given: the value of another element of
    // the host in the referenced keyword (OTHER, OTHER.label), or the text itself.
    QString resolveReference(const QString &text);
    // enable for the elements that ignore the request while locked.
    void enableUnlessLocked(QWidget *widget, bool on);

private:
    // First: it fills the word of ActiveElement's flags.
    bool m_toolTipStale = false;
    QObject *m_object;
    mutable ElementSignalState m_signalState;
    ElementAttributes m_attributes;
};
