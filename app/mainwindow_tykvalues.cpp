// MainWindow: the adapter actions (send and receive value lists).
#include "mainwindow.h"

#include "activeelement.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "panel.h"
#include "tyklink.h"
#include "tykvalues.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {

// Consecutive receive time-outs after which receives are skipped until a
// reply of at least two bytes is there again.
constexpr quint16 TykTimeoutLimit = 10;
// How long a receive waits for its reply, and how much longer once more
// bytes came in.
constexpr qint64 TykReceiveWaitMs = 20;
constexpr qint64 TykReceiveGrowthMs = 10;

} // namespace

void MainWindow::sendUSB(const QString &values)
{
    if (values.isEmpty())
        return;

    // Names are looked up without entering them into the registries.
    const auto lookup = [this](const QString &name, bool *unconvertible) -> std::optional<quint32> {
        if (DataClass *variable = m_panel->variablesByName.value(name, nullptr))
            return variable->value();
        if (ActiveElement *element = m_panel->elementsByDefine.value(name, nullptr)) {
            const std::optional<quint32> word = tykWordFromNumberText(element->value(KeywordValue, 1));
            if (!word)
                *unconvertible = true;
            return word;
        }
        return std::nullopt;
    };
    const TykPackResult packed = packTykValues(values, lookup);
    for (const QString &text : packed.unconvertible)
        reportSendUsbConversionError(text);

    if (!tykLink) {
        tykLink = new TykLink(m_panel->ioPortName, m_panel->ioPortSettings);
        tykLink->setConsole([this](const QString &line) { consolePrint(line); });
        tykLink->openLog(tykLoggingMode, tykLoggingTimeStamps, tykLoggingFilename);
    }
    // The link forgets the previous reply before it sends, so whatever the
    // receive finds afterwards answers this request.
    tykReplyUnread = false;
    if (!tykLink->transfer(packed.bytes)) {
        tykLink->connectAdapter();
        tykLink->transfer(packed.bytes);
    }
    tykReplyUnread = true;
}

void MainWindow::recData(const QString &values)
{
    if (values.isEmpty() || !tykLink)
        return;
    // Only the reply of the last send counts; one that was unpacked already
    // (or that another exchange left) is no reply to this receive.
    const auto replyLength = [this]() { return tykLink && tykReplyUnread ? tykLink->replyLength() : 0; };

    if (usbTimeoutCount >= TykTimeoutLimit) {
        if (replyLength() < 2)
            return;
        usbTimeoutCount = 0;
    }

    const QList<TykReceiveItem> items = parseTykReceiveList(values);
    const qint64 needed = tykReceiveLength(items);
    QObject *source = m_panel->senderElement();
    const QString sourceName = source ? source->objectName() : QString();

    // The link's transfer gathers the whole reply (over a COM port until the
    // line goes quiet), so this wait needs no event loop: it only looks at
    // the reply's length until the deadline.
    QDeadlineTimer deadline(TykReceiveWaitMs, Qt::PreciseTimer);
    int lastLength = -1;
    for (;;) {
        if (m_panel->readOrResetInProgress || !tykLink)
            return;
        const int length = replyLength();
        if (length >= needed)
            break;
        if (length > lastLength) {
            if (lastLength >= 0)
                deadline = QDeadlineTimer(deadline.remainingTime() + TykReceiveGrowthMs, Qt::PreciseTimer);
            lastLength = length;
        }
        if (deadline.hasExpired()) {
            if (usbTimeoutCount < TykTimeoutLimit) {
                if (m_panel->ioCheckMode & 1) {
                    ::logMessage(QStringLiteral("Cannot receive requested data from external device. USB "
                                                "timeout: cannot supply %1(\"%2\"). %3 bytes needed, %4 "
                                                "available.<br>")
                                     .arg(sourceName, values)
                                     .arg(needed)
                                     .arg(length));
                }
                ++usbTimeoutCount;
            }
            tykReplyUnread = false;
            return;
        }
        QThread::usleep(200);
    }

    const QByteArray reply = tykLink->getReceivedData();
    tykReplyUnread = false;
    const QList<TykReceivedField> fields = unpackTykReply(items, reply);
    for (const TykReceivedField &field : fields) {
        if (field.destination == QLatin1String("?"))
            continue;
        if (ActiveElement *element = m_panel->elementsByDefine.value(field.destination, nullptr)) {
            element->setValue(QString::number(field.value), KeywordValue);
            continue;
        }
        if (DataClass *variable = m_panel->variablesByName.value(field.destination, nullptr)) {
            variable->setValueFromBytes(field.bytes);
            continue;
        }
        reportInvalidRecdataValue(field.destination);
        return;
    }
}
