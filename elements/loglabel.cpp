#include "loglabel.h"

#include "errorreporter.h"

#include <QFile>

#include <algorithm>
#include <limits>

LogLabel::LogLabel(const QString &name, QWidget *parent)
    : QLabel(parent)
    , ValueElement(this)
{
    setObjectName(name);
    setText(QString::number(m_value));
}

bool LogLabel::addLogItem(const QString &label, const QString &data)
{
    // A second column of the same data would leave one column without an
    // item; the column count is also what tells the last column.
    if (m_items.contains(data) || m_itemCount >= std::numeric_limits<qint16>::max())
        return false;
    m_items.insert(data, LogItem{label, data, QString(), qint16(m_itemCount)});
    ++m_itemCount;
    return true;
}

bool LogLabel::renameLogItem(const QString &oldData, const QString &newData)
{
    if (!m_items.contains(oldData) || m_items.contains(newData))
        return false;
    LogItem item = m_items.take(oldData);
    item.data = newData;
    m_items.insert(newData, item);
    return true;
}

void LogLabel::logValue(const QString &data, const QString &value)
{
    const auto it = m_items.find(data);
    if (it == m_items.end())
        return;
    it->text = value;
    if (it->index == m_itemCount - 1)
        writeLine();
}

QList<const LogItem *> LogLabel::columns() const
{
    QList<const LogItem *> ordered;
    ordered.reserve(m_items.size());
    for (const LogItem &item : m_items)
        ordered.append(&item);
    std::sort(ordered.begin(), ordered.end(),
              [](const LogItem *a, const LogItem *b) { return a->index < b->index; });
    return ordered;
}

QList<LogItem> logColumnsOf(QObject *element)
{
    QList<LogItem> items;
    if (auto *log = qobject_cast<LogLabel *>(element)) {
        for (const LogItem *item : log->columns())
            items.append(*item);
    }
    return items;
}

void LogLabel::timeStamps(QString *fileStamp, QString *consoleStamp) const
{
    const QDateTime now = (m_clock ? m_clock() : QDateTime::currentDateTimeUtc()).toUTC();
    const QDate date = now.date();
    const QTime time = now.time();
    const auto two = [](int number) { return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')); };
    if (m_timeStamp == DateAndTime) {
        *fileStamp = QStringLiteral("%1.%2.%3/%4:%5:%6")
                         .arg(date.year())
                         .arg(two(date.month()), two(date.day()), two(time.hour()), two(time.minute()),
                              two(time.second()));
        *consoleStamp = *fileStamp + QLatin1Char(' ');
    } else if (m_timeStamp == TimeWithMilliseconds) {
        *fileStamp = QStringLiteral("%1:%2:%3:%4")
                         .arg(two(time.hour()), two(time.minute()), two(time.second()))
                         .arg(time.msec(), 4, 10, QLatin1Char('0'));
        *consoleStamp = *fileStamp + QLatin1Char(' ');
    }
}

void LogLabel::writeLine()
{
    const QList<const LogItem *> ordered = columns();
    const QChar delimiter = QLatin1Char(m_delimiter);
    QString fileStamp;
    QString consoleStamp;
    timeStamps(&fileStamp, &consoleStamp);

    QString line;
    if (!fileStamp.isEmpty())
        line = fileStamp + delimiter;
    QStringList texts;
    for (const LogItem *item : ordered)
        texts.append(item->text);
    line += texts.join(delimiter) + QLatin1Char('\n');

    // A log without a file only echoes to the console.
    if (!m_fileName.isEmpty()) {
        QByteArray bytes;
        if (m_headerPending) {
            QStringList labels;
            for (const LogItem *item : ordered)
                labels.append(item->label);
            bytes = (labels.join(delimiter) + QLatin1Char('\n')).toUtf8();
        }
        bytes += line.toUtf8();

        QFile file(m_fileName);
        const QIODevice::OpenMode mode =
            m_headerPending && !m_append ? QIODevice::WriteOnly | QIODevice::Truncate : QIODevice::Append;
        if (!file.open(mode)) {
            if (!m_openFailureReported)
                reportCannotOpenFile(m_fileName, file.errorString());
            m_openFailureReported = true;
        } else if (file.write(bytes) != bytes.size() || !file.flush()) {
            if (!m_openFailureReported)
                reportWriteError(m_fileName);
            m_openFailureReported = true;
        } else {
            m_headerPending = false;
            m_openFailureReported = false;
        }
    }

    if (m_console) {
        QString html = QStringLiteral("</b>") + consoleStamp;
        for (const QString &text : qAsConst(texts))
            html += text.toHtmlEscaped() + QLatin1Char(' ');
        ::logMessage(html + QStringLiteral("<br>"));
    }
}

void LogLabel::setValue(const QString &text, int keyword)
{
    Q_UNUSED(text)
    Q_UNUSED(keyword)
}

void LogLabel::loadValue(const QString &text)
{
    Q_UNUSED(text)
}

QString LogLabel::value(int keyword, int flag)
{
    Q_UNUSED(flag)
    if (keyword == KeywordValue)
        return QString::number(m_value);
    if (keyword == KeywordTypeInfo)
        return QStringLiteral("LogLabel");
    return unsupportedKeyword(keyword);
}

QString LogLabel::storedValueText()
{
    return QString();
}

void LogLabel::initialize() {}

bool LogLabel::acceptsBitRange(int msb, int lsb)
{
    Q_UNUSED(msb)
    Q_UNUSED(lsb)
    return true;
}

void LogLabel::enable(bool on)
{
    enableUnlessLocked(this, on);
}

void LogLabel::valueChanged(const QString &text)
{
    Q_UNUSED(text)
}
