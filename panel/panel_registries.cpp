// Panel: the edits of its registries beyond registration: removal of one
// element, renames, and the state a panel read fills anew.
#include "panel.h"

#include "activeelement.h"
#include "container.h"
#include "dataclass.h"
#include "image.h"
#include "led.h"
#include "loglabel.h"
#include "mathlabel.h"
#include "myqwtplot.h"
#include "pollentries.h"
#include "pushbutton.h"
#include "registermodel.h"
#include "tabwidget.h"
#include "timerlabel.h"

#include <qwt_dial.h>
#include <qwt_plot_curve.h>
#include <qwt_thermo.h>

#include <algorithm>

void Panel::setDefaultDisclaimer(const QString &name)
{
    m_disclaimerFile = name;
    m_hasOwnDisclaimer = false;
}

void Panel::refuseHeader(const QString &header)
{
    if (!m_refusedHeaders.contains(header))
        m_refusedHeaders.append(header);
}

void Panel::renameElementName(const QString &oldName, const QString &newName)
{
    std::replace(m_elementNames.begin(), m_elementNames.end(), oldName, newName);
}

void Panel::renameModule(const QString &oldName, const QString &newName)
{
    if (m_moduleTable.contains(oldName))
        m_moduleTable.insert(newName, m_moduleTable.take(oldName));
}

// ---------------------------------------------------------------------------
// Removal

// The registries hold the elements by their own classes: each entry is
// compared as the object it is, never by casting the object to a class it
// may not have.
template <typename T>
static void removeFromLists(QHash<QString, QList<T *>> &table, const QObject *object)
{
    for (auto it = table.begin(); it != table.end(); ++it) {
        QList<T *> &list = it.value();
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [object](T *item) { return static_cast<const QObject *>(item) == object; }),
                   list.end());
    }
}

template <typename T>
static void removeValues(QHash<QString, T *> &table, const QObject *object)
{
    for (auto it = table.begin(); it != table.end();) {
        if (static_cast<const QObject *>(it.value()) == object)
            it = table.erase(it);
        else
            ++it;
    }
}

void Panel::removeElement(QObject *object)
{
    if (!object)
        return;
    if (ActiveElement *element = activeElementOf(object)) {
        for (auto it = m_elementsByDefine.begin(); it != m_elementsByDefine.end();) {
            if (it.value() == element)
                it = m_elementsByDefine.erase(it);
            else
                ++it;
        }
        m_allElements.removeAll(element);
        // Registers held only by this element leave the model; their
        // records stay allocated, as the module table never frees them.
        for (ModuleRecord *module : qAsConst(m_moduleTable)) {
            if (!module)
                continue;
            for (auto it = module->registers.begin(); it != module->registers.end();) {
                const QList<ActiveElement *> holders = it.value() ? it.value()->elementsByMask().values()
                                                                  : QList<ActiveElement *>();
                if (!holders.isEmpty() && holders.count(element) == holders.size())
                    it = module->registers.erase(it);
                else
                    ++it;
            }
        }
        m_elementNames.removeAll(object->objectName());
        m_waitingLocks.remove(object->objectName());
        for (auto it = m_waitingLocks.begin(); it != m_waitingLocks.end(); ++it)
            it.value().removeAll(object->objectName());
    }
    if (auto *label = qobject_cast<MathLabel *>(object)) {
        removeFromLists(m_mathLabelsByDefine, label);
        m_overflowConflicts.removeAll(label);
        m_overflowCauses.remove(label);
    }
    removeFromLists(m_ledsByData, object);
    removeFromLists(m_imagesByDefine, object);
    removeFromLists(m_dialsByData, object);
    removeFromLists(m_thermosByData, object);
    removeFromLists(m_logItemsByData, object);
    if (auto *plot = qobject_cast<MyQwtPlot *>(object)) {
        for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotCurve))
            removeCurve(static_cast<QwtPlotCurve *>(item));
    }
    removeValues(m_tabWidgetsByName, object);
    removeValues(m_imagesByName, object);
    removeValues(m_ledsByName, object);
    removeValues(m_dialsByName, object);
    removeValues(m_thermosByName, object);
    removeValues(m_plotsByName, object);
    removeValues(m_timersByName, object);
    removeValues(m_pushButtonsByName, object);
    for (auto it = m_containersByName.begin(); it != m_containersByName.end();) {
        if (dynamic_cast<QObject *>(it.value()) == object)
            it = m_containersByName.erase(it);
        else
            ++it;
    }
    m_invisibleElements.removeAll(object);
    if (auto *variable = qobject_cast<DataClass *>(object)) {
        removeValues(m_variablesByName, variable);
        for (int i = m_varPollList.size() - 1; i >= 0; --i) {
            if (m_varPollList.at(i) && m_varPollList.at(i)->target == variable)
                m_varPollList.removeAt(i);
        }
    }
}

void Panel::unregisterElement(const QString &define)
{
    if (ActiveElement *element = m_elementsByDefine.take(define))
        m_allElements.removeAll(element);
}

void Panel::forgetAllElements()
{
    m_allElements.clear();
    m_elementsByDefine.clear();
}

void Panel::removeMathLabel(MathLabel *label)
{
    for (auto it = m_mathLabelsByDefine.begin(); it != m_mathLabelsByDefine.end(); ++it)
        it.value().removeAll(label);
}

void Panel::forgetUnreadOperand(const QString &name)
{
    if (m_mathLabelsByDefine.value(name).isEmpty())
        m_mathLabelsByDefine.remove(name);
}

void Panel::removeCurve(QwtPlotCurve *curve)
{
    for (auto it = m_curvesByData.begin(); it != m_curvesByData.end(); ++it)
        it.value().removeAll(curve);
}

// ---------------------------------------------------------------------------
// Locks

bool Panel::addWaitingLock(const QString &define, const QString &locker)
{
    QStringList &waiting = m_waitingLocks[define];
    if (waiting.contains(locker))
        return false;
    waiting.append(locker);
    return true;
}

void Panel::clearLockConflicts()
{
    m_waitingLocks.clear();
    m_overflowConflicts.clear();
    m_overflowCauses.clear();
}

// ---------------------------------------------------------------------------
// The state a read fills anew

void Panel::resetReadState()
{
    m_toolTipSectionMask = 0xFFFF;
    m_varPollList.clear();
    // The exchange thread of the panel before was stopped before this read.
    qDeleteAll(m_comPollList);
    m_comPollList.clear();
    m_ioPortName.clear();
    m_ioPortSettings.clear();
    setForumURL(QString());
    m_invisibleElements.clear();
}

Panel::ReadState Panel::takeReadState()
{
    ReadState state;
    state.toolTipSectionMask = m_toolTipSectionMask;
    state.varPollList = m_varPollList;
    state.comPollList = m_comPollList;
    state.ioPortName = m_ioPortName;
    state.ioPortSettings = m_ioPortSettings;
    state.forumUrl = m_forumUrl;
    state.invisibleElements = m_invisibleElements;
    m_comPollList.clear();
    resetReadState();
    return state;
}

void Panel::restoreReadState(const ReadState &state)
{
    m_toolTipSectionMask = state.toolTipSectionMask;
    m_varPollList = state.varPollList;
    m_comPollList = state.comPollList;
    m_ioPortName = state.ioPortName;
    m_ioPortSettings = state.ioPortSettings;
    setForumURL(state.forumUrl);
    m_invisibleElements = state.invisibleElements;
}
