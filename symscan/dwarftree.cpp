#include "dwarftree.h"

#include "clog.h"
#include "textscan.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <new>
#include <string_view>
#include <unordered_map>

namespace Symscan {

// ---- Name tables

namespace {

const char *const tagNames[] = {
    "DW_TAG_array_type",
    "DW_TAG_class_type",
    "DW_TAG_entry_point",
    "DW_TAG_enumeration_type",
    "DW_TAG_formal_parameter",
    "DW_TAG_imported_declaration",
    "DW_TAG_label",
    "DW_TAG_lexical_block",
    "DW_TAG_member",
    "DW_TAG_pointer_type",
    "DW_TAG_reference_type",
    "DW_TAG_compile_unit",
    "DW_TAG_string_type",
    "DW_TAG_structure_type",
    "DW_TAG_subroutine_type",
    "DW_TAG_typedef",
    "DW_TAG_union_type",
    "DW_TAG_unspecified_parameters",
    "DW_TAG_variant",
    "DW_TAG_common_block",
    "DW_TAG_common_inclusion",
    "DW_TAG_inheritance",
    "DW_TAG_inlined_subroutine",
    "DW_TAG_module",
    "DW_TAG_ptr_to_member_type",
    "DW_TAG_set_type",
    "DW_TAG_subrange_type",
    "DW_TAG_with_stmt",
    "DW_TAG_access_declaration",
    "DW_TAG_base_type",
    "DW_TAG_catch_block",
    "DW_TAG_const_type",
    "DW_TAG_constant",
    "DW_TAG_enumerator",
    "DW_TAG_file_type",
    "DW_TAG_friend",
    "DW_TAG_namelist",
    "DW_TAG_namelist_item",
    "DW_TAG_packed_type",
    "DW_TAG_subprogram",
    "DW_TAG_template_type_param",
    "DW_TAG_template_value_param",
    "DW_TAG_thrown_type",
    "DW_TAG_try_block",
    "DW_TAG_variant_part",
    "DW_TAG_variable",
    "DW_TAG_volatile_type",
    "DW_TAG_dwarf_procedure",
    "DW_TAG_restrict_type",
    "DW_TAG_interface_type",
    "DW_TAG_namespace",
    "DW_TAG_imported_module",
    "DW_TAG_unspecified_type",
    "DW_TAG_partial_unit",
    "DW_TAG_imported_unit",
    "DW_TAG_mutable_type",
    "DW_TAG_condition",
    "DW_TAG_shared_type",
    "DW_TAG_type_unit",
    "DW_TAG_rvalue_reference_type",
    "DW_TAG_template_alias",
    "DW_TAG_GNU_call_site",
    "DW_TAG_GNU_call_site_parameter",
};
static_assert(std::size(tagNames) == TAG_NotFound, "63 tag names");

// Later qualifiers, numbered from TAG_NotFound + 1 on.
const char *const extraTagNames[] = {
    "DW_TAG_atomic_type",
};
static_assert(TAG_atomic_type == TAG_NotFound + 1, "extra tags follow the table");

const char *const attributeNames[] = {
    "DW_AT_sibling",
    "DW_AT_location",
    "DW_AT_name",
    "DW_AT_ordering",
    "DW_AT_subscr_data",
    "DW_AT_byte_size",
    "DW_AT_bit_offset",
    "DW_AT_bit_size",
    "DW_AT_element_list",
    "DW_AT_stmt_list",
    "DW_AT_low_pc",
    "DW_AT_high_pc",
    "DW_AT_language",
    "DW_AT_member",
    "DW_AT_discr",
    "DW_AT_discr_value",
    "DW_AT_visibility",
    "DW_AT_import",
    "DW_AT_string_length",
    "DW_AT_common_reference",
    "DW_AT_comp_dir",
    "DW_AT_const_value",
    "DW_AT_containing_type",
    "DW_AT_default_value",
    "DW_AT_inline",
    "DW_AT_is_optional",
    "DW_AT_lower_bound",
    "DW_AT_producer",
    "DW_AT_prototyped",
    "DW_AT_return_addr",
    "DW_AT_start_scope",
    "DW_AT_bit_stride",
    "DW_AT_upper_bound",
    "DW_AT_abstract_origin",
    "DW_AT_accessibility",
    "DW_AT_address_class",
    "DW_AT_artificial",
    "DW_AT_base_types",
    "DW_AT_calling_convention",
    "DW_AT_count",
    "DW_AT_data_member_location",
    "DW_AT_decl_column",
    "DW_AT_decl_file",
    "DW_AT_decl_line",
    "DW_AT_declaration",
    "DW_AT_discr_list",
    "DW_AT_encoding",
    "DW_AT_external",
    "DW_AT_frame_base",
    "DW_AT_friend",
    "DW_AT_identifier_case",
    "DW_AT_macro_info",
    "DW_AT_namelist_item",
    "DW_AT_priority",
    "DW_AT_segment",
    "DW_AT_specification",
    "DW_AT_static_link",
    "DW_AT_type",
    "DW_AT_use_location",
    "DW_AT_variable_parameter",
    "DW_AT_virtuality",
    "DW_AT_vtable_elem_location",
    "DW_AT_allocated",
    "DW_AT_associated",
    "DW_AT_data_location",
    "DW_AT_byte_stride",
    "DW_AT_entry_pc",
    "DW_AT_use_UTF8",
    "DW_AT_extension",
    "DW_AT_ranges",
    "DW_AT_trampoline",
    "DW_AT_call_column",
    "DW_AT_call_file",
    "DW_AT_call_line",
    "DW_AT_description",
    "DW_AT_binary_scale",
    "DW_AT_decimal_scale",
    "DW_AT_small",
    "DW_AT_decimal_sign",
    "DW_AT_digit_count",
    "DW_AT_picture_string",
    "DW_AT_mutable",
    "DW_AT_threads_scaled",
    "DW_AT_explicit",
    "DW_AT_object_pointer",
    "DW_AT_endianity",
    "DW_AT_elemental",
    "DW_AT_pure",
    "DW_AT_recursive",
    "DW_AT_signature",
    "DW_AT_main_subprogram",
    "DW_AT_data_bit_offset",
    "DW_AT_const_expr",
    "DW_AT_enum_class",
    "DW_AT_linkage_name",
};
static_assert(std::size(attributeNames) == AT_NotFound, "95 attribute names");

using NameMap = std::unordered_map<std::string_view, quint32>;

NameMap buildTagMap()
{
    NameMap map;
    for (quint32 i = 0; i < std::size(tagNames); ++i)
        map.emplace(tagNames[i], i);
    for (quint32 i = 0; i < std::size(extraTagNames); ++i)
        map.emplace(extraTagNames[i], TAG_NotFound + 1 + i);
    return map;
}

NameMap buildAttributeMap()
{
    NameMap map;
    for (quint32 i = 0; i < std::size(attributeNames); ++i)
        map.emplace(attributeNames[i], i);
    return map;
}

// The whole word that starts with prefix, searched in text.
std::string_view wordAfter(const char *text, const char *prefix)
{
    if (!text)
        return {};
    const char *start = std::strstr(text, prefix);
    if (!start)
        return {};
    const char *end = start + std::strlen(prefix);
    while (isWordChar(*end))
        ++end;
    return std::string_view(start, std::size_t(end - start));
}

bool isAggregate(quint32 tag)
{
    return tag == TAG_structure_type || tag == TAG_union_type || tag == TAG_class_type;
}

bool isBitfield(const ElfTag *member)
{
    return *attributeValue(member, AT_bit_size) || *attributeValue(member, AT_bit_offset)
           || *attributeValue(member, AT_data_bit_offset);
}

// Offset of a member in its structure: a plain constant (DWARF 4 and 5) or
// the DW_OP_plus_uconst of a location block; union members carry none.
bool memberOffset(const ElfTag *member, quint64 &offset)
{
    const char *location = attributeValue(member, AT_data_member_location);
    offset = 0;
    if (!*location)
        return true;
    if (numberAfter(location, "DW_OP_plus_uconst: ", false, offset, ");"))
        return true;
    qint64 constant;
    if (!readInteger(location, constant) || constant < 0)
        return false;
    offset = quint64(constant);
    return true;
}

std::string_view identifierAt(const char *&text)
{
    const char *start = text;
    if ((*text >= '0' && *text <= '9'))
        return {};
    while (isWordChar(*text) || *text == '$')
        ++text;
    return std::string_view(start, std::size_t(text - start));
}

} // namespace

quint32 tagFromName(std::string_view name)
{
    static const NameMap map = buildTagMap();
    const auto found = map.find(name);
    return found == map.end() ? quint32(TAG_NotFound) : found->second;
}

quint32 attributeFromName(std::string_view name)
{
    static const NameMap map = buildAttributeMap();
    const auto found = map.find(name);
    return found == map.end() ? quint32(AT_NotFound) : found->second;
}

quint32 tagFromText(const char *text)
{
    return tagFromName(wordAfter(text, "DW_TAG_"));
}

quint32 attributeFromText(const char *text)
{
    return attributeFromName(wordAfter(text, "DW_AT_"));
}

const char *tagName(quint32 tag)
{
    if (tag < std::size(tagNames))
        return tagNames[tag];
    if (tag > TAG_NotFound && tag - TAG_NotFound - 1 < std::size(extraTagNames))
        return extraTagNames[tag - TAG_NotFound - 1];
    return "";
}

const char *attributeName(quint32 attribute)
{
    return attribute < std::size(attributeNames) ? attributeNames[attribute] : "";
}

const char *attributeValue(const ElfTag *entry, quint32 attribute)
{
    if (!entry)
        return "";
    for (const ElfAttribute *a = entry->attributes; a; a = a->next) {
        if (a->attribute == attribute)
            return a->value;
    }
    return "";
}

// ---- Storage

// Entries, attributes and their texts live in large blocks that go away with
// the tree: a read of a big file makes millions of small records.
class DwarfTree::Arena
{
public:
    template <typename T>
    T *make()
    {
        const std::size_t misalignment = reinterpret_cast<quintptr>(m_next) % alignof(T);
        std::size_t pad = misalignment ? alignof(T) - misalignment : 0;
        if (m_left < pad + sizeof(T)) {
            grow(sizeof(T));
            pad = 0;
        }
        char *at = m_next + pad;
        m_next = at + sizeof(T);
        m_left -= pad + sizeof(T);
        return new (at) T();
    }

    const char *copy(const char *text, std::size_t length)
    {
        if (m_left < length + 1)
            grow(length + 1);
        char *at = m_next;
        std::memcpy(at, text, length);
        at[length] = '\0';
        m_next += length + 1;
        m_left -= length + 1;
        return at;
    }

    void clear()
    {
        m_blocks.clear();
        m_next = nullptr;
        m_left = 0;
    }

private:
    static constexpr std::size_t blockSize = std::size_t(1) << 20;

    void grow(std::size_t atLeast)
    {
        const std::size_t size = std::max(blockSize, atLeast + 16);
        m_blocks.emplace_back(new char[size]);
        m_next = m_blocks.back().get();
        m_left = size;
    }

    std::vector<std::unique_ptr<char[]>> m_blocks;
    char *m_next = nullptr;
    std::size_t m_left = 0;
};

struct DwarfTree::Dimension
{
    qint64 lower = 0;
    qint64 count = -1; // -1: no bound given
};

DwarfTree::DwarfTree() : m_arena(new Arena) {}

DwarfTree::~DwarfTree() = default;

void DwarfTree::clear()
{
    m_arena->clear();
    m_root = nullptr;
    m_units = nullptr;
    m_index.clear();
    m_index.shrink_to_fit();
    m_levelStack.clear();
    m_current = nullptr;
    m_lastAttribute = nullptr;
    m_skipBelow = -1;
    m_indexSorted = true;
}

// ---- Building

ElfTag *DwarfTree::addEntry(quint32 level, quint32 offset, quint32 abbrevNumber, quint32 tag)
{
    m_current = nullptr;
    m_lastAttribute = nullptr;
    if (m_skipBelow >= 0 && qint64(level) > m_skipBelow)
        return nullptr;
    m_skipBelow = -1;

    const bool parentKnown = level == 0 || (level <= m_levelStack.size() && m_levelStack[level - 1]);
    if (tag == TAG_NotFound || !parentKnown) {
        // Nothing below this entry can be placed either: skip by level until
        // an entry at this level or above comes.
        m_skipBelow = level;
        if (m_levelStack.size() > std::size_t(level) + 1)
            m_levelStack.resize(std::size_t(level) + 1);
        return nullptr;
    }

    ElfTag *entry = m_arena->make<ElfTag>();
    entry->tag = tag;
    entry->level = level;
    entry->offset = offset;
    entry->abbrevNumber = abbrevNumber;

    ElfTag *previous = level < m_levelStack.size() ? m_levelStack[level] : nullptr;
    if (previous)
        previous->nextSibling = entry;
    else if (level > 0)
        m_levelStack[level - 1]->firstChild = entry;
    else
        m_root = entry;
    m_levelStack.resize(std::size_t(level) + 1);
    m_levelStack[level] = entry;

    if (!m_index.empty() && m_index.back()->offset > offset)
        m_indexSorted = false;
    m_index.push_back(entry);
    m_current = entry;
    return entry;
}

void DwarfTree::addAttribute(quint32 attribute, quint32 offset, const char *value, std::size_t length)
{
    if (!m_current)
        return;
    ElfAttribute *added = m_arena->make<ElfAttribute>();
    added->attribute = attribute;
    added->offset = offset;
    added->value = m_arena->copy(value, length);
    if (m_lastAttribute)
        m_lastAttribute->next = added;
    else
        m_current->attributes = added;
    m_lastAttribute = added;
}

void DwarfTree::finish(unsigned pointerSize)
{
    m_pointerSize = pointerSize;
    m_current = nullptr;
    m_lastAttribute = nullptr;
    m_levelStack.clear();
    m_levelStack.shrink_to_fit();
    m_skipBelow = -1;
    if (!m_indexSorted) {
        std::stable_sort(m_index.begin(), m_index.end(),
                         [](const ElfTag *a, const ElfTag *b) { return a->offset < b->offset; });
        m_indexSorted = true;
    }
    mergeCompileUnits();
}

void DwarfTree::addCompileUnit(const char *name, ElfTag *unit)
{
    if (compileUnit(name))
        return;
    CompileUnitEntry *added = m_arena->make<CompileUnitEntry>();
    added->name = m_arena->copy(name, std::strlen(name));
    added->unit = unit;
    CompileUnitEntry **tail = &m_units;
    while (*tail)
        tail = &(*tail)->next;
    *tail = added;
}

// Units of the same name (without regard to case) become one: the later
// unit's entries are appended to the first unit's and the later unit leaves
// the top-level list.
void DwarfTree::mergeCompileUnits()
{
    std::unordered_map<const ElfTag *, ElfTag *> lastChild;
    auto tailOf = [&lastChild](ElfTag *unit) -> ElfTag *& {
        ElfTag *&tail = lastChild[unit];
        if (!tail) {
            tail = unit->firstChild;
            while (tail && tail->nextSibling)
                tail = tail->nextSibling;
        }
        return tail;
    };

    ElfTag *previous = nullptr;
    for (ElfTag *unit = m_root; unit;) {
        ElfTag *next = unit->nextSibling;
        const char *name = attributeValue(unit, AT_name);
        if (unit->tag == TAG_compile_unit && *name) {
            ElfTag *first = compileUnit(name);
            if (!first) {
                addCompileUnit(name, unit);
            } else if (first != unit && previous) {
                ElfTag *&tail = tailOf(first);
                if (unit->firstChild) {
                    (tail ? tail->nextSibling : first->firstChild) = unit->firstChild;
                    tail = nullptr; // found again on the next merge
                }
                previous->nextSibling = next;
                unit->nextSibling = nullptr;
                unit->firstChild = nullptr;
                unit = next;
                continue;
            }
        }
        previous = unit;
        unit = next;
    }
}

// ---- Queries

ElfTag *DwarfTree::tagAt(quint64 offset) const
{
    const auto found = std::lower_bound(m_index.begin(), m_index.end(), offset,
                                        [](const ElfTag *entry, quint64 value) { return entry->offset < value; });
    return found != m_index.end() && (*found)->offset == offset ? *found : nullptr;
}

ElfTag *DwarfTree::compileUnit(const char *name) const
{
    if (!name)
        return nullptr;
    for (const CompileUnitEntry *entry = m_units; entry; entry = entry->next) {
        if (qstricmp(entry->name, name) == 0)
            return entry->unit;
    }
    return nullptr;
}

ElfTag *DwarfTree::referencedTag(const ElfTag *entry, quint32 attribute) const
{
    quint64 offset;
    if (!numberAfter(attributeValue(entry, attribute), "<0x", true, offset, ">"))
        return nullptr;
    return tagAt(offset);
}

// Follows typedefs and qualifiers to the type that decides layout; null when
// a reference leads nowhere (or round in circles).
ElfTag *DwarfTree::stripQualifiers(ElfTag *type) const
{
    for (int hops = 0; type && hops < 64; ++hops) {
        switch (type->tag) {
        case TAG_typedef:
        case TAG_const_type:
        case TAG_volatile_type:
        case TAG_restrict_type:
        case TAG_atomic_type:
            type = referencedTag(type, AT_type);
            break;
        default:
            return type;
        }
    }
    return nullptr;
}

bool DwarfTree::dimensionsOf(const ElfTag *array, std::vector<Dimension> &dimensions) const
{
    dimensions.clear();
    for (const ElfTag *child = array->firstChild; child; child = child->nextSibling) {
        if (child->tag != TAG_subrange_type)
            continue;
        Dimension dimension;
        qint64 value;
        if (readInteger(attributeValue(child, AT_lower_bound), value))
            dimension.lower = value;
        if (readInteger(attributeValue(child, AT_count), value))
            dimension.count = std::max<qint64>(value, 0);
        else if (readInteger(attributeValue(child, AT_upper_bound), value))
            dimension.count = value < dimension.lower ? 0 : value - dimension.lower + 1;
        dimensions.push_back(dimension);
    }
    return !dimensions.empty();
}

// Size of the array's elements seen from dimension firstDimension on: the
// whole array for 0, one row for 1, and so on.
bool DwarfTree::arraySize(const ElfTag *array, std::size_t firstDimension, quint64 &size, int depth) const
{
    std::vector<Dimension> dimensions;
    if (!dimensionsOf(array, dimensions) || !sizeOf(referencedTag(array, AT_type), size, depth + 1))
        return false;
    for (std::size_t i = firstDimension; i < dimensions.size(); ++i) {
        if (dimensions[i].count < 0 || mulOverflow(size, quint64(dimensions[i].count), &size))
            return false;
    }
    return true;
}

bool DwarfTree::sizeOf(const ElfTag *type, quint64 &size, int depth) const
{
    size = 0;
    type = stripQualifiers(const_cast<ElfTag *>(type));
    if (!type || depth > 64)
        return false;
    if (type->tag == TAG_array_type)
        return arraySize(type, 0, size, depth);
    if (type->tag == TAG_member)
        return sizeOf(referencedTag(type, AT_type), size, depth + 1);

    qint64 byteSize;
    const bool hasSize = readInteger(attributeValue(type, AT_byte_size), byteSize) && byteSize >= 0;
    switch (type->tag) {
    case TAG_pointer_type:
        size = hasSize ? quint64(byteSize) : m_pointerSize;
        return true;
    case TAG_base_type:
    case TAG_enumeration_type:
    case TAG_structure_type:
    case TAG_union_type:
    case TAG_class_type:
        size = hasSize ? quint64(byteSize) : 0;
        return hasSize;
    default:
        return false;
    }
}

unsigned int DwarfTree::computeSize(const ElfTag *type) const
{
    quint64 size;
    if (!sizeOf(type, size) || size > 0xFFFFFFFFu)
        return 0;
    return unsigned(size);
}

// The first entry that has the attribute, looked for in the entry itself
// and then along what describes it: the declaration it completes
// (DW_AT_specification) or the abstract entry it is an instance of
// (DW_AT_abstract_origin; link-time optimisation writes globals so, each
// pointing at a definition that points at its declaration).
const ElfTag *DwarfTree::describedBy(const ElfTag *entry, quint32 attribute) const
{
    for (int hops = 0; entry && hops < 8; ++hops) {
        if (*attributeValue(entry, attribute))
            return entry;
        const ElfTag *next = referencedTag(entry, AT_specification);
        entry = next ? next : referencedTag(entry, AT_abstract_origin);
    }
    return nullptr;
}

// The first variable of that name with a static address, searched in the
// units in order. A definition without a name of its own takes the name of
// the entries that describe it.
const ElfTag *DwarfTree::findVariable(std::string_view name, quint64 &address) const
{
    for (const ElfTag *unit = m_root; unit; unit = unit->nextSibling) {
        if (unit->tag != TAG_compile_unit && unit->tag != TAG_partial_unit)
            continue;
        for (const ElfTag *child = unit->firstChild; child; child = child->nextSibling) {
            if (child->tag != TAG_variable)
                continue;
            if (name != attributeValue(describedBy(child, AT_name), AT_name))
                continue;
            if (numberAfter(attributeValue(child, AT_location), "DW_OP_addr: ", true, address, ");"))
                return child;
        }
    }
    return nullptr;
}

// The member of that name, looked up through anonymous structures and
// unions as C does; offset receives its place in aggregate. A member whose
// offset cannot be read leaves offsetKnown false.
const ElfTag *DwarfTree::findMember(const ElfTag *aggregate, std::string_view name, quint64 &offset, int depth,
                                    int &budget) const
{
    for (const ElfTag *child = aggregate->firstChild; child; child = child->nextSibling) {
        if (child->tag != TAG_member || --budget < 0)
            continue;
        const char *memberName = attributeValue(child, AT_name);
        quint64 own;
        if (*memberName) {
            if (name != memberName)
                continue;
            if (!memberOffset(child, own))
                offset = ~quint64(0);
            else
                offset = own;
            return child;
        }
        const ElfTag *inner = stripQualifiers(referencedTag(child, AT_type));
        if (depth >= 16 || !inner || !isAggregate(inner->tag))
            continue;
        quint64 innerOffset;
        if (const ElfTag *found = findMember(inner, name, innerOffset, depth + 1, budget)) {
            const bool known = innerOffset != ~quint64(0) && memberOffset(child, own);
            offset = known ? own + innerOffset : ~quint64(0);
            return found;
        }
    }
    return nullptr;
}

unsigned int DwarfTree::resolve(const char *name, quint64 &address, quint64 &size) const
{
    address = 0;
    size = 0;
    if (!m_root)
        return CLog::NoDwarfInfo;
    if (!name || !*name)
        return CLog::NotFound;
    if (std::strstr(name, "->"))
        return CLog::NotStatic;

    const char *at = name;
    const std::string_view variableName = identifierAt(at);
    quint64 place = 0;
    const ElfTag *variable = variableName.empty() ? nullptr : findVariable(variableName, place);
    if (!variable)
        return CLog::NotFound;
    ElfTag *type = referencedTag(describedBy(variable, AT_type), AT_type);

    // While indices walk an array, array is that array and dimension the
    // next of its dimensions to index.
    const ElfTag *array = nullptr;
    std::vector<Dimension> dimensions;
    std::size_t dimension = 0;

    while (*at) {
        if (!array) {
            type = stripQualifiers(type);
            if (!type)
                return CLog::GeneralError;
        }
        if (*at == '.') {
            ++at;
            const std::string_view memberName = identifierAt(at);
            if (memberName.empty())
                return CLog::NotFound;
            if (array || !isAggregate(type->tag))
                return CLog::GeneralError;
            quint64 offset = 0;
            int budget = 100000;
            const ElfTag *member = findMember(type, memberName, offset, 0, budget);
            if (!member)
                return CLog::NotFound;
            if (isBitfield(member) || offset == ~quint64(0) || addOverflow(place, offset, &place))
                return CLog::GeneralError;
            type = referencedTag(member, AT_type);
        } else if (*at == '[') {
            ++at;
            quint64 index;
            if (!readUnsigned(at, index) || *at != ']')
                return CLog::GeneralError;
            ++at;
            if (!array) {
                if (type->tag != TAG_array_type || !dimensionsOf(type, dimensions))
                    return CLog::GeneralError;
                array = type;
                dimension = 0;
            }
            const Dimension &bounds = dimensions[dimension];
            if (index > quint64(std::numeric_limits<qint64>::max()) || qint64(index) < bounds.lower)
                return CLog::GeneralError;
            const quint64 position = quint64(qint64(index) - bounds.lower);
            if (bounds.count >= 0 && position >= quint64(bounds.count))
                return CLog::GeneralError;
            quint64 stride, step;
            if (!arraySize(array, dimension + 1, stride) || mulOverflow(position, stride, &step)
                || addOverflow(place, step, &place))
                return CLog::GeneralError;
            if (++dimension == dimensions.size()) {
                type = referencedTag(array, AT_type);
                array = nullptr;
            }
        } else {
            return CLog::NotFound;
        }
    }

    quint64 bytes;
    if (!(array ? arraySize(array, dimension, bytes) : sizeOf(type, bytes)))
        return CLog::GeneralError;
    address = place;
    size = bytes;
    return CLog::Success;
}

} // namespace Symscan
