#include "osinfo.h"

#include <QSysInfo>

static QString &versionOverride()
{
    static QString value;
    return value;
}

QString osProductVersion()
{
    if (!versionOverride().isEmpty())
        return versionOverride();
    return QSysInfo::productVersion();
}

void setOsProductVersionOverride(const QString &version)
{
    versionOverride() = version;
}
