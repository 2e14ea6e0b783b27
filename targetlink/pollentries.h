#pragma once

#include <QString>
#include <QtGlobal>

class DataClass;

// The record behind a target variable; also an entry of the memory polling list.
struct VarPollEntry {
    quint32 address = 0;
    int size = 0;        // bytes
    int msb = 0;         // top bit of the value
    int lsb = 0;         // bit shift of the value
    int index = 0;
    int channel = 0;
    int interval = 0;    // ms; 0: read on access only
    bool readOnly = false;
    bool force = false;  // pass every read on, changed or not
    quint32 lastValue = 0;
    qint64 lastTime = 0;
    QString svdSymbol;
    DataClass *variable = nullptr;
};

// One periodic exchange with the adapter.
struct ComPollEntry {
    QString sendText;
    QString receiveText;
    int interval = 0;    // ms
    int timeout = 0;     // ms
    qint64 lastTick = 0;
    int replyBytes = 0;
};
