// The readelf text parser on stored text: a hand-written 32-bit firmware
// listing, output captured from our own fixture (DWARF 5, ELF64), and small
// snippets for the forms readelf prints only now and then.

#include "elfreader.h"

#include <QFile>
#include <QtTest>

using namespace Symscan;

namespace {

QByteArray fixture(const char *name)
{
    QFile file(QStringLiteral(READELF_FIXTURE_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("fixture %s missing", name);
    return file.readAll();
}

// A 32-bit ELF header and a .debug_info listing whose unit holds the base
// types at 0x20 (unsigned int), 0x27 (short unsigned int) and 0x2e
// (unsigned char), followed by entries.
QByteArray withUnit(const QByteArray &entries)
{
    return QByteArray("ELF Header:\n"
                      "  Magic:   7f 45 4c 46 01 01 01 00 00 00 00 00 00 00 00 00 \n"
                      "  Class:                             ELF32\n"
                      "Contents of the .debug_info section:\n"
                      "\n"
                      "  Compilation Unit @ offset 0:\n"
                      "   Version:       4\n"
                      " <0><b>: Abbrev Number: 1 (DW_TAG_compile_unit)\n"
                      "    <c>   DW_AT_name        : t.c\n"
                      " <1><20>: Abbrev Number: 2 (DW_TAG_base_type)\n"
                      "    <21>   DW_AT_byte_size   : 4\n"
                      "    <23>   DW_AT_name        : unsigned int\n"
                      " <1><27>: Abbrev Number: 2 (DW_TAG_base_type)\n"
                      "    <28>   DW_AT_byte_size   : 2\n"
                      "    <2a>   DW_AT_name        : short unsigned int\n"
                      " <1><2e>: Abbrev Number: 2 (DW_TAG_base_type)\n"
                      "    <2f>   DW_AT_byte_size   : 1\n"
                      "    <31>   DW_AT_name        : unsigned char\n")
           + entries;
}

// An entry line and an attribute line as readelf prints them: attribute
// names are padded to 18 columns, so longer ones touch the colon.
QByteArray entry(int level, int offset, const char *tag)
{
    return " <" + QByteArray::number(level) + "><" + QByteArray::number(offset, 16) + ">: Abbrev Number: 7 (" + tag
           + ")\n";
}

QByteArray attribute(const char *name, const QByteArray &value)
{
    return "    <1>   " + QByteArray(name).leftJustified(18, ' ') + ": " + value + "\n";
}

QByteArray typeRef(int offset)
{
    return "<0x" + QByteArray::number(offset, 16) + ">";
}

const QByteArray addressAt100 = "5 byte block: 3 0 1 0 20 \t(DW_OP_addr: 20000100)";

// A variable at 0x20000100 of the type at typeOffset.
QByteArray variable(const char *name, int typeOffset)
{
    return entry(1, 0xf0, "DW_TAG_variable") + attribute("DW_AT_name", name)
           + attribute("DW_AT_type", typeRef(typeOffset)) + attribute("DW_AT_location", addressAt100);
}

// An array type at 0x100 with one subrange of the given bound attributes.
QByteArray arrayOf(int typeOffset, const QByteArray &bounds)
{
    return entry(1, 0x100, "DW_TAG_array_type") + attribute("DW_AT_type", typeRef(typeOffset))
           + entry(2, 0x105, "DW_TAG_subrange_type") + attribute("DW_AT_type", typeRef(0x20)) + bounds;
}

// A structure (or union) type at 0x100 with members given as name, type
// offset and extra attribute lines.
QByteArray aggregate(const char *tag, int byteSize, const QList<QByteArray> &members)
{
    QByteArray text = entry(1, 0x100, tag) + attribute("DW_AT_byte_size", QByteArray::number(byteSize));
    int offset = 0x104;
    for (const QByteArray &member : members)
        text += entry(2, offset++, "DW_TAG_member") + member;
    return text;
}

QByteArray member(const char *name, int typeOffset, const QByteArray &more = QByteArray())
{
    return attribute("DW_AT_name", name) + attribute("DW_AT_type", typeRef(typeOffset)) + more;
}

} // namespace

class tst_ReadelfParse : public QObject
{
    Q_OBJECT

private slots:
    void readsTheHeader();
    void headerNumbers_data();
    void headerNumbers();
    void readsOneLineSectionRows();
    void readsTwoLineSectionRows();
    void skipsRowsWithoutBracket();
    void keepsTheRightSymbolRows();
    void symbolRowForms();
    void rangesStopWhereTheyShould();
    void resolvesFirmwareNames_data();
    void resolvesFirmwareNames();
    void resolvesCapturedDwarf5();
    void debugInfoForms_data();
    void debugInfoForms();
    void deepNestingIsHandled();
    void truncatedOutput_data();
    void truncatedOutput();
    void missingListings();
    void overlongLinesAreDroppedWhole();
    void crlfLineEnds();
    void nameTables();
    void mergesUnitsOfTheSameName();
    void findsEntriesByOffset();
    void readAgainStartsAfresh();
    void nothingBeforeRead();
};

void tst_ReadelfParse::readsTheHeader()
{
    ELFReader reader;
    QCOMPARE(reader.ReadText(fixture("firmware32.txt")), 0u);
    QVERIFY(reader.isElf);
    QVERIFY(reader.isElf32);
    QVERIFY(reader.littleEndian);
    QCOMPARE(reader.osAbi, QByteArray("UNIX"));
    QCOMPARE(reader.type, QByteArray("EXEC"));
    QCOMPARE(reader.machine, QByteArray("ARM"));
    QCOMPARE(reader.entryPoint, quint64(0x8000101));
}

void tst_ReadelfParse::headerNumbers_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<qulonglong>("entryPoint");
    QTest::newRow("hexadecimal") << QByteArray("  Entry point address:               0x1040") << 0x1040ull;
    QTest::newRow("octal") << QByteArray("  Entry point address:               0100") << 64ull;
    QTest::newRow("decimal") << QByteArray("  Entry point address:               4096") << 4096ull;
}

void tst_ReadelfParse::headerNumbers()
{
    QFETCH(QByteArray, line);
    QFETCH(qulonglong, entryPoint);
    ELFReader reader;
    QCOMPARE(reader.ReadText("ELF Header:\n  Magic:   7f 45 4c 46 02 01 01\n" + line + "\n", RangeSections), 0u);
    QCOMPARE(reader.entryPoint, quint64(entryPoint));
}

void tst_ReadelfParse::readsOneLineSectionRows()
{
    ELFReader reader;
    QCOMPARE(reader.ReadText(fixture("firmware32.txt"), RangeSections), 0u);
    QCOMPARE(reader.numSections, 7u); // the null section is left out
    const ElfSection &text = reader.sections.at(0);
    QCOMPARE(text.name, QByteArray(".text"));
    QCOMPARE(text.type, QByteArray("PROGBITS"));
    QCOMPARE(text.address, quint64(0x08000000));
    QCOMPARE(text.fileOffset, quint64(0x10000));
    QCOMPARE(text.size, quint64(0x12a4));
    QCOMPARE(text.flags, QByteArray("AX"));
    const ElfSection &debug = reader.sections.at(3);
    QCOMPARE(debug.name, QByteArray(".debug_info"));
    QCOMPARE(debug.size, quint64(0x400));
    QCOMPARE(debug.flags, QByteArray()); // no flags: one word less
    QCOMPARE(reader.sections.at(6).name, QByteArray(".shstrtab"));
}

void tst_ReadelfParse::readsTwoLineSectionRows()
{
    ELFReader reader;
    QCOMPARE(reader.ReadText(fixture("symbols_dwarf5.txt"), RangeSections), 0u);
    QVERIFY(!reader.isElf32);
    QVERIFY(reader.numSections > 20);
    QCOMPARE(size_t(reader.numSections), reader.sections.size());
    const auto text = std::find_if(reader.sections.begin(), reader.sections.end(),
                                   [](const ElfSection &s) { return s.name == ".text"; });
    QVERIFY(text != reader.sections.end());
    QCOMPARE(text->type, QByteArray("PROGBITS"));
    QVERIFY(text->address != 0 && text->size != 0);
    QCOMPARE(text->flags, QByteArray("AX"));
    // Truncated names keep readelf's mark; rows without flags have none.
    QVERIFY(std::any_of(reader.sections.begin(), reader.sections.end(),
                        [](const ElfSection &s) { return s.name.endsWith("[...]"); }));
    const auto info = std::find_if(reader.sections.begin(), reader.sections.end(),
                                   [](const ElfSection &s) { return s.name == ".debug_info"; });
    QVERIFY(info != reader.sections.end());
    QCOMPARE(info->flags, QByteArray());
}

void tst_ReadelfParse::skipsRowsWithoutBracket()
{
    ELFReader reader;
    const QByteArray text = "ELF Header:\n  Magic:   7f 45 4c 46 01 01 01 00\n  Class: ELF32\n"
                            "Section Headers:\n"
                            "  [Nr] Name              Type            Addr     Off    Size   ES Flg Lk Inf Al\n"
                            "  garbage line 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20\n"
                            "  [ 1] .text             PROGBITS        08000000 010000 0012a4 00  AX  0   0  4\n"
                            "   08000000 010000 0012a4 00  AX  0   0  4\n"
                            "  [ 2] .short            PROGBITS\n"
                            "  [ 3] .bad              PROGBITS        zzzz 010000 0012a4 00  AX  0   0  4\n"
                            "  [ 4] .data             PROGBITS        20000000 020000 000010 00  WA  0   0  4\n";
    QCOMPARE(reader.ReadText(text, RangeSections), 0u);
    QCOMPARE(reader.numSections, 2u);
    QCOMPARE(reader.sections.at(0).name, QByteArray(".text"));
    QCOMPARE(reader.sections.at(1).name, QByteArray(".data"));
}

void tst_ReadelfParse::keepsTheRightSymbolRows()
{
    ELFReader reader;
    QCOMPARE(reader.ReadText(fixture("firmware32.txt"), RangeSymbols), 0u);
    // NOTYPE and the size-0 OBJECT "marker" are dropped.
    QCOMPARE(reader.symbols.size(), size_t(4));
    const ElfSymbol &file = reader.symbols.at(0);
    QCOMPARE(file.name, QByteArray("main.c"));
    QCOMPARE(file.type, quint16(ElfSymbol::File));
    QCOMPARE(file.binding, quint16(ElfSymbol::Local));
    QCOMPARE(file.visibility, qint16(ElfSymbol::Default));
    const ElfSymbol &counter = reader.symbols.at(1);
    QCOMPARE(counter.name, QByteArray("counter"));
    QCOMPARE(counter.value, quint64(0x20000010));
    QCOMPARE(counter.size, quint64(4));
    QCOMPARE(counter.type, quint16(ElfSymbol::Object));
    QCOMPARE(counter.binding, quint16(ElfSymbol::Global));
    const ElfSymbol &main = reader.symbols.at(2);
    QCOMPARE(main.type, quint16(ElfSymbol::Func));
    QCOMPARE(main.visibility, qint16(ElfSymbol::Hidden));
    QCOMPARE(main.size, quint64(20));
    QCOMPARE(reader.symbols.at(3).binding, quint16(ElfSymbol::Weak));
}

void tst_ReadelfParse::symbolRowForms()
{
    ELFReader reader;
    const QByteArray text = "ELF Header:\n  Magic:   7f 45 4c 46 01 01 01 00\n"
                            "Symbol table '.dynsym' contains 1 entry:\n"
                            "   Num:    Value  Size Type    Bind   Vis      Ndx Name\n"
                            "     1: 20000000     4 OBJECT  GLOBAL DEFAULT    3 dynamic_only\n"
                            "\n"
                            "Symbol table '.symtab' contains 3 entries:\n"
                            "   Num:    Value  Size Type    Bind   Vis      Ndx Name\n"
                            "     1: 20000010 0x186a0 OBJECT  GLOBAL DEFAULT    3 huge\n"
                            "     2: 08000201    16 FUNC    GLOBAL DEFAULT [VARIANT_PCS]     1 vector_fn\n"
                            "     3: 20000020     8 OBJECT  LOCAL  PROTECTED    3 guarded\n"
                            "\n";
    QCOMPARE(reader.ReadText(text, RangeSymbols), 0u);
    QCOMPARE(reader.symbols.size(), size_t(3));
    QCOMPARE(reader.symbols.at(0).name, QByteArray("huge"));
    QCOMPARE(reader.symbols.at(0).size, quint64(100000));
    QCOMPARE(reader.symbols.at(1).name, QByteArray("vector_fn"));
    QCOMPARE(reader.symbols.at(2).visibility, qint16(ElfSymbol::OtherVisibility));
}

void tst_ReadelfParse::rangesStopWhereTheyShould()
{
    ELFReader reader;
    unsigned long address, size;
    QCOMPARE(reader.ReadText(fixture("firmware32.txt"), RangeSections), 0u);
    QCOMPARE(reader.numSections, 7u);
    QVERIFY(reader.symbols.empty());
    QCOMPARE(reader.GetAddress("counter", address, size), unsigned(CLog::NoDwarfInfo));

    QCOMPARE(reader.ReadText(fixture("firmware32.txt"), RangeSymbols), 0u);
    QCOMPARE(reader.symbols.size(), size_t(4));
    QVERIFY(!reader.root());

    QCOMPARE(reader.ReadText(fixture("firmware32.txt"), RangeDebugInfo), 0u);
    QVERIFY(reader.root());
}

void tst_ReadelfParse::resolvesFirmwareNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<uint>("code");
    QTest::addColumn<qulonglong>("address");
    QTest::addColumn<qulonglong>("size");
    QTest::newRow("scalar") << QByteArray("counter") << 0u << 0x20000010ull << 4ull;
    QTest::newRow("array element") << QByteArray("buf[3]") << 0u << 0x20000106ull << 2ull;
    QTest::newRow("whole array") << QByteArray("buf") << 0u << 0x20000100ull << 16ull;
    QTest::newRow("last element") << QByteArray("buf[7]") << 0u << 0x2000010eull << 2ull;
    QTest::newRow("past the last element") << QByteArray("buf[8]") << 16u << 0ull << 0ull;
    QTest::newRow("member at DW_OP_plus_uconst") << QByteArray("cfg.mode") << 0u << 0x20000204ull << 4ull;
    QTest::newRow("first member") << QByteArray("cfg.flag") << 0u << 0x20000200ull << 1ull;
    QTest::newRow("structure with padding") << QByteArray("cfg") << 0u << 0x20000200ull << 8ull;
    QTest::newRow("unknown member") << QByteArray("cfg.nosuch") << 3u << 0ull << 0ull;
}

void tst_ReadelfParse::resolvesFirmwareNames()
{
    QFETCH(QByteArray, name);
    QFETCH(uint, code);
    QFETCH(qulonglong, address);
    QFETCH(qulonglong, size);
    ELFReader reader;
    QCOMPARE(reader.ReadText(fixture("firmware32.txt")), 0u);
    unsigned long gotAddress = 1, gotSize = 1;
    QCOMPARE(reader.GetAddress(name.constData(), gotAddress, gotSize), code);
    QCOMPARE(qulonglong(gotAddress), address);
    QCOMPARE(qulonglong(gotSize), size);
}

// Indirect strings and line strings, plain member offsets, an extern
// declaration with its definition, as gcc writes them for DWARF 5.
void tst_ReadelfParse::resolvesCapturedDwarf5()
{
    ELFReader reader;
    QCOMPARE(reader.ReadText(fixture("symbols_dwarf5.txt")), 0u);
    QVERIFY(reader.GetCompileUnit("src/symbols_main.c"));
    QVERIFY(reader.GetCompileUnit("src/symbols_other.c"));
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.GetAddress("counter", address, size), 0u); // via DW_AT_specification
    QCOMPARE(size, 4ul);
    unsigned long tab = 0;
    QCOMPARE(reader.GetAddress("cfg.tab[3].b", tab, size), 0u);
    unsigned long cfg = 0;
    QCOMPARE(reader.GetAddress("cfg", cfg, size), 0u);
    QCOMPARE(tab - cfg, 8ul + 3 * 16 + 4); // tab at 8, 16-byte elements, b at 4
    QCOMPARE(reader.GetAddress("cfg.flags.ready", address, size), unsigned(CLog::GeneralError));
}

void tst_ReadelfParse::debugInfoForms_data()
{
    QTest::addColumn<QByteArray>("entries");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<uint>("code");
    QTest::addColumn<qulonglong>("address");
    QTest::addColumn<qulonglong>("size");

    // array bounds
    const QByteArray counted = arrayOf(0x20, attribute("DW_AT_count", "12")) + variable("arr", 0x100);
    QTest::newRow("DW_AT_count sizes the array") << counted << QByteArray("arr") << 0u << 0x20000100ull << 48ull;
    QTest::newRow("DW_AT_count last index") << counted << QByteArray("arr[11]") << 0u << 0x2000012cull << 4ull;
    QTest::newRow("DW_AT_count past the end") << counted << QByteArray("arr[12]") << 16u << 0ull << 0ull;
    const QByteArray decimal = arrayOf(0x20, attribute("DW_AT_upper_bound", "15")) + variable("arr", 0x100);
    QTest::newRow("upper bound is decimal") << decimal << QByteArray("arr") << 0u << 0x20000100ull << 64ull;
    QTest::newRow("upper bound is inclusive") << decimal << QByteArray("arr[15]") << 0u << 0x2000013cull << 4ull;
    const QByteArray lower = arrayOf(0x20, attribute("DW_AT_lower_bound", "1") + attribute("DW_AT_upper_bound", "4"))
                             + variable("arr", 0x100);
    QTest::newRow("lower bound: first index") << lower << QByteArray("arr[1]") << 0u << 0x20000100ull << 4ull;
    QTest::newRow("lower bound: below it") << lower << QByteArray("arr[0]") << 16u << 0ull << 0ull;
    QTest::newRow("lower bound: size") << lower << QByteArray("arr") << 0u << 0x20000100ull << 16ull;
    const QByteArray unbounded = arrayOf(0x20, QByteArray()) + variable("arr", 0x100);
    QTest::newRow("no bound: element") << unbounded << QByteArray("arr[7]") << 0u << 0x2000011cull << 4ull;
    QTest::newRow("no bound: no size") << unbounded << QByteArray("arr") << 16u << 0ull << 0ull;
    const QByteArray noSubrange = entry(1, 0x100, "DW_TAG_array_type") + attribute("DW_AT_type", typeRef(0x20))
                                  + variable("arr", 0x100);
    QTest::newRow("array without subrange") << noSubrange << QByteArray("arr[0]") << 16u << 0ull << 0ull;

    // attributes and tags outside the tables
    const QByteArray unknownAttributes = entry(1, 0xf0, "DW_TAG_variable") + attribute("DW_AT_name", "aligned_var")
                                         + attribute("DW_AT_alignment", "16")
                                         + "    <f6>   Unknown AT value: 2137: 1\n"
                                         + attribute("DW_AT_GNU_locviews", "0x10")
                                         + attribute("DW_AT_type", typeRef(0x27))
                                         + attribute("DW_AT_location", addressAt100);
    QTest::newRow("unknown attributes keep the entry")
        << unknownAttributes << QByteArray("aligned_var") << 0u << 0x20000100ull << 2ull;
    const QByteArray unknownTag = aggregate("DW_TAG_structure_type", 4,
                                            {member("lo", 0x27, attribute("DW_AT_data_member_location", "0"))})
                                  + entry(1, 0x108, "DW_TAG_call_site") + attribute("DW_AT_call_return_pc", "0x1234")
                                  + entry(2, 0x10a, "DW_TAG_member")
                                  + member("hi", 0x27, attribute("DW_AT_data_member_location", "2"))
                                  + entry(3, 0x10e, "DW_TAG_member") + attribute("DW_AT_name", "deeper")
                                  + variable("p", 0x100);
    QTest::newRow("unknown tag: later entries still read") << unknownTag << QByteArray("p.lo") << 0u << 0x20000100ull << 2ull;
    QTest::newRow("unknown tag: its children are not linked elsewhere")
        << unknownTag << QByteArray("p.hi") << 3u << 0ull << 0ull;
    const QByteArray levelJump = entry(3, 0x100, "DW_TAG_variable") + member("orphan", 0x20)
                                 + attribute("DW_AT_location", addressAt100) + variable("after", 0x20);
    QTest::newRow("entry without a parent level is dropped") << levelJump << QByteArray("orphan") << 3u << 0ull << 0ull;
    QTest::newRow("entries after a dropped one are read") << levelJump << QByteArray("after") << 0u << 0x20000100ull << 4ull;

    // extern declarations
    const QByteArray declaration = entry(1, 0x100, "DW_TAG_variable") + member("ticks", 0x20)
                                   + attribute("DW_AT_external", "1") + attribute("DW_AT_declaration", "1");
    const QByteArray definition = entry(1, 0x10a, "DW_TAG_variable") + attribute("DW_AT_specification", typeRef(0x100))
                                  + attribute("DW_AT_location", "5 byte block: 3 40 0 0 20 \t(DW_OP_addr: 20000040)");
    QTest::newRow("definition through DW_AT_specification")
        << declaration + definition << QByteArray("ticks") << 0u << 0x20000040ull << 4ull;
    QTest::newRow("declaration alone") << declaration << QByteArray("ticks") << 3u << 0ull << 0ull;
    const QByteArray abstract = entry(1, 0x100, "DW_TAG_variable") + member("shared", 0x27);
    const QByteArray concrete = entry(1, 0x10a, "DW_TAG_variable") + attribute("DW_AT_abstract_origin", typeRef(0x100))
                                + attribute("DW_AT_location", "5 byte block: 3 40 0 0 20 \t(DW_OP_addr: 20000040)");
    QTest::newRow("instance of an abstract entry (link-time optimisation)")
        << abstract + concrete << QByteArray("shared") << 0u << 0x20000040ull << 2ull;

    // types
    QTest::newRow("unresolved type reference") << variable("lost", 0x999) << QByteArray("lost") << 16u << 0ull << 0ull;
    const QByteArray noType = entry(1, 0xf0, "DW_TAG_variable") + attribute("DW_AT_name", "untyped")
                              + attribute("DW_AT_location", addressAt100);
    QTest::newRow("variable without type") << noType << QByteArray("untyped") << 16u << 0ull << 0ull;
    const QByteArray brokenMember = aggregate("DW_TAG_structure_type", 4, {member("gone", 0x777)}) + variable("holder", 0x100);
    QTest::newRow("member of unresolved type") << brokenMember << QByteArray("holder.gone") << 16u << 0ull << 0ull;
    const QByteArray unionType = aggregate("DW_TAG_union_type", 4, {member("byte", 0x2e), member("word", 0x20)})
                                 + variable("u", 0x100);
    QTest::newRow("union takes its byte size") << unionType << QByteArray("u") << 0u << 0x20000100ull << 4ull;
    QTest::newRow("union member without offset") << unionType << QByteArray("u.word") << 0u << 0x20000100ull << 4ull;
    const QByteArray qualified = entry(1, 0x100, "DW_TAG_typedef") + member("reg_t", 0x108)
                                 + entry(1, 0x108, "DW_TAG_const_type") + attribute("DW_AT_type", typeRef(0x110))
                                 + entry(1, 0x110, "DW_TAG_volatile_type") + attribute("DW_AT_type", typeRef(0x118))
                                 + entry(1, 0x118, "DW_TAG_atomic_type") + attribute("DW_AT_type", typeRef(0x27))
                                 + variable("reg", 0x100);
    QTest::newRow("typedef, const, volatile and atomic followed")
        << qualified << QByteArray("reg") << 0u << 0x20000100ull << 2ull;
    const QByteArray pointer = entry(1, 0x100, "DW_TAG_pointer_type") + attribute("DW_AT_type", typeRef(0x20))
                               + variable("ptr", 0x100);
    QTest::newRow("pointer without byte size, 32-bit file") << pointer << QByteArray("ptr") << 0u << 0x20000100ull << 4ull;
    QTest::newRow("pointer not followed") << pointer << QByteArray("ptr[0]") << 16u << 0ull << 0ull;

    // bitfields in both DWARF forms
    const QByteArray bits = aggregate("DW_TAG_structure_type", 4,
                                      {member("old", 0x20,
                                              attribute("DW_AT_byte_size", "4") + attribute("DW_AT_bit_size", "1")
                                                  + attribute("DW_AT_bit_offset", "31")
                                                  + attribute("DW_AT_data_member_location", "0")),
                                       member("new", 0x20,
                                              attribute("DW_AT_bit_size", "3") + attribute("DW_AT_data_bit_offset", "1"))})
                            + variable("flags", 0x100);
    QTest::newRow("DWARF 4 bitfield") << bits << QByteArray("flags.old") << 16u << 0ull << 0ull;
    QTest::newRow("DWARF 5 bitfield") << bits << QByteArray("flags.new") << 16u << 0ull << 0ull;
    QTest::newRow("structure of bitfields") << bits << QByteArray("flags") << 0u << 0x20000100ull << 4ull;

    // a location that is no static address
    const QByteArray threadLocal = entry(1, 0xf0, "DW_TAG_variable") + member("per_thread", 0x20)
                                   + attribute("DW_AT_location", "10 byte block: e 0 0 0 0 0 0 0 0 e0 \t"
                                                                 "(DW_OP_const8u: 0 0; DW_OP_GNU_push_tls_address)");
    QTest::newRow("thread-local variable") << threadLocal << QByteArray("per_thread") << 3u << 0ull << 0ull;
}

void tst_ReadelfParse::debugInfoForms()
{
    QFETCH(QByteArray, entries);
    QFETCH(QByteArray, name);
    QFETCH(uint, code);
    QFETCH(qulonglong, address);
    QFETCH(qulonglong, size);
    ELFReader reader;
    QCOMPARE(reader.ReadText(withUnit(entries)), 0u);
    unsigned long gotAddress = 1, gotSize = 1;
    QCOMPARE(reader.GetAddress(name.constData(), gotAddress, gotSize), code);
    QCOMPARE(qulonglong(gotAddress), address);
    QCOMPARE(qulonglong(gotSize), size);
}

// Lexical blocks nested far deeper than any fixed stack, then a unit-level
// variable: the tree keeps every level and the variable is found.
void tst_ReadelfParse::deepNestingIsHandled()
{
    QByteArray entries = entry(1, 0x100, "DW_TAG_subprogram") + attribute("DW_AT_name", "f");
    const int depth = 300;
    for (int level = 2; level <= depth; ++level)
        entries += entry(level, 0x100 + level, "DW_TAG_lexical_block");
    entries += entry(depth + 1, 0x900, "DW_TAG_variable") + attribute("DW_AT_name", "innermost");
    entries += variable("outer", 0x20);
    ELFReader reader;
    QCOMPARE(reader.ReadText(withUnit(entries)), 0u);
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.GetAddress("outer", address, size), 0u);
    ElfTag *innermost = reader.getTagViaLink(reader.root(), 0x900);
    QVERIFY(innermost);
    QCOMPARE(innermost->level, quint32(depth + 1));
    QCOMPARE(QByteArray(ELFReader::GetAttributeValue(innermost, AT_name)), QByteArray("innermost"));
}

void tst_ReadelfParse::truncatedOutput_data()
{
    QTest::addColumn<int>("cut");
    const QByteArray text = fixture("firmware32.txt");
    QTest::newRow("inside the magic line") << 30;
    QTest::newRow("inside a section row") << text.indexOf(".data") + 3;
    QTest::newRow("inside a symbol row") << text.indexOf("GLOBAL DEFAULT    3 counter") + 10;
    QTest::newRow("inside an entry line") << text.indexOf("<1><8a>") + 4;
    QTest::newRow("inside an attribute line") << text.indexOf("DW_OP_addr: 20000200") + 13;
    QTest::newRow("inside the last location") << text.indexOf("DW_OP_addr: 20000200") + 18;
    QTest::newRow("before the last line end") << text.indexOf("DW_OP_addr: 20000200") + 21;
    QTest::newRow("after the last location") << text.indexOf("DW_OP_addr: 20000200") + 22;
}

// Text that ends anywhere gives what was complete, never more.
void tst_ReadelfParse::truncatedOutput()
{
    QFETCH(int, cut);
    const QByteArray text = fixture("firmware32.txt").left(cut);
    ELFReader reader;
    const unsigned int result = reader.ReadText(text);
    if (!text.contains("7f 45 4c 46")) {
        QCOMPARE(result, unsigned(CLog::NoElfFile));
        return;
    }
    QCOMPARE(result, 0u);
    unsigned long address = 0, size = 0;
    const unsigned int counter = reader.GetAddress("counter", address, size);
    if (text.contains("DW_OP_addr: 20000010)"))
        QCOMPARE(counter, 0u);
    else
        QVERIFY(counter != 0);
    // A location cut inside its number is no address; neither is a last
    // line without its line end.
    const unsigned int cfg = reader.GetAddress("cfg", address, size);
    QCOMPARE(cfg == 0, text.contains("(DW_OP_addr: 20000200)\n"));
}

void tst_ReadelfParse::missingListings()
{
    ELFReader reader;
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.ReadText(QByteArray()), unsigned(CLog::NoElfFile));
    QCOMPARE(reader.ReadText("readelf: Error: Not an ELF file - it has the wrong magic bytes at the start\n"),
             unsigned(CLog::NoElfFile));

    // No section table and no symbols: the entry tree alone.
    QCOMPARE(reader.ReadText(withUnit(variable("alone", 0x20))), 0u);
    QCOMPARE(reader.numSections, 0u);
    QCOMPARE(reader.GetAddress("alone", address, size), 0u);

    // Header and sections only: no tree.
    const QByteArray text = fixture("firmware32.txt");
    QCOMPARE(reader.ReadText(text.left(text.indexOf("Contents of the .debug_info"))), 0u);
    QCOMPARE(reader.numSections, 7u);
    QCOMPARE(reader.GetAddress("counter", address, size), unsigned(CLog::NoDwarfInfo));
}

// A line longer than the reader takes is dropped, not cut: a name that was
// cut could match another variable.
void tst_ReadelfParse::overlongLinesAreDroppedWhole()
{
    const QByteArray longName = "counter" + QByteArray(2 << 20, 'x');
    const QByteArray entries = entry(1, 0xf0, "DW_TAG_variable") + member(longName.constData(), 0x20)
                               + attribute("DW_AT_location", addressAt100) + variable("next", 0x27);
    ELFReader reader;
    QCOMPARE(reader.ReadText(withUnit(entries)), 0u);
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.GetAddress("counter", address, size), unsigned(CLog::NotFound));
    QCOMPARE(reader.GetAddress(longName.constData(), address, size), unsigned(CLog::NotFound));
    QCOMPARE(reader.GetAddress("next", address, size), 0u);
    QCOMPARE(size, 2ul);
}

void tst_ReadelfParse::crlfLineEnds()
{
    QByteArray text = fixture("firmware32.txt");
    text.replace("\n", "\r\n");
    ELFReader reader;
    QCOMPARE(reader.ReadText(text), 0u);
    QCOMPARE(reader.numSections, 7u);
    QCOMPARE(reader.sections.at(0).flags, QByteArray("AX"));
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.GetAddress("buf[3]", address, size), 0u);
    QCOMPARE(address, 0x20000106ul);
}

void tst_ReadelfParse::nameTables()
{
    // The positions the resolver relies on.
    const std::pair<const char *, int> tags[] = {
        {"DW_TAG_array_type", 0},  {"DW_TAG_enumeration_type", 3}, {"DW_TAG_member", 8},
        {"DW_TAG_pointer_type", 9}, {"DW_TAG_compile_unit", 11},  {"DW_TAG_structure_type", 13},
        {"DW_TAG_typedef", 15},    {"DW_TAG_union_type", 16},      {"DW_TAG_subrange_type", 26},
        {"DW_TAG_base_type", 29},  {"DW_TAG_variable", 45},        {"DW_TAG_volatile_type", 46},
        {"DW_TAG_mutable_type", 55}, {"DW_TAG_GNU_call_site_parameter", 62},
    };
    for (const auto &[name, position] : tags) {
        QCOMPARE(int(ELFReader::TagStringToEnum(name)), position);
        QCOMPARE(QByteArray(ELFReader::TagEnumToString(eTags(position))), QByteArray(name));
    }
    const std::pair<const char *, int> attributes[] = {
        {"DW_AT_sibling", 0},      {"DW_AT_location", 1}, {"DW_AT_name", 2},
        {"DW_AT_byte_size", 5},    {"DW_AT_upper_bound", 32}, {"DW_AT_data_member_location", 40},
        {"DW_AT_external", 47},    {"DW_AT_type", 57},    {"DW_AT_linkage_name", 94},
    };
    for (const auto &[name, position] : attributes) {
        QCOMPARE(int(ELFReader::AttribStringToEnum(name)), position);
        QCOMPARE(QByteArray(ELFReader::AttribEnumToString(eAttributes(position))), QByteArray(name));
    }
    // Whole names inside a line; one name that starts another is not it.
    QCOMPARE(int(ELFReader::TagStringToEnum(" <1><2d>: Abbrev Number: 2 (DW_TAG_variable)")), 45);
    QCOMPARE(int(ELFReader::TagStringToEnum("DW_TAG_variant_part")), 44);
    QCOMPARE(int(ELFReader::TagStringToEnum("DW_TAG_GNU_call_site_parameter")), 62);
    QCOMPARE(int(ELFReader::AttribStringToEnum("    <2e>   DW_AT_namelist_item : 1")), 52);
    QCOMPARE(int(ELFReader::AttribStringToEnum("DW_AT_data_member_location: 4")), 40);
    // Outside the tables.
    QCOMPARE(int(ELFReader::TagStringToEnum("DW_TAG_call_site")), 63);
    QCOMPARE(int(ELFReader::TagStringToEnum("no tag here")), 63);
    QCOMPARE(int(ELFReader::AttribStringToEnum("DW_AT_alignment")), 95);
    QCOMPARE(int(ELFReader::AttribStringToEnum("")), 95);
    QCOMPARE(QByteArray(ELFReader::AttribEnumToString(AT_NotFound)), QByteArray());
}

void tst_ReadelfParse::mergesUnitsOfTheSameName()
{
    const QByteArray second = "  Compilation Unit @ offset 0x200:\n" + entry(0, 0x20b, "DW_TAG_compile_unit")
                              + attribute("DW_AT_name", "(indirect line string, offset: 0x8): T.C")
                              + entry(1, 0x220, "DW_TAG_variable") + member("later", 0x2e)
                              + attribute("DW_AT_location", "5 byte block: 3 0 3 0 20 \t(DW_OP_addr: 20000300)")
                              + "  Compilation Unit @ offset 0x300:\n" + entry(0, 0x30b, "DW_TAG_compile_unit")
                              + attribute("DW_AT_name", "other.c");
    ELFReader reader;
    QCOMPARE(reader.ReadText(withUnit(variable("first", 0x20) + second)), 0u);
    ElfTag *unit = reader.root();
    QVERIFY(unit);
    QCOMPARE(QByteArray(ELFReader::GetAttributeValue(unit, AT_name)), QByteArray("t.c"));
    QVERIFY(unit->nextSibling);
    QCOMPARE(QByteArray(ELFReader::GetAttributeValue(unit->nextSibling, AT_name)), QByteArray("other.c"));
    QVERIFY(!unit->nextSibling->nextSibling);
    QCOMPARE(reader.GetCompileUnit("T.c"), unit);
    QVERIFY(reader.GetCompileUnit("OTHER.C"));
    QVERIFY(!reader.GetCompileUnit("missing.c"));

    ElfTag *last = unit->firstChild;
    while (last->nextSibling)
        last = last->nextSibling;
    QCOMPARE(QByteArray(ELFReader::GetAttributeValue(last, AT_name)), QByteArray("later"));
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.GetAddress("later", address, size), 0u);
    QCOMPARE(address, 0x20000300ul);
}

void tst_ReadelfParse::findsEntriesByOffset()
{
    ELFReader reader;
    QCOMPARE(reader.ReadText(fixture("firmware32.txt")), 0u);
    ElfTag *array = reader.getTagViaLink(reader.root(), 0x46);
    QVERIFY(array);
    QCOMPARE(array->tag, quint32(TAG_array_type));
    QVERIFY(array->firstChild);
    QCOMPARE(array->firstChild->tag, quint32(TAG_subrange_type));
    QCOMPARE(reader.ComputeSize(array), 16u);
    QVERIFY(!reader.getTagViaLink(reader.root(), 0x47)); // an attribute's offset
    QVERIFY(!reader.getTagViaLink(nullptr, 0x46));
    QCOMPARE(QByteArray(ELFReader::GetAttributeValue(array, AT_name)), QByteArray());
}

void tst_ReadelfParse::readAgainStartsAfresh()
{
    ELFReader reader;
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.ReadText(fixture("firmware32.txt")), 0u);
    QCOMPARE(reader.GetAddress("counter", address, size), 0u);
    QCOMPARE(reader.ReadText(withUnit(variable("replacement", 0x20))), 0u);
    QCOMPARE(reader.GetAddress("counter", address, size), unsigned(CLog::NotFound));
    QCOMPARE(reader.GetAddress("replacement", address, size), 0u);
    QVERIFY(reader.symbols.empty());
    QCOMPARE(reader.ReadText("not readelf output\n"), unsigned(CLog::NoElfFile));
    QCOMPARE(reader.GetAddress("replacement", address, size), unsigned(CLog::NoDwarfInfo));
    QVERIFY(!reader.isElf);
}

void tst_ReadelfParse::nothingBeforeRead()
{
    ELFReader reader;
    unsigned long address = 1, size = 1;
    QCOMPARE(reader.GetAddress("counter", address, size), unsigned(CLog::NoDwarfInfo));
    QCOMPARE(address, 0ul);
    QCOMPARE(size, 0ul);
    QVERIFY(!reader.root());
    QVERIFY(!reader.units());
}

QTEST_APPLESS_MAIN(tst_ReadelfParse)
#include "tst_readelfparse.moc"
