// A bounded random-input pass over the simulator's Intel HEX reader (built
// with AddressSanitizer and UndefinedBehaviorSanitizer): files written from
// random images read back to the same bytes, and mutated or random text never
// crashes it or yields more data than the text can hold.
#include "intelhex.h"

#include <QRandomGenerator>
#include <QtTest>

#include <map>

namespace {

using Image = std::map<quint32, quint8>;

void appendRecord(std::string *text, quint8 type, quint16 offset, const std::vector<quint8> &data)
{
    std::vector<quint8> record = {quint8(data.size()), quint8(offset >> 8), quint8(offset), type};
    record.insert(record.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (quint8 byte : record)
        sum += byte;
    record.push_back(quint8(-sum));
    static const char digits[] = "0123456789ABCDEF";
    *text += ':';
    for (quint8 byte : record) {
        *text += digits[byte >> 4];
        *text += digits[byte & 15];
    }
    *text += "\r\n";
}

// Random runs of bytes anywhere in the address space, written with extended
// linear address records where a run crosses a 64 KiB boundary.
std::string writeHex(QRandomGenerator &random, Image *image)
{
    std::string text;
    const int runs = random.bounded(1, 6);
    for (int run = 0; run < runs; ++run) {
        quint32 address = random.generate();
        const int length = random.bounded(1, 600);
        quint32 upper = 0xFFFFFFFFu;
        for (int i = 0; i < length;) {
            if ((address >> 16) != upper) {
                upper = address >> 16;
                appendRecord(&text, 0x04, 0, {quint8(upper >> 8), quint8(upper)});
            }
            const int room = 0x10000 - int(address & 0xFFFF);
            const int count = std::min({length - i, int(random.bounded(1, 33)), room});
            std::vector<quint8> data(count);
            for (quint8 &byte : data)
                byte = quint8(random.bounded(256));
            appendRecord(&text, 0x00, quint16(address), data);
            for (int k = 0; k < count; ++k)
                (*image)[address + quint32(k)] = data[k];
            i += count;
            address += quint32(count);
            if (address == 0)
                break; // the top of the address space
        }
    }
    appendRecord(&text, 0x01, 0, {});
    return text;
}

std::size_t dataBytes(const std::vector<jlinksim::HexChunk> &chunks)
{
    std::size_t total = 0;
    for (const auto &chunk : chunks)
        total += chunk.bytes.size();
    return total;
}

} // namespace

class IntelHexFuzzTest : public QObject
{
    Q_OBJECT

private slots:
    void writtenImagesReadBack();
    void mutatedTextNeverOverruns();
    void malformedRecords_data();
    void malformedRecords();
};

void IntelHexFuzzTest::writtenImagesReadBack()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 300; ++round) {
        Image image;
        const std::string text = writeHex(random, &image);
        std::vector<jlinksim::HexChunk> chunks;
        std::string error;
        QVERIFY2(jlinksim::parseIntelHex(text.data(), text.size(), &chunks, &error), error.c_str());
        Image read;
        for (const auto &chunk : chunks)
            for (std::size_t i = 0; i < chunk.bytes.size(); ++i)
                read[chunk.address + quint32(i)] = chunk.bytes[i];
        QCOMPARE(read.size(), image.size());
        QVERIFY(read == image);
    }
}

void IntelHexFuzzTest::mutatedTextNeverOverruns()
{
    QRandomGenerator random(77);
    const char alphabet[] = ":0123456789ABCDEFabcdef\r\n \x00\xff";
    for (int round = 0; round < 4000; ++round) {
        Image image;
        std::string text;
        if (round % 4 == 0) {
            // Pure noise, mostly from the characters a HEX file is made of.
            const int length = random.bounded(0, 400);
            for (int i = 0; i < length; ++i)
                text += round % 8 == 0 ? char(random.bounded(256))
                                       : alphabet[random.bounded(int(sizeof alphabet - 1))];
        } else {
            text = writeHex(random, &image);
            const int edits = random.bounded(1, 8);
            for (int e = 0; e < edits && !text.empty(); ++e) {
                const int at = random.bounded(int(text.size()));
                switch (random.bounded(3)) {
                case 0: text[at] = alphabet[random.bounded(int(sizeof alphabet - 1))]; break;
                case 1: text.erase(at, random.bounded(1, 20)); break;
                default: text.insert(std::size_t(at), text, std::size_t(random.bounded(int(text.size()))), 13); break;
                }
            }
        }
        // An exact-size copy, so reading one byte past the end is caught.
        std::vector<char> exact(text.begin(), text.end());
        std::vector<jlinksim::HexChunk> chunks;
        std::string error;
        jlinksim::parseIntelHex(exact.data(), exact.size(), &chunks, &error);
        QVERIFY(dataBytes(chunks) <= exact.size() / 2);
        for (const auto &chunk : chunks)
            QVERIFY(quint64(chunk.address) + chunk.bytes.size() <= 0x100000000ull);
    }
}

void IntelHexFuzzTest::malformedRecords_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("bytes");

    QTest::newRow("data and end") << QByteArray(":0400000001020304F2\n:00000001FF\n") << true << 4;
    QTest::newRow("CR LF and blank lines") << QByteArray("\r\n:0400000001020304F2\r\n\r\n:00000001FF\r\n")
                                           << true << 4;
    QTest::newRow("nothing after the end record") << QByteArray(":00000001FF\n:0400000001020304F2\n")
                                                  << true << 0;
    QTest::newRow("bad checksum") << QByteArray(":0400000001020304F3\n") << false << 0;
    QTest::newRow("count larger than record") << QByteArray(":0500000001020304F1\n") << false << 0;
    QTest::newRow("odd digit count") << QByteArray(":0400000001020304F\n") << false << 0;
    QTest::newRow("no colon") << QByteArray("0400000001020304F2\n") << false << 0;
    QTest::newRow("unknown type") << QByteArray(":00000006FA\n") << false << 0;
    QTest::newRow("short linear address") << QByteArray(":01000004FFFC\n") << false << 0;
    QTest::newRow("data past 4 GiB") << QByteArray(":02000004FFFFFC\n:02FFFF00AABB9B\n") << false << 0;
    QTest::newRow("segment address") << QByteArray(":020000021000EC\n:0100000055AA\n") << true << 1;
}

void IntelHexFuzzTest::malformedRecords()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, accepted);
    QFETCH(int, bytes);
    std::vector<jlinksim::HexChunk> chunks;
    std::string error;
    QCOMPARE(jlinksim::parseIntelHex(text.constData(), std::size_t(text.size()), &chunks, &error), accepted);
    QCOMPARE(int(dataBytes(chunks)), bytes);
    QCOMPARE(error.empty(), accepted);
}

QTEST_APPLESS_MAIN(IntelHexFuzzTest)
#include "tst_intelhex_fuzz.moc"
