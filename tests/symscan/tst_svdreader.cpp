// The SVD reader on three real CMSIS-SVD files and on small descriptions of
// our own for the forms and faults they do not show.

#include "svdreader.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <QtTest>

#include <algorithm>
#include <string>

using namespace Symscan;

// The real SVD files are part of the repository (tests/fixtures/svd): a
// missing one is a failure, never a reason to skip.
#define REQUIRE_SVD_FIXTURES()                                                             \
    do {                                                                                 \
        QVERIFY2(QDir(QStringLiteral(SVD_FIXTURE_DIR)).exists(),                         \
                 "the SVD fixtures (" SVD_FIXTURE_DIR ") are missing from the checkout"); \
    } while (false)

namespace {

QString svdFile(const char *name)
{
    return QStringLiteral(SVD_FIXTURE_DIR "/") + QLatin1String(name);
}

// The first record of that name in a list; null when there is none (or no
// list).
template <typename Record>
const Record *byName(const std::vector<Record> *records, const QString &name)
{
    if (!records)
        return nullptr;
    const auto found = std::find_if(records->begin(), records->end(),
                                    [&name](const Record &record) { return record.name == name; });
    return found == records->end() ? nullptr : &*found;
}

const Peripheral *findPeripheral(const SVDReader &reader, const QString &name)
{
    return byName(&reader.peripherals, name);
}

const Register *findRegister(const Peripheral *peripheral, const QString &name)
{
    return byName(peripheral ? &peripheral->registers : nullptr, name);
}

const Field *findField(const Register *reg, const QString &name)
{
    return byName(reg ? &reg->fields : nullptr, name);
}

// A read of one construct fixture: the device as lines (peripherals,
// registers, fields, enumerated values) and what the pass said, each
// "line: message".
struct ConstructRead
{
    unsigned int result = 0;
    QStringList device;
    QStringList warnings;
};

ConstructRead readConstruct(const QString &file)
{
    ConstructRead read;
    QFile in(QStringLiteral(SVD_FIXTURE_DIR "/constructs/") + file);
    if (!in.open(QIODevice::ReadOnly)) {
        read.result = ~0u;
        return read;
    }
    QXmlStreamReader xml(in.readAll());
    QString deviceName;
    std::vector<Peripheral> peripherals;
    read.result = readSvdStream(xml, deviceName, peripherals, [&read](const QString &message, qint64 line, qint64) {
        read.warnings << QStringLiteral("%1: %2").arg(line).arg(message);
    });
    for (const Peripheral &p : peripherals) {
        read.device << QStringLiteral("P %1 @%2%3")
                           .arg(p.name)
                           .arg(p.baseAddress, 0, 16)
                           .arg(p.description.isEmpty() ? QString() : QStringLiteral(" '%1'").arg(p.description));
        for (const Register &r : p.registers) {
            read.device << QStringLiteral(" R %1 @%2 size %3 reset %4")
                               .arg(r.name)
                               .arg(r.address, 0, 16)
                               .arg(r.size)
                               .arg(r.resetValue, 0, 16);
            for (const Field &f : r.fields) {
                read.device << QStringLiteral("  F %1 [%2:%3]%4")
                                   .arg(f.name)
                                   .arg(f.msb)
                                   .arg(f.lsb)
                                   .arg(f.description.isEmpty() ? QString()
                                                                : QStringLiteral(" '%1'").arg(f.description));
                for (const SvdEnumeratedValue &v : f.enumeratedValues)
                    read.device << QStringLiteral("   V %1=%2").arg(v.name).arg(v.value);
            }
        }
    }
    return read;
}

// A device around the given peripherals.
QByteArray device(const QByteArray &peripherals, const QByteArray &deviceProperties = QByteArray())
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<device schemaVersion=\"1.1\">\n  <name>TESTDEV</name>\n"
           + deviceProperties + "  <peripherals>\n" + peripherals + "  </peripherals>\n</device>\n";
}

} // namespace

class tst_SvdReader : public QObject
{
    Q_OBJECT

private slots:
    void readsTheArmExample();
    void readsClustersOfNrf51();
    void readsNestedClustersAndDerivedPeripheralsOfNrf54();
    void refusesWhatIsNoDescription_data();
    void refusesWhatIsNoDescription();
    void textWhereElementsBelongIsRefused();
    void baseAddressCountsWhereverItStands();
    void registerWithoutOffsetKeepsNoAddress();
    void numberForms_data();
    void numberForms();
    void bitPositionForms_data();
    void bitPositionForms();
    void accessAndPropertiesAreInherited();
    void derivedPeripheralMayComeBeforeItsBase();
    void derivedRegisterCopiesItsBase();
    void dimIndexNamesTheElements();
    void namesCompareWithoutRegardToCase();
    void failedReadLeavesNothing();
    void bytesTheEncodingDoesNotAllow();
    void constructs_data();
    void constructs();
};

void tst_SvdReader::readsTheArmExample()
{
    REQUIRE_SVD_FIXTURES();
    SVDReader reader;
    QCOMPARE(reader.Read(svdFile("ARM_Example.svd")), 0u);
    QCOMPARE(reader.deviceName, QStringLiteral("ARM_Example"));
    QCOMPARE(reader.peripherals.size(), size_t(3));

    const Peripheral *timer0 = findPeripheral(reader, QStringLiteral("TIMER0"));
    QVERIFY(timer0);
    QCOMPARE(timer0->baseAddress, 0x40010000u);
    QVERIFY(timer0->description.startsWith(QLatin1String("32 Timer / Counter")));
    QCOMPARE(timer0->registers.size(), size_t(11)); // RELOAD[%s] is four registers

    const Register *cr = findRegister(timer0, QStringLiteral("CR"));
    QVERIFY(cr);
    QCOMPARE(cr->address, 0x40010000u);
    QCOMPARE(cr->size, 32u);
    QCOMPARE(cr->resetMask, 0x1337F7Fu);
    QCOMPARE(cr->fields.size(), size_t(12));
    const Field *mode = findField(cr, QStringLiteral("MODE"));
    QVERIFY(mode);
    QCOMPARE(mode->msb, 6u);
    QCOMPARE(mode->lsb, 4u);
    QVERIFY(!mode->accessRestricted);
    QCOMPARE(mode->enumeratedValues.size(), size_t(5));
    QCOMPARE(mode->enumeratedValues.at(4).name, QStringLiteral("Reload_MATCH"));
    QCOMPARE(mode->enumeratedValues.at(4).value, 4u);
    QVERIFY(findField(cr, QStringLiteral("RST"))->accessRestricted); // write-only

    const Register *sr = findRegister(timer0, QStringLiteral("SR"));
    QVERIFY(sr);
    QCOMPARE(sr->address, 0x40010004u);
    QCOMPARE(sr->size, 16u); // decimal, not 0x16
    QCOMPARE(findRegister(timer0, QStringLiteral("RELOAD[3]"))->address, 0x4001005Cu);

    // Derived timers: the same registers at their own base address.
    const Peripheral *timer2 = findPeripheral(reader, QStringLiteral("TIMER2"));
    QVERIFY(timer2);
    QCOMPARE(timer2->baseAddress, 0x40010200u);
    QCOMPARE(timer2->registers.size(), timer0->registers.size());
    QCOMPARE(findRegister(timer2, QStringLiteral("CR"))->address, 0x40010200u);
    QCOMPARE(findRegister(timer2, QStringLiteral("RELOAD[3]"))->address, 0x4001025Cu);
    QCOMPARE(findRegister(timer2, QStringLiteral("CR"))->fields.size(), size_t(12));
}

void tst_SvdReader::readsClustersOfNrf51()
{
    REQUIRE_SVD_FIXTURES();
    SVDReader reader;
    QCOMPARE(reader.Read(svdFile("nrf51.svd")), 0u);
    QCOMPARE(reader.deviceName, QStringLiteral("nrf51"));
    QCOMPARE(reader.peripherals.size(), size_t(31));
    const Peripheral *ppi = findPeripheral(reader, QStringLiteral("PPI"));
    QVERIFY(ppi);
    QCOMPARE(ppi->baseAddress, 0x4001F000u);
    const Register *disable = findRegister(ppi, QStringLiteral("TASKS_CHG[3].DIS"));
    QVERIFY(disable);
    QCOMPARE(disable->address, 0x4001F000u + 3 * 8 + 4);
    const Register *tep = findRegister(ppi, QStringLiteral("CH[15].TEP"));
    QVERIFY(tep);
    QCOMPARE(tep->address, 0x4001F000u + 0x510 + 15 * 8 + 4);
    QCOMPARE(tep->size, 32u); // from the device
    const Peripheral *timer1 = findPeripheral(reader, QStringLiteral("TIMER1"));
    QVERIFY(timer1);
    QCOMPARE(timer1->baseAddress, 0x40009000u);
    QVERIFY(!timer1->registers.empty());
}

void tst_SvdReader::readsNestedClustersAndDerivedPeripheralsOfNrf54()
{
    REQUIRE_SVD_FIXTURES();
    SVDReader reader;
    QCOMPARE(reader.Read(svdFile("nrf54l15_application.svd")), 0u);
    QCOMPARE(reader.peripherals.size(), size_t(181));
    const Peripheral *uicr = findPeripheral(reader, QStringLiteral("GLOBAL_UICR_S"));
    QVERIFY(uicr);
    const Register *revoke = findRegister(uicr, QStringLiteral("USER.ROT.PUBKEY[3].REVOKE[2]"));
    QVERIFY(revoke);
    QCOMPARE(revoke->address, 0x00FFD000u + 0x200 + 3 * 0x2C + 0x20 + 2 * 4);
    QCOMPARE(revoke->size, 32u); // written 0x20
    QCOMPARE(findRegister(uicr, QStringLiteral("OTP[319]"))->address, 0x00FFD000u + 0x500 + 319 * 4);

    const Peripheral *timer = findPeripheral(reader, QStringLiteral("GLOBAL_TIMER00_S"));
    QVERIFY(timer);
    QCOMPARE(timer->baseAddress, 0x50055000u);
    const Register *capture = findRegister(timer, QStringLiteral("TASKS_CAPTURE[7]"));
    QVERIFY(capture);
    QCOMPARE(capture->address, 0x50055000u + 0x40 + 7 * 4);
}

void tst_SvdReader::refusesWhatIsNoDescription_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not well-formed") << QByteArray("<device><name>X</name>");
    QTest::newRow("another root") << QByteArray("<module><name>X</name></module>");
    QTest::newRow("plain text") << QByteArray("peripherals, registers, fields");
    QTest::newRow("nested deeper than any description")
        << "<device><peripherals>" + QByteArray("<cluster>").repeated(100000) + QByteArray("</cluster>").repeated(100000)
               + "</peripherals></device>";
}

void tst_SvdReader::refusesWhatIsNoDescription()
{
    QFETCH(QByteArray, data);
    SVDReader reader;
    QCOMPARE(reader.ReadData(data), unsigned(CLog::NoSvdFile));
    QVERIFY(reader.peripherals.empty());
}

void tst_SvdReader::textWhereElementsBelongIsRefused()
{
    SVDReader reader;
    QCOMPARE(reader.ReadData(device("    stray text\n    <peripheral><name>A</name></peripheral>\n")), 17u);
    QCOMPARE(reader.Read(QStringLiteral("/nonexistent/file.svd")), unsigned(CLog::NoSvdFile));
}

void tst_SvdReader::baseAddressCountsWhereverItStands()
{
    const QByteArray registers = "      <registers>\n"
                                 "        <register><name>CTRL</name><addressOffset>0x10</addressOffset></register>\n"
                                 "      </registers>\n";
    SVDReader reader;
    QCOMPARE(reader.ReadData(device("    <peripheral><name>BEFORE</name><baseAddress>0x40001000</baseAddress>\n"
                                    + registers + "    </peripheral>\n"
                                    "    <peripheral><name>AFTER</name>\n" + registers
                                    + "      <baseAddress>0x40002000</baseAddress>\n    </peripheral>\n")),
             0u);
    QCOMPARE(findRegister(findPeripheral(reader, QStringLiteral("BEFORE")), QStringLiteral("CTRL"))->address, 0x40001010u);
    QCOMPARE(findRegister(findPeripheral(reader, QStringLiteral("AFTER")), QStringLiteral("CTRL"))->address, 0x40002010u);
}

void tst_SvdReader::registerWithoutOffsetKeepsNoAddress()
{
    SVDReader reader;
    QCOMPARE(reader.ReadData(device("    <peripheral><name>P</name><baseAddress>0x40001000</baseAddress>\n"
                                    "      <registers><register><name>LOST</name></register></registers>\n"
                                    "    </peripheral>\n")),
             0u);
    QCOMPARE(findRegister(findPeripheral(reader, QStringLiteral("P")), QStringLiteral("LOST"))->address, 0xFFFFFFFFu);
}

void tst_SvdReader::numberForms_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<uint>("value");
    QTest::newRow("decimal") << QByteArray("32") << 32u;
    QTest::newRow("hexadecimal") << QByteArray("0x20") << 32u;
    QTest::newRow("upper-case prefix") << QByteArray("0X1F") << 31u;
    QTest::newRow("binary") << QByteArray("#1010") << 10u;
    QTest::newRow("binary with don't-care bits") << QByteArray("#1x1x") << 10u;
    QTest::newRow("blanks around") << QByteArray("  16  ") << 16u;
    QTest::newRow("full 32 bits") << QByteArray("0xFFFFFFFE") << 0xFFFFFFFEu;
}

void tst_SvdReader::numberForms()
{
    QFETCH(QByteArray, text);
    QFETCH(uint, value);
    SVDReader reader;
    QCOMPARE(reader.ReadData(device("    <peripheral><name>P</name><baseAddress>0</baseAddress><registers>\n"
                                    "      <register><name>R</name><addressOffset>0</addressOffset>\n"
                                    "        <size>" + text + "</size><resetValue>" + text + "</resetValue>\n"
                                    "        <fields><field><name>F</name><bitRange>[7:0]</bitRange>\n"
                                    "          <enumeratedValues><enumeratedValue><name>V</name><value>" + text
                                    + "</value></enumeratedValue></enumeratedValues>\n"
                                    "        </field></fields></register>\n"
                                    "    </registers></peripheral>\n")),
             0u);
    const Register *reg = findRegister(findPeripheral(reader, QStringLiteral("P")), QStringLiteral("R"));
    QVERIFY(reg);
    QCOMPARE(reg->size, value);
    QCOMPARE(reg->resetValue, value);
    QCOMPARE(reg->fields.at(0).enumeratedValues.at(0).value, value);
}

void tst_SvdReader::bitPositionForms_data()
{
    QTest::addColumn<QByteArray>("position");
    QTest::addColumn<uint>("msb");
    QTest::addColumn<uint>("lsb");
    QTest::newRow("lsb and msb") << QByteArray("<lsb>4</lsb><msb>11</msb>") << 11u << 4u;
    QTest::newRow("bitOffset and bitWidth") << QByteArray("<bitOffset>4</bitOffset><bitWidth>8</bitWidth>") << 11u << 4u;
    QTest::newRow("bitOffset alone is one bit") << QByteArray("<bitOffset>31</bitOffset>") << 31u << 31u;
    QTest::newRow("bitRange") << QByteArray("<bitRange>[11:4]</bitRange>") << 11u << 4u;
}

void tst_SvdReader::bitPositionForms()
{
    QFETCH(QByteArray, position);
    QFETCH(uint, msb);
    QFETCH(uint, lsb);
    SVDReader reader;
    QCOMPARE(reader.ReadData(device("    <peripheral><name>P</name><registers><register><name>R</name>\n"
                                    "      <fields><field><name>F</name>" + position + "</field></fields>\n"
                                    "    </register></registers></peripheral>\n")),
             0u);
    const Field &field = reader.peripherals.at(0).registers.at(0).fields.at(0);
    QCOMPARE(field.msb, msb);
    QCOMPARE(field.lsb, lsb);
}

void tst_SvdReader::accessAndPropertiesAreInherited()
{
    SVDReader reader;
    QCOMPARE(reader.ReadData(device("    <peripheral><name>P</name><resetValue>0x55</resetValue><access>read-only</access>\n"
                                    "      <registers>\n"
                                    "        <register><name>R</name><addressOffset>0</addressOffset>\n"
                                    "          <fields><field><name>INHERITED</name><lsb>0</lsb><msb>0</msb></field>\n"
                                    "            <field><name>OWN</name><lsb>1</lsb><msb>1</msb><access>READ-WRITE</access></field>\n"
                                    "          </fields></register>\n"
                                    "        <register><name>RW</name><addressOffset>4</addressOffset><access>read-write</access>\n"
                                    "          <fields><field><name>F</name><lsb>0</lsb><msb>0</msb></field></fields></register>\n"
                                    "      </registers></peripheral>\n",
                                    "  <size>16</size><resetMask>0xFFFF</resetMask>\n")),
             0u);
    const Peripheral *peripheral = findPeripheral(reader, QStringLiteral("P"));
    const Register *reg = findRegister(peripheral, QStringLiteral("R"));
    QCOMPARE(reg->size, 16u);
    QCOMPARE(reg->resetMask, 0xFFFFu);
    QCOMPARE(reg->resetValue, 0x55u);
    QVERIFY(findField(reg, QStringLiteral("INHERITED"))->accessRestricted);
    QVERIFY(!findField(reg, QStringLiteral("OWN"))->accessRestricted);
    QVERIFY(!findField(findRegister(peripheral, QStringLiteral("RW")), QStringLiteral("F"))->accessRestricted);
}

void tst_SvdReader::derivedPeripheralMayComeBeforeItsBase()
{
    SVDReader reader;
    QCOMPARE(reader.ReadData(device("    <peripheral derivedFrom=\"BASE\"><name>COPY</name><baseAddress>0x2000</baseAddress></peripheral>\n"
                                    "    <peripheral><name>BASE</name><description>Original</description>\n"
                                    "      <baseAddress>0x1000</baseAddress>\n"
                                    "      <registers><register><name>R</name><addressOffset>0x8</addressOffset></register></registers>\n"
                                    "    </peripheral>\n"
                                    "    <peripheral derivedFrom=\"COPY\"><name>LOOP</name><baseAddress>0x3000</baseAddress></peripheral>\n"
                                    "    <peripheral derivedFrom=\"NOWHERE\"><name>ALONE</name></peripheral>\n")),
             0u);
    const Peripheral *copy = findPeripheral(reader, QStringLiteral("COPY"));
    QVERIFY(copy);
    QCOMPARE(copy->description, QStringLiteral("Original"));
    QCOMPARE(findRegister(copy, QStringLiteral("R"))->address, 0x2008u);
    QCOMPARE(findRegister(findPeripheral(reader, QStringLiteral("BASE")), QStringLiteral("R"))->address, 0x1008u);
    QCOMPARE(findRegister(findPeripheral(reader, QStringLiteral("LOOP")), QStringLiteral("R"))->address, 0x3008u);
    QVERIFY(findPeripheral(reader, QStringLiteral("ALONE"))->registers.empty());
}

void tst_SvdReader::derivedRegisterCopiesItsBase()
{
    SVDReader reader;
    QCOMPARE(reader.ReadData(device("    <peripheral><name>P</name><baseAddress>0x100</baseAddress><registers>\n"
                                    "      <register><name>A</name><addressOffset>0</addressOffset><size>8</size>\n"
                                    "        <fields><field><name>F</name><bitRange>[3:0]</bitRange></field></fields></register>\n"
                                    "      <register derivedFrom=\"A\"><name>B</name><addressOffset>4</addressOffset></register>\n"
                                    "    </registers></peripheral>\n")),
             0u);
    const Register *b = findRegister(findPeripheral(reader, QStringLiteral("P")), QStringLiteral("B"));
    QVERIFY(b);
    QCOMPARE(b->address, 0x104u);
    QCOMPARE(b->size, 8u);
    QCOMPARE(b->fields.size(), size_t(1));
    QCOMPARE(b->fields.at(0).msb, 3u);
}

void tst_SvdReader::dimIndexNamesTheElements()
{
    SVDReader reader;
    QCOMPARE(reader.ReadData(device("    <peripheral><name>P</name><baseAddress>0x100</baseAddress><registers>\n"
                                    "      <register><dim>2</dim><dimIncrement>4</dimIncrement><dimIndex>A,B</dimIndex>\n"
                                    "        <name>CH_%s</name><description>Channel %s</description><addressOffset>0x10</addressOffset></register>\n"
                                    "      <register><dim>2</dim><dimIncrement>0x8</dimIncrement><dimIndex>3-4</dimIndex>\n"
                                    "        <name>REG%s</name><addressOffset>0x20</addressOffset></register>\n"
                                    "    </registers></peripheral>\n")),
             0u);
    const Peripheral *p = findPeripheral(reader, QStringLiteral("P"));
    QCOMPARE(findRegister(p, QStringLiteral("CH_B"))->address, 0x114u);
    QCOMPARE(findRegister(p, QStringLiteral("CH_B"))->description, QStringLiteral("Channel B"));
    QCOMPARE(findRegister(p, QStringLiteral("REG4"))->address, 0x128u);
    QCOMPARE(p->registers.size(), size_t(4));
}

void tst_SvdReader::namesCompareWithoutRegardToCase()
{
    REQUIRE_SVD_FIXTURES();
    SVDReader reader;
    const QByteArray data = "<DEVICE><NAME>UPPER</NAME><PERIPHERALS><PERIPHERAL><NAME>P</NAME>"
                            "<BASEADDRESS>0x10</BASEADDRESS><REGISTERS><REGISTER><NAME>R</NAME>"
                            "<ADDRESSOFFSET>4</ADDRESSOFFSET></REGISTER></REGISTERS></PERIPHERAL></PERIPHERALS></DEVICE>";
    QCOMPARE(reader.ReadData(data), 0u);
    QCOMPARE(reader.deviceName, QStringLiteral("UPPER"));
    QCOMPARE(findRegister(findPeripheral(reader, QStringLiteral("P")), QStringLiteral("R"))->address, 0x14u);
    const std::wstring path = svdFile("ARM_Example.svd").toStdWString();
    QCOMPARE(reader.Read(path.c_str()), 0u);
    QCOMPARE(reader.deviceName, QStringLiteral("ARM_Example"));
}

void tst_SvdReader::failedReadLeavesNothing()
{
    REQUIRE_SVD_FIXTURES();
    SVDReader reader;
    QCOMPARE(reader.Read(svdFile("ARM_Example.svd")), 0u);
    QVERIFY(!reader.peripherals.empty());
    QCOMPARE(reader.ReadData("<device><peripherals>text</peripherals></device>"), 17u);
    QVERIFY(reader.peripherals.empty());
    QVERIFY(reader.deviceName.isEmpty());
}

// A Latin-1 sign in a file declared UTF-8 (or not declared at all) still
// reads, the sign replaced; with the encoding declared it reads as it is.
void tst_SvdReader::bytesTheEncodingDoesNotAllow()
{
    const QByteArray peripheral = "    <peripheral><name>T</name><description>5 \xB5s tick</description>\n"
                                  "      <registers><register><name>R</name><addressOffset>4</addressOffset>"
                                  "</register></registers></peripheral>\n";
    const struct {
        QByteArray data;
        QString description;
    } cases[] = {
        {device(peripheral), QStringLiteral("5 \uFFFDs tick")},
        {device(peripheral).mid(int(qstrlen("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"))),
         QStringLiteral("5 \uFFFDs tick")},
        {device(peripheral).replace("utf-8", "ISO-8859-1"), QStringLiteral("5 \u00B5s tick")},
    };
    for (const auto &entry : cases) {
        SVDReader reader;
        QCOMPARE(reader.ReadData(entry.data), 0u);
        const Peripheral *timer = findPeripheral(reader, QStringLiteral("T"));
        QVERIFY(timer);
        QCOMPARE(timer->description, entry.description);
        QVERIFY(findRegister(timer, QStringLiteral("R")));
    }
    // Broken XML stays broken with the bytes replaced.
    SVDReader reader;
    QCOMPARE(reader.ReadData(device(peripheral).replace("</device>", "</dev\xB5" "ce>")), unsigned(CLog::NoSvdFile));
}

// One small fixture per construct of real vendor files
// (tests/fixtures/svd/constructs): the device as expanded, with names,
// addresses, sizes, reset values, bits and enumerated values, and what the
// pass says, with the line it says it for. Peripheral arrays: "[%s]" loses
// its brackets, a letter range names the elements, a copy of an element is
// that element. Field arrays: bits move by dimIncrement. Number forms: an
// 'x' bit makes one item and a warning, an unreadable number is no item or
// keeps the inherited size and reset value. Enumerated values: isDefault is
// no item, the write block wins over the read one, derivedFrom resolves in
// the register, then the peripheral, then by dotted path.
void tst_SvdReader::constructs_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("device");
    QTest::addColumn<QStringList>("warnings");

    QTest::newRow("peripheral arrays") << "peripheral_arrays.svd" << QStringList{
        "P I2S_PCM0 @40001000 'Audio port 0'",
        " R ASRCCFG @40001008 size 32 reset 0",
        "  F EN [0:0]",
        "P I2S_PCM1 @40001100 'Audio port 1'",
        " R ASRCCFG @40001108 size 32 reset 0",
        "  F EN [0:0]",
        "P I2S_PCM2 @40001200 'Audio port 2'",
        " R ASRCCFG @40001208 size 32 reset 0",
        "  F EN [0:0]",
        "P GPIOA @50000000",
        " R OUT @50000004 size 16 reset 0",
        "P GPIOB @50000400",
        " R OUT @50000404 size 16 reset 0",
        "P GPIOC @50000800",
        " R OUT @50000804 size 16 reset 0",
        "P I2S_EXT @40002000 'Audio port 0'",
        " R ASRCCFG @40002008 size 32 reset 0",
        "  F EN [0:0]",
        "P I2S_ALIAS @40001200 'Audio port 2'",
        " R ASRCCFG @40001208 size 32 reset 0",
        "  F EN [0:0]",
        "P LONELY @60000000"
    } << QStringList{
        "49: Peripheral LONELY is derived from NO_SUCH, which is not found"
    };
    QTest::newRow("field arrays") << "field_arrays.svd" << QStringList{
        "P DMA @40020000",
        " R INTEN @40020010 size 32 reset 0",
        "  F CH0_TX_END [0:0]",
        "  F CH1_TX_END [1:1]",
        "  F CH2_TX_END [2:2]",
        "  F CH3_TX_END [3:3]",
        "  F PRIO2 [10:8] 'Priority of channel 2'",
        "  F PRIO5 [14:12] 'Priority of channel 5'",
        "  F PRIO7 [18:16] 'Priority of channel 7'",
        "  F MODE0 [25:24]",
        "   V OFF=0",
        "   V ON=1",
        "  F MODE1 [27:26]",
        "   V OFF=0",
        "   V ON=1"
    } << QStringList{
    };
    QTest::newRow("derived from an array's template name") << "derived_template.svd" << QStringList{
        "P PORT @41008000",
        " R PMUX0_0 @41008030 size 8 reset 11",
        "  F PMUXE [3:0]",
        "  F PMUXO [7:4]",
        " R PMUX0_1 @41008031 size 8 reset 11",
        "  F PMUXE [3:0]",
        "  F PMUXO [7:4]",
        " R PMUX1_0 @410080b0 size 8 reset 11",
        "  F PMUXE [3:0]",
        "  F PMUXO [7:4]",
        " R PMUX1_1 @410080b1 size 8 reset 11",
        "  F PMUXE [3:0]",
        "  F PMUXO [7:4]",
        " R PMUX_ALIAS @41008100 size 8 reset 11",
        "  F PMUXE [3:0]",
        "  F PMUXO [7:4]",
        " R LOST @41008104 size 32 reset 0"
    } << QStringList{
        "34: Register LOST is derived from PINCFG%s, which is not found before it"
    };
    QTest::newRow("several registers blocks") << "register_blocks.svd" << QStringList{
        "P UART @40004000",
        " R CTRL @40004000 size 32 reset 0",
        "  F EN [0:0]",
        " R STATUS @40004004 size 16 reset 0",
        " R CTRL2 @40004008 size 32 reset 0",
        "  F EN [0:0]"
    } << QStringList{
    };
    QTest::newRow("number forms") << "number_forms.svd" << QStringList{
        "P CLK @40000000",
        " R CTRL @40000010 size 16 reset a",
        "  F SEL [2:0]",
        "   V A=1",
        "   V B=2",
        "   V C=3",
        "   V D=4",
        "   V E=5",
        " R UNREADABLE @40000014 size 32 reset 55",
        " R PLUS @40000018 size 8 reset 5"
    } << QStringList{
        "28: Not a number in <value>: 0xZZ",
        "27: Field SEL: enumerated values with bits that do not matter: D (#1x0) is the item 4, not 6",
        "37: Not a number in <size>: big",
        "38: Not a number in <resetValue>: 0x1G"
    };
    QTest::newRow("enumerated values") << "enumerated_values.svd" << QStringList{
        "P CLK @40000000",
        " R CTRL @40000000 size 32 reset 0",
        "  F SEL [1:0]",
        "   V RC=0",
        "   V XTAL=1",
        "   V PLL=2",
        "  F EN [2:2]",
        "   V Set=1",
        "  F MODE [5:4]",
        "   V IDLE=0",
        "   V BUSY=1",
        "  F MODE2 [7:6]",
        "   V IDLE=0",
        "   V BUSY=1",
        " R STATUS @40000004 size 32 reset 0",
        "  F LOCAL [1:0]",
        "   V LOCAL_ONLY=3",
        "  F NEAR [3:2]",
        "   V LOCAL_ONLY=3",
        "  F SEL_COPY [5:4]",
        "   V RC=0",
        "   V XTAL=1",
        "   V PLL=2",
        "  F MODE_COPY [7:6]",
        "   V IDLE=0",
        "   V BUSY=1",
        "  F MISSING [9:8]",
        "P TIMER @40001000",
        " R CFG @40001000 size 32 reset 0",
        "  F CLKSEL [1:0]",
        "   V RC=0",
        "   V XTAL=1",
        "   V PLL=2"
    } << QStringList{
        "88: Field MISSING: the enumeratedValues it is derived from (NoSuchValues) are not found"
    };
    QTest::newRow("repeated field names") << "repeated_fields.svd" << QStringList{
        "P SYS @40008000",
        " R CFG @40008000 size 32 reset 0",
        "  F EN [0:0]",
        "  F RESERVED [8:8]",
        "  F RESERVED_9 [9:9]",
        "  F RESERVED_13 [15:13]",
        "  F MODE [2:1]",
        "  F MODE_4 [3:3]",
        "  F MODE_4_5 [5:4]",
        " R ODD @40008004 size 32 reset 0",
        "  F X [0:0]",
        "  F X_1 [1:1]",
        "  F X_1_1 [2:2]"
    } << QStringList{
        "33: Field X is given again at bits 1..1, and no name is free for it: left out"
    };
}

void tst_SvdReader::constructs()
{
    QFETCH(QString, file);
    const ConstructRead read = readConstruct(file);
    QCOMPARE(read.result, 0u);
    QFETCH(QStringList, device);
    QFETCH(QStringList, warnings);
    QCOMPARE(read.device, device);
    QCOMPARE(read.warnings, warnings);
    // The program's reader, with no sink, reads the same device.
    SVDReader reader;
    QCOMPARE(reader.Read(QStringLiteral(SVD_FIXTURE_DIR "/constructs/") + file), 0u);
    QCOMPARE(int(reader.peripherals.size()), device.filter(QRegularExpression(QStringLiteral("^P "))).size());
}

QTEST_APPLESS_MAIN(tst_SvdReader)
#include "tst_svdreader.moc"
