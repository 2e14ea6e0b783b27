// The Intel HEX reader: blocks of objcopy's output of our own ELF files
// against the ELF's loadable sections, record rules, and malformed lines.
#include "elfhexfixture.h"
#include "intelhexreader.h"

#include <QBuffer>
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
    return ':' + bytes.toHex().toUpper() + "\r\n";
}

QByteArray fill(int n, int first = 0)
{
    QByteArray data;
    for (int i = 0; i < n; ++i)
        data.append(char(first + i));
    return data;
}

IntelHexResult readText(const QByteArray &text, QVector<IntelHexBlock> *blocks)
{
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    return readIntelHex(buffer, blocks);
}

QString describe(const QVector<IntelHexBlock> &blocks)
{
    QStringList parts;
    for (const IntelHexBlock &block : blocks)
        parts << QStringLiteral("%1+%2").arg(block.startAddress, 0, 16).arg(block.length);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class TstIntelHexReader : public QObject
{
    Q_OBJECT

private slots:
    void blocksEqualLoadableSectionsOfGccElf_data();
    void blocksEqualLoadableSectionsOfGccElf();
    void recordsFormBlocks_data();
    void recordsFormBlocks();
    void malformedLinesAreErrorsWithTheirLineNumber_data();
    void malformedLinesAreErrorsWithTheirLineNumber();
    void blocksBeforeABadLineStay();
    void blocksFollowEarlierReads();
    void missingFileCannotBeOpened();
};

void TstIntelHexReader::blocksEqualLoadableSectionsOfGccElf_data()
{
    QTest::addColumn<QStringList>("linkOptions");
    // Above 1 MiB objcopy writes extended linear address records; below it
    // extended segment address records, with a section across 64 KiB.
    QTest::newRow("linear addresses") << QStringList();
    QTest::newRow("segment addresses") << QStringList{"-Wl,-Ttext=0x18000", "-Wl,--section-start=.rodata=0x1fff0",
                                                      "-Wl,-Tdata=0x30000", "-Wl,--build-id=none"};
}

void TstIntelHexReader::blocksEqualLoadableSectionsOfGccElf()
{
    QFETCH(QStringList, linkOptions);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString hex = ElfHexFixture::buildHex(dir.path(), QStringLiteral("fw"), linkOptions);
    QVERIFY2(!hex.isEmpty(), "gcc or objcopy failed");
    bool ok = false;
    const QMap<quint32, quint8> expected = ElfHexFixture::loadableBytes(dir.path(), QStringLiteral("fw.elf"), &ok);
    QVERIFY(ok);

    QVector<IntelHexBlock> blocks;
    const IntelHexResult result = readIntelHexFile(hex, &blocks);
    QCOMPARE(result.status, int(IntelHexRead));
    QVERIFY(!blocks.isEmpty());
    QMap<quint32, quint8> image;
    for (const IntelHexBlock &block : qAsConst(blocks)) {
        QCOMPARE(int(block.length), block.data.size());
        for (int i = 0; i < block.data.size(); ++i) {
            QVERIFY2(!image.contains(block.startAddress + quint32(i)), "blocks overlap");
            image.insert(block.startAddress + quint32(i), quint8(block.data.at(i)));
        }
    }
    QCOMPARE(image.size(), expected.size());
    QVERIFY(image == expected);
    // Contiguous records make one block each: no two blocks touch.
    for (int i = 1; i < blocks.size(); ++i)
        QVERIFY(blocks.at(i).startAddress != blocks.at(i - 1).startAddress + blocks.at(i - 1).length);
}

void TstIntelHexReader::recordsFormBlocks_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("blocks");

    QTest::newRow("contiguous records, one block")
        << record(0, 0, fill(16)) + record(0, 0x10, fill(16)) + record(1, 0, {}) << "0+32";
    QTest::newRow("a gap starts a second block")
        << record(0, 0, fill(16)) + record(0, 0x10, fill(16)) + record(0, 0x40, fill(4)) << "0+32 40+4";
    QTest::newRow("extended linear address")
        << record(4, 0, QByteArray::fromHex("0800")) + record(0, 0, fill(8)) << "8000000+8";
    QTest::newRow("continued across an address record")
        << record(4, 0, QByteArray::fromHex("0001")) + record(0, 0xfff0, fill(16))
               + record(4, 0, QByteArray::fromHex("0002")) + record(0, 0, fill(16))
        << "1fff0+32";
    QTest::newRow("extended segment address")
        << record(2, 0, QByteArray::fromHex("1000")) + record(0, 0x20, fill(4)) << "10020+4";
    QTest::newRow("data after the end record is read")
        << record(0, 0, fill(4)) + record(1, 0, {}) + record(0, 0x100, fill(4)) << "0+4 100+4";
    QTest::newRow("start addresses are passed over")
        << record(3, 0, fill(4)) + record(5, 0, fill(4)) + record(0, 0, fill(2)) << "0+2";
    QTest::newRow("overlapping records stay as written")
        << record(0, 0x10, fill(8)) + record(0, 0x14, fill(8)) << "10+8 14+8";
    QTest::newRow("lower-case digits and LF line ends")
        << QByteArray(record(0, 0xab, fill(3, 0xfa))).toLower().replace("\r\n", "\n") << "ab+3";
    QTest::newRow("top of the address space")
        << record(4, 0, QByteArray::fromHex("ffff")) + record(0, 0xfff0, fill(16)) << "fffffff0+16";
    QTest::newRow("empty data record") << record(0, 0x10, {}) << "";
}

void TstIntelHexReader::recordsFormBlocks()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, blocks);
    QVector<IntelHexBlock> read;
    const IntelHexResult result = readText(text, &read);
    QCOMPARE(result.status, int(IntelHexRead));
    QCOMPARE(describe(read), blocks);
}

void TstIntelHexReader::malformedLinesAreErrorsWithTheirLineNumber_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("error");

    const QByteArray good = record(0, 0, fill(4));
    QByteArray badSum = record(0, 0x10, fill(4));
    badSum[badSum.size() - 3] = badSum.at(badSum.size() - 3) == '0' ? '1' : '0';
    QTest::newRow("bad checksum") << good + badSum << int(IntelHexBadRecord) << 2 << "checksum mismatch";
    QTest::newRow("record shorter than its count")
        << good + good + QByteArray(":10000000000102") + "\r\n" << int(IntelHexBadRecord) << 3
        << "record holds 2 data bytes, its count says 16";
    QTest::newRow("no checksum") << QByteArray(":00000001\n") << int(IntelHexBadRecord) << 1 << "record too short";
    QByteArray shortData = record(0, 0, fill(4));
    shortData.replace(1, 2, "08");
    QTest::newRow("count larger than the data")
        << shortData << int(IntelHexBadRecord) << 1 << "record holds 4 data bytes, its count says 8";
    QByteArray letter = good;
    letter[11] = 'g';
    QTest::newRow("non-hex character") << good + letter << int(IntelHexBadRecord) << 2
                                       << "not a hex digit at column 12";
    QTest::newRow("odd digit count") << QByteArray(":0000000\n") << int(IntelHexBadRecord) << 1
                                     << "odd number of hex digits";
    QTest::newRow("line starting with a blank")
        << good + good + " " + good << int(IntelHexNoColon) << 3 << "the line does not start with ':'";
    QTest::newRow("empty line") << good + "\n" + good << int(IntelHexNoColon) << 2
                                << "the line does not start with ':'";
    QTest::newRow("line too long") << good + ':' + QByteArray(2000, '0') + "\n" << int(IntelHexBadRecord) << 2
                                   << "line too long for a record";
    QTest::newRow("address record with three bytes")
        << record(4, 0, fill(3)) << int(IntelHexBadRecord) << 1 << "address record with 3 data bytes";
    QTest::newRow("data beyond 4 GiB")
        << record(4, 0, QByteArray::fromHex("ffff")) + record(0, 0xfff8, fill(16)) << int(IntelHexBadRecord) << 2
        << "data beyond the 32-bit address space";
}

void TstIntelHexReader::malformedLinesAreErrorsWithTheirLineNumber()
{
    QFETCH(QByteArray, text);
    QFETCH(int, status);
    QFETCH(int, line);
    QFETCH(QString, error);
    QVector<IntelHexBlock> blocks;
    const IntelHexResult result = readText(text, &blocks);
    QCOMPARE(result.status, status);
    QCOMPARE(result.lineNumber, line);
    QCOMPARE(result.error, error);
}

void TstIntelHexReader::blocksBeforeABadLineStay()
{
    QVector<IntelHexBlock> blocks;
    const IntelHexResult result =
        readText(record(0, 0, fill(16)) + record(0, 0x10, fill(16)) + " " + record(0, 0x20, fill(4)), &blocks);
    QCOMPARE(result.status, int(IntelHexNoColon));
    QCOMPARE(result.lineNumber, 3);
    QCOMPARE(describe(blocks), QStringLiteral("0+32"));
    QCOMPARE(blocks.first().data, fill(16) + fill(16));
}

void TstIntelHexReader::blocksFollowEarlierReads()
{
    QVector<IntelHexBlock> blocks;
    QCOMPARE(readText(record(0, 0, fill(4)), &blocks).status, int(IntelHexRead));
    // A second read never continues a block of the first.
    QCOMPARE(readText(record(0, 4, fill(4)), &blocks).status, int(IntelHexRead));
    QCOMPARE(describe(blocks), QStringLiteral("0+4 4+4"));
}

void TstIntelHexReader::missingFileCannotBeOpened()
{
    QVector<IntelHexBlock> blocks;
    QCOMPARE(readIntelHexFile(QStringLiteral("/nonexistent/fw.hex"), &blocks).status, int(IntelHexCannotOpen));
    QCOMPARE(readIntelHexFile(QString(), &blocks).status, int(IntelHexCannotOpen));
    QVERIFY(blocks.isEmpty());
}

QTEST_GUILESS_MAIN(TstIntelHexReader)
#include "tst_intelhexreader.moc"
