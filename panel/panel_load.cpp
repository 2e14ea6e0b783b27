// Panel: the set-up after a panel file was read. The built-in variables every
// panel gets, the finish of a load (start values, the element names, the SVD
// bindings, the locks, the timer labels) and the formula checks after it.
#include "quillpanel.h"

#include "dataclass.h"
#include "errorreporter.h"
#include "timerlabel.h"

#include <QAbstractScrollArea>

void Panel::addBuiltInVariables()
{
    auto *dummy = new DataClass(QStringLiteral("dummy_define"));
    setDataClass(dummy->objectName(), dummy);
    for (auto refresh : {&Panel::on_updateLED, &Panel::on_updateSvgImage, &Panel::on_updateCurve,
                         &Panel::on_updateDial, &Panel::on_updateThermo, &Panel::on_updateLog})
        connect(dummy, &DataClass::updateLEDs, this, refresh, Qt::UniqueConnection);
    connect(dummy, &DataClass::updateMathLabels, this, &Panel::on_updateMathLabel, Qt::UniqueConnection);
    for (const char *name : {"$ADDRESS$", "$VALUE$", "$FUNC$"}) {
        auto *variable = new DataClass(QLatin1String(name));
        setDataClass(variable->objectName(), variable);
        connect(variable, &DataClass::updateMathLabels, this, &Panel::on_updateMathLabel, Qt::UniqueConnection);
    }
}

void Panel::finishLoad(bool resetValues, const std::function<void()> &beforeTimers)
{
    m_registries.elementNames.clear();

    // Start values.
    if (resetValues) {
        for (DataClass *variable : qAsConst(m_registries.variablesByName))
            if (variable)
                variable->resetToDefault();
    }
    const QList<ActiveElement *> elements = m_registries.allElements;
    // Elements carry an SVD file only when the panel names one.
    const bool panelHasSvd = !m_header.svdFile.isEmpty();
    m_registries.elementNames.reserve(elements.size());
    // The timer labels start after the locks are checked: found on the way,
    // so that the second pass need not look at every element again.
    QList<ActiveElement *> timerLabels;
    for (ActiveElement *element : elements) {
        if (timerLabelOf(element)) {
            timerLabels.append(element);
            continue;
        }
        if (resetValues)
            element->resetToDefault();
        const QString name = PanelNames::getObjectName(element);
        m_registries.elementNames.append(name);
        if (panelHasSvd && !element->elementProperty("svd").toString().isEmpty())
            checkSvdBinding(name);
        element->initialize();
    }
    // The find dialog also offers the elements without value.
    m_registries.elementNames += namedWidgetNames();

    m_locks->checkLockConditions();

    if (beforeTimers)
        beforeTimers();

    for (ActiveElement *element : qAsConst(timerLabels))
        element->initialize();
    refreshSvgImages();
    m_flags.loading = false;
    enablePanelGestures();
}

void Panel::enablePanelGestures()
{
    // After the events the window still has queued for the new panel (its
    // show and layout among them), so that those pass no gesture filter.
    auto *area = qobject_cast<QAbstractScrollArea *>(m_rootArea.data());
    if (!area)
        return;
    QWidget *viewport = area->viewport();
    QMetaObject::invokeMethod(
        viewport, [viewport] { viewport->grabGesture(Qt::PanGesture); }, Qt::QueuedConnection);
}

void Panel::checkFormulas()
{
    // Formula names that nothing carries.
    for (auto it = m_registries.mathLabelsByDefine.cbegin(); it != m_registries.mathLabelsByDefine.cend(); ++it) {
        const QString &name = it.key();
        const bool known = m_registries.elementsByDefine.value(name, nullptr) || m_registries.variablesByName.value(name, nullptr)
            || m_registries.tabWidgetsByName.value(name, nullptr);
        if (!known)
            reportUndefinedFormulaElement(name);
    }
    checkFormulaCycles();
}
