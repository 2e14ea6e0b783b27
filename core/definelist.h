#pragma once

#include <QString>
#include <QVector>

// One item of a define list "NAME=VALUE;NAME=VALUE", as the -d option and the
// start conditions of panels read it.
struct DefineListItem {
    QString text;          // the item as written
    QString name;          // before the first "=", trimmed
    QString value;         // after the first "=" up to a further one, trimmed
    bool hasValue = false; // the item holds a "="; an item without one sets nothing
};

// The items of a define list, split at every ";", in their order; empty
// items (the one after a trailing ";") included, without a value.
QVector<DefineListItem> parseDefineList(const QString &text);
