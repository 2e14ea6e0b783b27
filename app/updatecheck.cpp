#include "updatecheck.h"

namespace UpdateCheck {

const char *const defaultFeatureId = "com.zel.hvk.legacy.qmvortal.feature_";

static constexpr int maximumVersionLength = 64;

qint64 periodSeconds(int updatePeriod)
{
    switch (updatePeriod) {
    case 0:
        return 0;
    case 1:
        return 864000;
    case 3:
        return 25920000;
    default:
        return 6048000;
    }
}

bool isDue(int updatePeriod, const QDateTime &lastUpdate, const QDateTime &now)
{
    if (updatePeriod == 0)
        return false;
    // Compared unsigned: a time in the future counts as long ago.
    const qint64 elapsed = lastUpdate.secsTo(now);
    return quint64(elapsed) > quint64(periodSeconds(updatePeriod));
}

QString featureId(const QString &applicationFilePath)
{
    const QLatin1String plugins("/plugins/");
    const int at = applicationFilePath.indexOf(plugins);
    if (at >= 0) {
        const int start = at + plugins.size();
        const int underscore = applicationFilePath.indexOf(QLatin1Char('_'), start);
        if (underscore >= 0)
            return applicationFilePath.mid(start, underscore - start) + QStringLiteral(".feature_");
    }
    return QString::fromLatin1(defaultFeatureId);
}

qint64 packVersion(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    qint64 packed = 0;
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        // Each part has three decimal places in the packed form.
        const qint64 part = i < parts.size() ? parts.at(i).toLongLong(&ok, 10) : 0;
        packed = packed * 1000 + (ok && part >= 0 && part < 1000 ? part : 0);
    }
    return packed;
}

QString newestVersion(const QString &listing, const QString &featureId, qint64 ownPacked)
{
    if (featureId.isEmpty())
        return QString();
    const QLatin1String jar(".jar");
    QString best;
    qint64 bestDifference = 0;
    int from = 0;
    for (;;) {
        const int at = listing.indexOf(featureId, from, Qt::CaseSensitive);
        if (at < 0)
            break;
        const int start = at + featureId.size();
        const int end = listing.indexOf(jar, start);
        if (end < 0)
            break;
        // An archive name holds a short version; anything longer is no entry.
        if (end - start > maximumVersionLength) {
            from = start;
            continue;
        }
        const QString version = listing.mid(start, end - start);
        const qint64 packed = packVersion(version);
        const bool tooSmall = packed >= 1 && packed <= 9999;
        if (!tooSmall && packed > ownPacked && packed - ownPacked > bestDifference) {
            bestDifference = packed - ownPacked;
            best = version;
            from = end;
        } else {
            from = start;
        }
    }
    return best;
}

QStringList siteUrls(const QString &settingsIniValue)
{
    QString text = qEnvironmentVariable("QUILLMATE_UPDATE_SITES");
    if (text.isEmpty())
        text = settingsIniValue;
    if (text.isEmpty())
        return {QStringLiteral("http://harbik-internal.orvanta.com:80/updatesite/stable/plugins"),
                QStringLiteral("http://harbik.orvanta.com:80/stable/features")};
    QStringList urls;
    for (const QString &url : text.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        urls << url.trimmed();
    return urls;
}

} // namespace UpdateCheck
