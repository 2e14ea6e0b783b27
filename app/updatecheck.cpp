#include "updatecheck.h"
#include "applog.h"

#include "apppaths.h"
#include "httpfetch.h"
#include "programversion.h"
#include "prompt.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSettings>
#include <QUrl>

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

// The check's time-out: how long the start-up may wait for the update sites,
// all of them together.
static constexpr int updateCheckTimeoutMs = 5000;

void checkForUpdates()
{
    auto store = AppPaths::openMainStore();
    const int period = store->value(QStringLiteral("UpdatePeriod"), 2).toInt();
    if (period == 0)
        return;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QVariant lastUpdate = store->value(QStringLiteral("LastUpdate"));
    if (!lastUpdate.isValid()) {
        // A fresh installation: the first check comes one period from now.
        store->setValue(QStringLiteral("LastUpdate"), now);
        return;
    }
    if (!UpdateCheck::isDue(period, lastUpdate.toDateTime(), now))
        return;
    // The attempt counts, whether a site answers or not: a start without
    // network does not wait again before the period is over.
    store->setValue(QStringLiteral("LastUpdate"), now);
    store->sync();

    QString sitesSetting;
    {
        auto ini = AppPaths::openSettingsIni();
        const QStringList keys = ini->allKeys();
        for (const QString &key : keys) {
            if (key.toLower() == QLatin1String("updatesites"))
                sitesSetting = ini->value(key).toStringList().join(QLatin1Char(';'));
        }
    }
    const QString feature = UpdateCheck::featureId(QCoreApplication::applicationFilePath());
    const qint64 own = programVersion().number();
    const QDeadlineTimer deadline(updateCheckTimeoutMs);
    for (const QString &site : UpdateCheck::siteUrls(sitesSetting)) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0)
            break;
        const HttpFetch::Result listing = HttpFetch::getSync(QUrl(site), int(remaining));
        if (listing.body.isEmpty()) {
            // Never a box, never the console: one line for whoever reads stderr.
            if (!listing.error.isEmpty())
                qCInfo(lcApp, "Update check: %s", qPrintable(listing.error));
            continue;
        }
        const QString version = UpdateCheck::newestVersion(QString::fromUtf8(listing.body), feature, own);
        if (version.isEmpty())
            continue;

        PromptMessage message;
        message.icon = QMessageBox::Information;
        message.title = QStringLiteral("A newer version of Quillmate is available.");
        message.text = QStringLiteral("A newer version of Quillmate (V%1) is available.\nPlease update with Orvanta Harbik.")
                           .arg(version);
        // The version comes from the network: never markup.
        message.textFormat = Qt::PlainText;
        message.checkBoxText = QStringLiteral("Never remind me (can be configured in \"Settings\" dialog).");
        if (Prompt::ask(message).checked)
            store->setValue(QStringLiteral("UpdatePeriod"), 0);
        return;
    }
}

} // namespace UpdateCheck
