#include "tyklink.h"

#include "tyktransport.h"

#include <QDateTime>
#include <QTextStream>

#include <algorithm>
#include <atomic>

static std::atomic<bool> s_tykConnected{false};

bool tykConnected()
{
    return s_tykConnected;
}

bool isTykInterface(const QString &portName)
{
    return portName.isEmpty() || portName.compare(QLatin1String("TYK"), Qt::CaseInsensitive) == 0
        || portName.compare(QLatin1String("TYK2"), Qt::CaseInsensitive) == 0;
}

static std::unique_ptr<TykTransport> makeTransport(const QString &portName, const QString &settings)
{
    if (isTykInterface(portName))
        return std::make_unique<HidTransport>();
    return std::make_unique<SerialTransport>(portName, settings);
}

TykLink::TykLink(const QString &portName, const QString &portSettings)
    : TykLink(makeTransport(portName, portSettings))
{
}

TykLink::TykLink(std::unique_ptr<TykTransport> transport)
    : m_transport(std::move(transport))
{
    s_tykConnected = false;
    connectAdapter();
}

TykLink::~TykLink()
{
    s_tykConnected = false;
    closeLogFile();
    m_transport.reset();
}

void TykLink::setConsole(std::function<void(const QString &)> console)
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    m_console = std::move(console);
}

void TykLink::setOpenFailureReporter(OpenFailureReporter reporter)
{
    QString unreported;
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        m_openFailureReporter = reporter;
        if (reporter)
            unreported.swap(m_unreportedOpenFailure);
    }
    if (!unreported.isEmpty())
        reporter(unreported, false);
}

bool TykLink::connectAdapter()
{
    const bool ok = m_transport->open();
    s_tykConnected = ok;
    const bool repeated = m_openFailed;
    m_openFailed = !ok;
    if (ok) {
        // A failure nobody heard of is over once the port opens.
        std::lock_guard<std::mutex> lock(m_logMutex);
        m_unreportedOpenFailure.clear();
        return true;
    }
    if (!m_transport->failedOpenIsAnError())
        return false;
    OpenFailureReporter reporter;
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        reporter = m_openFailureReporter;
        if (!reporter)
            m_unreportedOpenFailure = m_transport->errorString();
    }
    // Called without the lock: the report may print through this link's console.
    if (reporter)
        reporter(m_transport->errorString(), repeated);
    return false;
}

void TykLink::disconnect()
{
    s_tykConnected = false;
    m_transport->close();
}

bool TykLink::isConnected() const
{
    return m_transport->isOpen();
}

bool TykLink::transfer(const QByteArray &bytes)
{
    {
        std::lock_guard<std::mutex> lock(m_replyMutex);
        m_reply.clear();
    }
    log(bytes, false);

    QByteArray reply;
    if (!m_transport->write(bytes) || !m_transport->read(reply, 64, m_replyTimeoutMs)) {
        reportProblem(m_transport->errorString());
        return false;
    }
    std::lock_guard<std::mutex> lock(m_replyMutex);
    m_reply = reply;
    return true;
}

QByteArray TykLink::getReceivedData()
{
    QByteArray reply;
    {
        std::lock_guard<std::mutex> lock(m_replyMutex);
        reply = m_reply;
    }
    log(reply.left(loggedReplyLength(reply)), true);
    return reply;
}

int TykLink::replyLength() const
{
    std::lock_guard<std::mutex> lock(m_replyMutex);
    return int(m_reply.size());
}

int TykLink::loggedReplyLength(const QByteArray &reply)
{
    const int size = int(reply.size());
    if (size == 0)
        return 0;
    const int k = std::min(size - 1, 32);
    for (int i = k; i >= 4; --i) {
        if (reply.at(i) != 0)
            return i + 1;
    }
    return size == 1 ? 1 : 2;
}

QString TykLink::logLine(const QByteArray &bytes, bool received, bool timeStamps)
{
    QString line = received ? QStringLiteral("<font color=\"blue\">&lt;-- ")
                            : QStringLiteral("<font color=\"green\">--> ");
    if (timeStamps) {
        const QTime now = QDateTime::currentDateTimeUtc().time();
        line += QString::asprintf("%02d:%02d:%04d ", now.minute(), now.second(), now.msec());
    }
    for (const char byte : bytes)
        line += QString::asprintf("0x%02x ", unsigned(quint8(byte)));
    line += QStringLiteral("</b></font><br>");
    return line;
}

void TykLink::log(const QByteArray &bytes, bool received)
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    if (m_logMode == 0)
        return;
    const QString line = logLine(bytes, received, m_logTimeStamps);
    if ((m_logMode & LogToConsole) && m_console)
        m_console(line);
    if (m_logStream) {
        *m_logStream << line << '\n';
        m_logStream->flush();
    }
}

void TykLink::reportProblem(const QString &text)
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    if (m_console)
        m_console(QStringLiteral("<font color=\"red\">Tyk: %1</font><br>").arg(text.toHtmlEscaped()));
}

void TykLink::closeLogFile()
{
    m_logStream.reset();
    if (m_logFile.isOpen())
        m_logFile.close();
}

void TykLink::openLog(quint16 mode, bool timeStamps, const QString &fileName)
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    m_logMode = mode;
    m_logTimeStamps = timeStamps;
    m_logFileName = fileName;
    // The file is opened afresh for every setting, and closed when file
    // logging is off.
    closeLogFile();
    if (!(mode & LogToFile) || fileName.isEmpty())
        return;
    m_logFile.setFileName(fileName);
    // New lines go after what the file already holds.
    if (m_logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        m_logStream = std::make_unique<QTextStream>(&m_logFile);
}

void TykLink::getLogSettings(quint16 &mode, bool &timeStamps, QString &fileName) const
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    mode = m_logMode;
    timeStamps = m_logTimeStamps;
    fileName = m_logFileName;
}
