#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class ActiveElement;
class LockDialog;
class MathLabel;
class Panel;
class QObject;

// The locks between a panel's elements: the lock and unlock requests the
// elements send, the elements waiting for a lock, the formula labels out of
// their range (the over/underflow conflicts) and their console report, and
// the lock check of the post-load set-up with its lock graph and the walk
// that finds circular locks. Owned by the panel (Panel::locks()).
class PanelLocks final
{
public:
    explicit PanelLocks(Panel &panel) : m_panel(panel) {}
    Q_DISABLE_COPY_MOVE(PanelLocks)

    // ---- Lock and unlock requests "define=value" from sender (the element
    // whose signal asks; a request from no element is refused).
    void requestLock(QObject *sender, const QString &lock);
    void requestUnlock(QObject *sender, const QString &lock);

    // ---- Waiting locks
    // define -> the elements waiting to lock it
    const QHash<QString, QStringList> &waitingLocks() const { return m_waitingLocks; }
    // Notes locker as waiting to lock define; false when it waited already.
    bool addWaitingLock(const QString &define, const QString &locker);
    // Nobody waits any more (the reset: the locks sent again bring back the
    // conflicts that the defaults make).
    void clearWaitingLocks() { m_waitingLocks.clear(); }
    // Carries a renamed define along the waiting locks, as waiter and as waited for.
    void renameDefine(const QString &oldName, const QString &newName);

    // ---- Over/underflow conflicts
    // The formula labels out of their range.
    const QList<MathLabel *> &overflowConflicts() const { return m_overflowConflicts; }
    // The name that drove each label of overflowConflicts out of its range.
    const QHash<const MathLabel *, QString> &overflowCauses() const { return m_overflowCauses; }
    // The warning that name drove label beyond 0..max (overflow) or below 0;
    // the label joins overflowConflicts. The cleared line takes it out again.
    void consoleOverflowWarning(MathLabel *label, quint64 max, const QString &name, bool overflow);
    void consoleConflictCleared(MathLabel *label);

    // Forgets the waiting locks and the over/underflow conflicts.
    void clearLockConflicts();
    // Takes an element that goes away out of the waiting locks, as the
    // element waiting and as the element waited for.
    void forgetWaitingLocks(const QString &elementName);
    // Takes an object that goes away out of the over/underflow conflicts
    // (only formula labels are ever in them).
    void forgetConflicts(const QObject *object);
    // The names waiting for locks plus the over/underflow conflicts.
    int conflictCount() const;

    // ---- The lock check of the post-load set-up: the lockon conditions
    // checked, the locks applied, the lock graph drawn and circular locks
    // reported.
    void checkLockConditions();
    // The graph the lock check draws into; set by the window that shows it.
    void setLockGraph(LockDialog *graph) { m_lockGraph = graph; }
    LockDialog *lockGraph() const { return m_lockGraph; }

private:
    void removeWaitingLock(const QString &locker, const QString &define);
    void reportLockConflicts(const QString &define);
    // Walks the lock chain that lock starts at from, drawing it into the lock
    // graph, and reports a chain that comes back to origin. The walk follows
    // no element twice on one chain, so it ends on every panel.
    void checkLockCycle(ActiveElement *origin, ActiveElement *from, const QString &lock, const QString &chain,
                        ushort group, ushort depth, ushort index);

    Panel &m_panel;
    QHash<QString, QStringList> m_waitingLocks;
    QList<MathLabel *> m_overflowConflicts;
    QHash<const MathLabel *, QString> m_overflowCauses;
    LockDialog *m_lockGraph = nullptr;
};
