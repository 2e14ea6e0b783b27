#include "tykvalueexchange.h"

#include "activeelement.h"
#include "dataclass.h"
#include "errorreporter.h"
#include "quillpanel.h"
#include "tyklink.h"
#include "tykvalues.h"

#include <QDeadlineTimer>
#include <QThread>

#include <utility>

namespace {

// Consecutive receive time-outs after which receives are skipped until a
// reply of at least two bytes is there again.
constexpr quint16 TykTimeoutLimit = 10;
// How long a receive waits for its reply, and how much longer once more
// bytes came in.
constexpr qint64 TykReceiveWaitMs = 20;
constexpr qint64 TykReceiveGrowthMs = 10;

} // namespace

TykValueExchange::TykValueExchange(Panel &panel, LinkSource link)
    : m_panel(panel)
    , m_link(std::move(link))
{
}

void TykValueExchange::send(const QString &values)
{
    if (values.isEmpty())
        return;

    // Names are looked up without entering them into the registries.
    const auto lookup = [this](const QString &name, bool *unconvertible) -> std::optional<quint32> {
        if (DataClass *variable = m_panel.registries().variablesByName.value(name, nullptr))
            return variable->value();
        if (ActiveElement *element = m_panel.registries().elementsByDefine.value(name, nullptr)) {
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

    TykLink *link = m_link(true);
    if (!link)
        return;
    // The link forgets the previous reply before it sends, so whatever the
    // receive finds afterwards answers this request.
    m_replyUnread = false;
    if (!link->transfer(packed.bytes)) {
        link->connectAdapter();
        link->transfer(packed.bytes);
    }
    m_replyUnread = true;
}

void TykValueExchange::receive(const QString &values)
{
    if (values.isEmpty() || !m_link(false))
        return;
    // Only the reply of the last send counts; one that was unpacked already
    // (or that another exchange left) is no reply to this receive.
    const auto replyLength = [this]() {
        TykLink *link = m_link(false);
        return link && m_replyUnread ? link->replyLength() : 0;
    };

    if (m_timeoutCount >= TykTimeoutLimit) {
        if (replyLength() < 2)
            return;
        m_timeoutCount = 0;
    }

    const QList<TykReceiveItem> items = parseTykReceiveList(values);
    const qint64 needed = tykReceiveLength(items);
    QObject *source = m_panel.senderElement();
    const QString sourceName = source ? source->objectName() : QString();

    // The link's transfer gathers the whole reply (over a COM port until the
    // line goes quiet), so this wait needs no event loop: it only looks at
    // the reply's length until the deadline.
    QDeadlineTimer deadline(TykReceiveWaitMs, Qt::PreciseTimer);
    int lastLength = -1;
    for (;;) {
        if (m_panel.flags().readOrResetInProgress || !m_link(false))
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
            if (m_timeoutCount < TykTimeoutLimit) {
                if (m_panel.header().ioCheckMode & 1) {
                    ::logMessage(QStringLiteral("Cannot receive requested data from external device. USB "
                                                "timeout: cannot supply %1(\"%2\"). %3 bytes needed, %4 "
                                                "available.<br>")
                                     .arg(sourceName, values)
                                     .arg(needed)
                                     .arg(length));
                }
                ++m_timeoutCount;
            }
            m_replyUnread = false;
            return;
        }
        QThread::usleep(200);
    }

    const QByteArray reply = m_link(false)->getReceivedData();
    m_replyUnread = false;
    const QList<TykReceivedField> fields = unpackTykReply(items, reply);
    for (const TykReceivedField &field : fields) {
        if (field.destination == QLatin1String("?"))
            continue;
        if (ActiveElement *element = m_panel.registries().elementsByDefine.value(field.destination, nullptr)) {
            element->setValue(QString::number(field.value), KeywordValue);
            continue;
        }
        if (DataClass *variable = m_panel.registries().variablesByName.value(field.destination, nullptr)) {
            variable->setValueFromBytes(field.bytes);
            continue;
        }
        reportInvalidRecdataValue(field.destination);
        return;
    }
}
