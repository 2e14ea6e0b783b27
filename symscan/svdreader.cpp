#include "svdreader.h"

#include <QByteArray>
#include <QDomDocument>
#include <QDomElement>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

namespace Symscan {

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

// "0x1F" and "0X1F" hexadecimal, "#1010" binary ('x' digits count as 0),
// anything else decimal.
std::optional<quint64> number(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    quint64 value = 0;
    if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        value = trimmed.mid(2).toULongLong(&ok, 16);
    } else if (trimmed.startsWith(QLatin1Char('#'))) {
        QString digits = trimmed.mid(1);
        digits.replace(QLatin1Char('x'), QLatin1Char('0'), Qt::CaseInsensitive);
        value = digits.toULongLong(&ok, 2);
    } else {
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
        indices.clear();
        const QString given = child(element, "dimIndex").text().trimmed();
        static const QRegularExpression range(QStringLiteral("^(\\d+)\\s*-\\s*(\\d+)$"));
        const QRegularExpressionMatch match = range.match(given);
        if (match.hasMatch()) {
            const quint32 first = match.captured(1).toUInt();
            for (quint32 i = 0; i < *dim; ++i)
                indices << QString::number(quint64(first) + i);
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
};

} // namespace

// Register properties that children take over unless they give their own.
void SVDReader::Properties::inheritFrom(const QDomElement &element)
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

struct SVDReader::RegisterBlock
{
    std::vector<Register> registers; // addresses relative to the peripheral
    std::size_t clusterCopies = 0;   // bounded like the registers

    const Register *find(const QString &name) const
    {
        for (const Register &candidate : registers) {
            if (candidate.name == name)
                return &candidate;
        }
        return nullptr;
    }
};

unsigned int SVDReader::Read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        deviceName.clear();
        peripherals.clear();
        return CLog::NoSvdFile;
    }
    return ReadData(file.readAll());
}

unsigned int SVDReader::Read(const wchar_t *path)
{
    return Read(path ? QString::fromWCharArray(path) : QString());
}

unsigned int SVDReader::ReadData(const QByteArray &data)
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

QString SVDReader::getText(const QDomElement &element)
{
    return element.text().trimmed();
}

unsigned int SVDReader::readXML(const QDomElement &root)
{
    if (root.isNull())
        return unexpectedNode;
    if (!isNamed(root, "device"))
        return CLog::NoSvdFile;
    return readDevice(root);
}

unsigned int SVDReader::readDevice(const QDomElement &device)
{
    Properties properties;
    properties.inheritFrom(device);
    return forEachChild(device, [&](const QDomElement &element) {
        if (isNamed(element, "name"))
            deviceName = getText(element);
        else if (isNamed(element, "peripherals"))
            return readPeripherals(element, properties);
        return unsigned(CLog::Success);
    });
}

unsigned int SVDReader::readPeripherals(const QDomElement &list, const Properties &inherited)
{
    QHash<QString, QDomElement> byName;
    std::vector<QDomElement> elements;
    const unsigned int walked = forEachChild(list, [&](const QDomElement &element) {
        if (isNamed(element, "peripheral")) {
            elements.push_back(element);
            const QString name = getText(child(element, "name"));
            if (!byName.contains(name))
                byName.insert(name, element);
        }
        return unsigned(CLog::Success);
    });
    if (walked != CLog::Success)
        return walked;

    for (const QDomElement &element : elements) {
        Peripheral peripheral;
        if (const unsigned int result = readPeripheral(element, inherited, byName, 0, peripheral))
            return result;
        // Register addresses are relative until here, so the base address
        // counts wherever it stands in the peripheral.
        for (Register &reg : peripheral.registers) {
            if (reg.address != 0xFFFFFFFFu)
                reg.address += peripheral.baseAddress;
        }
        peripherals.push_back(std::move(peripheral));
    }
    return CLog::Success;
}

// Reads one peripheral with register addresses relative to it. A derived
// peripheral starts as a copy of its base; what it gives itself replaces.
unsigned int SVDReader::readPeripheral(const QDomElement &element, const Properties &inherited,
                                       const QHash<QString, QDomElement> &byName, int depth, Peripheral &out)
{
    Properties properties = inherited;
    const QString base = element.attribute(QStringLiteral("derivedFrom")).trimmed();
    if (!base.isEmpty()) {
        const QDomElement baseElement = byName.value(base);
        if (!baseElement.isNull() && baseElement != element && depth < maxDerivation) {
            if (const unsigned int result = readPeripheral(baseElement, inherited, byName, depth + 1, out))
                return result;
            properties.inheritFrom(baseElement);
        }
    }
    properties.inheritFrom(element);

    return forEachChild(element, [&](const QDomElement &item) {
        if (isNamed(item, "name")) {
            out.name = getText(item);
        } else if (isNamed(item, "description")) {
            out.description = getText(item);
        } else if (isNamed(item, "baseAddress")) {
            out.baseAddress = number32(item).value_or(0);
        } else if (isNamed(item, "registers")) {
            RegisterBlock block;
            if (const unsigned int result = readRegisters(item, properties, 0, QString(), block, 0))
                return result;
            out.registers = std::move(block.registers);
        }
        return unsigned(CLog::Success);
    });
}

// Registers and clusters of a registers or cluster element; a cluster's
// registers are named "CLUSTER.REG" and placed at the cluster's offset.
unsigned int SVDReader::readRegisters(const QDomElement &list, const Properties &inherited, quint64 offset,
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

unsigned int SVDReader::readRegister(const QDomElement &element, const Properties &inherited, quint64 offset,
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

unsigned int SVDReader::readFields(const QDomElement &list, const QString &access, Register &out)
{
    return readEach(list, "field", out.fields,
                    [&](const QDomElement &element, Field &field) { return readField(element, access, field); });
}

// Bit positions as lsb and msb, bitOffset and bitWidth, or bitRange "[7:4]".
unsigned int SVDReader::readField(const QDomElement &element, const QString &access, Field &out)
{
    QString effectiveAccess = access;
    std::optional<quint32> lsb, msb, bitOffset, bitWidth;
    QString bitRange;
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
        else if (isNamed(item, "enumeratedValues"))
            return readEnumeratedValues(item, out);
        return unsigned(CLog::Success);
    });
    if (walked != CLog::Success)
        return walked;

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

unsigned int SVDReader::readEnumeratedValues(const QDomElement &list, Field &out)
{
    return readEach(list, "enumeratedValue", out.enumeratedValues,
                    [this](const QDomElement &element, SvdEnumeratedValue &value) {
                        return readEnumeratedValue(element, value);
                    });
}

unsigned int SVDReader::readEnumeratedValue(const QDomElement &element, SvdEnumeratedValue &out)
{
    return forEachChild(element, [&](const QDomElement &item) {
        if (isNamed(item, "name"))
            out.name = getText(item);
        else if (isNamed(item, "description"))
            out.description = getText(item);
        else if (isNamed(item, "value"))
            out.value = number32(item).value_or(0);
        return unsigned(CLog::Success);
    });
}

} // namespace Symscan
