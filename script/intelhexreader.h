#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

class QIODevice;

// One run of contiguous Intel HEX data at an absolute 32-bit address.
struct IntelHexBlock {
    quint32 startAddress = 0;
    quint32 length = 0;
    QByteArray data;
};

// The outcome of reading an Intel HEX text.
enum IntelHexStatus : int {
    IntelHexRead = 0,       // read to its end
    IntelHexCannotOpen = -1,
    IntelHexNoColon = -2,   // a line does not start with ':'
    IntelHexBadRecord = -3, // a record is malformed (length, digits, checksum, size)
};

struct IntelHexResult {
    int status = IntelHexRead;
    int lineNumber = 0; // the line at fault, counted from 1; 0 when none
    QString error;      // why, without the file name
};

// Longest line a record can have: ':' and (5 + 255) pairs of digits.
constexpr int IntelHexMaxLineLength = 1 + 2 * (5 + 255);
// Most data bytes one file may hold before reading is refused.
constexpr qint64 IntelHexMaxDataBytes = 16 * 1024 * 1024;

// Reads Intel HEX records from in and appends their data to *blocks: a data
// record whose absolute address continues the last block joins it, any other
// starts a new block. Extended linear (04) and extended segment (02) address
// records set the base of later data records; end-of-file (01) and start
// address (03, 05) records are passed over and reading goes on. Each record
// is checked: hexadecimal digits only, exactly its byte count of data and a
// matching checksum. Blocks read before a bad line stay in *blocks.
IntelHexResult readIntelHex(QIODevice &in, QVector<IntelHexBlock> *blocks);
// The same for a file (its name passed as UTF-8 by Qt).
IntelHexResult readIntelHexFile(const QString &fileName, QVector<IntelHexBlock> *blocks);
