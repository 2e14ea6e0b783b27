#pragma once

#include <QString>
#include <QStringList>

class QObject;

// How a script or command-line value ("-dNAME=value", Set) reaches an element
// of the kind.
enum class DefineSetRule {
    None,        // the kind cannot be set by define
    Bit,         // check box: 1 checks, anything else unchecks
    QueuedCheck, // toggle button: checked later, from the event loop
    Double,      // double spin box, as a double
    Integer,     // spin boxes, as an integer
    Slider,      // slider position
    Knob,        // knob position
    Index,       // combo box: the index, checked against the item count
    Button,      // radio group: the button with that id
    LineText,    // line edit: the text
    RichText,    // text edit: the text
};

// What the program knows of one element class, in one place: the panel
// reader, the project file, the lock and define code and the colour slots
// look it up here instead of keeping class lists of their own.
struct ElementKind {
    const char *className;     // the Qt class name ("CheckBox")
    QStringList xmlNames;      // the panel XML elements that build it
    QStringList events;        // the action signals it raises ("checked_setDef", ...)
    bool sendsLocks = false;   // it locks other elements (lockon)
    bool recorded = false;     // project files record its value
    bool countsAsDefine = true; // a project is expected to name its define
    bool styledColours = false; // setDef colours it by style sheet, not by palette
    bool styledTextColour = false; // the same for the text colour
    bool editable = false;     // the find dialog's mark treats it as a form element
    DefineSetRule setRule = DefineSetRule::None;

    // Whether an element of the kind raises the action or lock signal of
    // that name ("checked_setDef", "sendLock").
    bool raises(const QString &signalName) const;
};

// Every element kind, in no particular order.
const QList<ElementKind> &elementKinds();

// The kind of an element object: its own class, else the nearest base class
// that is a kind (a subclass of a kind counts as that kind); null for none.
const ElementKind *elementKindOf(const QObject *object);

// The kind built by a panel XML element name; null for none.
const ElementKind *elementKindForXml(const QString &xmlName);
