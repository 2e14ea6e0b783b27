#include "activeelement.h"
#include "consolelinks.h"
#include "moduletablehost.h"
#include "registermodel.h"
#include "svdreader.h"
#include "svdstreamreader.h"

#include <QBuffer>
#include <QLabel>
#include <QtTest>

#include <memory>

// A value element that takes every range and remembers its properties.
class BoundElement : public QLabel, public ActiveElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)
public:
    explicit BoundElement(const QString &name) { setObjectName(name); }
    QObject *elementObject() const override { return const_cast<BoundElement *>(this); }
    void setValue(const QString &, int) override {}
    void loadValue(const QString &) override {}
    QString value(int, int) override { return QString(); }
    QString storedValueText() override { return QString(); }
    void initialize() override {}
    void enable(bool) override {}
    void setElementProperty(const char *name, const QVariant &value) override { setProperty(name, value); }
    QVariant elementProperty(const char *name) override { return property(name); }
    bool acceptsBitRange(int, int) override { return true; }
    void addItem(const QString &text, const QString &, int key) override
    {
        items << QStringLiteral("%1=%2").arg(text).arg(key);
    }
    QStringList items; // what the read handed to the element, "name=value"
signals:
    void updateMathLabels() override;
};

class ModelHost : public ModuleTableHost
{
public:
    int registerCount() const
    {
        int n = 0;
        for (const ModuleRecord *m : modules)
            n += m->registers.size();
        return n;
    }
    int fieldCount() const
    {
        int n = 0;
        for (const ModuleRecord *m : modules)
            for (const RegisterRecord *r : m->registers)
                n += r->fields.size();
        return n;
    }
};

// The list elements as the reader sees them: items per define.
struct Lists {
    QSet<QString> existing;
    QList<std::tuple<QString, QString, int>> items; // define, text, key
    QStringList toolTips;
    QString deviceName;

    SvdStreamReader::ListHooks hooks()
    {
        SvdStreamReader::ListHooks h;
        h.elementExists = [this](const QString &define) { return existing.contains(define); };
        h.addItem = [this](const QString &define, const QString &text, const QString &, int key) {
            if (!existing.contains(define))
                return false;
            items.append({define, text, key});
            return true;
        };
        h.setLastPeripheralToolTip = [this](const QString &text) { toolTips.append(text); };
        h.setDeviceName = [this](const QString &name) { deviceName = name; };
        return h;
    }
    QList<int> keys(const QString &define) const
    {
        QList<int> result;
        for (const auto &item : items)
            if (std::get<0>(item) == define)
                result.append(std::get<2>(item));
        return result;
    }
};

static QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(SVD_FIXTURE_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

static bool readInto(ModelHost &host, const QByteArray &data, Lists *lists = nullptr,
                     QString *error = nullptr, qint64 *line = nullptr)
{
    SvdStreamReader reader(&host, QStringLiteral("/panels/a.xml"), lists ? lists->hooks() : SvdStreamReader::ListHooks());
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    const bool ok = reader.read(&buffer);
    if (error)
        *error = reader.errorString();
    if (line)
        *line = reader.lineNumber();
    return ok;
}

// A device around peripherals.
static QByteArray device(const QByteArray &peripherals, const QByteArray &deviceExtra = QByteArray())
{
    return "<?xml version=\"1.0\"?>\n<device>\n<name>DEV</name>\n" + deviceExtra + "<peripherals>\n"
           + peripherals + "</peripherals>\n</device>\n";
}

class TestSvdStreamReader : public QObject
{
    Q_OBJECT
private slots:
    void init() { setRegisterModelReporter([this](const QString &m) { m_reports.append(m); }); }
    void cleanup()
    {
        setRegisterModelReporter(nullptr);
        m_reports.clear();
    }

    void fixtureFiles_data();
    void fixtureFiles();
    void agreesWithSymscan_data();
    void agreesWithSymscan();
    void numberAndBitForms();
    void inheritanceArraysAndClusters();
    void elementsBeforeName();
    void bindingBeforeAndAfterRead();
    void listElements();
    void brokenFiles_data();
    void brokenFiles();
    void refusedStructures_data();
    void refusedStructures();
    void errorLocationLinksPanelFile();
    void constructsInTheModel_data();
    void constructsInTheModel();

private:
    QStringList m_reports;
};

void TestSvdStreamReader::fixtureFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("peripherals");
    QTest::addColumn<int>("registers");
    QTest::addColumn<int>("fields");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("reg");
    QTest::addColumn<quint32>("address");
    QTest::addColumn<int>("size");
    QTest::addColumn<quint32>("reset");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("msb");
    QTest::addColumn<int>("lsb");
    QTest::addColumn<bool>("readOnly");

    // Counts: three timers of 11 registers (RELOAD[%s] gives four) and 20 fields.
    QTest::newRow("ARM cr") << "ARM_Example.svd" << 3 << 33 << 60 << "TIMER0" << "CR" << 0x40010000u << 32
                            << 0u << "CNTSRC" << 11 << 8 << false;
    QTest::newRow("ARM sr") << "ARM_Example.svd" << 3 << 33 << 60 << "TIMER0" << "SR" << 0x40010004u << 16
                            << 0u << "RELOAD" << 15 << 14 << true;
    QTest::newRow("ARM derived array") << "ARM_Example.svd" << 3 << 33 << 60 << "TIMER1" << "RELOAD2"
                                       << 0x40010158u << 32 << 0u << QString() << 0 << 0 << false;
    QTest::newRow("nrf51 lsb/msb") << "nrf51.svd" << -1 << -1 << -1 << "POWER" << "INTENSET" << 0x40000304u
                                   << 32 << 0u << "POFWARN" << 2 << 2 << false;
    QTest::newRow("nrf54 cluster") << "nrf54l15_application.svd" << -1 << -1 << -1 << "GLOBAL_FICR_NS"
                                   << "INFO_CONFIGID" << 0x00FFC300u << 32 << 0xFFFFFFFFu << "HWID" << 15
                                   << 0 << true; // read-only from its register
}

void TestSvdStreamReader::fixtureFiles()
{
    QFETCH(QString, file);
    ModelHost host;
    Lists lists;
    QVERIFY(readInto(host, fixture(file), &lists));
    QFETCH(int, peripherals);
    QFETCH(int, registers);
    QFETCH(int, fields);
    if (peripherals >= 0) {
        QCOMPARE(host.modules.size(), peripherals);
        QCOMPARE(host.registerCount(), registers);
        QCOMPARE(host.fieldCount(), fields);
    }
    QFETCH(QString, module);
    QFETCH(QString, reg);
    RegisterRecord *r = host.reg(module, reg);
    QVERIFY2(r, qPrintable(module + "." + reg));
    QTEST(quint32(r->address), "address");
    QTEST(r->size(), "size");
    QTEST(quint32(r->resetValue), "reset");
    QVERIFY(r->headerName.isEmpty());
    QFETCH(QString, field);
    if (!field.isEmpty()) {
        FieldRecord *f = r->getField(field);
        QVERIFY(f);
        QTEST(f->msb(), "msb");
        QTEST(f->lsb(), "lsb");
        QCOMPARE(f->width(), f->msb() - f->lsb() + 1);
        QTEST(f->readOnly, "readOnly");
    }
    QVERIFY(!lists.deviceName.isEmpty());
}

void TestSvdStreamReader::agreesWithSymscan_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("ARM") << "ARM_Example.svd";
    QTest::newRow("nrf51") << "nrf51.svd";
    QTest::newRow("nrf54") << "nrf54l15_application.svd";
}

// Every peripheral, register and field that Symscan's reader finds is in the
// model with the same address, size, reset value and bits.
void TestSvdStreamReader::agreesWithSymscan()
{
    QFETCH(QString, file);
    const QByteArray data = fixture(file);
    ModelHost host;
    QVERIFY(readInto(host, data));
    Symscan::SVDReader svd;
    QCOMPARE(svd.ReadData(data), 0u);
    QSet<QString> peripheralNames;
    int registers = 0, fields = 0;
    for (const Symscan::Peripheral &p : svd.peripherals) {
        peripheralNames.insert(p.name);
        const ModuleRecord *module = host.modules.value(p.name);
        QVERIFY2(module, qPrintable(p.name));
        QCOMPARE(module->description, p.description);
        for (const Symscan::Register &sr : p.registers) {
            ++registers;
            const QString name = svdModelRegisterName(sr.name);
            QVERIFY(!name.contains('[') && !name.contains('.'));
            const RegisterRecord *r = module->getRegister(name);
            QVERIFY2(r, qPrintable(p.name + "." + name));
            QCOMPARE(quint32(r->address), sr.address);
            QCOMPARE(r->size(), int(sr.size));
            QCOMPARE(quint32(r->resetValue), sr.resetValue);
            QCOMPARE(r->fields.size(), int(sr.fields.size()));
            for (const Symscan::Field &sf : sr.fields) {
                ++fields;
                const FieldRecord *f = r->getField(sf.name);
                QVERIFY2(f, qPrintable(p.name + "." + name + "." + sf.name));
                QCOMPARE(f->msb(), int(sf.msb));
                QCOMPARE(f->lsb(), int(sf.lsb));
                QCOMPARE(f->enumeratedValues.size(), int(sf.enumeratedValues.size()));
            }
        }
    }
    QCOMPARE(host.modules.size(), peripheralNames.size());
    QCOMPARE(host.registerCount(), registers);
    QCOMPARE(host.fieldCount(), fields);
    QVERIFY(registers > 0 && fields > 0);
}

void TestSvdStreamReader::numberAndBitForms()
{
    ModelHost host;
    const QByteArray data = device(
        "<peripheral><name>P</name><baseAddress>0xF0000000</baseAddress><registers>\n"
        "<register><name>HEXSIZE</name><addressOffset>0x10</addressOffset><size>0x20</size>"
        "<resetValue>0x80000000</resetValue></register>\n"
        "<register><name>BIN</name><addressOffset>20</addressOffset><size>8</size><resetValue>#1010</resetValue>"
        "<fields>"
        "<field><name>OFF</name><bitOffset>1</bitOffset><bitWidth>2</bitWidth></field>"
        "<field><name>RANGE</name><bitRange>[6:4]</bitRange><access>read-only</access>"
        "<enumeratedValues><enumeratedValue><name>A</name><value>0x7</value></enumeratedValue>"
        "<enumeratedValue><name>B</name><value>#10</value></enumeratedValue></enumeratedValues></field>"
        "<field><name>SWAPPED</name><msb>7</msb><lsb>7</lsb></field>"
        "<field><name>WO</name><lsb>0</lsb><msb>0</msb><access>write-only</access></field>"
        "</fields></register>\n"
        "</registers></peripheral>\n");
    QVERIFY(readInto(host, data));
    RegisterRecord *hex = host.reg("P", "HEXSIZE");
    QVERIFY(hex);
    QCOMPARE(hex->size(), 32);
    QCOMPARE(quint32(hex->address), 0xF0000010u);
    QCOMPARE(quint32(hex->resetValue), 0x80000000u);
    RegisterRecord *bin = host.reg("P", "BIN");
    QCOMPARE(bin->resetValue, 10);
    QCOMPARE(quint32(bin->address), 0xF0000014u);
    const struct {
        const char *name;
        int msb, lsb;
        bool readOnly;
    } expected[] = {{"OFF", 2, 1, false}, {"RANGE", 6, 4, true}, {"SWAPPED", 7, 7, false}, {"WO", 0, 0, false}};
    for (const auto &e : expected) {
        FieldRecord *f = bin->getField(e.name);
        QVERIFY2(f, e.name);
        QCOMPARE(f->msb(), e.msb);
        QCOMPARE(f->lsb(), e.lsb);
        QCOMPARE(f->width(), e.msb - e.lsb + 1);
        QCOMPARE(f->readOnly, e.readOnly);
    }
    const FieldRecord *range = bin->getField("RANGE");
    QCOMPARE(range->enumeratedValues.size(), 2);
    QCOMPARE(range->enumeratedValues.at(0).value, 7);
    QCOMPARE(range->enumeratedValues.at(1).value, 2);
    QCOMPARE(bin->enumeratedValues.value(7 + 4).name, QStringLiteral("A"));
    QVERIFY(host.console.isEmpty());
}

void TestSvdStreamReader::inheritanceArraysAndClusters()
{
    ModelHost host;
    const QByteArray data = device(
        "<peripheral><name>BASE</name><baseAddress>0x1000</baseAddress><size>16</size>"
        "<resetValue>0xABCD</resetValue><registers>\n"
        "<register><name>INHERIT</name><addressOffset>0</addressOffset></register>\n"
        "<register><dim>3</dim><dimIncrement>4</dimIncrement><name>ARR[%s]</name><addressOffset>0x10</addressOffset></register>\n"
        "<register><dim>2</dim><dimIncrement>4</dimIncrement><dimIndex>A,B</dimIndex><name>X_%s</name><addressOffset>0x20</addressOffset></register>\n"
        "<cluster><dim>2</dim><dimIncrement>0x10</dimIncrement><name>CH[%s]</name><addressOffset>0x100</addressOffset>"
        "<register><name>MODE</name><addressOffset>4</addressOffset><size>8</size></register></cluster>\n"
        "<register derivedFrom=\"INHERIT\"><name>COPY</name><addressOffset>0x30</addressOffset></register>\n"
        "</registers></peripheral>\n"
        "<peripheral derivedFrom=\"BASE\"><name>DERIVED</name><baseAddress>0x2000</baseAddress></peripheral>\n",
        "<size>32</size><resetValue>0</resetValue>");
    QVERIFY(readInto(host, data));
    QCOMPARE(host.reg("BASE", "INHERIT")->size(), 16);
    QCOMPARE(host.reg("BASE", "INHERIT")->resetValue, 0xABCD);
    for (int i = 0; i < 3; ++i) {
        RegisterRecord *r = host.reg("BASE", QStringLiteral("ARR%1").arg(i));
        QVERIFY(r);
        QCOMPARE(r->address, 0x1010 + 4 * i);
    }
    QVERIFY(host.reg("BASE", "X_A") && host.reg("BASE", "X_B"));
    QCOMPARE(host.reg("BASE", "X_B")->address, 0x1024);
    QCOMPARE(host.reg("BASE", "CH0_MODE")->address, 0x1104);
    QCOMPARE(host.reg("BASE", "CH1_MODE")->address, 0x1114);
    QCOMPARE(host.reg("BASE", "CH1_MODE")->size(), 8);
    QCOMPARE(host.reg("BASE", "COPY")->address, 0x1030);
    QCOMPARE(host.reg("BASE", "COPY")->size(), 16);
    QCOMPARE(host.reg("DERIVED", "CH1_MODE")->address, 0x2114);
    QCOMPARE(host.modules.value("DERIVED")->registers.size(), host.modules.value("BASE")->registers.size());
}

// Descriptions, access and enumerated values may come before the name.
void TestSvdStreamReader::elementsBeforeName()
{
    ModelHost host;
    const QByteArray data = device(
        "<peripheral><description>pd</description><baseAddress>0x100</baseAddress><name>P</name><registers>"
        "<register><description>rd</description><size>8</size><addressOffset>1</addressOffset><name>R</name><fields>"
        "<field><access>read-only</access><enumeratedValues><enumeratedValue><value>1</value><name>ON</name>"
        "</enumeratedValue></enumeratedValues><description>fd</description><bitRange>[3:2]</bitRange><name>F</name></field>"
        "</fields></register></registers></peripheral>\n");
    QVERIFY(readInto(host, data));
    QCOMPARE(host.modules.value("P")->description, QStringLiteral("pd"));
    RegisterRecord *r = host.reg("P", "R");
    QCOMPARE(r->description, QStringLiteral("rd"));
    QCOMPARE(r->address, 0x101);
    QCOMPARE(r->size(), 8);
    FieldRecord *f = r->getField("F");
    QCOMPARE(f->description, QStringLiteral("fd"));
    QVERIFY(f->readOnly);
    QCOMPARE(f->lsb(), 2);
    QCOMPARE(f->enumeratedValues.size(), 1);
    QCOMPARE(f->enumeratedValues.at(0).name, QStringLiteral("ON"));
}

void TestSvdStreamReader::bindingBeforeAndAfterRead()
{
    ModelHost host;
    BoundElement field("P.R.F[1:0]"), whole("P.R.G"), clash("P.R[5]"), after("P.R.H[0]");
    field.setProperty("svd", "a.svd");
    QVERIFY(bindRegisterPath(host, "P.R.F[1:0]", "regs.h", &field, true));
    QVERIFY(bindRegisterPath(host, "P.R.G", QString(), &whole, true));
    QVERIFY(bindRegisterPath(host, "P.R[5]", QString(), &clash, false));
    Lists lists;
    lists.existing << "$REGISTERS$";
    const QByteArray data = device(
        "<peripheral><name>P</name><baseAddress>0</baseAddress><registers>"
        "<register><name>R</name><addressOffset>8</addressOffset><size>32</size><fields>"
        "<field><name>F</name><lsb>8</lsb><msb>11</msb><enumeratedValues><enumeratedValue><name>E</name>"
        "<value>2</value></enumeratedValue></enumeratedValues></field>"
        "<field><name>G</name><bitOffset>4</bitOffset><bitWidth>2</bitWidth></field>"
        "<field><name>H</name><bitRange>[17:16]</bitRange></field>"
        "</fields></register>"
        "<register><name>NEW</name><addressOffset>12</addressOffset></register>"
        "</registers></peripheral>");
    QVERIFY(readInto(host, data, &lists));
    RegisterRecord *r = host.reg("P", "R");
    // Bound before: the header stays, no list item, the field's element sits at its bits.
    QCOMPARE(r->headerName, QStringLiteral("regs.h"));
    QCOMPARE(r->address, 8);
    QCOMPARE(r->elementsByMask().value(quint64(0x3) << 8), &field);
    QCOMPARE(r->getField("F")->enumeratedValues.size(), 1);
    // G's bits 5..4 collide with the element on register bit 5.
    QCOMPARE(m_reports.size(), 1);
    QCOMPARE(m_reports.at(0), QStringLiteral("Tried to assign a GUI element to already assigned bits: P.R.G\nMSB: 5 LSB: 4"));
    QCOMPARE(lists.items.size(), 1);
    QCOMPARE(std::get<1>(lists.items.at(0)), QStringLiteral("NEW"));
    // Bound after: the field grant works on the field's own bits.
    QVERIFY(bindRegisterPath(host, "P.R.H[0]", QString(), &after, true));
    QCOMPARE(r->getField("H")->usedBits(), quint64(1));
}

void TestSvdStreamReader::listElements()
{
    const QByteArray data = device("<peripheral><name>A</name><description>first</description><registers>"
                                   "<register><name>R1</name></register><register><name>R2</name></register>"
                                   "</registers></peripheral><peripheral><name>B</name></peripheral>");
    Lists lists;
    lists.existing << "$PERIPHERALS$" << "$REGISTERS$";
    {
        ModelHost host;
        QVERIFY(readInto(host, data, &lists));
    }
    QCOMPARE(lists.keys("$PERIPHERALS$"), (QList<int>{0, 1}));
    const QList<int> firstRegisters = lists.keys("$REGISTERS$");
    QCOMPARE(firstRegisters.size(), 2);
    QCOMPARE(lists.toolTips.value(0), QStringLiteral("first"));
    QCOMPARE(lists.deviceName, QStringLiteral("DEV"));
    lists.items.clear();
    {
        ModelHost host;
        QVERIFY(readInto(host, data, &lists));
    }
    QCOMPARE(lists.keys("$PERIPHERALS$"), (QList<int>{0, 1}));
    QCOMPARE(lists.keys("$REGISTERS$"), (QList<int>{firstRegisters.last() + 1, firstRegisters.last() + 2}));

    // A list element that refuses an item gets the red console line.
    Lists refusing;
    refusing.existing << "$PERIPHERALS$";
    auto hooks = refusing.hooks();
    hooks.addItem = [](const QString &, const QString &, const QString &, int) { return false; };
    ModelHost host;
    SvdStreamReader reader(&host, "/p.xml", hooks);
    QVERIFY(reader.readData(data));
    QCOMPARE(host.console.size(), 2);
    QVERIFY(host.console.at(0).contains("Couldn't set EnumeratedValue A in $PERIPHERALS$"));
}

void TestSvdStreamReader::brokenFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("line");
    QTest::addColumn<QString>("message"); // error text, or a console warning

    QTest::newRow("not xml") << QByteArray("this is not xml") << false << qint64(1) << QString();
    QTest::newRow("empty") << QByteArray() << false << qint64(1) << QString();
    QTest::newRow("wrong root") << QByteArray("<?xml version=\"1.0\"?>\n<panel>\n</panel>") << false << qint64(2)
                                << "Warning";
    QTest::newRow("unclosed") << QByteArray("<device>\n<peripherals>\n<peripheral>\n</peripherals>\n</device>")
                              << false << qint64(4) << QString();
    QTest::newRow("child in name") << QByteArray("<device>\n<name>\n<b/>\n</name>\n</device>") << false << qint64(3)
                                   << QString();
    QTest::newRow("bad number") << device("<peripheral><name>P</name>\n<baseAddress>0xZZ</baseAddress>\n</peripheral>")
                                << true << qint64(6) << "Not a number in &lt;baseAddress&gt;: 0xZZ";
    QTest::newRow("too large address")
        << device("<peripheral><name>P</name>\n<baseAddress>0x100000000</baseAddress>\n</peripheral>") << true
        << qint64(6) << "Not a number in &lt;baseAddress&gt;";
    QTest::newRow("missing name") << device("<peripheral><name>P</name><registers>\n<register><addressOffset>0</addressOffset>"
                                            "</register>\n</registers></peripheral>")
                                  << true << qint64(6) << "&lt;register&gt; without a name";
}

void TestSvdStreamReader::brokenFiles()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, ok);
    QFETCH(qint64, line);
    QFETCH(QString, message);
    ModelHost host;
    QString error;
    qint64 errorLine = 0;
    QCOMPARE(readInto(host, data, nullptr, &error, &errorLine), ok);
    if (!ok) {
        QVERIFY(host.modules.isEmpty());
        QCOMPARE(errorLine, line);
        if (!message.isEmpty())
            QCOMPARE(error, message);
        return;
    }
    QCOMPARE(host.console.size(), 1);
    QVERIFY2(host.console.at(0).contains(message), qPrintable(host.console.at(0)));
    QVERIFY2(host.console.at(0).contains(QStringLiteral("line %1,").arg(line)), qPrintable(host.console.at(0)));
}

void TestSvdStreamReader::refusedStructures_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");

    QTest::newRow("derivedFrom loop")
        << device("<peripheral derivedFrom=\"B\"><name>A</name></peripheral>\n"
                  "<peripheral derivedFrom=\"A\"><name>B</name></peripheral>")
        << true << "derived from itself";
    QTest::newRow("self derived") << device("<peripheral derivedFrom=\"A\"><name>A</name></peripheral>") << true
                                  << "derived from itself";
    QTest::newRow("absurd dim")
        << device("<peripheral><name>P</name><registers><register><dim>4000000000</dim><dimIncrement>4</dimIncrement>"
                  "<name>R%s</name></register></registers></peripheral>")
        << true << "Array of 4000000000 elements refused";
    QByteArray deep = "<device><name>D</name>";
    for (int i = 0; i < 5000; ++i)
        deep += "<x>";
    QTest::newRow("deep nesting") << deep << false << "nest deeper";
    QByteArray clusters = "<device><peripherals><peripheral><name>P</name><registers>";
    for (int i = 0; i < 40; ++i)
        clusters += "<cluster><name>C</name>";
    clusters += "<register><name>R</name></register>";
    for (int i = 0; i < 40; ++i)
        clusters += "</cluster>";
    clusters += "</registers></peripheral></peripherals></device>";
    QTest::newRow("clusters too deep") << clusters << false << "nest too deeply";
    // Arrays of peripherals and fields count as expanded, before anything is copied.
    QTest::newRow("peripheral array of register arrays")
        << device("<peripheral><dim>65536</dim><name>P%s</name><registers><register><dim>64</dim><name>R%s</name>"
                  "</register></registers></peripheral>")
        << false << "more than 1048576 registers and fields";
    QTest::newRow("field arrays in a register array")
        << device("<peripheral><name>P</name><registers><register><dim>4096</dim><name>R%s</name><fields>"
                  "<field><dim>4096</dim><name>F%s</name></field></fields></register></registers></peripheral>")
        << false << "more than 1048576 registers and fields";
    QByteArray values;
    for (int i = 0; i < 100; ++i)
        values += "<enumeratedValue><name>V" + QByteArray::number(i) + "</name><value>" + QByteArray::number(i)
                  + "</value></enumeratedValue>";
    QTest::newRow("enumerated values copied by a register array")
        << device("<peripheral><name>P</name><registers><register><dim>65536</dim><name>R%s</name><fields>"
                  "<field><name>F</name><enumeratedValues><name>E</name>" + values + "</enumeratedValues></field>"
                  "<field><name>G</name><enumeratedValues derivedFrom=\"E\"/></field></fields></register>"
                  "</registers></peripheral>")
        << false << "more than 4194304 enumerated values";
}

// Loops, huge arrays and deep nesting end with a message, never a hang.
void TestSvdStreamReader::refusedStructures()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, ok);
    QFETCH(QString, message);
    ModelHost host;
    QString error;
    QCOMPARE(readInto(host, data, nullptr, &error), ok);
    const QString said = ok ? host.console.join('\n') : error;
    QVERIFY2(said.contains(message), qPrintable(said));
}

void TestSvdStreamReader::errorLocationLinksPanelFile()
{
    ModelHost host;
    SvdStreamReader reader(&host, QStringLiteral("C:/panels/p.xml"));
    QVERIFY(!reader.readData("<device>\n  <name>x</oops>\n</device>"));
    QCOMPARE(reader.errorLocation(),
             QStringLiteral("<b><a href=\"$xmlopen$C$$$COLON$$$/panels/p.xml$-n2$-c%1\">file</a> line 2, column %1</b><b><br>")
                 .arg(reader.columnNumber()));
    QVERIFY(reader.columnNumber() > 0);
}

void TestSvdStreamReader::constructsInTheModel_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("bound");    // fields with an element before the read
    QTest::addColumn<QStringList>("fields");   // "MODULE.REG.FIELD [msb:lsb] values"
    QTest::addColumn<QStringList>("placed");   // "MODULE.REG mask element" at register level
    QTest::addColumn<QStringList>("items");    // "element: items handed to it"
    QTest::addColumn<QStringList>("warnings"); // a text of each console line, in order

    // Each repeat is a field of its own: no "Out of size" for it, and the
    // element of the first sits at the first's bits only.
    QTest::newRow("repeated field names")
        << "repeated_fields.svd" << QStringList{"SYS.CFG.RESERVED", "SYS.CFG.MODE"}
        << QStringList{"SYS.CFG.RESERVED [8:8]", "SYS.CFG.RESERVED_9 [9:9]", "SYS.CFG.RESERVED_13 [15:13]",
                       "SYS.CFG.MODE [2:1]", "SYS.CFG.MODE_4 [3:3]", "SYS.CFG.MODE_4_5 [5:4]",
                       "SYS.ODD.X [0:0]", "SYS.ODD.X_1 [1:1]", "SYS.ODD.X_1_1 [2:2]"}
        << QStringList{"SYS.CFG 100 SYS.CFG.RESERVED", "SYS.CFG 6 SYS.CFG.MODE"}
        << QStringList{"SYS.CFG.RESERVED: ", "SYS.CFG.MODE: "}
        << QStringList{"Field X is given again at bits 1..1, and no name is free for it: left out "
                       "<a href=\"$xmlopen$%1$-n33$-c19\">repeated_fields.svd</a> line 33, column 19"};
    // The combo box of a field gets the write block only, no isDefault item,
    // and a derived list; a field whose list is not found gets none.
    QTest::newRow("enumerated values")
        << "enumerated_values.svd" << QStringList{"CLK.CTRL.SEL", "CLK.CTRL.EN", "CLK.STATUS.MISSING"}
        << QStringList{"CLK.CTRL.SEL [1:0] RC=0 XTAL=1 PLL=2", "CLK.CTRL.EN [2:2] Set=1",
                       "CLK.CTRL.MODE [5:4] IDLE=0 BUSY=1", "CLK.CTRL.MODE2 [7:6] IDLE=0 BUSY=1",
                       "CLK.STATUS.NEAR [3:2] LOCAL_ONLY=3", "CLK.STATUS.SEL_COPY [5:4] RC=0 XTAL=1 PLL=2",
                       "CLK.STATUS.MISSING [9:8]", "TIMER.CFG.CLKSEL [1:0] RC=0 XTAL=1 PLL=2"}
        << QStringList{"CLK.CTRL 3 CLK.CTRL.SEL", "CLK.CTRL 4 CLK.CTRL.EN", "CLK.STATUS 300 CLK.STATUS.MISSING"}
        << QStringList{"CLK.CTRL.SEL: RC=0 XTAL=1 PLL=2", "CLK.CTRL.EN: Set=1", "CLK.STATUS.MISSING: "}
        << QStringList{"Field MISSING: the enumeratedValues it is derived from (NoSuchValues) are not found "
                       "<a href=\"$xmlopen$%1$-n88$-c60\">enumerated_values.svd</a> line 88, column 60"};
    // An unreadable value is said once, with its position; the 'x' value
    // is one item.
    QTest::newRow("number forms")
        << "number_forms.svd" << QStringList{"CLK.CTRL.SEL"}
        << QStringList{"CLK.CTRL.SEL [2:0] A=1 B=2 C=3 D=4 E=5"} << QStringList{"CLK.CTRL 7 CLK.CTRL.SEL"}
        << QStringList{"CLK.CTRL.SEL: A=1 B=2 C=3 D=4 E=5"}
        << QStringList{"Not a number in &lt;value&gt;: 0xZZ", "D (#1x0) is the item 4, not 6 <a href",
                       "Not a number in &lt;size&gt;: big", "Not a number in &lt;resetValue&gt;: 0x1G"};
}

void TestSvdStreamReader::constructsInTheModel()
{
    QFETCH(QString, file);
    QFETCH(QStringList, bound);
    ModelHost host;
    std::vector<std::unique_ptr<BoundElement>> elements;
    for (const QString &path : bound) {
        elements.push_back(std::make_unique<BoundElement>(path));
        elements.back()->setProperty("svd", file);
        QVERIFY(bindRegisterPath(host, path, QString(), elements.back().get(), true));
    }
    const QString path = QStringLiteral(SVD_FIXTURE_DIR "/constructs/") + file;
    QFile svd(path);
    QVERIFY(svd.open(QIODevice::ReadOnly | QIODevice::Text));
    SvdStreamReader reader(&host, QStringLiteral("/panels/a.xml"));
    QVERIFY(reader.read(&svd));
    QVERIFY2(m_reports.isEmpty(), qPrintable(m_reports.join('\n')));

    QFETCH(QStringList, fields);
    for (const QString &expected : fields) {
        const QStringList parts = expected.split(' ');
        const QStringList names = parts.at(0).split('.');
        RegisterRecord *reg = host.reg(names.at(0), names.at(1));
        QVERIFY2(reg, qPrintable(expected));
        FieldRecord *field = reg->getField(names.at(2));
        QVERIFY2(field, qPrintable(expected));
        QStringList got{parts.at(0), QStringLiteral("[%1:%2]").arg(field->msb()).arg(field->lsb())};
        for (const EnumeratedValue &value : field->enumeratedValues)
            got << QStringLiteral("%1=%2").arg(value.name).arg(value.value);
        QCOMPARE(got.join(' '), expected);
        QCOMPARE(field->width(), field->msb() - field->lsb() + 1);
    }
    QFETCH(QStringList, placed);
    for (const QString &expected : placed) {
        const QStringList parts = expected.split(' ');
        const QStringList names = parts.at(0).split('.');
        const QHash<quint64, ActiveElement *> held = host.reg(names.at(0), names.at(1))->elementsByMask();
        const ActiveElement *element = held.value(parts.at(1).toULongLong(nullptr, 16));
        QVERIFY2(element, qPrintable(expected));
        QCOMPARE(element->elementObject()->objectName(), parts.at(2));
        // Placed once: no other mask holds it.
        QCOMPARE(held.keys(const_cast<ActiveElement *>(element)).size(), 1);
    }
    QFETCH(QStringList, items);
    for (std::size_t i = 0; i < elements.size(); ++i)
        QCOMPARE(elements[i]->objectName() + ": " + elements[i]->items.join(' '), items.value(int(i)));
    QFETCH(QStringList, warnings);
    QCOMPARE(host.console.size(), warnings.size());
    const QString link = filePositionLink(path, QString(), QString()).section(QStringLiteral("$-n"), 0, 0)
                             .mid(int(qstrlen("$xmlopen$")));
    for (int i = 0; i < warnings.size(); ++i) {
        const QString expected = warnings.at(i).contains(QLatin1String("%1")) ? warnings.at(i).arg(link)
                                                                            : warnings.at(i);
        QVERIFY2(host.console.at(i).contains(expected), qPrintable(host.console.at(i) + "\n" + expected));
    }
}

QTEST_MAIN(TestSvdStreamReader)
#include "tst_svdstreamreader.moc"
