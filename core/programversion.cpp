#include "programversion.h"

#include "productversion.h"

#include <QStringList>

unsigned programVersion[3] = {0, 0, 0};
QString programVersionText;

void parseVersionParts(const QString &text, unsigned parts[3])
{
    const QStringList split = text.split(QLatin1Char('.'));
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const unsigned value = i < split.size() ? split.at(i).toUInt(&ok, 10) : 0;
        parts[i] = ok ? value : 0;
    }
}

void readProgramVersion()
{
    programVersionText = productVersionString();
    if (programVersionText.isEmpty()) {
        programVersion[0] = programVersion[1] = programVersion[2] = 0;
        return;
    }
    parseVersionParts(programVersionText, programVersion);
}

QString programVersionShortText()
{
    return programVersionText.split(QLatin1Char('.')).mid(0, 3).join(QLatin1Char('.'));
}
