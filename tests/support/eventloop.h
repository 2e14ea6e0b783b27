#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>

// The event loop until nothing is left to do: polish, layout, the first
// paint. Bounded, as a timer may keep it busy.
inline void runUntilIdle()
{
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    for (int round = 0; round < 100; ++round) {
        QCoreApplication::sendPostedEvents();
        if (!dispatcher->processEvents(QEventLoop::AllEvents))
            break;
    }
}
