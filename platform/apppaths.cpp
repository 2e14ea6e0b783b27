#include "apppaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace AppPaths {

static const char organisationName[] = "Orvanta Technologies";

QString programDir()
{
    if (qEnvironmentVariableIsSet("QUILLMATE_APPDIR"))
        return QDir::cleanPath(qEnvironmentVariable("QUILLMATE_APPDIR"));
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return programDirBeforeApplication();
}

QString programDirBeforeApplication()
{
    if (qEnvironmentVariableIsSet("QUILLMATE_APPDIR"))
        return QDir::cleanPath(qEnvironmentVariable("QUILLMATE_APPDIR"));
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

QString settingsIniPath()
{
    return QFileInfo(QDir(programDir()).filePath(QStringLiteral("settings.ini"))).absoluteFilePath();
}

QString mainStoreApplicationName(const QString &programDirectory)
{
    QString name = programDirectory;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return name;
}

std::unique_ptr<QSettings> openMainStore()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QLatin1String(organisationName),
                                       mainStoreApplicationName(programDir()));
}

std::unique_ptr<QSettings> openGlobalStore()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QLatin1String(organisationName),
                                       QStringLiteral("QuillmateGlobal"));
}

std::unique_ptr<QSettings> openSettingsIni()
{
    return std::make_unique<QSettings>(settingsIniPath(), QSettings::IniFormat);
}

QString normalizePanelPath(const QString &path)
{
    QString result = path;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

} // namespace AppPaths
