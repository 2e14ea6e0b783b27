#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

class QTextStream;
class TykTransport;

// Whether the panel's I/O port names the adapter over HID: empty, "TYK" or
// "TYK2" (any case); any other name is a COM port, "?" means ask the user.
bool isTykInterface(const QString &portName);

// True while a Tyk adapter is open.
bool tykConnected();

// The one connection to the Tyk USB adapter, over HID or a COM port. Sends one
// request at a time and keeps the reply; can log both directions as HTML lines
// to the console and to a log file.
class TykLink
{
public:
    // Log mode bits.
    enum LogMode : quint16 { LogToConsole = 1, LogToFile = 2 };

    // HID when portName is a Tyk interface, else the serial port of that name
    // with the settings text "baud;databits;parity;stopbits". Connects at once.
    explicit TykLink(const QString &portName = QString(), const QString &portSettings = QString());
    // A link over the given transport (tests). Connects at once.
    explicit TykLink(std::unique_ptr<TykTransport> transport);
    ~TykLink();

    TykLink(const TykLink &) = delete;
    TykLink &operator=(const TykLink &) = delete;

    // Where console log lines and connection problems go (HTML).
    void setConsole(std::function<void(const QString &)> console);
    // Where a port that cannot be opened is reported, apart from the console:
    // the port and its error as plain text, and whether the open before
    // failed as well. A failure of the open at construction is handed over
    // when the reporter is set. Over HID a missing adapter is not reported.
    using OpenFailureReporter = std::function<void(const QString &text, bool repeated)>;
    void setOpenFailureReporter(OpenFailureReporter reporter);
    // How long a reply may take before the exchange fails (HID) or ends
    // with what has arrived (COM port).
    void setReplyTimeout(int ms) { m_replyTimeoutMs = ms; }

    bool connectAdapter();
    void disconnect();
    // Whether the adapter is open.
    bool isConnected() const;

    // One request and its reply. The previous reply is gone once this starts.
    bool transfer(const QByteArray &bytes);
    // A copy of the last reply, logged when logging is on.
    QByteArray getReceivedData();
    // The length of the last reply, for readers on other threads.
    int replyLength() const;

    void openLog(quint16 mode, bool timeStamps, const QString &fileName);
    void getLogSettings(quint16 &mode, bool &timeStamps, QString &fileName) const;

    // The log line for bytes sent (or received), as written to the console.
    static QString logLine(const QByteArray &bytes, bool received, bool timeStamps);
    // How many leading bytes of a reply the log shows.
    static int loggedReplyLength(const QByteArray &reply);

private:
    void log(const QByteArray &bytes, bool received);
    void reportProblem(const QString &text);
    void closeLogFile();

    std::unique_ptr<TykTransport> m_transport;
    std::function<void(const QString &)> m_console;
    OpenFailureReporter m_openFailureReporter;
    // The last open failed; its text, while no reporter had it.
    bool m_openFailed = false;
    QString m_unreportedOpenFailure;
    int m_replyTimeoutMs = 1000;

    mutable std::mutex m_replyMutex;
    QByteArray m_reply;

    mutable std::mutex m_logMutex;
    quint16 m_logMode = 0;
    bool m_logTimeStamps = false;
    QString m_logFileName;
    QFile m_logFile;
    std::unique_ptr<QTextStream> m_logStream;
};
