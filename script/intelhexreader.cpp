#include "intelhexreader.h"
#include "inputfile.h"

#include "textscan.h"

#include <QFile>
#include <QIODevice>

using Symscan::hexDigit;

static IntelHexResult failure(int status, int lineNumber, const QString &error)
{
    IntelHexResult result;
    result.status = status;
    result.lineNumber = lineNumber;
    result.error = error;
    return result;
}

IntelHexResult readIntelHex(QIODevice &in, QVector<IntelHexBlock> *blocks)
{
    quint32 base = 0;      // from the last address record
    quint64 next = ~0ull;  // the address that continues the last block; none yet
    qint64 total = 0;
    int lineNumber = 0;
    // One byte more than the longest record, so that a longer line shows.
    char buffer[IntelHexMaxLineLength + 4];
    while (!in.atEnd()) {
        ++lineNumber;
        const qint64 read = in.readLine(buffer, sizeof buffer);
        if (read < 0)
            return failure(IntelHexBadRecord, lineNumber, QStringLiteral("the file cannot be read"));
        qint64 length = read;
        const bool lineEnded = length > 0 && buffer[length - 1] == '\n';
        if (!lineEnded && !in.atEnd())
            return failure(IntelHexBadRecord, lineNumber, QStringLiteral("line too long for a record"));
        while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r'))
            --length;
        if (length < 1 || buffer[0] != ':')
            return failure(IntelHexNoColon, lineNumber, QStringLiteral("the line does not start with ':'"));

        // The record's bytes: count, address (2), type, data, checksum.
        const qint64 digits = length - 1;
        if (digits % 2 != 0)
            return failure(IntelHexBadRecord, lineNumber, QStringLiteral("odd number of hex digits"));
        QByteArray bytes;
        bytes.reserve(int(digits / 2));
        for (qint64 i = 1; i < length; i += 2) {
            const int high = hexDigit(buffer[i]);
            const int low = hexDigit(buffer[i + 1]);
            if (high < 0 || low < 0)
                return failure(IntelHexBadRecord, lineNumber, QStringLiteral("not a hex digit at column %1")
                                                                  .arg(high < 0 ? i + 1 : i + 2));
            bytes.append(char(high << 4 | low));
        }
        if (bytes.size() < 5)
            return failure(IntelHexBadRecord, lineNumber, QStringLiteral("record too short"));
        const int count = quint8(bytes.at(0));
        if (bytes.size() != count + 5)
            return failure(IntelHexBadRecord, lineNumber,
                           QStringLiteral("record holds %1 data bytes, its count says %2")
                               .arg(bytes.size() - 5)
                               .arg(count));
        quint8 sum = 0;
        for (char byte : qAsConst(bytes))
            sum = quint8(sum + quint8(byte));
        if (sum != 0)
            return failure(IntelHexBadRecord, lineNumber, QStringLiteral("checksum mismatch"));

        const quint32 offset = quint32(quint8(bytes.at(1))) << 8 | quint8(bytes.at(2));
        const int type = quint8(bytes.at(3));
        const QByteArray data = bytes.mid(4, count);
        switch (type) {
        case 0x00: {
            if (count == 0)
                break;
            const quint64 address = quint64(base) + offset;
            if (address + quint64(count) > 0x100000000ull)
                return failure(IntelHexBadRecord, lineNumber,
                               QStringLiteral("data beyond the 32-bit address space"));
            total += count;
            if (total > IntelHexMaxDataBytes)
                return failure(IntelHexBadRecord, lineNumber,
                               QStringLiteral("more than %1 bytes of data").arg(IntelHexMaxDataBytes));
            if (blocks->isEmpty() || address != next) {
                IntelHexBlock block;
                block.startAddress = quint32(address);
                blocks->append(block);
            }
            IntelHexBlock &block = blocks->last();
            block.data.append(data);
            block.length += quint32(count);
            next = address + quint64(count);
            break;
        }
        case 0x02:
        case 0x04: {
            if (count != 2)
                return failure(IntelHexBadRecord, lineNumber,
                               QStringLiteral("address record with %1 data bytes").arg(count));
            const quint32 value = quint32(quint8(data.at(0))) << 8 | quint8(data.at(1));
            base = type == 0x04 ? value << 16 : value << 4;
            break;
        }
        default:
            // End of file and start addresses: reading goes on.
            break;
        }
    }
    return IntelHexResult();
}

IntelHexResult readIntelHexFile(const QString &fileName, QVector<IntelHexBlock> *blocks)
{
    QFile file(fileName);
    QString openError = QStringLiteral("no file name");
    if (fileName.isEmpty() || !openInputFile(file, QIODevice::ReadOnly, &openError))
        return failure(IntelHexCannotOpen, 0, openError);
    return readIntelHex(file, blocks);
}
