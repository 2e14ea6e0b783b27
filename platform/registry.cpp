#include "registry.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

namespace Registry {

QString filePath()
{
    const QString fromEnvironment = qEnvironmentVariable("QUILLMATE_REGISTRY_FILE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QLatin1String("/Quillmate/registry.ini");
}

bool readValue(const QString &keyPath, const QString &valueName, QString *value)
{
    const QString file = filePath();
    // QSettings would not write on a pure read either, but a missing file is
    // "not installed" and needs no parser at all.
    if (!QFileInfo(file).isFile())
        return false;
    // A section "[Software\SEGGER\J-Link]" reads back as the group
    // "Software/SEGGER/J-Link".
    QString key = keyPath;
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (key.endsWith(QLatin1Char('/')))
        key.chop(1);
    const QSettings store(file, QSettings::IniFormat);
    const QVariant stored = store.value(key + QLatin1Char('/') + valueName);
    if (!stored.isValid())
        return false;
    // An unquoted value with commas comes back as a list.
    if (stored.type() == QVariant::StringList)
        *value = stored.toStringList().join(QLatin1Char(','));
    else
        *value = stored.toString();
    return true;
}

} // namespace Registry
