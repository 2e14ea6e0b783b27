// MainWindow: the launcher's local service (is the tool known, register a
// port, report that it runs) and the help, which the launcher provides.
#include "mainwindow.h"

#include "apppaths.h"
#include "quillpanel.h"
#include "prompt.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>

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
static QNetworkReply *sendLauncherRequest(MainWindow *window, const QByteArray &verb, const QString &path,
                                          const QByteArray &body, void (MainWindow::*read)(QNetworkReply *))
{
    auto *manager = new QNetworkAccessManager(window);
    manager->setProxy(QNetworkProxy::NoProxy);
    if (read)
        QObject::connect(manager, &QNetworkAccessManager::finished, window, read);
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

void MainWindow::checkRegisteredTools()
{
    m_harbikPort = 50000;
    sendLauncherRequest(this, "GET", QStringLiteral("/harbik-service/register/allTools"), QByteArray(),
                        &MainWindow::readingRegisteredTools);
}

void MainWindow::readingRegisteredTools(QNetworkReply *reply)
{
    if (answerText(reply).contains(m_harbikFeatureId, Qt::CaseInsensitive))
        setHarbikState();
    else
        registerTool();
}

void MainWindow::registerTool()
{
    const QString body = QStringLiteral("{\"request\":\"registerToolPort\",\"requestingToolFeatureId\":")
        + jsonString(m_harbikFeatureId) + QStringLiteral(",\"port\":") + jsonString(QString::number(m_harbikPort))
        + QStringLiteral("}");
    sendLauncherRequest(this, "PUT", QStringLiteral("/harbik-service/register"), body.toUtf8(),
                        &MainWindow::onToolRegisterAttempt);
}

void MainWindow::onToolRegisterAttempt(QNetworkReply *reply)
{
    if (answerText(reply).contains(QLatin1String("port is already registered"), Qt::CaseInsensitive)
        && m_harbikPort < 50000 + maximumRegisterAttempts) {
        ++m_harbikPort;
        registerTool();
        return;
    }
    setHarbikState();
}

void MainWindow::setHarbikState()
{
    const QString panelName = QFileInfo(m_panel->getXMLFile()).baseName();
    QString product;
    if (!panelName.isEmpty() && panelName != QLatin1String("index") && !m_settings.switches.disableProductStateStorage)
        product = QStringLiteral("product: ") + panelName + QStringLiteral("; ");
    const QString payload = product + QStringLiteral("description: tool started.");
    const QString body = QStringLiteral("{\"request\":\"setCurrentState\",\"currentState\":{\"state\":\"RUNNING\",\"payload\":")
        + jsonString(payload) + QStringLiteral("}}");
    sendLauncherRequest(this, "POST", QStringLiteral("/harbik-service/state/") + m_harbikFeatureId, body.toUtf8(),
                        nullptr);
}

void MainWindow::showHelp()
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
        m_helpProcess = new QProcess;
    // The launcher started for an earlier request still runs: it shows the help.
    if (m_helpProcess->state() != QProcess::NotRunning)
        return;
    m_helpProcess->start(launcher,
                         {QStringLiteral("-harbik.service"),
                          QStringLiteral("doStartTool com.zel.hvk.help.feature.feature.jar")},
                         QIODevice::ReadWrite);
}
