#include "svdreader.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTextCodec>
#include <QXmlStreamReader>

#include <optional>

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

QString tr(const char *text)
{
    return QCoreApplication::translate("SvdStreamReader", text);
}

// ---------------------------------------------------------------- numbers

int digitValue(ushort c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Plain digits of the base, short enough not to overflow; false for
// anything else (signs, blanks, long numbers), which the slow path decides.
bool plainDigits(QStringView digits, int base, int maxDigits, quint64 *value)
{
    if (digits.isEmpty() || digits.size() > maxDigits)
        return false;
    quint64 result = 0;
    for (const QChar c : digits) {
        const int d = digitValue(c.unicode());
        if (d >= base)
            return false;
        result = result * quint64(base) + quint64(d);
    }
    *value = result;
    return true;
}

// "0x1F" and "0X1F" hexadecimal, "#1010" binary ('x' digits count as 0),
// anything else decimal.
std::optional<quint64> number(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    quint64 value = 0;
    bool ok = false;
    if (trimmed.size() >= 2 && trimmed.at(0) == QLatin1Char('0')
        && (trimmed.at(1) == QLatin1Char('x') || trimmed.at(1) == QLatin1Char('X'))) {
        if (plainDigits(trimmed.mid(2), 16, 15, &value))
            return value;
        value = trimmed.mid(2).toString().toULongLong(&ok, 16);
    } else if (!trimmed.isEmpty() && trimmed.at(0) == QLatin1Char('#')) {
        QString digits = trimmed.mid(1).toString();
        digits.replace(QLatin1Char('x'), QLatin1Char('0'), Qt::CaseInsensitive);
        value = digits.toULongLong(&ok, 2);
    } else {
        if (plainDigits(trimmed, 10, 19, &value))
            return value;
        value = trimmed.toString().toULongLong(&ok, 10);
    }
    return ok ? std::optional<quint64>(value) : std::nullopt;
}

std::optional<quint32> number32(QStringView text)
{
    const std::optional<quint64> value = number(text);
    if (!value || *value > 0xFFFFFFFFu)
        return std::nullopt;
    return quint32(*value);
}

// ---------------------------------------------------------------- element names

enum class Tag : quint8 {
    Other,
    Device, Peripherals, Peripheral, Registers, Register, Cluster, Fields, Field,
    EnumeratedValues, EnumeratedValue,
    Name, Description, Access, BitRange, DimIndex,
    Size, ResetValue, ResetMask, BaseAddress, AddressOffset, Lsb, Msb, BitOffset, BitWidth,
    Dim, DimIncrement, Value,
};

struct TagName
{
    Tag tag;
    const char *text;
    int length;
};

const TagName tagNames[] = {
    {Tag::Device, "device", 6}, {Tag::Peripherals, "peripherals", 11}, {Tag::Peripheral, "peripheral", 10},
    {Tag::Registers, "registers", 9}, {Tag::Register, "register", 8}, {Tag::Cluster, "cluster", 7},
    {Tag::Fields, "fields", 6}, {Tag::Field, "field", 5}, {Tag::EnumeratedValues, "enumeratedValues", 16},
    {Tag::EnumeratedValue, "enumeratedValue", 15}, {Tag::Name, "name", 4}, {Tag::Description, "description", 11},
    {Tag::Access, "access", 6}, {Tag::BitRange, "bitRange", 8}, {Tag::DimIndex, "dimIndex", 8},
    {Tag::Size, "size", 4}, {Tag::ResetValue, "resetValue", 10}, {Tag::ResetMask, "resetMask", 9},
    {Tag::BaseAddress, "baseAddress", 11}, {Tag::AddressOffset, "addressOffset", 13}, {Tag::Lsb, "lsb", 3},
    {Tag::Msb, "msb", 3}, {Tag::BitOffset, "bitOffset", 9}, {Tag::BitWidth, "bitWidth", 8}, {Tag::Dim, "dim", 3},
    {Tag::DimIncrement, "dimIncrement", 12}, {Tag::Value, "value", 5},
};

ushort lower(ushort c)
{
    return (c >= 'A' && c <= 'Z') ? ushort(c + ('a' - 'A')) : c;
}

// The element's tag, names compared without regard to case; *exact tells
// whether the case matched too.
Tag tagOf(QStringView name, bool *exact)
{
    *exact = false;
    const int length = int(name.size());
    // The names of each length, the longest being 16.
    constexpr int longest = 16;
    static const std::vector<std::vector<const TagName *>> byLength = [] {
        std::vector<std::vector<const TagName *>> table(longest + 1);
        for (const TagName &candidate : tagNames)
            table[std::size_t(candidate.length)].push_back(&candidate);
        return table;
    }();
    if (length > longest)
        return Tag::Other;
    for (const TagName *entry : byLength[std::size_t(length)]) {
        const TagName &candidate = *entry;
        const char *text = candidate.text;
        bool same = true, sameCase = true;
        for (int i = 0; i < length; ++i) {
            const ushort c = name.at(i).unicode();
            const ushort t = ushort(uchar(text[i]));
            if (c != t) {
                sameCase = false;
                if (lower(c) != lower(t)) {
                    same = false;
                    break;
                }
            }
        }
        if (same) {
            *exact = sameCase;
            return candidate.tag;
        }
    }
    return Tag::Other;
}

bool isNumberTag(Tag tag)
{
    return tag >= Tag::Size;
}

// Elements the checking pass reads as text only, wherever they stand.
bool isCheckedLeaf(Tag tag)
{
    return tag >= Tag::Name;
}

// ---------------------------------------------------------------- what one pass collects

// Size, access and reset values an element gives itself: its first size,
// resetValue, resetMask and access children count.
struct OwnProperties
{
    bool sizeSeen = false, resetValueSeen = false, resetMaskSeen = false;
    std::optional<quint32> size, resetValue, resetMask;
    std::optional<QString> access;

    // Whether the element took the item.
    bool take(Tag tag, QStringView text)
    {
        switch (tag) {
        case Tag::Size:
            if (!sizeSeen) {
                sizeSeen = true;
                size = number32(text);
            }
            return true;
        case Tag::ResetValue:
            if (!resetValueSeen) {
                resetValueSeen = true;
                resetValue = number32(text);
            }
            return true;
        case Tag::ResetMask:
            if (!resetMaskSeen) {
                resetMaskSeen = true;
                resetMask = number32(text);
            }
            return true;
        case Tag::Access:
            if (!access)
                access = text.toString();
            return true;
        default:
            return false;
        }
    }
};

// Size, access and reset values handed down the element tree.
struct Properties
{
    std::optional<quint32> size;
    std::optional<quint32> resetValue;
    std::optional<quint32> resetMask;
    QString access;

    void inheritFrom(const OwnProperties &own)
    {
        if (own.size)
            size = own.size;
        if (own.resetValue)
            resetValue = own.resetValue;
        if (own.resetMask)
            resetMask = own.resetMask;
        if (own.access)
            access = *own.access;
    }
};

// The first dim, dimIncrement and dimIndex of a register or cluster.
struct OwnDimensions
{
    bool dimSeen = false, incrementSeen = false, indexSeen = false;
    std::optional<quint32> dim, increment;
    QString index;

    bool take(Tag tag, QStringView text)
    {
        switch (tag) {
        case Tag::Dim:
            if (!dimSeen) {
                dimSeen = true;
                dim = number32(text);
            }
            return true;
        case Tag::DimIncrement:
            if (!incrementSeen) {
                incrementSeen = true;
                increment = number32(text);
            }
            return true;
        case Tag::DimIndex:
            if (!indexSeen) {
                indexSeen = true;
                index = text.toString();
            }
            return true;
        default:
            return false;
        }
    }
};

// The names that replace %s in a dim array: dimIndex as "0-7" or "A,B,C",
// else 0 to dim - 1. None when the element is no array: then it stands once
// and %s is replaced by nothing.
struct Dimensions
{
    QStringList indices;
    quint64 increment = 0;
    bool valid = true;

    explicit Dimensions(const OwnDimensions &own)
    {
        if (!own.dim)
            return;
        const quint32 dim = *own.dim;
        if (dim == 0 || dim > maxDim) {
            valid = false;
            return;
        }
        increment = own.increment.value_or(0);
        indices.reserve(int(dim));
        const QString &given = own.index;
        static const QRegularExpression range(QStringLiteral("^(\\d+)\\s*-\\s*(\\d+)$"));
        const QRegularExpressionMatch match = given.isEmpty() ? QRegularExpressionMatch() : range.match(given);
        if (match.hasMatch()) {
            const quint32 first = match.captured(1).toUInt();
            for (quint32 i = 0; i < dim; ++i)
                indices << QString::number(quint64(first) + i);
        } else if (!given.isEmpty()) {
            for (const QString &index : given.split(QLatin1Char(','))) {
                if (quint32(indices.size()) < dim)
                    indices << index.trimmed();
            }
        }
        for (quint32 i = quint32(indices.size()); i < dim; ++i)
            indices << QString::number(i);
    }

    bool isArray() const { return !indices.isEmpty(); }
    int count() const { return indices.isEmpty() ? 1 : indices.size(); }

    static bool hasPlaceholder(const QString &text)
    {
        for (int at = text.indexOf(QLatin1Char('%')); at >= 0; at = text.indexOf(QLatin1Char('%'), at + 1)) {
            if (at + 1 < text.size() && text.at(at + 1) == QLatin1Char('s'))
                return true;
        }
        return false;
    }

    QString apply(const QString &text, int i) const
    {
        if (!hasPlaceholder(text))
            return text;
        QString result = text;
        return result.replace(QLatin1String("%s"), indices.isEmpty() ? QString() : indices.at(i));
    }
};

struct PendingField
{
    Field field;
    bool ownAccess = false; // the field gave its own access
};

// A register or cluster as the file gives it.
struct PendingItem
{
    bool cluster = false;
    bool strayText = false; // text where elements belong (clusters only)
    OwnProperties properties;
    OwnDimensions dimensions;
    QString name;           // a register's last name, a cluster's first
    bool nameSeen = false;
    QString description;
    std::optional<quint32> addressOffset; // a register's last, a cluster's first
    bool offsetSeen = false;
    QString derivedFrom;
    bool hasFields = false;
    std::vector<PendingField> fields;
    std::vector<PendingItem> children; // of a cluster
    qint64 line = 0;                    // where the element starts
};

struct PendingPeripheral
{
    OwnProperties properties;
    QString firstName; // the name derivedFrom finds it by
    bool nameSeen = false, descriptionSeen = false, baseSeen = false;
    QString name, description;
    quint32 baseAddress = 0;
    QString derivedFrom;
    bool hasRegisters = false;
    std::vector<PendingItem> registers;
    bool isBase = false; // another peripheral derives from it
    qint64 line = 0;     // where the element starts
};

// The registers being collected for one peripheral, addressed relative
// to it until its base address is known.
struct RegisterBlock
{
    std::vector<Register> registers;
    std::size_t clusterCopies = 0; // bounded like the registers
    // Registers and fields of the whole device so far, bounded by svdMaxDeviceEntries.
    std::size_t *deviceEntries = nullptr;

    const Register *find(const QString &name) const
    {
        for (const Register &candidate : registers) {
            if (candidate.name == name)
                return &candidate;
        }
        return nullptr;
    }
};

// ---------------------------------------------------------------- expansion after the pass

bool isRestricted(const QString &access)
{
    return !access.isEmpty() && access.compare(QLatin1String("read-write"), Qt::CaseInsensitive) != 0;
}

void takeFields(std::vector<PendingField> &pending, const QString &access, bool mayMove,
                std::vector<Field> &out)
{
    out.clear();
    out.reserve(pending.size());
    const bool inheritedRestricted = isRestricted(access);
    for (PendingField &item : pending) {
        out.push_back(mayMove ? std::move(item.field) : item.field);
        Field &field = out.back();
        if (item.ownAccess) {
            field.accessRestricted = isRestricted(field.access);
        } else {
            field.access = access;
            field.accessRestricted = inheritedRestricted;
        }
    }
}

unsigned int expandItems(std::vector<PendingItem> &items, const Properties &inherited, quint64 offset,
                         const QString &prefix, RegisterBlock &block, int depth, bool mayMove);

unsigned int expandRegister(PendingItem &item, const Properties &inherited, quint64 offset,
                            const QString &prefix, RegisterBlock &block, bool mayMove)
{
    Properties properties = inherited;
    properties.inheritFrom(item.properties);
    Register model;
    model.size = properties.size.value_or(0);
    model.resetValue = properties.resetValue.value_or(0);
    model.resetMask = properties.resetMask.value_or(0);

    const QString &base = item.derivedFrom;
    if (!base.isEmpty()) {
        // Only registers read before this one can be copied, so no loop.
        const Register *original = block.find(prefix + base);
        if (!original)
            original = block.find(base);
        if (original) {
            model = *original;
            model.size = item.properties.size.value_or(model.size);
            model.resetValue = item.properties.resetValue.value_or(model.resetValue);
            model.resetMask = item.properties.resetMask.value_or(model.resetMask);
            // The copied fields keep their access unless the register says.
            const QString ownAccess = item.properties.access.value_or(QString()).trimmed();
            if (!ownAccess.isEmpty()) {
                const bool restricted = isRestricted(ownAccess);
                for (Field &field : model.fields) {
                    field.accessRestricted = restricted;
                    field.access = ownAccess;
                }
            }
        }
    }

    const Dimensions dimensions(item.dimensions);
    if (!dimensions.valid)
        return CLog::Success;
    if (item.hasFields)
        takeFields(item.fields, properties.access, mayMove && !dimensions.isArray(), model.fields);
    const int count = dimensions.count();
    if (block.registers.size() + std::size_t(count) > maxRegisters)
        return CLog::GeneralError;
    // The device's bound comes before any copy is made.
    const std::size_t entries = std::size_t(count) * (1 + model.fields.size());
    if (*block.deviceEntries + entries > svdMaxDeviceEntries)
        return SvdDeviceTooLarge;
    *block.deviceEntries += entries;
    for (int i = 0; i < count; ++i) {
        if (i + 1 < count)
            block.registers.push_back(model);
        else
            block.registers.push_back(std::move(model));
        Register &reg = block.registers.back();
        reg.line = item.line;
        if (!item.name.isEmpty())
            reg.name = prefix.isEmpty() ? dimensions.apply(item.name, i) : prefix + dimensions.apply(item.name, i);
        if (!item.description.isEmpty())
            reg.description = dimensions.apply(item.description, i);
        if (item.addressOffset)
            reg.address = quint32(offset + *item.addressOffset + dimensions.increment * quint64(i));
        else if (base.isEmpty())
            reg.address = 0xFFFFFFFFu;
    }
    return CLog::Success;
}

// Registers and clusters of a registers or cluster element; a cluster's
// registers are named "CLUSTER.REG" and placed at the cluster's offset.
unsigned int expandItems(std::vector<PendingItem> &items, const Properties &inherited, quint64 offset,
                         const QString &prefix, RegisterBlock &block, int depth, bool mayMove)
{
    if (depth > maxClusterDepth)
        return CLog::GeneralError;
    for (PendingItem &item : items) {
        if (!item.cluster) {
            if (const unsigned int result = expandRegister(item, inherited, offset, prefix, block, mayMove))
                return result;
            continue;
        }
        Properties properties = inherited;
        properties.inheritFrom(item.properties);
        const Dimensions dimensions(item.dimensions);
        if (!dimensions.valid)
            continue;
        if (item.strayText)
            return unexpectedNode;
        const quint64 clusterOffset = item.addressOffset.value_or(0);
        for (int i = 0; i < dimensions.count(); ++i) {
            if (++block.clusterCopies > maxRegisters)
                return CLog::GeneralError;
            const quint64 at = offset + clusterOffset + dimensions.increment * quint64(i);
            const QString inner = prefix + dimensions.apply(item.name, i) + QLatin1Char('.');
            if (const unsigned int result = expandItems(item.children, properties, at, inner, block, depth + 1,
                                                        mayMove && !dimensions.isArray()))
                return result;
        }
    }
    return CLog::Success;
}

// One peripheral with register addresses relative to it. A derived
// peripheral starts as a copy of its base; what it gives itself replaces.
unsigned int expandPeripheral(PendingPeripheral &pending, const Properties &inherited,
                              const QHash<QString, PendingPeripheral *> &byName, int depth, Peripheral &out,
                              std::size_t &deviceEntries)
{
    Properties properties = inherited;
    const QString &base = pending.derivedFrom;
    if (!base.isEmpty()) {
        PendingPeripheral *basePeripheral = byName.value(base);
        if (basePeripheral && basePeripheral != &pending && depth < maxDerivation) {
            if (const unsigned int result =
                    expandPeripheral(*basePeripheral, inherited, byName, depth + 1, out, deviceEntries))
                return result;
            properties.inheritFrom(basePeripheral->properties);
        }
    }
    properties.inheritFrom(pending.properties);
    out.line = pending.line;
    if (pending.nameSeen)
        out.name = pending.name;
    if (pending.descriptionSeen)
        out.description = pending.description;
    if (pending.baseSeen)
        out.baseAddress = pending.baseAddress;
    if (pending.hasRegisters) {
        RegisterBlock block;
        block.deviceEntries = &deviceEntries;
        // A peripheral others derive from is expanded again for them.
        if (const unsigned int result = expandItems(pending.registers, properties, 0, QString(), block, 0,
                                                    !pending.isBase))
            return result;
        out.registers = std::move(block.registers);
    }
    return CLog::Success;
}

unsigned int expandPeripherals(std::vector<PendingPeripheral> &list, const Properties &inherited,
                               std::vector<Peripheral> &out, std::size_t &deviceEntries)
{
    QHash<QString, PendingPeripheral *> byName;
    byName.reserve(int(list.size()));
    for (PendingPeripheral &pending : list) {
        if (!byName.contains(pending.firstName))
            byName.insert(pending.firstName, &pending);
    }
    for (const PendingPeripheral &pending : list) {
        if (pending.derivedFrom.isEmpty())
            continue;
        if (PendingPeripheral *base = byName.value(pending.derivedFrom))
            base->isBase = true;
    }
    out.reserve(out.size() + list.size());
    for (PendingPeripheral &pending : list) {
        Peripheral peripheral;
        if (const unsigned int result = expandPeripheral(pending, inherited, byName, 0, peripheral, deviceEntries))
            return result;
        // Register addresses are relative until here, so the base address
        // counts wherever it stands in the peripheral.
        for (Register &reg : peripheral.registers) {
            if (reg.address != 0xFFFFFFFFu)
                reg.address += peripheral.baseAddress;
        }
        out.push_back(std::move(peripheral));
    }
    return CLog::Success;
}

// ---------------------------------------------------------------- the pass

// Where an open element stands: what its children mean.
enum class Context : quint8 {
    Skipped, // children are not read
    Device, Peripherals, Peripheral, Registers, Cluster, Register, Fields, Field,
    EnumeratedValues, EnumeratedValue,
};

class StreamPass
{
public:
    StreamPass(QXmlStreamReader &xml, const SvdWarningSink &warnings) : m_xml(xml), m_warnings(warnings)
    {
        m_checks = bool(m_warnings);
        m_text.reserve(256);
    }

    unsigned int run(QString &deviceName, std::vector<Peripheral> &peripherals);

private:
    struct Frame
    {
        Context context;
        PendingItem *item;                // register or cluster
        std::vector<PendingItem> *items;  // registers list or cluster
        PendingItem *cluster;             // the innermost cluster around, for stray text
    };
    struct Named
    {
        Tag tag;
        qint64 line, column;
        bool named;
    };
    struct Derivation
    {
        QString base;
        qint64 line, column;
    };

    bool readLeafText(bool strict);
    void check(Tag tag, const QStringView text, qint64 line, qint64 column);
    void apply(Context context, Tag tag, QStringView text);
    Context open(Tag tag);
    void warn(const QString &message, qint64 line, qint64 column)
    {
        if (m_warnings)
            m_warnings(message, line, column);
    }

    QXmlStreamReader &m_xml;
    const SvdWarningSink &m_warnings;
    bool m_checks = false;
    QString m_text; // the text of the leaf just read
    int m_depth = 0;
    std::vector<Frame> m_frames;
    bool m_strayText = false;

    Properties m_deviceProperties;
    OwnProperties m_deviceOwn;
    QString m_deviceName;
    std::vector<std::vector<PendingPeripheral>> m_lists;
    PendingPeripheral *m_peripheral = nullptr;
    PendingField *m_field = nullptr;
    std::optional<quint32> m_lsb, m_msb, m_bitOffset, m_bitWidth;
    QString m_bitRange;
    SvdEnumeratedValue *m_value = nullptr;

    // The checks.
    std::vector<Named> m_named;
    QHash<QString, Derivation> m_peripheralBases;
    QString m_pendingBase;
    qint64 m_pendingLine = 0, m_pendingColumn = 0;
};

// Reads the current element's text up to its end, trimmed into m_text. Text
// of child elements counts, unless strict: then a child element is an error.
// Text that is nothing but blanks is left out.
bool StreamPass::readLeafText(bool strict)
{
    if (!m_text.isEmpty())
        m_text.resize(0);
    int nested = 0;
    while (!m_xml.atEnd()) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::Characters:
            // Blanks between child elements are no text, as in a DOM tree.
            if (!m_xml.isWhitespace() || m_xml.isCDATA())
                m_text.append(m_xml.text());
            break;
        case QXmlStreamReader::EntityReference:
            m_text.append(m_xml.text());
            break;
        case QXmlStreamReader::StartElement:
            if (strict) {
                m_xml.raiseError(QCoreApplication::translate("QXmlStream", "Expected character data."));
                return false;
            }
            ++nested;
            if (m_depth + nested > maxNesting) {
                m_xml.raiseError(tr("Elements nest deeper than %1").arg(maxNesting));
                return false;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (nested-- == 0) {
                --m_depth;
                const QStringView trimmed = QStringView(m_text).trimmed();
                if (trimmed.size() != m_text.size()) {
                    const int from = int(trimmed.data() - m_text.constData());
                    const int length = int(trimmed.size());
                    m_text.remove(0, from);
                    m_text.truncate(length);
                }
                return true;
            }
            break;
        case QXmlStreamReader::Invalid:
            return false;
        default:
            break;
        }
    }
    return false;
}

// The checks of the program's reader on one leaf.
void StreamPass::check(Tag tag, const QStringView text, qint64 line, qint64 column)
{
    if (tag == Tag::Name) {
        if (!m_named.empty() && !m_named.back().named) {
            m_named.back().named = true;
            if (m_named.back().tag == Tag::Peripheral && !m_pendingBase.isEmpty())
                m_peripheralBases.insert(text.toString(), {m_pendingBase, m_pendingLine, m_pendingColumn});
        }
        return;
    }
    if (!isNumberTag(tag))
        return;
    const std::optional<quint64> value = number(text);
    const bool wide = tag == Tag::Value;
    if (!value || (!wide && *value > 0xFFFFFFFFu))
        warn(tr("Not a number in <%1>: %2").arg(m_xml.name().toString(), text.toString()), line, column);
    else if (tag == Tag::Dim && *value > maxDim)
        warn(tr("Array of %1 elements refused").arg(text.toString()), line, column);
}

// What a leaf means where it stands.
void StreamPass::apply(Context context, Tag tag, QStringView text)
{
    switch (context) {
    case Context::Device:
        if (tag == Tag::Name)
            m_deviceName = text.toString();
        else
            m_deviceOwn.take(tag, text);
        break;
    case Context::Peripheral: {
        PendingPeripheral &p = *m_peripheral;
        if (tag == Tag::Name) {
            p.name = text.toString();
            if (!p.nameSeen)
                p.firstName = p.name;
            p.nameSeen = true;
        } else if (tag == Tag::Description) {
            p.description = text.toString();
            p.descriptionSeen = true;
        } else if (tag == Tag::BaseAddress) {
            p.baseAddress = number32(text).value_or(0);
            p.baseSeen = true;
        } else {
            p.properties.take(tag, text);
        }
        break;
    }
    case Context::Register: {
        PendingItem &r = *m_frames.back().item;
        if (tag == Tag::Name)
            r.name = text.toString();
        else if (tag == Tag::Description)
            r.description = text.toString();
        else if (tag == Tag::AddressOffset)
            r.addressOffset = number32(text);
        else if (!r.properties.take(tag, text))
            r.dimensions.take(tag, text);
        break;
    }
    case Context::Cluster: {
        PendingItem &c = *m_frames.back().item;
        if (tag == Tag::Name) {
            if (!c.nameSeen)
                c.name = text.toString();
            c.nameSeen = true;
        } else if (tag == Tag::AddressOffset) {
            if (!c.offsetSeen)
                c.addressOffset = number32(text);
            c.offsetSeen = true;
        } else if (!c.properties.take(tag, text)) {
            c.dimensions.take(tag, text);
        }
        break;
    }
    case Context::Field: {
        Field &f = m_field->field;
        switch (tag) {
        case Tag::Name: f.name = text.toString(); break;
        case Tag::Description: f.description = text.toString(); break;
        case Tag::Access:
            f.access = text.toString();
            m_field->ownAccess = true;
            break;
        case Tag::Lsb: m_lsb = number32(text); break;
        case Tag::Msb: m_msb = number32(text); break;
        case Tag::BitOffset: m_bitOffset = number32(text); break;
        case Tag::BitWidth: m_bitWidth = number32(text); break;
        case Tag::BitRange: m_bitRange = text.toString(); break;
        default: break;
        }
        break;
    }
    case Context::EnumeratedValue:
        if (tag == Tag::Name)
            m_value->name = text.toString();
        else if (tag == Tag::Description)
            m_value->description = text.toString();
        else if (tag == Tag::Value)
            m_value->value = number32(text).value_or(0);
        break;
    default:
        break;
    }
}

// Whether a leaf means something where it stands.
bool takesLeaf(Context context, Tag tag)
{
    switch (context) {
    case Context::Device:
        return tag == Tag::Name || tag == Tag::Size || tag == Tag::ResetValue || tag == Tag::ResetMask
               || tag == Tag::Access;
    case Context::Peripheral:
        return tag == Tag::Name || tag == Tag::Description || tag == Tag::BaseAddress || tag == Tag::Size
               || tag == Tag::ResetValue || tag == Tag::ResetMask || tag == Tag::Access;
    case Context::Register:
        return tag == Tag::Name || tag == Tag::Description || tag == Tag::AddressOffset || tag == Tag::Size
               || tag == Tag::ResetValue || tag == Tag::ResetMask || tag == Tag::Access || tag == Tag::Dim
               || tag == Tag::DimIncrement || tag == Tag::DimIndex;
    case Context::Cluster:
        return tag == Tag::Name || tag == Tag::AddressOffset || tag == Tag::Size || tag == Tag::ResetValue
               || tag == Tag::ResetMask || tag == Tag::Access || tag == Tag::Dim || tag == Tag::DimIncrement
               || tag == Tag::DimIndex;
    case Context::Field:
        return tag == Tag::Name || tag == Tag::Description || tag == Tag::Access || tag == Tag::Lsb
               || tag == Tag::Msb || tag == Tag::BitOffset || tag == Tag::BitWidth || tag == Tag::BitRange;
    case Context::EnumeratedValue:
        return tag == Tag::Name || tag == Tag::Description || tag == Tag::Value;
    default:
        return false;
    }
}

// Opens a container child of the innermost frame.
Context StreamPass::open(Tag tag)
{
    Frame &parent = m_frames.back();
    Frame frame{Context::Skipped, nullptr, nullptr, parent.cluster};
    switch (parent.context) {
    case Context::Device:
        if (tag == Tag::Peripherals) {
            m_lists.emplace_back();
            frame.context = Context::Peripherals;
        }
        break;
    case Context::Peripherals:
        if (tag == Tag::Peripheral) {
            m_lists.back().emplace_back();
            m_peripheral = &m_lists.back().back();
            m_peripheral->line = m_xml.lineNumber();
            m_peripheral->derivedFrom =
                m_xml.attributes().value(QLatin1String("derivedFrom")).trimmed().toString();
            frame.context = Context::Peripheral;
        }
        break;
    case Context::Peripheral:
        if (tag == Tag::Registers) {
            m_peripheral->hasRegisters = true;
            m_peripheral->registers.clear();
            frame.context = Context::Registers;
            frame.items = &m_peripheral->registers;
        }
        break;
    case Context::Registers:
    case Context::Cluster: {
        std::vector<PendingItem> &items = parent.context == Context::Registers ? *parent.items
                                                                                : parent.item->children;
        if (tag == Tag::Register || tag == Tag::Cluster) {
            items.emplace_back();
            PendingItem &item = items.back();
            item.cluster = tag == Tag::Cluster;
            item.line = m_xml.lineNumber();
            if (!item.cluster)
                item.derivedFrom = m_xml.attributes().value(QLatin1String("derivedFrom")).trimmed().toString();
            frame.context = item.cluster ? Context::Cluster : Context::Register;
            frame.item = &item;
            if (item.cluster)
                frame.cluster = &item;
        }
        break;
    }
    case Context::Register:
        if (tag == Tag::Fields) {
            parent.item->hasFields = true;
            parent.item->fields.clear();
            frame.context = Context::Fields;
            frame.item = parent.item;
        }
        break;
    case Context::Fields:
        if (tag == Tag::Field) {
            parent.item->fields.emplace_back();
            m_field = &parent.item->fields.back();
            m_field->field.line = m_xml.lineNumber();
            m_lsb = m_msb = m_bitOffset = m_bitWidth = std::nullopt;
            m_bitRange.clear();
            frame.context = Context::Field;
            frame.item = parent.item;
        }
        break;
    case Context::Field:
        if (tag == Tag::EnumeratedValues) {
            frame.context = Context::EnumeratedValues;
            frame.item = parent.item;
        }
        break;
    case Context::EnumeratedValues:
        if (tag == Tag::EnumeratedValue) {
            m_field->field.enumeratedValues.emplace_back();
            m_value = &m_field->field.enumeratedValues.back();
            frame.context = Context::EnumeratedValue;
            frame.item = parent.item;
        }
        break;
    default:
        break;
    }
    m_frames.push_back(frame);
    return frame.context;
}

// Bit positions as lsb and msb, bitOffset and bitWidth, or bitRange "[7:4]".
void finishField(Field &out, const std::optional<quint32> &lsb, const std::optional<quint32> &msb,
                 const std::optional<quint32> &bitOffset, const std::optional<quint32> &bitWidth,
                 const QString &bitRange)
{
    quint64 rangeMsb = ~quint64(0), rangeLsb = ~quint64(0);
    if (!bitRange.isEmpty()) {
        static const QRegularExpression rangeForm(QStringLiteral("^\\[\\s*(\\w+)\\s*:\\s*(\\w+)\\s*\\]$"));
        const QRegularExpressionMatch range = rangeForm.match(bitRange);
        if (range.hasMatch()) {
            rangeMsb = number(range.capturedView(1)).value_or(~quint64(0));
            rangeLsb = number(range.capturedView(2)).value_or(~quint64(0));
        }
    }
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
}

bool isContainer(Context context)
{
    return context != Context::Skipped;
}

unsigned int StreamPass::run(QString &deviceName, std::vector<Peripheral> &peripherals)
{
    bool rootSeen = false;
    m_frames.reserve(64);
    while (!m_xml.atEnd()) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringRef nameRef = m_xml.name();
            const QStringView name(nameRef.unicode(), nameRef.size());
            bool exact = false;
            const Tag tag = tagOf(name, &exact);
            if (!rootSeen) {
                rootSeen = true;
                if (tag != Tag::Device || (m_checks && !exact)) {
                    m_xml.raiseError(tr("Warning"));
                    break;
                }
            }
            if (++m_depth > maxNesting) {
                m_xml.raiseError(tr("Elements nest deeper than %1").arg(maxNesting));
                break;
            }
            if (m_frames.empty()) {
                m_frames.push_back({Context::Device, nullptr, nullptr, nullptr});
                continue;
            }
            const Context where = m_frames.back().context;
            const bool checked = m_checks && exact && isCheckedLeaf(tag);
            if (checked || takesLeaf(where, tag)) {
                const qint64 line = m_xml.lineNumber(), column = m_xml.columnNumber();
                if (!readLeafText(checked))
                    break;
                if (checked)
                    check(tag, m_text, line, column);
                if (takesLeaf(where, tag))
                    apply(where, tag, m_text);
                continue;
            }
            if (m_checks && exact
                && (tag == Tag::Peripheral || tag == Tag::Register || tag == Tag::Cluster || tag == Tag::Field)) {
                m_named.push_back({tag, m_xml.lineNumber(), m_xml.columnNumber(), false});
                if (tag == Tag::Peripheral) {
                    m_pendingBase = m_xml.attributes().value(QLatin1String("derivedFrom")).trimmed().toString();
                    m_pendingLine = m_named.back().line;
                    m_pendingColumn = m_named.back().column;
                }
            }
            open(tag);
        } else if (token == QXmlStreamReader::EndElement) {
            --m_depth;
            if (m_checks && !m_named.empty()) {
                const QStringRef nameRef = m_xml.name();
                bool exact = false;
                if (tagOf(QStringView(nameRef.unicode(), nameRef.size()), &exact) == m_named.back().tag && exact) {
                    const Named done = m_named.back();
                    m_named.pop_back();
                    if (!done.named) {
                        const QString kind = nameRef.toString();
                        warn(tr("<%1> without a name").arg(kind), done.line, done.column);
                    }
                }
            }
            if (m_frames.empty())
                continue;
            const Frame &frame = m_frames.back();
            if (frame.context == Context::Field)
                finishField(m_field->field, m_lsb, m_msb, m_bitOffset, m_bitWidth, m_bitRange);
            else if (frame.context == Context::Peripheral)
                m_peripheral = nullptr;
            m_frames.pop_back();
        } else if (token == QXmlStreamReader::Characters) {
            if (!m_frames.empty() && isContainer(m_frames.back().context) && !m_xml.isWhitespace()) {
                if (PendingItem *cluster = m_frames.back().cluster)
                    cluster->strayText = true;
                else
                    m_strayText = true;
            }
        }
    }
    if (!m_xml.hasError() && !rootSeen)
        m_xml.raiseError(tr("Warning"));
    if (m_xml.hasError())
        return CLog::NoSvdFile;

    if (m_checks) {
        // derivedFrom loops among peripherals: the copies stop, and we say where.
        for (auto it = m_peripheralBases.constBegin(); it != m_peripheralBases.constEnd(); ++it) {
            QSet<QString> seen{it.key()};
            QString next = it.value().base;
            while (m_peripheralBases.contains(next) && !seen.contains(next)) {
                seen.insert(next);
                next = m_peripheralBases.value(next).base;
            }
            if (next == it.key())
                warn(tr("Peripheral %1 is derived from itself through derivedFrom").arg(it.key()),
                     it.value().line, it.value().column);
        }
    }
    if (m_strayText)
        return unexpectedNode;

    m_deviceProperties.inheritFrom(m_deviceOwn);
    std::size_t deviceEntries = 0;
    for (std::vector<PendingPeripheral> &list : m_lists) {
        if (const unsigned int result = expandPeripherals(list, m_deviceProperties, peripherals, deviceEntries))
            return result;
    }
    deviceName = m_deviceName;
    return CLog::Success;
}

// The codec a byte-order mark or the XML declaration names; UTF-8 without.
QTextCodec *declaredCodec(const QByteArray &data)
{
    QTextCodec *codec = QTextCodec::codecForName("UTF-8");
    static const QRegularExpression declaration(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([A-Za-z0-9._-]+)[\"']"));
    const QRegularExpressionMatch match = declaration.match(QString::fromLatin1(data.left(200)));
    if (match.hasMatch()) {
        if (QTextCodec *named = QTextCodec::codecForName(match.captured(1).toLatin1()))
            codec = named;
    }
    return QTextCodec::codecForUtfText(data, codec);
}

} // namespace

unsigned int readSvdStream(QXmlStreamReader &xml, QString &deviceName, std::vector<Peripheral> &peripherals,
                           const SvdWarningSink &warnings)
{
    deviceName.clear();
    peripherals.clear();
    StreamPass pass(xml, warnings);
    const unsigned int result = pass.run(deviceName, peripherals);
    if (result != CLog::Success) {
        deviceName.clear();
        peripherals.clear();
    }
    return result;
}

unsigned int SVDReader::Read(const QString &path)
{
    QFile file(path);
    // A FIFO or a device is no SVD file: it would block or never end.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
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
    QXmlStreamReader xml(data);
    const unsigned int result = readSvdStream(xml, deviceName, peripherals);
    if (result != CLog::NoSvdFile)
        return result;
    // Vendor files now and then hold a byte their encoding does not allow
    // (a Latin-1 sign in a UTF-8 description). Such a file is read with the
    // byte replaced, as a DOM parser does.
    QTextCodec::ConverterState state;
    const QString text = declaredCodec(data)->toUnicode(data.constData(), data.size(), &state);
    if (state.invalidChars == 0)
        return result;
    QXmlStreamReader decoded(text);
    return readSvdStream(decoded, deviceName, peripherals);
}

} // namespace Symscan
