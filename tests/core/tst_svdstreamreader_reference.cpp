// The reference for the one-pass SVD reading: the DOM-based reader it
// replaced, and the program's reader as it was (a checking pass, then that
// reader), kept here and taught the same rules for the constructs of vendor
// files (arrays of peripherals and fields, derivedFrom by an array's name,
// several registers elements, every number form, the enumeratedValues
// block for writing and derivedFrom on it, repeated field names); what the
// pass says about those that the old checks never said is left out of the
// comparison (the construct table tests check it). The new pass must give the same device name,
// peripherals, registers, fields and enumerated values and the same result
// code as the first, and the same model, console lines, errors and error
// positions as the second, on the real SVD files, on small descriptions with
// every expansion rule, and on bounded random mutations of them.
#include "consolelinks.h"
#include "errorreporter.h"
#include "moduletablehost.h"
#include "mutation.h"
#include "registermodel.h"
#include "svdreader.h"
#include "svdstreamreader.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QDomElement>
#include "mutation.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QVector>
#include <QXmlStreamReader>
#include <QtTest>

#include <deque>
#include <functional>

#include <optional>
#include <vector>

namespace DomReference {

using namespace Symscan;

// The DOM-based reader the stream pass replaced, kept as the reference the
// pass must agree with.
class DomSvdReader
{
public:
    unsigned int ReadData(const QByteArray &data);

    QString deviceName;
    std::vector<Peripheral> peripherals;

private:
    // Size, access and reset values handed down the element tree.
    struct Properties
    {
        std::optional<quint32> size;
        std::optional<quint32> resetValue;
        std::optional<quint32> resetMask;
        QString access;
        void inheritFrom(const QDomElement &element);
    };
    // The registers being collected for one peripheral, addressed relative
    // to it until its base address is known.
    struct RegisterBlock;

    unsigned int readXML(const QDomElement &root);
    unsigned int readDevice(const QDomElement &device);
    unsigned int readPeripherals(const QDomElement &list, const Properties &inherited);
    struct PeripheralBase
    {
        QDomElement element;
        int index = 0;
    };
    unsigned int readPeripheral(const QDomElement &element, const Properties &inherited,
                                const QHash<QString, PeripheralBase> &byName, int depth, Peripheral &out);
    unsigned int readRegisters(const QDomElement &list, const Properties &inherited, quint64 offset,
                               const QString &prefix, RegisterBlock &block, int depth);
    unsigned int readRegister(const QDomElement &element, const Properties &inherited, quint64 offset,
                              const QString &prefix, RegisterBlock &block);
    unsigned int readFields(const QDomElement &list, const QString &access, Register &out);
    unsigned int readField(const QDomElement &element, const QString &access, Field &out);
    unsigned int readEnumeratedValues(const QDomElement &list, std::vector<SvdEnumeratedValue> &out);
    unsigned int readEnumeratedValue(const QDomElement &element, SvdEnumeratedValue &out, bool &dropped);
    // enumeratedValues derivedFrom: the scopes a block's name is found in.
    void collectValueScopes(const QDomElement &device);
    QDomElement resolveValues(const QDomElement &block, int depth);

    static QString getText(const QDomElement &element);

    using Scope = QHash<QString, QDomElement>;
    std::deque<Scope> m_scopes;
    Scope m_deviceScope;
    struct Place
    {
        const Scope *inRegister = nullptr, *inPeripheral = nullptr;
    };
    QHash<quint64, Place> m_places; // by the block's line and column
};


namespace {

// A node where only elements (and comments) belong.
constexpr unsigned int unexpectedNode = CLog::SerialPortCouldntOpen;
// derivedFrom chains longer than this are taken as loops; clusters nest no
// deeper than maxClusterDepth.
constexpr int maxDerivation = 8;
constexpr int maxClusterDepth = 32;
// Real descriptions nest about a dozen elements deep.
constexpr int maxNesting = 256;
// dim arrays larger than this are refused as broken, and so is a
// peripheral that would expand to more registers than maxRegisters.
constexpr quint64 maxDim = 65536;
constexpr std::size_t maxRegisters = std::size_t(1) << 20;

bool isNamed(const QDomElement &element, const char *name)
{
    return element.tagName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

// Calls visit for every element child. A text child stops the walk with
// unexpectedNode; so does a non-zero result of visit.
template <typename Visit>
unsigned int forEachChild(const QDomElement &parent, Visit visit)
{
    for (QDomNode node = parent.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (node.isText())
            return unexpectedNode;
        if (!node.isElement())
            continue;
        if (const unsigned int result = visit(node.toElement()))
            return result;
    }
    return CLog::Success;
}

// Whether no element nests deeper than limit. QDomDocument builds its tree
// recursively, so a hostile depth would overflow the stack there; this pass
// does not recurse. Other faults are left to QDomDocument to find.
bool nestingWithin(const QByteArray &data, int limit)
{
    QXmlStreamReader xml(data);
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > limit)
            return false;
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return true;
}

// Reads every child called name into a new item appended to items.
template <typename Item, typename ReadOne>
unsigned int readEach(const QDomElement &list, const char *name, std::vector<Item> &items, ReadOne readOne)
{
    return forEachChild(list, [&](const QDomElement &element) {
        if (!isNamed(element, name))
            return unsigned(CLog::Success);
        Item item;
        if (const unsigned int result = readOne(element, item))
            return result;
        items.push_back(std::move(item));
        return unsigned(CLog::Success);
    });
}

QDomElement child(const QDomElement &parent, const char *name)
{
    for (QDomElement element = parent.firstChildElement(); !element.isNull(); element = element.nextSiblingElement()) {
        if (isNamed(element, name))
            return element;
    }
    return QDomElement();
}

// After an optional "+": "0x1F" and "0X1F" hexadecimal, "#1010", "0b1010"
// and "0B1010" binary ('x' digits count as 0), anything else decimal.
std::optional<quint64> number(const QString &text)
{
    QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char('+')))
        trimmed.remove(0, 1);
    bool ok = false;
    quint64 value = 0;
    if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        value = trimmed.mid(2).toULongLong(&ok, 16);
    } else if (trimmed.startsWith(QLatin1Char('#')) || trimmed.startsWith(QLatin1String("0b"), Qt::CaseInsensitive)) {
        QString digits = trimmed.mid(trimmed.startsWith(QLatin1Char('#')) ? 1 : 2);
        digits.replace(QLatin1Char('x'), QLatin1Char('0'), Qt::CaseInsensitive);
        static const QRegularExpression binary(QStringLiteral("^[01]+$"));
        if (!binary.match(digits).hasMatch())
            return std::nullopt;
        value = digits.toULongLong(&ok, 2);
    } else if (!trimmed.startsWith(QLatin1Char('+')) && !trimmed.startsWith(QLatin1Char('-'))) {
        value = trimmed.toULongLong(&ok, 10);
    }
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

std::optional<quint32> number32(const QDomElement &element)
{
    const std::optional<quint64> value = number(element.text());
    if (!value || *value > 0xFFFFFFFFu)
        return std::nullopt;
    return quint32(*value);
}

std::optional<quint32> childNumber(const QDomElement &parent, const char *name)
{
    const QDomElement element = child(parent, name);
    return element.isNull() ? std::nullopt : number32(element);
}

// The names that replace %s in a dim array: dimIndex as "0-7" or "A,B,C",
// else 0 to dim - 1. One empty name when the element is no array.
struct Dimensions
{
    QStringList indices{QString()};
    quint64 increment = 0;
    bool valid = true;
    bool array = false;

    explicit Dimensions(const QDomElement &element)
    {
        const std::optional<quint32> dim = childNumber(element, "dim");
        if (!dim)
            return;
        if (*dim == 0 || *dim > maxDim) {
            valid = false;
            return;
        }
        increment = childNumber(element, "dimIncrement").value_or(0);
        array = true;
        indices.clear();
        const QString given = child(element, "dimIndex").text().trimmed();
        static const QRegularExpression range(QStringLiteral("^(\\d+)\\s*-\\s*(\\d+)$"));
        static const QRegularExpression letters(QStringLiteral("^([A-Za-z])\\s*-\\s*([A-Za-z])$"));
        const QRegularExpressionMatch match = range.match(given);
        const QRegularExpressionMatch letterMatch = letters.match(given);
        if (match.hasMatch()) {
            const quint32 first = match.captured(1).toUInt();
            for (quint32 i = 0; i < *dim; ++i)
                indices << QString::number(quint64(first) + i);
        } else if (letterMatch.hasMatch()) {
            for (ushort c = letterMatch.captured(1).at(0).unicode(); c <= letterMatch.captured(2).at(0).unicode(); ++c) {
                if (quint32(indices.size()) < *dim)
                    indices << QString(QChar(c));
            }
        } else if (!given.isEmpty()) {
            for (const QString &index : given.split(QLatin1Char(','))) {
                if (quint32(indices.size()) < *dim)
                    indices << index.trimmed();
            }
        }
        for (quint32 i = quint32(indices.size()); i < *dim; ++i)
            indices << QString::number(i);
    }

    QString apply(QString text, int i) const
    {
        return text.replace(QLatin1String("%s"), indices.at(i));
    }
    // Peripherals and fields: "[%s]" loses its brackets.
    QString applyName(QString text, int i) const
    {
        return apply(text.replace(QLatin1String("[%s]"), indices.at(i)), i);
    }
};

quint32 shifted(quint32 bit, quint64 increment, int i)
{
    return quint32(std::min<quint64>(quint64(bit) + increment * quint64(i), 0xFFFFFFFFu));
}

quint64 placeKey(const QDomElement &element)
{
    return (quint64(quint32(element.lineNumber())) << 32) | quint32(element.columnNumber());
}

QDomElement lastChild(const QDomElement &parent, const char *name)
{
    QDomElement found;
    for (QDomElement element = parent.firstChildElement(); !element.isNull(); element = element.nextSiblingElement()) {
        if (isNamed(element, name))
            found = element;
    }
    return found;
}

} // namespace

// Register properties that children take over unless they give their own.
void DomSvdReader::Properties::inheritFrom(const QDomElement &element)
{
    if (const std::optional<quint32> value = childNumber(element, "size"))
        size = value;
    if (const std::optional<quint32> value = childNumber(element, "resetValue"))
        resetValue = value;
    if (const std::optional<quint32> value = childNumber(element, "resetMask"))
        resetMask = value;
    const QDomElement accessElement = child(element, "access");
    if (!accessElement.isNull())
        access = getText(accessElement);
}

struct DomSvdReader::RegisterBlock
{
    std::vector<Register> registers; // addresses relative to the peripheral
    std::size_t clusterCopies = 0;   // bounded like the registers
    // The first element of each array by the name the file gives it.
    QHash<QString, std::size_t> byTemplate;

    const Register *find(const QString &name) const
    {
        for (const Register &candidate : registers) {
            if (candidate.name == name)
                return &candidate;
        }
        const auto found = byTemplate.constFind(name);
        return found == byTemplate.constEnd() ? nullptr : &registers[found.value()];
    }
};

unsigned int DomSvdReader::ReadData(const QByteArray &data)
{
    deviceName.clear();
    peripherals.clear();
    QDomDocument document;
    if (!nestingWithin(data, maxNesting) || !document.setContent(data))
        return CLog::NoSvdFile;
    const unsigned int result = readXML(document.documentElement());
    if (result != CLog::Success) {
        deviceName.clear();
        peripherals.clear();
    }
    return result;
}

QString DomSvdReader::getText(const QDomElement &element)
{
    return element.text().trimmed();
}

unsigned int DomSvdReader::readXML(const QDomElement &root)
{
    if (root.isNull())
        return unexpectedNode;
    if (!isNamed(root, "device"))
        return CLog::NoSvdFile;
    return readDevice(root);
}

unsigned int DomSvdReader::readDevice(const QDomElement &device)
{
    Properties properties;
    properties.inheritFrom(device);
    collectValueScopes(device);
    return forEachChild(device, [&](const QDomElement &element) {
        if (isNamed(element, "name"))
            deviceName = getText(element);
        else if (isNamed(element, "peripherals"))
            return readPeripherals(element, properties);
        return unsigned(CLog::Success);
    });
}

// The named enumeratedValues blocks of each register, of each peripheral
// (also as FIELD.BLOCK and REGISTER.FIELD.BLOCK) and of the device (as
// PERIPHERAL.REGISTER.FIELD.BLOCK), first in file order; a register counts
// with its last fields element, as it is read.
void DomSvdReader::collectValueScopes(const QDomElement &device)
{
    m_scopes.clear();
    m_deviceScope.clear();
    m_places.clear();
    const auto add = [](Scope &scope, const QString &key, const QDomElement &block) {
        if (!scope.contains(key))
            scope.insert(key, block);
    };
    std::function<void(const QDomElement &, const QString &, const QString &, Scope &)> walk =
        [&](const QDomElement &parent, const QString &peripheral, const QString &prefix, Scope &inPeripheral) {
            for (QDomElement item = parent.firstChildElement(); !item.isNull(); item = item.nextSiblingElement()) {
                if (isNamed(item, "cluster")) {
                    walk(item, peripheral, prefix + getText(child(item, "name")) + QLatin1Char('.'), inPeripheral);
                    continue;
                }
                if (!isNamed(item, "register"))
                    continue;
                m_scopes.emplace_back();
                Scope &inRegister = m_scopes.back();
                const QString registerName = prefix + getText(lastChild(item, "name"));
                const QDomElement fields = lastChild(item, "fields");
                for (QDomElement field = fields.firstChildElement(); !field.isNull(); field = field.nextSiblingElement()) {
                    if (!isNamed(field, "field"))
                        continue;
                    const QString fieldName = getText(lastChild(field, "name"));
                    for (QDomElement block = field.firstChildElement(); !block.isNull();
                         block = block.nextSiblingElement()) {
                        if (!isNamed(block, "enumeratedValues"))
                            continue;
                        m_places.insert(placeKey(block), {&inRegister, &inPeripheral});
                        const QString name = getText(lastChild(block, "name"));
                        if (name.isEmpty())
                            continue;
                        const QString inField = fieldName + QLatin1Char('.') + name;
                        add(inRegister, name, block);
                        add(inRegister, inField, block);
                        add(inPeripheral, name, block);
                        add(inPeripheral, inField, block);
                        add(inPeripheral, registerName + QLatin1Char('.') + inField, block);
                        add(m_deviceScope, peripheral + QLatin1Char('.') + registerName + QLatin1Char('.') + inField,
                            block);
                    }
                }
            }
        };
    for (QDomElement list = device.firstChildElement(); !list.isNull(); list = list.nextSiblingElement()) {
        if (!isNamed(list, "peripherals"))
            continue;
        for (QDomElement peripheral = list.firstChildElement(); !peripheral.isNull();
             peripheral = peripheral.nextSiblingElement()) {
            if (!isNamed(peripheral, "peripheral"))
                continue;
            m_scopes.emplace_back();
            Scope &inPeripheral = m_scopes.back();
            const QString name = getText(lastChild(peripheral, "name"));
            for (QDomElement registers = peripheral.firstChildElement(); !registers.isNull();
                 registers = registers.nextSiblingElement()) {
                if (isNamed(registers, "registers"))
                    walk(registers, name, QString(), inPeripheral);
            }
        }
    }
}

// The block whose own values a derived block stands for; null when none.
QDomElement DomSvdReader::resolveValues(const QDomElement &block, int depth)
{
    if (depth > maxDerivation)
        return QDomElement();
    const QString base = block.attribute(QStringLiteral("derivedFrom")).trimmed();
    const Place place = m_places.value(placeKey(block));
    QDomElement target = place.inRegister ? place.inRegister->value(base) : QDomElement();
    if (target.isNull() && place.inPeripheral)
        target = place.inPeripheral->value(base);
    if (target.isNull())
        target = m_deviceScope.value(base);
    if (target.isNull() || target == block)
        return QDomElement();
    if (target.attribute(QStringLiteral("derivedFrom")).trimmed().isEmpty())
        return target;
    return resolveValues(target, depth + 1);
}

unsigned int DomSvdReader::readPeripherals(const QDomElement &list, const Properties &inherited)
{
    QHash<QString, PeripheralBase> byName;
    std::vector<QDomElement> elements;
    const unsigned int walked = forEachChild(list, [&](const QDomElement &element) {
        if (isNamed(element, "peripheral")) {
            elements.push_back(element);
            const QString name = getText(child(element, "name"));
            if (!byName.contains(name))
                byName.insert(name, {element, 0});
        }
        return unsigned(CLog::Success);
    });
    if (walked != CLog::Success)
        return walked;
    for (const QDomElement &element : elements) {
        const Dimensions dimensions(element);
        if (!dimensions.valid || !dimensions.array)
            continue;
        const QString name = getText(child(element, "name"));
        for (int i = 0; i < dimensions.indices.size(); ++i) {
            const QString expanded = dimensions.applyName(name, i);
            if (!byName.contains(expanded))
                byName.insert(expanded, {element, i});
        }
    }

    for (const QDomElement &element : elements) {
        const Dimensions dimensions(element);
        if (!dimensions.valid)
            continue;
        Peripheral peripheral;
        if (const unsigned int result = readPeripheral(element, inherited, byName, 0, peripheral))
            return result;
        // Register addresses are relative until here, so the base address
        // counts wherever it stands in the peripheral.
        for (int i = 0; i < dimensions.indices.size(); ++i) {
            Peripheral copy = peripheral;
            if (dimensions.array) {
                copy.name = dimensions.applyName(peripheral.name, i);
                copy.description = dimensions.apply(peripheral.description, i);
                copy.baseAddress = shifted(peripheral.baseAddress, dimensions.increment, i);
            }
            for (Register &reg : copy.registers) {
                if (reg.address != 0xFFFFFFFFu)
                    reg.address += copy.baseAddress;
            }
            peripherals.push_back(std::move(copy));
        }
    }
    return CLog::Success;
}

// Reads one peripheral with register addresses relative to it. A derived
// peripheral starts as a copy of its base (an array's element as expanded);
// what it gives itself replaces.
unsigned int DomSvdReader::readPeripheral(const QDomElement &element, const Properties &inherited,
                                       const QHash<QString, PeripheralBase> &byName, int depth, Peripheral &out)
{
    Properties properties = inherited;
    const QString base = element.attribute(QStringLiteral("derivedFrom")).trimmed();
    if (!base.isEmpty()) {
        const PeripheralBase found = byName.value(base);
        const QDomElement baseElement = found.element;
        if (!baseElement.isNull() && baseElement != element && depth < maxDerivation) {
            if (const unsigned int result = readPeripheral(baseElement, inherited, byName, depth + 1, out))
                return result;
            const Dimensions dimensions(baseElement);
            if (dimensions.valid && dimensions.array) {
                out.name = dimensions.applyName(out.name, found.index);
                out.description = dimensions.apply(out.description, found.index);
                out.baseAddress = shifted(out.baseAddress, dimensions.increment, found.index);
            }
            properties.inheritFrom(baseElement);
        }
    }
    properties.inheritFrom(element);

    // Every registers element adds to one list.
    RegisterBlock block;
    bool hasRegisters = false;
    const unsigned int walked = forEachChild(element, [&](const QDomElement &item) {
        if (isNamed(item, "name")) {
            out.name = getText(item);
        } else if (isNamed(item, "description")) {
            out.description = getText(item);
        } else if (isNamed(item, "baseAddress")) {
            if (const std::optional<quint32> address = number32(item))
                out.baseAddress = *address;
        } else if (isNamed(item, "registers")) {
            hasRegisters = true;
            if (const unsigned int result = readRegisters(item, properties, 0, QString(), block, 0))
                return result;
        }
        return unsigned(CLog::Success);
    });
    if (walked != CLog::Success)
        return walked;
    if (hasRegisters)
        out.registers = std::move(block.registers);
    return CLog::Success;
}

// Registers and clusters of a registers or cluster element; a cluster's
// registers are named "CLUSTER.REG" and placed at the cluster's offset.
unsigned int DomSvdReader::readRegisters(const QDomElement &list, const Properties &inherited, quint64 offset,
                                      const QString &prefix, RegisterBlock &block, int depth)
{
    if (depth > maxClusterDepth)
        return CLog::GeneralError;
    return forEachChild(list, [&](const QDomElement &element) {
        if (isNamed(element, "register"))
            return readRegister(element, inherited, offset, prefix, block);
        if (!isNamed(element, "cluster"))
            return unsigned(CLog::Success);
        Properties properties = inherited;
        properties.inheritFrom(element);
        const Dimensions dimensions(element);
        if (!dimensions.valid)
            return unsigned(CLog::Success);
        const quint64 clusterOffset = childNumber(element, "addressOffset").value_or(0);
        const QString name = getText(child(element, "name"));
        for (int i = 0; i < dimensions.indices.size(); ++i) {
            if (++block.clusterCopies > maxRegisters)
                return unsigned(CLog::GeneralError);
            const quint64 at = offset + clusterOffset + dimensions.increment * quint64(i);
            const QString inner = prefix + dimensions.apply(name, i) + QLatin1Char('.');
            if (const unsigned int result = readRegisters(element, properties, at, inner, block, depth + 1))
                return result;
        }
        return unsigned(CLog::Success);
    });
}

unsigned int DomSvdReader::readRegister(const QDomElement &element, const Properties &inherited, quint64 offset,
                                     const QString &prefix, RegisterBlock &block)
{
    Properties properties = inherited;
    properties.inheritFrom(element);
    Register model;
    model.size = properties.size.value_or(0);
    model.resetValue = properties.resetValue.value_or(0);
    model.resetMask = properties.resetMask.value_or(0);

    const QString base = element.attribute(QStringLiteral("derivedFrom")).trimmed();
    if (!base.isEmpty()) {
        // Only registers read before this one can be copied, so no loop.
        const Register *original = block.find(prefix + base);
        if (!original)
            original = block.find(base);
        if (original) {
            model = *original;
            model.size = childNumber(element, "size").value_or(model.size);
            model.resetValue = childNumber(element, "resetValue").value_or(model.resetValue);
            model.resetMask = childNumber(element, "resetMask").value_or(model.resetMask);
            // The copied fields keep their access unless the register says.
            const QString ownAccess = getText(child(element, "access"));
            if (!ownAccess.isEmpty()) {
                const bool restricted = ownAccess.compare(QLatin1String("read-write"), Qt::CaseInsensitive) != 0;
                for (Field &field : model.fields) {
                    field.accessRestricted = restricted;
                    field.access = ownAccess;
                }
            }
        }
    }

    QString name, description;
    std::optional<quint32> addressOffset;
    const unsigned int walked = forEachChild(element, [&](const QDomElement &item) {
        if (isNamed(item, "name")) {
            name = getText(item);
        } else if (isNamed(item, "description")) {
            description = getText(item);
        } else if (isNamed(item, "addressOffset")) {
            addressOffset = number32(item);
        } else if (isNamed(item, "fields")) {
            model.fields.clear();
            return readFields(item, properties.access, model);
        }
        return unsigned(CLog::Success);
    });
    if (walked != CLog::Success)
        return walked;

    const Dimensions dimensions(element);
    if (!dimensions.valid)
        return CLog::Success;
    if (block.registers.size() + std::size_t(dimensions.indices.size()) > maxRegisters)
        return CLog::GeneralError;
    if (dimensions.array && !name.isEmpty() && !block.byTemplate.contains(prefix + name))
        block.byTemplate.insert(prefix + name, block.registers.size());
    for (int i = 0; i < dimensions.indices.size(); ++i) {
        Register reg = model;
        if (!name.isEmpty())
            reg.name = prefix + dimensions.apply(name, i);
        if (!description.isEmpty())
            reg.description = dimensions.apply(description, i);
        if (addressOffset)
            reg.address = quint32(offset + *addressOffset + dimensions.increment * quint64(i));
        else if (base.isEmpty())
            reg.address = 0xFFFFFFFFu;
        block.registers.push_back(std::move(reg));
    }
    return CLog::Success;
}

// Fields with arrays expanded (bits moved by dimIncrement); a name given
// again is NAME_lsb, or NAME_lsb_msb, or the field is left out.
unsigned int DomSvdReader::readFields(const QDomElement &list, const QString &access, Register &out)
{
    const unsigned int walked = forEachChild(list, [&](const QDomElement &element) {
        if (!isNamed(element, "field"))
            return unsigned(CLog::Success);
        Field field;
        if (const unsigned int result = readField(element, access, field))
            return result;
        const Dimensions dimensions(element);
        if (!dimensions.valid)
            return unsigned(CLog::Success);
        for (int i = 0; i < dimensions.indices.size(); ++i) {
            Field copy = field;
            if (dimensions.array) {
                copy.name = dimensions.applyName(field.name, i);
                copy.description = dimensions.apply(field.description, i);
                copy.lsb = shifted(field.lsb, dimensions.increment, i);
                copy.msb = shifted(field.msb, dimensions.increment, i);
            }
            out.fields.push_back(std::move(copy));
        }
        return unsigned(CLog::Success);
    });
    if (walked != CLog::Success)
        return walked;
    QSet<QString> taken, named;
    for (const Field &field : out.fields)
        taken.insert(field.name);
    std::vector<Field> kept;
    for (Field &field : out.fields) {
        if (!field.name.isEmpty() && named.contains(field.name)) {
            QString made = field.name + QLatin1Char('_') + QString::number(field.lsb);
            if (taken.contains(made))
                made += QLatin1Char('_') + QString::number(field.msb);
            if (taken.contains(made))
                continue;
            taken.insert(made);
            field.name = made;
        }
        named.insert(field.name);
        kept.push_back(std::move(field));
    }
    out.fields = std::move(kept);
    return CLog::Success;
}

// Bit positions as lsb and msb, bitOffset and bitWidth, or bitRange "[7:4]".
// The values come from the enumeratedValues for writing (read-write, write,
// or no usage), else from the first for reading.
unsigned int DomSvdReader::readField(const QDomElement &element, const QString &access, Field &out)
{
    QString effectiveAccess = access;
    std::optional<quint32> lsb, msb, bitOffset, bitWidth;
    QString bitRange;
    QDomElement chosen;
    const unsigned int walked = forEachChild(element, [&](const QDomElement &item) {
        if (isNamed(item, "name"))
            out.name = getText(item);
        else if (isNamed(item, "description"))
            out.description = getText(item);
        else if (isNamed(item, "access"))
            effectiveAccess = getText(item);
        else if (isNamed(item, "lsb"))
            lsb = number32(item);
        else if (isNamed(item, "msb"))
            msb = number32(item);
        else if (isNamed(item, "bitOffset"))
            bitOffset = number32(item);
        else if (isNamed(item, "bitWidth"))
            bitWidth = number32(item);
        else if (isNamed(item, "bitRange"))
            bitRange = getText(item);
        else if (isNamed(item, "enumeratedValues")) {
            std::vector<SvdEnumeratedValue> values;
            if (const unsigned int result = readEnumeratedValues(item, values))
                return result;
            const bool forReading =
                getText(lastChild(item, "usage")).compare(QLatin1String("read"), Qt::CaseInsensitive) == 0;
            if (chosen.isNull()
                || (!forReading
                    && getText(lastChild(chosen, "usage")).compare(QLatin1String("read"), Qt::CaseInsensitive) == 0))
                chosen = item;
        }
        return unsigned(CLog::Success);
    });
    if (walked != CLog::Success)
        return walked;
    if (!chosen.isNull()) {
        QDomElement source = chosen;
        if (!chosen.attribute(QStringLiteral("derivedFrom")).trimmed().isEmpty())
            source = resolveValues(chosen, 0);
        if (!source.isNull())
            readEnumeratedValues(source, out.enumeratedValues);
    }

    static const QRegularExpression rangeForm(QStringLiteral("^\\[\\s*(\\w+)\\s*:\\s*(\\w+)\\s*\\]$"));
    const QRegularExpressionMatch range = rangeForm.match(bitRange);
    const quint64 rangeMsb = range.hasMatch() ? number(range.captured(1)).value_or(~quint64(0)) : ~quint64(0);
    const quint64 rangeLsb = range.hasMatch() ? number(range.captured(2)).value_or(~quint64(0)) : ~quint64(0);
    if (rangeMsb <= 0xFFFFFFFFu && rangeLsb <= 0xFFFFFFFFu) {
        out.msb = quint32(rangeMsb);
        out.lsb = quint32(rangeLsb);
    } else if (bitOffset) {
        out.lsb = *bitOffset;
        out.msb = quint32(quint64(*bitOffset) + std::max<quint32>(bitWidth.value_or(1), 1) - 1);
    } else {
        out.lsb = lsb.value_or(0);
        out.msb = msb.value_or(0);
    }
    out.access = effectiveAccess;
    out.accessRestricted = !effectiveAccess.isEmpty()
                           && effectiveAccess.compare(QLatin1String("read-write"), Qt::CaseInsensitive) != 0;
    return CLog::Success;
}

unsigned int DomSvdReader::readEnumeratedValues(const QDomElement &list, std::vector<SvdEnumeratedValue> &out)
{
    return forEachChild(list, [&](const QDomElement &element) {
        if (!isNamed(element, "enumeratedValue"))
            return unsigned(CLog::Success);
        SvdEnumeratedValue value;
        bool dropped = false;
        if (const unsigned int result = readEnumeratedValue(element, value, dropped))
            return result;
        if (!dropped)
            out.push_back(std::move(value));
        return unsigned(CLog::Success);
    });
}

// isDefault entries and values that cannot be read are no items.
unsigned int DomSvdReader::readEnumeratedValue(const QDomElement &element, SvdEnumeratedValue &out, bool &dropped)
{
    return forEachChild(element, [&](const QDomElement &item) {
        if (isNamed(item, "name")) {
            out.name = getText(item);
        } else if (isNamed(item, "description")) {
            out.description = getText(item);
        } else if (isNamed(item, "value")) {
            if (const std::optional<quint32> value = number32(item))
                out.value = *value;
            else
                dropped = true;
        } else if (isNamed(item, "isDefault")) {
            const QString text = getText(item);
            if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1"))
                dropped = true;
        }
        return unsigned(CLog::Success);
    });
}


} // namespace DomReference

// The program's reader before the one pass: a checking pass over the stream,
// then the DOM-based reader for the expansion.
namespace OldReader {

class OldSvdStreamReader : public QXmlStreamReader
{
    Q_DECLARE_TR_FUNCTIONS(OldSvdStreamReader)
public:
    // What the read needs of the panel beyond the register model.
    struct ListHooks {
        // Whether an element is bound to the define.
        std::function<bool(const QString &define)> elementExists;
        // Adds an item (text, value, key) to the list element of the define.
        std::function<bool(const QString &define, const QString &text, const QString &value, int key)>
            addItem;
        // Sets the tool tip of the last item of the "$PERIPHERALS$" list.
        std::function<void(const QString &text)> setLastPeripheralToolTip;
        // Receives the device name.
        std::function<void(const QString &name)> setDeviceName;
    };

    // `panelFile` is the file that error locations link to.
    OldSvdStreamReader(RegisterModelHost *host, const QString &panelFile, ListHooks hooks = ListHooks());

    // Reads the whole file. False when the file is not well-formed XML, its
    // root is not "device", or its arrays, derivations or nesting are refused;
    // errorString() then says why and lineNumber()/columnNumber() say where.
    // Doubtful numbers and missing names are logged with their position and
    // the read goes on.
    bool read(QIODevice *device);
    bool readData(const QByteArray &data);

    // HTML text naming the current line and column, linked to the panel file.
    QString errorLocation() const;

    bool peripheralsListExists() const { return m_peripheralsListExists; }
    // Keys of the list items: peripherals count from 0 on every read, registers
    // go on counting for the whole run.
    static int registerCounter();

private:
    bool checkStream();
    void warnAt(const QString &message, qint64 line, qint64 column);

    RegisterModelHost *m_host;
    QString m_panelFile;
    ListHooks m_hooks;
    bool m_peripheralsListExists = false;
};

namespace {

// Real descriptions nest about a dozen elements deep; Symscan's reader takes
// the same bound.
constexpr int maxNesting = 256;
constexpr quint64 maxDim = 65536;

int s_registerCounter = 0;

// The number forms of the DOM reference.
bool isSvdNumber(const QString &text, quint64 limit)
{
    const std::optional<quint64> value = DomReference::number(text);
    return value && *value <= limit;
}

const QSet<QString> &numberElements()
{
    static const QSet<QString> names{
        QStringLiteral("size"),        QStringLiteral("resetValue"),   QStringLiteral("resetMask"),
        QStringLiteral("baseAddress"), QStringLiteral("addressOffset"), QStringLiteral("lsb"),
        QStringLiteral("msb"),         QStringLiteral("bitOffset"),    QStringLiteral("bitWidth"),
        QStringLiteral("dim"),         QStringLiteral("dimIncrement"), QStringLiteral("value")};
    return names;
}

const QSet<QString> &namedElements()
{
    static const QSet<QString> names{QStringLiteral("peripheral"), QStringLiteral("register"),
                                     QStringLiteral("cluster"), QStringLiteral("field")};
    return names;
}

// Elements whose text is read as a whole (the checked numbers aside).
const QSet<QString> &textElements()
{
    static const QSet<QString> names{QStringLiteral("name"), QStringLiteral("description"),
                                     QStringLiteral("access"), QStringLiteral("bitRange"),
                                     QStringLiteral("dimIndex")};
    return names;
}

} // namespace

OldSvdStreamReader::OldSvdStreamReader(RegisterModelHost *host, const QString &panelFile, ListHooks hooks)
    : m_host(host), m_panelFile(panelFile), m_hooks(std::move(hooks))
{
}

int OldSvdStreamReader::registerCounter()
{
    return s_registerCounter;
}

QString OldSvdStreamReader::errorLocation() const
{
    return QStringLiteral("<b><a href=\"%1\">file</a> line %2, column %3</b><b><br>")
        .arg(filePositionLink(m_panelFile, QString::number(lineNumber()), QString::number(columnNumber())),
             QString::number(lineNumber()), QString::number(columnNumber()));
}

void OldSvdStreamReader::warnAt(const QString &message, qint64 line, qint64 column)
{
    if (!m_host)
        return;
    m_host->logMessage(
        QStringLiteral("<font color=\"red\"> <b>SVD warning: </b></font><b>%1 <a href=\"%2\">file</a> line %3, column %4</b><br>")
            .arg(message.toHtmlEscaped(),
                 filePositionLink(m_panelFile, QString::number(line), QString::number(column)),
                 QString::number(line), QString::number(column)));
}

// One pass over the stream: well-formedness, the root, the nesting depth, the
// numbers, the names and derivedFrom loops, each with its position.
bool OldSvdStreamReader::checkStream()
{
    struct Open {
        QString kind;
        qint64 line;
        qint64 column;
        bool named;
    };
    QVector<Open> named;   // the open peripherals, registers, clusters and fields
    struct Derivation {
        QString base;
        qint64 line;
        qint64 column;
    };
    QHash<QString, Derivation> peripheralBases;
    QString pendingBase;   // derivedFrom of the innermost open peripheral
    qint64 pendingLine = 0, pendingColumn = 0;
    int depth = 0;
    bool rootSeen = false;

    while (!atEnd()) {
        const TokenType token = readNext();
        if (token == StartElement) {
            const QString element = name().toString();
            if (!rootSeen) {
                rootSeen = true;
                if (element != QLatin1String("device")) {
                    raiseError(tr("Warning"));
                    return false;
                }
            }
            if (++depth > maxNesting) {
                raiseError(tr("Elements nest deeper than %1").arg(maxNesting));
                return false;
            }
            const qint64 line = lineNumber(), column = columnNumber();
            if (namedElements().contains(element)) {
                named.append({element, line, column, false});
                if (element == QLatin1String("peripheral")) {
                    pendingBase = attributes().value(QLatin1String("derivedFrom")).toString().trimmed();
                    pendingLine = line;
                    pendingColumn = column;
                }
                continue;
            }
            const bool isNumber = numberElements().contains(element);
            if (!isNumber && !textElements().contains(element))
                continue;
            const QString text = readElementText(ErrorOnUnexpectedElement);
            --depth;
            if (hasError())
                return false;
            if (element == QLatin1String("name")) {
                if (!named.isEmpty() && !named.last().named) {
                    named.last().named = true;
                    if (named.last().kind == QLatin1String("peripheral") && !pendingBase.isEmpty())
                        peripheralBases.insert(text.trimmed(), {pendingBase, pendingLine, pendingColumn});
                }
            } else if (isNumber) {
                if (!isSvdNumber(text, 0xFFFFFFFFu))
                    warnAt(tr("Not a number in <%1>: %2").arg(element, text.trimmed()), line, column);
                else if (element == QLatin1String("dim") && isSvdNumber(text, ~quint64(0))
                         && !isSvdNumber(text, maxDim))
                    warnAt(tr("Array of %1 elements refused").arg(text.trimmed()), line, column);
            }
        } else if (token == EndElement) {
            --depth;
            if (!named.isEmpty() && named.last().kind == name()) {
                const Open done = named.takeLast();
                if (!done.named)
                    warnAt(tr("<%1> without a name").arg(done.kind), done.line, done.column);
            }
        }
    }
    if (hasError())
        return false;
    if (!rootSeen) {
        raiseError(tr("Warning"));
        return false;
    }

    // derivedFrom loops among peripherals: the copies stop, and we say where.
    for (auto it = peripheralBases.constBegin(); it != peripheralBases.constEnd(); ++it) {
        QSet<QString> seen{it.key()};
        QString next = it.value().base;
        while (peripheralBases.contains(next) && !seen.contains(next)) {
            seen.insert(next);
            next = peripheralBases.value(next).base;
        }
        if (next == it.key())
            warnAt(tr("Peripheral %1 is derived from itself through derivedFrom").arg(it.key()),
                   it.value().line, it.value().column);
    }
    return true;
}

bool OldSvdStreamReader::read(QIODevice *device)
{
    if (!device) {
        raiseError(tr("No device"));
        return false;
    }
    return readData(device->readAll());
}

bool OldSvdStreamReader::readData(const QByteArray &data)
{
    clear();
    addData(data);
    int peripheralCounter = 0;
    m_peripheralsListExists = m_hooks.elementExists
                              && m_hooks.elementExists(QStringLiteral("$PERIPHERALS$"));

    if (!checkStream())
        return false;

    DomReference::DomSvdReader svd;
    const unsigned int result = svd.ReadData(data);
    if (result != Symscan::CLog::Success) {
        raiseError(tr("The SVD file's arrays or clusters are too large or nest too deeply"));
        return false;
    }
    if (m_hooks.setDeviceName)
        m_hooks.setDeviceName(svd.deviceName);
    if (!m_host)
        return true;

    const QString peripheralsList = QStringLiteral("$PERIPHERALS$");
    const QString registersList = QStringLiteral("$REGISTERS$");
    for (const Symscan::Peripheral &peripheral : svd.peripherals) {
        if (peripheral.name.isEmpty())
            continue;
        ModuleRecord *module = m_host->getModule(peripheral.name);
        if (!module)
            m_host->addModule(module, peripheral.name);
        if (m_peripheralsListExists) {
            if (!m_hooks.addItem
                || !m_hooks.addItem(peripheralsList, peripheral.name, peripheral.name, peripheralCounter++)) {
                m_host->logMessage(
                    QStringLiteral("<font color=\"red\"> <b>XML-ERROR: Couldn't set EnumeratedValue %1 in "
                                   "$PERIPHERALS$ <a href=\"%2\">file</a> line %3, column %4</b></font><b>: %4<br>")
                        .arg(peripheral.name.toHtmlEscaped(),
                             filePositionLink(m_panelFile, QString::number(lineNumber()),
                                              QString::number(columnNumber())),
                             QString::number(lineNumber()), QString::number(columnNumber())));
            }
        }
        if (!module)
            continue;
        module->description = peripheral.description;
        if (m_peripheralsListExists && m_hooks.setLastPeripheralToolTip)
            m_hooks.setLastPeripheralToolTip(peripheral.description);

        for (const Symscan::Register &svdRegister : peripheral.registers) {
            if (svdRegister.name.isEmpty())
                continue;
            const QString registerName = svdModelRegisterName(svdRegister.name);
            RegisterRecord *reg = module->getRegister(registerName);
            if (!reg) {
                if (m_hooks.addItem)
                    m_hooks.addItem(registersList, registerName, registerName, s_registerCounter);
                ++s_registerCounter;
                reg = module->addRegister(QString(), registerName);
            }
            reg->address = int(svdRegister.address);   // the unsigned address's bits
            reg->description = svdRegister.description;
            // A register without a size anywhere up its tree keeps the one it has.
            if (svdRegister.size != 0 && !reg->setSize(int(qMin<quint32>(svdRegister.size, 64))))
                reportSvdSizeError(peripheral.name, registerName, QString(), int(svdRegister.size));
            reg->resetValue = int(svdRegister.resetValue);

            for (const Symscan::Field &svdField : svdRegister.fields) {
                if (svdField.name.isEmpty())
                    continue;
                FieldRecord *field = reg->getField(svdField.name);
                if (!field)
                    field = reg->addField(svdField.name);
                field->description = svdField.description;
                field->readOnly = svdField.access.compare(QLatin1String("read-only"), Qt::CaseInsensitive) == 0;
                const int msb = int(qMin<quint32>(svdField.msb, 0x7FFFFFFF));
                const int lsb = int(qMin<quint32>(svdField.lsb, 0x7FFFFFFF));
                if (msb >= lsb) {
                    const int width = msb - lsb + 1;
                    if (!field->setWidth(width))
                        reportSvdSizeError(peripheral.name, registerName, svdField.name, width);
                    reg->bindFieldElements(field, msb, lsb);
                    field->setBitRange(msb, lsb);
                }
                const quint64 mask = bitRangeMask(msb, lsb);
                for (const Symscan::SvdEnumeratedValue &value : svdField.enumeratedValues) {
                    field->addEnumeratedValue(value.name, value.description, int(value.value));
                    reg->addEnumeratedValue(value.name, value.description, int(value.value), mask, lsb);
                }
            }
        }
    }
    return !hasError();
}

} // namespace OldReader

namespace {

using Symscan::Peripheral;

// Everything a read gives, one line per item, so that a difference shows
// where it is.
QStringList describe(unsigned int result, const QString &device, const std::vector<Peripheral> &peripherals)
{
    QStringList lines{QStringLiteral("result %1 device %2").arg(result).arg(device)};
    for (const Peripheral &p : peripherals) {
        lines << QStringLiteral("P %1 @%2 '%3'").arg(p.name).arg(p.baseAddress, 0, 16).arg(p.description);
        for (const Symscan::Register &r : p.registers) {
            lines << QStringLiteral(" R %1 @%2 size %3 reset %4/%5 '%6'")
                         .arg(r.name)
                         .arg(r.address, 0, 16)
                         .arg(r.size)
                         .arg(r.resetValue, 0, 16)
                         .arg(r.resetMask, 0, 16)
                         .arg(r.description);
            for (const Symscan::Field &f : r.fields) {
                lines << QStringLiteral("  F %1 [%2:%3] %4 %5 '%6'")
                             .arg(f.name)
                             .arg(f.msb)
                             .arg(f.lsb)
                             .arg(f.access)
                             .arg(f.accessRestricted)
                             .arg(f.description);
                for (const Symscan::SvdEnumeratedValue &v : f.enumeratedValues)
                    lines << QStringLiteral("   V %1 %2 '%3'").arg(v.name).arg(v.value).arg(v.description);
            }
        }
    }
    return lines;
}

// The DOM parser keeps a carriage return in text; XML makes every line end a
// line feed, and the stream reader does so.
QStringList byReference(const QByteArray &data)
{
    DomReference::DomSvdReader reader;
    const unsigned int result = reader.ReadData(data);
    QStringList lines = describe(result, reader.deviceName, reader.peripherals);
    for (QString &line : lines)
        line.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

QStringList byStream(const QByteArray &data)
{
    Symscan::SVDReader reader;
    const unsigned int result = reader.ReadData(data);
    return describe(result, reader.deviceName, reader.peripherals);
}

// The first line where two descriptions differ, for the failure message.
QString firstDifference(const QStringList &a, const QStringList &b)
{
    for (int i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QString left = a.value(i, QStringLiteral("<none>"));
        const QString right = b.value(i, QStringLiteral("<none>"));
        if (left != right)
            return QStringLiteral("line %1: reference \"%2\", stream \"%3\"").arg(i).arg(left, right);
    }
    return QString();
}

QByteArray device(const QByteArray &peripherals, const QByteArray &head = QByteArray())
{
    return "<?xml version=\"1.0\"?>\n<device><name>D</name>" + head + "<peripherals>\n" + peripherals
           + "</peripherals></device>\n";
}

QByteArray fixture(const char *name)
{
    QFile file(QStringLiteral(SVD_FIXTURE_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char *const pieces[] = {
    "<register><name>R[%s]</name><dim>3</dim><dimIncrement>4</dimIncrement></register>",
    "<register derivedFrom=\"R0\"><name>Q</name><access>read-only</access></register>",
    "<cluster><name>C%s</name><dim>2</dim><dimIncrement>0x10</dimIncrement><register><name>X</name>"
    "<addressOffset>4</addressOffset></register></cluster>",
    "<peripheral derivedFrom=\"P\"><name>Q</name></peripheral>",
    "<field><name>F</name><bitRange>[7:4]</bitRange></field>",
    "<field><name>G</name><bitOffset>3</bitOffset><bitWidth>2</bitWidth><access>write-only</access></field>",
    "<size>0x10</size>", "<resetValue>#1x1x</resetValue>", "<access>read-only</access>", "<dim>0</dim>",
    "<name>N</name>", "<description>d</description>", "text", "<![CDATA[x]]>", "<x><name>Y</name></x>",
    "<Name>Z</Name>", "<dimIndex>A,B</dimIndex>", "<addressOffset>0x8</addressOffset>",
    // The constructs of vendor files.
    "<peripheral><dim>2</dim><dimIndex>A-B</dimIndex><dimIncrement>0x100</dimIncrement><name>U[%s]</name>"
    "<baseAddress>0x100</baseAddress><registers><register><name>R</name></register></registers></peripheral>",
    "<peripheral derivedFrom=\"UB\"><name>V</name></peripheral>",
    "<field><dim>2</dim><dimIncrement>4</dimIncrement><name>F[%s]</name><lsb>0</lsb><msb>1</msb></field>",
    "<enumeratedValues><name>EV</name><usage>read</usage><enumeratedValue><name>R</name><value>0b1x</value>"
    "</enumeratedValue></enumeratedValues>",
    "<enumeratedValues derivedFrom=\"EV\"/>", "<enumeratedValues derivedFrom=\"P.R0.F.EV\"><usage>write</usage></enumeratedValues>",
    "<enumeratedValue><name>D</name><isDefault>true</isDefault></enumeratedValue>", "<value>+#01</value>",
    "<register derivedFrom=\"R[%s]\"><name>S</name></register>",
    "<registers><register><name>R0</name><addressOffset>+0x4</addressOffset></register></registers>",
    "<dim>2</dim>", "<usage>read-write</usage>",
};

// The register model as lines, sorted where the model keeps hash order.
QStringList dumpModel(const ModuleTableHost &host)
{
    QStringList lines;
    QStringList modules = host.modules.keys();
    modules.sort();
    for (const QString &moduleName : modules) {
        const ModuleRecord *module = host.modules.value(moduleName);
        lines << QStringLiteral("M %1 '%2'").arg(moduleName, module->description);
        QStringList registers = module->registers.keys();
        registers.sort();
        for (const QString &registerName : registers) {
            const RegisterRecord *reg = module->registers.value(registerName);
            lines << QStringLiteral(" R %1 @%2 size %3 reset %4 '%5'")
                         .arg(registerName)
                         .arg(quint32(reg->address), 0, 16)
                         .arg(reg->size())
                         .arg(quint32(reg->resetValue), 0, 16)
                         .arg(reg->description);
            QList<int> keys = reg->enumeratedValues.keys();
            std::sort(keys.begin(), keys.end());
            for (int key : keys) {
                const EnumeratedValue value = reg->enumeratedValues.value(key);
                lines << QStringLiteral("  E %1 %2 %3 '%4'").arg(key).arg(value.name).arg(value.value).arg(value.description);
            }
            QStringList fields = reg->fields.keys();
            fields.sort();
            for (const QString &fieldName : fields) {
                const FieldRecord *field = reg->fields.value(fieldName);
                lines << QStringLiteral("  F %1 [%2:%3] width %4 ro %5 '%6'")
                             .arg(fieldName)
                             .arg(field->msb())
                             .arg(field->lsb())
                             .arg(field->width())
                             .arg(field->readOnly)
                             .arg(field->description);
                for (const EnumeratedValue &value : field->enumeratedValues)
                    lines << QStringLiteral("   V %1 %2 '%3'").arg(value.name).arg(value.value).arg(value.description);
            }
        }
    }
    return lines;
}

// What the program's reader leaves behind: its answer, error and position,
// the console and error lines, the list items and the model.
template <typename Reader>
QStringList readAsProgram(const QByteArray &data)
{
    QStringList lines;
    ModuleTableHost host;
    typename Reader::ListHooks hooks;
    hooks.elementExists = [](const QString &) { return true; };
    hooks.addItem = [&lines](const QString &define, const QString &text, const QString &value, int key) {
        // Register keys count on over the whole run, each reader on its own.
        const bool registers = define == QLatin1String("$REGISTERS$");
        lines << QStringLiteral("item %1 %2 %3 %4").arg(define, text, value).arg(registers ? 0 : key);
        return !text.startsWith(QLatin1Char('X'));
    };
    hooks.setLastPeripheralToolTip = [&lines](const QString &text) { lines << QStringLiteral("tip ") + text; };
    hooks.setDeviceName = [&lines](const QString &name) { lines << QStringLiteral("device ") + name; };
    setRegisterModelReporter([&lines](const QString &message) { lines << QStringLiteral("model ") + message; });
    ErrorReporter::instance().setConsoleSink([&lines](const QString &html) { lines << QStringLiteral("error ") + html; });
    Reader reader(&host, QStringLiteral("C:/panels/p.xml"), hooks);
    const bool ok = reader.readData(data);
    setRegisterModelReporter(nullptr);
    ErrorReporter::instance().setConsoleSink(nullptr);
    QStringList result{QStringLiteral("ok %1").arg(ok)};
    if (!ok) {
        result << QStringLiteral("error %1 at %2:%3 %4")
                      .arg(reader.errorString())
                      .arg(reader.lineNumber())
                      .arg(reader.columnNumber())
                      .arg(reader.errorLocation());
    }
    for (QString &line : host.console)
        result << QStringLiteral("console ") + line;
    result << lines << dumpModel(host);
    return result;
}

QStringList byOldProgram(const QByteArray &data)
{
    QStringList lines = readAsProgram<OldReader::OldSvdStreamReader>(data);
    for (QString &line : lines)
        line.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

// The warnings the old checks never gave: bases of derivedFrom not found,
// values with bits that do not matter, repeated field names with no free name.
bool isNewWarning(const QString &line)
{
    static const QRegularExpression said(QStringLiteral(
        "^console .*SVD warning: .*(which is not found|with bits that do not matter|no name is free for it|"
        "the enumeratedValues it is derived from)"));
    return said.match(line).hasMatch();
}

QStringList byProgram(const QByteArray &data)
{
    QStringList lines = readAsProgram<SvdStreamReader>(data);
    lines.erase(std::remove_if(lines.begin(), lines.end(), isNewWarning), lines.end());
    return lines;
}

template <typename Input>
bool streamParses(const Input &input)
{
    QXmlStreamReader xml(input);
    while (!xml.atEnd())
        xml.readNext();
    return !xml.hasError();
}

// Whether the DOM parser and the stream reader (on the bytes, or on the text
// with bad bytes replaced) agree that this is XML.
bool parsersAgree(const QByteArray &data)
{
    QDomDocument document;
    return (streamParses(data) || streamParses(QString::fromUtf8(data))) == document.setContent(data);
}

} // namespace

class TestSvdStreamReference : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        ErrorReporter::instance().setSinks(false, true, false);
    }
    void realFiles_data();
    void realFiles();
    void expansionRules_data();
    void expansionRules();
    void mutatedDescriptions();
};

void TestSvdStreamReference::realFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    for (const char *name : {"ARM_Example.svd", "nrf51.svd", "nrf54l15_application.svd"})
        QTest::newRow(name) << fixture(name);
}

void TestSvdStreamReference::realFiles()
{
    QFETCH(QByteArray, data);
    QVERIFY(!data.isEmpty());
    const QStringList reference = byReference(data), stream = byStream(data);
    QVERIFY2(reference == stream, qPrintable(firstDifference(reference, stream)));
    QVERIFY(reference.size() > 100);
    const QStringList old = byOldProgram(data), program = byProgram(data);
    QVERIFY2(old == program, qPrintable(firstDifference(old, program)));
}

// What one forward pass must resolve afterwards (a size after the registers,
// a base peripheral after the one derived from it) and the quirks of which
// of two repeated elements counts.
void TestSvdStreamReference::expansionRules_data()
{
    QTest::addColumn<QByteArray>("data");
    const QByteArray reg = "<register><name>R</name><addressOffset>4</addressOffset>"
                           "<fields><field><name>F</name><lsb>0</lsb><msb>3</msb></field></fields></register>";
    QTest::newRow("properties after the registers")
        << device("<peripheral><name>P</name><registers>" + reg
                  + "</registers><size>16</size><access>read-only</access><resetValue>7</resetValue>"
                    "<baseAddress>0x1000</baseAddress></peripheral>");
    QTest::newRow("device properties after the peripherals")
        << QByteArray("<device><peripherals><peripheral><name>P</name><registers>" + reg
                      + "</registers></peripheral></peripherals><size>8</size><name>D</name></device>");
    QTest::newRow("base after the derived peripheral")
        << device("<peripheral derivedFrom=\"B\"><name>A</name><baseAddress>0x2000</baseAddress></peripheral>"
                  "<peripheral><name>B</name><size>32</size><registers>" + reg + "</registers></peripheral>");
    QTest::newRow("derivation loop")
        << device("<peripheral derivedFrom=\"B\"><name>A</name></peripheral>"
                  "<peripheral derivedFrom=\"A\"><name>B</name><registers>" + reg + "</registers></peripheral>");
    QTest::newRow("repeated elements")
        << device("<peripheral><name>P1</name><name>P2</name><registers>" + reg + "</registers><registers>"
                  "<register><name>S</name><name>T</name><size>8</size><size>16</size>"
                  "<addressOffset>1</addressOffset><addressOffset>2</addressOffset><fields>"
                  "<field><name>A</name></field></fields><fields><field><name>B</name><access>x</access>"
                  "<access>read-write</access><enumeratedValues><enumeratedValue><name>E</name></enumeratedValue>"
                  "</enumeratedValues><enumeratedValues><enumeratedValue><value>#1x</value></enumeratedValue>"
                  "</enumeratedValues></field></fields></register></registers></peripheral>");
    QTest::newRow("cluster arrays and derived registers")
        << device("<peripheral><name>P</name><access>write-only</access><registers>" + reg
                  + "<cluster><dim>2</dim><dimIncrement>0x20</dimIncrement><name>CH[%s]</name><name>no</name>"
                    "<addressOffset>0x100</addressOffset><register><name>M%s</name><dim>2</dim><dimIndex>X,Y"
                    "</dimIndex><dimIncrement>4</dimIncrement><addressOffset>0</addressOffset></register>"
                    "<register derivedFrom=\"R\"><name>D</name><access>read-only</access></register></cluster>"
                    "<register derivedFrom=\"CH0.MX\"><name>E</name></register></registers></peripheral>");
    QTest::newRow("names in other case")
        << device("<Peripheral><NAME>P</NAME><Registers><REGISTER><Name>R</Name><ADDRESSOFFSET>8</ADDRESSOFFSET>"
                  "</REGISTER></Registers></Peripheral>");
    QTest::newRow("text where elements belong")
        << device("<peripheral><name>P</name><registers>stray" + reg + "</registers></peripheral>");
    QTest::newRow("text in a cluster that is never read")
        << device("<peripheral><name>P</name><registers><cluster><name>C</name><dim>0</dim>stray</cluster>" + reg
                  + "</registers></peripheral>");
    QTest::newRow("text in a skipped element")
        << device("<peripheral><name>P</name><interrupt>text<name>I</name></interrupt><registers>" + reg
                  + "</registers></peripheral>", "<cpu>text</cpu>");
    QTest::newRow("markup and entities in names")
        << device("<peripheral><name>P<b>Q</b> &amp; <![CDATA[R]]></name><registers>" + reg
                  + "</registers></peripheral>");
    QTest::newRow("register without offset, no size anywhere")
        << device("<peripheral><name>P</name><registers><register><name>R%s</name></register></registers>"
                  "</peripheral>");
    QByteArray clusters = "<peripheral><name>P</name><registers>";
    for (int i = 0; i < 40; ++i)
        clusters += "<cluster><name>C</name>";
    clusters += reg;
    for (int i = 0; i < 40; ++i)
        clusters += "</cluster>";
    QTest::newRow("clusters too deep") << device(clusters + "</registers></peripheral>");
    QTest::newRow("too many registers")
        << device("<peripheral><name>P</name><registers><cluster><name>C%s</name><dim>65536</dim>"
                  "<register><name>R%s</name><dim>32</dim></register></cluster></registers></peripheral>");
    QTest::newRow("nested too deep") << device(QByteArray("<x>").repeated(300) + QByteArray("</x>").repeated(300));
    QTest::newRow("wrong root") << QByteArray("<Device><name>D</name></Device>");
    for (const char *name : {"peripheral_arrays.svd", "field_arrays.svd", "derived_template.svd",
                             "register_blocks.svd", "number_forms.svd", "enumerated_values.svd",
                             "repeated_fields.svd"})
        QTest::newRow(name) << fixture((QByteArray("constructs/") + name).constData());
    QTest::newRow("not well-formed") << device("<peripheral><name>P</name>");
}

void TestSvdStreamReference::expansionRules()
{
    QFETCH(QByteArray, data);
    const QStringList reference = byReference(data), stream = byStream(data);
    QVERIFY2(reference == stream, qPrintable(firstDifference(reference, stream)));
    const QStringList old = byOldProgram(data), program = byProgram(data);
    QVERIFY2(old == program, qPrintable(firstDifference(old, program)));
}

// Random edits of the small real file and of a description with every rule:
// the same result each time. The DOM parser takes some text the stream
// reader refuses (control characters, for one) and the other way round;
// such runs are left out, bytes the encoding does not allow are not. A fixed seed keeps runs the
// same; a time budget keeps the pass short.
void TestSvdStreamReference::mutatedDescriptions()
{
    const QList<QByteArray> seeds{
        fixture("ARM_Example.svd"),
        fixture("constructs/enumerated_values.svd"),
        device("<peripheral><name>P</name><size>32</size><registers>"
               "<register><name>R0</name><addressOffset>0</addressOffset><fields><field><name>F</name>"
               "<lsb>0</lsb><msb>3</msb><enumeratedValues><enumeratedValue><name>E</name><value>1</value>"
               "</enumeratedValue></enumeratedValues></field></fields></register>"
               "<cluster><name>C%s</name><dim>2</dim><dimIncrement>0x10</dimIncrement><register><name>X</name>"
               "<addressOffset>4</addressOffset></register></cluster>"
               "</registers><baseAddress>0x40000000</baseAddress></peripheral>"
               "<peripheral derivedFrom=\"P\"><name>Q</name><baseAddress>0x50000000</baseAddress></peripheral>")};
    QVERIFY(!seeds.first().isEmpty());
    QRandomGenerator random(0x17);
    QElapsedTimer budget;
    budget.start();
    int runs = 0, compared = 0;
    while (budget.elapsed() < 3000) {
        const QByteArray data = mutateText(seeds.at(runs % seeds.size()), random, pieces, 6);
        ++runs;
        const QStringList reference = byReference(data), stream = byStream(data);
        if (reference.first().startsWith(QLatin1String("result 14 "))
                != stream.first().startsWith(QLatin1String("result 14 "))
            && !parsersAgree(data))
            continue;
        ++compared;
        if (reference != stream) {
            QFile out(QDir::temp().filePath(QStringLiteral("svd-mismatch.xml")));
            if (out.open(QIODevice::WriteOnly))
                out.write(data);
            QFAIL(qPrintable(QStringLiteral("run %1 (input in %2): %3")
                                 .arg(runs)
                                 .arg(out.fileName(), firstDifference(reference, stream))));
        }
        if (!parsersAgree(data))
            continue;
        const QStringList old = byOldProgram(data), program = byProgram(data);
        if (old != program) {
            QFile out(QDir::temp().filePath(QStringLiteral("svd-mismatch.xml")));
            if (out.open(QIODevice::WriteOnly))
                out.write(data);
            QFAIL(qPrintable(QStringLiteral("program reader, run %1 (input in %2): %3")
                                 .arg(runs)
                                 .arg(out.fileName(), firstDifference(old, program))));
        }
    }
    qInfo("%d runs, %d compared", runs, compared);
    QVERIFY(compared > runs / 2);
}

QTEST_MAIN(TestSvdStreamReference)
#include "tst_svdstreamreader_reference.moc"
