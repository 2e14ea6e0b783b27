#pragma once

#include <QObject>
#include <QString>

class MainWindow;

// The panel's I/O port: empty, "TYK" or "TYK2" for the adapter over HID, a COM
// port name otherwise, "?" meaning ask the user.
extern QString ioPortName;
// Whether the last connect attempt to the adapter succeeded.
extern bool tykConnected;

bool isTykInterface();

// Connection to the Tyk USB adapter. This build holds the traffic-log settings
// only; connecting over HID or a COM port comes with the adapter transport.
class TykLink : public QObject
{
    Q_OBJECT
public:
    explicit TykLink(MainWindow *owner);
    ~TykLink() override;

    void getLogSettings(quint16 &mode, bool &timeStamps, QString &file) const;
    void openLog(quint16 mode, bool timeStamps, QString file);

private:
    quint16 m_logMode = 0;
    bool m_logTimeStamps = false;
    QString m_logFile;
};
