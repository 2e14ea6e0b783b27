// The window's ties to the programs around it: the Keil µVision tools menu,
// the launcher's local service and the help, which the launcher provides.
#include "windowintegration.h"

#include "mainwindow.h"

#include "apppaths.h"
#include "errorreporter.h"
#include "keiltoolstore.h"
#include "programversion.h"
#include "prompt.h"
#include "quillpanel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QSettings>

#include <unistd.h>

WindowIntegration::WindowIntegration(MainWindow &window) : m_window(window) {}

WindowIntegration::~WindowIntegration() = default;

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

// Whether the Keil tools menu can be changed: a Keil that is not installed is
// no error, one whose menu cannot be used is reported.
static bool keilStoreReady(const KeilToolStore &store)
{
    if (!store.isInstalled())
        return false;
    if (!store.isUsable()) {
        reportKeilStore(store);
        return false;
    }
    return true;
}

void WindowIntegration::integrateIntoKeil(int entry)
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
    const bool viaLauncher = !m_window.m_settings.harbikToolId.isEmpty();
    store.setValue(keilName("Mtx", entry), keilTitle());
    store.setValue(keilName("Mex", entry), viaLauncher ? m_keilCommand : ownKeilCommand());
    store.setValue(keilName("Mag", entry),
                   viaLauncher ? m_keilArguments : QStringLiteral("\"$PRTE\\Device\\$D\\config.qlmp\""));
    store.setValue(keilName("Mfg", entry), 2304);
    store.setValue(keilName("Mid", entry), QString());
    if (entry + 1 < keilToolEntries)
        store.setValue(keilName("Mfg", entry + 1), 0);
    if (!store.sync())
        reportKeilStore(store);
}

void WindowIntegration::cleanUpKeilEntries()
{
    KeilToolStore store;
    if (!keilStoreReady(store))
        return;
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

void WindowIntegration::runKeilStep()
{
    KeilToolStore store;
    if (!keilStoreReady(store))
        return;
    QString ownCommand = ownKeilCommand().toUpper();
    m_keilCommand.clear();
    m_keilArguments.clear();
    const bool viaLauncher = !m_window.m_settings.harbikToolId.isEmpty();
    if (viaLauncher) {
        if (parentProgramPath().contains(QLatin1String("msvsmon"), Qt::CaseInsensitive)) {
            m_keilCommand = QStringLiteral("C:\\Orvanta\\Harbik\\Orvanta-Harbik.exe");
            m_keilArguments = QStringLiteral("\"-clearPersistedState -harbik.service doStartTool ") + m_window.m_settings.harbikToolId
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
            ? command.compare(m_keilCommand, Qt::CaseInsensitive) == 0 && store.text(keilName("Mag", i)) == m_keilArguments
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

    if (m_window.m_run.quiet || others.isEmpty()) {
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
        QSettings ini(m_window.m_settings.settingsIniPath, QSettings::IniFormat);
        ini.setValue(QStringLiteral("EnableKeil"), 0);
    }
}

void WindowIntegration::integrateKeil()
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
                         &m_window, QMessageBox::NoButton);
        if (Prompt::ask(message).button != QMessageBox::Yes)
            return;
    }
    integrateIntoKeil(freeEntry);
}

// ---------------------------------------------------------------------------
// The launcher

// The service listens on the local machine; tests point it elsewhere.
static QString launcherBaseUrl()
{
    const QString url = qEnvironmentVariable("QUILLMATE_LAUNCHER_URL");
    return url.isEmpty() ? QStringLiteral("http://127.0.0.1:50000") : url;
}

// No request waits longer, and no answer is read past this size.
static constexpr int launcherTimeoutMs = 5000;
static constexpr qint64 launcherMaximumAnswer = 1024 * 1024;
// "port is already registered" answers after which the tool stops trying.
static constexpr int maximumRegisterAttempts = 100;

// A text as a JSON string, quotes included: escaped by the JSON writer.
static QString jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// A new manager per request, gone with its answer; the answer goes to read
// (when given). An answer that grows too large is cut off.
static QNetworkReply *sendLauncherRequest(WindowIntegration *owner, const QByteArray &verb, const QString &path,
                                          const QByteArray &body, void (WindowIntegration::*read)(QNetworkReply *))
{
    auto *manager = new QNetworkAccessManager(owner);
    manager->setProxy(QNetworkProxy::NoProxy);
    if (read)
        QObject::connect(manager, &QNetworkAccessManager::finished, owner, read);
    QObject::connect(manager, &QNetworkAccessManager::finished, manager, &QObject::deleteLater);
    QNetworkRequest request(QUrl(launcherBaseUrl() + path));
    request.setTransferTimeout(launcherTimeoutMs);
    if (!body.isNull()) {
        request.setRawHeader("Content-Type", "text/plain");
        request.setRawHeader("Content-Length", QByteArray::number(body.size()));
    }
    QNetworkReply *reply = body.isNull() ? manager->get(request) : manager->sendCustomRequest(request, verb, body);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > launcherMaximumAnswer)
            reply->abort();
    });
    return reply;
}

static QString answerText(QNetworkReply *reply)
{
    return QString::fromUtf8(reply->read(launcherMaximumAnswer));
}

void WindowIntegration::reportPanelToLauncher()
{
    // A run that ends after start-up leaves no request behind.
    if (m_harbikFeatureId.isEmpty() || m_window.m_run.endsAfterStartUp)
        return;
    m_harbikPort = 50000;
    sendLauncherRequest(this, "GET", QStringLiteral("/harbik-service/register/allTools"), QByteArray(),
                        &WindowIntegration::readingRegisteredTools);
}

void WindowIntegration::readingRegisteredTools(QNetworkReply *reply)
{
    if (answerText(reply).contains(m_harbikFeatureId, Qt::CaseInsensitive))
        setHarbikState();
    else
        registerTool();
}

void WindowIntegration::registerTool()
{
    const QString body = QStringLiteral("{\"request\":\"registerToolPort\",\"requestingToolFeatureId\":")
        + jsonString(m_harbikFeatureId) + QStringLiteral(",\"port\":") + jsonString(QString::number(m_harbikPort))
        + QStringLiteral("}");
    sendLauncherRequest(this, "PUT", QStringLiteral("/harbik-service/register"), body.toUtf8(),
                        &WindowIntegration::onToolRegisterAttempt);
}

void WindowIntegration::onToolRegisterAttempt(QNetworkReply *reply)
{
    if (answerText(reply).contains(QLatin1String("port is already registered"), Qt::CaseInsensitive)
        && m_harbikPort < 50000 + maximumRegisterAttempts) {
        ++m_harbikPort;
        registerTool();
        return;
    }
    setHarbikState();
}

void WindowIntegration::setHarbikState()
{
    const QString panelName = QFileInfo(m_window.panel()->header().xmlFile).baseName();
    QString product;
    if (!panelName.isEmpty() && panelName != QLatin1String("index") && !m_window.m_settings.switches.disableProductStateStorage)
        product = QStringLiteral("product: ") + panelName + QStringLiteral("; ");
    const QString payload = product + QStringLiteral("description: tool started.");
    const QString body = QStringLiteral("{\"request\":\"setCurrentState\",\"currentState\":{\"state\":\"RUNNING\",\"payload\":")
        + jsonString(payload) + QStringLiteral("}}");
    sendLauncherRequest(this, "POST", QStringLiteral("/harbik-service/state/") + m_harbikFeatureId, body.toUtf8(),
                        nullptr);
}

void WindowIntegration::showHelp()
{
    QString name = qEnvironmentVariable("QUILLMATE_LAUNCHER_PROGRAM");
    if (name.isEmpty())
        name = QStringLiteral("Orvanta-Harbik");
    const QString launcher = QDir::cleanPath(QDir(AppPaths::programDir()).filePath(QStringLiteral("../../../") + name));
    if (!QFileInfo(launcher).isFile()) {
        PromptMessage message;
        message.icon = QMessageBox::Information;
        message.title = QStringLiteral("Quillmate Help");
        message.text = QStringLiteral("Help is available within Orvanta Harbik only.");
        Prompt::ask(message);
        return;
    }
    if (!m_helpProcess)
        m_helpProcess = std::make_unique<QProcess>();
    // The launcher started for an earlier request still runs: it shows the help.
    if (m_helpProcess->state() != QProcess::NotRunning)
        return;
    m_helpProcess->start(launcher,
                         {QStringLiteral("-harbik.service"),
                          QStringLiteral("doStartTool com.zel.hvk.help.feature.feature.jar")},
                         QIODevice::ReadWrite);
}
