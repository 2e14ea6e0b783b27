// Panel: the edits of its registries beyond registration: removal of one
// element, renames, and the state a panel read fills anew.
#include "quillpanel.h"

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
    m_header.disclaimerFile = name;
    m_header.hasOwnDisclaimer = false;
}

void Panel::renameElementName(const QString &oldName, const QString &newName)
{
    std::replace(m_registries.elementNames.begin(), m_registries.elementNames.end(), oldName, newName);
}

void Panel::renameModule(const QString &oldName, const QString &newName)
{
    if (!m_registries.moduleTable.contains(oldName))
        return;
    ModuleRecord *module = m_registries.moduleTable.take(oldName);
    // A module under the new name before leaves the model; its record
    // stays allocated until the panel is cleared.
    if (ModuleRecord *pushedOut = m_registries.moduleTable.value(newName)) {
        for (int i = 0; i < m_registries.moduleOrder.size(); ++i) {
            if (m_registries.moduleOrder.at(i).module == pushedOut) {
                m_registries.moduleOrder.remove(i);
                break;
            }
        }
        m_registries.retiredModules.append(pushedOut);
    }
    m_registries.moduleTable.insert(newName, module);
    for (ModuleEntry &entry : m_registries.moduleOrder) {
        if (entry.module == module)
            entry.name = newName;
    }
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
        for (auto it = m_registries.elementsByDefine.begin(); it != m_registries.elementsByDefine.end();) {
            if (it.value() == element)
                it = m_registries.elementsByDefine.erase(it);
            else
                ++it;
        }
        m_registries.allElements.removeAll(element);
        // Registers held only by this element leave the model; their
        // records stay allocated, as the module table never frees them.
        for (ModuleRecord *module : qAsConst(m_registries.moduleTable)) {
            if (!module)
                continue;
            for (auto it = module->registers.begin(); it != module->registers.end();) {
                const QList<ActiveElement *> holders = it.value() ? it.value()->grants().elements()
                                                                  : QList<ActiveElement *>();
                if (!holders.isEmpty() && holders.count(element) == holders.size())
                    it = module->registers.erase(it);
                else
                    ++it;
            }
        }
        m_registries.elementNames.removeAll(object->objectName());
        m_locks->forgetWaitingLocks(object->objectName());
    }
    removeFromLists(m_registries.mathLabelsByDefine, object);
    m_locks->forgetConflicts(object);
    removeFromLists(m_registries.ledsByData, object);
    removeFromLists(m_registries.imagesByDefine, object);
    removeFromLists(m_registries.dialsByData, object);
    removeFromLists(m_registries.thermosByData, object);
    removeFromLists(m_registries.logItemsByData, object);
    if (auto *plot = qobject_cast<QwtPlot *>(object)) {
        for (QwtPlotItem *item : plot->itemList(QwtPlotItem::Rtti_PlotCurve))
            removeCurve(static_cast<QwtPlotCurve *>(item));
    }
    removeValues(m_registries.tabWidgetsByName, object);
    removeValues(m_registries.imagesByName, object);
    removeValues(m_registries.ledsByName, object);
    removeValues(m_registries.dialsByName, object);
    removeValues(m_registries.thermosByName, object);
    removeValues(m_registries.plotsByName, object);
    removeValues(m_registries.timersByName, object);
    removeValues(m_registries.pushButtonsByName, object);
    for (auto it = m_registries.containersByName.begin(); it != m_registries.containersByName.end();) {
        if (dynamic_cast<QObject *>(it.value()) == object)
            it = m_registries.containersByName.erase(it);
        else
            ++it;
    }
    m_registries.invisibleElements.removeAll(object);
    if (auto *variable = qobject_cast<DataClass *>(object)) {
        removeValues(m_registries.variablesByName, variable);
        for (int i = m_registries.varPollList.size() - 1; i >= 0; --i) {
            if (m_registries.varPollList.at(i) && m_registries.varPollList.at(i)->target == variable)
                m_registries.varPollList.removeAt(i);
        }
    }
}

void Panel::unregisterElement(const QString &define)
{
    if (ActiveElement *element = m_registries.elementsByDefine.take(define))
        m_registries.allElements.removeAll(element);
}

void Panel::forgetAllElements()
{
    m_registries.allElements.clear();
    m_registries.elementsByDefine.clear();
}

void Panel::removeMathLabel(MathLabel *label)
{
    for (auto it = m_registries.mathLabelsByDefine.begin(); it != m_registries.mathLabelsByDefine.end(); ++it)
        it.value().removeAll(label);
}

void Panel::forgetUnreadOperand(const QString &name)
{
    if (m_registries.mathLabelsByDefine.value(name).isEmpty())
        m_registries.mathLabelsByDefine.remove(name);
}

void Panel::removeCurve(QwtPlotCurve *curve)
{
    for (auto it = m_registries.curvesByData.begin(); it != m_registries.curvesByData.end(); ++it)
        it.value().removeAll(curve);
}

// ---------------------------------------------------------------------------
// The state a read fills anew

void Panel::resetReadState()
{
    m_header.toolTipSectionMask = 0xFFFF;
    m_registries.varPollList.clear();
    // The exchange thread of the panel before was stopped before this read.
    qDeleteAll(m_registries.comPollList);
    m_registries.comPollList.clear();
    m_header.ioPortName.clear();
    m_header.ioPortSettings.clear();
    m_header.forumUrl = QString();
    m_registries.invisibleElements.clear();
}

PanelReadState Panel::takeReadState()
{
    PanelReadState state;
    state.toolTipSectionMask = m_header.toolTipSectionMask;
    state.varPollList = m_registries.varPollList;
    state.comPollList = m_registries.comPollList;
    state.ioPortName = m_header.ioPortName;
    state.ioPortSettings = m_header.ioPortSettings;
    state.forumUrl = m_header.forumUrl;
    state.invisibleElements = m_registries.invisibleElements;
    m_registries.comPollList.clear();
    resetReadState();
    return state;
}

void Panel::restoreReadState(const PanelReadState &state)
{
    m_header.toolTipSectionMask = state.toolTipSectionMask;
    m_registries.varPollList = state.varPollList;
    m_registries.comPollList = state.comPollList;
    m_header.ioPortName = state.ioPortName;
    m_header.ioPortSettings = state.ioPortSettings;
    m_header.forumUrl = state.forumUrl;
    m_registries.invisibleElements = state.invisibleElements;
}
