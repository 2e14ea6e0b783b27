// A bounded random-input pass over the Intel HEX reader under
// AddressSanitizer and UndefinedBehaviorSanitizer, seeded with objcopy's
// output of our own gcc-compiled ELF files: mutated files, random text, huge
// addresses, overlapping records and a file of a million lines all end with
// a result and never yield more data than the text can hold.
#include "elfhexfixture.h"
#include "intelhexreader.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray record(quint8 type, quint16 offset, const QByteArray &data)
{
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char(offset >> 8));
    bytes.append(char(offset & 0xff));
    bytes.append(char(type));
    bytes.append(data);
    quint8 sum = 0;
    for (char byte : qAsConst(bytes))
        sum = quint8(sum + quint8(byte));
    bytes.append(char(quint8(-sum)));
    return ':' + bytes.toHex() + "\n";
}

IntelHexResult readText(const QByteArray &text, QVector<IntelHexBlock> *blocks)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return readIntelHex(buffer, blocks);
}

qint64 dataBytes(const QVector<IntelHexBlock> &blocks)
{
    qint64 total = 0;
    for (const IntelHexBlock &block : blocks) {
        if (qint64(block.length) != block.data.size())
            return -1;
        total += block.length;
    }
    return total;
}

QByteArray mutate(QRandomGenerator &random, QByteArray text)
{
    static const char pool[] = ":0123456789ABCDEFabcdefgG \r\n\t\x00\xff";
    const int edits = int(random.bounded(1, 8));
    for (int e = 0; e < edits && !text.isEmpty(); ++e) {
        const int at = int(random.bounded(text.size()));
        switch (random.bounded(4)) {
        case 0: text[at] = pool[random.bounded(int(sizeof pool) - 1)]; break;
        case 1: text.remove(at, int(random.bounded(1, 12))); break;
        case 2: text.insert(at, QByteArray(int(random.bounded(1, 40)), pool[random.bounded(int(sizeof pool) - 1)])); break;
        default: text.insert(at, text.mid(int(random.bounded(text.size())), int(random.bounded(1, 60)))); break;
        }
    }
    return text;
}

} // namespace

class FuzzIntelHexReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mutatedObjcopyOutput();
    void randomRecordsWithHugeAddresses();
    void millionLines();

private:
    QTemporaryDir m_dir;
    QList<QByteArray> m_seeds;
};

void FuzzIntelHexReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QList<QStringList> layouts = {
        {}, {"-Wl,-Ttext=0x18000", "-Wl,--section-start=.rodata=0x1fff0", "-Wl,-Tdata=0x30000"}};
    int n = 0;
    for (const QStringList &layout : layouts) {
        const QString hex = ElfHexFixture::buildHex(m_dir.path(), QStringLiteral("seed%1").arg(n++), layout);
        QVERIFY2(!hex.isEmpty(), "gcc or objcopy failed");
        QFile file(hex);
        QVERIFY(file.open(QIODevice::ReadOnly));
        m_seeds << file.readAll();
    }
}

void FuzzIntelHexReader::mutatedObjcopyOutput()
{
    QRandomGenerator random(0x1e7e);
    for (const QByteArray &seed : qAsConst(m_seeds)) {
        QVector<IntelHexBlock> blocks;
        QCOMPARE(readText(seed, &blocks).status, int(IntelHexRead));
    }
    for (int round = 0; round < 20000; ++round) {
        const QByteArray text = mutate(random, m_seeds.at(round % m_seeds.size()));
        QVector<IntelHexBlock> blocks;
        const IntelHexResult result = readText(text, &blocks);
        QVERIFY(result.status == IntelHexRead || result.status == IntelHexNoColon
                || result.status == IntelHexBadRecord);
        QVERIFY(result.status == IntelHexRead || result.lineNumber > 0);
        const qint64 bytes = dataBytes(blocks);
        QVERIFY(bytes >= 0 && bytes <= text.size() / 2);
    }
}

void FuzzIntelHexReader::randomRecordsWithHugeAddresses()
{
    QRandomGenerator random(0xadd);
    for (int round = 0; round < 3000; ++round) {
        QByteArray text;
        const int records = int(random.bounded(1, 40));
        for (int r = 0; r < records; ++r) {
            const quint8 type = quint8(random.bounded(7));
            QByteArray data(int(random.bounded(type == 4 || type == 2 ? 3 : 256)), Qt::Uninitialized);
            for (char &byte : data)
                byte = char(random.bounded(256));
            text += record(type, quint16(random.bounded(0x10000)), data);
        }
        QVector<IntelHexBlock> blocks;
        const IntelHexResult result = readText(text, &blocks);
        QVERIFY(result.status == IntelHexRead || result.status == IntelHexBadRecord);
        for (const IntelHexBlock &block : qAsConst(blocks))
            QVERIFY(quint64(block.startAddress) + block.length <= 0x100000000ull);
        QVERIFY(dataBytes(blocks) >= 0);
    }
}

void FuzzIntelHexReader::millionLines()
{
    // A million 16-byte records one after the other: one block, read to its end.
    QByteArray text;
    text.reserve(1000000 * 44);
    quint32 address = 0;
    const QByteArray data(16, '\x5a');
    for (int line = 0; line < 1000000; ++line) {
        if ((address & 0xffff) == 0)
            text += record(4, 0, QByteArray::fromHex(QByteArray::number(address >> 16, 16).rightJustified(4, '0')));
        text += record(0, quint16(address & 0xffff), data);
        address += 16;
    }
    QVector<IntelHexBlock> blocks;
    const IntelHexResult result = readText(text, &blocks);
    QCOMPARE(result.status, int(IntelHexRead));
    QCOMPARE(blocks.size(), 1);
    QCOMPARE(qint64(blocks.first().length), qint64(16000000));

    // A file claiming more than the reader holds is refused with its line.
    QByteArray big;
    const QByteArray full(255, '\x01');
    int lines = 0;
    for (quint32 at = 0; lines < 70000; at += 255, ++lines)
        big += record(0, quint16(at & 0xffff), full);
    blocks.clear();
    const IntelHexResult refused = readText(big, &blocks);
    QCOMPARE(refused.status, int(IntelHexBadRecord));
    QVERIFY(refused.lineNumber > 0);
    QVERIFY(dataBytes(blocks) <= IntelHexMaxDataBytes);
}

QTEST_GUILESS_MAIN(FuzzIntelHexReader)
#include "fuzz_intelhexreader.moc"
