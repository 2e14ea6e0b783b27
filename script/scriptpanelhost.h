#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QObject;

// What the script commands on panel elements need of the loaded panel: each
// operation is the one the panel's own element actions use. The panel
// implements it.
class ScriptPanelHost
{
public:
    virtual ~ScriptPanelHost() = default;

    // SETDEF, LOCK and UNLOCK: the texts of the element actions. SETDEF
    // gives the number of items refused, each reported already.
    virtual int scriptSetDef(const QString &text) = 0;
    virtual void scriptLock(const QString &text) = 0;
    virtual void scriptUnlock(const QString &text) = 0;
    // The panel's push buttons by name, in name order (a button may be null).
    virtual QList<QPair<QString, QObject *>> scriptPushButtons() const = 0;
    // Shows page index of the tab widget registered under name; nothing when
    // there is none.
    virtual void scriptSelectTab(const QString &name, int index) = 0;
    // Every element back to its default, as the panel's reset action does.
    virtual void scriptResetGui() = 0;
    // The define prefix of a header file (key), written before its defines.
    virtual void scriptSetDefinePrefix(const QString &key, const QString &text) = 0;
};
