#include "tyklink.h"

bool isTykInterface(const QString &portName)
{
    return portName.isEmpty() || portName.compare(QLatin1String("TYK"), Qt::CaseInsensitive) == 0
        || portName.compare(QLatin1String("TYK2"), Qt::CaseInsensitive) == 0;
}

TykLink::TykLink(QObject *parent)
    : QObject(parent)
{
}

TykLink::~TykLink() = default;

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
