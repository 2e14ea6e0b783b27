#pragma once

#include "clog.h"
#include "dwarftree.h"
#include "symscan_export.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace Symscan {

// How much of a file Read takes in.
enum InfoRange : int {
    RangeSections = 0,  // ELF header and section table
    RangeSymbols = 1,   // also the symbol table
    RangeDebugInfo = 2, // also the .debug_info entry tree
};

// One row of the section table.
struct ElfSection
{
    QByteArray name;
    QByteArray type;
    quint64 address = 0;
    quint64 fileOffset = 0;
    quint64 size = 0;
    QByteArray flags;
};

// One kept row of the .symtab symbol table.
struct ElfSymbol
{
    enum Type : quint16 { File = 1, Func = 3, Object = 4 };
    enum Binding : quint16 { Local = 0, Global = 1, Weak = 2, OtherBinding = 0xFFFF };
    enum Visibility : qint16 { Hidden = 0, Default = 1, OtherVisibility = -1 };

    quint64 value = 0;
    quint64 size = 0;
    quint16 type = Object;
    quint16 binding = OtherBinding;
    qint16 visibility = OtherVisibility;
    QByteArray name;
};

// Reads a firmware ELF file through GNU readelf and answers where a named
// variable, or a member or element of it, lies in target memory and how many
// bytes it takes, as gdb would.
//
// Read starts readelf (Utils/readelf beside the program when present, else
// readelf from PATH) with "-a -wi -wN -- FILE" under LC_ALL=C and parses its
// output from a pipe while it runs. ReadText parses text captured before.
// Every call starts afresh; nothing of an earlier read survives it.
//
// The parsing is in elfreader.cpp; the entry tree and the resolution of names
// in dwarftree.cpp.
class SYMSCAN_EXPORT ELFReader
{
public:
    using ProgressCallback = void (*)(unsigned long percent);

    ELFReader();
    ~ELFReader();
    ELFReader(const ELFReader &) = delete;
    ELFReader &operator=(const ELFReader &) = delete;

    // A CLog code: Success, ExecCommandError (readelf missing, not started,
    // timed out, crashed or failed on an ELF file), CantOpenBinaryFile,
    // NoElfFile.
    unsigned int Read(const char *file, InfoRange range = RangeDebugInfo);
    // Parses readelf output given as text: Success or NoElfFile.
    unsigned int ReadText(const QByteArray &text, InfoRange range = RangeDebugInfo);

    void SetProgressCallback(ProgressCallback callback);
    // The readelf to start instead of the usual search; empty restores it.
    void SetReadelfProgram(const QString &program);
    // The absolute path Read would start; empty when there is none.
    QString ReadelfProgram() const;
    // How long one readelf run may take (60 s unless set).
    void SetTimeout(int milliseconds);

    // Address and size of "var", "var.member", "var[3]", "var.m[2][1].f":
    // Success, NoDwarfInfo (no tree), NotStatic ("->"), NotFound (no such
    // variable or member) or GeneralError (an index past the bound, a
    // bitfield, a member of something that is no structure, a type that
    // cannot be resolved or sized). Address and size are 0 on failure.
    unsigned int GetAddress(const char *name, unsigned long &address, unsigned long &size) const;
    // The same; null pointers are allowed.
    unsigned int GetAddress(const char *name, unsigned long *address, unsigned long *size) const;

    // ---- The entry tree of the last read
    ElfTag *root() const { return m_tree.root(); }
    CompileUnitEntry *units() const { return m_tree.units(); }
    // The entry with that offset, searched depth first from start (its
    // subtree, then its later siblings' subtrees).
    ElfTag *getTagViaLink(ElfTag *start, unsigned long offset) const;
    ElfTag *GetCompileUnit(const char *name) const { return m_tree.compileUnit(name); }
    // Bytes taken by an object of that type; 0 when it cannot be sized.
    unsigned int ComputeSize(const ElfTag *type) const { return m_tree.computeSize(type); }

    static eTags TagStringToEnum(const char *text) { return eTags(tagFromText(text)); }
    static eAttributes AttribStringToEnum(const char *text) { return eAttributes(attributeFromText(text)); }
    static const char *TagEnumToString(eTags tag) { return tagName(tag); }
    static const char *AttribEnumToString(eAttributes attribute) { return attributeName(attribute); }
    static const char *GetAttributeValue(const ElfTag *entry, eAttributes attribute)
    {
        return attributeValue(entry, attribute);
    }

    // ---- What the header, section table and symbol table said
    bool isElf = false;       // the "Magic:" line starts with 7f 45 4c 46
    bool isElf32 = false;     // "Class:" ELF32
    bool littleEndian = false;
    QByteArray osAbi;         // first word of "OS/ABI:"
    QByteArray type;          // first word of "Type:"
    QByteArray machine;       // first word of "Machine:"
    quint32 numSections = 0;  // rows kept in sections
    quint64 entryPoint = 0;
    std::vector<ElfSection> sections;
    std::vector<ElfSymbol> symbols; // FILE rows, and FUNC and OBJECT rows with
                                    // a non-zero value and size, in file order

private:
    enum class Listing { None, Header, SectionTable, Symbols, DebugInfo, Other };
    class LineReader;

    void beginParse(InfoRange range);
    unsigned int finishParse();
    void reset();
    void reportProgress(unsigned long percent);

    void parseLine(char *line, std::size_t length);
    void startListing(const char *line);
    void readHeaderLine(const char *line);
    void readSectionLine(const char *line);
    void readSymbolLine(const char *line, std::size_t length);
    void readDebugInfoLine(const char *line);
    void ReadDebugInfoTag(const char *line);
    void ReadDebugInfoAttribute(const char *line);

    DwarfTree m_tree;
    ProgressCallback m_progress = nullptr;
    QString m_readelfProgram;
    int m_timeout = 60000;

    // Parse state of the current read.
    InfoRange m_range = RangeDebugInfo;
    Listing m_listing = Listing::None;
    ElfSection m_pendingSection; // first line of a two-line (ELF64) row
    bool m_sectionPending = false;
    bool m_symbolTitleSeen = false;
    unsigned long m_symbolRows = 0;
    unsigned long m_symbolsAnnounced = 0;
    long m_lastProgress = -1;
};

} // namespace Symscan
