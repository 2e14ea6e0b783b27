// Mutated readelf output and SVD text for Symscan's parsers, run under
// AddressSanitizer and UndefinedBehaviorSanitizer. Seeds are readelf output
// captured from our own fixture, a hand-written 32-bit listing and real SVD
// files. A fixed seed keeps every run the same; the counts keep it to a few
// seconds.

#include "elfreader.h"
#include "svdreader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using namespace Symscan;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // The shared SVD fixtures may be missing beside a bare checkout.
        qWarning("missing seed %s", qPrintable(path));
        return QByteArray();
    }
    return file.readAll();
}

// Pieces that mean something to the parsers, spliced in at random.
const char *const readelfPieces[] = {
    " <1><2d>: Abbrev Number: 2 (DW_TAG_variable)\n",
    " <99999999999><fffffffffffffffff>: Abbrev Number: 7 (DW_TAG_member)\n",
    " <2><30>: Abbrev Number: 0\n",
    " <4294967295><1>: Abbrev Number: 1 (DW_TAG_array_type)\n",
    " <1><40>: Abbrev Number: 3 (DW_TAG_no_such_tag)\n",
    "    <2e>   DW_AT_name        : counter\n",
    "    <2e>   DW_AT_name        : (indirect string, offset: 0x",
    "    <2e>   DW_AT_name        : (indirect line string, offset: 0): )\n",
    "    <31>   DW_AT_type        : <0x2d>\n",
    "    <31>   DW_AT_type        : <0x",
    "    <35>   DW_AT_location    : 5 byte block: 3 10 0 0 20 \t(DW_OP_addr: ffffffffffffffffff)\n",
    "    <35>   DW_AT_data_member_location: -5\n",
    "    <35>   DW_AT_data_member_location: 2 byte block: 23 4 \t(DW_OP_plus_uconst: 99999999999999999999)\n",
    "    <38>   DW_AT_upper_bound : 18446744073709551615\n",
    "    <38>   DW_AT_upper_bound : -3\n",
    "    <38>   DW_AT_count       : 0xffffffffffffffff\n",
    "    <38>   DW_AT_lower_bound : 9223372036854775807\n",
    "    <3a>   DW_AT_byte_size   : 0x7fffffffffffffff\n",
    "    <3a>   DW_AT_specification: <0x2d>\n",
    "    <3b>   Unknown AT value: 2137: 1\n",
    "    <3c>   DW_AT_bit_size    : 3\n",
    "Contents of the .debug_info section:\n",
    "Section Headers:\n",
    "  [ 1] .text             PROGBITS        08000000 010000 0012a4 00  AX  0   0  4\n",
    "  [ 2] .x                PROGBITS         0000000000001040  00001040\n",
    "       00000000000000ff  0000000000000000  AX       0     0     16\n",
    "Symbol table '.symtab' contains 99999999999999999999 entries:\n",
    "    12: 20000010 0xffffffffffffffffff OBJECT  GLOBAL DEFAULT [ 3 counter\n",
    "ELF Header:\n  Magic:   7f 45 4c 46\n  Number of section headers:         0 (99999999999)\n",
    "  Entry point address:               0777777777777777777777777\n",
    "\r\n",
    "\n\n\n",
};

const char *const svdPieces[] = {
    "<peripheral derivedFrom=\"TIMER0\"><name>TIMER0</name></peripheral>",
    "<register derivedFrom=\"CR\"><name>CR</name></register>",
    "<cluster><dim>65536</dim><dimIncrement>4</dimIncrement><name>C[%s]</name>"
    "<cluster><dim>65536</dim><name>D[%s]</name><register><name>R</name></register></cluster></cluster>",
    "<dim>4294967295</dim>",
    "<dimIndex>5-2</dimIndex>",
    "<dimIndex>,,,</dimIndex>",
    "<bitRange>[99999999999:0]</bitRange>",
    "<bitOffset>4294967295</bitOffset><bitWidth>4294967295</bitWidth>",
    "<value>#xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx1</value>",
    "<addressOffset>0xFFFFFFFF</addressOffset>",
    "<baseAddress>0x1FFFFFFFF</baseAddress>",
    "stray text",
    "<![CDATA[data]]>",
    "<!-- comment -->",
    // Arrays of peripherals and fields, derivations by an array's name,
    // further registers elements, number forms, enumerated value blocks.
    "<peripheral><dim>65536</dim><dimIncrement>4</dimIncrement><name>P[%s]</name><registers><register>"
    "<dim>65536</dim><name>R%s</name><fields><field><dim>65536</dim><name>F%s</name></field></fields>"
    "</register></registers></peripheral>",
    "<peripheral><dim>3</dim><dimIndex>A-Z</dimIndex><name>U%s</name></peripheral>",
    "<peripheral derivedFrom=\"U[%s]\"><name>V</name></peripheral>",
    "<field><dim>65536</dim><name>F</name><bitOffset>0</bitOffset></field>",
    "<field><dim>4</dim><dimIncrement>4294967295</dimIncrement><name>G[%s]</name><bitOffset>4294967295</bitOffset></field>",
    "<register derivedFrom=\"R%s\"><dim>2</dim><name>Q%s</name></register>",
    "<registers><register><name>CR</name></register></registers>",
    "<enumeratedValues derivedFrom=\"A\"><name>A</name></enumeratedValues>",
    "<enumeratedValues derivedFrom=\"TIMER0.CR.F.B\"><name>B</name><usage>write</usage></enumeratedValues>",
    "<enumeratedValues><name>B</name><usage>read</usage><enumeratedValue><name>W</name>"
    "<value>#xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx</value></enumeratedValue></enumeratedValues>",
    "<value>0b1x1x</value>", "<value>+0x1F</value>", "<value>++1</value>", "<isDefault>true</isDefault>",
    "<usage>read</usage>", "<dimIndex>Z-A</dimIndex>",
};

// Names asked of every parsed tree: valid ones of the seeds, broken forms.
const char *const probeNames[] = {
    "counter", "buf[3]", "cfg.mode", "cfg", "cfg.tab[3].b", "cfg.tab[11].c[2]", "grid[2][4][1]",
    "anon_holder.hi", "qualified_table[1][2]", "cfg.flags.ready", "samples[100]", "path[10].y",
    "cfg.", "cfg..mode", "[3]", "cfg[", "cfg[99999999999999999999999]", "cfg[0x]", "a->b", "",
};

class Fuzzer
{
public:
    explicit Fuzzer(quint32 seed) : m_random(seed) {}

    int below(int n) { return n <= 0 ? 0 : int(m_random.bounded(quint32(n))); }

    template <std::size_t N>
    QByteArray piece(const char *const (&pieces)[N])
    {
        return QByteArray(pieces[below(int(N))]);
    }

    QByteArray randomBytes(int maxLength)
    {
        QByteArray bytes;
        const int length = below(maxLength + 1);
        for (int i = 0; i < length; ++i)
            bytes.append(char(below(256)));
        return bytes;
    }

    // Byte and line changes: cut, splice, duplicate, swap, flip digits.
    template <std::size_t N>
    QByteArray mutate(QByteArray text, const char *const (&pieces)[N])
    {
        const int steps = 1 + below(8);
        for (int s = 0; s < steps; ++s) {
            const int at = below(text.size() + 1);
            switch (below(9)) {
            case 0:
                text.insert(at, piece(pieces));
                break;
            case 1:
                text.remove(at, 1 + below(200));
                break;
            case 2:
                text.insert(at, randomBytes(8));
                break;
            case 3: { // duplicate a run of lines somewhere else
                const QByteArray run = text.mid(below(text.size()), below(2000));
                text.insert(below(text.size() + 1), run);
                break;
            }
            case 4: { // replace a digit run with an extreme number
                const char *const numbers[] = {"0", "4294967295", "18446744073709551615", "99999999999999999999999",
                                               "-1", "ffffffffffffffffff"};
                int digit = at;
                while (digit < text.size() && !(text.at(digit) >= '0' && text.at(digit) <= '9'))
                    ++digit;
                int end = digit;
                while (end < text.size() && text.at(end) >= '0' && text.at(end) <= '9')
                    ++end;
                if (digit < text.size())
                    text.replace(digit, end - digit, numbers[below(int(std::size(numbers)))]);
                break;
            }
            case 5:
                text.truncate(at);
                break;
            case 6:
                if (at < text.size())
                    text[at] = char(text.at(at) ^ (1 << below(8)));
                break;
            case 7:
                text.insert(at, QByteArray(below(3) == 0 ? (1 << 20) + 10 : below(3000), char('a' + below(26))));
                break;
            default:
                text.insert(at, '\n');
                break;
            }
        }
        return text;
    }

private:
    QRandomGenerator m_random;
};

// Touches everything a reader built, so the sanitizers see every record.
void exercise(const ELFReader &reader, Fuzzer &fuzzer)
{
    unsigned long address = 0, size = 0;
    for (const char *name : probeNames) {
        const unsigned int result = reader.GetAddress(name, address, size);
        QVERIFY(result == 0 || (address == 0 && size == 0));
        QVERIFY(result <= CLog::GeneralError);
    }
    const QByteArray random = fuzzer.randomBytes(40);
    reader.GetAddress(random.constData(), address, size);
    int visited = 0;
    for (ElfTag *unit = reader.root(); unit && visited < 100000; unit = unit->nextSibling) {
        for (ElfTag *child = unit->firstChild; child && visited < 100000; child = child->nextSibling, ++visited) {
            reader.ComputeSize(child);
            for (const ElfAttribute *attribute = child->attributes; attribute; attribute = attribute->next)
                QVERIFY(attribute->value);
        }
    }
    reader.getTagViaLink(reader.root(), (unsigned long)fuzzer.below(0x2000));
    for (CompileUnitEntry *entry = reader.units(); entry; entry = entry->next)
        QCOMPARE(reader.GetCompileUnit(entry->name) != nullptr, true);
    for (const ElfSection &section : reader.sections)
        QVERIFY(section.name.size() >= 0);
}

} // namespace

class fuzz_Symscan : public QObject
{
    Q_OBJECT

private slots:
    void readelfText();
    void readelfLevelsAndReferences();
    void svdText();
};

void fuzz_Symscan::readelfText()
{
    const QByteArray seeds[] = {
        readFile(QStringLiteral(READELF_FIXTURE_DIR "/symbols_dwarf5.txt")),
        readFile(QStringLiteral(READELF_FIXTURE_DIR "/firmware32.txt")),
    };
    Fuzzer fuzzer(0x5eed0001);
    ELFReader reader; // reused: every read replaces the last one's tree
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < 2000; ++round) {
        const QByteArray text = fuzzer.mutate(seeds[round % 2], readelfPieces);
        const unsigned int result = reader.ReadText(text, InfoRange(fuzzer.below(3)));
        QVERIFY(result == CLog::Success || result == CLog::NoElfFile);
        exercise(reader, fuzzer);
    }
    qInfo("%lld ms", timer.elapsed());
}

// Entry lines with random levels and references among each other: cycles,
// self-reference, parents missing, children of dropped entries.
void fuzz_Symscan::readelfLevelsAndReferences()
{
    const char *const tags[] = {"DW_TAG_structure_type", "DW_TAG_union_type", "DW_TAG_member", "DW_TAG_array_type",
                                "DW_TAG_subrange_type", "DW_TAG_typedef", "DW_TAG_const_type", "DW_TAG_variable",
                                "DW_TAG_base_type", "DW_TAG_pointer_type", "DW_TAG_compile_unit", "DW_TAG_call_site",
                                "DW_TAG_atomic_type", "DW_TAG_lexical_block"};
    Fuzzer fuzzer(0x5eed0002);
    ELFReader reader;
    for (int round = 0; round < 1500; ++round) {
        QByteArray text = "ELF Header:\n  Magic:   7f 45 4c 46 01\n  Class: ELF32\nContents of the .debug_info section:\n"
                          " <0><0>: Abbrev Number: 1 (DW_TAG_compile_unit)\n    <1>   DW_AT_name        : t.c\n";
        const int entries = 1 + fuzzer.below(60);
        int level = 1;
        for (int e = 1; e <= entries; ++e) {
            level = std::max(0, level + fuzzer.below(4) - 1);
            const int offset = e * 16;
            text += " <" + QByteArray::number(level) + "><" + QByteArray::number(offset, 16) + ">: Abbrev Number: 2 ("
                    + tags[fuzzer.below(int(std::size(tags)))] + ")\n";
            const int attributes = fuzzer.below(5);
            for (int a = 0; a < attributes; ++a) {
                const QByteArray target = QByteArray::number(fuzzer.below(entries + 2) * 16, 16);
                switch (fuzzer.below(7)) {
                case 0:
                    text += "    <1>   DW_AT_type        : <0x" + target + ">\n";
                    break;
                case 1:
                    text += "    <1>   DW_AT_name        : " + QByteArray(fuzzer.below(2) ? "v" : "m") + "\n";
                    break;
                case 2:
                    text += "    <1>   DW_AT_location    : 5 byte block: 3 \t(DW_OP_addr: " + target + ")\n";
                    break;
                case 3:
                    text += "    <1>   DW_AT_upper_bound : " + QByteArray::number(fuzzer.below(20) - 2) + "\n";
                    break;
                case 4:
                    text += "    <1>   DW_AT_byte_size   : " + QByteArray::number(fuzzer.below(9)) + "\n";
                    break;
                case 5:
                    text += "    <1>   DW_AT_data_member_location: " + QByteArray::number(fuzzer.below(9)) + "\n";
                    break;
                default:
                    text += "    <1>   DW_AT_specification: <0x" + target + ">\n";
                    break;
                }
            }
        }
        QCOMPARE(reader.ReadText(text), 0u);
        exercise(reader, fuzzer);
        unsigned long address = 0, size = 0;
        const char *const names[] = {"v", "v.m", "v[1]", "v[0].m[1]", "v.m.m", "m"};
        for (const char *name : names)
            reader.GetAddress(name, address, size);
    }
}

void fuzz_Symscan::svdText()
{
    const QByteArray seeds[] = {
        readFile(QStringLiteral(SVD_FIXTURE_DIR "/ARM_Example.svd")),
        QByteArray("<device><name>D</name><size>32</size><peripherals>"
                   "<peripheral><name>TIMER0</name><baseAddress>0x40000000</baseAddress><registers>"
                   "<register><name>CR</name><addressOffset>0</addressOffset><fields><field><name>F</name>"
                   "<bitRange>[3:0]</bitRange><enumeratedValues><enumeratedValue><name>V</name><value>1</value>"
                   "</enumeratedValue></enumeratedValues></field></fields></register>"
                   "<cluster><dim>2</dim><dimIncrement>8</dimIncrement><name>CH[%s]</name><addressOffset>0x10</addressOffset>"
                   "<register><dim>2</dim><dimIncrement>4</dimIncrement><name>R%s</name><addressOffset>0</addressOffset></register>"
                   "</cluster></registers></peripheral>"
                   "<peripheral derivedFrom=\"TIMER0\"><name>TIMER1</name><baseAddress>0x40001000</baseAddress></peripheral>"
                   "</peripherals></device>"),
        readFile(QStringLiteral(SVD_FIXTURE_DIR "/constructs/enumerated_values.svd")),
        readFile(QStringLiteral(SVD_FIXTURE_DIR "/constructs/peripheral_arrays.svd")),
    };
    Fuzzer fuzzer(0x5eed0003);
    SVDReader reader;
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < 700; ++round) {
        const QByteArray text = fuzzer.mutate(seeds[round % 4], svdPieces);
        const unsigned int result = reader.ReadData(text);
        QVERIFY(result == CLog::Success || result == CLog::NoSvdFile || result == 17 || result == CLog::GeneralError
                || result == SvdDeviceTooLarge);
        std::size_t registers = 0;
        for (const Peripheral &peripheral : reader.peripherals) {
            registers += peripheral.registers.size();
            for (const Register &reg : peripheral.registers) {
                for (const Field &field : reg.fields)
                    QVERIFY(field.enumeratedValues.size() < (1u << 20));
            }
        }
        QVERIFY(registers <= (std::size_t(1) << 20) * (reader.peripherals.size() + 1));
    }
    qInfo("%lld ms", timer.elapsed());
}

QTEST_GUILESS_MAIN(fuzz_Symscan)
#include "fuzz_symscan.moc"
