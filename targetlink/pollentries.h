#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

class DataClass;

// The record behind a bound target variable, one per var element, and the
// entry of the memory polling list. The reader fills it while no polling
// thread runs; from then on the configuration fields stay as they are.
//
// While the polling thread runs, `lastValue` and `lastPoll` belong to it
// alone, and `readDone` is read and written only under the lock of the
// `target` variable (DataClass takes it; nobody else touches the flag then).
struct VarPollEntry {
    QString svdSymbol;                 // register or field of the SVD file
    quint32 address = 0xFFFFFFFF;      // 0xFFFFFFFF: none
    quint32 index = 0xFFFFFFFF;        // 0xFFFFFFFF: none
    quint8 channel = 0xFF;             // 0xFF: none
    quint32 byteSize = 0;              // bytes at address
    quint32 msb = 0;                   // top bit of an SVD field
    quint32 bitShift = 0;              // left shift of a value before it is written
    quint32 intervalMs = 0;            // poll period; 0: never, 0xFFFFFFFF: every pass
    quint8 readOnly = 0;               // never written to the target
    quint8 forceSet = 0;               // every polled value is handed on, changed or not
    quint8 readDone = 0;               // read from the target once; writes wait for it
    DataClass *target = nullptr;       // the variable this entry feeds
    quint32 lastValue = 0;             // last word read by the polling thread
    QElapsedTimer lastPoll;            // monotonic time of the last poll; invalid: never
};

// One periodic exchange with the Tyk adapter, one per communication element.
// The reader fills the first five fields while no exchange thread runs; the
// thread reads them and owns the working fields while it runs.
struct ComPollEntry {
    QString sendData;          // send list ("data")
    QString receiveData;       // receive list ("recdata")
    quint8 onChanged = 0;      // "OnChanged"; not used by the exchange thread
    quint32 intervalMs = 0;    // period; 0: never sent
    quint32 timeoutMs = 0;     // how long the reply may take
    qint64 lastTick = 0;       // monotonic ns of the last send, on the thread's clock
    quint16 neededBytes = 0;   // reply bytes the receive list takes
};
