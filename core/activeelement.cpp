#include "activeelement.h"

#include "elementhost.h"

ElementHost::~ElementHost() = default;

ActiveElement::~ActiveElement() = default;

ApplyResult ActiveElement::applyText(const QString &text, ApplyRule rule, const std::function<void()> &beforeChange)
{
    Q_UNUSED(text)
    Q_UNUSED(rule)
    Q_UNUSED(beforeChange)
    return ApplyResult::refused(ApplyResult::NotSettable);
}

void ActiveElement::addItem(const QString &text, const QString &value, int key)
{
    items.insert(key, ElementItem{text, value, key});
}

bool ActiveElement::prepareRangeLimit(bool minimum, double bound, int wholeBound, RangeLimit *limit)
{
    Q_UNUSED(minimum)
    Q_UNUSED(bound)
    Q_UNUSED(wholeBound)
    Q_UNUSED(limit)
    return false;
}

bool ActiveElement::acceptsLockValue(const QString &value, bool labelLock) const
{
    Q_UNUSED(value)
    Q_UNUSED(labelLock)
    return false;
}

QString ActiveElement::lockEntryLabel(const QString &key, int position) const
{
    Q_UNUSED(key)
    Q_UNUSED(position)
    return QStringLiteral("???");
}

const QStringList elementKeywords = {
    QStringLiteral("value"),      QStringLiteral("label"),     QStringLiteral("index"),
    QStringLiteral("definevalue"), QStringLiteral("typeinfo"), QStringLiteral("interval"),
    QStringLiteral("run"),        QStringLiteral("register"),  QStringLiteral("module"),
    QStringLiteral("registername"), QStringLiteral("address"), QStringLiteral("column"),
    QStringLiteral("row"),        QStringLiteral("insertmode"), QStringLiteral("singlestep"),
    QStringLiteral("func"),       QStringLiteral("sendloop"),  QStringLiteral("delete"),
    QStringLiteral("deleteall"),  QStringLiteral("sendusb"),   QStringLiteral("load"),
    QStringLiteral("loadat"),     QStringLiteral("save"),      QStringLiteral("export"),
    QStringLiteral("image"),      QStringLiteral("color"),     QStringLiteral("visible"),
    QStringLiteral("enabled"),    QStringLiteral("x"),         QStringLiteral("y"),
    QStringLiteral("min"),        QStringLiteral("max"),       QStringLiteral("textcolor"),
    QStringLiteral("update"),
};

int keywordIndexOf(const QString &text)
{
    for (int k = 0; k < elementKeywords.size(); ++k) {
        const QString &word = elementKeywords.at(k);
        if (text.startsWith(word) && text.midRef(word.size()).startsWith(QLatin1Char('=')))
            return k;
    }
    return 0;
}

QString &stripKeyword(QString &text, int keyword)
{
    if (keyword >= 0 && keyword < elementKeywords.size())
        text.remove(elementKeywords.at(keyword) + QLatin1Char('='));
    return text;
}

int keywordSuffixIndexOf(const QString &text)
{
    for (int k = 0; k < elementKeywords.size(); ++k) {
        if (text.endsWith(QLatin1Char('.') + elementKeywords.at(k)))
            return k;
    }
    return 0;
}

QString &stripKeywordSuffix(QString &text, int keyword)
{
    if (keyword >= 0 && keyword < elementKeywords.size())
        text.remove(QLatin1Char('.') + elementKeywords.at(keyword));
    return text;
}

// ---------------------------------------------------------------------------
// Lock lists

static int indexOfName(const QList<LockRecord> &list, const QString &name)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).name == name)
            return i;
    }
    return -1;
}

static void removeAllNamed(QList<LockRecord> &list, const QString &name)
{
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&name](const LockRecord &record) { return record.name == name; }),
               list.end());
}

static QStringList namesOf(const QList<LockRecord> &list)
{
    QStringList names;
    names.reserve(list.size());
    for (const LockRecord &record : list)
        names.append(record.name);
    return names;
}

void ActiveElement::addLock(const QString &name, const QString &value, int kind)
{
    const bool first = lockedBy.isEmpty();
    lockedBy.append(LockRecord{name, value, kind});
    if (!first)
        return;
    // The lock in force sets the value first; only then are enable requests ignored.
    setValue(value, kind);
    enable(false);
    locked = true;
}

void ActiveElement::addLocking(const QString &name, const QString &value, int kind)
{
    locking.append(LockRecord{name, value, kind});
}

void ActiveElement::addWaitingToLock(const QString &name, const QString &value, int kind)
{
    waitingToLock.append(LockRecord{name, value, kind});
}

void ActiveElement::addWaitingToBeLockedBy(const QString &name, const QString &value)
{
    waitingToBeLockedBy.append(LockRecord{name, value, 0});
}

void ActiveElement::removeLock(const QString &name)
{
    removeAllNamed(lockedBy, name);
    if (!lockedBy.isEmpty())
        return;
    locked = false;
    // An element inside a switched-off tree branch stays disabled.
    if (!disabledByBranch)
        enable(true);
    reapplyStoredValue();
}

bool ActiveElement::removeLocking(const QString &name)
{
    const int index = indexOfName(locking, name);
    if (index < 0)
        return false;
    locking.removeAt(index);
    return true;
}

void ActiveElement::removeWaitingToLock(const QString &name)
{
    removeAllNamed(waitingToLock, name);
}

void ActiveElement::removeWaitingToBeLockedBy(const QString &name)
{
    removeAllNamed(waitingToBeLockedBy, name);
}

LockRecord ActiveElement::takeFirstWaitingToBeLockedBy()
{
    return waitingToBeLockedBy.isEmpty() ? LockRecord() : waitingToBeLockedBy.takeFirst();
}

QList<LockRecord> ActiveElement::takeWaitingToBeLockedByValue(const QString &value)
{
    QList<LockRecord> taken;
    QList<LockRecord> kept;
    for (const LockRecord &record : qAsConst(waitingToBeLockedBy))
        (record.value == value ? taken : kept).append(record);
    waitingToBeLockedBy = kept;
    return taken;
}

LockRecord ActiveElement::takeWaitingToLock(const QString &name)
{
    const int index = indexOfName(waitingToLock, name);
    return index < 0 ? LockRecord() : waitingToLock.takeAt(index);
}

bool ActiveElement::isLockedBy(const QString &name) const
{
    return indexOfName(lockedBy, name) >= 0;
}

bool ActiveElement::isLockedToOtherValue(const QString &value) const
{
    return !lockedBy.isEmpty() && lockedBy.first().value != value;
}

QStringList ActiveElement::lockedByNames() const
{
    return namesOf(lockedBy);
}

QStringList ActiveElement::lockingNames() const
{
    return namesOf(locking);
}

void ActiveElement::clearLocks()
{
    locked = false;
    lockedBy.clear();
    locking.clear();
    waitingToLock.clear();
    waitingToBeLockedBy.clear();
    disabledByBranch = false;
}

// ---------------------------------------------------------------------------
// Tool tip

QVariant elementPropertyOf(const QObject *object, const char *name)
{
    if (!object)
        return QVariant();
    if (ActiveElement *element = activeElementOf(const_cast<QObject *>(object)))
        return element->elementProperty(name);
    return object->property(name);
}

void setElementPropertyOf(QObject *object, const char *name, const QVariant &value)
{
    if (!object)
        return;
    if (ActiveElement *element = activeElementOf(object))
        element->setElementProperty(name, value);
    else
        object->setProperty(name, value);
}

QList<QByteArray> elementPropertyNamesOf(QObject *object)
{
    if (!object)
        return {};
    QList<QByteArray> names;
    if (ActiveElement *element = activeElementOf(object))
        names = element->elementPropertyNames();
    for (const QByteArray &name : object->dynamicPropertyNames()) {
        if (!names.contains(name))
            names << name;
    }
    return names;
}

// ---------------------------------------------------------------------------

QString ActiveElement::header()
{
    return elementProperty("header").toString();
}
