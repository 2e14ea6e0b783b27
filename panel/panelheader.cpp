#include "panelheader.h"

#include <QFileInfo>

// One part of a firmware version: "*" stands for the whole range, a missing
// part counts as "*" too, anything else is a number clamped to 255.
static quint16 versionPart(const QStringList &parts, int index, quint16 wildcard)
{
    if (index >= parts.size() || parts.at(index).trimmed() == QLatin1String("*"))
        return wildcard;
    bool ok = false;
    const uint value = parts.at(index).trimmed().toUInt(&ok, 10);
    return ok ? quint16(qMin(value, 255u)) : 0;
}

void PanelHeader::setFWVersionRange(const QString &minText, const QString &maxText)
{
    const QStringList minParts = minText.split(QLatin1Char('.'));
    const QStringList maxParts = maxText.split(QLatin1Char('.'));
    for (int i = 0; i < 3; ++i) {
        fwVersionMin[i] = versionPart(minParts, i, 0);
        fwVersionMax[i] = versionPart(maxParts, i, 255);
    }
}

static QString versionText(const quint16 parts[3])
{
    return QStringLiteral("%1.%2.%3").arg(parts[0]).arg(parts[1]).arg(parts[2]);
}

void PanelHeader::getFWVersionRange(QString &min, QString &max) const
{
    min = versionText(fwVersionMin);
    max = versionText(fwVersionMax);
}

QString PanelHeader::fwVersionRangeText() const
{
    return QStringLiteral("V.%1..V.%2").arg(versionText(fwVersionMin), versionText(fwVersionMax));
}

QString PanelHeader::xmlFileName() const
{
    return QFileInfo(xmlFile).fileName();
}

void PanelHeader::refuseHeader(const QString &header)
{
    if (!refusedHeaders.contains(header))
        refusedHeaders.append(header);
}
