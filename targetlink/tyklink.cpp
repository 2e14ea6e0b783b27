#include "tyklink.h"

QString ioPortName;
bool tykConnected = false;

bool isTykInterface()
{
    return ioPortName.isEmpty()
        || ioPortName.compare(QLatin1String("TYK"), Qt::CaseInsensitive) == 0
        || ioPortName.compare(QLatin1String("TYK2"), Qt::CaseInsensitive) == 0;
}

TykLink::TykLink(MainWindow *owner)
{
    Q_UNUSED(owner)
    tykConnected = false;
}

TykLink::~TykLink()
{
    tykConnected = false;
}

void TykLink::getLogSettings(quint16 &mode, bool &timeStamps, QString &file) const
{
    mode = m_logMode;
    timeStamps = m_logTimeStamps;
    file = m_logFile;
}

void TykLink::openLog(quint16 mode, bool timeStamps, QString file)
{
    m_logMode = mode;
    m_logTimeStamps = timeStamps;
    m_logFile = file;
}
