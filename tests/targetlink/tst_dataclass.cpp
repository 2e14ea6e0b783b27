// Target variables against the J-Link simulator: the write path, held-back
// writes, blocks and triggers, reads on access and the default value.
#include "dataclass.h"
#include "jlink.h"
#include "jlinksim.h"
#include "pollentries.h"

#include <QHash>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

constexpr quint32 ram = 0x20000000;
constexpr quint32 unmapped = 0x40000000;

template <typename Fn>
Fn simulatorHelper(const char *name)
{
    return reinterpret_cast<Fn>(JLink::resolveJLinkFunction(name));
}

quint32 floatBits(float value)
{
    quint32 word = 0;
    std::memcpy(&word, &value, sizeof word);
    return word;
}

// A variable bound to `size` bytes of simulated RAM.
struct Bound {
    explicit Bound(quint32 size, bool readDone = true, const QString &name = QStringLiteral("V"),
                   quint32 address = ram)
        : variable(name)
    {
        entry.address = address;
        entry.byteSize = size;
        entry.intervalMs = readDone ? 0 : 10;
        entry.readDone = readDone;
        entry.target = &variable;
        variable.entry = &entry;
        if (size > 4)
            variable.setSize(size);
    }

    DataClass variable;
    VarPollEntry entry;
};

} // namespace

class DataClassTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void writePath_data();
    void writePath();
    void everyPathSignalsInOrder();
    void heldBackWriteGoesOutWithTheFirstRead();
    void heldBackWriteGoesOutWithAReadOnAccess();
    void setUpValuesAreNotHeldBack();
    void floatWritesItsFourBytes();
    void blockWritesAndReadsStayInsideTheBlock();
    void triggerReadsItsBlockAndResetsTheNamedVariable();
    void setValueFromBytes_data();
    void setValueFromBytes();
    void readOnAccess();
    void resetToDefault_data();
    void resetToDefault();

private:
    QByteArray peek(quint32 address, int count) const;
    void poke(quint32 address, const QByteArray &bytes) const;

    JLinkSimPeek m_peek = nullptr;
    JLinkSimPoke m_poke = nullptr;
    JLinkSimReset m_reset = nullptr;
    JLinkSimReadCount m_readCount = nullptr;
};

void DataClassTest::initTestCase()
{
    qputenv("QUILLMATE_JLINK_LIBRARY", QByteArrayLiteral(JLINKSIM_PATH));
    JLink::unloadJLinkDll();
    QVERIFY(!JLink::loadJLinkDll(false));
    m_peek = simulatorHelper<JLinkSimPeek>("jlinksim_peek");
    m_poke = simulatorHelper<JLinkSimPoke>("jlinksim_poke");
    m_reset = simulatorHelper<JLinkSimReset>("jlinksim_reset");
    m_readCount = simulatorHelper<JLinkSimReadCount>("jlinksim_read_count");
    QVERIFY(m_peek && m_poke && m_reset && m_readCount);
}

void DataClassTest::init()
{
    m_reset();
    // A pattern that shows which bytes a write touched.
    poke(ram, QByteArray(32, char(0xAA)));
}

QByteArray DataClassTest::peek(quint32 address, int count) const
{
    QByteArray bytes(count, '\0');
    if (m_peek(address, quint32(count), bytes.data()) != 0)
        return QByteArray();
    return bytes;
}

void DataClassTest::poke(quint32 address, const QByteArray &bytes) const
{
    QCOMPARE(m_poke(address, quint32(bytes.size()), bytes.constData()), 0);
}

void DataClassTest::writePath_data()
{
    QTest::addColumn<bool>("bound");
    QTest::addColumn<quint32>("size");
    QTest::addColumn<quint32>("shift");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("readDone");
    QTest::addColumn<uint>("value");
    QTest::addColumn<QByteArray>("memory"); // the first 4 bytes afterwards
    QTest::addColumn<bool>("pending");

    const QByteArray untouched = QByteArray::fromHex("aaaaaaaa");
    QTest::newRow("unbound") << false << 4u << 0u << false << true << 5u << untouched << false;
    QTest::newRow("read-only") << true << 4u << 0u << true << true << 5u << untouched << false;
    QTest::newRow("not read yet: held back") << true << 4u << 0u << false << false << 5u << untouched << true;
    QTest::newRow("1 byte") << true << 1u << 0u << false << true << 0x12345678u << QByteArray::fromHex("78aaaaaa")
                            << false;
    QTest::newRow("2 bytes") << true << 2u << 0u << false << true << 0x12345678u
                             << QByteArray::fromHex("7856aaaa") << false;
    QTest::newRow("3 bytes") << true << 3u << 0u << false << true << 0x12345678u
                             << QByteArray::fromHex("785634aa") << false;
    QTest::newRow("4 bytes") << true << 4u << 0u << false << true << 0x12345678u
                             << QByteArray::fromHex("78563412") << false;
    QTest::newRow("2 bytes, shift 4") << true << 2u << 4u << false << true << 0x0123u
                                      << QByteArray::fromHex("3012aaaa") << false;
    QTest::newRow("shift beyond the word") << true << 4u << 40u << false << true << 0xFFu
                                           << QByteArray::fromHex("00000000") << false;
}

void DataClassTest::writePath()
{
    QFETCH(bool, bound);
    QFETCH(quint32, size);
    QFETCH(quint32, shift);
    QFETCH(bool, readOnly);
    QFETCH(bool, readDone);
    QFETCH(uint, value);
    QFETCH(QByteArray, memory);
    QFETCH(bool, pending);

    Bound b(size, readDone);
    b.entry.bitShift = shift;
    b.entry.readOnly = readOnly;
    if (!bound)
        b.variable.entry = nullptr;
    b.variable.setValue(value);

    QCOMPARE(b.variable.value(), value);
    QCOMPARE(peek(ram, 4), memory);
    QCOMPARE(b.variable.hasPendingWrite(), pending);
}

void DataClassTest::everyPathSignalsInOrder()
{
    Bound held(4, false);
    Bound readOnly(4);
    readOnly.entry.readOnly = 1;
    Bound written(4);
    DataClass unbound(QStringLiteral("U"));
    for (DataClass *variable : {&held.variable, &readOnly.variable, &written.variable, &unbound}) {
        QStringList order;
        const QMetaObject::Connection math =
            connect(variable, &DataClass::updateMathLabels, this, [&order] { order << "math"; });
        const QMetaObject::Connection leds =
            connect(variable, &DataClass::updateLEDs, this, [&order] { order << "leds"; });
        variable->setValue(3);
        variable->setFloatValue(1.0f);
        variable->setValueFromBytes(QByteArray(1, 7));
        disconnect(math);
        disconnect(leds);
        QCOMPARE(order, QStringList({"math", "leds", "math", "leds", "math", "leds"}));
    }
}

void DataClassTest::heldBackWriteGoesOutWithTheFirstRead()
{
    Bound b(2, false);
    b.variable.setValue(0x1111);
    b.variable.setValue(0x0BCD); // the later value wins
    QCOMPARE(peek(ram, 2), QByteArray::fromHex("aaaa"));

    // The word just read is older than the held-back value: not handed on.
    QVERIFY(!b.variable.firstRead());
    QVERIFY(b.entry.readDone);
    QVERIFY(!b.variable.hasPendingWrite());
    QCOMPARE(peek(ram, 2), QByteArray::fromHex("cd0b"));
    QCOMPARE(b.variable.value(), 0x0BCDu);

    // From now on writes go straight out, and a second first read is a no-op.
    QVERIFY(b.variable.firstRead());
    b.variable.setValue(0x0102);
    QCOMPARE(peek(ram, 2), QByteArray::fromHex("0201"));

    // Without a held-back write the first read is handed on.
    Bound fresh(4, false, QStringLiteral("F"), ram + 8);
    QVERIFY(fresh.variable.firstRead());
}

void DataClassTest::heldBackWriteGoesOutWithAReadOnAccess()
{
    Bound b(1, false);
    b.variable.readOnAccess = 1;
    b.variable.setValue(0x42);
    QCOMPARE(peek(ram, 1), QByteArray::fromHex("aa"));
    QCOMPARE(b.variable.value(), 0x42u);
    QVERIFY(b.entry.readDone);
    QCOMPARE(peek(ram, 1), QByteArray::fromHex("42"));
}

void DataClassTest::setUpValuesAreNotHeldBack()
{
    // Defaults never wait for the first read, and replace a held-back write.
    Bound b(4, false);
    b.variable.setProperty("my_default", QStringLiteral("9"));
    b.variable.setValue(5);
    QVERIFY(b.variable.hasPendingWrite());
    b.variable.resetToDefault();
    QVERIFY(!b.variable.hasPendingWrite());
    QCOMPARE(b.variable.value(), 9u);
    QVERIFY(b.variable.firstRead());
    QCOMPARE(peek(ram, 4), QByteArray::fromHex("aaaaaaaa"));

    Bound dropped(4, false, QStringLiteral("D"), ram + 8);
    dropped.variable.setValue(5);
    dropped.variable.discardPendingWrite();
    QVERIFY(dropped.variable.firstRead());
    QCOMPARE(peek(ram + 8, 4), QByteArray::fromHex("aaaaaaaa"));
}

void DataClassTest::floatWritesItsFourBytes()
{
    Bound b(4);
    b.variable.isFloat = 1;
    b.entry.bitShift = 4; // not applied to floats
    b.variable.setFloatValue(1.5f);
    const quint32 bits = floatBits(1.5f);
    QCOMPARE(peek(ram, 4), QByteArray(reinterpret_cast<const char *>(&bits), 4));
    QCOMPARE(b.variable.floatValue(), 1.5f);

    Bound held(4, false, QStringLiteral("H"), ram + 8);
    held.variable.setFloatValue(2.0f);
    QVERIFY(!held.variable.firstRead());
    const quint32 two = floatBits(2.0f);
    QCOMPARE(peek(ram + 8, 4), QByteArray(reinterpret_cast<const char *>(&two), 4));
}

void DataClassTest::blockWritesAndReadsStayInsideTheBlock()
{
    // Guard bytes after the 8-byte block show any access beyond it.
    poke(ram, QByteArray::fromHex("0102030405060708eeeeeeee"));
    Bound b(8);
    b.variable.readOnAccess = 1;
    QCOMPARE(b.variable.byteSize(), 8u);
    QCOMPARE(b.variable.buffer().size(), 8);

    b.variable.value();
    QCOMPARE(b.variable.buffer(), QByteArray::fromHex("0102030405060708"));
    poke(ram, QByteArray(8, '\0'));
    b.variable.setValue(1); // writes the block, whatever the value
    QCOMPARE(peek(ram, 12), QByteArray::fromHex("0102030405060708eeeeeeee"));

    // An entry that grew after the block was made: neither read nor written.
    b.entry.byteSize = 12;
    poke(ram, QByteArray(12, char(0x55)));
    b.variable.value();
    QCOMPARE(b.variable.buffer(), QByteArray::fromHex("0102030405060708"));
    b.variable.setValue(2);
    QCOMPARE(peek(ram, 12), QByteArray(12, char(0x55)));

    // setSize resizes the block to match again; 4 bytes and less need none.
    b.variable.setSize(12);
    QCOMPARE(b.variable.buffer().size(), 12);
    b.variable.value();
    QCOMPARE(b.variable.buffer(), QByteArray(12, char(0x55)));
    b.variable.setSize(4);
    QVERIFY(!b.variable.hasBuffer());
    b.variable.setSize(0xFFFFFFFF); // no variable is that big: no block
    QVERIFY(!b.variable.hasBuffer());
}

void DataClassTest::triggerReadsItsBlockAndResetsTheNamedVariable()
{
    poke(ram, QByteArray::fromHex("000102030405060708090a0b0c0d0e0f"));
    Bound trigger(16, false, QStringLiteral("T"));
    trigger.variable.hasTrigger = 1;
    trigger.variable.triggerName = QStringLiteral("FLAG");
    trigger.entry.readOnly = 1; // does not apply to triggers
    Bound flag(4, true, QStringLiteral("FLAG"), ram + 16);
    flag.variable.setValue(7);
    QHash<QString, DataClass *> registry{{QStringLiteral("FLAG"), &flag.variable}};
    trigger.variable.findVariable = [&registry](const QString &name) { return registry.value(name); };

    const quint64 readsBefore = m_readCount();
    trigger.variable.setValue(0);
    QCOMPARE(m_readCount(), readsBefore);
    QCOMPARE(flag.variable.value(), 7u);

    trigger.variable.setValue(1);
    QCOMPARE(trigger.variable.buffer(), QByteArray::fromHex("000102030405060708090a0b0c0d0e0f"));
    QVERIFY(trigger.entry.readDone);
    QCOMPARE(flag.variable.value(), 0u);
    QCOMPARE(peek(ram + 16, 4), QByteArray(4, '\0'));

    // A failed block read resets nothing.
    flag.variable.setValue(7);
    trigger.entry.address = unmapped;
    trigger.variable.setValue(1);
    QCOMPARE(flag.variable.value(), 7u);
}

void DataClassTest::setValueFromBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<uint>("value");
    QTest::newRow("two bytes, most significant first") << QByteArray::fromHex("1234") << 0x1234u;
    QTest::newRow("no bytes") << QByteArray() << 0u;
    QTest::newRow("four bytes") << QByteArray::fromHex("deadbeef") << 0xDEADBEEFu;
    QTest::newRow("five bytes: the last four count") << QByteArray::fromHex("0102030405") << 0x02030405u;
}

void DataClassTest::setValueFromBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(uint, value);
    Bound b(4);
    b.variable.setValue(99);
    poke(ram, QByteArray::fromHex("aaaaaaaa"));
    QSignalSpy leds(&b.variable, &DataClass::updateLEDs);
    b.variable.setValueFromBytes(bytes);
    QCOMPARE(b.variable.value(), value);
    QCOMPARE(leds.count(), 1);
    QCOMPARE(peek(ram, 4), QByteArray::fromHex("aaaaaaaa")); // no target write
}

void DataClassTest::readOnAccess()
{
    poke(ram, QByteArray::fromHex("7f112233"));
    Bound b(1, false);
    b.variable.readOnAccess = 1;
    b.variable.setValueFromBytes(QByteArray::fromHex("ffffffff"));
    QCOMPARE(b.variable.value(), 0x7Fu);
    QVERIFY(b.entry.readDone);

    // Without readOnAccess the value is the stored one.
    poke(ram, QByteArray::fromHex("01"));
    b.variable.readOnAccess = 0;
    QCOMPARE(b.variable.value(), 0x7Fu);

    // A refused read keeps the value and the read mark.
    Bound lost(2, false, QStringLiteral("L"), unmapped);
    lost.variable.readOnAccess = 1;
    lost.variable.setValueFromBytes(QByteArray::fromHex("0203"));
    QCOMPARE(lost.variable.value(), 0x0203u);
    QVERIFY(!lost.entry.readDone);

    // A float reads its bytes too.
    const quint32 bits = floatBits(-3.25f);
    poke(ram + 8, QByteArray(reinterpret_cast<const char *>(&bits), 4));
    Bound real(4, true, QStringLiteral("R"), ram + 8);
    real.variable.isFloat = 1;
    real.variable.readOnAccess = 1;
    QCOMPARE(real.variable.floatValue(), -3.25f);
}

void DataClassTest::resetToDefault_data()
{
    QTest::addColumn<QString>("defaultText");
    QTest::addColumn<bool>("isFloat");
    QTest::addColumn<uint>("value");
    QTest::addColumn<float>("floatValue");
    QTest::addColumn<QByteArray>("memory");
    QTest::newRow("no default") << QString() << false << 0u << 0.0f << QByteArray::fromHex("00000000");
    QTest::newRow("hex literal") << "0x10" << false << 16u << 16.0f << QByteArray::fromHex("10000000");
    QTest::newRow("binary literal") << "0b101" << false << 5u << 5.0f << QByteArray::fromHex("05000000");
    const quint32 bits = floatBits(1.5f);
    QTest::newRow("float variable") << "1.5" << true << 0u << 1.5f
                                    << QByteArray(reinterpret_cast<const char *>(&bits), 4);
}

void DataClassTest::resetToDefault()
{
    QFETCH(QString, defaultText);
    QFETCH(bool, isFloat);
    QFETCH(uint, value);
    QFETCH(float, floatValue);
    QFETCH(QByteArray, memory);
    Bound b(4);
    b.variable.isFloat = isFloat;
    b.variable.setValue(77);
    if (!defaultText.isNull())
        b.variable.setProperty("my_default", defaultText);
    b.variable.resetToDefault();
    QCOMPARE(b.variable.value(), value);
    QCOMPARE(b.variable.floatValue(), floatValue);
    QCOMPARE(peek(ram, 4), memory);
}

QTEST_GUILESS_MAIN(DataClassTest)
#include "tst_dataclass.moc"
