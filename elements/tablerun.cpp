// Table: running the rows over the Tyk link (command sendusb).
#include "table.h"

#include "contrast.h"
#include "dataclass.h"
#include "elementhost.h"
#include "errorreporter.h"
#include "numberliteral.h"
#include "prompt.h"
#include "tablehost.h"
#include "tyklink.h"
#include "tykvalues.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QStandardItemModel>

#include <algorithm>

namespace {

// How long a row waits for its reply, and how much longer once more bytes
// came in.
constexpr int ReplyWaitMs = 100;
constexpr int ReplyGrowthMs = 10;

// One item of a receive format: "[n:]format[|target]".
struct ReceiveItem {
    int count = 1;    // signed byte count; 1 without one
    QString format;
    QString target;
    bool hasTarget = false;
};

ReceiveItem parseReceiveItem(const QString &text)
{
    ReceiveItem item;
    QString rest = text;
    const int colon = rest.indexOf(QLatin1Char(':'));
    if (colon > 0) {
        bool ok = false;
        const int count = rest.left(colon).trimmed().toInt(&ok);
        if (ok) {
            item.count = std::clamp(count, -MaxTykByteCount, MaxTykByteCount);
            rest = rest.mid(colon + 1);
        }
    }
    const int bar = rest.indexOf(QLatin1Char('|'));
    if (bar >= 0) {
        item.target = rest.mid(bar + 1).trimmed();
        item.hasTarget = !item.target.isEmpty();
        rest = rest.left(bar);
    }
    item.format = rest;
    return item;
}

// The tool-tip receive format "[-]first[..last];column".
struct ToolTipFormat {
    bool reversed = false;
    int first = 0;
    int last = 0;
    int column = -1;
    bool valid = false;
};

ToolTipFormat parseToolTipFormat(const QString &text)
{
    ToolTipFormat f;
    const QStringList parts = text.split(QLatin1Char(';'));
    if (parts.size() != 2)
        return f;
    QString range = parts.at(0).trimmed();
    if (range.startsWith(QLatin1Char('-'))) {
        f.reversed = true;
        range.remove(0, 1);
    }
    bool ok1 = false;
    bool ok2 = true;
    bool ok3 = false;
    const int dots = range.indexOf(QLatin1String(".."));
    f.first = (dots >= 0 ? range.left(dots) : range).toInt(&ok1);
    f.last = dots >= 0 ? range.mid(dots + 2).toInt(&ok2) : f.first;
    f.column = parts.at(1).trimmed().toInt(&ok3);
    f.valid = ok1 && ok2 && ok3 && f.first >= 0 && f.last >= 0;
    return f;
}

// Processes events (no user input) for up to ms milliseconds.
void processEventsFor(int ms)
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, ms);
}

// A cell in the colour of its row: the running row's cyan with text that
// reads on it, any other row's background and text from the palette.
void paintCell(QStandardItem *item, const QBrush &brush)
{
    item->setBackground(brush);
    if (brush.color() == QColor(Qt::cyan))
        item->setForeground(QBrush(readableTextColor(brush.color())));
    else
        item->setData(QVariant(), Qt::ForegroundRole);
}

} // namespace

void Table::runRows()
{
    TableHost *services = tableHost();
    ElementHost *panel = host();
    if (services)
        services->tableTykLink(true);

    const QBrush cyan(Qt::cyan);
    // The rows not being run take the palette's base colour back (white
    // under a light palette).
    const QBrush white(palette().color(QPalette::Base));
    const auto paintRow = [this](int row, const QBrush &brush, bool typedOnly) {
        static const int types[] = {TableColumnRegName, TableColumnAddress, TableColumnFunc, TableColumnValue,
                                    TableColumnDelay,   TableColumnAnswer,  TableColumnComment};
        if (!typedOnly) {
            for (int c = 0; c < m_model->columnCount(); ++c)
                if (QStandardItem *item = m_model->item(row, c))
                    paintCell(item, brush);
            return;
        }
        for (int type : types) {
            const int c = columnOfType(type);
            if (QStandardItem *item = c < 0 ? nullptr : m_model->item(row, c))
                paintCell(item, brush);
        }
    };

    for (int r = 1; r < std::min<int>(m_rowCount, m_model->rowCount()); ++r)
        paintRow(r, white, false);
    const quint16 startRow = m_currentRow;
    const quint16 startColumn = m_currentColumn;
    clearSelection();

    const QPointer<Table> self(this);
    ElementGuard guard(this, panel);
    m_running = true;
    m_stopRequested = false;
    // Whether the table went away (or its panel is being replaced) during
    // an event wait: the run then ends at once.
    const auto abandoned = [&self, &guard]() {
        if (self && guard.alive())
            return false;
        if (self)
            self->m_running = false;
        return true;
    };
    bool stoppedByUser = false;
    bool failed = false;
    int runningRow = -1;

    const auto lookup = [services, panel](const QString &name, bool *unconvertible) -> std::optional<quint32> {
        if (DataClass *variable = services ? services->tableVariable(name) : nullptr)
            return variable->value();
        if (ActiveElement *element = panel ? panel->getActiveElement(name) : nullptr) {
            const std::optional<quint32> word = tykWordFromNumberText(element->value(KeywordValue, 1));
            if (!word)
                *unconvertible = true;
            return word;
        }
        return std::nullopt;
    };
    const auto setVariable = [services](const char *name, quint32 value) {
        if (DataClass *variable = services ? services->tableVariable(QLatin1String(name)) : nullptr)
            variable->setValue(value);
    };

    for (int pass = 0; pass < m_sendLoop && !failed && !stoppedByUser; ++pass) {
        for (int r = pass == 0 ? startRow : 0; r < m_model->rowCount(); ++r) {
            if (m_stopRequested) {
                stoppedByUser = true;
                break;
            }
            const QString name = typedText(r, TableColumnRegName);
            if (name.isEmpty())
                break;
            runningRow = r;
            quint32 address = 0;
            quint32 func = 0;
            quint32 value = 0;
            const QString addressText =
                formatNumberLiteral(typedText(r, TableColumnAddress).trimmed(), &address, HexLiteral, true);
            const QString funcText = formatNumberLiteral(typedText(r, TableColumnFunc).trimmed(), &func, HexLiteral, true);
            const QString valueText =
                formatNumberLiteral(typedText(r, TableColumnValue).trimmed(), &value, HexLiteral, true);
            const int delay = parseNumberLiteral(typedText(r, TableColumnDelay).trimmed()).toInt();
            if (r > 0)
                paintRow(r - 1, white, true);
            paintRow(r, cyan, true);

            m_sendText = m_sendFormat;
            m_sendText.replace(QLatin1String("$ADDRESS$"), addressText)
                .replace(QLatin1String("$VALUE$"), valueText)
                .replace(QLatin1String("$FUNC$"), funcText);
            setVariable("$ADDRESS$", address);
            setVariable("$VALUE$", value);
            setVariable("$FUNC$", func);

            const TykPackResult packed = packTykValues(m_sendText, lookup);
            for (const QString &text : packed.unconvertible)
                reportTableSendConversionError(text);
            TykLink *link = services ? services->tableTykLink(false) : nullptr;
            if (link && !link->transfer(packed.bytes)) {
                link->connectAdapter();
                link->transfer(packed.bytes);
            }

            // The reply: as many bytes as the receive format takes.
            QList<ReceiveItem> items;
            qint64 expected = 0;
            for (const QString &text : m_recFormat.split(QLatin1Char(';'))) {
                items << parseReceiveItem(text);
                expected += std::abs(items.last().count);
            }
            QByteArray reply;
            if (link) {
                QDeadlineTimer deadline(ReplyWaitMs);
                int lastLength = link->replyLength();
                bool complete = true;
                while (link->replyLength() < expected) {
                    if (deadline.hasExpired() || m_stopRequested) {
                        complete = false;
                        break;
                    }
                    processEventsFor(ReplyWaitMs / 10);
                    if (abandoned())
                        return;
                    link = services->tableTykLink(false);
                    if (!link) {
                        complete = false;
                        break;
                    }
                    const int length = link->replyLength();
                    if (length > lastLength) {
                        deadline = QDeadlineTimer(deadline.remainingTime() + ReplyGrowthMs);
                        lastLength = length;
                    }
                }
                if (!complete) {
                    ::logMessage(QStringLiteral("<font color=\"red\">Table %1: no complete reply to row %2 (%3): "
                                                "%4 bytes needed, %5 received. The run stops.</font><br>")
                                     .arg(objectName())
                                     .arg(r)
                                     .arg(name.toHtmlEscaped())
                                     .arg(expected)
                                     .arg(link ? link->replyLength() : 0));
                    failed = true;
                    break;
                }
                reply = link->getReceivedData();
            }

            // The reply split into its items: targets set, answer text built.
            QString answer;
            m_receiveItemWidths.clear();
            int cursor = 0;
            for (const ReceiveItem &item : qAsConst(items)) {
                const int width = std::abs(item.count);
                m_receiveItemWidths << quint16(width);
                QByteArray bytes = reply.mid(cursor, width);
                cursor += width;
                if (item.count < 0)
                    std::reverse(bytes.begin(), bytes.end());
                quint64 number = 0;
                for (char byte : bytes)
                    number = (number << 8) | quint8(byte);
                if (item.format == QLatin1String("?") && !item.hasTarget)
                    continue;
                if (item.hasTarget && item.target != QLatin1String("?")) {
                    if (ActiveElement *element = panel ? panel->getActiveElement(item.target) : nullptr) {
                        element->setValue(QString::number(number), KeywordValue);
                    } else if (DataClass *variable = services ? services->tableVariable(item.target) : nullptr) {
                        variable->setValueFromBytes(bytes);
                    } else {
                        reportInvalidRecdataValue(item.target);
                        failed = true;
                        break;
                    }
                    if (abandoned())
                        return;
                }
                if (item.format != QLatin1String("?"))
                    answer += formatTableNumber(item.format, qint64(number)) + QLatin1Char(' ');
            }
            m_receiveItemWidths << 0xFFFF;
            if (failed)
                break;

            m_lastRegisterNames.prepend(name);
            while (m_lastRegisterNames.size() > 3)
                m_lastRegisterNames.removeLast();
            putText(r, TableColumnAnswer, answer, true);

            if (!m_toolTipRecFormat.isEmpty()) {
                const ToolTipFormat f = parseToolTipFormat(m_toolTipRecFormat);
                const QStringList texts = answer.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                if (f.valid && f.first < texts.size() && f.last < texts.size() && f.first <= f.last) {
                    quint64 joined = 0;
                    int shift = 0;
                    const auto add = [&](int i) {
                        const quint64 part = parseNumberLiteral(texts.at(i)).toULongLong();
                        if (shift < 64)
                            joined |= part << shift;
                        shift += 8 * (i < m_receiveItemWidths.size() - 1 ? m_receiveItemWidths.at(i) : 0);
                    };
                    if (f.reversed) {
                        for (int i = texts.size() - 1; i >= 0; --i)
                            add(i);
                    } else {
                        for (int i = f.first; i <= f.last; ++i)
                            add(i);
                    }
                    setFieldToolTip(joined, r, f.column, name);
                }
                paintRow(r, cyan, true);
            }

            if (m_singleStep) {
                PromptMessage question;
                question.parent = this;
                question.icon = QMessageBox::Question;
                question.title = QStringLiteral("SingleStep");
                question.text = tr("Continue with next command ?");
                question.buttons = QMessageBox::Yes | QMessageBox::No;
                question.defaultButton = QMessageBox::Yes;
                const PromptAnswer reply = Prompt::ask(question);
                if (abandoned())
                    return;
                if (reply.button != QMessageBox::Yes) {
                    stoppedByUser = true;
                    break;
                }
            } else if (delay > 0) {
                // The row's delay, processing events in short slices; a stop
                // request ends it early.
                const QDeadlineTimer wait(delay);
                while (!wait.hasExpired() && !m_stopRequested) {
                    waitProcessingEvents(QDeadlineTimer(std::min<qint64>(wait.remainingTime(), 5)));
                    if (abandoned())
                        return;
                }
            }
        }
    }

    m_running = false;
    m_stopRequested = false;
    if (failed)
        return; // the row that failed stays marked, the cursor as it was during the run
    m_currentColumn = startColumn;
    m_currentRow = startRow;
    selectRow(startRow);
    if (stoppedByUser && runningRow >= 0)
        paintRow(runningRow, white, false);
}
