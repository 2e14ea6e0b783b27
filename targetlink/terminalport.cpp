#include "terminalport.h"
#include "targetlinklog.h"

#include "tyktransport.h"

#include <QSerialPortInfo>
#include <QTextCodec>
#include <QTextDecoder>

TerminalPort::TerminalPort(QObject *parent)
    : QObject(parent)
    , m_decoder(QTextCodec::codecForName("UTF-8")->makeDecoder())
{
    connect(&m_port, &QSerialPort::readyRead, this, &TerminalPort::readConsole);
}

TerminalPort::~TerminalPort() = default;

QString TerminalPort::resolvePortName(const QString &portName,
                                      const QList<QPair<QString, QString>> &ports)
{
    if (portName.compare(QLatin1String("segger"), Qt::CaseInsensitive) != 0)
        return portName;
    for (const auto &port : ports) {
        qCDebug(lcTargetLink) << "Terminal port" << port.first << "manufacturer" << port.second;
        if (port.second.compare(QLatin1String("segger"), Qt::CaseInsensitive) == 0)
            return port.first;
    }
    return portName;
}

bool TerminalPort::open(const QString &portName, const QString &settings)
{
    close();
    QList<QPair<QString, QString>> ports;
    if (portName.compare(QLatin1String("segger"), Qt::CaseInsensitive) == 0) {
        const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo &info : available)
            ports.append({info.systemLocation(), info.manufacturer()});
    }
    const QString name = resolvePortName(portName, ports);
    if (openSerialPort(m_port, name, parseSerialSettings(settings)))
        return true;
    emit consoleText(QStringLiteral("<font color=\"red\">Terminal: cannot open serial port %1: %2</font><br>")
                         .arg(serialDevicePath(name).toHtmlEscaped(), m_port.errorString().toHtmlEscaped()));
    return false;
}

void TerminalPort::close()
{
    if (m_port.isOpen())
        m_port.close();
}

void TerminalPort::readConsole()
{
    while (m_port.bytesAvailable() > 0) {
        m_buffer += m_decoder->toUnicode(m_port.readAll());
        // Text without line ends must not collect without bound.
        while (m_buffer.size() >= MaxBufferedChars) {
            showText(m_buffer.left(MaxBufferedChars));
            m_buffer.remove(0, MaxBufferedChars);
        }
    }
    if (m_buffer.endsWith(QLatin1Char('\n')) || m_buffer.endsWith(QLatin1String("<br>"))) {
        showText(m_buffer);
        m_buffer.clear();
    }
}

void TerminalPort::showText(QString text)
{
    if (text.isEmpty())
        return;
    // The device's text is shown as text, never taken as markup; a "<br>" it
    // ends a line with still ends the line.
    const bool lineBreak = text.endsWith(QLatin1String("<br>"));
    if (lineBreak)
        text.chop(4);
    emit consoleText(text.toHtmlEscaped() + (lineBreak ? QStringLiteral("<br>") : QString()));
}
