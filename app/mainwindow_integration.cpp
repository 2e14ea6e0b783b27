// MainWindow: the update check at start-up and the Keil µVision tools menu.
#include "mainwindow.h"
#include "applog.h"

#include "apppaths.h"
#include "errorreporter.h"
#include "httpfetch.h"
#include "keiltoolstore.h"
#include "programversion.h"
#include "prompt.h"
#include "updatecheck.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSettings>

#include <unistd.h>

// ---------------------------------------------------------------------------
// Update check

// The check's time-out: how long the start-up may wait for the update sites,
// all of them together.
static constexpr int updateCheckTimeoutMs = 5000;

void MainWindow::checkForUpdates()
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

// ---------------------------------------------------------------------------
// Keil µVision tools menu

static constexpr int keilToolEntries = 20;

static QString keilName(const char *prefix, int entry)
{
    return QLatin1String(prefix) + QString::number(quint16(entry));
}

// A tools-menu command names a file with "\" separators.
static bool keilCommandFileExists(const QString &command)
{
    QString path = command;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QFileInfo(path).isFile();
}

static QString ownKeilCommand()
{
    QString path = QCoreApplication::applicationFilePath();
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path;
}

static QString keilTitle()
{
    return QStringLiteral("Quillmate V") + programVersionShortText();
}

// The Yes/No question of the Keil integration (default No unless told).
static PromptMessage keilQuestion(const QString &text, QWidget *parent = nullptr,
                                  QMessageBox::StandardButton defaultButton = QMessageBox::No)
{
    PromptMessage message;
    message.parent = parent;
    message.icon = QMessageBox::Question;
    message.title = QStringLiteral("Keil µVision 5 Integration");
    message.buttons = QMessageBox::Yes | QMessageBox::No;
    message.defaultButton = defaultButton;
    message.text = text;
    return message;
}

// One line for a store that cannot be used or written; the store itself is
// never touched then.
static void reportKeilStore(const KeilToolStore &store)
{
    logMessage(QStringLiteral("<font color=\"red\"><b>Keil µVision 5 Integration: </b></font>%1<br>")
                   .arg(store.error().toHtmlEscaped()));
}

void MainWindow::integrateIntoKeil(int entry)
{
    KeilToolStore store;
    if (!store.isUsable()) {
        if (store.isInstalled())
            reportKeilStore(store);
        return;
    }
    if (entry < 0 || entry >= keilToolEntries) {
        logMessage(QStringLiteral("<font color=\"red\"><b>Keil µVision 5 Integration: </b></font>"
                                  "the tools menu has no free entry; Quillmate was not added.<br>"));
        return;
    }
    const bool viaLauncher = !m_settings.harbikToolId.isEmpty();
    store.setValue(keilName("Mtx", entry), keilTitle());
    store.setValue(keilName("Mex", entry), viaLauncher ? m_settings.keilCommand : ownKeilCommand());
    store.setValue(keilName("Mag", entry),
                   viaLauncher ? m_settings.keilArguments : QStringLiteral("\"$PRTE\\Device\\$D\\config.qlmp\""));
    store.setValue(keilName("Mfg", entry), 2304);
    store.setValue(keilName("Mid", entry), QString());
    if (entry + 1 < keilToolEntries)
        store.setValue(keilName("Mfg", entry + 1), 0);
    if (!store.sync())
        reportKeilStore(store);
}

void MainWindow::cleanUpKeilEntries()
{
    KeilToolStore store;
    if (!store.isInstalled())
        return;
    if (!store.isUsable()) {
        reportKeilStore(store);
        return;
    }
    struct Entry {
        QString title, command, arguments, folder;
        int flags = 0;
    };
    QList<Entry> kept;
    int removed = 0;
    for (int i = 0; i < keilToolEntries; ++i) {
        const QString title = store.text(keilName("Mtx", i));
        if (title.isEmpty())
            continue;
        const int flags = store.number(keilName("Mfg", i));
        if (flags == 0)
            break;
        const QString command = store.text(keilName("Mex", i));
        const bool ours = title.startsWith(QLatin1String("Quillmate")) || title.startsWith(QLatin1String("ZELQuillmate"));
        if (ours && !keilCommandFileExists(command)) {
            ++removed;
            continue;
        }
        kept.append({title, command, store.text(keilName("Mag", i)), store.text(keilName("Mid", i)), flags});
    }
    if (removed == 0)
        return;

    const PromptMessage message = keilQuestion(
        removed == 1
        ? QStringLiteral("There is a Quillmate integrated into\nKeil µVision5 that has been removed from disk.\n"
                         "Remove from Keil Tool menu also?")
        : QStringLiteral("There are %1 Quillmate integrated into\nKeil µVision5 that have been removed from disk.\n"
                         "Remove from Keil Tool menu also?")
              .arg(removed));
    if (Prompt::ask(message).button != QMessageBox::Yes)
        return;

    store.clear();
    for (int i = 0; i < kept.size(); ++i) {
        const Entry &entry = kept.at(i);
        store.setValue(keilName("Mfg", i), entry.flags);
        store.setValue(keilName("Mtx", i), entry.title);
        store.setValue(keilName("Mid", i), entry.folder);
        store.setValue(keilName("Mex", i), entry.command);
        store.setValue(keilName("Mag", i), entry.arguments);
    }
    store.setValue(keilName("Mfg", kept.size()), 0);
    if (!store.sync())
        reportKeilStore(store);
}

// The full path of the program that started this one.
static QString parentProgramPath()
{
    return QFileInfo(QStringLiteral("/proc/%1/exe").arg(qint64(getppid()))).symLinkTarget();
}

void MainWindow::runKeilStep()
{
    KeilToolStore store;
    if (!store.isInstalled())
        return;
    if (!store.isUsable()) {
        reportKeilStore(store);
        return;
    }
    QString ownCommand = ownKeilCommand().toUpper();
    m_settings.keilCommand.clear();
    m_settings.keilArguments.clear();
    const bool viaLauncher = !m_settings.harbikToolId.isEmpty();
    if (viaLauncher) {
        if (parentProgramPath().contains(QLatin1String("msvsmon"), Qt::CaseInsensitive)) {
            m_settings.keilCommand = QStringLiteral("C:\\Orvanta\\Harbik\\Orvanta-Harbik.exe");
            m_settings.keilArguments = QStringLiteral("\"-clearPersistedState -harbik.service doStartTool ") + m_settings.harbikToolId
                + QStringLiteral(" $PRTE\\Device\\$D\\config.qlmp\"");
        } else {
            ownCommand.clear();
        }
    }

    int freeEntry = -1;
    QStringList others;
    for (int i = 0; !ownCommand.isEmpty() && i < keilToolEntries; ++i) {
        const QString command = store.text(keilName("Mex", i));
        if (store.number(keilName("Mfg", i)) == 0) {
            freeEntry = i;
            break;
        }
        const bool own = viaLauncher
            ? command.compare(m_settings.keilCommand, Qt::CaseInsensitive) == 0 && store.text(keilName("Mag", i)) == m_settings.keilArguments
            : command.toUpper() == ownCommand;
        if (own) {
            if (viaLauncher && store.text(keilName("Mtx", i)) != keilTitle()) {
                store.setValue(keilName("Mtx", i), keilTitle());
                if (!store.sync())
                    reportKeilStore(store);
            }
            return;
        }
        if (store.text(keilName("Mtx", i)).startsWith(QLatin1String("Quillmate")))
            others << command;
    }
    // Started by the launcher from elsewhere: that copy has no entry of its own.
    if (ownCommand.isEmpty())
        return;

    if (m_run.quiet || others.isEmpty()) {
        integrateIntoKeil(freeEntry);
        return;
    }
    PromptMessage message = keilQuestion(QString());
    message.checkBoxText = QStringLiteral("Remember my decision");
    message.text = QStringLiteral("Other Quillmate(s) were integrated into Keil µVision5.\n\nPaths:\n-%1\n\n"
                                  "Should the running Quillmate be also integrated?\n\n"
                                  "Hint: Quillmate can be removed in Keil by menu \"Tools -> Customize Tools Menu...\"")
                       .arg(others.join(QStringLiteral("\n-")));
    const PromptAnswer answer = Prompt::ask(message);
    if (answer.button == QMessageBox::Yes) {
        integrateIntoKeil(freeEntry);
    } else if (answer.checked) {
        QSettings ini(m_settings.settingsIniPath, QSettings::IniFormat);
        ini.setValue(QStringLiteral("EnableKeil"), 0);
    }
}

void MainWindow::integrateKeil()
{
    KeilToolStore store;
    if (!store.isUsable()) {
        if (store.isInstalled())
            reportKeilStore(store);
        return;
    }
    const QString ownCommand = ownKeilCommand().toUpper();
    int freeEntry = -1;
    bool otherCopy = false;
    QStringList paths;
    for (int i = 0; i < keilToolEntries; ++i) {
        const QString command = store.text(keilName("Mex", i));
        if (command.isEmpty()) {
            if (freeEntry < 0)
                freeEntry = i;
            continue;
        }
        if (command.toUpper() == ownCommand)
            return; // already there
        paths << command;
        if (store.text(keilName("Mtx", i)) == QLatin1String("Quillmate"))
            otherCopy = true;
    }
    if (otherCopy) {
        const PromptMessage message =
            keilQuestion(QStringLiteral("Other Quillmate(s) were integrated into Keil µVision5.\n\nPaths:\n-%1\n\n"
                                        "Should the running Quillmate be also integrated?")
                             .arg(paths.join(QStringLiteral("\n-"))),
                         this, QMessageBox::NoButton);
        if (Prompt::ask(message).button != QMessageBox::Yes)
            return;
    }
    integrateIntoKeil(freeEntry);
}
