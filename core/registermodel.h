#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

#include <functional>

class ActiveElement;

// The in-memory picture of the target's peripheral registers: modules hold
// registers, registers hold bit fields, fields hold enumerated values. Bits of a
// register (or of a field) are handed to panel elements without overlap: each
// record keeps a 64-bit mask of the bits already given away and refuses any
// request that touches one of them. Bit numbers run from 0 to 63; the pair
// (-1, -1) stands for the whole register or field.

// One enumerated value of a field, as an SVD file lists it.
struct EnumeratedValue {
    QString name;
    QString description;
    int value = 0;
};

// Whether msb..lsb is a request the masks can hold: the whole-record pair
// (-1, -1), or 0 <= lsb <= msb <= 63.
bool isUsableBitRange(int msb, int lsb);

// The elements holding bits of a record, each under the mask of the bits it
// holds (0 for the whole record), in the order they were granted. Most
// records hold one element: it sits in place, and only further ones take a
// list of their own.
class BitGrants
{
public:
    struct Grant {
        quint64 mask;
        ActiveElement *element;
    };

    // Enters the element under the mask (replacing one held under it).
    void insert(quint64 mask, ActiveElement *element);
    // Enters the element under a mask no grant holds yet.
    void append(quint64 mask, ActiveElement *element);
    // The element under the mask, null when none holds it.
    ActiveElement *value(quint64 mask) const;
    int size() const { return m_first.element ? 1 + m_more.size() : 0; }
    bool isEmpty() const { return !m_first.element; }
    // Grant i (0 <= i < size()) in grant order.
    const Grant &at(int i) const { return i == 0 ? m_first : m_more.at(i - 1); }
    // The grants in grant order.
    template <typename Visit>
    void forEach(Visit visit) const
    {
        if (!m_first.element)
            return;
        visit(m_first);
        for (const Grant &grant : m_more)
            visit(grant);
    }
    QList<ActiveElement *> elements() const;
    // The grants as a table by mask.
    QHash<quint64, ActiveElement *> byMask() const;

private:
    Grant m_first{0, nullptr};
    QVector<Grant> m_more;
};

// The mask of bits lsb..msb; 0 for a range that is not usable (see above) and
// for the whole-record pair.
quint64 bitRangeMask(int msb, int lsb);

class FieldRecord
{
public:
    FieldRecord();
    FieldRecord(const FieldRecord &) = delete;
    FieldRecord &operator=(const FieldRecord &) = delete;

    // Grants the field's bits msb..lsb (counted from the field's bit 0), or the
    // whole field for (-1, -1), to the element. False when a bit is taken or
    // the range is not usable. The element is not asked: its binder did that.
    bool assignBits(ActiveElement *element, int msb, int lsb);
    // The elements holding bits of this field, in table order.
    QList<ActiveElement *> elements() const;
    QHash<quint64, ActiveElement *> elementsByMask() const { return m_grantedElements.byMask(); }
    void addEnumeratedValue(const QString &name, const QString &description, int value);
    // The field's place in its register.
    void setBitRange(int msb, int lsb);
    // False (width unchanged) when an element holds a bit at or above `bits`.
    bool setWidth(int bits);

    int width() const { return m_fieldWidth; }
    quint64 usedBits() const { return m_usedMask; }
    // The highest msb requested so far (field-relative), until setBitRange
    // stores the field's msb within its register; -1 when neither happened.
    int msb() const { return m_msbMark; }
    // The field's lsb within its register; -1 until setBitRange.
    int lsb() const { return m_lsbPosition; }

    QString description;
    bool readOnly = false;
    QList<EnumeratedValue> enumeratedValues;

private:
    int m_fieldWidth = 0;
    quint64 m_usedMask = 0;
    BitGrants m_grantedElements;
    int m_msbMark = -1;
    int m_lsbPosition = -1;
};

class RegisterRecord
{
public:
    explicit RegisterRecord(const QString &headerName);
    ~RegisterRecord();
    RegisterRecord(const RegisterRecord &) = delete;
    RegisterRecord &operator=(const RegisterRecord &) = delete;

    // Fields: try-add refuses an existing name and leaves `out` alone; add
    // replaces the table entry; get returns null when absent.
    bool tryAddField(FieldRecord *&out, const QString &name);
    FieldRecord *addField(const QString &name);
    FieldRecord *getField(const QString &name) const;

    // Grants bits msb..lsb, or the whole register for (-1, -1), to the element.
    // False when a bit is taken, the range is not usable, or the element
    // refuses the range. A refused request still raises the high-bit mark and
    // leaves nothing else behind.
    bool assignBits(ActiveElement *element, int msb, int lsb);
    // Grants the elements of a field again at register level once the field's
    // place (msb..lsb) is known. Refusals are reported; always returns true.
    bool bindFieldElements(FieldRecord *field, int msb, int lsb);
    // False when an element was ever asked for a bit at or above `bits`, or
    // when the element holding the whole register refuses bits-1..0.
    bool setSize(int bits);
    // Stores the value under value + fieldLsb and hands it to the element that
    // holds fieldMask when that element represents an SVD value.
    void addEnumeratedValue(const QString &name, const QString &description, int value,
                            quint64 fieldMask, int fieldLsb);
    // The register's value: the sum of its elements' register values as
    // unsigned decimal text, or the first element text that is not an
    // unsigned whole number (a negative one is returned as it is).
    // *notNumeric is set when that text is not a number at all.
    QString valueText(bool *notNumeric) const;
    // The elements holding bits of this register by the mask they hold; built
    // for the asker. grants() walks them without building a table.
    QHash<quint64, ActiveElement *> elementsByMask() const { return m_grantedElements.byMask(); }
    const BitGrants &grants() const { return m_grantedElements; }

    quint64 usedBits() const { return m_usedMask; }
    int highBitMark() const { return m_highestMsb; }
    int size() const { return m_sizeBits; }

    QString headerName;
    QHash<int, EnumeratedValue> enumeratedValues;
    int address = -1;
    int resetValue = 0;
    QString description;
    QHash<QString, FieldRecord *> fields;

private:
    quint64 m_usedMask = 0;
    int m_highestMsb = 0;
    BitGrants m_grantedElements;
    int m_sizeBits = 0;
    // Fields that addField pushed out of the table; kept alive for whoever
    // still points at them, freed with the register.
    QList<FieldRecord *> m_replacedFields;
};

// The registers of a module by name, in the order they were added (a name
// entered again keeps its place). Lookups read the list while it is short
// and an index by name once it is longer, so a one-register module carries
// a single small list and no table.
class RegisterTable
{
public:
    struct Entry {
        QString name;
        RegisterRecord *record;
    };

    template <typename Table>
    class Iterator
    {
    public:
        Iterator(Table *table, int index)
            : m_table(table)
            , m_index(index)
        {
        }
        const QString &key() const { return m_table->at(m_index).name; }
        RegisterRecord *value() const { return m_table->at(m_index).record; }
        RegisterRecord *operator*() const { return value(); }
        Iterator &operator++()
        {
            ++m_index;
            return *this;
        }
        bool operator==(const Iterator &other) const { return m_index == other.m_index; }
        bool operator!=(const Iterator &other) const { return m_index != other.m_index; }

    private:
        friend class RegisterTable;
        Table *m_table;
        int m_index;
    };
    using iterator = Iterator<RegisterTable>;
    using const_iterator = Iterator<const RegisterTable>;

    bool contains(const QString &name) const { return indexOf(name) >= 0; }
    // The register of that name, null when absent.
    RegisterRecord *value(const QString &name) const;
    // Enters the register under the name, in place of one entered before.
    void insert(const QString &name, RegisterRecord *record);
    // Takes the entry out; the next entry's position.
    iterator erase(iterator position);
    int size() const { return m_hasFirst ? 1 + m_more.size() : 0; }
    bool isEmpty() const { return !m_hasFirst; }
    QStringList keys() const;
    // Entry i (0 <= i < size()) in adding order.
    const Entry &at(int i) const { return i == 0 ? m_first : m_more.at(i - 1); }

    iterator begin() { return iterator(this, 0); }
    iterator end() { return iterator(this, size()); }
    const_iterator begin() const { return cbegin(); }
    const_iterator end() const { return cend(); }
    const_iterator cbegin() const { return const_iterator(this, 0); }
    const_iterator cend() const { return const_iterator(this, size()); }
    const_iterator constBegin() const { return cbegin(); }
    const_iterator constEnd() const { return cend(); }

private:
    int indexOf(const QString &name) const;
    void rebuildIndex();

    // The first register sits in place; most modules have no other.
    Entry m_first{QString(), nullptr};
    bool m_hasFirst = false;
    QVector<Entry> m_more;
    // Position of every entry by name; kept only while the list is longer
    // than a short scan.
    QHash<QString, int> m_index;
};

class ModuleRecord
{
public:
    ModuleRecord() = default;
    ~ModuleRecord();
    ModuleRecord(const ModuleRecord &) = delete;
    ModuleRecord &operator=(const ModuleRecord &) = delete;

    bool tryAddRegister(RegisterRecord *&out, const QString &registerName,
                        const QString &headerName);
    RegisterRecord *addRegister(const QString &headerName, const QString &registerName);
    RegisterRecord *getRegister(const QString &name) const;

    RegisterTable registers;
    QString description;

private:
    QList<RegisterRecord *> m_replacedRegisters;
};

// A define read as a register path: MODULE, MODULE.REGISTER or
// MODULE.REGISTER.FIELD, optionally followed by a bit range in square brackets
// ("[msb:lsb]" or "[bit]", numbers in C notation). A missing or unreadable bit
// number is -1.
struct RegisterPath {
    QString module;   // everything before the first "." (a bit range included)
    QString reg;      // second part without its bracketed suffix; empty without "."
    QString field;    // third part without its suffix, only for exactly three parts
    int msb = -1;
    int lsb = -1;
};
RegisterPath parseRegisterPath(const QString &define);

// Whether a header file name stays inside the folder the headers are written
// to: not absolute (no leading separator, no drive letter) and no ".." that
// climbs above that folder. "\" counts as a separator.
bool headerNameStaysInFolder(const QString &headerName);

// What binding an element to a register path needs of the owner of the module
// table: the panel, or a test's own table.
class RegisterModelHost
{
public:
    virtual ~RegisterModelHost();
    // The module of that name, null when absent.
    virtual ModuleRecord *getModule(const QString &name) = 0;
    // Creates and stores an empty module unless one of that name exists
    // (then false, `out` unchanged).
    virtual bool addModule(ModuleRecord *&out, const QString &name) = 0;
    // The module of that name, created empty when absent (*created says
    // which); null when it can be neither found nor made. A host may answer
    // with one lookup of its table.
    virtual ModuleRecord *findOrAddModule(const QString &name, bool *created);
    // Enters the element in the registration-order list and under the define.
    virtual void registerElement(const QString &define, ActiveElement *element) = 0;
    // Prints rich text on the console.
    virtual void logMessage(const QString &html) = 0;
};

// Binds a panel element to the register path its define names: registers it
// with the host, creates the module, register and field as needed and grants
// the bits. Every refusal is reported. Returns true when the bits were
// granted; for an empty define only asks the element about the whole range and
// returns its answer.
bool bindRegisterPath(RegisterModelHost &host, const QString &define,
                      const QString &headerName, ActiveElement *element, bool isSvdDefine);

// Errors of the register model go to this function; the main window installs
// its error reporter. Without one they go to qWarning.
using RegisterModelReporter = std::function<void(const QString &message)>;
void setRegisterModelReporter(RegisterModelReporter reporter);
void reportRegisterModelError(const QString &message);

// The texts of the register model's messages.
namespace RegisterMessages {
QString bitsAlreadyAssigned(const QString &define, int msb, int lsb);
QString svdBitsAlreadyAssigned(const QString &peripheral, const QString &reg,
                               const QString &field, int msb, int lsb);
QString bitOrderError(const QString &name, int msb, int lsb);
QString bitNumberOutOfRange(const QString &name, int msb, int lsb);
QString bitRangeNotSupported(ActiveElement *element, int msb, int lsb);
QString fieldsOnNonSvdDefine(const QString &define);
QString svdSizeError(const QString &peripheral, const QString &reg, const QString &field,
                     int size);
// Console line (rich text) for a register bound with two header names.
QString registerHeadersDiffer(const QString &storedHeader, const QString &newHeader,
                              const QString &define);
} // namespace RegisterMessages
