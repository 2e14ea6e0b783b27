#include "registermodel.h"

#include "activeelement.h"
#include "consolelinks.h"
#include "numberliteral.h"

#include <QDir>
#include <QObject>
#include <QVector>
#include <QStringList>
#include <QtDebug>
#include <QVariant>

#include <limits>

namespace {

constexpr int HighestBit = 63;

QString objectNameOf(ActiveElement *element)
{
    const QObject *object = objectOf(element);
    return object ? object->objectName() : QString();
}

bool isWholeRecord(int msb, int lsb)
{
    return msb == -1 && lsb == -1;
}

// Both ends are bit numbers the masks can hold (their order aside).
bool bitNumbersInRange(int msb, int lsb)
{
    return msb >= 0 && msb <= HighestBit && lsb >= 0 && lsb <= HighestBit;
}

int clampToInt(qint64 value)
{
    return int(qBound<qint64>(std::numeric_limits<int>::min(), value,
                              std::numeric_limits<int>::max()));
}

// "R[3:0]" -> "R".
QString withoutBitSuffix(const QStringRef &part)
{
    return part.left(part.indexOf(QLatin1Char('['))).toString();
}

// A bit number in C notation ("0x" hexadecimal, leading 0 octal); -1 when unreadable.
int bitNumber(const QStringRef &text)
{
    bool ok = false;
    const int number = text.toInt(&ok, 0);
    return ok ? number : -1;
}

RegisterModelReporter &installedReporter()
{
    static RegisterModelReporter reporter;
    return reporter;
}

} // namespace

bool isUsableBitRange(int msb, int lsb)
{
    return isWholeRecord(msb, lsb) || (bitNumbersInRange(msb, lsb) && lsb <= msb);
}

quint64 bitRangeMask(int msb, int lsb)
{
    if (isWholeRecord(msb, lsb) || !isUsableBitRange(msb, lsb))
        return 0;
    const int width = msb - lsb + 1;
    const quint64 ones = width == 64 ? ~quint64(0) : (quint64(1) << width) - 1;
    return ones << lsb;
}

// ---------------------------------------------------------------------------
// BitGrants

void BitGrants::insert(quint64 mask, ActiveElement *element)
{
    if (!element)
        return;
    if (!m_first.element || m_first.mask == mask) {
        m_first = Grant{mask, element};
        return;
    }
    for (Grant &grant : m_more) {
        if (grant.mask == mask) {
            grant.element = element;
            return;
        }
    }
    m_more.append(Grant{mask, element});
}

void BitGrants::append(quint64 mask, ActiveElement *element)
{
    if (!element)
        return;
    if (!m_first.element)
        m_first = Grant{mask, element};
    else
        m_more.append(Grant{mask, element});
}

ActiveElement *BitGrants::value(quint64 mask) const
{
    if (!m_first.element)
        return nullptr;
    if (m_first.mask == mask)
        return m_first.element;
    for (const Grant &grant : m_more) {
        if (grant.mask == mask)
            return grant.element;
    }
    return nullptr;
}

QList<ActiveElement *> BitGrants::elements() const
{
    QList<ActiveElement *> list;
    list.reserve(size());
    forEach([&list](const Grant &grant) { list.append(grant.element); });
    return list;
}

QHash<quint64, ActiveElement *> BitGrants::byMask() const
{
    QHash<quint64, ActiveElement *> table;
    table.reserve(size());
    forEach([&table](const Grant &grant) { table.insert(grant.mask, grant.element); });
    return table;
}

// ---------------------------------------------------------------------------
// FieldRecord

FieldRecord::FieldRecord() = default;

bool FieldRecord::assignBits(ActiveElement *element, int msb, int lsb)
{
    if (!element || !isUsableBitRange(msb, lsb))
        return false;
    if (msb > m_msbMark)
        m_msbMark = msb;

    quint64 grant = 0;
    if (isWholeRecord(msb, lsb)) {
        if (m_usedMask != 0)
            return false;
        m_usedMask = ~quint64(0);
    } else {
        grant = bitRangeMask(msb, lsb);
        if (m_usedMask & grant)
            return false;
        m_usedMask |= grant;
    }
    element->setElementProperty("msb", msb);
    element->setElementProperty("lsb", lsb);
    // The mask was free: no grant holds it.
    m_grantedElements.append(grant, element);
    return true;
}

QList<ActiveElement *> FieldRecord::elements() const
{
    return m_grantedElements.elements();
}

void FieldRecord::addEnumeratedValue(const QString &name, const QString &description, int value)
{
    enumeratedValues.append(EnumeratedValue{name, description, value});
}

void FieldRecord::setBitRange(int msb, int lsb)
{
    m_msbMark = msb;
    m_lsbPosition = lsb;
}

bool FieldRecord::setWidth(int bits)
{
    // A field of `bits` bits ends at bit bits-1, so an element on bit `bits`
    // does not fit.
    if (bits <= m_msbMark)
        return false;
    m_fieldWidth = bits;
    return true;
}

// ---------------------------------------------------------------------------
// RegisterRecord

RegisterRecord::RegisterRecord(const QString &headerName)
    : headerName(headerName)
{
}

RegisterRecord::~RegisterRecord()
{
    qDeleteAll(fields);
    qDeleteAll(m_replacedFields);
}

bool RegisterRecord::tryAddField(FieldRecord *&out, const QString &name)
{
    if (fields.contains(name))
        return false;
    out = addField(name);
    return true;
}

FieldRecord *RegisterRecord::addField(const QString &name)
{
    if (FieldRecord *old = fields.value(name))
        m_replacedFields.append(old);
    auto *field = new FieldRecord;
    fields.insert(name, field);
    return field;
}

FieldRecord *RegisterRecord::getField(const QString &name) const
{
    return fields.value(name);
}

bool RegisterRecord::assignBits(ActiveElement *element, int msb, int lsb)
{
    if (!element || !isUsableBitRange(msb, lsb))
        return false;
    if (msb > m_highestMsb)
        m_highestMsb = msb;

    // Everything is tested before anything is marked, so a refused request
    // leaves no bits behind that no element holds.
    const bool whole = isWholeRecord(msb, lsb);
    const quint64 grant = bitRangeMask(msb, lsb);
    if (whole ? m_usedMask != 0 : (m_usedMask & grant) != 0)
        return false;
    if (!element->acceptsBitRange(msb, lsb))
        return false;

    m_usedMask = whole ? ~quint64(0) : m_usedMask | grant;
    element->setElementProperty("msb", msb);
    element->setElementProperty("lsb", lsb);
    // The mask was free: no grant holds it.
    m_grantedElements.append(grant, element);
    return true;
}

bool RegisterRecord::bindFieldElements(FieldRecord *field, int msb, int lsb)
{
    if (!field)
        return true;
    const QList<ActiveElement *> elements = field->elements();
    for (ActiveElement *element : elements) {
        const int ownLsb = element->elementProperty("lsb").toInt();
        const int ownMsb = element->elementProperty("msb").toInt();
        int grantMsb = msb;
        int grantLsb = lsb;
        if (!isWholeRecord(ownMsb, ownLsb)) {
            grantMsb = clampToInt(qint64(ownMsb) + lsb);
            grantLsb = clampToInt(qint64(ownLsb) + lsb);
        }
        if (assignBits(element, grantMsb, grantLsb))
            continue;
        const QString name = objectNameOf(element);
        reportRegisterModelError(
            isUsableBitRange(grantMsb, grantLsb)
                ? RegisterMessages::bitsAlreadyAssigned(name, grantMsb, grantLsb)
                : RegisterMessages::bitNumberOutOfRange(name, grantMsb, grantLsb));
    }
    return true;
}

bool RegisterRecord::setSize(int bits)
{
    if (bits <= m_highestMsb)
        return false;
    if (fields.isEmpty()) {
        ActiveElement *whole = m_grantedElements.value(0);
        if (whole && !whole->acceptsBitRange(bits - 1, 0))
            return false;
    }
    m_sizeBits = bits;
    return true;
}

void RegisterRecord::addEnumeratedValue(const QString &name, const QString &description,
                                        int value, quint64 fieldMask, int fieldLsb)
{
    // Wrapping addition: the key only has to be stable, not to overflow.
    const int key = int(uint(value) + uint(fieldLsb));
    enumeratedValues.insert(key, EnumeratedValue{name, description, value});

    ActiveElement *element = m_grantedElements.value(fieldMask);
    if (element && !element->elementProperty("svd").toString().isEmpty())
        element->addItem(name, description, value);
}

QString RegisterRecord::valueText(bool *notNumeric) const
{
    if (notNumeric)
        *notNumeric = false;
    quint64 sum = 0;
    const int count = m_grantedElements.size();
    for (int i = 0; i < count; ++i) {
        ActiveElement *element = m_grantedElements.at(i).element;
        quint64 bits = 0;
        if (element->defineBits(&bits)) {
            sum += bits;
            continue;
        }
        const QString text = element->value(3, 1);
        // A negative text is a value of its own, never a bit pattern: an
        // element that means the bits of a shifted field gives them unsigned.
        if (!text.contains(QLatin1Char('.')) && !startsWithMinusSign(text)) {
            bool ok = false;
            const quint64 bits = text.toULongLong(&ok, 10);
            if (ok) {
                sum += bits;
                continue;
            }
        }
        if (notNumeric) {
            bool isFloat = false;
            text.toDouble(&isFloat);
            *notNumeric = !isFloat;
        }
        return text;
    }
    return QString::number(sum);
}

// ---------------------------------------------------------------------------
// RegisterTable

namespace {
// Up to this many registers a lookup reads the list.
constexpr int ShortRegisterList = 8;
} // namespace

int RegisterTable::indexOf(const QString &name) const
{
    const int count = size();
    if (count > ShortRegisterList)
        return m_index.value(name, -1);
    for (int i = 0; i < count; ++i) {
        if (at(i).name == name)
            return i;
    }
    return -1;
}

RegisterRecord *RegisterTable::value(const QString &name) const
{
    const int i = indexOf(name);
    return i < 0 ? nullptr : at(i).record;
}

void RegisterTable::insert(const QString &name, RegisterRecord *record)
{
    const int i = indexOf(name);
    if (i == 0) {
        m_first.record = record;
        return;
    }
    if (i > 0) {
        m_more[i - 1].record = record;
        return;
    }
    if (!m_hasFirst) {
        m_first = Entry{name, record};
        m_hasFirst = true;
        return;
    }
    m_more.append(Entry{name, record});
    const int count = size();
    if (count == ShortRegisterList + 1)
        rebuildIndex();
    else if (count > ShortRegisterList)
        m_index.insert(name, count - 1);
}

RegisterTable::iterator RegisterTable::erase(iterator position)
{
    const int i = position.m_index;
    if (i < 0 || i >= size())
        return end();
    if (i > 0) {
        m_more.remove(i - 1);
    } else if (m_more.isEmpty()) {
        m_first = Entry{QString(), nullptr};
        m_hasFirst = false;
    } else {
        m_first = m_more.takeFirst();
    }
    rebuildIndex();
    return iterator(this, i);
}

QStringList RegisterTable::keys() const
{
    QStringList names;
    const int count = size();
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names.append(at(i).name);
    return names;
}

void RegisterTable::rebuildIndex()
{
    m_index.clear();
    const int count = size();
    if (count <= ShortRegisterList)
        return;
    m_index.reserve(count);
    for (int i = 0; i < count; ++i)
        m_index.insert(at(i).name, i);
}

// ---------------------------------------------------------------------------
// ModuleRecord

ModuleRecord::~ModuleRecord()
{
    qDeleteAll(registers);
    qDeleteAll(m_replacedRegisters);
}

bool ModuleRecord::tryAddRegister(RegisterRecord *&out, const QString &registerName,
                                  const QString &headerName)
{
    if (registers.contains(registerName))
        return false;
    out = addRegister(headerName, registerName);
    return true;
}

RegisterRecord *ModuleRecord::addRegister(const QString &headerName, const QString &registerName)
{
    if (RegisterRecord *old = registers.value(registerName))
        m_replacedRegisters.append(old);
    auto *reg = new RegisterRecord(headerName);
    registers.insert(registerName, reg);
    return reg;
}

RegisterRecord *ModuleRecord::getRegister(const QString &name) const
{
    return registers.value(name);
}

// ---------------------------------------------------------------------------
// Register paths and binding

RegisterPath parseRegisterPath(const QString &define)
{
    // Read in place: this runs for every bound element of a panel.
    RegisterPath path;
    const int firstDot = define.indexOf(QLatin1Char('.'));
    path.module = firstDot < 0 ? define : define.left(firstDot);
    if (firstDot >= 0) {
        const int secondDot = define.indexOf(QLatin1Char('.'), firstDot + 1);
        path.reg = withoutBitSuffix(
            define.midRef(firstDot + 1, secondDot < 0 ? -1 : secondDot - firstDot - 1));
        if (secondDot >= 0 && define.indexOf(QLatin1Char('.'), secondDot + 1) < 0)
            path.field = withoutBitSuffix(define.midRef(secondDot + 1));
    }

    // The parts between "[", ":" and "]", empty ones left out: the second
    // and third are the bit numbers when there are two or three.
    int parts = 0;
    QStringRef second;
    QStringRef third;
    int start = 0;
    for (int i = 0; i <= define.size(); ++i) {
        if (i < define.size()) {
            const QChar c = define.at(i);
            if (c != QLatin1Char('[') && c != QLatin1Char(':') && c != QLatin1Char(']'))
                continue;
        }
        if (i > start) {
            if (parts == 1)
                second = define.midRef(start, i - start);
            else if (parts == 2)
                third = define.midRef(start, i - start);
            ++parts;
        }
        start = i + 1;
    }
    if (parts == 2) {
        path.msb = path.lsb = bitNumber(second);
    } else if (parts == 3) {
        path.msb = bitNumber(second);
        path.lsb = bitNumber(third);
    }
    return path;
}

bool headerNameStaysInFolder(const QString &headerName)
{
    const QString name = QString(headerName).replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool driveLetter = name.size() >= 2 && name.at(1) == QLatin1Char(':')
        && ((name.at(0) >= QLatin1Char('A') && name.at(0) <= QLatin1Char('Z'))
            || (name.at(0) >= QLatin1Char('a') && name.at(0) <= QLatin1Char('z')));
    if (name.startsWith(QLatin1Char('/')) || driveLetter)
        return false;
    const QString clean = QDir::cleanPath(name);
    return clean != QLatin1String("..") && !clean.startsWith(QLatin1String("../"));
}

RegisterModelHost::~RegisterModelHost() = default;

ModuleRecord *RegisterModelHost::findOrAddModule(const QString &name, bool *created)
{
    *created = false;
    if (ModuleRecord *module = getModule(name))
        return module;
    ModuleRecord *module = nullptr;
    if (!addModule(module, name))
        return nullptr;
    *created = true;
    return module;
}

bool bindRegisterPath(RegisterModelHost &host, const QString &define, const QString &headerName,
                      ActiveElement *element, bool isSvdDefine)
{
    if (define.isEmpty())
        return element && element->acceptsBitRange(-1, -1);

    host.registerElement(define, element);
    if (!element)
        return false;

    const RegisterPath path = parseRegisterPath(define);
    const int msb = path.msb;
    const int lsb = path.lsb;
    // No element is ever asked about a bit number the masks cannot hold.
    if (!isWholeRecord(msb, lsb) && !bitNumbersInRange(msb, lsb)) {
        reportRegisterModelError(RegisterMessages::bitNumberOutOfRange(define, msb, lsb));
        return false;
    }
    if (!element->acceptsBitRange(msb, lsb)) {
        reportRegisterModelError(RegisterMessages::bitRangeNotSupported(element, msb, lsb));
        return false;
    }
    if (msb < lsb) {
        reportRegisterModelError(RegisterMessages::bitOrderError(define, msb, lsb));
        return false;
    }

    const bool hasField = !path.field.isEmpty();
    bool created = false;
    ModuleRecord *module = host.findOrAddModule(path.module, &created);
    RegisterRecord *reg = nullptr;
    FieldRecord *field = nullptr;
    if (!module) {
        return false;
    } else if (created) {
        reg = module->addRegister(headerName, path.reg);
        if (hasField)
            field = reg->addField(path.field);
    } else if (module->tryAddRegister(reg, path.reg, headerName)) {
        if (hasField)
            field = reg->addField(path.field);
    } else {
        reg = module->getRegister(path.reg);
        if (!reg->headerName.isEmpty() && !headerName.isEmpty() && reg->headerName != headerName)
            host.logMessage(
                RegisterMessages::registerHeadersDiffer(reg->headerName, headerName, define));
        if (hasField && !reg->tryAddField(field, path.field))
            field = reg->getField(path.field);
    }

    bool granted = false;
    if (!hasField) {
        granted = reg->assignBits(element, msb, lsb);
    } else if (!isSvdDefine) {
        reportRegisterModelError(RegisterMessages::fieldsOnNonSvdDefine(define));
        return false;
    } else {
        granted = field->assignBits(element, msb, lsb);
    }
    if (!granted)
        reportRegisterModelError(RegisterMessages::bitsAlreadyAssigned(define, msb, lsb));
    return granted;
}

// ---------------------------------------------------------------------------
// Reporting

void setRegisterModelReporter(RegisterModelReporter reporter)
{
    installedReporter() = std::move(reporter);
}

void reportRegisterModelError(const QString &message)
{
    const RegisterModelReporter &reporter = installedReporter();
    if (reporter)
        reporter(message);
    else
        qWarning().noquote() << message;
}

namespace RegisterMessages {

QString bitsAlreadyAssigned(const QString &define, int msb, int lsb)
{
    return QStringLiteral("Tried to assign a GUI element to already assigned bits: %1\nMSB: %2 LSB: %3")
        .arg(define, QString::number(msb), QString::number(lsb));
}

QString svdBitsAlreadyAssigned(const QString &peripheral, const QString &reg,
                               const QString &field, int msb, int lsb)
{
    return QStringLiteral("Tried to assign a GUI element to already assigned bits: %1.%2.%3\nMSB: %4 LSB: %5")
        .arg(peripheral, reg, field, QString::number(msb), QString::number(lsb));
}

QString bitOrderError(const QString &name, int msb, int lsb)
{
    return QStringLiteral("Bit order error in %1: msb(%2) < lsb(%3)")
        .arg(name, QString::number(msb), QString::number(lsb));
}

QString bitNumberOutOfRange(const QString &name, int msb, int lsb)
{
    return QStringLiteral("Bit range error in %1: msb(%2) lsb(%3) outside 0..63")
        .arg(name, QString::number(msb), QString::number(lsb));
}

QString bitRangeNotSupported(ActiveElement *element, int msb, int lsb)
{
    const QObject *object = objectOf(element);
    const QString className =
        object ? QString::fromLatin1(object->metaObject()->className()) : QString();
    return QStringLiteral("Trying to set MSB: %3 and LSB: %4 for %1 which is of type: %2\n")
        .arg(objectNameOf(element), className, QString::number(msb), QString::number(lsb));
}

QString fieldsOnNonSvdDefine(const QString &define)
{
    return QStringLiteral("Defines not representing an svd value can't have fields: %1").arg(define);
}

QString svdSizeError(const QString &peripheral, const QString &reg, const QString &field, int size)
{
    return QStringLiteral("Out of size error while reading svd file: %1.%2.%3 Size=%4")
        .arg(peripheral, reg, field, QString::number(size));
}

QString registerHeadersDiffer(const QString &storedHeader, const QString &newHeader,
                              const QString &define)
{
    const QString link = linkTarget(define);
    return QStringLiteral("<font color=\"red\"> <b>XML Error: </b></font><b>register has two "
                          "different headers (%1, %2) <a href=\"%3\">%4</a><br>")
        .arg(storedHeader, newHeader, link, define);
}

} // namespace RegisterMessages
