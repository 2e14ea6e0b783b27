#include "tyktaskdownload.h"

#include "inputfile.h"
#include "textscan.h"
#include "tyklink.h"

#include <QFile>

#include <algorithm>

namespace TykTaskDownload {

namespace {

using Symscan::hexDigit;

constexpr char ReportTask = 0x0A;
constexpr char FirstReport = 0x01;
constexpr char ContinuationReport = 0x02;
constexpr char Acknowledge = 'U';

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// Whether the link's reply acknowledges the report just sent.
bool acknowledged(TykLink &link)
{
    if (link.replyLength() < 2)
        return false;
    const QByteArray reply = link.getReceivedData();
    return reply.size() >= 2 && reply.at(1) == Acknowledge;
}

} // namespace

quint8 hexPairToByte(char high, char low)
{
    const int h = hexDigit(high);
    const int l = hexDigit(low);
    return quint8(((h < 0 ? 0 : h) << 4) | (l < 0 ? 0 : l));
}

bool readTaskData(const QByteArray &text, QByteArray *data, QString *error)
{
    data->clear();
    const QList<QByteArray> lines = text.split('\n');
    for (int index = 0; index < lines.size(); ++index) {
        const QByteArray line = lines.at(index).trimmed();
        const int lineNumber = index + 1;
        if (line.isEmpty())
            continue;
        // ':', count, address, type and checksum at the least.
        if (line.at(0) != ':' || line.size() < 11 || (line.size() - 1) % 2 != 0)
            return fail(error, QStringLiteral("Line %1 is no Intel HEX record.").arg(lineNumber));
        for (int i = 1; i < line.size(); ++i) {
            if (hexDigit(line.at(i)) < 0)
                return fail(error, QStringLiteral("Line %1 is no Intel HEX record.").arg(lineNumber));
        }
        const int count = hexPairToByte(line.at(1), line.at(2));
        if (line.size() != 11 + 2 * count)
            return fail(error, QStringLiteral("Line %1: the record length does not match its byte count.")
                                   .arg(lineNumber));
        quint8 sum = 0;
        for (int i = 1; i < line.size(); i += 2)
            sum = quint8(sum + hexPairToByte(line.at(i), line.at(i + 1)));
        if (sum != 0)
            return fail(error, QStringLiteral("Line %1: checksum error.").arg(lineNumber));
        if (line.at(7) != '0' || line.at(8) != '0')
            continue; // only data records carry task bytes
        if (data->size() + count > MaxTaskBytes)
            return fail(error, QStringLiteral("The task holds more than %1 bytes.").arg(MaxTaskBytes));
        for (int k = 0; k < count; ++k)
            data->append(char(hexPairToByte(line.at(9 + 2 * k), line.at(10 + 2 * k))));
    }
    return true;
}

QByteArray firstReport(const TaskHeader &header, const QByteArray &data)
{
    const int total = data.size();
    const int n = std::min(total, FirstReportData);
    QByteArray report;
    report.reserve(10 + n);
    report.append(ReportTask);
    report.append(FirstReport);
    report.append(char(header.header1));
    report.append(char(header.header2));
    report.append(char(header.header3));
    report.append(char(header.headerWord >> 8));
    report.append(char(header.headerWord & 0xFF));
    report.append(char(total >> 8));
    report.append(char(total & 0xFF));
    report.append(char(n));
    report.append(data.constData(), n);
    return report;
}

QByteArray continuationReport(quint8 counter, const QByteArray &data, int from)
{
    const int m = std::max(0, std::min(data.size() - from, ContinuationData));
    QByteArray report;
    report.reserve(4 + m);
    report.append(ReportTask);
    report.append(ContinuationReport);
    report.append(char(counter));
    report.append(char(m));
    if (m > 0)
        report.append(data.constData() + from, m);
    return report;
}

bool sendTask(TykLink &link, const QString &hexFile, const TaskHeader &header, quint8 &status,
              QString *error)
{
    status = 0xFF;
    QFile file(hexFile);
    QString openError;
    if (!openInputFile(file, QIODevice::ReadOnly | QIODevice::Text, &openError))
        return fail(error, QStringLiteral("Cannot open %1: %2").arg(hexFile, openError));
    QByteArray data;
    if (!readTaskData(file.readAll(), &data, error))
        return false;

    const QByteArray first = firstReport(header, data);
    if (!link.transfer(first)) {
        link.connectAdapter();
        if (!link.transfer(first))
            return fail(error, QStringLiteral("The Tyk adapter did not take the task."));
    }
    if (!acknowledged(link))
        return fail(error, QStringLiteral("The Tyk adapter did not acknowledge the task."));
    status = StatusAcknowledged;

    quint8 counter = 1;
    for (int from = FirstReportData; from < data.size(); from += ContinuationData) {
        if (!link.transfer(continuationReport(counter, data, from)))
            return fail(error, QStringLiteral("Sending part %1 of the task failed.").arg(counter));
        if (!acknowledged(link))
            return fail(error, QStringLiteral("The Tyk adapter did not acknowledge part %1 of the task.").arg(counter));
        ++counter;
    }
    return true;
}

} // namespace TykTaskDownload
