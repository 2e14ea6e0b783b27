#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The start-up look at the update site: whether a check is due, which feature
// archive of the launcher is the program's own, and the newest version a
// listing of the site offers; and the check itself, which fetches the listings
// and tells the user.
namespace UpdateCheck {

// The check period of the setting "UpdatePeriod" in seconds: 1 gives
// 10 days, 3 gives 300 days, 0 never (0 seconds), anything else 70 days.
qint64 periodSeconds(int updatePeriod);

// Whether a check is due: more than the period has passed since lastUpdate,
// or lastUpdate lies in the future.
bool isDue(int updatePeriod, const QDateTime &lastUpdate, const QDateTime &now);

// The text in front of the version in the name of the program's feature
// archive: taken from a program path inside the launcher's plugins folder,
// else the default one.
QString featureId(const QString &applicationFilePath);
extern const char *const defaultFeatureId;

// (p0 * 1000 + p1) * 1000 + p2 of the first three dot-separated parts; a part
// that is no number counts as 0.
qint64 packVersion(const QString &text);

// The version text of the newest archive of the feature in the listing that is
// newer than ownPacked; empty when there is none. Packed versions from 1 to
// 9999 are ignored.
QString newestVersion(const QString &listing, const QString &featureId, qint64 ownPacked);

// The listing addresses tried in order: QUILLMATE_UPDATE_SITES (separated by
// ";"), else the settings.ini key "updatesites", else the maker's two sites.
QStringList siteUrls(const QString &settingsIniValue);

// The start-up check: when one is due, fetches the sites' listings (all of
// them within one time-out) and tells of a newer version in a message box,
// whose "Never remind me" switches the check off. Records the attempt.
void checkForUpdates();

} // namespace UpdateCheck
