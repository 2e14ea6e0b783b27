// Panel: the panel reset. Every element goes back to its default, all
// locks are dropped and applied anew from the defaults, as after a load.
#include "panel.h"

#include "buttongroup.h"
#include "dataclass.h"
#include "elementwalk.h"
#include "panelshell.h"
#include "timerlabel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextEdit>

static QObject *objectOf(ActiveElement *element)
{
    return dynamic_cast<QObject *>(element);
}

// Cuts every connection of the widget signals that an element's initialize
// connects again, so that a reset never connects them twice. Other element
// classes keep their connections.
static void disconnectWidgetSignals(QObject *object)
{
    const auto cut = [object](std::initializer_list<const char *> signalList) {
        for (const char *signal : signalList)
            QObject::disconnect(object, signal, nullptr, nullptr);
    };
    if (qobject_cast<QComboBox *>(object))
        cut({SIGNAL(currentIndexChanged(int)), SIGNAL(activated(int))});
    else if (qobject_cast<QCheckBox *>(object))
        cut({SIGNAL(clicked(bool)), SIGNAL(stateChanged(int))});
    else if (qobject_cast<QPushButton *>(object))
        cut({SIGNAL(clicked()), SIGNAL(pressed()), SIGNAL(released())});
    else if (qobject_cast<QDoubleSpinBox *>(object))
        cut({SIGNAL(valueChanged(double))});
    else if (qobject_cast<QSpinBox *>(object))
        cut({SIGNAL(valueChanged(int))});
    else if (qobject_cast<QLineEdit *>(object))
        cut({SIGNAL(textEdited(QString)), SIGNAL(textChanged(QString))});
    else if (qobject_cast<QTextEdit *>(object))
        cut({SIGNAL(textChanged())});
    else if (qobject_cast<ButtonGroup *>(object))
        cut({SIGNAL(buttonClicked(QAbstractButton *)), SIGNAL(buttonToggled(QAbstractButton *, bool))});
}

void Panel::resetGUI(QString unused)
{
    Q_UNUSED(unused)
    loading = true;
    guiResetInProgress = true;

    // Each pass goes over every element before the next begins. The passes
    // run actions: a change moves an element to the end of the list, and an
    // action that opens another panel takes the elements away.
    const ElementWalk elements(allElements, this);
    const auto eachElement = [&elements](const auto &step) { elements.forEach(step); };
    const auto eachTimer = [&elements](const auto &step) {
        elements.forEach([&step](ActiveElement *element) {
            if (auto *timer = qobject_cast<TimerLabel *>(objectOf(element)))
                step(timer);
        });
    };

    eachTimer([](TimerLabel *timer) { timer->setRunning(false); });
    eachElement([](ActiveElement *element) { disconnectWidgetSignals(objectOf(element)); });
    eachElement([](ActiveElement *element) { element->clearLocks(); });
    // Nobody waits any more; the locks sent below bring back the conflicts
    // that the defaults make. A stale entry would stop the header export.
    waitingLocks.clear();
    eachElement([](ActiveElement *element) { element->enable(true); });
    eachElement([](ActiveElement *element) {
        element->resetToDefault();
        if (auto *widget = qobject_cast<QWidget *>(objectOf(element)))
            widget->repaint();
    });
    eachElement([](ActiveElement *element) { element->initialize(); });
    eachElement([](ActiveElement *element) { element->applyLocks(); });
    eachElement([](ActiveElement *element) { element->updateMathLabels(); });
    QList<QPointer<DataClass>> variables;
    for (DataClass *variable : qAsConst(variablesByName))
        variables.append(variable);
    for (const QPointer<DataClass> &variable : qAsConst(variables)) {
        if (variable)
            variable->resetToDefault();
    }
    eachTimer([](TimerLabel *timer) { timer->reset(); });
    if (m_shell)
        m_shell->setProjectModified();

    loading = false;
    guiResetInProgress = false;
}
