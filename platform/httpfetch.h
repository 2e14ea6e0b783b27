#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// A blocking HTTP GET for the places that wait for their answer (the update
// check at start-up). It runs its own event loop with a time limit, sends the
// user agent "HTTPGET", goes round no proxy and no cache, follows no redirect
// and stops reading past a size limit, so a slow, redirecting or huge answer
// can never hold the program for long or fill its memory.
namespace HttpFetch {

struct Result {
    QByteArray body;  // empty on any failure
    QString error;    // empty on success: what went wrong, in one line
};

// Default limits: 10 s and 4 MiB.
constexpr int defaultTimeoutMs = 10000;
constexpr qint64 defaultMaximumBytes = 4 * 1024 * 1024;

// Only a 2xx answer counts; its body is returned whole or not at all.
Result getSync(const QUrl &url, int timeoutMs = defaultTimeoutMs, qint64 maximumBytes = defaultMaximumBytes);

} // namespace HttpFetch
