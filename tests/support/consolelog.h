#pragma once

#include "errorreporter.h"

#include <QFile>
#include <QString>
#include <QStringList>

// The console as the tests see it: the lines ("...<br>") the error reporter's
// log file received since the last clear, in order. Error reports end with a
// line feed and are no console lines.
inline QStringList consoleLogLines()
{
    ErrorReporter::instance().logFile().flush();
    QFile log(ErrorReporter::instance().logFileName());
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromLatin1(log.readAll());
    QStringList lines;
    int start = 0;
    for (;;) {
        const int end = text.indexOf(QLatin1String("<br>"), start);
        const int error = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0 && error < 0)
            break;
        if (error >= 0 && (end < 0 || error < end)) {
            start = error + 1;
            continue;
        }
        lines.append(text.mid(start, end + 4 - start));
        start = end + 4;
    }
    return lines;
}

inline void clearConsoleLog()
{
    QFile &log = ErrorReporter::instance().logFile();
    log.resize(0);
    log.seek(0);
}
