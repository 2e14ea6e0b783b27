#pragma once

#include "symscan_export.h"

#include <QtGlobal>

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// The tree of debugging information entries that readelf prints for
// .debug_info, its name tables, and the resolution of names such as
// "cfg.tab[3].b" to an address and a size.

namespace Symscan {

// Positions in the table of 63 tag names: the DW_TAG_ names from array_type
// (0x01) to template_alias (0x43) in code order, codes without a name left
// out (mutable_type kept after imported_unit), then GNU_call_site and
// GNU_call_site_parameter. TAG_NotFound (63) means "no such name"; past it
// come the later qualifiers the resolver follows as well.
enum eTags : quint32 {
    TAG_array_type = 0,
    TAG_class_type = 1,
    TAG_enumeration_type = 3,
    TAG_member = 8,
    TAG_pointer_type = 9,
    TAG_compile_unit = 11,
    TAG_structure_type = 13,
    TAG_typedef = 15,
    TAG_union_type = 16,
    TAG_subrange_type = 26,
    TAG_base_type = 29,
    TAG_const_type = 31,
    TAG_variable = 45,
    TAG_volatile_type = 46,
    TAG_restrict_type = 48,
    TAG_partial_unit = 53,
    TAG_NotFound = 63,
    TAG_atomic_type = 64,
};

// Positions in the table of 95 attribute names: the DWARF 4 DW_AT_ names
// from sibling (0x01) to linkage_name (0x6e) in code order, the reserved
// subscr_data, element_list and member included, codes without a name left
// out. AT_NotFound (95) means "no such name".
enum eAttributes : quint32 {
    AT_sibling = 0,
    AT_location = 1,
    AT_name = 2,
    AT_byte_size = 5,
    AT_bit_offset = 6,
    AT_bit_size = 7,
    AT_lower_bound = 26,
    AT_upper_bound = 32,
    AT_abstract_origin = 33,
    AT_count = 39,
    AT_data_member_location = 40,
    AT_declaration = 44,
    AT_external = 47,
    AT_specification = 55,
    AT_type = 57,
    AT_data_bit_offset = 91,
    AT_linkage_name = 94,
    AT_NotFound = 95,
};

// One attribute line of an entry.
struct ElfAttribute
{
    quint32 attribute;  // eAttributes
    quint32 offset;     // of the attribute in .debug_info
    const char *value;  // the text after ':', blanks and string-form prefixes
                        // removed; owned by the tree
    ElfAttribute *next; // attributes keep their text order
};

// One debugging information entry.
struct ElfTag
{
    quint32 tag;          // eTags
    quint32 level;        // nesting level, 0 for units
    quint32 offset;       // of the entry in .debug_info
    quint32 abbrevNumber;
    ElfAttribute *attributes;
    ElfTag *firstChild;
    ElfTag *nextSibling;
};

// The compile-unit index: one entry per unit name (compared without regard
// to case); units of the same name are merged into the first.
struct CompileUnitEntry
{
    const char *name;
    ElfTag *unit;
    CompileUnitEntry *next;
};

// Name tables. The lookups take the first "DW_TAG_" / "DW_AT_" name in the
// text as a whole word, so "DW_TAG_variant_part" never reads as variant.
SYMSCAN_EXPORT quint32 tagFromText(const char *text);
SYMSCAN_EXPORT quint32 attributeFromText(const char *text);
SYMSCAN_EXPORT quint32 tagFromName(std::string_view name);       // "DW_TAG_..."
SYMSCAN_EXPORT quint32 attributeFromName(std::string_view name); // "DW_AT_..."
SYMSCAN_EXPORT const char *tagName(quint32 tag);                 // "" past the table
SYMSCAN_EXPORT const char *attributeName(quint32 attribute);     // "" past the table

// The value text of the entry's first attribute of that kind; "" when the
// entry has none (or is null).
SYMSCAN_EXPORT const char *attributeValue(const ElfTag *entry, quint32 attribute);

// Owns every entry, attribute and text of one read. Entries arrive in text
// order through addEntry and addAttribute; finish merges the compile units.
class SYMSCAN_EXPORT DwarfTree
{
public:
    DwarfTree();
    ~DwarfTree();
    DwarfTree(const DwarfTree &) = delete;
    DwarfTree &operator=(const DwarfTree &) = delete;

    // Frees the whole tree.
    void clear();

    // Adds an entry below the last entry of level - 1. Entries of unknown
    // tags are dropped together with everything nested in them, and so is
    // an entry whose parent level was never seen; null for a dropped one.
    ElfTag *addEntry(quint32 level, quint32 offset, quint32 abbrevNumber, quint32 tag);
    // Appends an attribute to the entry added last (nothing when that entry
    // was dropped or closeEntry came in between).
    void addAttribute(quint32 attribute, quint32 offset, const char *value, std::size_t length);
    void closeEntry() { m_current = nullptr; }
    // Merges units of the same name and readies the offset index. pointerSize
    // sizes pointer types that carry no byte size of their own.
    void finish(unsigned pointerSize);

    ElfTag *root() const { return m_root; }
    CompileUnitEntry *units() const { return m_units; }

    // The entry at that .debug_info offset, null when none.
    ElfTag *tagAt(quint64 offset) const;
    ElfTag *compileUnit(const char *name) const;

    // Bytes taken by an object of that type; 0 when it cannot be sized (an
    // unresolved reference, an array without a bound, no byte size).
    unsigned int computeSize(const ElfTag *type) const;

    // Resolves "var", "var.member", "var[3]", "var.m[2][1].f" (a CLog code).
    // address and size are 0 on every failure.
    unsigned int resolve(const char *name, quint64 &address, quint64 &size) const;

private:
    struct Dimension;
    class Arena;

    void mergeCompileUnits();
    void addCompileUnit(const char *name, ElfTag *unit);

    ElfTag *referencedTag(const ElfTag *entry, quint32 attribute) const;
    const ElfTag *describedBy(const ElfTag *entry, quint32 attribute) const;
    ElfTag *stripQualifiers(ElfTag *type) const;
    // depth counts nested element types, so that a type made of itself
    // (only a broken text has one) ends the search.
    bool sizeOf(const ElfTag *type, quint64 &size, int depth = 0) const;
    bool dimensionsOf(const ElfTag *array, std::vector<Dimension> &dimensions) const;
    bool arraySize(const ElfTag *array, std::size_t firstDimension, quint64 &size, int depth = 0) const;
    const ElfTag *findVariable(std::string_view name, quint64 &address) const;
    // budget bounds the members looked at through anonymous members.
    const ElfTag *findMember(const ElfTag *aggregate, std::string_view name, quint64 &offset, int depth,
                             int &budget) const;

    std::unique_ptr<Arena> m_arena;
    ElfTag *m_root = nullptr;
    CompileUnitEntry *m_units = nullptr;
    std::vector<ElfTag *> m_index;      // every kept entry, by offset
    std::vector<ElfTag *> m_levelStack; // last entry kept at each level
    ElfTag *m_current = nullptr;        // receives attribute lines
    ElfAttribute *m_lastAttribute = nullptr;
    qint64 m_skipBelow = -1;            // entries deeper than this are dropped
    bool m_indexSorted = true;
    unsigned m_pointerSize = 4;
};

} // namespace Symscan
