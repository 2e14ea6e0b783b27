#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

class QObject;
struct ComPollEntry;
struct VarPollEntry;

// What a panel read fills anew: the poll lists, the I/O port, the forum
// link, the tool-tip sections and the invisible elements. A read of a
// fragment takes it out of the panel first and puts it back after
// (Panel::takeReadState(), Panel::restoreReadState()).
struct PanelReadState {
    quint32 toolTipSectionMask = 0xffff;
    QList<VarPollEntry *> varPollList;
    QList<ComPollEntry *> comPollList;
    QString ioPortName;
    QString ioPortSettings;
    QString forumUrl;
    QList<QObject *> invisibleElements;
};
