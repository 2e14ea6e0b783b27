#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QSerialPort>
#include <QString>

#include <memory>

class QTextDecoder;

// A receive-only serial port whose text goes to the console, line by line:
// typically the virtual COM port of a debug probe.
class TerminalPort : public QObject
{
    Q_OBJECT
public:
    // Text that never ends a line is passed on once this much has collected.
    static constexpr int MaxBufferedChars = 4096;

    explicit TerminalPort(QObject *parent = nullptr);
    ~TerminalPort() override;

    // Opens the port with the settings text "baud;databits;parity;stopbits"
    // (115200 8N1 by default). The name "segger" (any case) stands for the
    // first port whose manufacturer is SEGGER. A port that cannot be opened
    // is reported as a console line.
    bool open(const QString &portName, const QString &settings);
    void close();

    const QSerialPort &port() const { return m_port; }

    // The port that "segger" stands for among (name, manufacturer) pairs in
    // their listed order; any other name is returned as it is.
    static QString resolvePortName(const QString &portName,
                                   const QList<QPair<QString, QString>> &ports);

signals:
    // One piece of console HTML: a received line, or a problem with the port.
    void consoleText(const QString &html);

private:
    void readConsole();
    void showText(QString text);

    QSerialPort m_port;
    std::unique_ptr<QTextDecoder> m_decoder;
    QString m_buffer;
};
