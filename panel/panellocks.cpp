// PanelLocks: locks between elements. The lock and unlock requests of the
// elements, the elements waiting for a lock, the over/underflow conflicts and
// their console report, the lock check of the post-load set-up with its lock
// graph, and the walk that finds circular locks.
#include "panellocks.h"

#include "quillpanel.h"

#include "consolelinks.h"
#include "elementkinds.h"
#include "elementwalk.h"
#include "errorreporter.h"
#include "lockdialog.h"
#include "mathlabel.h"

#include <QPointer>

#include <algorithm>

// The element kinds that send locks.
static bool isLockCapable(QObject *object)
{
    const ElementKind *kind = elementKindOf(object);
    return kind && kind->sendsLocks;
}

// The names as links, joined by " and ".
static QString elementLinks(const QStringList &names)
{
    QStringList links;
    for (const QString &name : names)
        links.append(QStringLiteral("<a href=\"%1\">%2</a>").arg(linkTarget(name), name));
    return links.join(QStringLiteral(" and "));
}

static void updateToolTips(const QPointer<QObject> &first, const QPointer<QObject> &second)
{
    for (QObject *object : {first.data(), second.data()}) {
        if (auto *element = activeElementOf(object))
            element->updateToolTip();
    }
}

// Lets an element that waited to lock define send its lock now: the waiter
// emits its own sendLock, so on_sendLock runs at once with it as sender.
static void serveWaiter(Panel *panel, const QString &waiterName, const QString &define)
{
    ActiveElement *waiter = waiterName.isEmpty() ? nullptr : panel->getActiveElement(waiterName);
    if (!waiter)
        return;
    const QPointer<QObject> waiterObject = objectOf(waiter);
    const LockRecord wanted = waiter->takeWaitingToLock(define);
    QString text = wanted.name;
    if (wanted.kind == KeywordLabel)
        text += QStringLiteral(".label");
    else if (wanted.kind == KeywordIndex)
        text += QStringLiteral(".index");
    if (isLockCapable(waiterObject))
        signalsOf(waiterObject)->raise(&ElementSignals::sendLock, QStringLiteral("%1=%2").arg(text, wanted.value));
    if (auto *element = qobject_cast<ActiveElement *>(waiterObject.data()))
        element->updateToolTip();
}

// A lock or unlock request: the define it names with the keyword and value
// of the lock, the sending element and the target.
struct LockRequest {
    QString name;
    QString value;
    int kind = 0;
    ActiveElement *source = nullptr;
    ActiveElement *target = nullptr;
    QString senderName;
    // Both may go while the request runs actions.
    QPointer<QObject> sourceObject;
    QPointer<QObject> targetObject;
};

// Reads a request; false when the text is not exactly one "=". The source or
// the target is null when it is not an element.
static bool readLockRequest(const Panel *panel, QObject *sender, const QString &lock, LockRequest *request)
{
    const QStringList parts = lock.split(QLatin1Char('='));
    if (parts.size() != 2)
        return false;
    request->kind = keywordSuffixIndexOf(parts.at(0));
    request->name = parts.at(0);
    stripKeywordSuffix(request->name, request->kind);
    request->value = parts.at(1);
    request->source = qobject_cast<ActiveElement *>(sender);
    request->target = panel->getActiveElement(request->name);
    request->senderName = PanelNames::getObjectName(request->source);
    request->sourceObject = objectOf(request->source);
    request->targetObject = objectOf(request->target);
    return true;
}

// ---------------------------------------------------------------------------
// Lock and unlock requests

void PanelLocks::requestLock(QObject *sender, const QString &lock)
{
    LockRequest request;
    if (!readLockRequest(&m_panel, sender, lock, &request))
        return;
    ActiveElement *source = request.source;
    ActiveElement *target = request.target;
    if (!source || !target) {
        reportInvalidLock(lock);
        return;
    }
    const QString &name = request.name;
    const QString &senderName = request.senderName;

    if (target->isLocked() && target->isLockedToOtherValue(request.value)) {
        source->addWaitingToLock(name, request.value, request.kind);
        target->addWaitingToBeLockedBy(senderName, request.value);
        if (addWaitingLock(name, senderName))
            reportLockConflicts(name);
    } else if (target->isLocked() && target->isLockedBy(senderName)) {
        return;
    } else {
        source->addLocking(name, request.value, request.kind);
        // The first lock sets the target's value, which runs its actions.
        target->addLock(senderName, request.value, request.kind);
        removeWaitingLock(senderName, name);
    }
    updateToolTips(request.sourceObject, request.targetObject);
}

void PanelLocks::requestUnlock(QObject *sender, const QString &lock)
{
    LockRequest request;
    if (!readLockRequest(&m_panel, sender, lock, &request))
        return;
    ActiveElement *source = request.source;
    ActiveElement *target = request.target;
    if (!source || !target)
        return;
    const QString &name = request.name;

    if (source->removeLocking(name)) {
        // The last lock gone, the target shows its stored value again and runs its actions.
        target->removeLock(request.senderName);
        if (!request.targetObject)
            return;
        // The first waiter is served, and with it every waiter that wants the same value.
        const LockRecord first = target->takeFirstWaitingToBeLockedBy();
        const QList<LockRecord> waiters = QList<LockRecord>{first} + target->takeWaitingToBeLockedByValue(first.value);
        for (const LockRecord &waiting : waiters)
            serveWaiter(&m_panel, waiting.name, name);
    } else {
        source->removeWaitingToLock(name);
        target->removeWaitingToBeLockedBy(request.senderName);
    }
    removeWaitingLock(request.senderName, name);
    updateToolTips(request.sourceObject, request.targetObject);
}

void PanelLocks::removeWaitingLock(const QString &locker, const QString &define)
{
    auto it = m_waitingLocks.find(define);
    if (it == m_waitingLocks.end())
        return;
    it->removeAll(locker);
    if (it->isEmpty())
        m_waitingLocks.erase(it);
    reportLockConflicts(define);
}

bool PanelLocks::addWaitingLock(const QString &define, const QString &locker)
{
    QStringList &waiting = m_waitingLocks[define];
    if (waiting.contains(locker))
        return false;
    waiting.append(locker);
    return true;
}

void PanelLocks::renameDefine(const QString &oldName, const QString &newName)
{
    QHash<QString, QStringList> waiting;
    for (auto it = m_waitingLocks.cbegin(); it != m_waitingLocks.cend(); ++it) {
        QStringList lockers = it.value();
        for (QString &locker : lockers) {
            if (locker == oldName)
                locker = newName;
        }
        waiting.insert(it.key() == oldName ? newName : it.key(), lockers);
    }
    m_waitingLocks = waiting;
}

void PanelLocks::consoleOverflowWarning(MathLabel *label, quint64 max, const QString &name, bool overflow)
{
    m_overflowConflicts.append(label);
    m_overflowCauses.insert(label, name);
    const QString labelName = label ? label->objectName() : QString();
    ::logMessage(QStringLiteral("<font color=\"red\"><b>Warning: </font></b> <a href=\"%1\">%2</a> has caused an %6 "
                                "in <a href=\"%3\">%4</a>. Highest possible value: %5<br>")
                     .arg(linkTarget(name), name, linkTarget(labelName), labelName, QString::number(max),
                          overflow ? QStringLiteral("overflow") : QStringLiteral("underflow")));
}

void PanelLocks::consoleConflictCleared(MathLabel *label)
{
    m_overflowConflicts.removeOne(label);
    m_overflowCauses.remove(label);
    const QString labelName = label ? label->objectName() : QString();
    ::logMessage(QStringLiteral("<font color=\"green\"><b>Conflict cleared: </font></b> Over-/Underflow in: "
                                "<a href=\"%1\">%2</a>. (%3 conflicts in current project)<br>")
                     .arg(linkTarget(labelName), labelName, QString::number(conflictCount())));
}

void PanelLocks::clearLockConflicts()
{
    m_waitingLocks.clear();
    m_overflowConflicts.clear();
    m_overflowCauses.clear();
}

void PanelLocks::forgetWaitingLocks(const QString &elementName)
{
    if (elementName.isEmpty())
        return;
    m_waitingLocks.remove(elementName);
    for (auto it = m_waitingLocks.begin(); it != m_waitingLocks.end(); ++it)
        it.value().removeAll(elementName);
}

void PanelLocks::forgetConflicts(const QObject *object)
{
    // Compared as objects: the object may be no formula label at all.
    const auto isObject = [object](const MathLabel *label) { return static_cast<const QObject *>(label) == object; };
    m_overflowConflicts.erase(std::remove_if(m_overflowConflicts.begin(), m_overflowConflicts.end(), isObject),
                              m_overflowConflicts.end());
    for (auto it = m_overflowCauses.begin(); it != m_overflowCauses.end();) {
        if (isObject(it.key()))
            it = m_overflowCauses.erase(it);
        else
            ++it;
    }
}

int PanelLocks::conflictCount() const
{
    int count = m_overflowConflicts.size();
    for (const QStringList &names : m_waitingLocks)
        count += names.size();
    return count;
}

void PanelLocks::reportLockConflicts(const QString &define)
{
    const int count = conflictCount();
    if (!m_waitingLocks.contains(define)) {
        ::logMessage(QStringLiteral("<font color=\"green\"><b>Conflict cleared:</font></b> %1 ").arg(define)
                     + (count == 1 ? QStringLiteral(" (%1 conflict remaining)")
                                   : QStringLiteral(" (%1 conflicts remaining)"))
                           .arg(count)
                     + QStringLiteral("<br>"));
        return;
    }
    ActiveElement *element = m_panel.getActiveElement(define);
    const QStringList lockers = element ? element->lockedByNames() : QStringList();
    QString text = QStringLiteral("<font color=\"red\"><b>Warning: </font></b> %1 is waiting to be locked by %2")
                       .arg(elementLinks({define}), elementLinks(m_waitingLocks.value(define)));
    // An element that nobody locks any more (or that is gone) names no lockers.
    if (!lockers.isEmpty())
        text += QStringLiteral(" and is locked by ") + elementLinks(lockers);
    text += (count < 2 ? QStringLiteral(" (%1 conflict in current project)")
                       : QStringLiteral(" (%1 conflicts in current project)"))
                .arg(count);
    ::logMessage(text + QStringLiteral("<br>"));
}

// ---------------------------------------------------------------------------
// The lock check of the post-load set-up

static void printXmlError(const QString &text)
{
    ::logMessage(QStringLiteral("<font color=\"red\"> <b>XML Error: </b></font><b>%1<br>").arg(text));
}

// Whether the value of a lockon condition names a value the target can take.
// A label lock on a kind whose values have no labels is refused with its own line first.
static bool lockValueAccepted(const ActiveElement *target, const QString &ownerName, const QString &condition,
                              const QString &value, bool labelLock)
{
    const QString unlabelledKind = target->unlabelledKindName();
    if (labelLock && !unlabelledKind.isEmpty()) {
        printXmlError(QStringLiteral("%1 wants to lock label on %2: %3.").arg(ownerName, unlabelledKind, condition));
        return false;
    }
    return target->acceptsLockValue(value, labelLock);
}

// Prints what is wrong with the lockon conditions of one element; changes no lock.
static void checkLockonConditions(Panel *panel, ActiveElement *element)
{
    const QVariantMap locks = element->elementProperty("locks").toMap();
    if (locks.isEmpty())
        return;
    const QString ownerName = PanelNames::getObjectName(element);
    for (const QVariant &entry : locks) {
        const QStringList conditions = entry.toStringList();
        for (const QString &condition : conditions) {
            const int equals = condition.indexOf(QLatin1Char('='));
            if (equals < 0) {
                printXmlError(QStringLiteral("Found lockon without \"=\" at definition of: %1").arg(ownerName));
                continue;
            }
            const QString writtenName = condition.left(equals);
            const QString value = condition.mid(equals + 1);
            const bool labelLock = writtenName.endsWith(QLatin1String(".label"));
            const QString name = labelLock ? writtenName.chopped(6) : writtenName;
            ActiveElement *target = panel->getActiveElement(name);
            const bool accepted = target
                && (panel->getActiveElement(value)
                    || lockValueAccepted(target, ownerName, condition, value, labelLock));
            if (!accepted)
                printXmlError(QStringLiteral("%1 wants to lock %2 to %3.").arg(ownerName, writtenName, value));
        }
    }
}

// Why an output port reads "???": the element's kind gives its states no names.
static QString unnamedStateReason(QObject *object, const QString &key)
{
    const QString kind = object ? QString::fromLatin1(object->metaObject()->className()) : QString();
    return QStringLiteral("The states of %1 (%2) have no names: only radio groups, combo boxes and check "
                          "boxes name the states their locks belong to. This output stands for the lock "
                          "entry \"%3\".")
        .arg(object ? object->objectName() : QString(), kind, key);
}

void PanelLocks::checkLockConditions()
{
    // While the panel loads, an element without lock conditions has nothing
    // to check and nothing to send (the change its lock step reports counts
    // only after the load), so the walk takes the lock owners alone.
    QList<ActiveElement *> owners;
    const bool loading = m_panel.flags().loading;
    if (loading) {
        for (ActiveElement *element : m_panel.getAllElements()) {
            const QVariant locks = element->elementProperty("locks");
            if (locks.isValid() && !locks.toMap().isEmpty())
                owners.append(element);
        }
    }
    // Applying locks runs actions: a change moves an element to the end of the
    // list, and an action that opens another panel takes the elements away.
    const ElementWalk elements(loading ? owners : m_panel.getAllElements(), &m_panel);
    elements.forEach([this](ActiveElement *element) {
        checkLockonConditions(&m_panel, element);
        element->applyLocks();
    });

    if (!m_lockGraph)
        return;
    LockDialog *lockDialog = m_lockGraph;
    lockDialog->clearGraph();
    elements.forEach([this, lockDialog](ActiveElement *element) {
        const QVariantMap locks = element->elementProperty("locks").toMap();
        if (locks.isEmpty())
            return;
        const QString name = PanelNames::getObjectName(element);
        QNEBlock *block = lockDialog->addElementBlock(element, name, QStringLiteral("START"), 0, 0, 0);
        ushort group = 0;
        for (auto entry = locks.cbegin(); entry != locks.cend(); ++entry, ++group) {
            // The button, item or check state the entry belongs to.
            const QString label = element->lockEntryLabel(entry.key(), group);
            QNEPort *port = block->addOutputPort(label);
            if (label == QLatin1String("???"))
                port->setExplanation(unnamedStateReason(objectOf(element), entry.key()));
            const QStringList conditions = entry.value().toStringList();
            for (int i = 0; i < conditions.size(); ++i) {
                if (conditions.at(i).contains(QLatin1Char('=')))
                    checkLockCycle(element, element, conditions.at(i), name, group, 1, ushort(i));
            }
            lockDialog->nextColumn(block);
        }
        lockDialog->clearPreviousBlock();
    });
    lockDialog->arrangeBlocks();
}

// ---------------------------------------------------------------------------
// Circular locks

// One step of the walk; path holds the elements of the chain so far.
static void walkLockChain(Panel *panel, ActiveElement *origin, const QString &lock, QString chain,
                          ushort group, ushort depth, ushort index, QList<ActiveElement *> &path)
{
    const int equals = lock.indexOf(QLatin1Char('='));
    QString name = lock.left(equals);
    const QString value = lock.mid(equals + 1);
    if (name.endsWith(QLatin1String(".label")))
        name.remove(QStringLiteral(".label"));
    ActiveElement *target = panel->getActiveElement(name);
    if (!target)
        return;
    if (LockDialog *graph = panel->locks().lockGraph())
        graph->addElementBlock(target, PanelNames::getObjectName(target), value, group, depth, index);
    QObject *object = objectOf(target);
    if (!isLockCapable(object))
        return;
    chain += QStringLiteral(" --> ") + object->objectName();
    if (target == origin) {
        printXmlError(QStringLiteral("Circular lock %1.").arg(chain));
        return;
    }
    // A circle that does not pass the origin is reported from its own elements.
    if (path.contains(target))
        return;

    path.append(target);
    const bool everyEntry = target->followsEveryLockEntry();
    const QVariantMap locks = target->elementProperty("locks").toMap();
    for (auto entry = locks.cbegin(); entry != locks.cend(); ++entry) {
        if (!everyEntry && entry.key() != value)
            continue;
        const QStringList texts = entry.value().toStringList();
        for (int j = 0; j < texts.size(); ++j)
            walkLockChain(panel, origin, texts.at(j), chain, group, ushort(depth + 1), ushort(j), path);
    }
    path.removeLast();
}

void PanelLocks::checkLockCycle(ActiveElement *origin, ActiveElement *from, const QString &lock,
                                const QString &chain, ushort group, ushort depth, ushort index)
{
    QList<ActiveElement *> path{from};
    walkLockChain(&m_panel, origin, lock, chain, group, depth, index, path);
}
