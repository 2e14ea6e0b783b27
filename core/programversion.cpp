#include "programversion.h"

#include "productversion.h"

#include <QStringList>

ProgramVersion::ProgramVersion(const QString &text)
    : m_text(text)
{
    if (!text.isEmpty())
        parseVersionParts(text, parts);
}

QString ProgramVersion::shortText() const
{
    return m_text.split(QLatin1Char('.')).mid(0, 3).join(QLatin1Char('.'));
}

qint64 ProgramVersion::number() const
{
    return (qint64(parts[0]) * 1000 + parts[1]) * 1000 + parts[2];
}

static ProgramVersion &currentVersion()
{
    static ProgramVersion version;
    return version;
}

const ProgramVersion &programVersion()
{
    return currentVersion();
}

void readProgramVersion()
{
    currentVersion() = ProgramVersion(productVersionString());
}

void parseVersionParts(const QString &text, unsigned parts[3])
{
    const QStringList split = text.split(QLatin1Char('.'));
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const unsigned value = i < split.size() ? split.at(i).toUInt(&ok, 10) : 0;
        parts[i] = ok ? value : 0;
    }
}

QString programVersionShortText()
{
    return programVersion().shortText();
}

int versionCompare(const quint16 a[3], const quint16 b[3])
{
    for (int i = 0; i < 3; ++i) {
        if (a[i] != b[i])
            return a[i] > b[i] ? 1 : -1;
    }
    return 0;
}
