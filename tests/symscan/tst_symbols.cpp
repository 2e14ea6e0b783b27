// Symbol resolution against gdb. The fixture sources are compiled at test
// time (DWARF 4 and 5, objects and a linked executable, and for 32-bit ARM
// when a cross compiler and a gdb that reads ARM files are installed); for
// every name the address and size gdb prints for the same file is what
// ELFReader must answer. Names gdb cannot place must fail with the right
// code and never give an address.

#include "elfreader.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <map>
#include <memory>

using namespace Symscan;

namespace {

// Every name lives in symbols_main.c unless it starts with "other_".
const char *const agreedNames[] = {
    "counter",
    "cfg",
    "cfg.mode",
    "cfg.limit",
    "cfg.tab",
    "cfg.tab[0]",
    "cfg.tab[3]",
    "cfg.tab[3].b",
    "cfg.tab[11].c[2]",
    "cfg.nested",
    "cfg.nested.level2.where.y",
    "cfg.nested.after",
    "cfg.raw",
    "cfg.raw.word",
    "cfg.raw.bytes[3]",
    "cfg.raw.pt.y",
    "cfg.flags",
    "cfg.aligned",
    "cfg.tail",
    "defaults",
    "defaults.tab[10].a",
    "grid",
    "grid[2]",
    "grid[2][4]",
    "grid[2][4][1]",
    "grid[0][0][0]",
    "samples",
    "samples[57]",
    "samples[99]",
    "path[10].y",
    "cursor",
    "hidden_state[3]",
    "anon_holder",
    "anon_holder.raw",
    "anon_holder.lo",
    "anon_holder.hi",
    "qualified_table",
    "qualified_table[1]",
    "qualified_table[1][2]",
    "big_table[999]",
    "either",
    "either.wide",
    "either.in.c[1]",
    "other_value",
    "other_inners[15].c[1]",
};

struct Place
{
    quint64 address = 0;
    quint64 size = 0;
};

// One ELF file built from the fixture, with what gdb says about it.
struct Build
{
    QString label;
    QString file;
    bool linked = false;                    // absolute addresses compare
    bool hasOtherUnit = false;              // other_* names are in it
    bool optimised = false;                 // variables may be gone
    std::map<QString, Place> gdb;           // by name
    std::unique_ptr<ELFReader> reader;
    unsigned int readResult = 0;
};

QString root(const QString &name)
{
    static const QRegularExpression first(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*"));
    return first.match(name).captured(0);
}

bool run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        qWarning() << program << arguments << "did not finish";
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitCode() != 0) {
        qWarning().noquote() << program << arguments.join(QLatin1Char(' ')) << "failed:"
                             << process.readAllStandardError();
        return false;
    }
    return true;
}

// One gdb run printing address and size of every name, each pair after a
// marker line so that a name gdb refuses cannot shift the others.
std::map<QString, Place> askGdb(const QString &gdb, const QString &file, const QStringList &names)
{
    QStringList arguments{QStringLiteral("-batch"), QStringLiteral("-nx")};
    for (const QString &name : names) {
        arguments << QStringLiteral("-ex") << QStringLiteral("echo @@%1\\n").arg(name)
                  << QStringLiteral("-ex") << QStringLiteral("print &%1").arg(name)
                  << QStringLiteral("-ex") << QStringLiteral("print sizeof(%1)").arg(name);
    }
    arguments << file;
    QByteArray output;
    QProcess process;
    process.start(gdb, arguments);
    process.waitForFinished(120000);
    output = process.readAllStandardOutput();

    static const QRegularExpression addressLine(QStringLiteral("^\\$\\d+ = \\(.*?\\) 0x([0-9a-f]+)"));
    static const QRegularExpression sizeLine(QStringLiteral("^\\$\\d+ = (\\d+)$"));
    std::map<QString, Place> places;
    QString current;
    int seen = 0;
    Place place;
    for (const QString &line : QString::fromUtf8(output).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("@@"))) {
            current = line.mid(2);
            seen = 0;
            continue;
        }
        const QRegularExpressionMatch isAddress = addressLine.match(line);
        const QRegularExpressionMatch isSize = sizeLine.match(line);
        if (seen == 0 && isAddress.hasMatch()) {
            place.address = isAddress.captured(1).toULongLong(nullptr, 16);
            seen = 1;
        } else if (seen == 1 && isSize.hasMatch()) {
            place.size = isSize.captured(1).toULongLong();
            places[current] = place;
            seen = 2;
        }
    }
    return places;
}

} // namespace

class tst_Symbols : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void agreesWithGdb_data();
    void agreesWithGdb();
    void refusesWithTheRightCode_data();
    void refusesWithTheRightCode();
    void pointerFormAcceptsNullPointers();

private:
    bool compile(const QString &compiler, const QStringList &flags, const QString &source, const QString &output);
    void addBuild(const QString &label, const QString &file, const QString &gdb, bool linked, bool optimised);
    void addBuilds(const QString &compiler, const QString &gdb, const QString &family, const QStringList &flags,
                   const QStringList &linkFlags, bool withLto);
    Build *build(const QString &label);

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<Build>> m_builds;
};

bool tst_Symbols::compile(const QString &compiler, const QStringList &flags, const QString &source,
                          const QString &output)
{
    return run(compiler, flags + QStringList{QStringLiteral("-c"), QStringLiteral(SYMBOL_FIXTURE_DIR "/") + source,
                                            QStringLiteral("-o"), output});
}

// Objects of both units and the executable linked from them, for DWARF 4
// and 5.
// Each name and the variable it starts with (for the objects).
static QStringList namesForGdb()
{
    QStringList names;
    for (const char *name : agreedNames)
        names << QString::fromLatin1(name) << root(QString::fromLatin1(name));
    names.removeDuplicates();
    return names;
}

void tst_Symbols::addBuild(const QString &label, const QString &file, const QString &gdb, bool linked,
                           bool optimised)
{
    auto added = std::make_unique<Build>();
    added->label = label;
    added->file = file;
    added->linked = linked;
    added->hasOtherUnit = linked;
    added->optimised = optimised;
    added->gdb = askGdb(gdb, file, namesForGdb());
    added->reader = std::make_unique<ELFReader>();
    added->readResult = added->reader->Read(QFile::encodeName(file).constData());
    m_builds.push_back(std::move(added));
}

// Objects of both units and the executable linked from them, for DWARF 4
// and 5; with link-time optimisation too where asked.
void tst_Symbols::addBuilds(const QString &compiler, const QString &gdb, const QString &family,
                            const QStringList &flags, const QStringList &linkFlags, bool withLto)
{
    for (int version : {4, 5}) {
        const QStringList versionFlags = flags + QStringList{QStringLiteral("-g"), QStringLiteral("-gdwarf-%1").arg(version)};
        const QString stem = m_dir.filePath(QStringLiteral("%1-dwarf%2").arg(family).arg(version));
        const QString mainObject = stem + QStringLiteral("-main.o");
        const QString otherObject = stem + QStringLiteral("-other.o");
        const QString executable = stem + QStringLiteral(".elf");
        QVERIFY(compile(compiler, versionFlags, QStringLiteral("symbols_main.c"), mainObject));
        QVERIFY(compile(compiler, versionFlags, QStringLiteral("symbols_other.c"), otherObject));
        QVERIFY(run(compiler, versionFlags + linkFlags + QStringList{mainObject, otherObject, QStringLiteral("-o"), executable}));
        addBuild(QStringLiteral("%1 DWARF %2 executable").arg(family).arg(version), executable, gdb, true, false);
        addBuild(QStringLiteral("%1 DWARF %2 object").arg(family).arg(version), mainObject, gdb, false, false);

        if (!withLto)
            continue;
        const QString optimised = stem + QStringLiteral("-lto.elf");
        QVERIFY(run(compiler, versionFlags + linkFlags
                                  + QStringList{QStringLiteral("-O1"), QStringLiteral("-flto"),
                                                QStringLiteral(SYMBOL_FIXTURE_DIR "/symbols_main.c"),
                                                QStringLiteral(SYMBOL_FIXTURE_DIR "/symbols_other.c"),
                                                QStringLiteral("-o"), optimised}));
        addBuild(QStringLiteral("%1 DWARF %2 link-time optimised").arg(family).arg(version), optimised, gdb, true, true);
    }
}

Build *tst_Symbols::build(const QString &label)
{
    for (const auto &candidate : m_builds) {
        if (candidate->label == label)
            return candidate.get();
    }
    return nullptr;
}

void tst_Symbols::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString gcc = QStandardPaths::findExecutable(QStringLiteral("gcc"));
    const QString gdb = QStandardPaths::findExecutable(QStringLiteral("gdb"));
    if (gcc.isEmpty() || gdb.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("readelf")).isEmpty())
        QSKIP("gcc, gdb and readelf are needed");
    addBuilds(gcc, gdb, QStringLiteral("gcc"), {}, {}, true);

    // 32-bit ARM, as real firmware is, when the tools are there.
    const QString armGcc = QStandardPaths::findExecutable(QStringLiteral("arm-none-eabi-gcc"));
    QString armGdb = QStandardPaths::findExecutable(QStringLiteral("gdb-multiarch"));
    if (armGdb.isEmpty())
        armGdb = QStandardPaths::findExecutable(QStringLiteral("arm-none-eabi-gdb"));
    if (!armGcc.isEmpty() && !armGdb.isEmpty()) {
        addBuilds(armGcc, armGdb, QStringLiteral("arm-none-eabi"),
                  {QStringLiteral("-mcpu=cortex-m4"), QStringLiteral("-mthumb"), QStringLiteral("-ffreestanding")},
                  {QStringLiteral("-nostdlib"), QStringLiteral("-Wl,--entry=main"),
                   QStringLiteral("-Wl,-Ttext=0x08000000"), QStringLiteral("-Wl,-Tdata=0x20000000")},
                  false);
    } else {
        qInfo("arm-none-eabi-gcc with gdb-multiarch or arm-none-eabi-gdb not installed: ARM builds skipped");
    }
}

void tst_Symbols::agreesWithGdb_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("name");
    for (const auto &candidate : m_builds) {
        for (const char *name : agreedNames) {
            if (!candidate->hasOtherUnit && QByteArray(name).startsWith("other_"))
                continue;
            QTest::addRow("%s: %s", qPrintable(candidate->label), name) << candidate->label << QString::fromLatin1(name);
        }
    }
}

// Executables: the same address and size as gdb. Objects are not placed
// yet (gdb and readelf lay their sections out differently), so there the
// place within the variable and the size must agree. Link-time optimisation
// hides some variables from gdb: what gdb cannot place must fail without an
// address or lie where the symbol table puts the variable.
void tst_Symbols::agreesWithGdb()
{
    QFETCH(QString, label);
    QFETCH(QString, name);
    Build *file = build(label);
    QVERIFY(file);
    QCOMPARE(file->readResult, 0u);
    unsigned long address = 1, size = 1;
    const unsigned int result = file->reader->GetAddress(name.toLatin1().constData(), address, size);
    if (file->optimised && !file->gdb.count(name)) {
        // gdb gave up on it ("optimized out"); an answer must then agree
        // with the symbol table.
        if (result != 0) {
            QCOMPARE(address, 0ul);
            return;
        }
        const QByteArray variable = root(name).toLatin1();
        const auto symbol = std::find_if(file->reader->symbols.begin(), file->reader->symbols.end(),
                                         [&variable](const ElfSymbol &s) { return s.name == variable; });
        QVERIFY2(symbol != file->reader->symbols.end(), "resolved a name that has no symbol");
        QVERIFY(address >= symbol->value && address + size <= symbol->value + symbol->size);
        return;
    }
    QVERIFY2(file->gdb.count(name), "gdb printed no address and size");
    const Place expected = file->gdb.at(name);
    QCOMPARE(result, 0u);
    QCOMPARE(quint64(size), expected.size);
    if (file->linked) {
        QVERIFY(address != 0);
        QCOMPARE(QString::number(address, 16), QString::number(expected.address, 16));
    } else {
        QVERIFY2(file->gdb.count(root(name)), "gdb did not place the variable");
        unsigned long base = 0, baseSize = 0;
        QCOMPARE(file->reader->GetAddress(root(name).toLatin1().constData(), base, baseSize), 0u);
        QCOMPARE(quint64(address - base), expected.address - file->gdb.at(root(name)).address);
    }
}

void tst_Symbols::refusesWithTheRightCode_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<unsigned int>("code");

    const QByteArray longName = "counter" + QByteArray(300, 'x');
    const QByteArray longPath = "cfg.tab[3].b" + QByteArray(".b").repeated(200);
    const struct
    {
        const char *tag;
        QByteArray name;
        unsigned int code;
    } cases[] = {
        // indices past the bound, in every dimension
        {"index at the bound", "samples[100]", CLog::GeneralError},
        {"index past the bound of an array of structures", "cfg.tab[12].a", CLog::GeneralError},
        {"first dimension past its bound", "grid[3]", CLog::GeneralError},
        {"second dimension past its bound", "grid[0][5]", CLog::GeneralError},
        {"third dimension past its bound", "grid[0][0][2]", CLog::GeneralError},
        {"one index too many", "grid[0][0][0][0]", CLog::GeneralError},
        {"negative index", "samples[-1]", CLog::GeneralError},
        {"index not a number", "samples[abc]", CLog::GeneralError},
        {"index not closed", "samples[3", CLog::GeneralError},
        // bitfields have no byte address
        {"bitfield", "cfg.flags.ready", CLog::GeneralError},
        {"bitfield after the first", "cfg.flags.level", CLog::GeneralError},
        // members and indices of things that have none
        {"member of a scalar", "cfg.mode.x", CLog::GeneralError},
        {"member of a pointer", "cursor.x", CLog::GeneralError},
        {"index of a pointer", "cursor[1]", CLog::GeneralError},
        {"index of a scalar", "counter[0]", CLog::GeneralError},
        {"index of a structure", "cfg[0]", CLog::GeneralError},
        {"member of an array", "path.x", CLog::GeneralError},
        {"long member path", longPath, CLog::GeneralError},
        // names that are not there
        {"unknown variable", "nosuch", CLog::NotFound},
        {"unknown member", "cfg.nosuch", CLog::NotFound},
        {"unknown member of an element", "cfg.tab[1].nosuch", CLog::NotFound},
        {"a function", "other_use", CLog::NotFound},
        {"long name", longName, CLog::NotFound},
        {"long name sharing a prefix", QByteArray(600, 'c'), CLog::NotFound},
        {"empty name", "", CLog::NotFound},
        {"empty member", "cfg.", CLog::NotFound},
        {"stray character", "cfg#mode", CLog::NotFound},
        // pointers are not followed
        {"arrow", "cfg->mode", CLog::NotStatic},
    };
    for (const auto &candidate : m_builds) {
        if (!candidate->linked || candidate->optimised)
            continue;
        for (const auto &row : cases) {
            QTest::addRow("%s: %s", qPrintable(candidate->label), row.tag)
                << candidate->label << row.name << row.code;
        }
    }
}

void tst_Symbols::refusesWithTheRightCode()
{
    QFETCH(QString, label);
    QFETCH(QByteArray, name);
    QFETCH(unsigned int, code);
    Build *file = build(label);
    QVERIFY(file);
    unsigned long address = 1, size = 1;
    QCOMPARE(file->reader->GetAddress(name.constData(), address, size), code);
    QCOMPARE(address, 0ul);
    QCOMPARE(size, 0ul);
}

void tst_Symbols::pointerFormAcceptsNullPointers()
{
    if (m_builds.empty())
        QSKIP("no build");
    const ELFReader &reader = *m_builds.front()->reader;
    unsigned long address = 0, size = 0;
    QCOMPARE(reader.GetAddress("cfg.tab[3].b", &address, &size), 0u);
    unsigned long onlyAddress = 0;
    QCOMPARE(reader.GetAddress("cfg.tab[3].b", &onlyAddress, nullptr), 0u);
    QCOMPARE(onlyAddress, address);
    QCOMPARE(reader.GetAddress("nosuch", nullptr, nullptr), unsigned(CLog::NotFound));
}

QTEST_GUILESS_MAIN(tst_Symbols)
#include "tst_symbols.moc"
