#include "keiltoolstore.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

static const QString toolMenuGroup = QStringLiteral("ToolM");

QString KeilToolStore::defaultPath()
{
    const QString fromEnvironment = qEnvironmentVariable("QUILLMATE_KEIL_STORE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QLatin1String("/Quillmate/keil-uvision5.ini");
}

KeilToolStore::KeilToolStore(const QString &path)
    : m_path(path)
{
    const QFileInfo info(path);
    m_installed = info.isFile();
    if (!m_installed)
        return;
    if (info.size() > maximumFileSize) {
        m_error = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maximumFileSize);
        return;
    }
    if (!info.isReadable()) {
        m_error = QStringLiteral("%1 cannot be read").arg(path);
        return;
    }
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    m_settings->setIniCodec("UTF-8");
    if (m_settings->status() != QSettings::NoError) {
        m_error = QStringLiteral("%1 is not a readable INI file").arg(path);
        m_settings.reset();
    }
}

KeilToolStore::~KeilToolStore() = default;

QString KeilToolStore::text(const QString &name) const
{
    if (!m_settings)
        return QString();
    const QVariant value = m_settings->value(toolMenuGroup + QLatin1Char('/') + name);
    // An unquoted text with commas comes back as a list.
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

int KeilToolStore::number(const QString &name) const
{
    return m_settings ? m_settings->value(toolMenuGroup + QLatin1Char('/') + name).toString().trimmed().toInt()
                      : 0;
}

void KeilToolStore::setValue(const QString &name, const QVariant &value)
{
    if (m_settings)
        m_settings->setValue(toolMenuGroup + QLatin1Char('/') + name, value);
}

void KeilToolStore::clear()
{
    if (m_settings)
        m_settings->remove(toolMenuGroup);
}

bool KeilToolStore::sync()
{
    if (!m_settings)
        return false;
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError)
        return true;
    m_error = QStringLiteral("%1 could not be written").arg(m_path);
    return false;
}
