#include "httpfetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace HttpFetch {

Result getSync(const QUrl &url, int timeoutMs, qint64 maximumBytes)
{
    Result result;
    if (!url.isValid() || url.scheme() != QLatin1String("http")) {
        result.error = QStringLiteral("not an http address: %1").arg(url.toString());
        return result;
    }
    QNetworkAccessManager manager;
    manager.setProxy(QNetworkProxy::NoProxy);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("HTTPGET"));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);

    QNetworkReply *reply = manager.get(request);
    QByteArray body;
    bool tooLarge = false;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    // Never before its time: callers share one budget between several fetches.
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->readAll();
        if (body.size() > maximumBytes) {
            tooLarge = true;
            loop.quit();
        }
    });
    limit.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    const bool finished = reply->isFinished() && !tooLarge;
    if (finished)
        body += reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (tooLarge || body.size() > maximumBytes) {
        result.error = QStringLiteral("the answer of %1 is larger than %2 bytes").arg(url.toString()).arg(maximumBytes);
    } else if (!finished) {
        result.error = QStringLiteral("no answer from %1 within %2 ms").arg(url.toString()).arg(timeoutMs);
    } else if (reply->error() != QNetworkReply::NoError && status < 300) {
        result.error = QStringLiteral("%1: %2").arg(url.toString(), reply->errorString());
    } else if (status < 200 || status >= 300) {
        result.error = QStringLiteral("%1 answered with HTTP status %2").arg(url.toString()).arg(status);
    } else {
        result.body = body;
    }
    reply->abort();
    delete reply;
    return result;
}

} // namespace HttpFetch
