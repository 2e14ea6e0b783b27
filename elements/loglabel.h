#pragma once

#include "valueelement.h"

#include <QDateTime>
#include <QHash>
#include <QLabel>

#include <functional>

// One column of a log: the define or variable it logs (data), its header
// label, its latest value text and its place among the columns.
struct LogItem {
    QString label;
    QString data;
    QString text;
    qint16 index = 0;
};

// A panel's data logger: a label showing "0" whose work is a text file. It
// holds one column per logged define or variable; each time the value of
// the last column arrives, one line with the latest value of every column is
// appended to the file, led by a UTC time stamp when asked, and echoed to the
// console when asked. The first line written in the element's life is the
// line of column labels; without append the file is emptied before it.
//
// The file is opened and closed for each line (other programs may read it
// meanwhile) and every line goes out in one write, UTF-8 with "\n" line ends.
// A file that cannot be opened is reported once, and again only after a
// line could be written in between.
class LogLabel : public QLabel, public ValueElement
{
    Q_OBJECT
    Q_INTERFACES(ActiveElement)

public:
    // The time-stamp kinds.
    enum TimeStamp : quint8 {
        NoTimeStamp = 0,
        DateAndTime = 1, // 2024.03.07/14:05:09
        TimeWithMilliseconds = 2, // 14:05:09:0042
    };

    explicit LogLabel(const QString &name, QWidget *parent = nullptr);

    // The log file, relative names taken from the working directory.
    void setFileName(const QString &name) { m_fileName = name; }
    QString fileName() const { return m_fileName; }
    // The panel's "type" text, kept for the editor.
    void setType(const QString &type) { m_type = type; }
    QString type() const { return m_type; }
    void setAppend(bool on) { m_append = on; }
    bool appends() const { return m_append; }
    void setDelimiter(char delimiter) { m_delimiter = delimiter; }
    char delimiter() const { return m_delimiter; }
    void setTimeStampKind(quint8 kind) { m_timeStamp = kind; }
    quint8 timeStampKind() const { return m_timeStamp; }
    void setConsole(bool on) { m_console = on; }
    bool console() const { return m_console; }
    // The clock of the time stamps (the current time unless set); any time
    // zone, the stamps are written in UTC.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // A new last column for the define or variable data. A data name that
    // has a column already gets no second one: false then, nothing changes.
    bool addLogItem(const QString &label, const QString &data);
    bool hasLogItem(const QString &data) const { return m_items.contains(data); }
    // The column of oldData logs newData from now on, in its place; false
    // when there is no such column or newData has one already.
    bool renameLogItem(const QString &oldData, const QString &newData);
    int itemCount() const { return m_itemCount; }
    // The column's latest value; a line is written when it is the last column.
    void logValue(const QString &data, const QString &value);

    // ActiveElement: the value is "0", the type name "LogLabel"; nothing sets it.
    void setValue(const QString &text, int keyword) override;
    void loadValue(const QString &text) override;
    QString value(int keyword, int flag) override;
    QString storedValueText() override;
    void initialize() override;
    bool acceptsBitRange(int msb, int lsb) override;
    void updateToolTip() override {}

public slots:
    void enable(bool on) override;
    void valueChanged(const QString &text);

private:
    // The items in column order.
    QList<const LogItem *> columns() const;
    // The current time as UTC, in the file's and in the console's form.
    void timeStamps(QString *fileStamp, QString *consoleStamp) const;
    void writeLine();

    int m_value = 0;
    QString m_fileName;
    QString m_type;
    bool m_headerPending = true;
    bool m_append = true;
    char m_delimiter = '\t';
    quint8 m_timeStamp = NoTimeStamp;
    bool m_console = false;
    int m_itemCount = 0;
    QHash<QString, LogItem> m_items; // by data name
    std::function<QDateTime()> m_clock;
    // The last write failed and was reported.
    bool m_openFailureReported = false;

    friend QList<LogItem> logColumnsOf(QObject *element);
};

// The columns of a data logger, in column order (label and data of each);
// nothing for any other element.
QList<LogItem> logColumnsOf(QObject *element);
