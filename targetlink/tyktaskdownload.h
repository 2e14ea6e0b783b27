#pragma once

#include <QByteArray>
#include <QString>

class TykLink;

// Handing the Tyk adapter a task: the data bytes of an Intel HEX file, sent
// in a first report with a header and then in numbered continuation reports,
// each acknowledged by the adapter with 'U' in its second byte.
namespace TykTaskDownload {

// The values the first report carries before the data.
struct TaskHeader {
    quint8 header1 = 0;
    quint8 header2 = 0;
    quint8 header3 = 0;
    quint16 headerWord = 0;
};

// Data bytes the first report carries at most, and each continuation report.
constexpr int FirstReportData = 52;
constexpr int ContinuationData = 60;
// The length field of the first report is 16 bits wide.
constexpr int MaxTaskBytes = 0xFFFF;
// status after the adapter has acknowledged the first report.
constexpr quint8 StatusAcknowledged = 0x63;

// Two hexadecimal digit characters to a byte; any other character counts as 0.
quint8 hexPairToByte(char high, char low);

// The data bytes of every data record (type 00) of an Intel HEX text, in text
// order; addresses and the other record types are ignored. Every record is
// checked: its line must hold exactly its byte count of data, hexadecimal
// digits only, and a matching checksum. False with *error set when a record
// is malformed or the data exceed MaxTaskBytes.
bool readTaskData(const QByteArray &text, QByteArray *data, QString *error = nullptr);

// The first report for the task data and the continuation reports after it.
QByteArray firstReport(const TaskHeader &header, const QByteArray &data);
QByteArray continuationReport(quint8 counter, const QByteArray &data, int from);

// Reads the HEX file and sends its data over the link. status is 0xFF from the
// start and StatusAcknowledged once the first report has been acknowledged.
// A first report whose transfer fails is sent once more after a reconnect.
// True when every report was sent and acknowledged; else false with *error
// set.
bool sendTask(TykLink &link, const QString &hexFile, const TaskHeader &header, quint8 &status,
              QString *error = nullptr);

} // namespace TykTaskDownload
