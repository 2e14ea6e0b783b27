// Panel: a renamed define carried along by everything that names it: the
// displays registered under it, the actions, conditions, setDef lists and
// lockon conditions of every element, the setDef lists of tab pages, the lock
// records and the formula columns of register tables.
#include "quillpanel.h"

#include "container.h"
#include "expressionrename.h"
#include "led.h"
#include "loglabel.h"
#include "pushbutton.h"
#include "tabwidget.h"
#include "timerlabel.h"

#include <QSet>
#include <qwt_dial.h>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>
#include <qwt_thermo.h>

namespace {

// Moves the entries of a registry by source name from oldName to newName.
template <typename T>
QList<T *> moveUnder(QHash<QString, QList<T *>> &table, const QString &oldName, const QString &newName)
{
    const QList<T *> moved = table.take(oldName);
    if (!moved.isEmpty())
        table[newName].append(moved);
    return moved;
}

// The "data" property of a display that names its source.
void renameDataProperty(QObject *display, const QString &oldName, const QString &newName)
{
    if (display && display->property("data").toString() == oldName)
        display->setProperty("data", newName);
}

// One entry of an action map: tuples of key, condition and data, five
// entries for sendUSB (receive data and delay follow).
QVariantList renameActions(QVariantList list, const QString &oldName, const QString &newName)
{
    int i = 0;
    while (i + 2 < list.size()) {
        const QString key = list.at(i).toString();
        const QString kind = key.section(QLatin1Char('_'), 1);
        list[i + 1] = renameFormulaReferences(list.at(i + 1).toString(), oldName, newName);
        const QString data = list.at(i + 2).toString();
        if (kind == QLatin1String("setDef"))
            list[i + 2] = renameAssignmentReferences(data, oldName, newName);
        i += 3;
        if (kind == QLatin1String("sendUSB")) {
            list[i - 1] = renameCountedNames(data, oldName, newName);
            if (i < list.size())
                list[i] = renameCountedNames(list.at(i).toString(), oldName, newName);
            i += 2;
        }
    }
    return list;
}

// The attributes of one panel object that name defines; true when one changed.
bool renameObjectReferences(QObject *object, const QString &oldName, const QString &newName)
{
    bool changed = false;
    const QVariant actions = elementPropertyOf(object, "data");
    if (actions.type() == QVariant::Map) {
        QVariantMap map = actions.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            it.value() = renameActions(it.value().toList(), oldName, newName);
        if (map != actions.toMap()) {
            setElementPropertyOf(object, "data", map);
            changed = true;
        }
    }
    const QVariant locks = elementPropertyOf(object, "locks");
    if (locks.type() == QVariant::Map) {
        QVariantMap map = locks.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            QStringList conditions = it.value().toStringList();
            for (QString &condition : conditions)
                condition = renameAssignmentReferences(condition, oldName, newName);
            it.value() = conditions;
        }
        if (map != locks.toMap()) {
            setElementPropertyOf(object, "locks", map);
            changed = true;
        }
    }
    // The setDef lists of check boxes and combo boxes, and those a tab page
    // runs when it is shown or left.
    for (const char *name : {"default_setdef", "default_setdefinv", "selectsetdef", "unselectsetdef"}) {
        const QVariant value = elementPropertyOf(object, name);
        if (!value.isValid())
            continue;
        QStringList items = value.toStringList();
        for (QString &item : items)
            item = renameAssignmentReferences(item, oldName, newName);
        if (items != value.toStringList()) {
            setElementPropertyOf(object, name, items);
            changed = true;
        }
    }
    return changed;
}

// Every entry that is exactly oldName becomes newName.
void renameEntries(QStringList &names, const QString &oldName, const QString &newName)
{
    for (QString &name : names) {
        if (name == oldName)
            name = newName;
    }
}

bool renameLockRecords(QList<LockRecord> &records, const QString &oldName, const QString &newName)
{
    bool changed = false;
    for (LockRecord &record : records) {
        if (record.name == oldName) {
            record.name = newName;
            changed = true;
        }
    }
    return changed;
}

} // namespace

void Panel::carryDefineReferences(const QString &oldName, const QString &newName)
{
    if (oldName.isEmpty() || newName.isEmpty() || oldName == newName)
        return;

    // Displays look their source up by its name each time it changes.
    for (Led *led : moveUnder(m_registries.ledsByData, oldName, newName))
        renameDataProperty(led, oldName, newName);
    for (QwtDial *dial : moveUnder(m_registries.dialsByData, oldName, newName))
        renameDataProperty(dial, oldName, newName);
    for (QwtThermo *thermo : moveUnder(m_registries.thermosByData, oldName, newName))
        renameDataProperty(thermo, oldName, newName);
    for (LogLabel *log : moveUnder(m_registries.logItemsByData, oldName, newName)) {
        if (log)
            log->renameLogItem(oldName, newName);
    }
    QSet<QwtPlot *> plots;
    for (QwtPlotCurve *curve : moveUnder(m_registries.curvesByData, oldName, newName)) {
        if (curve && curve->plot())
            plots.insert(curve->plot());
    }
    for (QwtPlot *plot : qAsConst(plots)) {
        QStringList sources = plot->property("data").toStringList();
        renameEntries(sources, oldName, newName);
        plot->setProperty("data", sources);
    }

    // Everything that carries actions, conditions and locks.
    QList<QObject *> objects;
    QSet<QObject *> seen;
    const auto take = [&objects, &seen](QObject *object) {
        if (object && !seen.contains(object)) {
            seen.insert(object);
            objects.append(object);
        }
    };
    for (ActiveElement *element : qAsConst(m_registries.allElements))
        take(objectOf(element));
    for (PushButton *button : qAsConst(m_registries.pushButtonsByName))
        take(button);
    for (TimerLabel *timer : qAsConst(m_registries.timersByName))
        take(timer);
    for (QObject *object : qAsConst(m_registries.invisibleElements))
        take(object);
    for (Container *container : qAsConst(m_registries.containersByName))
        take(dynamic_cast<QWidget *>(container));
    for (TabWidget *tabs : qAsConst(m_registries.tabWidgetsByName)) {
        for (int i = 0; tabs && i < tabs->count(); ++i)
            take(tabs->widget(i));
    }
    for (const HiddenTab &hidden : m_setDefState->hiddenTabs())
        take(hidden.page);

    for (QObject *object : qAsConst(objects)) {
        bool changed = renameObjectReferences(object, oldName, newName);
        ActiveElement *element = activeElementOf(object);
        if (!element)
            continue;
        changed |= renameLockRecords(element->locking, oldName, newName);
        changed |= renameLockRecords(element->lockedBy, oldName, newName);
        changed |= renameLockRecords(element->waitingToLock, oldName, newName);
        changed |= renameLockRecords(element->waitingToBeLockedBy, oldName, newName);
        changed |= element->renameDefineSources(oldName, newName);
        if (changed)
            element->updateToolTip();
    }

    // The elements waiting for a lock, by the define they wait for.
    m_locks->renameDefine(oldName, newName);
}
