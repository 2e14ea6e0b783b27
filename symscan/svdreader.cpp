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

#include <deque>
#include <functional>
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

// The forms an SVD file writes a number in, after an optional "+":
// "0x1F" and "0X1F" hexadecimal, "#1010", "0b1010" and "0B1010" binary, anything
// else decimal. In binary an 'x' is a bit that does not matter: it counts as
// 0 and, with dontCare, is set there.
std::optional<quint64> number(QStringView text, quint64 *dontCare = nullptr)
{
    QStringView trimmed = text.trimmed();
    if (dontCare)
        *dontCare = 0;
    if (!trimmed.isEmpty() && trimmed.at(0) == QLatin1Char('+'))
        trimmed = trimmed.mid(1);
    quint64 value = 0;
    bool ok = false;
    const bool prefixed = trimmed.size() >= 2 && trimmed.at(0) == QLatin1Char('0');
    const QChar second = prefixed ? trimmed.at(1) : QChar();
    if (prefixed && (second == QLatin1Char('x') || second == QLatin1Char('X'))) {
        if (plainDigits(trimmed.mid(2), 16, 15, &value))
            return value;
        value = trimmed.mid(2).toString().toULongLong(&ok, 16);
    } else if ((!trimmed.isEmpty() && trimmed.at(0) == QLatin1Char('#'))
               || (prefixed && (second == QLatin1Char('b') || second == QLatin1Char('B')))) {
        const QStringView digits = trimmed.mid(trimmed.at(0) == QLatin1Char('#') ? 1 : 2);
        if (digits.isEmpty())
            return std::nullopt;
        quint64 mask = 0;
        for (const QChar c : digits) {
            if (value >> 63)
                return std::nullopt;
            value <<= 1;
            mask <<= 1;
            if (c == QLatin1Char('1'))
                value |= 1;
            else if (c == QLatin1Char('x') || c == QLatin1Char('X'))
                mask |= 1;
            else if (c != QLatin1Char('0'))
                return std::nullopt;
        }
        if (dontCare)
            *dontCare = mask;
        return value;
    } else {
        // A sign the decimal conversion would take is no SVD number.
        if (!trimmed.isEmpty() && (trimmed.at(0) == QLatin1Char('+') || trimmed.at(0) == QLatin1Char('-')))
            return std::nullopt;
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
    EnumeratedValues, EnumeratedValue, Usage, IsDefault,
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
    {Tag::EnumeratedValue, "enumeratedValue", 15}, {Tag::Usage, "usage", 5}, {Tag::IsDefault, "isDefault", 9},
    {Tag::Name, "name", 4}, {Tag::Description, "description", 11},
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

// The names that replace %s in a dim array: dimIndex as "0-7", "A-D" or
// "A,B,C", else 0 to dim - 1 (a list shorter than dim is filled up so).
// None when the element is no array: then it stands once and %s is
// replaced by nothing.
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
        static const QRegularExpression letters(QStringLiteral("^([A-Za-z])\\s*-\\s*([A-Za-z])$"));
        const QRegularExpressionMatch match = given.isEmpty() ? QRegularExpressionMatch() : range.match(given);
        const QRegularExpressionMatch letterMatch =
            given.isEmpty() || match.hasMatch() ? QRegularExpressionMatch() : letters.match(given);
        if (match.hasMatch()) {
            const quint32 first = match.captured(1).toUInt();
            for (quint32 i = 0; i < dim; ++i)
                indices << QString::number(quint64(first) + i);
        } else if (letterMatch.hasMatch()) {
            const ushort first = letterMatch.capturedView(1).at(0).unicode();
            const ushort last = letterMatch.capturedView(2).at(0).unicode();
            for (ushort c = first; c <= last && quint32(indices.size()) < dim; ++c)
                indices << QString(QChar(c));
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

    // The name of a peripheral or field: a "[%s]" array loses its brackets
    // (I2S_PCM[%s] gives I2S_PCM0), any other %s is the index.
    QString applyName(const QString &text, int i) const
    {
        if (!hasPlaceholder(text))
            return text;
        QString result = text;
        const QString index = indices.isEmpty() ? QString() : indices.at(i);
        result.replace(QLatin1String("[%s]"), index);
        return result.replace(QLatin1String("%s"), index);
    }
};

// One enumeratedValues element of a field.
struct PendingValues
{
    QString name;        // what derivedFrom finds it by
    QString usage;       // read, write or read-write; none counts as read-write
    QString derivedFrom; // the block whose values it takes instead of its own
    qint64 line = 0, column = 0;
    std::vector<SvdEnumeratedValue> values;
    // Resolved after the pass: the values a derived block stands for.
    const PendingValues *source = nullptr;
    bool resolving = false, resolved = false;
};

struct PendingField
{
    Field field;
    bool ownAccess = false; // the field gave its own access
    OwnDimensions dimensions;
    qint64 line = 0, column = 0;
    // Named blocks (derivedFrom may name them) and a derived block the
    // field takes its values from; unnamed blocks are dropped at the
    // field's end, once the field's values are chosen.
    std::vector<PendingValues> blocks;
    int derivedBlock = -1; // index into blocks: values come from its source
    // The values a derived block resolved to; none when unresolved.
    const std::vector<SvdEnumeratedValue> *valuesSource = nullptr;

    std::size_t valueCount() const
    {
        return valuesSource ? valuesSource->size() : field.enumeratedValues.size();
    }
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
    qint64 line = 0, column = 0;
    bool hasFields = false;
    std::vector<PendingField> fields;
    std::vector<PendingItem> children; // of a cluster
};

struct PendingPeripheral
{
    OwnProperties properties;
    OwnDimensions dimensions;
    QString firstName; // the name derivedFrom finds it by
    bool nameSeen = false, descriptionSeen = false, baseSeen = false;
    QString name, description;
    quint32 baseAddress = 0;
    QString derivedFrom;
    qint64 line = 0, column = 0;
    bool hasRegisters = false;
    std::vector<PendingItem> registers; // of every registers element, in file order
    bool isBase = false; // another peripheral derives from it
};

// What the expansion counts against the device's bounds, and where it
// reports what it cannot resolve.
struct Expansion
{
    const SvdWarningSink *warnings = nullptr;
    // Registers and fields (and the copies of arrays of peripherals) so
    // far, bounded by svdMaxDeviceEntries; enumerated values so far,
    // bounded by svdMaxEnumeratedValues.
    std::size_t deviceEntries = 0;
    std::size_t values = 0;

    void warn(const QString &message, qint64 line, qint64 column) const
    {
        if (warnings && *warnings)
            (*warnings)(message, line, column);
    }
};

// The registers being collected for one peripheral, addressed relative
// to it until its base address is known.
struct RegisterBlock
{
    std::vector<Register> registers;
    std::size_t clusterCopies = 0; // bounded like the registers
    Expansion *expansion = nullptr;
    // The first element of each array by the name the file gives it
    // ("PMUX0_%s"), with its cluster prefix.
    QHash<QString, std::size_t> byTemplate;

    // The first register of that expanded name, else the array of that name.
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

// ---------------------------------------------------------------- expansion after the pass

bool isRestricted(const QString &access)
{
    return !access.isEmpty() && access.compare(QLatin1String("read-write"), Qt::CaseInsensitive) != 0;
}

quint32 shifted(quint32 bit, quint64 increment, int i)
{
    return quint32(std::min<quint64>(quint64(bit) + increment * quint64(i), 0xFFFFFFFFu));
}

// The fields of one register: arrays expanded (bits moved by dimIncrement
// for each element), access inherited, enumerated values taken from the
// block they derive from. A name given twice stays with its first field;
// each later one becomes NAME_lsb, or NAME_lsb_msb where that is taken too,
// and a field none of these names is free for is left out (and said when
// `report`).
unsigned int takeFields(std::vector<PendingField> &pending, const QString &access, bool mayMove,
                        std::vector<Field> &out, Expansion &expansion, bool report)
{
    out.clear();
    // The bounds come before any copy is made.
    std::size_t count = 0, values = 0;
    for (const PendingField &item : pending) {
        const Dimensions dimensions(item.dimensions);
        if (!dimensions.valid)
            continue;
        count += std::size_t(dimensions.count());
        values += std::size_t(dimensions.count()) * item.valueCount();
    }
    if (expansion.deviceEntries + count > svdMaxDeviceEntries || expansion.values + values > svdMaxEnumeratedValues)
        return SvdDeviceTooLarge;
    out.reserve(count);
    std::vector<const PendingField *> origins;
    origins.reserve(count);
    const bool inheritedRestricted = isRestricted(access);
    for (PendingField &item : pending) {
        const Dimensions dimensions(item.dimensions);
        if (!dimensions.valid)
            continue;
        const int copies = dimensions.count();
        for (int i = 0; i < copies; ++i) {
            out.push_back(mayMove && i + 1 == copies ? std::move(item.field) : item.field);
            origins.push_back(&item);
            Field &field = out.back();
            if (dimensions.isArray()) {
                field.name = dimensions.applyName(field.name, i);
                field.description = dimensions.apply(field.description, i);
                field.lsb = shifted(field.lsb, dimensions.increment, i);
                field.msb = shifted(field.msb, dimensions.increment, i);
            }
            if (item.valuesSource)
                field.enumeratedValues = *item.valuesSource;
            if (item.ownAccess) {
                field.accessRestricted = isRestricted(field.access);
            } else {
                field.access = access;
                field.accessRestricted = inheritedRestricted;
            }
        }
    }
    // Most registers have a few fields, each named once.
    bool repeated = false;
    if (out.size() <= 32) {
        for (std::size_t i = 1; i < out.size() && !repeated; ++i) {
            for (std::size_t j = 0; j < i && !repeated; ++j)
                repeated = !out[i].name.isEmpty() && out[i].name == out[j].name;
        }
        if (!repeated)
            return CLog::Success;
    }
    QSet<QString> taken;
    taken.reserve(int(out.size()));
    for (const Field &field : out) {
        if (!field.name.isEmpty() && !taken.contains(field.name))
            taken.insert(field.name);
        else if (!field.name.isEmpty())
            repeated = true;
    }
    if (!repeated)
        return CLog::Success;
    QSet<QString> named;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        Field &field = out[i];
        if (!field.name.isEmpty() && named.contains(field.name)) {
            QString made = field.name + QLatin1Char('_') + QString::number(field.lsb);
            if (taken.contains(made))
                made += QLatin1Char('_') + QString::number(field.msb);
            if (taken.contains(made)) {
                if (report)
                    expansion.warn(tr("Field %1 is given again at bits %2..%3, and no name is free for it: left out")
                                       .arg(field.name)
                                       .arg(field.msb)
                                       .arg(field.lsb),
                                   origins[i]->line, origins[i]->column);
                continue;
            }
            taken.insert(made);
            field.name = made;
        }
        named.insert(field.name);
        if (kept != i)
            out[kept] = std::move(field);
        ++kept;
    }
    out.resize(kept);
    return CLog::Success;
}

unsigned int expandItems(std::vector<PendingItem> &items, const Properties &inherited, quint64 offset,
                         const QString &prefix, RegisterBlock &block, int depth, bool mayMove, bool report);

unsigned int expandRegister(PendingItem &item, const Properties &inherited, quint64 offset,
                            const QString &prefix, RegisterBlock &block, bool mayMove, bool report)
{
    Expansion &expansion = *block.expansion;
    Properties properties = inherited;
    properties.inheritFrom(item.properties);
    Register model;
    model.size = properties.size.value_or(0);
    model.resetValue = properties.resetValue.value_or(0);
    model.resetMask = properties.resetMask.value_or(0);

    const QString &base = item.derivedFrom;
    if (!base.isEmpty()) {
        // Only registers read before this one can be copied, so no loop. The
        // base may be named as expanded ("PMUX0_3") or as the file gives its
        // array ("PMUX0_%s"), within this cluster or from the peripheral.
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
        } else if (report) {
            expansion.warn(tr("Register %1 is derived from %2, which is not found before it")
                               .arg(prefix + item.name, base),
                           item.line, item.column);
        }
    }

    const Dimensions dimensions(item.dimensions);
    if (!dimensions.valid)
        return CLog::Success;
    if (item.hasFields) {
        if (const unsigned int result = takeFields(item.fields, properties.access, mayMove && !dimensions.isArray(),
                                                   model.fields, expansion, report))
            return result;
    }
    const int count = dimensions.count();
    if (block.registers.size() + std::size_t(count) > maxRegisters)
        return CLog::GeneralError;
    // The device's bounds come before any copy is made.
    const std::size_t entries = std::size_t(count) * (1 + model.fields.size());
    std::size_t values = 0;
    for (const Field &field : model.fields)
        values += field.enumeratedValues.size();
    values *= std::size_t(count);
    if (expansion.deviceEntries + entries > svdMaxDeviceEntries
        || expansion.values + values > svdMaxEnumeratedValues)
        return SvdDeviceTooLarge;
    expansion.deviceEntries += entries;
    expansion.values += values;
    if (dimensions.isArray() && !item.name.isEmpty() && !block.byTemplate.contains(prefix + item.name))
        block.byTemplate.insert(prefix + item.name, block.registers.size());
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
                         const QString &prefix, RegisterBlock &block, int depth, bool mayMove, bool report)
{
    if (depth > maxClusterDepth)
        return CLog::GeneralError;
    for (PendingItem &item : items) {
        if (!item.cluster) {
            if (const unsigned int result = expandRegister(item, inherited, offset, prefix, block, mayMove, report))
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
            // What the copies would say again is said for the first.
            if (const unsigned int result = expandItems(item.children, properties, at, inner, block, depth + 1,
                                                        mayMove && !dimensions.isArray(), report && i == 0))
                return result;
        }
    }
    return CLog::Success;
}

// A peripheral as derivedFrom finds it: one of an array by its expanded
// name (I2S_PCM1) or the array by the name the file gives it (I2S_PCM[%s]).
struct PeripheralBase
{
    PendingPeripheral *pending = nullptr;
    int index = 0;
};

// One peripheral with register addresses relative to it. A derived
// peripheral starts as a copy of its base; what it gives itself replaces.
// An array is expanded by the caller: `out` is its first element.
unsigned int expandPeripheral(PendingPeripheral &pending, const Properties &inherited,
                              const QHash<QString, PeripheralBase> &byName, int depth, Peripheral &out,
                              Expansion &expansion)
{
    Properties properties = inherited;
    const QString &base = pending.derivedFrom;
    if (!base.isEmpty()) {
        const PeripheralBase found = byName.value(base);
        PendingPeripheral *basePeripheral = found.pending;
        if (basePeripheral && basePeripheral != &pending && depth < maxDerivation) {
            if (const unsigned int result =
                    expandPeripheral(*basePeripheral, inherited, byName, depth + 1, out, expansion))
                return result;
            // A copy of an array's element (of its first for the array's
            // own name) is that element as expanded.
            const Dimensions dimensions(basePeripheral->dimensions);
            if (dimensions.isArray()) {
                out.name = dimensions.applyName(out.name, found.index);
                out.description = dimensions.apply(out.description, found.index);
                out.baseAddress = shifted(out.baseAddress, dimensions.increment, found.index);
            }
            properties.inheritFrom(basePeripheral->properties);
        } else if (!basePeripheral && depth == 0) {
            expansion.warn(tr("Peripheral %1 is derived from %2, which is not found").arg(pending.name, base),
                           pending.line, pending.column);
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
        block.expansion = &expansion;
        // A peripheral others derive from is expanded again for them; what
        // it has to say is said once, for itself.
        if (const unsigned int result = expandItems(pending.registers, properties, 0, QString(), block, 0,
                                                    !pending.isBase, depth == 0))
            return result;
        out.registers = std::move(block.registers);
    }
    return CLog::Success;
}

unsigned int expandPeripherals(std::vector<PendingPeripheral> &list, const Properties &inherited,
                               std::vector<Peripheral> &out, Expansion &expansion)
{
    QHash<QString, PeripheralBase> byName;
    byName.reserve(int(list.size()));
    for (PendingPeripheral &pending : list) {
        if (!byName.contains(pending.firstName))
            byName.insert(pending.firstName, {&pending, 0});
    }
    for (PendingPeripheral &pending : list) {
        const Dimensions dimensions(pending.dimensions);
        if (!dimensions.isArray())
            continue;
        for (int i = 0; i < dimensions.count(); ++i) {
            const QString name = dimensions.applyName(pending.firstName, i);
            if (!byName.contains(name))
                byName.insert(name, {&pending, i});
        }
    }
    for (const PendingPeripheral &pending : list) {
        if (pending.derivedFrom.isEmpty())
            continue;
        if (PendingPeripheral *base = byName.value(pending.derivedFrom).pending)
            base->isBase = true;
    }
    out.reserve(out.size() + list.size());
    for (PendingPeripheral &pending : list) {
        const Dimensions dimensions(pending.dimensions);
        if (!dimensions.valid)
            continue;
        Peripheral peripheral;
        const std::size_t entriesBefore = expansion.deviceEntries, valuesBefore = expansion.values;
        if (const unsigned int result = expandPeripheral(pending, inherited, byName, 0, peripheral, expansion))
            return result;
        // Register addresses are relative until here, so the base address
        // counts wherever it stands in the peripheral.
        const int count = dimensions.count();
        if (count > 1) {
            // Each further element of an array counts as itself and its
            // registers and fields.
            const std::size_t more = std::size_t(count - 1);
            const std::size_t entries = more * (1 + expansion.deviceEntries - entriesBefore);
            const std::size_t values = more * (expansion.values - valuesBefore);
            if (expansion.deviceEntries + entries > svdMaxDeviceEntries
                || expansion.values + values > svdMaxEnumeratedValues)
                return SvdDeviceTooLarge;
            expansion.deviceEntries += entries;
            expansion.values += values;
        }
        const QString name = peripheral.name, description = peripheral.description;
        const quint32 baseAddress = peripheral.baseAddress;
        for (int i = 0; i < count; ++i) {
            out.push_back(i + 1 < count ? peripheral : std::move(peripheral));
            Peripheral &element = out.back();
            if (dimensions.isArray()) {
                element.name = dimensions.applyName(name, i);
                element.description = dimensions.apply(description, i);
                element.baseAddress = shifted(baseAddress, dimensions.increment, i);
            }
            for (Register &reg : element.registers) {
                if (reg.address != 0xFFFFFFFFu)
                    reg.address += element.baseAddress;
            }
        }
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
    void finishValue();
    void finishValues();
    void resolveDerivedValues();
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
    // The enumerated value being read: whether it is dropped at its end
    // (isDefault, or a value that cannot be read), its bits that do not
    // matter and where it stands.
    bool m_dropValue = false;
    quint64 m_dontCare = 0;
    QString m_valueText;
    qint64 m_valueLine = 0, m_valueColumn = 0;
    // Values with bits that do not matter in the field being read, by block.
    struct DontCare
    {
        int block;
        QString name, text;
        quint32 value;
        quint64 mask;
        qint64 line, column;
    };
    std::vector<DontCare> m_dontCares;
    bool m_derivedValues = false; // some enumeratedValues has derivedFrom

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

// At an enumerated value's end: an isDefault entry or a value that cannot be
// read makes no item; a value with bits that do not matter is noted for the
// field's warning.
void StreamPass::finishValue()
{
    std::vector<SvdEnumeratedValue> &values = m_field->blocks.back().values;
    if (m_dropValue)
        values.pop_back();
    else if (m_dontCare)
        m_dontCares.push_back({int(m_field->blocks.size()) - 1, m_value->name, m_valueText, m_value->value,
                               m_dontCare, m_valueLine, m_valueColumn});
    m_value = nullptr;
}

// At a field's end: of its enumeratedValues elements the one a user writes
// gives the values (usage write or read-write, none counting as read-write);
// a read block only where there is no other. One derived from another block
// is resolved after the pass. Unnamed blocks are dropped here.
void StreamPass::finishValues()
{
    PendingField &field = *m_field;
    if (field.blocks.empty())
        return;
    int chosen = -1;
    for (int i = 0; i < int(field.blocks.size()); ++i) {
        const QString &usage = field.blocks[std::size_t(i)].usage;
        const bool readOnly = usage.compare(QLatin1String("read"), Qt::CaseInsensitive) == 0;
        if (!readOnly) {
            chosen = i;
            break;
        }
        if (chosen < 0)
            chosen = i;
    }
    PendingValues &block = field.blocks[std::size_t(chosen)];
    int derived = -1;
    if (!block.derivedFrom.isEmpty()) {
        derived = chosen;
    } else {
        if (block.name.isEmpty())
            field.field.enumeratedValues = std::move(block.values);
        else
            field.field.enumeratedValues = block.values;
        // A value with bits that do not matter is one item; the values it
        // also matches are said, once for the field.
        QStringList said;
        const DontCare *first = nullptr;
        for (const DontCare &value : m_dontCares) {
            if (value.block != chosen)
                continue;
            if (!first)
                first = &value;
            QStringList others;
            quint64 subset = 0;
            for (;;) {
                // The next subset of the don't-care bits, in rising order.
                subset = (subset - value.mask) & value.mask;
                if (!subset)
                    break;
                if (others.size() == 8) {
                    others << QStringLiteral("...");
                    break;
                }
                others << QString::number(quint64(value.value) | subset);
            }
            said << tr("%1 (%2) is the item %3, not %4")
                        .arg(value.name, value.text)
                        .arg(value.value)
                        .arg(others.join(QStringLiteral(", ")));
        }
        if (first)
            warn(tr("Field %1: enumerated values with bits that do not matter: %2")
                     .arg(field.field.name, said.join(QStringLiteral("; "))),
                 first->line, first->column);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < field.blocks.size(); ++i) {
        PendingValues &candidate = field.blocks[i];
        if (candidate.name.isEmpty() && int(i) != derived)
            continue;
        if (!candidate.derivedFrom.isEmpty())
            m_derivedValues = true;
        if (int(i) == derived)
            field.derivedBlock = int(kept);
        if (kept != i)
            field.blocks[kept] = std::move(candidate);
        ++kept;
    }
    field.blocks.resize(kept);
    m_dontCares.clear();
}

// enumeratedValues derivedFrom names a block as the file writes it: a block of
// that name in the same register, else one in the same peripheral, else a
// dotted path. The path is FIELD.BLOCK within the register,
// REGISTER.FIELD.BLOCK within the peripheral (a register in a cluster as
// CLUSTER.REGISTER) or PERIPHERAL.REGISTER.FIELD.BLOCK within the device,
// each part as the file writes it (arrays by their %s names). A block derived
// from a derived block takes what that one stands for. A field whose block
// cannot be resolved gets no values; that is said where the block stands.
void StreamPass::resolveDerivedValues()
{
    using Scope = QHash<QString, PendingValues *>;
    std::deque<Scope> scopes;
    Scope device;
    struct Place
    {
        const Scope *registerScope, *peripheralScope;
    };
    QHash<const PendingValues *, Place> places;
    std::vector<PendingField *> derivedFields;

    const auto add = [](Scope &scope, const QString &key, PendingValues *block) {
        if (!scope.contains(key))
            scope.insert(key, block);
    };
    std::function<void(std::vector<PendingItem> &, const QString &, const QString &, Scope &)> walk =
        [&](std::vector<PendingItem> &items, const QString &peripheral, const QString &prefix, Scope &inPeripheral) {
            for (PendingItem &item : items) {
                if (item.cluster) {
                    walk(item.children, peripheral, prefix + item.name + QLatin1Char('.'), inPeripheral);
                    continue;
                }
                scopes.emplace_back();
                Scope &inRegister = scopes.back();
                const QString registerName = prefix + item.name;
                for (PendingField &field : item.fields) {
                    for (PendingValues &block : field.blocks) {
                        if (!block.derivedFrom.isEmpty())
                            places.insert(&block, {&inRegister, &inPeripheral});
                        if (block.name.isEmpty())
                            continue;
                        const QString inField = field.field.name + QLatin1Char('.') + block.name;
                        add(inRegister, block.name, &block);
                        add(inRegister, inField, &block);
                        add(inPeripheral, block.name, &block);
                        add(inPeripheral, inField, &block);
                        add(inPeripheral, registerName + QLatin1Char('.') + inField, &block);
                        add(device, peripheral + QLatin1Char('.') + registerName + QLatin1Char('.') + inField, &block);
                    }
                    if (field.derivedBlock >= 0)
                        derivedFields.push_back(&field);
                }
            }
        };
    for (std::vector<PendingPeripheral> &list : m_lists) {
        for (PendingPeripheral &pending : list) {
            scopes.emplace_back();
            walk(pending.registers, pending.name, QString(), scopes.back());
        }
    }

    std::function<const PendingValues *(PendingValues &, int)> resolve = [&](PendingValues &block, int depth) {
        if (block.resolved)
            return block.source;
        if (block.resolving || depth > maxDerivation)
            return static_cast<const PendingValues *>(nullptr); // a loop
        block.resolving = true;
        const Place place = places.value(&block);
        PendingValues *target = place.registerScope ? place.registerScope->value(block.derivedFrom) : nullptr;
        if (!target && place.peripheralScope)
            target = place.peripheralScope->value(block.derivedFrom);
        if (!target)
            target = device.value(block.derivedFrom);
        const PendingValues *source = nullptr;
        if (target && target != &block)
            source = target->derivedFrom.isEmpty() ? target : resolve(*target, depth + 1);
        block.source = source;
        block.resolving = false;
        block.resolved = true;
        return source;
    };
    for (PendingField *field : derivedFields) {
        PendingValues &block = field->blocks[std::size_t(field->derivedBlock)];
        if (const PendingValues *source = resolve(block, 0))
            field->valuesSource = &source->values;
        else
            warn(tr("Field %1: the enumeratedValues it is derived from (%2) are not found")
                     .arg(field->field.name, block.derivedFrom),
                 block.line, block.column);
    }
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
    if (!value || *value > 0xFFFFFFFFu)
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
            // A base address that cannot be read leaves the one inherited.
            if (const std::optional<quint32> address = number32(text)) {
                p.baseAddress = *address;
                p.baseSeen = true;
            }
        } else if (!p.properties.take(tag, text)) {
            p.dimensions.take(tag, text);
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
        default: m_field->dimensions.take(tag, text); break;
        }
        break;
    }
    case Context::EnumeratedValues: {
        PendingValues &block = m_field->blocks.back();
        if (tag == Tag::Name)
            block.name = text.toString();
        else if (tag == Tag::Usage)
            block.usage = text.toString();
        break;
    }
    case Context::EnumeratedValue:
        if (tag == Tag::Name) {
            m_value->name = text.toString();
        } else if (tag == Tag::Description) {
            m_value->description = text.toString();
        } else if (tag == Tag::Value) {
            // A value that cannot be read is no item (the check says so);
            // 'x' bits count as 0 and are said at the field's end.
            quint64 dontCare = 0;
            const std::optional<quint64> value = number(text, &dontCare);
            if (!value || *value > 0xFFFFFFFFu) {
                m_dropValue = true;
            } else {
                m_value->value = quint32(*value);
                m_dontCare = dontCare & 0xFFFFFFFFu;
                m_valueText = text.toString();
            }
        } else if (tag == Tag::IsDefault) {
            // The value of every case the others leave: no item of its own.
            if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || text == QLatin1String("1"))
                m_dropValue = true;
        }
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
               || tag == Tag::ResetValue || tag == Tag::ResetMask || tag == Tag::Access || tag == Tag::Dim
               || tag == Tag::DimIncrement || tag == Tag::DimIndex;
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
               || tag == Tag::Msb || tag == Tag::BitOffset || tag == Tag::BitWidth || tag == Tag::BitRange
               || tag == Tag::Dim || tag == Tag::DimIncrement || tag == Tag::DimIndex;
    case Context::EnumeratedValues:
        return tag == Tag::Name || tag == Tag::Usage;
    case Context::EnumeratedValue:
        return tag == Tag::Name || tag == Tag::Description || tag == Tag::Value || tag == Tag::IsDefault;
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
            m_peripheral->derivedFrom =
                m_xml.attributes().value(QLatin1String("derivedFrom")).trimmed().toString();
            m_peripheral->line = m_xml.lineNumber();
            m_peripheral->column = m_xml.columnNumber();
            frame.context = Context::Peripheral;
        }
        break;
    case Context::Peripheral:
        if (tag == Tag::Registers) {
            // Every registers element adds to the peripheral's registers.
            m_peripheral->hasRegisters = true;
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
            if (!item.cluster)
                item.derivedFrom = m_xml.attributes().value(QLatin1String("derivedFrom")).trimmed().toString();
            item.line = m_xml.lineNumber();
            item.column = m_xml.columnNumber();
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
            m_field->line = m_xml.lineNumber();
            m_field->column = m_xml.columnNumber();
            m_field->field.line = m_field->line;
            m_dontCares.clear();
            m_lsb = m_msb = m_bitOffset = m_bitWidth = std::nullopt;
            m_bitRange.clear();
            frame.context = Context::Field;
            frame.item = parent.item;
        }
        break;
    case Context::Field:
        if (tag == Tag::EnumeratedValues) {
            m_field->blocks.emplace_back();
            PendingValues &block = m_field->blocks.back();
            block.derivedFrom = m_xml.attributes().value(QLatin1String("derivedFrom")).trimmed().toString();
            block.line = m_xml.lineNumber();
            block.column = m_xml.columnNumber();
            frame.context = Context::EnumeratedValues;
            frame.item = parent.item;
        }
        break;
    case Context::EnumeratedValues:
        if (tag == Tag::EnumeratedValue) {
            std::vector<SvdEnumeratedValue> &values = m_field->blocks.back().values;
            values.emplace_back();
            m_value = &values.back();
            m_dropValue = false;
            m_dontCare = 0;
            m_valueLine = m_xml.lineNumber();
            m_valueColumn = m_xml.columnNumber();
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
            if (frame.context == Context::Field) {
                finishField(m_field->field, m_lsb, m_msb, m_bitOffset, m_bitWidth, m_bitRange);
                finishValues();
            } else if (frame.context == Context::EnumeratedValue) {
                finishValue();
            } else if (frame.context == Context::Peripheral)
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
    if (m_derivedValues)
        resolveDerivedValues();
    Expansion expansion;
    expansion.warnings = &m_warnings;
    for (std::vector<PendingPeripheral> &list : m_lists) {
        if (const unsigned int result = expandPeripherals(list, m_deviceProperties, peripherals, expansion))
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
