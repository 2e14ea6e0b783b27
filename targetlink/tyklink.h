#pragma once

#include <QObject>
#include <QString>

// Whether the panel's I/O port names the adapter over HID: empty, "TYK" or
// "TYK2" (any case); any other name is a COM port, "?" means ask the user.
bool isTykInterface(const QString &portName);

// Connection to the Tyk USB adapter. This build holds the traffic-log settings
// only; connecting over HID or a COM port comes with the adapter transport.
class TykLink : public QObject
{
    Q_OBJECT
public:
    explicit TykLink(QObject *parent = nullptr);
    ~TykLink() override;

    // Whether the last connect attempt to the adapter succeeded.
    bool isConnected() const { return m_connected; }

    void getLogSettings(quint16 &mode, bool &timeStamps, QString &file) const;
    void openLog(quint16 mode, bool timeStamps, QString file);

private:
    bool m_connected = false;
    quint16 m_logMode = 0;
    bool m_logTimeStamps = false;
    QString m_logFile;
};
