#pragma once

#include "kindedits.h"

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

// How the script's set commands reach an element of the kind (as a user
// would, ActiveElement::applyText with ApplyRule::User); each command takes
// some of the forms (setChecked the check forms, setValue the spin values,
// Set all of them).
enum class UserSetForm {
    None,      // no set command sets the kind
    Check,     // check box, toggle button: 1 checks, anything else unchecks
    SpinValue, // spin boxes: the number
    Position,  // slider, knob: the position
    Item,      // combo box: the item index
    RadioItem, // radio group: the button index
    Text,      // line edit, text edit: the text
};

// A set of forms, one bit each.
constexpr unsigned userSetFormBit(UserSetForm form)
{
    return 1u << unsigned(form);
}

// What the panel editor's tree shows as an element's title.
enum class EditorTitle {
    Define,    // its define (object name)
    Icon,      // the name of its icon ("Vertical")
    Text,      // its widget's text (a text, a push button)
    Title,     // its widget's title (a group box)
    ClassName, // its class name ("Led")
};

// The events the panel editor's action dialog offers for the kind.
enum class ActionEvents {
    None,
    Selection, // selected, unselected (combo box, radio button)
    Check,     // checked, unchecked (check box, toggle button)
    Change,    // changed (formula and timer labels, spin boxes)
    Click,     // clicked (push button)
};

// How the panel reader's "color" attribute colours an element of the kind
// (containers and push buttons are coloured their own way whatever this says).
// setDef's background colour takes the Button role for a Button slot too.
enum class ColorSlot {
    Base,       // the Base role; a combo box also gets it as its style sheet
    Canvas,     // a plot: its canvas background
    WindowText, // check box: its text
    Button,     // knob: its face, drawn in the Button role
    OwnRole,    // slider: its own background role
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
    DefineSetRule setRule = DefineSetRule::None; // what applyText(ApplyRule::Define) takes
    UserSetForm userForm = UserSetForm::None;
    // The panel XML element the writer writes for it when that is not the
    // first of xmlNames (the containers, whose elements the reader's
    // container builders read).
    const char *writtenName = nullptr;
    bool container = false;    // it holds other elements (a layout container)
    // The panel editor: the icon of its tree entry (none: the editor shows
    // its children in its place), the entry's title, and whether the entry's
    // tool tip is its formula instead of its define.
    const char *editorIcon = nullptr;
    EditorTitle editorTitle = EditorTitle::Define;
    bool formulaToolTip = false;
    ActionEvents actionEvents = ActionEvents::None;
    // The editor's property rows of its own (kindedits.h); null for none.
    bool (*editRow)(QWidget *element, const QString &row, const QString &value, AttributeWrites *writes) = nullptr;
    // The editor's property rows of its own, after the define (kindedits.h); null for none.
    void (*listRows)(QWidget *element, QStringList *rows) = nullptr;
    // The panel reader's attributes:
    // "color": where it takes the colour.
    ColorSlot colorSlot = ColorSlot::Base;
    // "setDef" and "setDefInv": the action events their lists connect; null for none.
    const char *setDefEvent = nullptr;
    const char *setDefInvEvent = nullptr;

    // The panel XML element name the writer writes for an element of the kind.
    QString xmlName() const;

    // Whether an element of the kind raises the action or lock signal of
    // that name ("checked_setDef", "sendLock").
    bool raises(const QString &signalName) const;
};

// Every element kind, in no particular order.
const QList<ElementKind> &elementKinds();

// The kind of an element object: its own class, else the nearest base class
// that is a kind (a subclass of a kind counts as that kind); null for none.
const ElementKind *elementKindOf(const QObject *object);

// Whether the object is an element whose value is text (a line or text
// edit: the kinds the script's setText sets).
bool holdsText(const QObject *object);

// The kind built by a panel XML element name; null for none.
const ElementKind *elementKindForXml(const QString &xmlName);
