#pragma once

#include "interfacecast.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class Container;
class ElementHost;

// One enumerated entry of an element (a combo item, an SVD enumerated value).
struct ElementItem {
    QString text;
    QString value;
    int key = 0;
};

// One entry of an element's lock lists: the other element's define, the value
// the lock imposes, and the keyword that value is written in (0 value,
// 1 label, 2 index).
struct LockRecord {
    QString name;
    QString value;
    int kind = 0;
};

// The keywords of elementKeywords that code names (their indexes).
enum ElementKeyword {
    KeywordValue = 0,
    KeywordLabel = 1,
    KeywordIndex = 2,
    KeywordDefineValue = 3,
    KeywordTypeInfo = 4,
    KeywordRegister = 7,
    KeywordModule = 8,
    KeywordRegisterName = 9,
    KeywordAddress = 10,
};

// The rule by which a text sets an element (applyText).
enum class ApplyRule {
    // A define value (-d, a project's define lines, Python): read in any
    // integer notation, checked against the element's range; a value the
    // element cannot hold is refused and changes nothing. The element's
    // widget is set with its signals blocked, then its change path runs once.
    Define,
    // As a user would (the script's Set and set... commands): decimal text,
    // an element that is disabled is left alone, and the change runs through
    // the element's own user path (the recorder line, the actions).
    User,
};

// What became of a text applied to an element.
struct ApplyResult {
    enum Outcome {
        Applied,         // taken (or left alone as the rule says: a disabled element)
        NotSettable,     // the kind is not set by this rule
        InvalidValue,    // the text is no value the element can hold
        IndexOutOfRange, // an item or button index the element does not have
    };
    Outcome outcome = Applied;
    // IndexOutOfRange: the index asked for, the last one there is, and the
    // script member that names such an index ("setItem", "setRBItem").
    int index = 0;
    int last = -1;
    const char *member = "";

    bool ok() const { return outcome == Applied; }
    static ApplyResult applied() { return {}; }
    static ApplyResult refused(Outcome outcome)
    {
        ApplyResult result;
        result.outcome = outcome;
        return result;
    }
    static ApplyResult outOfRange(int index, int last, const char *member)
    {
        ApplyResult result;
        result.outcome = IndexOutOfRange;
        result.index = index;
        result.last = last;
        result.member = member;
        return result;
    }
};

// A new minimum or maximum an element with a range is about to take
// (ActiveElement::prepareRangeLimit): its value and range before the change,
// the bound as the element takes it, and the step that sets it.
struct RangeLimit {
    double value = 0;
    double minimum = 0;
    double maximum = 0;
    double bound = 0;
    std::function<void()> apply;
};

// One line the script's GENERATETESTINPUT writes for an element: a Set of a
// number drawn from [low, high), or a Clicked line (commented out at random).
struct TestInputLine {
    enum Form { Set, Click };
    Form form = Set;
    double low = 0;
    double high = 0;
};

// The forms an element's value is read in (the flag of value()).
enum class ValueForm {
    Shown = 0, // as the element shows it (a formula label's prefix, number and unit)
    Plain = 1, // the bare value (a formula label's number in its shortest form)
};

// The interface of every value-bearing panel element, implemented beside the
// element's Qt widget base. Registries, the panel reader, the script engine,
// setDef, locks and the editor reach elements only through it.
class ActiveElement
{
public:
    ActiveElement() = default;
    ActiveElement(const ActiveElement &) = delete;
    ActiveElement &operator=(const ActiveElement &) = delete;

    virtual ~ActiveElement();
    // The element's own Qt object (its widget, or a radio group's group).
    virtual QObject *elementObject() const = 0;
    // Set from text written in the given keyword (0 value, 1 label, 2 index, 3 define value).
    virtual void setValue(const QString &text, int keyword) = 0;
    // A value read from a project file; becomes the stored value.
    virtual void loadValue(const QString &text) = 0;
    // The current value in the given keyword (4: type name).
    virtual QString value(int keyword, int flag) = 0;
    virtual QString storedValueText() = 0;
    // Sets the element from text by the rule. beforeChange, when set, runs
    // once right before the element changes (a script shows the element
    // first); it does not run for a text that is refused or changes nothing.
    // Kinds that cannot be set this way keep the default: NotSettable.
    virtual ApplyResult applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange);
    // A define was renamed: the element's own references to it (beyond its
    // actions, conditions and locks, which the panel rewrites) follow.
    // True when one changed.
    virtual bool renameDefineSources(const QString &oldName, const QString &newName)
    {
        Q_UNUSED(oldName)
        Q_UNUSED(newName)
        return false;
    }
    virtual void initialize() = 0;
    virtual void resetToDefault() {}
    virtual void applyLocks() {}
    virtual void enable(bool on) = 0;
    virtual void reapplyStoredValue() {}
    // The element's attributes ("data", "locks", "my_default", "lsb", ...):
    // kept by the element, not as properties of its Qt object. A name the
    // element does not keep is a property of the Qt object.
    virtual void setElementProperty(const char *name, const QVariant &value) = 0;
    virtual QVariant elementProperty(const char *name) = 0;
    // The names of the attributes the element keeps itself (not those left
    // to its Qt object).
    virtual QList<QByteArray> elementPropertyNames() const { return {}; }
    // Whether the element can hold a register field of these bits (-1, -1: a whole define).
    virtual bool acceptsBitRange(int msb, int lsb) = 0;
    virtual void updateToolTip() {}
    // Builds the tool tip now if updateToolTip left that to the moment it is
    // asked for (elements that build theirs at once do nothing).
    virtual void ensureToolTip() {}
    virtual void addItem(const QString &text, const QString &value, int key);
    // A non-empty text becomes the tool tip of the item added last (elements
    // without items do nothing).
    virtual void setLastItemToolTip(const QString &) {}
    // Tells the formulas and displays that read the element that its value changed.
    virtual void updateMathLabels() = 0;

    // ---- What setDef and the lock check ask of the element's kind; the
    // defaults are those of the kinds without it.

    // A new minimum (minimum true) or maximum: fills limit with the value and
    // range now, the bound as the kind takes it (bound, or wholeBound for the
    // integer kinds) and the step that sets it. False for kinds without a range.
    virtual bool prepareRangeLimit(bool minimum, double bound, int wholeBound, RangeLimit *limit);
    // Whether setDef's "color" is a keyword of the element's own (a toggle
    // button's colour) rather than its background colour.
    virtual bool ownsColorKeyword() const { return false; }
    // The objects setDef's colour keywords paint: the element's own object,
    // or the buttons of a radio group.
    virtual QList<QObject *> colouredObjects() const { return {elementObject()}; }
    // Whether a lockon condition may lock the element to value (labelLock:
    // to the label value).
    virtual bool acceptsLockValue(const QString &value, bool labelLock) const;
    // The kind name of an element whose values have no labels ("spinbox",
    // ...): a lockon condition on its label is refused with a line of its
    // own. Empty for the other kinds.
    virtual QString unlabelledKindName() const { return {}; }
    // The lock graph's label for the lock entry key, at position among the
    // element's entries: the button, item or check state the entry belongs
    // to; "???" for kinds whose states have no names.
    virtual QString lockEntryLabel(const QString &key, int position) const;
    // Whether a lock chain through the element follows every one of its lock
    // entries (check boxes and toggle buttons) rather than the entry of the
    // value it is locked to.
    virtual bool followsEveryLockEntry() const { return false; }

    // ---- What only some kinds do (the defaults: the kind does not)
    // The lines the script's GENERATETESTINPUT writes for the element, in order.
    virtual QList<TestInputLine> testInputLines() const { return {}; }
    // The script's Clicked: a click as the user makes it (none while disabled); false when the kind is not clicked.
    virtual bool clickAsUser() { return false; }
    // The script's OpenFileDialog: the chosen file becomes the element's text as typed; false when the kind holds no text.
    virtual bool takeChosenFile(const QString &file)
    {
        Q_UNUSED(file)
        return false;
    }
    // The "Range: low..high" section of the element's tool tip; empty when the kind shows no range.
    virtual QString rangeToolTip() const { return QString(); }

    // The panel reader's attributes:
    // "readonly": value elements stop taking the mouse and the focus, edits turn read-only.
    virtual void makeReadOnly() {}

    // The define value (value() of KeywordDefineValue) as the unsigned number
    // that text spells, for a register's sum without the text; false when the
    // kind gives no such number. A kind that overrides value() overrides
    // this beside it.
    virtual bool defineBits(quint64 *bits)
    {
        Q_UNUSED(bits)
        return false;
    }

    // value() with the keyword and form named.
    QString valueText(int keyword, ValueForm form = ValueForm::Plain) { return value(keyword, int(form)); }
    // The class name the element reports (the typeinfo keyword).
    QString typeName() { return value(KeywordTypeInfo, int(ValueForm::Plain)); }

    // Lock lists. The first record of lockedBy is the lock in force; names and
    // values compare exactly. None of these reports anything.
    void addLock(const QString &name, const QString &value, int kind);
    void addLocking(const QString &name, const QString &value, int kind);
    void addWaitingToLock(const QString &name, const QString &value, int kind);
    void addWaitingToBeLockedBy(const QString &name, const QString &value);
    void removeLock(const QString &name);
    bool removeLocking(const QString &name);
    void removeWaitingToLock(const QString &name);
    void removeWaitingToBeLockedBy(const QString &name);
    LockRecord takeFirstWaitingToBeLockedBy();
    QList<LockRecord> takeWaitingToBeLockedByValue(const QString &value);
    LockRecord takeWaitingToLock(const QString &name);
    bool isLocked() const { return !lockedBy.isEmpty(); }
    bool isLockedBy(const QString &name) const;
    bool isLockedToOtherValue(const QString &value) const;
    QStringList lockedByNames() const;
    QStringList lockingNames() const;
    // Drops every lock record at once without touching the widget.
    void clearLocks();

    // The C header file the element's define is written to (property "header").
    QString header();
    QList<Container *> containers() const { return containerChain; }

    // The panel the element belongs to; null for an element on its own.
    ElementHost *host() const { return m_host; }
    void setHost(ElementHost *host) { m_host = host; }

    QHash<int, ElementItem> items;
    QList<LockRecord> locking;
    QList<LockRecord> lockedBy;
    QList<LockRecord> waitingToLock;
    QList<LockRecord> waitingToBeLockedBy;
    QList<Container *> containerChain;

private:
    ElementHost *m_host = nullptr;

public:
    // Last, so that the flags of a derived element class share their word.
    bool locked = false;
    bool disabledByBranch = false;
};

// The sections of an element tool tip (bits of the panel's tooltipconfig).
enum ToolTipSection : quint32 {
    ToolTipValue = 0x1,
    ToolTipLockedBy = 0x2,
    ToolTipLocking = 0x4,
    ToolTipWaitingToLock = 0x8,
    ToolTipWaitingToBeLockedBy = 0x10,
    ToolTipEnumeratedValues = 0x20,
    ToolTipContainers = 0x40,
    ToolTipSvd = 0x80,
    ToolTipHeader = 0x100,
    ToolTipDefault = 0x200,
    ToolTipRange = 0x400,
    ToolTipText = 0x800,
};

// The keywords by which an element's value and properties are addressed, as a
// suffix of a reference (MODE.label) or a prefix of a value text (index=2).
extern const QStringList elementKeywords;

// Index of the first keyword k with text starting with k + "="; 0 when none.
int keywordIndexOf(const QString &text);
// Removes every occurrence of keyword + "=".
QString &stripKeyword(QString &text, int keyword);
// Index of the first keyword k with text ending with "." + k; 0 when none.
int keywordSuffixIndexOf(const QString &text);
// Removes every occurrence of "." + keyword.
QString &stripKeywordSuffix(QString &text, int keyword);

#define ActiveElement_iid "org.orvanta.Quillmate.ActiveElement"
Q_DECLARE_INTERFACE(ActiveElement, ActiveElement_iid)

// The Qt object of an element; null for no element.
inline QObject *objectOf(const ActiveElement *element)
{
    return element ? element->elementObject() : nullptr;
}

// The element interface of a Qt object; null when the object is no element.
inline ActiveElement *activeElementOf(QObject *object)
{
    return interfaceCast<ActiveElement>(object);
}

// An attribute of any panel object: the element's own when the object is an
// element, else the object's property of that name.
QVariant elementPropertyOf(const QObject *object, const char *name);
void setElementPropertyOf(QObject *object, const char *name, const QVariant &value);
// The attribute names of a panel object: those its element keeps, then the
// object's dynamic properties.
QList<QByteArray> elementPropertyNamesOf(QObject *object);
